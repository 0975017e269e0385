// The layout pass over every control of the main window.
#pragma once

// Places every control for the current state and scale. Controls keep their creation rectangles until the geometry
// of the layout pass exists; the entry point is here so that every caller already goes through it.
void LayoutWindow();
