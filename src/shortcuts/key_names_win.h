// The key names of the user's keyboard layout.
#pragma once

#include "shortcuts/key_names.h"

extern const KeyNameApi kLayoutKeyNames;
