// Adapts the on-top setting to SetWindowPos. Apart from the main window so that a test can check it on windows of its
// own: the setting must change the window's band only, never take the focus from another window.
#include "app/window_on_top_win.h"

void SetWindowOnTop(HWND window, bool on) {
    // Without SWP_NOACTIVATE the call would also activate the window.
    SetWindowPos(window, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}
