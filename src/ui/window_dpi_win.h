// The window's own DPI, its frame at a DPI, and how much of its rectangle the desktop compositor leaves unseen: calls
// that Windows 10 and the compositor have and older systems (or Wine) may lack, reached at run time.
#pragma once

#include <windows.h>

// The DPI of the monitor the window is on (GetDpiForWindow); the screen's where the system cannot say.
UINT WindowDpi(HWND window);
// What the window's frame adds to a client size at dpi (AdjustWindowRectExForDpi; the system DPI's frame without it).
void FrameAtDpi(HWND window, UINT dpi, int* width, int* height);
// The invisible resize borders on each side: the window rectangle less the compositor's visible frame bounds. All zero
// where the compositor answers nothing.
RECT HiddenFrame(HWND window);
