// Adapts the key-state seam to GetKeyState, which reports the keyboard as it was when the message being handled was
// posted. The live state (GetAsyncKeyState) would be wrong: a capture reads the modifiers of a key press that may
// have been released by the time its message arrives.
#include "shortcuts/key_state_win.h"

#include <windows.h>

namespace {

int16_t KeyState(uint32_t key) {
    return GetKeyState(static_cast<int>(key));
}

}  // namespace

const KeyStateApi kMessageKeyStates = {KeyState};
