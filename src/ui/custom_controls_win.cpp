// The slider (class NFSlider) keeps its six values in the window's own extra bytes and speaks the track-bar messages,
// so the controller drives it like a standard track bar; the container (class NFCont) passes its children's
// notifications up to the main window, so controls moved into it behave as the main window's own.
#include "ui/custom_controls_win.h"

#include <commctrl.h>

#include "ui/scale.h"
#include "ui/slider_logic.h"

HBRUSH WhiteBrush;

namespace {

enum SliderSlot { kSlotMin = 0, kSlotMax, kSlotPos, kSlotDragging, kSlotPage, kSlotLine, kSlotCount };

intptr_t Get(HWND hwnd, int slot) {
    return GetWindowLongPtrW(hwnd, slot * static_cast<int>(sizeof(LONG_PTR)));
}
void Set(HWND hwnd, int slot, intptr_t v) {
    SetWindowLongPtrW(hwnd, slot * static_cast<int>(sizeof(LONG_PTR)), v);
}

SliderState Load(HWND hwnd) {
    return SliderState{Get(hwnd, kSlotMin),      Get(hwnd, kSlotMax),  Get(hwnd, kSlotPos),
                       Get(hwnd, kSlotDragging), Get(hwnd, kSlotPage), Get(hwnd, kSlotLine)};
}

void Notify(HWND hwnd, int code) {
    WPARAM wp = (static_cast<WPARAM>(Get(hwnd, kSlotPos) & 0xFFFF) << 16) | static_cast<WPARAM>(code);
    SendMessageW(GetParent(hwnd), WM_HSCROLL, wp, reinterpret_cast<LPARAM>(hwnd));
}

void SetPos(HWND hwnd, intptr_t value, bool repaintAlways) {
    bool changed = value != Get(hwnd, kSlotPos);
    Set(hwnd, kSlotPos, value);
    if (changed || repaintAlways) InvalidateRect(hwnd, nullptr, FALSE);
}

void FollowMouse(HWND hwnd, int x) {
    RECT rc;
    GetClientRect(hwnd, &rc);
    Set(hwnd, kSlotPos, sliderValueFromX(Load(hwnd), x, rc.right, ScalePx(10)));
    InvalidateRect(hwnd, nullptr, FALSE);
    Notify(hwnd, SB_THUMBTRACK);
}

void EndDrag(HWND hwnd, bool repaint) {
    Set(hwnd, kSlotDragging, 0);
    if (repaint) ReleaseCapture();
    Notify(hwnd, SB_ENDSCROLL);
    if (repaint) InvalidateRect(hwnd, nullptr, FALSE);
}

void FillEllipse(HDC dc, COLORREF colour, int x, int y, int d) {
    HBRUSH brush = CreateSolidBrush(colour);
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    Ellipse(dc, x, y, x + d, y + d);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
}

void FillBar(HDC dc, COLORREF colour, int x, int y, int w, int h) {
    HBRUSH brush = CreateSolidBrush(colour);
    RECT r = {x, y, x + w, y + h};
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

// Plain drawing in the slider's colours; the anti-aliased painter replaces it with the drawing layer.
void PaintSlider(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bmp = CreateCompatibleBitmap(dc, rc.right, rc.bottom);
    HGDIOBJ oldBmp = SelectObject(mem, bmp);
    FillRect(mem, &rc, WhiteBrush);
    SliderState s = Load(hwnd);
    int m = ScalePx(10), th = ScalePx(6), r = ScalePx(8);
    int tw = rc.right - 2 * m;
    int cy = rc.bottom / 2;
    FillBar(mem, RGB(228, 225, 245), m, cy - th / 2, tw, th);
    double f = 0.0;
    if (s.min < s.max) f = static_cast<double>(s.pos - s.min) / static_cast<double>(s.max - s.min) * tw;
    if (f > 1.0) FillBar(mem, RGB(91, 68, 207), m, cy - th / 2, static_cast<int>(f), th);
    int kx = m + static_cast<int>(f);
    if (GetFocus() == hwnd) {
        int h = ScalePx(3);
        FillEllipse(mem, RGB(214, 207, 247), kx - r - h, cy - r - h, 2 * h + 2 * r);
    }
    FillEllipse(mem, RGB(255, 255, 255), kx - r - 1, cy - r - 1, 2 * r + 2);
    FillEllipse(mem, RGB(91, 68, 207), kx - r + 1, cy - r + 1, 2 * r - 2);
    BitBlt(dc, 0, 0, rc.right, rc.bottom, mem, 0, 0, SRCCOPY);
    SelectObject(mem, oldBmp);
    DeleteObject(bmp);
    DeleteDC(mem);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK SliderProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE: {
            SliderState s = sliderInitial();
            Set(hwnd, kSlotMin, s.min);
            Set(hwnd, kSlotMax, s.max);
            Set(hwnd, kSlotPos, s.pos);
            Set(hwnd, kSlotDragging, 0);
            Set(hwnd, kSlotPage, s.page);
            Set(hwnd, kSlotLine, s.line);
            return 0;
        }
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case WM_PAINT:
            PaintSlider(hwnd);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS;
        case WM_KEYDOWN: {
            intptr_t value;
            int code;
            if (!sliderKey(Load(hwnd), static_cast<int>(wp), &value, &code)) break;
            SetPos(hwnd, value, false);
            Notify(hwnd, code);
            Notify(hwnd, SB_ENDSCROLL);
            return 0;
        }
        case WM_MOUSEMOVE:
            if (Get(hwnd, kSlotDragging)) FollowMouse(hwnd, static_cast<short>(LOWORD(lp)));
            return 0;
        case WM_LBUTTONDOWN:
            SetFocus(hwnd);
            SetCapture(hwnd);
            Set(hwnd, kSlotDragging, 1);
            FollowMouse(hwnd, static_cast<short>(LOWORD(lp)));
            return 0;
        case WM_LBUTTONUP:
            if (Get(hwnd, kSlotDragging)) EndDrag(hwnd, true);
            return 0;
        case WM_MOUSEWHEEL: {
            intptr_t value;
            int code;
            sliderWheel(Load(hwnd), GET_WHEEL_DELTA_WPARAM(wp), &value, &code);
            SetPos(hwnd, value, false);
            Notify(hwnd, code);
            Notify(hwnd, SB_ENDSCROLL);
            return 0;
        }
        case WM_CAPTURECHANGED:
            if (Get(hwnd, kSlotDragging)) EndDrag(hwnd, false);
            return 0;
        case TBM_GETPOS:
            return static_cast<LRESULT>(static_cast<int32_t>(Get(hwnd, kSlotPos)));
        case TBM_SETPOS:
            if (!Get(hwnd, kSlotDragging)) SetPos(hwnd, sliderClamp(Load(hwnd), lp), false);
            return 0;
        case TBM_SETRANGE: {
            intptr_t lo, hi;
            sliderUnpackRange(lp, &lo, &hi);
            Set(hwnd, kSlotMin, lo);
            Set(hwnd, kSlotMax, hi);
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        }
        case TBM_SETPAGESIZE:
            Set(hwnd, kSlotPage, static_cast<int32_t>(lp));
            return 0;
        case TBM_SETLINESIZE:
            Set(hwnd, kSlotLine, static_cast<int32_t>(lp));
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK ContainerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_ERASEBKGND: {
            RECT rc;
            GetClientRect(hwnd, &rc);
            FillRect(reinterpret_cast<HDC>(wp), &rc, WhiteBrush);
            return 1;
        }
        case WM_DRAWITEM:
        case WM_NOTIFY:
        case WM_COMMAND:
        case WM_HSCROLL:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC:
        case WM_MOUSEWHEEL:
            return SendMessageW(GetParent(hwnd), msg, wp, lp);
        default:
            return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

}  // namespace

void RegisterCustomControls(HINSTANCE instance) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ContainerProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"NFCont";
    RegisterClassW(&wc);

    wc.lpfnWndProc = SliderProc;
    wc.cbWndExtra = kSlotCount * static_cast<int>(sizeof(LONG_PTR));
    wc.hCursor = LoadCursorW(nullptr, IDC_HAND);
    wc.lpszClassName = L"NFSlider";
    RegisterClassW(&wc);
}
