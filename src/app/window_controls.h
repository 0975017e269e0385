// The window seams: what the controller does to the main window's controls, to the window's place on the screen, and
// through the shell around it. The Win32 window implements them over its child windows and the system; tests keep
// tables of control and window states instead.
#pragma once

#include <stdint.h>

#include "base/local_time.h"

// A rectangle of the screen in pixels (the platform's placement and work-area rectangles).
struct ScreenRect {
    int left, top, right, bottom;
};

// The main window's controls, by identifier, and the passes over all of them.
struct WindowControlsApi {
    void (*setText)(int id, const wchar_t* text);
    // The control's text into out (capacity in characters); returns its length, or -1 when there is no such control.
    int (*getText)(int id, wchar_t* out, int capacity);
    bool (*exists)(int id);
    void (*enable)(int id, bool enabled);
    bool (*isChecked)(int id);
    void (*setChecked)(int id, bool checked);
    int (*listSelection)(int id);  // -1 for none
    void (*setListSelection)(int id, int row);
    // Replaces every row of a drop-down list (the selection is then none).
    void (*setListRows)(int id, const wchar_t* const* rows, int count);
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
};

// Where the window stands: its placement, mini style, size, work areas and the web panel's place in it.
struct WindowPlacementApi {
    // The window's normal (restored) rectangle in screen coordinates and whether it is maximised; false when the
    // placement cannot be read.
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
    // The window's top-left corner on the screen; false when it cannot be read.
    bool (*windowTopLeft)(int* left, int* top);
    // How far the window's rectangle reaches past its visible part on each side (the compositor's invisible resize
    // borders, as left, top, right, bottom thickness); all zero where there are none.
    void (*hiddenFrame)(ScreenRect* thickness);
};

// The system around the window: dialogs, the shell, the clock and the window's own life.
struct WindowShellApi {
    void (*messageBox)(const wchar_t* text, const wchar_t* title);
    // Asks for an audio file to play; true with its path.
    bool (*chooseAudioFile)(wchar_t* out, int capacity);
    // Asks for a folder with the system's folder browser; true with its path.
    bool (*chooseFolder)(wchar_t* out, int capacity);
    void (*showInFolder)(const wchar_t* path);
    // Opens an address with the shell's "open" verb (the default browser), normal window.
    void (*openAddress)(const wchar_t* address);
    void (*setOnTop)(bool on);
    // A Yes/No question with the warning icon, No the default; true for Yes.
    bool (*confirm)(const wchar_t* text, const wchar_t* title);
    void (*destroyWindow)();
    // Gives the keyboard focus to the main window itself (a shortcut capture reads the keys there).
    void (*focusMainWindow)();
    void (*localTime)(LocalDateTime* now);
    void* (*captureNotifyTarget)();
    // Milliseconds since some fixed moment; it only goes forward (and wraps after 49 days).
    uint32_t (*tickMs)();
    // Tells Windows why ending the session now would lose work, shown while it waits for the window; null takes the
    // reason back.
    void (*blockShutdown)(const wchar_t* reason);
};
