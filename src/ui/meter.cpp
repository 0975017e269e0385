// The level meter: 32 bars that rest at 22 % of their height and, while a voice is recorded, wave with time and grow
// with the level up to 135 %.
#include "ui/meter.h"

#include <math.h>

MeterLook meterLook(int recorderState, int level) {
    MeterLook look = {0.0, kMeterQuiet};
    bool signal = false;
    if (recorderState == 1) {
        look.amplitude = level / 12000.0;
        if (look.amplitude > 1.0) look.amplitude = 1.0;
        signal = level > 1200;
    }
    if (signal) {
        look.colours = kMeterSignal;
    } else if (recorderState == 2) {
        look.colours = kMeterPaused;
    }
    return look;
}

int meterBarHeight(int i, double phase, double amplitude, int unit) {
    double v = (fabs(sin(0.72 * i + phase)) * 0.68 + 0.32) * 1.75 * amplitude + 0.22;
    if (v > 1.35) {
        v = 1.35;
    } else if (v < 0.22) {
        v = 0.22;
    }
    return static_cast<int>(v * unit);
}

int meterFirstBarX(int w, int b, int g) {
    return (w - (kMeterBars * b + (kMeterBars - 1) * g)) / 2;
}
