// Every control of the main window in one table: what it is, how it is created, where it sits before the first
// layout, its font and whether it lives on the scrolling settings page. Window creation walks it in order.
#pragma once

#include <stdint.h>

enum class FontKind : uint8_t { Main, Small, Timer };

// Window classes of the controls.
enum class ControlClass : uint8_t { Button, Static, Edit, ComboBox, ScrollBar, Slider };

// Style bits in the platform's encoding (the Win32 side checks them against its own headers), so the table stays
// portable and the window passes them on unchanged.
namespace style {
const uint32_t kTabStop = 0x00010000;
const uint32_t kVScroll = 0x00200000;
const uint32_t kOwnerDrawButton = 0x0000000B;
const uint32_t kAutoCheckBox = 0x00000003;
const uint32_t kStaticLeft = 0x00000000;
const uint32_t kStaticCenter = 0x00000001;
const uint32_t kStaticOwnerDraw = 0x0000000D;
const uint32_t kStaticEndEllipsis = 0x00004000;
const uint32_t kStaticPathEllipsis = 0x00008000;
const uint32_t kEditAutoHScroll = 0x00000080;
const uint32_t kComboDropDownList = 0x00000003;
const uint32_t kScrollBarVertical = 0x00000001;
const uint32_t kExClientEdge = 0x00000200;
}  // namespace style

struct ControlSpec {
    int key;  // the control's identifier, or the private key of a control created with another identifier
    int id;   // the identifier it is created with (0 for labels)
    ControlClass cls;
    const wchar_t* text;
    uint32_t style;  // besides child and visible
    uint32_t exStyle;
    int x, y, w, h;  // creation rectangle in layout units
    FontKind font;
    // Position in the order the settings page's controls move into the scrolling container; 0 = stays on the window.
    int containerOrder;
    bool hidden;  // created hidden
};

const int kControlCount = 66;
extern const ControlSpec kControls[kControlCount];

// The table row of a key, or null.
const ControlSpec* findControl(int key);
