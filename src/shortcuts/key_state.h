// The key-state seam and the modifier bits held at the key press being handled.
#pragma once

#include <stdint.h>

struct KeyStateApi {
    // The key's state as of the message being handled (not the live keyboard); the high bit is set while it is down.
    int16_t (*keyState)(uint32_t key);
};

// Hands the seam to CurrentModifiers; until then no modifier counts as held.
void keyStateInstall(const KeyStateApi* api);

// Alt 1, Ctrl 2, Shift 4, Win 8 (either Win key) for the modifiers down at the current message.
uint32_t CurrentModifiers();
