// Write access to the shell's state, for the controller's own files only; the rest of the program reads it through
// shellState() in app/shell_state.h.
#pragma once

#include "app/shell_state.h"

ShellState& shell();
