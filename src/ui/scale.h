// The display scale shared by everything that sizes or draws: layout units to device pixels.
#pragma once

extern double dpiFactor;  // horizontal logical pixels per inch / 96
extern double uiScale;    // dpiFactor × zoomPercent / 100

// v × uiScale + 0.5, truncated toward zero.
int ScalePx(double v);
