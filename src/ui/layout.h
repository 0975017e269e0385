// The layout pass as a pure computation: from the window's state, scale, client size, work area and measured text
// heights to every control's rectangle and visibility, the window's size and position and the settings viewport.
// The Win32 side (layout_apply_win) measures the texts, fills the input and applies the result.
#pragma once

#include "ui/control_ids.h"

// The column every control sits in, layout units. The window is this wide unless the panel or the user widens it.
const int kColumnWidth = 380;
// The content height before a pass has measured anything: the size the window is created with.
const int kInitialContentHeight = 520;
// The logo bar across the window's top, its bottom line included.
const int kLogoBarHeight = 52;

// Everything the pass places, densely numbered from the control list: the column's controls (the strip beside the
// panel is placed with the panel), the settings container, then the page's controls, each slot row as four items
// (kItemSlotLabel + slot). kLayoutItemKeys maps each to its control's key.
#define NOTAFON_ITEM_Column(item) kItem##item,
#define NOTAFON_ITEM_Strip(item)
#define NOTAFON_ITEM_Page(item)
#define NOTAFON_PAGE_ITEM_Column(item)
#define NOTAFON_PAGE_ITEM_Strip(item)
#define NOTAFON_PAGE_ITEM_Page(item) kItem##item,
#define NOTAFON_PAGE_SLOT_ITEM_Page(item) kItem##item, kItem##item##Last = kItem##item + kControlSlotCount - 1,
#define NOTAFON_COLUMN_ITEM(item, key, value, created, cls, st, ex, caption, font, paint, place) \
    NOTAFON_ITEM_##place(item)
#define NOTAFON_PAGE_ITEM(item, key, value, created, cls, st, ex, caption, font, paint, place) \
    NOTAFON_PAGE_ITEM_##place(item)
#define NOTAFON_PAGE_SLOT_ITEM(item, key, value, created, cls, st, ex, caption, font, paint, place) \
    NOTAFON_PAGE_SLOT_ITEM_##place(item)
#define NOTAFON_NO_ITEM(...)
enum LayoutItem : int {
    NOTAFON_CONTROLS(NOTAFON_COLUMN_ITEM, NOTAFON_NO_ITEM)  //
    kItemContainer,
    // Inside the settings container from here on.
    NOTAFON_CONTROLS(NOTAFON_PAGE_ITEM, NOTAFON_PAGE_SLOT_ITEM)  //
    kItemCount
};
#undef NOTAFON_NO_ITEM
#undef NOTAFON_PAGE_SLOT_ITEM
#undef NOTAFON_PAGE_ITEM
#undef NOTAFON_COLUMN_ITEM
#undef NOTAFON_PAGE_SLOT_ITEM_Page
#undef NOTAFON_PAGE_ITEM_Page
#undef NOTAFON_PAGE_ITEM_Strip
#undef NOTAFON_PAGE_ITEM_Column
#undef NOTAFON_ITEM_Page
#undef NOTAFON_ITEM_Strip
#undef NOTAFON_ITEM_Column
const int kFirstSettingsItem = kItemContainer + 1;
// The settings container has no identifier of its own; this key names it in kLayoutItemKeys.
const int kKeySettingsContainer = 3000;
extern const int kLayoutItemKeys[kItemCount];

// Texts whose height the pass needs, measured in device pixels for a width of ScalePx(320) with the control's font
// (the shortcut box heading: its bold heading font).
enum LayoutText : int {
    kTextDetail,
    kTextRecordHeading,
    kTextRecordNote,
    kTextPlaybackHeading,
    kTextSlotLabel,  // + slot
    kTextSaveIn = kTextSlotLabel + kControlSlotCount,
    kTextFolder,
    kTextVersion,
    kTextMarkLabel,
    kTextShortcutHeading,  // measured apart, in its heading font: last
    kTextCount
};

struct DeviceRect {
    int left, top, right, bottom;
};

struct LayoutInput {
    double uiScale;
    int clientWidth, clientHeight;  // device pixels
    bool maximised;
    bool recording;      // a recording is open, paused or not
    bool playerLoaded;   // a file is loaded in the player
    bool lastRecording;  // a last recording exists (its path is not empty)
    bool settingsOpen, miniMode, panelOpen, recorderHidden;
    bool haveWorkArea;      // false when the monitor could not be read
    DeviceRect workArea;    // of the window's monitor, screen coordinates
    DeviceRect windowRect;  // the window's rectangle now, screen coordinates
    // How far the window's rectangle reaches past what is seen of it on each side (the invisible resize borders of
    // the desktop compositor, about 7 pixels left, right and below); zero where the system draws none.
    DeviceRect hiddenFrame;
    bool inSizeMove;              // the user is dragging or sizing the window
    int frameWidth, frameHeight;  // what the window's frame adds to a client size
    int textHeight[kTextCount];   // device pixels
};

// The layout state that outlives one pass (logical pixels unless stated).
struct LayoutState {
    bool keepWindowSize;   // the next pass places controls but neither resizes nor moves the window
    int forcedWidth;       // when non-zero, the width the next pass uses
    int rememberedHeight;  // client height the user chose by resizing
    int centerOffset;
    int miniCutoffY;
    int contentHeight;
    bool recorderCollapsed;
    int settingsTop;
    bool settingsScrollable;
    int settingsScrollPos;
    int settingsViewHeight;
    int settingsContentHeight;
    int wheelRemainder;  // of small wheel deltas, in 1/120 of a unit, kept until they add up to whole units
    // A pass during a drag left the window where the drag put it; the end of the drag keeps it on its work area.
    bool clampAfterSizeMove;
};

// A control's place in device pixels, relative to its parent (the main window, or the settings container for the
// settings items). moved false: only shown or hidden, the rectangle left as it is.
struct Placement {
    int x, y, w, h;
    bool visible;
    bool moved;
};

// The level meter, client pixels. band has its ends scaled one by one (the part a meter repaint invalidates); the
// meter itself is drawn w x h from the band's top left: a rounded box with corners corner across, its centre line
// corner in from either side, and bars barWidth wide, barGap apart, whose heights are fractions of barUnit.
struct MeterPlacement {
    bool shown;
    DeviceRect band;
    int w, h;
    int corner;
    int barWidth, barGap, barUnit;
};

// One row of the shortcut box, relative to the box: the badge, its caption right of the icon (centred at iconX, the
// badge's middle row, iconSize across), and the room of the description and the shortcut, to the box's right edge.
struct ShortcutRowPlacement {
    DeviceRect badge;
    DeviceRect label;
    DeviceRect text;
    int iconX, iconSize;
};

// The shortcut box's inside, relative to the box: its bold heading as measured (kTextShortcutHeading), the four
// rows (record, play, rewind, forward) and the footer line.
const int kShortcutRows = 4;
struct ShortcutBoxPlacement {
    DeviceRect heading;
    ShortcutRowPlacement rows[kShortcutRows];
    DeviceRect footer;
};

struct LayoutResult {
    Placement items[kItemCount];
    MeterPlacement meter;
    ShortcutBoxPlacement shortcutBox;
    bool resizeWindow;  // set the window to windowWidth x windowHeight (device pixels, frame included)
    int windowWidth, windowHeight;
    bool moveWindow;  // then move it to windowX, windowY so it lies on its monitor's work area
    int windowX, windowY;
    bool setScrollBar;  // the scroll bar's range 0..scrollRange, page and position (logical pixels)
    int scrollRange, scrollPage, scrollPos;
};

// The panel strip beside the web panel and the web panel's own rectangle, device pixels.
struct PanelStripPlacement {
    bool shown;
    int x, y, w, h;
    int panelX, panelY, panelW, panelH;
};

extern LayoutState layoutState;
// The initial layout state.
LayoutState layoutInitialState();
void layoutReset();

// The pass itself: updates state and fills out.
void computeLayout(const LayoutInput& in, LayoutState* state, LayoutResult* out);

// v × scale + 0.5, rounded down: the scaling rule at a given scale.
int scaleAt(double scale, double v);
// The logical height a static needs for a text measured heightDevice high, at least minHeight.
int measuredHeight(double scale, int heightDevice, int minHeight);
// The narrowest logical client width: the column's, or with the panel open outside mini mode 780 (400 with the column
// hidden).
int minimumColumnWidth(const LayoutInput& in);
// The column's horizontal offset for a logical window width.
int centerOffsetFor(const LayoutInput& in, int width);
// Whether a size change moves the column (then a full pass with keepWindowSize); otherwise only the strip moves.
bool sizeChangeMovesColumn(const LayoutInput& in, const LayoutState& state);
// The minimum tracking size of the window (frame included), cut to the work area's height.
void minimumTrackSize(const LayoutInput& in, const LayoutState& state, int* width, int* height);
// Where the window goes to be seen whole on its work area (its visible part, not the invisible borders), from its
// current place at the given outer size; false when it is there already or the work area is unknown.
bool windowOnWorkArea(const LayoutInput& in, int width, int height, int* x, int* y);
// The end of a drag or resize: the clamp a pass skipped during it, once. False when there is nothing to move.
bool clampAtSizeMoveEnd(const LayoutInput& in, LayoutState* state, int* x, int* y);
// The outer size the next pass will give the window at another scale and frame (a DPI change): the column's width
// and the content's height, as a pass at that scale chooses them.
void windowSizeAtScale(const LayoutInput& in, const LayoutState& state, double scale, int frameWidth, int frameHeight,
                       int* width, int* height);
// The client height the user chose, in logical pixels, at the end of a resize.
int rememberedHeightFor(double scale, int clientHeightDevice);
PanelStripPlacement panelStripFor(const LayoutInput& in, const LayoutState& state, int clientWidth, int clientHeight);

// Settings scrolling. The target of a scroll-bar code (the platform's SB_ numbers) from the bar's position and track
// position; of a wheel turn; and the clamped move, true when the position changed (then a pass with keepWindowSize).
int settingsScrollForCode(const LayoutState& state, int code, int barPos, int trackPos);
int settingsScrollForWheel(LayoutState* state, int delta);
// Whole steps in a wheel turn of delta at perNotch steps per 120 (a notch of a classic wheel), with what is left of
// earlier turns in *remainder: precision touchpads and free-spinning wheels send deltas well under 120.
int wheelNotches(int* remainder, int delta, int perNotch);
bool settingsScrollTo(LayoutState* state, int pos);

// Zoom: the percentage of a "Window size" row, -1 for a row outside the table; the scale for a percentage.
int zoomPercentForRow(int row);
double zoomScale(double dpiFactor, int percent);
