// Hot keys of the main window through the system's registration.
#pragma once

#include <windows.h>

#include "shortcuts/shortcut_registration.h"

extern const HotkeyApi kWindowHotkeys;
// The window the hot keys belong to (null until it exists, and again after it is destroyed).
void hotkeysAttachWindow(HWND window);
