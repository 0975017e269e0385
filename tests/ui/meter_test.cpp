// The meter's bars and colours, and the pressed shade of coloured buttons.
#include "ui/meter.h"

#include <gtest/gtest.h>

namespace {

TEST(Meter, AtRestEveryBarIs22PercentAndStill) {
    MeterLook idle = meterLook(0, 30000);  // a level left over from a recording does not move an idle meter
    EXPECT_EQ(idle.amplitude, 0.0);
    for (double phase : {0.0, 1.0, 7.3}) {
        for (int i = 0; i < kMeterBars; ++i) EXPECT_EQ(meterBarHeight(i, phase, idle.amplitude, 34), 7);  // 0.22 × 34
    }
    EXPECT_EQ(idle.colours.centreColour, kMeterQuiet.centreColour);
}

TEST(Meter, ALoudVoiceWavesUpTo135PercentInTheVoiceColours) {
    MeterLook loud = meterLook(1, 20000);
    EXPECT_EQ(loud.amplitude, 1.0);  // 20000 / 12000, capped
    EXPECT_EQ(loud.colours.centreColour, kMeterSignal.centreColour);
    int tallest = 0, lowest = 1000;
    for (int i = 0; i < kMeterBars; ++i) {
        int h = meterBarHeight(i, 0.5, loud.amplitude, 34);
        if (h > tallest) tallest = h;
        if (h < lowest) lowest = h;
    }
    EXPECT_EQ(tallest, 45);  // 1.35 × 34 = 45.9
    // The smallest factor is 0.32 × 1.75 + 0.22 = 0.78 at a zero of the sine: every bar stands well above rest.
    EXPECT_GE(lowest, 26);
    // Bar 0 at phase 0: (0 × 0.68 + 0.32) × 1.75 × 0.5 + 0.22 = 0.5 of 34.
    EXPECT_EQ(meterBarHeight(0, 0.0, 0.5, 34), 17);
}

TEST(Meter, QuietRecordingAndPauseTakeTheirOwnColours) {
    MeterLook quiet = meterLook(1, 1200);  // at the threshold: no voice yet
    EXPECT_DOUBLE_EQ(quiet.amplitude, 0.1);
    EXPECT_EQ(quiet.colours.centreColour, kMeterQuiet.centreColour);
    EXPECT_EQ(meterLook(1, 1201).colours.centreColour, kMeterSignal.centreColour);
    MeterLook paused = meterLook(2, 20000);
    EXPECT_EQ(paused.amplitude, 0.0);
    EXPECT_EQ(paused.colours.endColour, kMeterPaused.endColour);
}

TEST(Meter, BarsAreCentredInTheBox) {
    EXPECT_EQ(meterFirstBarX(320, 3, 4), 50);   // (320 - (96 + 124)) / 2
    EXPECT_EQ(meterFirstBarX(720, 7, 9), 108);  // at 2.25: (720 - (224 + 279)) / 2 = 108.5, truncated
}

TEST(Palette, PressedColouredButtonsDarkenTo85PercentPerChannel) {
    EXPECT_EQ(PressedShade(kGreen), Rgb(34, 141, 58));  // 40 × 0.85 = 34, 167 × 0.85 = 141.95, 69 × 0.85 = 58.65
    EXPECT_EQ(PressedShade(kNearBlack), Rgb(17, 18, 22));
    EXPECT_EQ(Rgb(40, 167, 69), 0x45A728u);  // red in the low byte
}

}  // namespace
