// Adapts the hot-key seam to RegisterHotKey on the main window: the system then posts WM_HOTKEY to it whichever
// window has the focus, even while it is minimised.
#include "shortcuts/hotkeys_win.h"

#include <windows.h>

namespace {

HWND hotkeyWindow;

bool WindowExists() {
    return hotkeyWindow != nullptr;
}

bool Register(int id, uint32_t mods, uint32_t key) {
    return RegisterHotKey(hotkeyWindow, id, mods, key) != FALSE;
}

void Unregister(int id) {
    UnregisterHotKey(hotkeyWindow, id);
}

}  // namespace

void hotkeysAttachWindow(HWND window) {
    hotkeyWindow = window;
}

const HotkeyApi kWindowHotkeys = {
    .windowExists = WindowExists,
    .registerHotkey = Register,
    .unregisterHotkey = Unregister,
};
