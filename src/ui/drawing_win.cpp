// GDI+ is reached through its flat API, loaded by name on first use, so the executable starts (and draws, with hard
// edges) on a system without it; it is never shut down because the fonts, brushes and windows that use it live until
// the process ends. The load is tried once: a missing entry point or a failed start-up disables it for good.
#include "ui/drawing_win.h"

#include "base/system_library_win.h"

namespace {

struct GdiplusStartupInput {
    UINT32 version;
    void* debugEventCallback;
    BOOL suppressBackgroundThread;
    BOOL suppressExternalCodecs;
};

typedef int(WINAPI* StartupFn)(ULONG_PTR*, const GdiplusStartupInput*, void*);
typedef int(WINAPI* CreateFromHdcFn)(HDC, void**);
typedef int(WINAPI* DeleteGraphicsFn)(void*);
typedef int(WINAPI* SetSmoothingModeFn)(void*, int);
typedef int(WINAPI* CreateSolidFillFn)(DWORD, void**);
typedef int(WINAPI* DeleteBrushFn)(void*);
typedef int(WINAPI* FillPolygonFn)(void*, void*, const DrawPoint*, int, int);
typedef int(WINAPI* FillEllipseFn)(void*, void*, float, float, float, float);

struct Gdiplus {
    bool tried;
    bool available;
    StartupFn startup;
    CreateFromHdcFn createFromHdc;
    DeleteGraphicsFn deleteGraphics;
    SetSmoothingModeFn setSmoothingMode;
    CreateSolidFillFn createSolidFill;
    DeleteBrushFn deleteBrush;
    FillPolygonFn fillPolygon;
    FillEllipseFn fillEllipse;
};
Gdiplus gdiplus;

const int kSmoothingAntiAlias = 4;
const int kFillModeAlternate = 0;

template <typename Fn>
bool Lookup(HMODULE module, const char* name, Fn* out) {
    FARPROC p = GetProcAddress(module, name);
    *out = reinterpret_cast<Fn>(reinterpret_cast<void*>(p));
    return p != nullptr;
}

void LoadGdiplus() {
    if (gdiplus.tried) return;
    gdiplus.tried = true;
    // From the system folder only: the portable program may sit beside a planted gdiplus.dll.
    HMODULE module = LoadLibraryExW(L"gdiplus.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) return;
    bool all = Lookup(module, "GdiplusStartup", &gdiplus.startup) &&
               Lookup(module, "GdipCreateFromHDC", &gdiplus.createFromHdc) &&
               Lookup(module, "GdipDeleteGraphics", &gdiplus.deleteGraphics) &&
               Lookup(module, "GdipSetSmoothingMode", &gdiplus.setSmoothingMode) &&
               Lookup(module, "GdipCreateSolidFill", &gdiplus.createSolidFill) &&
               Lookup(module, "GdipDeleteBrush", &gdiplus.deleteBrush) &&
               Lookup(module, "GdipFillPolygon", &gdiplus.fillPolygon) &&
               Lookup(module, "GdipFillEllipse", &gdiplus.fillEllipse);
    if (!all) return;
    GdiplusStartupInput input = {1, nullptr, FALSE, FALSE};
    ULONG_PTR token = 0;
    if (gdiplus.startup(&token, &input, nullptr) != 0) return;
    gdiplus.available = true;
}

DWORD Argb(COLORREF c) {
    return 0xFF000000u | static_cast<DWORD>(GetRValue(c)) << 16 | static_cast<DWORD>(GetGValue(c)) << 8 |
           static_cast<DWORD>(GetBValue(c));
}

// A solid brush and a one-pixel pen of one colour, selected into a device context for one GDI shape.
struct GdiFill {
    HDC dc;
    HBRUSH brush;
    HPEN pen;
    HGDIOBJ oldBrush, oldPen;
};

GdiFill BeginFill(HDC dc, COLORREF colour) {
    GdiFill f = {dc, CreateSolidBrush(colour), CreatePen(PS_SOLID, 1, colour), nullptr, nullptr};
    f.oldBrush = SelectObject(dc, f.brush);
    f.oldPen = SelectObject(dc, f.pen);
    return f;
}

void EndFill(const GdiFill& f) {
    SelectObject(f.dc, f.oldBrush);
    SelectObject(f.dc, f.oldPen);
    DeleteObject(f.brush);
    DeleteObject(f.pen);
}

}  // namespace

Drawing OpenDrawing(HDC dc) {
    LoadGdiplus();
    Drawing ctx = {dc, nullptr};
    if (gdiplus.available && gdiplus.createFromHdc(dc, &ctx.graphics) == 0 && ctx.graphics) {
        gdiplus.setSmoothingMode(ctx.graphics, kSmoothingAntiAlias);
    } else {
        ctx.graphics = nullptr;
    }
    return ctx;
}

void CloseDrawing(Drawing* ctx) {
    if (ctx->graphics) gdiplus.deleteGraphics(ctx->graphics);
    ctx->graphics = nullptr;
}

bool DrawingHasGdiplus() {
    LoadGdiplus();
    return gdiplus.available;
}

void FillPolygon(const Drawing& ctx, COLORREF colour, const DrawPoint* points, int count) {
    if (ctx.graphics) {
        void* brush = nullptr;
        if (gdiplus.createSolidFill(Argb(colour), &brush) != 0 || !brush) return;
        gdiplus.fillPolygon(ctx.graphics, brush, points, count, kFillModeAlternate);
        gdiplus.deleteBrush(brush);
        return;
    }
    POINT p[8];
    if (count > 8) count = 8;
    for (int i = 0; i < count; ++i) {
        p[i].x = static_cast<LONG>(points[i].x + 0.5f);
        p[i].y = static_cast<LONG>(points[i].y + 0.5f);
    }
    GdiFill f = BeginFill(ctx.dc, colour);
    Polygon(ctx.dc, p, count);
    EndFill(f);
}

void FillBox(const Drawing& ctx, COLORREF colour, float x, float y, float w, float h) {
    const DrawPoint p[4] = {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}};
    FillPolygon(ctx, colour, p, 4);
}

void FillEllipse(const Drawing& ctx, COLORREF colour, float x, float y, float w, float h) {
    if (ctx.graphics) {
        void* brush = nullptr;
        if (gdiplus.createSolidFill(Argb(colour), &brush) != 0 || !brush) return;
        gdiplus.fillEllipse(ctx.graphics, brush, x, y, w, h);
        gdiplus.deleteBrush(brush);
        return;
    }
    GdiFill f = BeginFill(ctx.dc, colour);
    Ellipse(ctx.dc, static_cast<int>(x), static_cast<int>(y), static_cast<int>(x + w), static_cast<int>(y + h));
    EndFill(f);
}

void FillPill(const Drawing& ctx, COLORREF colour, float x, float y, float w, float h) {
    FillEllipse(ctx, colour, x, y, h, h);
    FillEllipse(ctx, colour, x + w - h, y, h, h);
    FillBox(ctx, colour, x + h / 2, y, w - h, h);
}

void FillRoundedBox(const Drawing& ctx, COLORREF colour, float x, float y, float w, float h, float radius) {
    float r = radius;
    if (2 * r > h) r = h / 2;
    if (2 * r > w) r = w / 2;
    float d = 2 * r;
    FillEllipse(ctx, colour, x, y, d, d);
    FillEllipse(ctx, colour, x + w - d, y, d, d);
    FillEllipse(ctx, colour, x, y + h - d, d, d);
    FillEllipse(ctx, colour, x + w - d, y + h - d, d, d);
    FillBox(ctx, colour, x + r, y, w - d, h);
    FillBox(ctx, colour, x, y + r, w, h - d);
}

void DrawRoundedButton(HDC dc, const RECT& rect, COLORREF fill, COLORREF border, float radius) {
    Drawing ctx = OpenDrawing(dc);
    float x = static_cast<float>(rect.left), y = static_cast<float>(rect.top);
    float w = static_cast<float>(rect.right - rect.left), h = static_cast<float>(rect.bottom - rect.top);
    FillRoundedBox(ctx, border, x, y, w, h, radius);
    if (border != fill) {
        FillRoundedBox(ctx, fill, x + 1.2f, y + 1.2f, w - 2.4f, h - 2.4f, radius - 1 > 1 ? radius - 1 : 1);
    }
    CloseDrawing(&ctx);
}

void DrawFlatBox(HDC dc, const RECT& rect, COLORREF fill, COLORREF border) {
    HBRUSH b = CreateSolidBrush(border);
    FillRect(dc, &rect, b);
    DeleteObject(b);
    RECT inner = {rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1};
    HBRUSH f = CreateSolidBrush(fill);
    FillRect(dc, &inner, f);
    DeleteObject(f);
}

void DrawGradientBar(HDC dc, int x, int width, int top, int bottom, COLORREF topColour, COLORREF bottomColour) {
    TRIVERTEX v[2] = {};
    v[0].x = x;
    v[0].y = top;
    v[0].Red = static_cast<COLOR16>(GetRValue(topColour) << 8);
    v[0].Green = static_cast<COLOR16>(GetGValue(topColour) << 8);
    v[0].Blue = static_cast<COLOR16>(GetBValue(topColour) << 8);
    v[1].x = x + width;
    v[1].y = bottom;
    v[1].Red = static_cast<COLOR16>(GetRValue(bottomColour) << 8);
    v[1].Green = static_cast<COLOR16>(GetGValue(bottomColour) << 8);
    v[1].Blue = static_cast<COLOR16>(GetBValue(bottomColour) << 8);
    GRADIENT_RECT rect = {0, 1};
    // msimg32 is not one of the libraries the system always takes from its own folder: imported, a planted copy beside
    // the executable would be loaded before the first line runs. Loaded from the system folder on first use instead.
    typedef BOOL(WINAPI * GradientFillFn)(HDC, TRIVERTEX*, ULONG, void*, ULONG, ULONG);
    static const GradientFillFn gradientFill =
        reinterpret_cast<GradientFillFn>(SystemFunction(L"msimg32.dll", "GradientFill"));
    if (gradientFill && gradientFill(dc, v, 2, &rect, 1, GRADIENT_FILL_RECT_V)) return;
    DrawFlatBox(dc, RECT{x, top, x + width, bottom}, bottomColour, bottomColour);
}

void DrawPauseGlyph(const Drawing& ctx, COLORREF colour, float cx, float cy, float size) {
    float b = 0.28f * size;
    FillBox(ctx, colour, cx - 1.45f * b, cy - size / 2, b, size);
    FillBox(ctx, colour, cx + 0.45f * b, cy - size / 2, b, size);
}

void DrawTriangleGlyph(const Drawing& ctx, COLORREF colour, float cx, float cy, float size, bool pointsRight) {
    float half = size / 2, d = 0.7f * half;
    if (pointsRight) {
        const DrawPoint p[3] = {{cx - d, cy - half}, {cx - d, cy + half}, {cx + 0.9f * half, cy}};
        FillPolygon(ctx, colour, p, 3);
    } else {
        const DrawPoint p[3] = {{cx + d, cy - half}, {cx + d, cy + half}, {cx - 0.9f * half, cy}};
        FillPolygon(ctx, colour, p, 3);
    }
}
