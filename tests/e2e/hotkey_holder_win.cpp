// notafon_hotkey_holder: another program holding a global shortcut, so a test can start Notafon while its record
// shortcut is taken. Registers Ctrl+Shift+R for itself, prints "held: 1" (or "held: 0"), and keeps it until the file
// STOP_PATH exists; then it exits and the shortcut is free again.
//
//   notafon_hotkey_holder STOP_PATH
#include <windows.h>

#include <stdio.h>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: notafon_hotkey_holder STOP_PATH\n");
        return 1;
    }
    BOOL held = RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_SHIFT | MOD_NOREPEAT, 'R');
    printf("held: %d\n", held ? 1 : 0);
    fflush(stdout);
    // Poll rather than block: the hot key's thread must keep its message queue alive while it holds the key.
    while (GetFileAttributesW(argv[1]) == INVALID_FILE_ATTRIBUTES) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(50);
    }
    if (held) UnregisterHotKey(nullptr, 1);
    printf("released: 1\n");
    return held ? 0 : 2;
}
