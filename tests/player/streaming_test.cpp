// The player reads its track from the file as it plays. What it reads must be what the whole-file decode (loadTrack,
// kept here as the reference) gives, sample for sample: read on from the start, read anywhere after a jump, and played
// through the engine at every speed after seeks at random points. WAV files past 2 GiB, the length of the program's
// own long recordings, open and play where the whole-file reader could not hold them.
#include <gtest/gtest.h>

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "player/mp3_stream.h"
#include "player/output_fake.h"
#include "player/player.h"
#include "player/threads_manual.h"
#include "player/track_source.h"
#include "player_test_support.h"
#include "support/test_host.h"

namespace {

struct Fixture {
    std::string name;
    Bytes bytes;
};

Bytes Repeat(const Bytes& b, int times) {
    Bytes out;
    for (int i = 0; i < times; ++i) out.insert(out.end(), b.begin(), b.end());
    return out;
}

Bytes ReadFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Speech-like material: a tone that wanders, with noise, so that neighbouring samples differ and a shifted stretch
// shows.
std::vector<int16_t> Material(int count, int rate, uint32_t seed) {
    std::vector<int16_t> t = tone(count, rate, 310.0, 9000.0);
    std::vector<int16_t> n = noise(count, 3000, seed);
    for (int i = 0; i < count; ++i) t[static_cast<size_t>(i)] = static_cast<int16_t>(t[i] / 2 + n[i]);
    return t;
}

// Every file of the decoder corpus, and long files made here: MP3 at the rates and rates of bits in use, stereo, a
// stream of tagged files one after another (a resynchronisation at every tag), a low-rate stereo stream whose bit
// reservoir reaches far back, a stream that changes rate, one with more junk in it than the decoder looks ahead, and
// WAV of several layouts, sizes and cuts.
std::vector<Fixture> MakeFixtures() {
    std::vector<Fixture> all;
    const std::filesystem::path corpus = NOTAFON_DECODER_CORPUS;
    std::vector<std::filesystem::path> seeds;
    for (const auto& e : std::filesystem::directory_iterator(corpus)) seeds.push_back(e.path());
    std::sort(seeds.begin(), seeds.end());
    for (const auto& p : seeds) all.push_back({p.filename().string(), ReadFile(p)});
    EXPECT_GE(all.size(), 20u);

    all.push_back({"mono-22050-32k-long", encodeMonoMp3(Material(22050 * 25, 22050, 1), 22050, 32)});
    all.push_back({"mono-44100-128k-long", encodeMonoMp3(Material(44100 * 12, 44100, 2), 44100, 128)});
    all.push_back({"mono-44100-48k-long", encodeMonoMp3(Material(44100 * 12, 44100, 3), 44100, 48)});
    all.push_back({"stereo-44100-64k-long",
                   encodeStereoMp3(Material(44100 * 10, 44100, 4), Material(44100 * 10, 44100, 5), 44100, 64)});
    all.push_back({"tagged-repeated", Repeat(ReadFile(corpus / "seed-mono-22050.mp3"), 60)});
    all.push_back({"stereo-8000-repeated", Repeat(ReadFile(corpus / "seed-stereo-8000-bare.mp3"), 40)});
    all.push_back({"mixed-rate-repeated", Repeat(ReadFile(corpus / "seed-mixed-rate.mp3"), 25)});
    // A fast start and a slow rest: the length estimated from the start falls far short.
    Bytes fastThenSlow = encodeMonoMp3(Material(22050 * 4, 22050, 13), 22050, 64);
    Bytes slow = encodeMonoMp3(Material(22050 * 16, 22050, 14), 22050, 16);
    fastThenSlow.insert(fastThenSlow.end(), slow.begin(), slow.end());
    all.push_back({"fast-then-slow", fastThenSlow});
    // More junk than the decoder holds in memory at a time, before the end of the file is in memory.
    Bytes junk = encodeMonoMp3(Material(22050 * 8, 22050, 6), 22050, 48);
    Bytes second = encodeMonoMp3(Material(22050 * 8, 22050, 7), 22050, 48);
    junk.insert(junk.end(), static_cast<size_t>(kMp3ReadBytes) + 200000, 0);
    junk.insert(junk.end(), second.begin(), second.end());
    all.push_back({"long-junk-between", junk});

    WavLayout mono;
    all.push_back({"wav-16-mono-long", makeWav(mono, pcm16(Material(22050 * 20, 22050, 8)))});
    WavLayout six;
    six.channels = 6;
    six.bits = 24;
    six.sampleRate = 48000;
    Bytes body6;
    std::vector<int16_t> n6 = noise(48000 * 6 * 3, 20000, 9);
    for (int16_t v : n6) {
        body6.push_back(0x5A);
        appendLe16(&body6, static_cast<uint16_t>(v));
    }
    all.push_back({"wav-24-six-channels", makeWav(six, body6)});
    WavLayout floats;
    floats.tag = 3;
    floats.bits = 32;
    floats.channels = 2;
    floats.sampleRate = 44100;
    Bytes bodyF;
    std::vector<int16_t> nf = noise(44100 * 2 * 4, 32767, 10);
    for (size_t i = 0; i < nf.size(); ++i) {
        float v = nf[i] / 30000.0f;  // some beyond full scale, which clip
        uint32_t u;
        memcpy(&u, &v, 4);
        appendLe32(&bodyF, u);
    }
    all.push_back({"wav-float-stereo", makeWav(floats, bodyF)});
    WavLayout eight;
    eight.bits = 8;
    Bytes body8;
    for (int16_t v : noise(22050 * 5, 127, 11)) body8.push_back(static_cast<unsigned char>(v + 128));
    all.push_back({"wav-8-unsized", makeWav(eight, body8, 0xFFFFFFFF)});
    Bytes cut = makeWav(mono, pcm16(Material(22050 * 6, 22050, 12)));
    cut.resize(cut.size() - 1001);  // the size field promises more than there is, and half a sample is left
    all.push_back({"wav-cut", cut});
    return all;
}

// Made once for all the tests here: the encoding is most of their time.
const std::vector<Fixture>& Fixtures() {
    static const std::vector<Fixture> all = MakeFixtures();
    return all;
}

class Streaming : public ::testing::Test {
  protected:
    void SetUp() override { folder = makeTestFolder("streaming"); }
    void TearDown() override {
        playerClose();
        fakeOutput.written = nullptr;
        std::filesystem::remove_all(folder);
    }
    std::filesystem::path folder;
};

// The expected samples of [start, start + count): the reference, silence outside it.
std::vector<int16_t> Slice(const PcmTrack& ref, int64_t start, int32_t count) {
    std::vector<int16_t> v(static_cast<size_t>(count), 0);
    for (int32_t i = 0; i < count; ++i) {
        int64_t p = start + i;
        if (p >= 0 && p < ref.sampleCount) v[static_cast<size_t>(i)] = ref.samples[p];
    }
    return v;
}

TEST_F(Streaming, EverySourceReadsWhatTheWholeFileDecodeGivesOnwardAndAfterJumps) {
    std::mt19937 rng(20261209);
    int streamedMp3 = 0, wholeMp3 = 0, streamedWav = 0;
    for (const Fixture& f : Fixtures()) {
        SCOPED_TRACE(f.name);
        const std::filesystem::path p = folder / "input.bin";
        writeBytes(p, f.bytes);
        const std::wstring path = widePath(p);
        PcmTrack ref = {nullptr, 0, 0};
        TrackDecoder refUsed = TrackDecoder::None;
        Outcome refResult =
            loadTrack(path.c_str(), &kPlatformFiles, &kNoGeneralDecoder, &kPlatformThreads, &ref, &refUsed);
        TrackSource source;
        Outcome r = trackSourceOpen(path.c_str(), &kPlatformFiles, &kNoGeneralDecoder, &kPlatformThreads, &source);
        ASSERT_EQ(r, refResult);
        if (!succeeded(r)) continue;
        ASSERT_EQ(source.decoder, refUsed);
        ASSERT_EQ(source.sampleRate, ref.sampleRate);
        ASSERT_EQ(source.sampleCount, ref.sampleCount);
        if (source.mp3) streamedMp3 += 1;
        if (source.decoder == TrackDecoder::Mp3 && !source.mp3) wholeMp3 += 1;
        if (source.decoder == TrackDecoder::Wav) streamedWav += 1;

        // Onward from the start, in pieces of uneven size.
        std::vector<int16_t> got(static_cast<size_t>(ref.sampleCount) + 6000, 7);
        int64_t at = 0;
        while (at < ref.sampleCount + 3000) {
            int32_t n = 1 + static_cast<int32_t>(rng() % 3000);
            trackSourceRead(&source, at, n, got.data() + at);
            at += n;
        }
        got.resize(static_cast<size_t>(at));
        EXPECT_EQ(got, Slice(ref, 0, static_cast<int32_t>(at)));

        // Anywhere: jumps back and forth, some short and some across the end or before the start.
        const int64_t restartsBefore = source.mp3 ? mp3StreamRestarts(source.mp3) : 0;
        for (int k = 0; k < 40; ++k) {
            int64_t start = static_cast<int64_t>(rng() % static_cast<uint32_t>(ref.sampleCount + 2000)) - 1000;
            int32_t n = 1 + static_cast<int32_t>(rng() % 6000);
            std::vector<int16_t> piece(static_cast<size_t>(n), 7);
            trackSourceRead(&source, start, n, piece.data());
            ASSERT_EQ(piece, Slice(ref, start, n)) << "at " << start << " for " << n;
        }
        if (source.mp3 && ref.sampleCount > 200000) {
            EXPECT_GT(mp3StreamRestarts(source.mp3), restartsBefore + 5);
        }
        trackSourceClose(&source);
        pcmTrackFree(&ref);
    }
    // The paths above were all taken: long MP3s streamed, the one with junk beyond the look-ahead decoded whole.
    EXPECT_GE(streamedMp3, 10);
    EXPECT_EQ(wholeMp3, 1);
    EXPECT_GE(streamedWav, 10);
}

// The old engine's filling over the whole track, for one buffer: the reference of what the device is given.
void ReferenceFill(TimeStretcher* t, const PcmTrack& ref, double speed, int16_t* out, int32_t n) {
    if (speed > 0.98 && speed < 1.02) {
        int64_t start = static_cast<int64_t>(timeStretcherPosition(t));
        for (int32_t k = 0; k < n; ++k) out[k] = start + k < ref.sampleCount ? ref.samples[start + k] : 0;
        timeStretcherReset(t, static_cast<double>(start + n));
    } else {
        timeStretcherProcess(t, ref.samples, ref.sampleCount, speed, out, n);
    }
}

TEST_F(Streaming, TheEngineGivesTheDeviceWhatTheWholeTrackGaveAtEverySpeedAfterRandomSeeks) {
    std::mt19937 rng(7);
    const char* chosen[] = {"mono-22050-32k-long", "stereo-44100-64k-long", "tagged-repeated", "wav-24-six-channels",
                            "wav-16-mono-long"};
    const std::vector<Fixture>& fixtures = Fixtures();
    for (const char* name : chosen) {
        SCOPED_TRACE(name);
        const Fixture* f = nullptr;
        for (const Fixture& x : fixtures) {
            if (x.name == name) f = &x;
        }
        ASSERT_TRUE(f);
        const std::filesystem::path p = folder / "track.bin";
        writeBytes(p, f->bytes);
        const std::wstring path = widePath(p);
        PcmTrack ref = {nullptr, 0, 0};
        TrackDecoder used = TrackDecoder::None;
        ASSERT_EQ(loadTrack(path.c_str(), &kPlatformFiles, &kNoGeneralDecoder, &kPlatformThreads, &ref, &used),
                  Outcome::kOk);

        playerReset();
        fakeOutputReset();
        manualThreadsReset();
        PlayerServicesApi services = {&kPlatformFiles, &kNoGeneralDecoder, &kFakeOutputApi, &kManualThreads};
        playerInstall(&services);
        std::vector<int16_t> written(1 << 22);
        fakeOutput.written = written.data();
        fakeOutput.writtenCapacity = static_cast<int64_t>(written.size());
        ASSERT_EQ(playerOpen(path.c_str()), Outcome::kOk);
        const int32_t n = ref.sampleRate / 20;
        TimeStretcher* t = timeStretcherCreate(ref.sampleRate);
        std::vector<int16_t> expected(static_cast<size_t>(n));
        const double duration = static_cast<double>(ref.sampleCount) / ref.sampleRate;
        const double speeds[] = {1.0, 0.5, 1.5, 3.0};
        for (double speed : speeds) {
            playerSetSpeed(speed);
            for (int k = 0; k < 6; ++k) {
                // Seven buffers at 300 % take 1.05 s of the track; they end before it does (Play at the end would
                // start again from 0).
                double at = (duration - 1.1) * (rng() % 1000) / 1000.0;
                if (k == 5) at = 0.0;
                // From the start it plays on across many refills of the window, as far as the track allows.
                int buffers = 7;
                if (k == 5) buffers = std::min(80, static_cast<int>((duration - 0.3) / (0.05 * speed)));
                const int64_t from = fakeOutput.writtenCount;
                playerSeek(at);
                playerThreadStep();
                // Four buffers at once while paused, then more as the listener hears them.
                playerPlay();
                while (fakeOutput.writtenCount - from < static_cast<int64_t>(buffers) * n) {
                    ASSERT_GT(fakeOutputPlay(n), 0);
                    playerThreadStep();
                }
                playerPause();
                ASSERT_EQ(fakeOutput.writtenCount - from, static_cast<int64_t>(buffers) * n) << speed << " at " << at;
                timeStretcherReset(t, at * ref.sampleRate);
                for (int b = 0; b < buffers; ++b) {
                    ReferenceFill(t, ref, speed, expected.data(), n);
                    std::vector<int16_t> heard(written.begin() + from + b * n, written.begin() + from + (b + 1) * n);
                    ASSERT_EQ(heard, expected) << "speed " << speed << " at " << at << " buffer " << b;
                }
            }
        }
        // The window was read again and again; it never held the track.
        EXPECT_GT(player.session->windowReads, 10);
        EXPECT_EQ(player.session->windowCapacity, 2 * ref.sampleRate);
        playerClose();
        timeStretcherDestroy(t);
        pcmTrackFree(&ref);
    }
}

// A WAV header for mono 16-bit at 44100 Hz with the given data size field, then the file grown (sparsely) to
// `fileSize`, with `pattern` written at sample `at`.
void WriteLongWav(const std::filesystem::path& p, uint32_t dataSize, uint64_t fileSize, int64_t at,
                  const std::vector<int16_t>& pattern) {
    WavLayout f;
    f.sampleRate = 44100;
    Bytes header = makeWav(f, Bytes(), dataSize);
    ASSERT_EQ(header.size(), 44u);
    writeBytes(p, header);
    std::filesystem::resize_file(p, fileSize);
    std::fstream out(p, std::ios::binary | std::ios::in | std::ios::out);
    out.seekp(static_cast<std::streamoff>(44 + at * 2));
    Bytes body = pcm16(pattern);
    out.write(reinterpret_cast<const char*>(body.data()), static_cast<std::streamsize>(body.size()));
    ASSERT_TRUE(out.good());
}

TEST_F(Streaming, WavRecordingsPastTwoAndFourGibibytesOpenAndPlayAtTheirEnd) {
    struct Case {
        uint32_t dataSize;
        uint64_t fileSize;
        int64_t expectedFrames;
        int64_t at;  // a whole second, so the seek lands exactly on it
    };
    const uint64_t fourGiB = 0x100000000ull;
    // A finished take just under 4 GiB (13.5 hours), and one whose writer never came back to the header (0xFFFFFFFF)
    // that ran on past 4 GiB, beyond what 32-bit sample counts hold.
    const Case cases[] = {
        {0xFFFFFF00u, 44ull + 0xFFFFFF00u, 0x7FFFFF80ll, 48000ll * 44100},
        {0xFFFFFFFFu, fourGiB + fourGiB / 8, static_cast<int64_t>((fourGiB + fourGiB / 8 - 44) / 2), 54000ll * 44100}};
    const std::vector<int16_t> pattern = noise(44100, 30000, 99);
    for (const Case& c : cases) {
        const std::filesystem::path p = folder / "long.wav";
        WriteLongWav(p, c.dataSize, c.fileSize, c.at, pattern);
        const std::wstring path = widePath(p);
        // The whole-file loader cannot hold it.
        PcmTrack whole = {nullptr, 0, 0};
        TrackDecoder used = TrackDecoder::None;
        EXPECT_EQ(loadTrack(path.c_str(), &kPlatformFiles, &kNoGeneralDecoder, &kPlatformThreads, &whole, &used),
                  Outcome::kTooLarge);

        playerReset();
        fakeOutputReset();
        manualThreadsReset();
        PlayerServicesApi services = {&kPlatformFiles, &kNoGeneralDecoder, &kFakeOutputApi, &kManualThreads};
        playerInstall(&services);
        std::vector<int16_t> written(1 << 20);
        fakeOutput.written = written.data();
        fakeOutput.writtenCapacity = static_cast<int64_t>(written.size());
        ASSERT_EQ(playerOpen(path.c_str()), Outcome::kOk);
        EXPECT_EQ(player.lastDecoder, TrackDecoder::Wav);
        EXPECT_EQ(player.session->source.sampleCount, c.expectedFrames);
        EXPECT_DOUBLE_EQ(playerDuration(), static_cast<double>(c.expectedFrames) / 44100);

        const double t = static_cast<double>(c.at) / 44100;
        playerSeek(t);
        const int64_t from = fakeOutput.writtenCount;
        playerThreadStep();
        ASSERT_EQ(fakeOutput.writtenCount - from, 4 * 2205);
        std::vector<int16_t> got(written.begin() + from, written.begin() + from + 4 * 2205);
        EXPECT_EQ(got, std::vector<int16_t>(pattern.begin(), pattern.begin() + 4 * 2205));
        playerPlay();
        fakeOutputPlay(2205);
        EXPECT_NEAR(playerPosition(), t + 0.05, 1e-9);

        // At 150 % over the pattern's second: what the stretcher makes of those samples, not silence.
        playerSetSpeed(1.5);
        playerSeek(t + 0.25);
        const int64_t from2 = fakeOutput.writtenCount;
        playerThreadStep();
        int64_t loud = 0;
        for (int64_t i = from2; i < fakeOutput.writtenCount; ++i) loud += written[static_cast<size_t>(i)] != 0;
        EXPECT_GT(loud, 4 * 2205 * 9 / 10);

        // And the end: Play after a seek there runs out and reads the full duration.
        playerSetSpeed(1.0);
        playerSeek(playerDuration() - 0.1);
        for (int guard = 0; guard < 20 && !playerHasEnded(); ++guard) {
            playerThreadStep();
            fakeOutputPlay(2205);
        }
        EXPECT_TRUE(playerHasEnded());
        EXPECT_DOUBLE_EQ(playerPosition(), playerDuration());
        playerClose();
        std::filesystem::remove(p);
    }
}

// Short files walked the way hours of audio are: a little at the open, the rest in slices between reads.
struct SlicedWalk {
    SlicedWalk(int64_t atOpen, int64_t perSlice) {
        mp3ScanBytesAtOpen = atOpen;
        mp3ScanBytesPerSlice = perSlice;
    }
    ~SlicedWalk() {
        mp3ScanBytesAtOpen = kMp3ScanBytesAtOpen;
        mp3ScanBytesPerSlice = kMp3ScanSliceBytes;
    }
};

const Fixture& Named(const char* name) {
    for (const Fixture& f : Fixtures()) {
        if (f.name == name) return f;
    }
    ADD_FAILURE() << name;
    return Fixtures().front();
}

// Resynchronisations at every tag, a stream that changes rate (its estimate is long, since the frames of the other
// rate take bytes but give no samples), one whose estimate is short, a low-rate reservoir, and plain constant-rate
// frames.
const char* const kSlicedFixtures[] = {"tagged-repeated", "mixed-rate-repeated", "fast-then-slow",
                                       "stereo-8000-repeated", "mono-22050-32k-long"};

TEST_F(Streaming, AnMp3WalkedInSlicesReadsTheWholeFileDecodeAnywhereAndSettlesOnItsLength) {
    SlicedWalk sliced(3000, 5000);
    std::mt19937 rng(11);
    for (const char* name : kSlicedFixtures) {
        SCOPED_TRACE(name);
        const std::filesystem::path p = folder / "sliced.mp3";
        writeBytes(p, Named(name).bytes);
        const std::wstring path = widePath(p);
        PcmTrack ref = {nullptr, 0, 0};
        TrackDecoder used = TrackDecoder::None;
        ASSERT_EQ(loadTrack(path.c_str(), &kPlatformFiles, &kNoGeneralDecoder, &kPlatformThreads, &ref, &used),
                  Outcome::kOk);
        TrackSource source;
        ASSERT_EQ(trackSourceOpen(path.c_str(), &kPlatformFiles, &kNoGeneralDecoder, &kPlatformThreads, &source),
                  Outcome::kOk);
        ASSERT_TRUE(source.mp3);
        EXPECT_FALSE(trackSourceSettled(&source));
        EXPECT_GT(source.sampleCount, kMinTrackSamples);
        // Jumps ahead of the walk and back, inside what both the estimate and the track hold.
        const int64_t inside = std::min<int64_t>(source.sampleCount, ref.sampleCount);
        for (int k = 0; k < 12; ++k) {
            const int32_t n = 1 + static_cast<int32_t>(rng() % 3000);
            const int64_t start = static_cast<int64_t>(rng() % static_cast<uint32_t>(inside - n));
            std::vector<int16_t> piece(static_cast<size_t>(n), 7);
            trackSourceRead(&source, start, n, piece.data());
            ASSERT_EQ(piece, Slice(ref, start, n)) << "at " << start << " for " << n;
        }
        // The rest comes in slices, and the length it settles on is the whole decode's.
        int slices = 0;
        int64_t length = 0;
        while (!trackSourceSettle(&source, false, &length)) {
            ++slices;
            ASSERT_LT(slices, 10000);
        }
        EXPECT_TRUE(trackSourceSettled(&source));
        EXPECT_EQ(length, ref.sampleCount);
        source.sampleCount = length;
        for (int k = 0; k < 12; ++k) {
            const int64_t start = static_cast<int64_t>(rng() % static_cast<uint32_t>(ref.sampleCount + 2000)) - 1000;
            const int32_t n = 1 + static_cast<int32_t>(rng() % 3000);
            std::vector<int16_t> piece(static_cast<size_t>(n), 7);
            trackSourceRead(&source, start, n, piece.data());
            ASSERT_EQ(piece, Slice(ref, start, n)) << "at " << start << " for " << n;
        }
        trackSourceClose(&source);
        pcmTrackFree(&ref);
    }
}

class StreamingPlayer : public Streaming {
  protected:
    void Open(const char* name, PcmTrack* ref) {
        const std::filesystem::path p = folder / "sliced.mp3";
        writeBytes(p, Named(name).bytes);
        const std::wstring path = widePath(p);
        TrackDecoder used = TrackDecoder::None;
        ASSERT_EQ(loadTrack(path.c_str(), &kPlatformFiles, &kNoGeneralDecoder, &kPlatformThreads, ref, &used),
                  Outcome::kOk);
        playerReset();
        fakeOutputReset();
        manualThreadsReset();
        playerInstall(&services);
        written.assign(static_cast<size_t>(ref->sampleCount) * 2 + 200000, 0);
        fakeOutput.written = written.data();
        fakeOutput.writtenCapacity = static_cast<int64_t>(written.size());
        ASSERT_EQ(playerOpen(path.c_str()), Outcome::kOk);
    }
    // What the device was given from `from` on, against the track from sample `at` at 100 %.
    void ExpectHeardFrom(int64_t from, double at, const PcmTrack& ref) {
        const int32_t n = ref.sampleRate / 20;
        TimeStretcher* t = timeStretcherCreate(ref.sampleRate);
        timeStretcherReset(t, at);
        std::vector<int16_t> expected(static_cast<size_t>(n));
        for (int64_t b = from; b + n <= fakeOutput.writtenCount; b += n) {
            ReferenceFill(t, ref, 1.0, expected.data(), n);
            std::vector<int16_t> heard(written.begin() + b, written.begin() + b + n);
            ASSERT_EQ(heard, expected) << "buffer at " << b;
        }
        timeStretcherDestroy(t);
    }
    PlayerServicesApi services = {&kPlatformFiles, &kNoGeneralDecoder, &kFakeOutputApi, &kManualThreads};
    std::vector<int16_t> written;
};

TEST_F(StreamingPlayer, PlaysWhileTheWalkGoesOnAndShowsTheSettledLengthOnceItEnds) {
    SlicedWalk sliced(3000, 4000);
    for (const char* name : kSlicedFixtures) {
        SCOPED_TRACE(name);
        PcmTrack ref = {nullptr, 0, 0};
        Open(name, &ref);
        const double settled = static_cast<double>(ref.sampleCount) / ref.sampleRate;
        EXPECT_FALSE(playerLengthSettled());
        playerPlay();
        playerThreadStep();
        int passes = 1;
        bool sawEstimate = false;
        while (!playerLengthSettled()) {
            sawEstimate = sawEstimate || playerDuration() != settled;
            ASSERT_GT(fakeOutputPlay(ref.sampleRate / 20), 0);
            playerThreadStep();
            ASSERT_LT(++passes, 10000);
        }
        EXPECT_GT(passes, 3);
        EXPECT_DOUBLE_EQ(playerDuration(), settled);
        if (strcmp(name, "mixed-rate-repeated") == 0 || strcmp(name, "fast-then-slow") == 0) {
            EXPECT_TRUE(sawEstimate);
        }
        // Played on across the walk and the change of length, sample for sample.
        ExpectHeardFrom(0, 0.0, ref);
        playerClose();
        pcmTrackFree(&ref);
    }
}

TEST_F(StreamingPlayer, TheEndOfAnEstimatedLengthWaitsForTheWalkAndTheTrackEndsWhereItReallyDoes) {
    SlicedWalk sliced(3000, 4000);
    for (const char* name : kSlicedFixtures) {
        SCOPED_TRACE(name);
        PcmTrack ref = {nullptr, 0, 0};
        Open(name, &ref);
        ASSERT_FALSE(playerLengthSettled());
        // Straight to the end the estimate gives, before the walk has gone far: whether the estimate is short or
        // long, the buffers stop at the track's own end and the position reads its full length; a short one plays on
        // across the estimated end.
        const double estimate = playerDuration();
        const double at = estimate - 0.2;
        playerSeek(at);
        playerPlay();
        const int64_t from = fakeOutput.writtenCount;
        for (int guard = 0; guard < 2000 && !playerHasEnded(); ++guard) {
            playerThreadStep();
            fakeOutputPlay(ref.sampleRate / 20);
        }
        EXPECT_TRUE(playerLengthSettled());
        EXPECT_TRUE(playerHasEnded());
        const double settled = static_cast<double>(ref.sampleCount) / ref.sampleRate;
        EXPECT_DOUBLE_EQ(playerDuration(), settled);
        EXPECT_DOUBLE_EQ(playerPosition(), settled);
        const double start = std::min(at * ref.sampleRate, static_cast<double>(ref.sampleCount));
        ExpectHeardFrom(from, start, ref);
        // Every sample up to the end was played: as many buffers as that stretch takes, and no more.
        const int32_t n = ref.sampleRate / 20;
        const int64_t buffers = (fakeOutput.writtenCount - from) / n;
        const double left = static_cast<double>(ref.sampleCount) - start;
        EXPECT_EQ(buffers, left <= 0 ? 0 : static_cast<int64_t>(ceil(left / n)));
        playerClose();
        pcmTrackFree(&ref);
    }
}

}  // namespace
