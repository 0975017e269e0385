// The window the benchmarks' peer programs show: one class, one top-level window in the main window's frame style
// with a client area of the given size at 96 dpi, and the plain message loop. Shared so the peers differ from each
// other only in what they measure.
#pragma once

#include <windows.h>

inline HWND CreatePeerWindow(HINSTANCE instance, WNDPROC procedure, const wchar_t* className, const wchar_t* title,
                             int clientWidth, int clientHeight) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = className;
    RegisterClassW(&wc);
    const DWORD style = 0x02CF0000;
    RECT rect = {0, 0, clientWidth, clientHeight};
    AdjustWindowRect(&rect, style, FALSE);
    return CreateWindowExW(0, className, title, style, CW_USEDEFAULT, CW_USEDEFAULT, rect.right - rect.left,
                           rect.bottom - rect.top, nullptr, nullptr, instance, nullptr);
}

inline void RunMessageLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}
