// Hot keys of the main window through the system's registration.
#pragma once

#include "shortcuts/shortcut_registration.h"

extern const HotkeyApi kWindowHotkeys;
