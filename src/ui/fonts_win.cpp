// The window's fonts. A zoom change recreates them all and hands every control the font of its kind in the control
// list, the one it was created with, so a control's font never depends on whether a zoom change happened. Controls
// that paint their own text get theirs too: the old fonts are deleted, and a control left holding one would keep a
// handle to nothing.
#include "ui/fonts_win.h"

#include "ui/control_lookup_win.h"
#include "ui/control_table.h"
#include "ui/palette.h"
#include "ui/scale.h"

WindowFonts windowFonts;
PaintObjects paintObjects;

namespace {

struct SizedFontEntry {
    HFONT base;
    int height;
    HFONT font;
};
// Enough for every caption size of one scale: a handful of captions, each a few sizes down at most.
SizedFontEntry sizedFonts[32];

HFONT MakeFont(const wchar_t* face, int height, int weight) {
    return CreateFontW(-ScalePx(height), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, face);
}

HFONT SmallVariant(int weight, bool italic) {
    LOGFONTW lf = {};
    GetObjectW(windowFonts.smallFont, sizeof lf, &lf);
    lf.lfWeight = weight;
    lf.lfItalic = italic ? TRUE : FALSE;
    return CreateFontIndirectW(&lf);
}

PaintObjects MakePaintObjects() {
    PaintObjects o = {};
    o.smallBold = SmallVariant(FW_BOLD, false);
    o.smallItalic = SmallVariant(FW_NORMAL, true);
    o.meterBackground = CreateSolidBrush(kMeterBackground);
    o.stripBackground = CreateSolidBrush(kStripBackground);
    o.stripEdge = CreateSolidBrush(kStripEdge);
    o.meterBorder = CreatePen(PS_SOLID, 1, kMeterBorder);
    o.meterCentreLine = CreatePen(PS_SOLID, 1, kMeterCentreLine);
    o.headerLine = CreatePen(PS_SOLID, 1, kHeaderLine);
    return o;
}

void DeletePaintObjects(const PaintObjects& o) {
    const HGDIOBJ all[] = {o.smallBold, o.smallItalic, o.meterBackground, o.stripBackground,
                           o.stripEdge, o.meterBorder, o.meterCentreLine, o.headerLine};
    for (HGDIOBJ h : all) {
        if (h) DeleteObject(h);
    }
}

BOOL CALLBACK Assign(HWND child, LPARAM) {
    int key = controlLookup.keyOf ? controlLookup.keyOf(child) : -1;
    const ControlSpec* spec = key < 0 ? nullptr : findControl(key);
    if (spec) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(spec->font)), TRUE);
    return TRUE;
}

}  // namespace

void CreateFonts(HWND window) {
    HFONT old[4] = {windowFonts.mainFont, windowFonts.smallFont, windowFonts.timerFont, windowFonts.logoFont};
    windowFonts.mainFont = MakeFont(L"Segoe UI", 15, 600);
    windowFonts.smallFont = MakeFont(L"Segoe UI", 13, 400);
    windowFonts.timerFont = MakeFont(L"Segoe UI", 66, 600);
    windowFonts.logoFont = MakeFont(L"Georgia", 24, 700);
    PaintObjects oldObjects = paintObjects;
    paintObjects = MakePaintObjects();
    if (!old[0]) return;
    // Descendants too: the settings page lives in its container.
    if (window) EnumChildWindows(window, Assign, 0);
    for (HFONT f : old) {
        if (f) DeleteObject(f);
    }
    DeletePaintObjects(oldObjects);
    for (SizedFontEntry& e : sizedFonts) {
        if (e.font) DeleteObject(e.font);
        e = SizedFontEntry{};
    }
}

HFONT FontOf(FontKind kind) {
    switch (kind) {
        case FontKind::Small:
            return windowFonts.smallFont;
        case FontKind::Timer:
            return windowFonts.timerFont;
        default:
            return windowFonts.mainFont;
    }
}

HFONT SizedFont(HFONT base, int height) {
    if (!base) return nullptr;
    for (SizedFontEntry& e : sizedFonts) {
        if (e.font && e.base == base && e.height == height) return e.font;
    }
    for (SizedFontEntry& e : sizedFonts) {
        if (e.font) continue;
        LOGFONTW lf = {};
        if (!GetObjectW(base, sizeof lf, &lf)) return nullptr;
        lf.lfHeight = lf.lfHeight < 0 ? -height : height;
        HFONT font = CreateFontIndirectW(&lf);
        if (font) e = SizedFontEntry{base, height, font};
        return font;
    }
    return nullptr;
}
