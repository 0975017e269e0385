// The level meter's arithmetic, apart from its drawing: how loud the bars are, which colours they take and how high
// each of the 32 bars is at a given moment.
#pragma once

#include "ui/palette.h"

const int kMeterBars = 32;

struct MeterLook {
    double amplitude;  // 0..1
    MeterColours colours;
};

// recorderState: 0 idle, 1 recording, 2 paused; level: the decayed input level.
MeterLook meterLook(int recorderState, int level);
// Bar i's height in device pixels at phase p (1.26 × seconds), for a full height of unit (ScalePx(34)).
int meterBarHeight(int i, double phase, double amplitude, int unit);
// The first bar's x in a meter w wide with bars b wide and gaps g.
int meterFirstBarX(int w, int b, int g);
