// The window seam: what the controller does to the main window's controls. The Win32 window implements it over its
// child windows; tests keep a table of control states instead.
#pragma once

#include "base/local_time.h"

// A rectangle of the screen in pixels (the platform's placement and work-area rectangles).
struct ScreenRect {
    int left, top, right, bottom;
};

struct WindowControls {
    void (*setText)(int id, const wchar_t* text);
    // The control's text into out (capacity in characters); returns its length, or -1 when there is no such control.
    int (*getText)(int id, wchar_t* out, int capacity);
    bool (*exists)(int id);
    void (*enable)(int id, bool enabled);
    bool (*isChecked)(int id);
    void (*setChecked)(int id, bool checked);
    int (*listSelection)(int id);  // -1 for none
    void (*setListSelection)(int id, int row);
    int (*sliderPosition)(int id);
    void (*setSliderPosition)(int id, int position);
    void (*repaint)(int id, bool erase);
    void (*repaintWindow)();
    void (*invalidateMeter)();
    void (*startTimer)(int id, int milliseconds);
    void (*stopTimer)(int id);
    void (*layout)();  // the layout pass over every control
    // A new window size: the scale, the fonts and the layout follow.
    void (*applyZoom)(int percent);
    void (*messageBox)(const wchar_t* text, const wchar_t* title);
    // Asks for an audio file to play; true with its path.
    bool (*chooseAudioFile)(wchar_t* out, int capacity);
    void (*showInFolder)(const wchar_t* path);
    void (*setOnTop)(bool on);
    bool (*windowTopLeft)(int* left, int* top);
    void* (*captureNotifyTarget)();
    void (*localTime)(LocalDateTime* now);
    void (*destroyWindow)();
    // Gives the keyboard focus to the main window itself (a shortcut capture reads the keys there).
    void (*focusMainWindow)();
    // A Yes/No question with the warning icon, No the default; true for Yes.
    bool (*confirm)(const wchar_t* text, const wchar_t* title);

    // Window modes.
    // The window's normal (restored) rectangle and whether it is maximised; false when the placement cannot be read.
    bool (*readPlacement)(ScreenRect* normal, bool* maximised);
    void (*restoreWindow)();
    // The mini style (fixed size, no maximise box) or the normal one.
    void (*setMiniStyle)(bool mini);
    // The window's outer size in pixels.
    bool (*outerSize)(int* width, int* height);
    // The work area of the monitor that contains the point, or of the primary monitor when none does.
    bool (*workAreaAt)(int x, int y, ScreenRect* area);
    // The work area of the monitor nearest to the rectangle.
    bool (*workAreaNearest)(const ScreenRect* rect, ScreenRect* area);
    // Moves the window without sizing it, changing its z-order or activating it.
    void (*moveWindow)(int x, int y);
    // The client width in layout units (client width / uiScale + 0.5, truncated).
    int (*clientWidthUnits)();
    // The web panel's rectangle as the last layout placed it, device pixels of the client area.
    void (*panelRect)(int* x, int* y, int* width, int* height);
    // The window the web panel lives in.
    void* (*panelParent)();
    // Asks for a folder with the system's folder browser; true with its path.
    bool (*chooseFolder)(wchar_t* out, int capacity);
    // Opens an address with the shell's "open" verb (the default browser), normal window.
    void (*openAddress)(const wchar_t* address);
};
