// The on-top setting on real windows: it moves the window into and out of the topmost band and leaves the focus
// where it was.
#include "app/window_on_top_win.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

HWND MakeWindow(const wchar_t* title) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"NotafonOnTopTest";
        RegisterClassW(&wc);
        registered = true;
    }
    HWND w = CreateWindowExW(0, L"NotafonOnTopTest", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100, nullptr,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
    return w;
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

bool Topmost(HWND w) {
    return (GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

}  // namespace

TEST(WindowOnTop, ChangesTheBandWithoutTakingTheFocus) {
    HWND main = MakeWindow(L"main");
    HWND other = MakeWindow(L"other");
    ASSERT_TRUE(main && other);
    SetForegroundWindow(other);
    SetActiveWindow(other);
    Pump();
    ASSERT_EQ(GetActiveWindow(), other);

    SetWindowOnTop(main, true);
    Pump();
    EXPECT_TRUE(Topmost(main));
    EXPECT_EQ(GetActiveWindow(), other);

    SetWindowOnTop(main, false);
    Pump();
    EXPECT_FALSE(Topmost(main));
    EXPECT_EQ(GetActiveWindow(), other);

    DestroyWindow(other);
    DestroyWindow(main);
}
