// The drawing layer: filled shapes in device pixels (float coordinates), anti-aliased through GDI+ when it can be
// loaded and plain GDI otherwise, plus the few composite shapes the painters share.
#pragma once

#include <windows.h>

struct DrawPoint {
    float x, y;
};

// A device context with its GDI+ graphics object, or null when shapes fall back to GDI.
struct Drawing {
    HDC dc;
    void* graphics;
};

Drawing OpenDrawing(HDC dc);
void CloseDrawing(Drawing* ctx);
// Whether GDI+ loaded (tries the one load if it has not been tried yet).
bool DrawingHasGdiplus();

void FillPolygon(const Drawing& ctx, COLORREF colour, const DrawPoint* points, int count);
void FillBox(const Drawing& ctx, COLORREF colour, float x, float y, float w, float h);
void FillEllipse(const Drawing& ctx, COLORREF colour, float x, float y, float w, float h);
void FillPill(const Drawing& ctx, COLORREF colour, float x, float y, float w, float h);
void FillRoundedBox(const Drawing& ctx, COLORREF colour, float x, float y, float w, float h, float radius);

void DrawRoundedButton(HDC dc, const RECT& rect, COLORREF fill, COLORREF border, float radius);
void DrawFlatBox(HDC dc, const RECT& rect, COLORREF fill, COLORREF border);
// A bar width pixels wide from x, shading from topColour at top to bottomColour at bottom.
void DrawGradientBar(HDC dc, int x, int width, int top, int bottom, COLORREF topColour, COLORREF bottomColour);

void DrawPauseGlyph(const Drawing& ctx, COLORREF colour, float cx, float cy, float size);
void DrawTriangleGlyph(const Drawing& ctx, COLORREF colour, float cx, float cy, float size, bool pointsRight);
