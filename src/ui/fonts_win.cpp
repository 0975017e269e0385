// The window's fonts. A zoom change recreates them all and reassigns them, so every control keeps its kind of font.
#include "ui/fonts_win.h"

#include "ui/scale.h"

HFONT MainFont;
HFONT SmallFont;
HFONT TimerFont;
HFONT LogoFont;

namespace {

HFONT MakeFont(const wchar_t* face, int height, int weight) {
    return CreateFontW(-ScalePx(height), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, face);
}

struct FontSwap {
    HFONT oldFonts[4];
    HFONT newFonts[4];
};

BOOL CALLBACK Reassign(HWND child, LPARAM param) {
    const FontSwap* swap = reinterpret_cast<const FontSwap*>(param);
    HFONT current = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
    HFONT next = swap->newFonts[0];
    for (int i = 0; i < 4; ++i) {
        if (current == swap->oldFonts[i]) next = swap->newFonts[i];
    }
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(next), TRUE);
    return TRUE;
}

}  // namespace

void CreateFonts(HWND window) {
    FontSwap swap = {{MainFont, SmallFont, TimerFont, LogoFont}, {}};
    MainFont = MakeFont(L"Segoe UI", 15, 600);
    SmallFont = MakeFont(L"Segoe UI", 13, 400);
    TimerFont = MakeFont(L"Segoe UI", 66, 600);
    LogoFont = MakeFont(L"Georgia", 24, 700);
    if (!swap.oldFonts[0]) return;
    swap.newFonts[0] = MainFont;
    swap.newFonts[1] = SmallFont;
    swap.newFonts[2] = TimerFont;
    swap.newFonts[3] = LogoFont;
    if (window) EnumChildWindows(window, Reassign, reinterpret_cast<LPARAM>(&swap));
    for (HFONT f : swap.oldFonts) {
        if (f) DeleteObject(f);
    }
}
