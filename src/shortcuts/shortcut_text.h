// The one way a shortcut is shown: modifier prefixes in a fixed order, then the keyboard layout's name of the key.
#pragma once

#include <stdint.h>

#include "shortcuts/key_names.h"

// Characters of the key name, terminator included; a longer name is cut.
const int kKeyNameCapacity = 64;

// Hands the seam to ShortcutToText; until then every key shows as "Key %u".
void shortcutTextInstall(const KeyNameApi* api);

// Appends text to the terminated string in buffer, never letting it grow past capacity - 1 characters. A string that
// already holds capacity - 1 or more gets nothing; the result is always terminated.
void AppendBounded(wchar_t* buffer, int capacity, const wchar_t* text);

// "Ctrl+", "Alt+", "Shift+", "Win+" (in this order, for the bits held), then the key's name, cut at capacity.
void ShortcutToText(uint32_t mods, uint32_t key, wchar_t* buffer, int capacity);
