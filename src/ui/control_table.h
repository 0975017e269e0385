// The control list as a table the program walks: window creation (in the table's order), the fonts a zoom change
// hands out and the painters' choice of look.
#pragma once

#include <stdint.h>

#include "ui/control_ids.h"

struct ControlSpec {
    int key;  // the control's identifier, or the private key of a control created with another identifier
    int id;   // the identifier it is created with (0 for labels)
    ControlClass cls;
    const wchar_t* text;  // null: the playback slot table names it
    uint32_t style;       // besides child and visible
    uint32_t exStyle;
    FontKind font;
    PaintKind paint;
    ControlPlace place;
};

// Creation order: the column's controls in tab order, then the settings page in its stacking order.
#define NOTAFON_COUNT_ONE(...) +1
#define NOTAFON_COUNT_SLOTS(...) +kControlSlotCount
const int kControlCount = 0 NOTAFON_CONTROLS(NOTAFON_COUNT_ONE, NOTAFON_COUNT_SLOTS);
#undef NOTAFON_COUNT_SLOTS
#undef NOTAFON_COUNT_ONE
extern const ControlSpec kControls[kControlCount];

// The table row of a key, or null.
const ControlSpec* findControl(int key);
// The first row created with an identifier, or null; with a class, the row of that class (identifier 117 is a
// button and the owner-drawn shortcut box).
const ControlSpec* findCreated(int id);
const ControlSpec* findCreated(int id, ControlClass cls);
// The window class a control of cls is created with (the slider is the program's own).
const wchar_t* controlClassName(ControlClass cls);
