// The track source over the general decoder's stream, through a stand-in decoder whose whole decode is known sample
// for sample: onward reads decode on, reads anywhere else seek and give what the whole decode gives there however the
// stand-in's seek lands, a failing read is silence and the next read recovers, a file without a duration is decoded
// whole, the stream's end is silence, lengths past 2^31 samples play, and the playback thread sets up, reads and lets
// go on one thread.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>
#include <vector>

#include "player/output_fake.h"
#include "player/player.h"
#include "player/threads_manual.h"
#include "player/track_source.h"
#include "player_test_support.h"
#include "support/test_host.h"

namespace {

// What the stand-in's whole decode gives at p: every sample distinct from its neighbours.
int16_t Sample(int64_t p) {
    return static_cast<int16_t>((static_cast<uint64_t>(p) * 2654435761u) >> 13);
}

// A decoder like the platform's: it seeks to a frame boundary at or before the place (grid), maybe earlier still
// (early; negative: later, as Wine's does by a frame), and then gives `warmUp` samples that are not what the whole
// decode gives there, as a decoder without the frames before does. Stretches vary in size; each says by its timestamp
// where it starts.
struct StandIn {
    int64_t length = 441000;    // samples it decodes from the start
    int64_t duration = 441000;  // what the file says; -1 for none
    int openResult = 0;
    int64_t grid = 1;
    int64_t early = 0;
    int64_t warmUp = 0;
    int failAtRead = -1;  // the read of that number fails
    bool failForGood = false;
    int64_t pos = 0;
    int64_t warmLeft = 0;
    int opens = 0, closes = 0, decodes = 0, seeks = 0, reads = 0, detaches = 0, begins = 0, ends = 0;
    std::thread::id readThread, detachThread, beginThread;
    bool readsOnOneThread = true;
    std::vector<int16_t> buffer;
};
StandIn standIn;
GeneralStream* const kStream = reinterpret_cast<GeneralStream*>(&standIn);

int Decode(const wchar_t*, PcmTrack* t) {
    standIn.decodes += 1;
    t->samples = static_cast<int16_t*>(malloc(static_cast<size_t>(standIn.length) * sizeof(int16_t)));
    for (int64_t i = 0; i < standIn.length; ++i) t->samples[i] = Sample(i);
    t->sampleCount = static_cast<int32_t>(standIn.length);
    t->sampleRate = 44100;
    return 0;
}

int Open(const wchar_t*, GeneralStream** s, int64_t* count) {
    standIn.opens += 1;
    if (standIn.openResult != 0) return standIn.openResult;
    if (standIn.duration < 0) return 1;
    *s = kStream;
    *count = standIn.duration;
    return 0;
}

int Seek(GeneralStream*, int64_t sample) {
    standIn.seeks += 1;
    standIn.pos = sample <= 0 ? 0 : std::max<int64_t>(0, sample / standIn.grid * standIn.grid - standIn.early);
    // At the start a decode from the start is just as cold.
    standIn.warmLeft = standIn.pos > 0 ? standIn.warmUp : 0;
    return 0;
}

int Read(GeneralStream*, const int16_t** samples, int32_t* count, int64_t* first) {
    const std::thread::id here = std::this_thread::get_id();
    if (standIn.reads > 0 && here != standIn.readThread) standIn.readsOnOneThread = false;
    standIn.readThread = here;
    const int number = standIn.reads++;
    if (number == standIn.failAtRead || (standIn.failForGood && number > standIn.failAtRead && standIn.failAtRead >= 0))
        return -1;
    if (standIn.pos >= standIn.length) return 1;
    const int64_t n = std::min<int64_t>(700 + number % 5 * 300, standIn.length - standIn.pos);
    standIn.buffer.resize(static_cast<size_t>(n));
    for (int64_t i = 0; i < n; ++i) {
        const bool cold = standIn.warmLeft > 0;
        standIn.warmLeft -= cold ? 1 : 0;
        standIn.buffer[static_cast<size_t>(i)] = cold ? 12345 : Sample(standIn.pos + i);
    }
    *samples = standIn.buffer.data();
    *count = static_cast<int32_t>(n);
    *first = standIn.pos;
    standIn.pos += n;
    return 0;
}

void Detach(GeneralStream*) {
    standIn.detaches += 1;
    standIn.detachThread = std::this_thread::get_id();
}

void Close(GeneralStream*) {
    standIn.closes += 1;
}

int ThreadBegin() {
    standIn.begins += 1;
    standIn.beginThread = std::this_thread::get_id();
    return 0;
}

void ThreadEnd() {
    standIn.ends += 1;
}

const GeneralDecoderApi kStandIn = {Decode, Open, Seek, Read, Detach, Close, ThreadBegin, ThreadEnd};

class GeneralStreaming : public ::testing::Test {
  protected:
    void SetUp() override {
        standIn = StandIn();
        folder = makeTestFolder("general_stream");
        // Neither WAV nor MP3 takes it: an MP4-family head.
        Bytes m4a = {0, 0, 0, 0x20, 'f', 't', 'y', 'p', 'M', '4', 'A', ' '};
        m4a.resize(3000, 0);
        writeBytes(folder / "track.m4a", m4a);
        path = widePath(folder / "track.m4a");
    }
    void TearDown() override {
        playerClose();
        trackSourceClose(&source);
        fakeOutput.heard = nullptr;
        std::filesystem::remove_all(folder);
    }
    Outcome Open() { return trackSourceOpen(path.c_str(), &kPlatformFiles, &kStandIn, &kPlatformThreads, &source); }
    std::vector<int16_t> ReadAt(int64_t start, int32_t n) {
        std::vector<int16_t> v(static_cast<size_t>(n), 7);
        trackSourceRead(&source, start, n, v.data());
        return v;
    }
    // The whole decode at [start, start + n), silence outside it and past `end`.
    static std::vector<int16_t> Expected(int64_t start, int32_t n, int64_t end) {
        std::vector<int16_t> v(static_cast<size_t>(n), 0);
        for (int32_t i = 0; i < n; ++i) {
            if (start + i >= 0 && start + i < end) v[static_cast<size_t>(i)] = Sample(start + i);
        }
        return v;
    }

    std::filesystem::path folder;
    std::wstring path;
    TrackSource source = {};
};

TEST_F(GeneralStreaming, ReadsGiveTheWholeDecodeOnwardAndAfterSeeksWhereverTheSeekLands) {
    struct Landing {
        int64_t grid, early, warmUp;
    };
    // Exactly on the place; on the frame before it with a cold frame after; early by more than the lead; far early;
    // a frame late; later than the lead reaches (it seeks again from further back).
    const Landing landings[] = {{1, 0, 0},        {1024, 0, 2048},     {1024, 6000, 2048},
                                {1, 60000, 1024}, {1024, -1024, 2048}, {1, -9000, 1024}};
    std::mt19937 rng(22);
    for (const Landing& l : landings) {
        SCOPED_TRACE(l.early);
        standIn = StandIn();
        standIn.grid = l.grid;
        standIn.early = l.early;
        standIn.warmUp = l.warmUp;
        ASSERT_EQ(Open(), Outcome::kOk);
        EXPECT_EQ(source.decoder, TrackDecoder::General);
        EXPECT_EQ(source.sampleCount, standIn.duration);
        EXPECT_EQ(source.sampleRate, 44100);
        EXPECT_EQ(standIn.decodes, 0);
        // Onward from the start in uneven pieces: no seek at all.
        for (int64_t at = 0; at < standIn.length;) {
            const int32_t n = 1 + static_cast<int32_t>(rng() % 5000);
            ASSERT_EQ(ReadAt(at, n), Expected(at, n, standIn.length)) << "at " << at;
            at += n;
        }
        EXPECT_EQ(standIn.seeks, 0);
        int seeks = 0;
        // Anywhere: each jump seeks once, and reading on from it decodes on.
        for (int k = 0; k < 30; ++k) {
            const int64_t at = static_cast<int64_t>(rng() % static_cast<uint32_t>(standIn.length));
            const int32_t n = 1 + static_cast<int32_t>(rng() % 9000);
            ASSERT_EQ(ReadAt(at, n), Expected(at, n, standIn.length)) << "at " << at;
            ASSERT_EQ(ReadAt(at + n, 500), Expected(at + n, 500, standIn.length)) << "on from " << at;
            seeks += 1 + (l.early < -kGeneralSeekLead && at > kGeneralSeekLead ? 1 : 0);
            EXPECT_EQ(standIn.seeks, seeks);
        }
        trackSourceClose(&source);
        EXPECT_EQ(standIn.closes, 1);
    }
}

TEST_F(GeneralStreaming, AFailedReadIsSilenceAndTheNextReadSeeksAgain) {
    standIn.failAtRead = 20;
    ASSERT_EQ(Open(), Outcome::kOk);
    const std::vector<int16_t> first = ReadAt(0, 40000);
    // About 20 stretches of 700..1900 samples came before the failure; silence after it.
    int64_t good = 0;
    while (good < 40000 && first[static_cast<size_t>(good)] == Sample(good)) ++good;
    EXPECT_GT(good, 10000);
    EXPECT_EQ(std::vector<int16_t>(first.begin() + good, first.end()), std::vector<int16_t>(40000 - good, 0));
    EXPECT_EQ(ReadAt(40000, 3000), Expected(40000, 3000, standIn.length));
    EXPECT_EQ(standIn.seeks, 1);

    // A decoder that keeps failing: silence, and no harm.
    standIn.failForGood = true;
    standIn.failAtRead = standIn.reads;
    EXPECT_EQ(ReadAt(100000, 3000), std::vector<int16_t>(3000, 0));
    EXPECT_EQ(ReadAt(103000, 3000), std::vector<int16_t>(3000, 0));
    EXPECT_EQ(standIn.seeks, 3);
}

TEST_F(GeneralStreaming, TheDecoderDecidesWhatOpensAndWithoutADurationItIsDecodedWhole) {
    standIn.duration = -1;
    ASSERT_EQ(Open(), Outcome::kOk);
    EXPECT_EQ(standIn.decodes, 1);
    ASSERT_NE(source.whole.samples, nullptr);
    EXPECT_EQ(source.sampleCount, standIn.length);
    EXPECT_EQ(ReadAt(300000, 2000), Expected(300000, 2000, standIn.length));
    EXPECT_EQ(standIn.seeks + standIn.reads, 0);
    trackSourceClose(&source);

    // Refused: what does not decode, and a track of kMinTrackSamples or fewer (its stream closed again).
    standIn = StandIn();
    standIn.openResult = -1;
    EXPECT_EQ(Open(), Outcome::kUndecodable);
    EXPECT_EQ(standIn.decodes, 0);
    standIn = StandIn();
    standIn.duration = kMinTrackSamples;
    EXPECT_EQ(Open(), Outcome::kUndecodable);
    EXPECT_EQ(standIn.closes, 1);
    standIn.duration = kMinTrackSamples + 1;
    EXPECT_EQ(Open(), Outcome::kOk);
}

TEST_F(GeneralStreaming, PastTheStreamsEndIsSilenceAndTracksPastTwoToThe31SamplesPlay) {
    // Longer than 32-bit sample counts hold, as the whole decode could not; the file says 1000 samples more than
    // the decoder gives.
    standIn.length = (int64_t{1} << 31) + 5000000;
    standIn.duration = standIn.length + 1000;
    standIn.grid = 1024;
    standIn.warmUp = 2048;
    ASSERT_EQ(Open(), Outcome::kOk);
    EXPECT_EQ(source.sampleCount, standIn.duration);
    const int64_t late = (int64_t{1} << 31) + 1234567;
    EXPECT_EQ(ReadAt(late, 4000), Expected(late, 4000, standIn.length));
    const int64_t end = standIn.length - 2500;
    EXPECT_EQ(ReadAt(end, 6000), Expected(end, 6000, standIn.length));
    EXPECT_EQ(ReadAt(end + 6000, 100), std::vector<int16_t>(100, 0));
    // Back from the end: the stream gives again.
    EXPECT_EQ(ReadAt(4000, 100), Expected(4000, 100, standIn.length));
}

TEST_F(GeneralStreaming, ThePlaybackThreadSetsUpReadsAndLetsGoOnItself) {
    standIn.length = standIn.duration = 44100;
    playerReset();
    fakeOutputReset();
    PlayerServicesApi services = {&kPlatformFiles, &kStandIn, &kFakeOutputApi, &kPlatformThreads};
    playerInstall(&services);
    std::vector<int16_t> heard(100000, 0);
    fakeOutput.heard = heard.data();
    fakeOutput.heardCapacity = static_cast<int64_t>(heard.size());
    ASSERT_EQ(playerOpen(path.c_str()), Outcome::kOk);
    fakeOutput.threads = &kPlatformThreads;
    fakeOutput.guard = player.lock;
    playerPlay();
    const auto start = std::chrono::steady_clock::now();
    while (!playerHasEnded() && std::chrono::steady_clock::now() - start < std::chrono::seconds(20)) {
        fakeOutputPlay(1000);
        std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
    ASSERT_TRUE(playerHasEnded());
    EXPECT_EQ(std::vector<int16_t>(heard.begin(), heard.begin() + 44100), Expected(0, 44100, 44100));
    playerClose();
    fakeOutput.guard = nullptr;
    EXPECT_EQ(standIn.begins, 1);
    EXPECT_EQ(standIn.ends, 1);
    EXPECT_EQ(standIn.detaches, 1);
    EXPECT_EQ(standIn.closes, 1);
    EXPECT_TRUE(standIn.readsOnOneThread);
    EXPECT_EQ(standIn.beginThread, standIn.readThread);
    EXPECT_EQ(standIn.detachThread, standIn.readThread);
    EXPECT_NE(standIn.readThread, std::this_thread::get_id());
}

}  // namespace
