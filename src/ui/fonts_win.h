// The four fonts of the window, made for the current scale, and the pens, brushes and font variants the painters use
// on every frame, made and remade with them.
#pragma once

#include <windows.h>

#include "ui/control_list.h"

struct WindowFonts {
    HFONT mainFont, smallFont, timerFont, logoFont;  // not "small": a macro of the Windows RPC headers
};
extern WindowFonts windowFonts;

// Made with the fonts and deleted when they are remade, so a paint, and the meter's frame every 70 ms during a
// recording, creates none.
struct PaintObjects {
    HFONT smallBold, smallItalic;  // the shortcut box's heading and shortcuts
    HBRUSH meterBackground, stripBackground, stripEdge;
    HPEN meterBorder, meterCentreLine, headerLine;
};
extern PaintObjects paintObjects;

// (Re)creates the fonts for uiScale; when fonts existed already, hands every control of the main window the new font
// of its kind in the control list and deletes the old ones, paintObjects with them. window may be null before the main
// window exists.
void CreateFonts(HWND window);

// The current font of a kind.
HFONT FontOf(FontKind kind);

// base at a character height of height device pixels: made on first use and kept until the fonts are recreated, so
// painting a caption that needs a smaller size creates nothing after the first time. Null when base is null or the
// kept sizes are full (the caller then keeps base).
HFONT SizedFont(HFONT base, int height);
