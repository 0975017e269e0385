// The window's fonts. A zoom change recreates them all and hands each text control the font of its kind; controls
// that paint their own text (sliders, mini toggle, panel strip, shortcut box) are left alone.
#include "ui/fonts_win.h"

#include "ui/control_ids.h"
#include "ui/control_lookup_win.h"
#include "ui/palette.h"
#include "ui/scale.h"

HFONT MainFont;
HFONT SmallFont;
HFONT TimerFont;
HFONT LogoFont;
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

const int kSmallFontKeys[] = {kIdLoadedName,  kIdTimes,       kIdVolumeLabel,  kIdSpeedLabel, kIdPlay,
                              kIdBack,        kIdStart,       kIdForward,      kIdPlayerStop, kLabelSlot + 0,
                              kLabelSlot + 1, kLabelSlot + 2, kLabelSlot + 3,  kLabelSaveIn,  kIdFolder,
                              kIdDetail,      kIdVersion,     kLabelRecordNote};
const int kSelfPaintedKeys[] = {kIdSeek, kIdVolume, kIdSpeed, kIdMiniToggle, kIdPanelStrip, kIdShortcutBox};

bool Contains(const int* keys, int count, int key) {
    for (int i = 0; i < count; ++i) {
        if (keys[i] == key) return true;
    }
    return false;
}

HFONT SmallVariant(int weight, bool italic) {
    LOGFONTW lf = {};
    GetObjectW(SmallFont, sizeof lf, &lf);
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
    if (key < 0) return TRUE;
    const int selfCount = static_cast<int>(sizeof kSelfPaintedKeys / sizeof kSelfPaintedKeys[0]);
    const int smallCount = static_cast<int>(sizeof kSmallFontKeys / sizeof kSmallFontKeys[0]);
    if (Contains(kSelfPaintedKeys, selfCount, key)) return TRUE;
    HFONT font = MainFont;
    if (key == kIdTime) {
        font = TimerFont;
    } else if (Contains(kSmallFontKeys, smallCount, key)) {
        font = SmallFont;
    }
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    return TRUE;
}

}  // namespace

void CreateFonts(HWND window) {
    HFONT old[4] = {MainFont, SmallFont, TimerFont, LogoFont};
    MainFont = MakeFont(L"Segoe UI", 15, 600);
    SmallFont = MakeFont(L"Segoe UI", 13, 400);
    TimerFont = MakeFont(L"Segoe UI", 66, 600);
    LogoFont = MakeFont(L"Georgia", 24, 700);
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
