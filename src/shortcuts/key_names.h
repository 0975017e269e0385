// The key-name seam: what the shortcut text needs from the keyboard layout. The Windows implementation asks the
// user's layout; the built-in English table stands in for it in tests and in the native build.
#pragma once

#include <stdint.h>

struct KeyNameApi {
    // The layout's scan code for a virtual key, 0 when it has none.
    uint32_t (*scanCode)(uint32_t key);
    // The layout's name for a key-name request (scan code in bits 16 to 23, extended-key flag in bit 24) into out;
    // returns its length, 0 when the layout has no name for it.
    int (*keyName)(uint32_t request, wchar_t* out, int capacity);
};

// A United States layout's scan codes and English key names, for the keys a shortcut is likely to use.
extern const KeyNameApi kEnglishKeyNames;
