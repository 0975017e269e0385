// The window's modes and the commands that switch them: mini mode, the web panel beside (or instead of) the recorder
// column, the panel's fallback to the default browser, and the folder and converter actions.
#pragma once

#include "app/window_controls.h"

// Takes whether the panel's service was signed in at the end of the last run, before the window is made.
void loadSignedIn();

// Moves x, y so the visible part of a w × h window lies inside the work area: first off the right and bottom edges,
// then onto the left and top ones (a window larger than the area keeps its top-left corner on it). hidden: the
// thickness of the invisible borders on each side (left, top, right, bottom), which may lie outside.
void clampToWorkArea(int* x, int* y, int width, int height, const ScreenRect& area, const ScreenRect& hidden);

// A window placement's normal rectangle, given in workspace coordinates (relative to the work area, which a taskbar at
// the top or left moves off the monitor's corner), in screen coordinates.
ScreenRect workspaceToScreen(const ScreenRect& rect, const ScreenRect& monitor, const ScreenRect& workArea);

void onPanelButton();    // 114, "Transcribe on Parlowen"
void onPanelStrip();     // 170, hides or shows the recorder column beside the panel
void onMiniToggle();     // 171, "Nota Mini"
void onChangeFolder();   // 117, "Change folder..."
void onConverterLink();  // 115, "Make the file smaller (free tool)"
// The panel could not be set up: back to the recorder, say why, open the service in the default browser.
void PanelFallback(const wchar_t* reason);

// The panel host's two callbacks, registered at start-up.
void onPanelAudioRequest();
void onPanelSignedInChanged(int signedIn);
// The browser's process ended: the panel's place closes as if the button had closed it.
void onPanelBrowserGone();
// Every layout with the panel open hands it its rectangle (device pixels of the client area).
void onPanelPlaced(int x, int y, int width, int height);
