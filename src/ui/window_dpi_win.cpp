// Window DPI, frame and visible bounds.
#include "ui/window_dpi_win.h"

#include "base/system_library_win.h"

namespace {

typedef UINT(WINAPI* DpiForWindowFn)(HWND);
typedef BOOL(WINAPI* AdjustForDpiFn)(LPRECT, DWORD, BOOL, DWORD, UINT);
typedef HRESULT(WINAPI* DwmAttributeFn)(HWND, DWORD, PVOID, DWORD);

const DWORD kExtendedFrameBounds = 9;  // DWMWA_EXTENDED_FRAME_BOUNDS

LONG AtLeastZero(LONG v) {
    return v > 0 ? v : 0;
}

}  // namespace

UINT WindowDpi(HWND window) {
    static DpiForWindowFn dpiForWindow =
        reinterpret_cast<DpiForWindowFn>(SystemFunction(L"user32.dll", "GetDpiForWindow"));
    UINT dpi = dpiForWindow && window ? dpiForWindow(window) : 0;
    if (dpi != 0) return dpi;
    HDC screen = GetDC(nullptr);
    dpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSX));
    ReleaseDC(nullptr, screen);
    return dpi != 0 ? dpi : 96;
}

void FrameAtDpi(HWND window, UINT dpi, int* width, int* height) {
    static AdjustForDpiFn adjustForDpi =
        reinterpret_cast<AdjustForDpiFn>(SystemFunction(L"user32.dll", "AdjustWindowRectExForDpi"));
    DWORD style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    RECT frame = {0, 0, 0, 1000};
    if (!adjustForDpi || !adjustForDpi(&frame, style, FALSE, exStyle, dpi)) {
        frame = RECT{0, 0, 0, 1000};
        AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    }
    *width = frame.right - frame.left;
    *height = frame.bottom - frame.top - 1000;
}

RECT HiddenFrame(HWND window) {
    static DwmAttributeFn attribute =
        reinterpret_cast<DwmAttributeFn>(SystemFunction(L"dwmapi.dll", "DwmGetWindowAttribute"));
    RECT hidden = {0, 0, 0, 0};
    RECT outer, visible;
    if (!attribute || !GetWindowRect(window, &outer)) return hidden;
    if (FAILED(attribute(window, kExtendedFrameBounds, &visible, sizeof visible))) return hidden;
    // A minimised or hidden window answers a rectangle that says nothing about its borders.
    if (visible.right <= visible.left || visible.bottom <= visible.top) return hidden;
    hidden.left = AtLeastZero(visible.left - outer.left);
    hidden.top = AtLeastZero(visible.top - outer.top);
    hidden.right = AtLeastZero(outer.right - visible.right);
    hidden.bottom = AtLeastZero(outer.bottom - visible.bottom);
    return hidden;
}
