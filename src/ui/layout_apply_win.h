// The Win32 side of the layout pass: measures the texts, reads the window and its monitor, runs computeLayout and
// moves the controls and the window; and the window messages that end in a pass (size, tracking size, end of a
// resize, wheel and scroll bar over the settings, zoom, a new DPI).
#pragma once

#include <windows.h>

struct LayoutResult;

// The application state the pass depends on, filled by the window.
struct LayoutFlags {
    bool recording;  // a recording is open, paused or not
    bool playerLoaded;
    bool lastRecording;  // a last recording exists
    bool settingsOpen, miniMode, panelOpen, recorderHidden;
};

// The web panel's rectangle in client pixels, as the last pass placed the strip beside it.
extern RECT PanelBounds;

// The shortcut box's heading: measured for the pass and written by the box's painter.
extern const wchar_t kShortcutHeading[];

// The layout pass over every control (LayoutWindow).
void ApplyLayout(HWND window, const LayoutFlags& flags);
// The result of the last pass; all zero (nothing shown) before the first.
const LayoutResult& AppliedLayout();
// The logical height a static needs for its current text, at least minHeight.
int MeasureTextHeight(HWND control, int minHeight);

void OnLayoutSize(HWND window, WPARAM kind, const LayoutFlags& flags);
void OnLayoutMinMaxInfo(HWND window, MINMAXINFO* info, const LayoutFlags& flags);
// A drag or resize begins (WM_ENTERSIZEMOVE): passes until its end leave the window where the user has it.
void OnLayoutEnterSizeMove();
// The drag or resize ends (WM_EXITSIZEMOVE): the work-area clamp a pass skipped during it, once.
void OnLayoutExitSizeMove(HWND window, const LayoutFlags& flags);
// Outside mini mode, at the end of a resize: remembers the client height the user chose.
void OnLayoutRememberHeight(HWND window);
// true when the wheel scrolled (or could scroll) the settings; false for the default procedure.
bool OnLayoutMouseWheel(HWND window, WPARAM wp, const LayoutFlags& flags);
// WM_VSCROLL from the settings scroll bar.
void OnLayoutVScroll(HWND window, HWND bar, int code, const LayoutFlags& flags);
// The next pass sizes the window to the column's own width (380, or with the panel 780 / 400).
void LayoutForceColumnWidth(const LayoutFlags& flags);
// A new zoom percentage: scale, fonts, one pass at the column's width.
void ApplyZoomPercent(HWND window, int percent, const LayoutFlags& flags);
// WM_GETDPISCALEDSIZE: the outer size the pass will choose at dpi, so that the rectangle the system then suggests
// is the window's own; false to let the system scale the size itself.
bool OnLayoutDpiScaledSize(HWND window, int dpi, int zoomPercent, SIZE* size, const LayoutFlags& flags);
// WM_DPICHANGED: the same as a zoom change at the new DPI, in the rectangle the system suggests.
void OnLayoutDpiChanged(HWND window, int dpi, int zoomPercent, const RECT* suggested, const LayoutFlags& flags);
