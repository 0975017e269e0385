// The start-up benchmark's peer: the least a Win32 program does to show a painted window of the application's size
// (one class, one top-level window with a caption and a line of text, a message loop). Whatever Notafon.exe takes
// beyond this program is start-up work of its own.
#include <windows.h>

#include "peer_window_win.h"

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window, &ps);
            RECT client;
            GetClientRect(window, &client);
            DrawTextW(dc, L"Minimal window", -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            EndPaint(window, &ps);
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, msg, wparam, lparam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    // The main window's outer size at 96 dpi: a 380 x 520 client area in the same frame style.
    HWND window = CreatePeerWindow(instance, WindowProc, L"MinimalWindow", L"Minimal window", 380, 520);
    if (!window) return 1;
    ShowWindow(window, show);
    UpdateWindow(window);
    RunMessageLoop();
    return 0;
}
