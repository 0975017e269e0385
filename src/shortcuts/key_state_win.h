// The key states that belong to the message being handled.
#pragma once

#include "shortcuts/key_state.h"

extern const KeyStateApi kMessageKeyStates;
