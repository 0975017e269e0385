// Adapts the typing seam to the live keyboard: GetAsyncKeyState for the modifiers still held after a global
// shortcut (the message-time state the captures read knows nothing of keys pressed in another program), and
// SendInput with KEYEVENTF_UNICODE, which the system turns into VK_PACKET key presses that the focused window
// receives as its characters, whatever the keyboard layout. The clipboard is never touched.
#include "app/typing_win.h"

#include <windows.h>

namespace {

bool Down(int key) {
    return (static_cast<uint16_t>(GetAsyncKeyState(key)) & 0x8000u) != 0;
}

bool ModifiersDown(uint32_t mods) {
    if ((mods & 1) && Down(VK_MENU)) return true;
    if ((mods & 2) && Down(VK_CONTROL)) return true;
    if ((mods & 4) && Down(VK_SHIFT)) return true;
    if ((mods & 8) && (Down(VK_LWIN) || Down(VK_RWIN))) return true;
    return false;
}

int TypeText(const wchar_t* text) {
    // A key down and a key up per character; the texts typed are a timestamp, a few characters long.
    const int kMaxChars = 32;
    INPUT inputs[2 * kMaxChars] = {};
    int chars = 0;
    for (; text[chars] && chars < kMaxChars; ++chars) {
        for (int half = 0; half < 2; ++half) {
            INPUT& in = inputs[2 * chars + half];
            in.type = INPUT_KEYBOARD;
            in.ki.wVk = 0;
            in.ki.wScan = static_cast<WORD>(text[chars]);
            in.ki.dwFlags = KEYEVENTF_UNICODE | (half ? KEYEVENTF_KEYUP : 0);
        }
    }
    UINT sent = SendInput(static_cast<UINT>(2 * chars), inputs, sizeof(INPUT));
    return static_cast<int>(sent / 2);
}

}  // namespace

const TypingApi kSystemTyping = {ModifiersDown, TypeText};
