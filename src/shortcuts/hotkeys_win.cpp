// Adapts the hot-key seam to RegisterHotKey on the main window: the system then posts WM_HOTKEY to it whichever
// window has the focus, even while it is minimised.
#include "shortcuts/hotkeys_win.h"

#include <windows.h>

extern HWND MainWindow;

namespace {

bool WindowExists() {
    return MainWindow != nullptr;
}

bool Register(int id, uint32_t mods, uint32_t key) {
    return RegisterHotKey(MainWindow, id, mods, key) != FALSE;
}

void Unregister(int id) {
    UnregisterHotKey(MainWindow, id);
}

}  // namespace

const HotkeyApi kWindowHotkeys = {WindowExists, Register, Unregister};
