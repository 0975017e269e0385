// Keeping a top-level window above the others (the "Keep this window on top" setting).
#pragma once

#include <windows.h>

// Puts the window in or out of the topmost band without activating it or moving it.
void SetWindowOnTop(HWND window, bool on);
