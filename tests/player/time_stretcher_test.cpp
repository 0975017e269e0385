// The time stretcher: its sizes, the unity gain of the windows' overlap-add, duration and pitch at several speeds,
// fading into silence past the track's end, and the fast search's equality with the plain loop.
#include "player/time_stretcher.h"

#include <gtest/gtest.h>
#include <math.h>

#include <vector>

#include "player_test_support.h"

namespace {

struct StretcherDeleter {
    void operator()(TimeStretcher* t) const { timeStretcherDestroy(t); }
};
typedef std::unique_ptr<TimeStretcher, StretcherDeleter> Stretcher;

// Runs the stretcher over the whole track (and `extra` buffers past its end) in buffers of n.
std::vector<int16_t> Stretch(TimeStretcher* t, const std::vector<int16_t>& track, double speed, int n, int extra = 0) {
    timeStretcherReset(t, 0.0);
    std::vector<int16_t> out;
    std::vector<int16_t> buffer(static_cast<size_t>(n));
    int after = 0;
    while (after <= extra) {
        timeStretcherProcess(t, track.data(), static_cast<int32_t>(track.size()), speed, buffer.data(), n);
        out.insert(out.end(), buffer.begin(), buffer.end());
        if (timeStretcherPosition(t) >= static_cast<double>(track.size())) ++after;
    }
    return out;
}

// Frequency from the zero crossings between from and to.
double Frequency(const std::vector<int16_t>& v, size_t from, size_t to, int rate) {
    int crossings = 0;
    size_t first = 0, last = 0;
    for (size_t i = from + 1; i < to; ++i) {
        if (v[i - 1] < 0 && v[i] >= 0) {
            if (crossings == 0) first = i;
            last = i;
            ++crossings;
        }
    }
    return (crossings - 1) * static_cast<double>(rate) / static_cast<double>(last - first);
}

TEST(TimeStretcherSizes, FollowTheRate) {
    struct Row {
        int rate, n, h, s;
    };
    for (Row r : {Row{44100, 1764, 882, 529}, Row{22050, 882, 441, 264}, Row{8000, 320, 160, 96}, Row{1000, 64, 32, 12},
                  Row{48000, 1920, 960, 576}}) {
        Stretcher t(timeStretcherCreate(r.rate));
        ASSERT_TRUE(t);
        EXPECT_EQ(t->frameLength, r.n) << r.rate;
        EXPECT_EQ(t->hop, r.h) << r.rate;
        EXPECT_EQ(t->searchRadius, r.s) << r.rate;
        EXPECT_EQ(t->outCapacity, 8 * r.n);
    }
    EXPECT_EQ(timeStretcherCreate(0), nullptr);
    EXPECT_EQ(timeStretcherPosition(nullptr), 0.0);
}

TEST(TimeStretcherGain, OverlappedWindowsAddUpToOne) {
    Stretcher t(timeStretcherCreate(22050));
    for (int i = 0; i < t->hop; ++i) EXPECT_NEAR(t->window[i] + t->window[i + t->hop], 1.0f, 1e-6f) << i;
    EXPECT_EQ(t->window[0], 0.0f);  // periodic: starts at 0, peaks at N / 2
    EXPECT_EQ(t->window[t->hop], 1.0f);
    // A constant track comes out constant once the first segment's rising half has passed.
    std::vector<int16_t> flat(22050 * 2, 12000);
    for (double speed : {0.5, 0.65, 1.5, 3.0}) {
        std::vector<int16_t> out = Stretch(t.get(), flat, speed, 1102);
        for (size_t i = static_cast<size_t>(t->hop); i < out.size() / 3; ++i) {
            ASSERT_NEAR(out[i], 12000, 1) << speed << " " << i;
        }
    }
}

TEST(TimeStretcherTiming, DurationScalesWithOneOverSpeed) {
    const int rate = 22050;
    std::vector<int16_t> track = tone(rate * 10, rate, 220, 10000);
    Stretcher t(timeStretcherCreate(rate));
    for (double speed : {0.5, 0.65, 1.5, 2.0, 3.0}) {
        std::vector<int16_t> out = Stretch(t.get(), track, speed, rate / 20);
        double seconds = static_cast<double>(out.size()) / rate;
        EXPECT_NEAR(seconds, 10.0 / speed, 0.1) << speed;
    }
    // Below and above the limits it is clamped.
    EXPECT_NEAR(Stretch(t.get(), track, 0.1, rate / 20).size() / static_cast<double>(rate), 20.0, 0.1);
    EXPECT_NEAR(Stretch(t.get(), track, 9.0, rate / 20).size() / static_cast<double>(rate), 10.0 / 3.0, 0.1);
}

TEST(TimeStretcherTiming, PositionTracksTheTrack) {
    const int rate = 8000;
    std::vector<int16_t> track = noise(rate * 4, 3000, 5);
    Stretcher t(timeStretcherCreate(rate));
    timeStretcherReset(t.get(), 1000.0);
    EXPECT_EQ(timeStretcherPosition(t.get()), 1000.0);
    std::vector<int16_t> buffer(400);
    timeStretcherProcess(t.get(), track.data(), static_cast<int32_t>(track.size()), 2.0, buffer.data(), 400);
    // 400 output samples at 2x stand for 800 track samples.
    EXPECT_NEAR(timeStretcherPosition(t.get()), 1800.0, 1e-9);
    // The first segment after a reset starts exactly there, unsearched: its first half is the track under the rising
    // half of the window.
    for (int i = 0; i < t->hop; ++i) {
        float want = t->window[i] * static_cast<float>(track[static_cast<size_t>(1000 + i)]);
        ASSERT_NEAR(buffer[static_cast<size_t>(i)], want, 1.0f) << i;
    }
}

// A reset forgets the segments before it: nothing they left in the overlap reaches the output, and the first segment
// after it is exactly the track under the rising half of the window, wherever the view of the track begins, and as
// silence where the frame runs past the view's end. Each view is a copy of its stretch alone, so that a read past its
// end shows under the address sanitizer.
TEST(TimeStretcherReset, StartsAfreshAtAnyPlaceOfAnyView) {
    const int rate = 8000;
    const std::vector<int16_t> track = noise(rate * 4, 20000, 11);
    const int64_t length = static_cast<int64_t>(track.size());
    Stretcher t(timeStretcherCreate(rate));
    const int32_t N = t->frameLength, H = t->hop;
    struct Case {
        int64_t first, count, at;
    };
    const int64_t end = 3000 + 20000;
    for (Case c : {Case{0, length, 1000}, Case{3000, 20000, 7000}, Case{3000, 20000, end - N},
                   Case{3000, 20000, end - N + 4}, Case{3000, 20000, end - H / 2}}) {
        // Segments played just before leave their tails in the overlap.
        std::vector<int16_t> before(static_cast<size_t>(3 * H));
        timeStretcherReset(t.get(), 2000.0);
        timeStretcherProcess(t.get(), track.data(), static_cast<int32_t>(length), 1.5, before.data(), 3 * H);
        const std::vector<int16_t> held(track.begin() + c.first, track.begin() + c.first + c.count);
        const TrackView view = {held.data(), c.first, c.count};
        std::vector<int16_t> out(static_cast<size_t>(H));
        timeStretcherReset(t.get(), static_cast<double>(c.at));
        timeStretcherProcessView(t.get(), &view, 1.5, out.data(), H);
        for (int32_t i = 0; i < H; ++i) {
            const int64_t p = c.at + i;
            const bool inside = p >= c.first && p < c.first + c.count;
            const int16_t want =
                inside ? static_cast<int16_t>(t->window[i] * static_cast<float>(track[static_cast<size_t>(p)])) : 0;
            ASSERT_EQ(out[static_cast<size_t>(i)], want) << "at " << c.at << " sample " << i;
        }
    }
}

TEST(TimeStretcherPitch, ToneKeepsItsFrequency) {
    for (int rate : {22050, 44100}) {
        std::vector<int16_t> track = tone(rate * 4, rate, 440, 12000);
        Stretcher t(timeStretcherCreate(rate));
        for (double speed : {0.5, 0.65, 1.5, 2.0, 3.0}) {
            std::vector<int16_t> out = Stretch(t.get(), track, speed, rate / 20);
            double hz = Frequency(out, out.size() / 4, out.size() * 3 / 4, rate);
            EXPECT_NEAR(hz, 440.0, 4.4) << rate << " " << speed;
        }
    }
}

TEST(TimeStretcherEnd, FadesIntoSilencePastTheTrack) {
    const int rate = 22050;
    std::vector<int16_t> track = tone(rate, rate, 330, 15000);
    Stretcher t(timeStretcherCreate(rate));
    for (double speed : {0.5, 1.5, 3.0}) {
        std::vector<int16_t> out = Stretch(t.get(), track, speed, 1102, 10);
        // The last buffers, read wholly past the end, are silent.
        for (size_t i = out.size() - 3 * 1102; i < out.size(); ++i) ASSERT_EQ(out[i], 0) << speed << " " << i;
    }
    // A request larger than one call can hold is filled with silence after what it can give.
    std::vector<int16_t> big(static_cast<size_t>(8 * t->frameLength), 123);
    timeStretcherReset(t.get(), 0.0);
    timeStretcherProcess(t.get(), track.data(), static_cast<int32_t>(track.size()), 1.5, big.data(),
                         static_cast<int32_t>(big.size()));
    EXPECT_EQ(big.back(), 0);
}

// The plain loop and the fast search, each on a fresh stretcher with the same history.
void ExpectSameAsPlain(const std::vector<int16_t>& track, int rate, double speed, const char* what) {
    Stretcher fast(timeStretcherCreate(rate));
    Stretcher plain(timeStretcherCreate(rate));
    plain->plainSearch = true;
    std::vector<int16_t> a = Stretch(fast.get(), track, speed, rate / 20, 2);
    std::vector<int16_t> b = Stretch(plain.get(), track, speed, rate / 20, 2);
    ASSERT_EQ(a.size(), b.size()) << what << " " << speed;
    EXPECT_TRUE(a == b) << what << " " << speed;
}

TEST(TimeStretcherSearch, FastSearchEqualsThePlainLoop) {
    const int rate = 22050;
    std::vector<int16_t> mixed = tone(rate * 3, rate, 180, 9000);
    std::vector<int16_t> hiss = noise(rate * 3, 6000, 9);
    for (size_t i = 0; i < mixed.size(); ++i) {
        // Speech-like: a tone and noise, gated on and off, with stretches of digital silence and of +-1 dither.
        size_t block = i / (rate / 5);
        int v = mixed[i] / 2 + hiss[i] / 3;
        if (block % 5 == 2) v = 0;
        if (block % 5 == 4) v = hiss[i] % 2;
        mixed[i] = static_cast<int16_t>(v);
    }
    std::vector<int16_t> loud(static_cast<size_t>(rate * 2));
    for (size_t i = 0; i < loud.size(); ++i) loud[i] = (i / 37) % 2 ? 32767 : -32768;  // full-scale square
    std::vector<int16_t> pure = tone(rate * 2, rate, 441, 16000);  // exactly periodic: many near-equal candidates
    for (double speed : {0.5, 0.65, 1.5, 3.0}) {
        ExpectSameAsPlain(mixed, rate, speed, "mixed");
        ExpectSameAsPlain(loud, rate, speed, "square");
        ExpectSameAsPlain(pure, rate, speed, "tone");
    }
    ExpectSameAsPlain(noise(44100 * 2, 20000, 4), 44100, 0.65, "noise 44100");
    ExpectSameAsPlain(tone(8000 * 2, 8000, 200, 20000), 8000, 1.5, "tone 8000");
}

TEST(TimeStretcherSearch, CandidatesBeforeTheTrackAreSkipped) {
    std::vector<int16_t> track = noise(22050, 5000, 6);
    Stretcher fast(timeStretcherCreate(22050));
    Stretcher plain(timeStretcherCreate(22050));
    plain->plainSearch = true;
    for (int centre : {0, 10, 100, 263, 264, 265, 22000, 22400}) {
        for (int prevEnd : {-50, 0, 300, 21900}) {
            fast->prevEnd = plain->prevEnd = prevEnd;
            int32_t a = timeStretcherSearch(fast.get(), track.data(), 22050, centre);
            int32_t b = timeStretcherSearch(plain.get(), track.data(), 22050, centre);
            EXPECT_EQ(a, b) << centre << " " << prevEnd;
            EXPECT_GE(a, 0);
        }
    }
}

}  // namespace
