// The start-up benchmark's peers: the least a Win32 program does to show a painted window of the application's size
// (one class, one top-level window with a caption and a line of text, a message loop). Whatever Notafon.exe takes
// beyond this program is start-up work of its own.
//
// Built again with NOTAFON_PEER_CONTROLS and the application's manifest (common controls 6, the DPI awareness), it
// also has one button: what it takes beyond the first is what the standard controls in the system's current look
// bring to any program.
#include <windows.h>

#ifdef NOTAFON_PEER_CONTROLS
#include <commctrl.h>
#endif

#include "peer_window_win.h"

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
#ifdef NOTAFON_PEER_CONTROLS
        case WM_CREATE:
            CreateWindowExW(0, L"Button", L"Controls window", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 20, 20, 200, 32,
                            window, nullptr, reinterpret_cast<const CREATESTRUCTW*>(lparam)->hInstance, nullptr);
            return 0;
#endif
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
#ifdef NOTAFON_PEER_CONTROLS
    InitCommonControls();
#endif
    // The main window's outer size at 96 dpi: a 380 x 520 client area in the same frame style.
    HWND window = CreatePeerWindow(instance, WindowProc, L"MinimalWindow", L"Minimal window", 380, 520);
    if (!window) return 1;
    ShowWindow(window, show);
    UpdateWindow(window);
    RunMessageLoop();
    return 0;
}
