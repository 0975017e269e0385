// The slider's value rules: clicks at and beyond the margins, keys at the ends, wheel steps, the range packing.
#include "ui/slider_logic.h"

#include "ui/layout.h"

#include <gtest/gtest.h>

namespace {

SliderState Speed(intptr_t pos) {
    SliderState s = sliderInitial();
    s.min = 10;
    s.max = 60;
    s.page = 2;
    s.line = 1;
    s.pos = pos;
    return s;
}

}  // namespace

TEST(SliderMouse, MarginsCountAsTheEndsAndTheMiddleRounds) {
    SliderState s = sliderInitial();
    s.max = 1000;
    // Client 220 px, margin 10: the track is 200 px wide.
    EXPECT_EQ(sliderValueFromX(s, 0, 220, 10), 0);
    EXPECT_EQ(sliderValueFromX(s, 10, 220, 10), 0);
    EXPECT_EQ(sliderValueFromX(s, 215, 220, 10), 1000);
    EXPECT_EQ(sliderValueFromX(s, 110, 220, 10), 500);
    EXPECT_EQ(sliderValueFromX(s, 11, 220, 10), 5);  // 1000 × 1 / 200 = 5
    // A track of no width counts as one pixel.
    EXPECT_EQ(sliderValueFromX(s, 50, 10, 10), 1000);
}

TEST(SliderKeys, AtTheEndsTheValueStaysButTheKeyStillAnswers) {
    intptr_t v;
    int code;
    ASSERT_TRUE(sliderKey(Speed(10), kSliderKeyLeft, &v, &code));
    EXPECT_EQ(v, 10);
    EXPECT_EQ(code, 0);
    ASSERT_TRUE(sliderKey(Speed(10), kSliderKeyPageDown, &v, &code));
    EXPECT_EQ(v, 10);
    EXPECT_EQ(code, 2);
    ASSERT_TRUE(sliderKey(Speed(59), kSliderKeyPageUp, &v, &code));
    EXPECT_EQ(v, 60);
    EXPECT_EQ(code, 3);
    ASSERT_TRUE(sliderKey(Speed(30), kSliderKeyHome, &v, &code));
    EXPECT_EQ(v, 10);
    EXPECT_EQ(code, 6);
    ASSERT_TRUE(sliderKey(Speed(30), kSliderKeyUp, &v, &code));
    EXPECT_EQ(v, 31);
    EXPECT_EQ(code, 1);
    EXPECT_FALSE(sliderKey(Speed(30), 0x41, &v, &code));
}

// Two lines a whole notch, however the notches come: one classic 120, three at once, or a touchpad's small deltas
// that add up; deltas that do not make a notch change nothing (they used to move the slider two lines each).
TEST(SliderWheel, TwoLinesPerWholeNotch) {
    SliderState volume = sliderInitial();
    volume.max = 200;
    volume.line = 5;
    volume.pos = 100;
    intptr_t v = -1;
    int code = -1;
    int rest = 0;
    ASSERT_TRUE(sliderWheel(volume, wheelNotches(&rest, 120, 1), &v, &code));
    EXPECT_EQ(v, 110);
    EXPECT_EQ(code, 1);
    ASSERT_TRUE(sliderWheel(volume, wheelNotches(&rest, -360, 1), &v, &code));
    EXPECT_EQ(v, 70);
    EXPECT_EQ(code, 0);
    int moves = 0;
    for (int i = 0; i < 6; ++i) {
        if (sliderWheel(volume, wheelNotches(&rest, 40, 1), &v, &code)) ++moves;
    }
    EXPECT_EQ(moves, 2);  // 240 in six deltas of 40
    EXPECT_FALSE(sliderWheel(volume, wheelNotches(&rest, 0, 1), &v, &code));
    // Clamped at the ends.
    ASSERT_TRUE(sliderWheel(volume, 50, &v, &code));
    EXPECT_EQ(v, 200);
}

TEST(SliderRange, UnpacksSignExtendedHalves) {
    intptr_t lo, hi;
    sliderUnpackRange(0x003C000A, &lo, &hi);
    EXPECT_EQ(lo, 10);
    EXPECT_EQ(hi, 60);
    sliderUnpackRange(0x03E80000, &lo, &hi);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 1000);
    sliderUnpackRange(0x0005FFFF, &lo, &hi);
    EXPECT_EQ(lo, -1);
    EXPECT_EQ(hi, 5);
}
