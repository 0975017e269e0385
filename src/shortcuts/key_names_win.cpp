// Adapts the key-name seam to the keyboard-layout functions of user32: the virtual key is mapped to its scan code and
// the layout names the key from that, so names follow the user's layout. The seam sits below the request building,
// so which keys carry the extended-key flag is decided (and tested) in portable code.
#include "shortcuts/key_names_win.h"

#include <windows.h>

namespace {

uint32_t ScanCode(uint32_t key) {
    return MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
}

int KeyName(uint32_t request, wchar_t* out, int capacity) {
    if (capacity <= 0) return 0;
    int n = GetKeyNameTextW(static_cast<LONG>(request), out, capacity);
    if (n <= 0) {
        out[0] = 0;
        return 0;
    }
    return n;
}

}  // namespace

const KeyNameApi kLayoutKeyNames = {ScanCode, KeyName};
