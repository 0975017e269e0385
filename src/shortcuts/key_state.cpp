// Reading the modifier bits of the key press being handled.
#include "shortcuts/key_state.h"

#include "shortcuts/shortcut.h"

namespace {

const KeyStateApi* keyStates;

bool IsDown(uint32_t key) {
    return (static_cast<uint16_t>(keyStates->keyState(key)) & 0x8000u) != 0;
}

}  // namespace

void keyStateInstall(const KeyStateApi* api) {
    keyStates = api;
}

uint32_t CurrentModifiers() {
    if (!keyStates) return 0;
    uint32_t mods = 0;
    if (IsDown(kKeyCtrl)) mods |= kModCtrl;
    if (IsDown(kKeyShift)) mods |= kModShift;
    if (IsDown(kKeyAlt)) mods |= kModAlt;
    if (IsDown(kKeyLeftWin) || IsDown(kKeyRightWin)) mods |= kModWin;
    return mods;
}
