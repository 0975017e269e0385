// The display scale.
#include "ui/scale.h"

double dpiFactor = 1.0;
double uiScale = 1.0;

int ScalePx(double v) {
    return static_cast<int>(v * uiScale + 0.5);
}
