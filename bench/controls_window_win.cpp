// The start-up benchmark's second peer: the minimal window program with what any program of standard controls in
// the system's current look brings: the application's manifest (common controls 6, the DPI awareness) and one
// button. What it takes beyond the minimal window is the cost of those libraries; what Notafon.exe takes beyond it
// is Notafon's own.
#include <windows.h>

#include <commctrl.h>

#include "peer_window_win.h"

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
        case WM_CREATE:
            CreateWindowExW(0, L"Button", L"Controls window", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 20, 20, 200, 32,
                            window, nullptr, reinterpret_cast<const CREATESTRUCTW*>(lparam)->hInstance, nullptr);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, msg, wparam, lparam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    InitCommonControls();
    HWND window = CreatePeerWindow(instance, WindowProc, L"ControlsWindow", L"Controls window", 380, 520);
    if (!window) return 1;
    ShowWindow(window, show);
    UpdateWindow(window);
    RunMessageLoop();
    return 0;
}
