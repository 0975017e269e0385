// The slider (class NFSlider) keeps its six values in the window's own extra bytes and speaks the track-bar messages,
// so the controller drives it like a standard track bar; the container (class NFCont) passes its children's
// notifications up to the main window, so controls moved into it behave as the main window's own.
#include "ui/custom_controls_win.h"

#include <commctrl.h>

#include "ui/drawing_win.h"
#include "ui/layout.h"
#include "ui/palette.h"
#include "ui/scale.h"
#include "ui/slider_logic.h"

HBRUSH WhiteBrush;

namespace {

// What is left of small wheel deltas, for the one slider the wheel turned last.
HWND wheelSlider;
int wheelRemainder;

// A drop-down list takes the wheel only while it has the focus or shows its rows; otherwise the turn is the page's.
LRESULT CALLBACK ListWheelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    if (msg == WM_MOUSEWHEEL && GetFocus() != hwnd && !SendMessageW(hwnd, CB_GETDROPPEDSTATE, 0, 0))
        return SendMessageW(GetParent(hwnd), msg, wp, lp);
    return DefSubclassProc(hwnd, msg, wp, lp);
}

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

// Double-buffered: the whole slider is drawn off-screen and copied in one BitBlt, so dragging does not flicker. The
// track width stays a float so the fill and the knob move smoothly on narrow sliders.
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
    float m = static_cast<float>(ScalePx(10));
    float tw = static_cast<float>(rc.right) - 2 * m;
    float cy = static_cast<float>(rc.bottom) * 0.5f;
    float th = static_cast<float>(ScalePx(6));
    float r = static_cast<float>(ScalePx(8));
    Drawing ctx = OpenDrawing(mem);
    FillPill(ctx, kTrackLavender, m, cy - th / 2, tw, th);
    float f = 0.0f;
    if (s.min < s.max) {
        f = static_cast<float>(s.pos - s.min) / static_cast<float>(s.max - s.min) * tw;
        if (f > 1.0f) FillPill(ctx, kAccentPurple, m, cy - th / 2, f > th ? f : th, th);
    }
    float kx = m + f;
    if (GetFocus() == hwnd) {
        float h = static_cast<float>(ScalePx(3));
        FillEllipse(ctx, kFocusLavender, kx - r - h, cy - r - h, 2 * h + 2 * r, 2 * h + 2 * r);
    }
    FillEllipse(ctx, kWhite, kx - r - 1, cy - r - 1, 2 * r + 2, 2 * r + 2);
    FillEllipse(ctx, kAccentPurple, kx - r + 1, cy - r + 1, 2 * r - 2, 2 * r - 2);
    FillEllipse(ctx, kWhite, kx - 0.32f * r, cy - 0.32f * r, 0.64f * r, 0.64f * r);
    CloseDrawing(&ctx);
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
            // Windows sends the wheel to the window under the pointer: a slider the pointer merely passes while the
            // page scrolls must not seek or change the volume.
            if (GetFocus() != hwnd) return SendMessageW(GetParent(hwnd), msg, wp, lp);
            if (wheelSlider != hwnd) {
                wheelSlider = hwnd;
                wheelRemainder = 0;
            }
            intptr_t value;
            int code;
            if (!sliderWheel(Load(hwnd), wheelNotches(&wheelRemainder, GET_WHEEL_DELTA_WPARAM(wp), 1), &value, &code))
                return 0;
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

void KeepWheelForFocusedList(HWND list) {
    SetWindowSubclass(list, ListWheelProc, 1, 0);
}
