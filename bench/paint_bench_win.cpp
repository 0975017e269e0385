// A full paint of the main window's face, in microseconds: the window's own paint (logo bar, meter) and every
// owner-drawn control and slider of the idle layout (with the player block too), repainted synchronously, at the
// scales given. The peer, measured in the same run, is the same window and controls painted as plain white boxes, so
// the ratio says what the drawing itself costs over the system's repaint machinery. Run it once normally and once
// with GDI+ disabled (WINEDLLOVERRIDES=gdiplus=d under Wine) to time the fallback.
//
// usage: notafon_bench_paint.exe [--repeat N] [--scale S]...
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

#include "ui/control_ids.h"
#include "ui/custom_controls_win.h"
#include "ui/drawing_win.h"
#include "ui/fonts_win.h"
#include "ui/layout.h"
#include "ui/paint_win.h"
#include "ui/scale.h"

HWND MainWindow;

namespace {

bool plainPeer;
PaintState paintState;

LRESULT CALLBACK BenchProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_PAINT:
            if (plainPeer) {
                PAINTSTRUCT ps;
                HDC dc = BeginPaint(hwnd, &ps);
                FillRect(dc, &ps.rcPaint, WhiteBrush);
                EndPaint(hwnd, &ps);
            } else {
                PaintMainWindow(hwnd, paintState);
            }
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_DRAWITEM: {
            const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
            if (!plainPeer) return DrawOwnerItem(item, paintState);
            FillRect(item->hDC, &item->rcItem, WhiteBrush);
            return TRUE;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return ControlColours(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp), paintState);
        default:
            return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

struct Child {
    int item;
    const wchar_t* cls;
    const wchar_t* text;
    DWORD style;
};

const Child kChildren[] = {
    {kItemMiniToggle, L"BUTTON", L"Nota Mini", BS_OWNERDRAW},
    {kItemTime, L"STATIC", L"00:00:00", SS_CENTER},
    {kItemStatus, L"STATIC", L"Ready to record  (Ctrl+Shift+R)", SS_CENTER},
    {kItemRecord, L"BUTTON", L"Record", BS_OWNERDRAW},
    {kItemPause, L"BUTTON", L"Pause", BS_OWNERDRAW | WS_DISABLED},
    {kItemStop, L"BUTTON", L"Stop", BS_OWNERDRAW | WS_DISABLED},
    {kItemMark, L"BUTTON", L"Mark", BS_OWNERDRAW | WS_DISABLED},
    {kItemSettings, L"BUTTON", L"Settings", BS_OWNERDRAW},
    {kItemLoadedName, L"STATIC", L"speech.mp3", SS_CENTER},
    {kItemSeek, L"NFSlider", L"", 0},
    {kItemVolume, L"NFSlider", L"", 0},
    {kItemSpeed, L"NFSlider", L"", 0},
    {kItemStart, L"BUTTON", L"Start", BS_OWNERDRAW},
    {kItemBack, L"BUTTON", L"Back 5s", BS_OWNERDRAW},
    {kItemPlay, L"BUTTON", L"Play", BS_OWNERDRAW},
    {kItemForward, L"BUTTON", L"Forward 5s", BS_OWNERDRAW},
    {kItemPlayerStop, L"BUTTON", L"Stop", BS_OWNERDRAW},
    {kItemDetail, L"STATIC", L"Recordings save locally as you go.", SS_LEFT},
    {kItemPlayLocalFile, L"BUTTON", L"Play Local File", BS_OWNERDRAW},
    {kItemPlayRecording, L"BUTTON", L"Play my recording", BS_OWNERDRAW},
    {kItemTranscribe, L"BUTTON", L"", BS_OWNERDRAW},
    {kItemShortcutBox, L"STATIC", L"", SS_OWNERDRAW},
};

double Now() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// One window at a scale, laid out with the player block shown (so every kind of control is on it).
HWND Build(HINSTANCE instance, double scale) {
    uiScale = scale;
    CreateFonts(nullptr);
    LayoutInput in = {};
    in.uiScale = scale;
    in.clientWidth = ScalePx(380);
    in.playerLoaded = true;
    in.lastRecording = true;
    for (int i = 0; i < kTextCount; ++i) in.textHeight[i] = ScalePx(17);
    LayoutResult out;
    LayoutState state = layoutInitialState();
    computeLayout(in, &state, &out);
    layoutState = state;
    RECT r = {0, 0, ScalePx(380), ScalePx(state.contentHeight)};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    HWND window = CreateWindowExW(0, L"NotafonPaintBench", L"paint bench", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                                  r.right - r.left, r.bottom - r.top, nullptr, nullptr, instance, nullptr);
    MainWindow = window;
    for (const Child& c : kChildren) {
        const Placement& p = out.items[c.item];
        HWND h =
            CreateWindowExW(0, c.cls, c.text, c.style | WS_CHILD | WS_VISIBLE, p.x, p.y, p.w, p.h, window,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(
                                kLayoutItemKeys[c.item] == kIdShortcutBox ? kIdChangeFolder : kLayoutItemKeys[c.item])),
                            instance, nullptr);
        SendMessageW(h, WM_SETFONT,
                     reinterpret_cast<WPARAM>(c.item == kItemTime ? windowFonts.timerFont : windowFonts.mainFont),
                     FALSE);
    }
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    return window;
}

double TimeRepaints(HWND window, int count) {
    double t0 = Now();
    for (int i = 0; i < count; ++i) {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
    return (Now() - t0) / count * 1e6;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int repeat = 5;
    double scales[8];
    int scaleCount = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (wcscmp(argv[i], L"--repeat") == 0) repeat = _wtoi(argv[i + 1]);
        if (wcscmp(argv[i], L"--scale") == 0 && scaleCount < 8) scales[scaleCount++] = _wtof(argv[i + 1]);
    }
    if (repeat < 1) {
        fwprintf(stderr, L"usage: notafon_bench_paint.exe [--repeat N] [--scale S]..., N at least 1\n");
        return 2;
    }
    if (scaleCount == 0) {
        scales[0] = 1.0;
        scales[1] = 1.5;
        scaleCount = 2;
    }
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WhiteBrush = CreateSolidBrush(RGB(255, 255, 255));
    RegisterCustomControls(instance);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = BenchProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"NotafonPaintBench";
    RegisterClassW(&wc);
    paintState.rewindSeconds = 5;
    // The meter is drawn too (it is hidden only by the player, whose controls are on this window anyway).
    paintState.playerShown = false;
    printf("paint: GDI+ %s; best of %d runs of 50 full repaints\n", DrawingHasGdiplus() ? "loaded" : "disabled (GDI)",
           repeat);
    for (int s = 0; s < scaleCount; ++s) {
        HWND window = Build(instance, scales[s]);
        double drawn = 1e18, plain = 1e18;
        for (int r = 0; r < repeat; ++r) {
            plainPeer = false;
            double t = TimeRepaints(window, 50);
            if (t < drawn) drawn = t;
            plainPeer = true;
            t = TimeRepaints(window, 50);
            if (t < plain) plain = t;
        }
        printf("paint at %3.0f %%: %8.0f us a full repaint; plain white boxes %8.0f us; ratio %.2f\n", scales[s] * 100,
               drawn, plain, drawn / plain);
        DestroyWindow(window);
    }
    return 0;
}
