// The main window's own painting and its owner-drawn controls. Every paint goes through an off-screen bitmap and one
// BitBlt; the meter has its own small bitmap so its periodic repaint during a recording redraws only its band.
#include "ui/paint_win.h"

#include "base/wide_text.h"
#include "notafon_version.h"
#include "shortcuts/shortcut_text.h"
#include "ui/control_table.h"
#include "ui/custom_controls_win.h"
#include "ui/drawing_win.h"
#include "ui/fonts_win.h"
#include "ui/layout.h"
#include "ui/layout_apply_win.h"
#include "ui/meter.h"
#include "ui/palette.h"
#include "ui/scale.h"

namespace {

HICON appIcon;  // loaded at the first paint of the logo bar, kept for the life of the process

// The meter's own bitmap, kept between paints: during a recording the meter is repainted every 70 ms, and making a
// bitmap for each frame is most of what a frame costs. Made again when the scale changes its size.
struct MeterBitmap {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
    int w, h;
};
MeterBitmap meterBitmap;

HDC MeterDc(HDC target, int w, int h) {
    if (meterBitmap.dc && (meterBitmap.w != w || meterBitmap.h != h)) {
        SelectObject(meterBitmap.dc, meterBitmap.old);
        DeleteObject(meterBitmap.bitmap);
        DeleteDC(meterBitmap.dc);
        meterBitmap = MeterBitmap{};
    }
    if (!meterBitmap.dc) {
        meterBitmap.dc = CreateCompatibleDC(target);
        meterBitmap.bitmap = CreateCompatibleBitmap(target, w, h);
        meterBitmap.old = SelectObject(meterBitmap.dc, meterBitmap.bitmap);
        meterBitmap.w = w;
        meterBitmap.h = h;
    }
    RECT all = {0, 0, w, h};
    FillRect(meterBitmap.dc, &all, WhiteBrush);
    return meterBitmap.dc;
}

// An off-screen bitmap of a given size selected into a memory DC.
struct Buffer {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
};

Buffer OpenBuffer(HDC target, int w, int h) {
    Buffer b = {CreateCompatibleDC(target), CreateCompatibleBitmap(target, w, h), nullptr};
    b.old = SelectObject(b.dc, b.bitmap);
    RECT all = {0, 0, w, h};
    FillRect(b.dc, &all, WhiteBrush);
    return b;
}

void CloseBuffer(const Buffer& b) {
    SelectObject(b.dc, b.old);
    DeleteObject(b.bitmap);
    DeleteDC(b.dc);
}

int TextWidth(HDC dc, const wchar_t* text) {
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
    return size.cx;
}

void DrawLogoBar(HDC dc, int clientWidth) {
    RECT bar = {0, 0, clientWidth, ScalePx(kLogoBarHeight)};
    FillRect(dc, &bar, WhiteBrush);
    HGDIOBJ oldPen = SelectObject(dc, paintObjects.headerLine);
    MoveToEx(dc, 0, ScalePx(kLogoBarHeight - 1), nullptr);
    LineTo(dc, clientWidth, ScalePx(kLogoBarHeight - 1));
    SelectObject(dc, oldPen);

    int offset = ScalePx(layoutState.centerOffset);
    if (!appIcon) {
        appIcon = static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, ScalePx(32), ScalePx(32), 0));
    }
    if (appIcon)
        DrawIconEx(dc, ScalePx(18) + offset, ScalePx(10), appIcon, ScalePx(32), ScalePx(32), 0, nullptr, DI_NORMAL);

    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = SelectObject(dc, windowFonts.logoFont);
    int x = ScalePx(60) + offset, y = ScalePx(10) - ScalePx(2);
    SetTextColor(dc, kAccentPurple);
    TextOutW(dc, x, y, L"Nota", 4);
    int nota = TextWidth(dc, L"Nota");
    SetTextColor(dc, kGreen);
    TextOutW(dc, x + nota, y, L"fon", 3);
    int fon = TextWidth(dc, L"fon");
    SelectObject(dc, windowFonts.smallFont);
    SetTextColor(dc, kVersionGrey);
    static const wchar_t kVersion[] = L"v" NOTAFON_VERSION_SHORT_WIDE;
    TextOutW(dc, x + nota + fon + ScalePx(6), ScalePx(10) + ScalePx(7), kVersion, ARRAYSIZE(kVersion) - 1);
    SelectObject(dc, oldFont);
}

// The meter in its own bitmap, from the bitmap's top left.
void DrawMeter(HDC dc, const MeterPlacement& m, const PaintState& state) {
    HGDIOBJ oldBrush = SelectObject(dc, paintObjects.meterBackground);
    HGDIOBJ oldPen = SelectObject(dc, paintObjects.meterBorder);
    RoundRect(dc, 0, 0, m.w, m.h, m.corner, m.corner);
    SelectObject(dc, paintObjects.meterCentreLine);
    MoveToEx(dc, m.corner, m.h / 2, nullptr);
    LineTo(dc, m.w - m.corner, m.h / 2);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);

    MeterLook look = meterLook(state.recorderState, state.level);
    MeterColours colours = look.colours;
    int x = meterFirstBarX(m.w, m.barWidth, m.barGap);
    double phase = 1.26 * (GetTickCount() / 1000.0);
    for (int i = 0; i < kMeterBars; ++i) {
        int bh = meterBarHeight(i, phase, look.amplitude, m.barUnit);
        int top = (m.h - bh) / 2;
        int middle = top + bh / 2;
        DrawGradientBar(dc, x, m.barWidth, top, middle, colours.endColour, colours.centreColour);
        DrawGradientBar(dc, x, m.barWidth, middle, top + bh, colours.centreColour, colours.endColour);
        x += m.barWidth + m.barGap;
    }
}

// A caption's room is fixed by the row it sits in, and text widths differ between systems and fonts: a caption
// wider than its room is drawn in a smaller size of its font, down to two thirds of it, before it is ever cut.
// Null when the font fits as it is, or no smaller size can be had; a smaller size is kept by the fonts (SizedFont).
HFONT FittingFont(HDC dc, HFONT font, const wchar_t* text, int room) {
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
    SelectObject(dc, old);
    if (size.cx <= room || size.cx <= 0 || room <= 0) return nullptr;
    LOGFONTW lf = {};
    GetObjectW(font, sizeof lf, &lf);
    int full = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
    int smallest = (full * 2 + 2) / 3;
    int height = full * room / size.cx;
    if (height < smallest) height = smallest;
    for (;; --height) {
        HFONT smaller = SizedFont(font, height);
        if (!smaller) return nullptr;
        old = SelectObject(dc, smaller);
        GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
        SelectObject(dc, old);
        if (size.cx <= room || height <= smallest) return smaller;
    }
}

// One line of text, vertically centred in rect, in the font or in the smaller size of it that fits.
void DrawFittedText(HDC dc, HFONT font, const wchar_t* text, RECT rect, UINT format) {
    HFONT fitted = FittingFont(dc, font, text, rect.right - rect.left);
    HGDIOBJ old = SelectObject(dc, fitted ? fitted : font);
    DrawTextW(dc, text, -1, &rect, format | DT_SINGLELINE | DT_VCENTER);
    SelectObject(dc, old);
}

// --- owner-drawn items; rc is the item rectangle in the item's own bitmap ---

void DrawTransport(HDC dc, const DRAWITEMSTRUCT* item, const RECT& rc, PaintKind kind, const PaintState& state) {
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    bool pressed = (item->itemState & ODS_SELECTED) != 0;
    float c = static_cast<float>(ScalePx(17));
    float d = static_cast<float>(w) < h - c - ScalePx(2) ? static_cast<float>(w) : h - c - ScalePx(2);
    float cx = rc.left + w / 2.0f, cy = rc.top + d / 2 + ScalePx(1);
    bool play = kind == PaintKind::TransportPlay;
    float k = (play ? 0.36f : 0.34f) * d;
    COLORREF circle =
        play ? (pressed ? kDarkAccentPurple : kAccentPurple) : (pressed ? kPressedLavender : kSoftLavender);
    COLORREF glyph = play ? kWhite : kAccentPurple;
    Drawing ctx = OpenDrawing(dc);
    if (play) {
        float halo = d + 2 * ScalePx(3);
        FillEllipse(ctx, kHaloLavender, cx - halo / 2, cy - halo / 2, halo, halo);
    }
    FillEllipse(ctx, circle, cx - d / 2, cy - d / 2, d, d);
    wchar_t text[64];
    GetWindowTextW(item->hwndItem, text, 64);
    switch (kind) {
        case PaintKind::TransportPlay:
            if (state.playing) {
                DrawPauseGlyph(ctx, glyph, cx, cy, k);
            } else {
                DrawTriangleGlyph(ctx, glyph, cx + 0.063f * k, cy, 1.05f * k, true);
            }
            break;
        case PaintKind::TransportBack: {
            float k2 = 1.1f * k;
            DrawTriangleGlyph(ctx, glyph, cx - 0.26f * k2, cy, 0.62f * k2, false);
            DrawTriangleGlyph(ctx, glyph, cx + 0.28f * k2, cy, 0.62f * k2, false);
            break;
        }
        case PaintKind::TransportForward: {
            float k2 = 1.1f * k;
            DrawTriangleGlyph(ctx, glyph, cx - 0.28f * k2, cy, 0.62f * k2, true);
            DrawTriangleGlyph(ctx, glyph, cx + 0.26f * k2, cy, 0.62f * k2, true);
            break;
        }
        case PaintKind::TransportStart:
            FillBox(ctx, glyph, cx - 0.55f * k, cy - 0.5f * k, 0.16f * k, k);
            DrawTriangleGlyph(ctx, glyph, cx + 0.18f * k, cy, 0.85f * k, false);
            break;
        default:  // the player's Stop
            FillBox(ctx, glyph, cx - 0.405f * k, cy - 0.405f * k, 0.81f * k, 0.81f * k);
            break;
    }
    CloseDrawing(&ctx);
    // The caption has the item's width: what would stick out is cut by the control's own edges.
    RECT caption = {rc.left, rc.bottom - static_cast<int>(c), rc.right, rc.bottom};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kLabelGrey);
    DrawFittedText(dc, windowFonts.smallFont, text, caption, DT_CENTER | DT_NOCLIP);
    if (item->itemState & ODS_FOCUS) {
        RECT focus = {rc.left + ScalePx(2), rc.top, rc.right - ScalePx(2), rc.top + static_cast<int>(d) + ScalePx(2)};
        DrawFocusRect(dc, &focus);
    }
}

void DrawButton(HDC dc, const DRAWITEMSTRUCT* item, const RECT& rc, PaintKind kind, const PaintState& state) {
    bool disabled = (item->itemState & ODS_DISABLED) != 0;
    bool pressed = (item->itemState & ODS_SELECTED) != 0;
    COLORREF text = kAccentPurple, border = kAccentPurple, fill = kWhite;
    if (kind == PaintKind::RecordButton) {
        text = kWhite;
        border = fill = kGreen;
    } else if (kind == PaintKind::StopButton) {
        text = kWhite;
        border = fill = kNearBlack;
    }
    if (disabled) {
        if (fill != kWhite) fill = kDisabledFill;
        border = kDisabledBorder;
        if (text != kWhite) text = kDisabledText;
    } else if (pressed) {
        fill = fill == kWhite ? kPressedTint : PressedShade(fill);
    }
    bool recorderButton = kind == PaintKind::RecordButton || kind == PaintKind::PauseButton ||
                          kind == PaintKind::StopButton || kind == PaintKind::MarkButton;
    if (recorderButton) {
        DrawRoundedButton(dc, rc, fill, border, (rc.bottom - rc.top) / 2.0f);
    } else {
        DrawFlatBox(dc, rc, fill, border);
    }
    if (!disabled && kind == PaintKind::DarkCaptionButton) text = RGB(0, 0, 0);
    wchar_t label[64];
    GetWindowTextW(item->hwndItem, label, 64);
    // The open or closed arrow at the end of a caption (Settings) is drawn as a shape: not every UI font has the
    // geometric shapes, and a missing glyph shows as an empty box. Which way it points comes from the state.
    int length = lstrlenW(label);
    bool arrow = length > 0 && (label[length - 1] == 0x25BE || label[length - 1] == 0x25B4);
    if (arrow) {
        --length;
        while (length > 0 && label[length - 1] == L' ') --length;
        label[length] = 0;
    }
    RECT textRect = rc;
    if (recorderButton) {
        Drawing ctx = OpenDrawing(dc);
        float ix = static_cast<float>(rc.left + ScalePx(15)), iy = (rc.top + rc.bottom) / 2.0f;
        float s = static_cast<float>(ScalePx(10));
        switch (kind) {
            case PaintKind::RecordButton:
                FillEllipse(ctx, text, ix - s / 2, iy - s / 2, s, s);
                break;
            case PaintKind::PauseButton:
                if (state.recorderState == 2) {
                    DrawTriangleGlyph(ctx, text, ix + 0.06f * s, iy, s, true);
                } else {
                    DrawPauseGlyph(ctx, text, ix, iy, s);
                }
                break;
            case PaintKind::StopButton:
                FillBox(ctx, text, ix - 0.405f * s, iy - 0.405f * s, 0.81f * s, 0.81f * s);
                break;
            default: {  // Mark: a diamond
                const DrawPoint p[4] = {
                    {ix, iy - 0.6f * s}, {ix + 0.5f * s, iy}, {ix, iy + 0.6f * s}, {ix - 0.5f * s, iy}};
                FillPolygon(ctx, text, p, 4);
                break;
            }
        }
        CloseDrawing(&ctx);
        textRect.left += ScalePx(24);
        textRect.right -= ScalePx(6);
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, text);
    if (arrow) {
        // Caption and arrow centred together; the caption gets smaller if both do not fit.
        int size = ScalePx(8), gap = ScalePx(7), pad = ScalePx(4);
        HFONT fitted = FittingFont(dc, windowFonts.mainFont, label, rc.right - rc.left - 2 * pad - gap - size);
        HGDIOBJ oldFont = SelectObject(dc, fitted ? fitted : windowFonts.mainFont);
        SIZE extent = {};
        GetTextExtentPoint32W(dc, label, length, &extent);
        int left = (rc.left + rc.right - extent.cx - gap - size) / 2;
        if (left < rc.left + pad) left = rc.left + pad;
        RECT caption = {left, rc.top, left + extent.cx, rc.bottom};
        DrawTextW(dc, label, length, &caption, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOCLIP | DT_NOPREFIX);
        SelectObject(dc, oldFont);
        float cx = static_cast<float>(caption.right + gap) + size / 2.0f, cy = (rc.top + rc.bottom) / 2.0f;
        float half = size / 2.0f, h = 0.55f * size;
        const DrawPoint down[3] = {{cx - half, cy - h / 2}, {cx + half, cy - h / 2}, {cx, cy + h / 2}};
        const DrawPoint up[3] = {{cx - half, cy + h / 2}, {cx + half, cy + h / 2}, {cx, cy - h / 2}};
        Drawing ctx = OpenDrawing(dc);
        FillPolygon(ctx, text, state.settingsOpen ? up : down, 3);
        CloseDrawing(&ctx);
        return;
    }
    DrawFittedText(dc, windowFonts.mainFont, label, textRect, DT_CENTER | DT_END_ELLIPSIS);
}

void DrawMiniToggle(HDC dc, const DRAWITEMSTRUCT* item, const RECT& rc, const PaintState& state) {
    DrawFlatBox(dc, rc, (item->itemState & ODS_SELECTED) ? kSelectedTint : kWhite, kAccentPurple);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    RECT r = {rc.left + ScalePx(3), rc.top, rc.right - ScalePx(3), rc.bottom};
    DrawFittedText(dc, windowFonts.smallFont, state.miniMode ? L"Full size" : L"Nota Mini", r, DT_CENTER | DT_NOCLIP);
    if (item->itemState & ODS_FOCUS) {
        RECT focus = {rc.left + ScalePx(3), rc.top + ScalePx(3), rc.right - ScalePx(3), rc.bottom - ScalePx(3)};
        DrawFocusRect(dc, &focus);
    }
}

void DrawPanelStrip(HDC dc, const DRAWITEMSTRUCT* item, const RECT& rc, const PaintState& state) {
    FillRect(dc, &rc, paintObjects.stripBackground);
    RECT left = {rc.left, rc.top, rc.left + 1, rc.bottom};
    RECT right = {rc.right - 1, rc.top, rc.right, rc.bottom};
    FillRect(dc, &left, paintObjects.stripEdge);
    FillRect(dc, &right, paintObjects.stripEdge);
    RECT button = {rc.left + ScalePx(4), ScalePx(9), rc.right - ScalePx(4), ScalePx(9) + ScalePx(34)};
    DrawRoundedButton(dc, button, (item->itemState & ODS_SELECTED) ? kSelectedTint : kWhite, kAccentPurple,
                      static_cast<float>(ScalePx(8)));
    float cx = (button.left + button.right) / 2.0f, cy = (button.top + button.bottom) / 2.0f;
    float r = static_cast<float>(ScalePx(7));
    Drawing ctx = OpenDrawing(dc);
    FillBox(ctx, kAccentPurple, cx - 0.3f * r, cy - r - 1, 1.35f * r, 2);
    const DrawPoint upper[3] = {{cx - 0.3f * r, cy - r - 4}, {cx - 0.3f * r, cy - r + 4}, {cx - 1.1f * r, cy - r}};
    FillPolygon(ctx, kAccentPurple, upper, 3);
    FillBox(ctx, kAccentPurple, cx - 1.05f * r, cy + r - 1, 1.35f * r, 2);
    const DrawPoint lower[3] = {{cx + 0.3f * r, cy + r - 4}, {cx + 0.3f * r, cy + r + 4}, {cx + 1.1f * r, cy + r}};
    FillPolygon(ctx, kAccentPurple, lower, 3);
    CloseDrawing(&ctx);
    RECT caption = {rc.left, button.bottom + ScalePx(4), rc.right, button.bottom + ScalePx(4) + ScalePx(18)};
    HGDIOBJ oldFont = SelectObject(dc, windowFonts.smallFont);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kAccentPurple);
    DrawTextW(dc, state.recorderHidden ? L"Show" : L"Hide", -1, &caption, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, oldFont);
}

void DrawTranscribe(HDC dc, const DRAWITEMSTRUCT* item, const RECT& rc, const PaintState& state) {
    const wchar_t* text = state.panelOpen  ? L"Close Panel"
                          : state.signedIn ? L"Open the Panel to See Your Transcripts or Transcribe New Files"
                                           : L"Sign in to Transcribe Your Audio, the Panel Opens on the right";
    DrawFlatBox(dc, rc, (item->itemState & ODS_SELECTED) ? kDarkGreen : kGreen, kDeepGreen);
    float d = static_cast<float>(ScalePx(32));
    float x = static_cast<float>(rc.right - ScalePx(12)) - d;
    float y = static_cast<float>((rc.top + rc.bottom - static_cast<int>(d)) / 2);
    Drawing ctx = OpenDrawing(dc);
    FillEllipse(ctx, kAccentPurple, x, y, d, d);
    if (state.panelOpen) {
        const DrawPoint head[3] = {
            {x + 0.34f * d, y + 0.3f * d}, {x + 0.34f * d, y + 0.7f * d}, {x + 0.18f * d, y + 0.5f * d}};
        FillPolygon(ctx, kWhite, head, 3);
        FillBox(ctx, kWhite, x + 0.34f * d, y + 0.46f * d, 0.4f * d, 0.08f * d);
    } else {
        const DrawPoint head[3] = {
            {x + 0.66f * d, y + 0.3f * d}, {x + 0.66f * d, y + 0.7f * d}, {x + 0.82f * d, y + 0.5f * d}};
        FillPolygon(ctx, kWhite, head, 3);
        FillBox(ctx, kWhite, x + 0.26f * d, y + 0.46f * d, 0.4f * d, 0.08f * d);
    }
    CloseDrawing(&ctx);
    RECT area = {rc.left + ScalePx(52), rc.top + ScalePx(4), rc.right - ScalePx(52), rc.bottom - ScalePx(4)};
    HGDIOBJ oldFont = SelectObject(dc, windowFonts.mainFont);
    RECT measured = area;
    DrawTextW(dc, text, -1, &measured, DT_CALCRECT | DT_WORDBREAK | DT_CENTER | DT_NOPREFIX);
    int measuredHeight = measured.bottom - measured.top, areaHeight = area.bottom - area.top;
    if (measuredHeight > areaHeight) {
        // Three lines of the main font do not fit the button: the invitation would lose its last line, so it is
        // written in the small font instead.
        SelectObject(dc, windowFonts.smallFont);
        measured = area;
        DrawTextW(dc, text, -1, &measured, DT_CALCRECT | DT_WORDBREAK | DT_CENTER | DT_NOPREFIX);
        measuredHeight = measured.bottom - measured.top;
    }
    if (measuredHeight < areaHeight) {
        area.top += (areaHeight - measuredHeight) / 2;
        area.bottom = area.top + measuredHeight;
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kWhite);
    DrawTextW(dc, text, -1, &area, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, oldFont);
    if (item->itemState & ODS_FOCUS) {
        RECT focus = {rc.left + ScalePx(4), rc.top + ScalePx(4), rc.right - ScalePx(4), rc.bottom - ScalePx(4)};
        DrawFocusRect(dc, &focus);
    }
}

RECT Rect(const DeviceRect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

// The box's rectangle is its own, from 0, 0: the pass placed the heading, rows and footer relative to it.
void DrawShortcutBox(HDC dc, const RECT& /*rc*/, const PaintState& state) {
    const ShortcutBoxPlacement& box = AppliedLayout().shortcutBox;
    HGDIOBJ oldFont = SelectObject(dc, paintObjects.smallBold);
    SetBkMode(dc, TRANSPARENT);
    RECT headingRect = Rect(box.heading);
    SetTextColor(dc, kNearBlack);
    DrawTextW(dc, kShortcutHeading, -1, &headingRect, DT_WORDBREAK | DT_NOPREFIX);

    wchar_t back[40];
    WideFormat(back, 40, L"Back %d second%ls", static_cast<int>(state.rewindSeconds),
               state.rewindSeconds == 1 ? L"" : L"s");
    struct Row {
        const wchar_t* badge;
        const wchar_t* description;
        PaintShortcut shortcut;
    };
    const Row rows[kShortcutRows] = {{L"Record", L"Start/Stop", state.recordShortcut},
                                     {L"Play", L"Play/Pause", state.playbackShortcuts[0]},
                                     {L"Rewind", back, state.playbackShortcuts[1]},
                                     {L"Forward", L"Ahead 5 seconds", state.playbackShortcuts[3]}};
    const UINT flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    Drawing ctx = {};
    for (int i = 0; i < kShortcutRows; ++i) {
        const ShortcutRowPlacement& place = box.rows[i];
        RECT badge = Rect(place.badge);
        DrawRoundedButton(dc, badge, kWhite, kAccentPurple, (badge.bottom - badge.top) / 2.0f);
        float ix = static_cast<float>(place.iconX), iy = (badge.top + badge.bottom) / 2.0f;
        float s = static_cast<float>(place.iconSize);
        ctx = OpenDrawing(dc);
        switch (i) {
            case 0:
                FillEllipse(ctx, kRed, ix - s / 2, iy - s / 2, s, s);
                break;
            case 1:
                DrawTriangleGlyph(ctx, kAccentPurple, ix + 0.06f * s, iy, s, true);
                break;
            case 2:
                DrawTriangleGlyph(ctx, kAccentPurple, ix - 0.25f * s, iy, 0.8f * s, false);
                DrawTriangleGlyph(ctx, kAccentPurple, ix + 0.45f * s, iy, 0.8f * s, false);
                break;
            default:
                DrawTriangleGlyph(ctx, kAccentPurple, ix - 0.45f * s, iy, 0.8f * s, true);
                DrawTriangleGlyph(ctx, kAccentPurple, ix + 0.25f * s, iy, 0.8f * s, true);
                break;
        }
        CloseDrawing(&ctx);
        SelectObject(dc, windowFonts.smallFont);
        SetTextColor(dc, kAccentPurple);
        RECT label = Rect(place.label);
        DrawTextW(dc, rows[i].badge, -1, &label, flags);
        wchar_t description[96];
        WideFormat(description, 96, L": %ls;  ", rows[i].description);
        SetTextColor(dc, kBodyGrey);
        RECT descriptionRect = Rect(place.text);
        DrawTextW(dc, description, -1, &descriptionRect, flags);
        wchar_t shortcut[96];
        ShortcutToText(rows[i].shortcut.mods, rows[i].shortcut.key, shortcut, 96);
        RECT shortcutRect = descriptionRect;
        shortcutRect.left += TextWidth(dc, description);
        SelectObject(dc, paintObjects.smallItalic);
        DrawTextW(dc, shortcut, -1, &shortcutRect, flags | DT_END_ELLIPSIS);
    }
    SelectObject(dc, windowFonts.smallFont);
    SetTextColor(dc, kMutedGrey);
    RECT footer = Rect(box.footer);
    DrawTextW(dc, L"You can change any of these in Settings.", -1, &footer, DT_SINGLELINE | DT_VCENTER);
    SelectObject(dc, oldFont);
}

}  // namespace

void InvalidateMeterBand(HWND hwnd) {
    const MeterPlacement& m = AppliedLayout().meter;
    if (!m.shown) return;
    RECT band = Rect(m.band);
    InvalidateRect(hwnd, &band, FALSE);
}

void PaintMainWindow(HWND hwnd, const PaintState& state) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    const RECT& paint = ps.rcPaint;
    int w = paint.right - paint.left, h = paint.bottom - paint.top;
    if (w <= 0 || h <= 0) {
        EndPaint(hwnd, &ps);
        return;
    }
    const MeterPlacement& m = AppliedLayout().meter;
    RECT meter = Rect(m.band), overlap;
    if (m.shown && paint.left >= meter.left && paint.top >= meter.top && paint.right <= meter.right &&
        paint.bottom <= meter.bottom) {
        // The meter's own repaint during a recording: its bitmap is the off-screen buffer.
        HDC meterDc = MeterDc(dc, m.w, m.h);
        DrawMeter(meterDc, m, state);
        BitBlt(dc, paint.left, paint.top, w, h, meterDc, paint.left - meter.left, paint.top - meter.top, SRCCOPY);
        EndPaint(hwnd, &ps);
        return;
    }
    Buffer buffer = OpenBuffer(dc, w, h);
    SetViewportOrgEx(buffer.dc, -paint.left, -paint.top, nullptr);
    if (!layoutState.recorderCollapsed) {
        RECT client;
        GetClientRect(hwnd, &client);
        if (paint.top < ScalePx(kLogoBarHeight)) DrawLogoBar(buffer.dc, client.right);
        if (m.shown && IntersectRect(&overlap, &meter, &paint)) {
            HDC meterDc = MeterDc(dc, m.w, m.h);
            DrawMeter(meterDc, m, state);
            BitBlt(buffer.dc, meter.left, meter.top, m.w, m.h, meterDc, 0, 0, SRCCOPY);
        }
    }
    SetViewportOrgEx(buffer.dc, 0, 0, nullptr);
    BitBlt(dc, paint.left, paint.top, w, h, buffer.dc, 0, 0, SRCCOPY);
    CloseBuffer(buffer);
    EndPaint(hwnd, &ps);
}

LRESULT ControlColours(HDC dc, HWND control, const PaintState& state) {
    SetBkColor(dc, kWhite);
    const ControlSpec* spec = findCreated(GetDlgCtrlID(control));
    PaintKind kind = spec ? spec->paint : PaintKind::System;
    COLORREF colour = kBodyGrey;
    if (kind == PaintKind::Clock) {
        colour = state.playerShown ? kAccentPurple : kNearBlack;
    } else if (kind == PaintKind::Muted) {
        colour = kMutedGrey;
    }
    SetTextColor(dc, colour);
    return reinterpret_cast<LRESULT>(WhiteBrush);
}

BOOL DrawOwnerItem(const DRAWITEMSTRUCT* item, const PaintState& state) {
    int w = item->rcItem.right - item->rcItem.left, h = item->rcItem.bottom - item->rcItem.top;
    if (w < 2 || h < 2) return TRUE;
    Buffer buffer = OpenBuffer(item->hDC, w, h);
    RECT rc = {0, 0, w, h};
    const ControlSpec* spec = findCreated(static_cast<int>(item->CtlID),
                                          item->CtlType == ODT_STATIC ? ControlClass::Static : ControlClass::Button);
    PaintKind kind = spec ? spec->paint : PaintKind::Button;
    switch (kind) {
        case PaintKind::ShortcutBox:
            DrawShortcutBox(buffer.dc, rc, state);
            break;
        case PaintKind::TransportPlay:
        case PaintKind::TransportBack:
        case PaintKind::TransportStart:
        case PaintKind::TransportForward:
        case PaintKind::TransportStop:
            DrawTransport(buffer.dc, item, rc, kind, state);
            break;
        case PaintKind::MiniToggle:
            DrawMiniToggle(buffer.dc, item, rc, state);
            break;
        case PaintKind::PanelStrip:
            DrawPanelStrip(buffer.dc, item, rc, state);
            break;
        case PaintKind::Transcribe:
            DrawTranscribe(buffer.dc, item, rc, state);
            break;
        default:
            DrawButton(buffer.dc, item, rc, kind, state);
            break;
    }
    BitBlt(item->hDC, item->rcItem.left, item->rcItem.top, w, h, buffer.dc, 0, 0, SRCCOPY);
    CloseBuffer(buffer);
    return TRUE;
}
