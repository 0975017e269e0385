// Level analysis: peak and clip counting, the soft limiter's arithmetic, silence skipping by whole buffers, the live
// warning's edges and the verdicts.
#include "recorder/level_analysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

LevelState Fresh() {
    LevelState s;
    levelReset(&s);
    return s;
}

std::vector<int16_t> Constant(int n, int16_t v) {
    return std::vector<int16_t>(static_cast<size_t>(n), v);
}

}  // namespace

TEST(LevelPeak, MostNegativeSampleIsAClippedPeakOf32768) {
    LevelState s = Fresh();
    std::vector<int16_t> b = {0, 12, -32768, 5};
    analyseBuffer(&s, b.data(), static_cast<int>(b.size()), 44100, false);
    EXPECT_EQ(s.level, 32768);
    EXPECT_EQ(s.peakSinceStart, 32768);
    EXPECT_EQ(s.clippedBufferCount, 1);
    EXPECT_EQ(s.loudWarningTicks, 14);
}

TEST(LevelPeak, PeakAtThresholdIsNotClippedAndPeakSinceStartKeepsTheMaximum) {
    LevelState s = Fresh();
    auto loud = Constant(100, 31999);
    auto soft = Constant(100, -200);
    analyseBuffer(&s, loud.data(), 100, 44100, false);
    analyseBuffer(&s, soft.data(), 100, 44100, false);
    EXPECT_EQ(s.clippedBufferCount, 0);
    EXPECT_EQ(s.level, 200);
    EXPECT_EQ(s.peakSinceStart, 31999);
    EXPECT_EQ(s.bufferCount, 2);
}

TEST(Limiter, LeavesSamplesBelowTheCeilingUntouched) {
    float gain = 1.0f;
    std::vector<int16_t> b;
    for (int i = 0; i < 5000; ++i) b.push_back(static_cast<int16_t>((i * 37) % 54001 - 27000));
    auto original = b;
    limitSamples(&gain, b.data(), static_cast<int>(b.size()));
    EXPECT_EQ(b, original);
    EXPECT_EQ(gain, 1.0f);
}

TEST(Limiter, SquareWaveOf30000SettlesNear27000WithinTenSamples) {
    float gain = 1.0f;
    std::vector<int16_t> b;
    for (int i = 0; i < 40; ++i) b.push_back(i % 2 ? -30000 : 30000);
    limitSamples(&gain, b.data(), 10);
    // The gap to the target 0.9 shrinks to 0.65^10 of 0.1 = 0.00135 after ten samples.
    EXPECT_NEAR(gain, 0.9f, 0.9f * 0.002f);
    limitSamples(&gain, b.data() + 10, 30);
    for (int i = 10; i < 40; ++i) EXPECT_NEAR(std::abs(b[static_cast<size_t>(i)]), 27000, 40) << i;
    // Truncation toward zero keeps a positive and a negative sample of equal size equal in size.
    EXPECT_EQ(b[38], -b[39]);
}

TEST(Limiter, GainRecoversByTheReleaseFractionOfTheGapPerSample) {
    float gain = 0.5f;
    std::vector<int16_t> b = Constant(1000, 1000);
    limitSamples(&gain, b.data(), 1);
    EXPECT_NEAR(gain, 0.5 + 0.5 * 0.0004, 1e-6);
    limitSamples(&gain, b.data() + 1, 999);
    EXPECT_NEAR(gain, 1.0 - 0.5 * std::pow(1.0 - 0.0004, 1000), 1e-4);
    // The samples were scaled by the gain of their moment and truncated toward zero.
    EXPECT_EQ(b[0], static_cast<int16_t>(1000 * (0.5 + 0.5 * 0.0004)));
    EXPECT_LT(b[999], 1000);
    EXPECT_GT(b[999], 600);
}

TEST(Limiter, NegativeProductsTruncateTowardZero) {
    float gain = 0.5f;
    std::vector<int16_t> b = {-1001};
    limitSamples(&gain, b.data(), 1);
    // -1001 × 0.5002 = -500.7 → -500, not -501.
    EXPECT_EQ(b[0], -500);
}

TEST(Limiter, GainIsCarriedAcrossBuffersAndUnchangedByAnEmptyOne) {
    LevelState s = Fresh();
    auto loud = Constant(50, 32000);
    analyseBuffer(&s, loud.data(), 50, 22050, false);
    float after = s.limiterGain;
    EXPECT_LT(after, 0.85f);
    analyseBuffer(&s, nullptr, 0, 22050, false);
    EXPECT_EQ(s.limiterGain, after);
}

TEST(SilenceSkipping, KeepsOneAndAHalfSecondsOfQuietThenDropsWholeBuffers) {
    LevelState s = Fresh();
    auto quiet = Constant(4410, 449);
    int kept = 0;
    for (int i = 0; i < 40; ++i) {
        auto b = quiet;
        kept += analyseBuffer(&s, b.data(), 4410, 44100, true) ? 1 : 0;
    }
    EXPECT_EQ(kept, 15);
    EXPECT_EQ(s.bufferCount, 40);  // dropped buffers are still analysed
    auto voice = Constant(4410, 450);
    EXPECT_TRUE(analyseBuffer(&s, voice.data(), 4410, 44100, true));
    EXPECT_EQ(s.silentMs, 0);
    // The count starts afresh after the voice.
    for (int i = 0; i < 15; ++i) {
        auto b = quiet;
        EXPECT_TRUE(analyseBuffer(&s, b.data(), 4410, 44100, true)) << i;
    }
    auto b = quiet;
    EXPECT_FALSE(analyseBuffer(&s, b.data(), 4410, 44100, true));
}

TEST(SilenceSkipping, BufferLengthIsCountedInWholeMillisecondsAtEitherRate) {
    LevelState s = Fresh();
    auto b = Constant(2205, 0);
    analyseBuffer(&s, b.data(), 2205, 22050, true);
    EXPECT_EQ(s.silentMs, 100);
    auto partial = Constant(1000, 0);
    analyseBuffer(&s, partial.data(), 1000, 44100, true);
    EXPECT_EQ(s.silentMs, 122);  // 1000 × 1000 / 44100 = 22.7 → 22
}

TEST(SilenceSkipping, OffKeepsEverything) {
    LevelState s = Fresh();
    for (int i = 0; i < 100; ++i) {
        auto b = Constant(4410, 0);
        EXPECT_TRUE(analyseBuffer(&s, b.data(), 4410, 44100, false));
    }
    EXPECT_EQ(s.silentMs, 0);
}

TEST(SilenceSkipping, AnAllNightSilenceKeepsDroppingWithoutOverflow) {
    LevelState s = Fresh();
    s.silentMs = 2147483000;
    auto b = Constant(4410, 0);
    EXPECT_FALSE(analyseBuffer(&s, b.data(), 4410, 44100, true));
    EXPECT_GT(s.silentMs, 1500);
    EXPECT_FALSE(analyseBuffer(&s, b.data(), 4410, 44100, true));
}

TEST(LoudWarning, ShowsFromTheFirstTickAndEndsFourteenTicksAfterTheLastClip) {
    LevelState s = Fresh();
    EXPECT_EQ(loudWarningStep(&s), kLoudWarningUnchanged);
    auto clip = Constant(10, 32767);
    analyseBuffer(&s, clip.data(), 10, 44100, false);
    EXPECT_EQ(loudWarningStep(&s), kLoudWarningStarts);
    for (int i = 2; i <= 14; ++i) EXPECT_EQ(loudWarningStep(&s), kLoudWarningUnchanged) << i;
    EXPECT_EQ(loudWarningStep(&s), kLoudWarningEnds);
    EXPECT_FALSE(s.loudWarningShown);
    EXPECT_EQ(loudWarningStep(&s), kLoudWarningUnchanged);
}

TEST(LoudWarning, ANewClipWhileShownExtendsItWithoutANewEdge) {
    LevelState s = Fresh();
    auto clip = Constant(10, -32768);
    analyseBuffer(&s, clip.data(), 10, 44100, false);
    EXPECT_EQ(loudWarningStep(&s), kLoudWarningStarts);
    for (int i = 0; i < 10; ++i) loudWarningStep(&s);
    auto again = Constant(10, -32768);  // the first buffer was limited in place
    analyseBuffer(&s, again.data(), 10, 44100, false);
    for (int i = 0; i < 14; ++i) EXPECT_EQ(loudWarningStep(&s), kLoudWarningUnchanged) << i;
    EXPECT_EQ(loudWarningStep(&s), kLoudWarningEnds);
}

TEST(Verdicts, TooLoudNeedsMoreThanThreePercentAndAtLeastThreeBuffers) {
    LevelState s = Fresh();
    s.bufferCount = 50;
    s.clippedBufferCount = 2;
    EXPECT_FALSE(isTooLoudRecording(&s));
    s.bufferCount = 100;
    s.clippedBufferCount = 3;
    EXPECT_FALSE(isTooLoudRecording(&s));
    s.clippedBufferCount = 4;
    EXPECT_TRUE(isTooLoudRecording(&s));
    s.bufferCount = 3;
    s.clippedBufferCount = 3;
    EXPECT_TRUE(isTooLoudRecording(&s));
    s.bufferCount = 0;
    s.clippedBufferCount = 0;
    EXPECT_FALSE(isTooLoudRecording(&s));
}

TEST(Verdicts, PeakOf59IsSilentAnd60IsNot) {
    LevelState s = Fresh();
    s.peakSinceStart = 59;
    EXPECT_TRUE(isSilentRecording(&s));
    s.peakSinceStart = 60;
    EXPECT_FALSE(isSilentRecording(&s));
}

TEST(Meter, DecaysByEightTenthsTruncatingAndMapsLevelToTheBar) {
    LevelState s = Fresh();
    s.level = 1001;
    decayLevel(&s);
    EXPECT_EQ(s.level, 800);
    s.level = 1;
    decayLevel(&s);
    EXPECT_EQ(s.level, 0);
    EXPECT_FLOAT_EQ(meterFraction(6000), 0.5f);
    EXPECT_FLOAT_EQ(meterFraction(32768), 1.0f);
    EXPECT_FALSE(meterVoicePresent(1200));
    EXPECT_TRUE(meterVoicePresent(1201));
}
