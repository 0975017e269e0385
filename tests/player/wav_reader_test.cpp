// The WAV reader: every accepted layout and its conversion to mono 16-bit, the chunk walk, the data sizes of
// streaming writers and truncated files, and the layouts it must hand on to the next decoder.
#include "player/wav_reader.h"

#include <gtest/gtest.h>
#include <string.h>

#include <vector>

#include "player_test_support.h"

namespace {

// Decodes; returns the samples, or an empty vector when the reader refused.
std::vector<int16_t> Read(const Bytes& file, int32_t* rate = nullptr) {
    PcmTrack t = {nullptr, 0, 0};
    if (readWavTrack(file.data(), static_cast<int32_t>(file.size()), &t) != 0) return {};
    std::vector<int16_t> v(t.samples, t.samples + t.sampleCount);
    if (rate) *rate = t.sampleRate;
    pcmTrackFree(&t);
    return v;
}

// `frames` copies of one frame's bytes.
Bytes Repeat(const Bytes& frame, int frames) {
    Bytes b;
    for (int i = 0; i < frames; ++i) b.insert(b.end(), frame.begin(), frame.end());
    return b;
}

Bytes Float32(float v) {
    Bytes b(4);
    memcpy(b.data(), &v, 4);
    return b;
}

TEST(WavReaderConversions, Mono16BitIsCopiedAndTheRateKept) {
    std::vector<int16_t> in = noise(500, 32767, 1);
    in[0] = -32768;
    WavLayout f;
    f.sampleRate = 8000;
    int32_t rate = 0;
    EXPECT_EQ(Read(makeWav(f, pcm16(in)), &rate), in);
    EXPECT_EQ(rate, 8000);
}

TEST(WavReaderConversions, EachBitDepthLandsOnThe16BitScale) {
    WavLayout f;
    f.bits = 8;
    std::vector<int16_t> eight = Read(makeWav(f, Repeat({255, 0, 128, 127}, 30)));
    ASSERT_EQ(eight.size(), 120u);
    EXPECT_EQ(eight[0], 32512);   // (255 - 128) * 256
    EXPECT_EQ(eight[1], -32768);  // (0 - 128) * 256
    EXPECT_EQ(eight[2], 0);
    EXPECT_EQ(eight[3], -256);

    f.bits = 24;  // 0x123456 -> top 16 bits 0x1234; 0xFFFFFF (-1) -> -1 (arithmetic shift); 0x800000 -> -32768
    std::vector<int16_t> s24 = Read(makeWav(f, Repeat({0x56, 0x34, 0x12, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x80}, 40)));
    ASSERT_EQ(s24.size(), 120u);
    EXPECT_EQ(s24[0], 0x1234);
    EXPECT_EQ(s24[1], -1);
    EXPECT_EQ(s24[2], -32768);

    f.bits = 32;  // 0x7FFFFFFF -> 32767; 0x80000000 -> -32768; -65537 -> -2 (shift rounds toward minus infinity)
    std::vector<int16_t> s32 =
        Read(makeWav(f, Repeat({0xFF, 0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x00, 0x80, 0xFF, 0xFF, 0xFE, 0xFF}, 40)));
    ASSERT_EQ(s32.size(), 120u);
    EXPECT_EQ(s32[0], 32767);
    EXPECT_EQ(s32[1], -32768);
    EXPECT_EQ(s32[2], -2);
}

TEST(WavReaderConversions, FloatIsScaledClampedAndTruncated) {
    WavLayout f;
    f.tag = 3;
    f.bits = 32;
    Bytes frame;
    for (float v : {1.5f, -1.5f, 0.5f, -0.5f, 1.0f, -1.0f}) {
        Bytes one = Float32(v);
        frame.insert(frame.end(), one.begin(), one.end());
    }
    std::vector<int16_t> out = Read(makeWav(f, Repeat(frame, 20)));
    ASSERT_EQ(out.size(), 120u);
    EXPECT_EQ(out[0], 32767);   // clamped
    EXPECT_EQ(out[1], -32768);  // clamped
    EXPECT_EQ(out[2], 16383);   // 16383.5 truncated
    EXPECT_EQ(out[3], -16383);  // toward zero
    EXPECT_EQ(out[4], 32767);
    EXPECT_EQ(out[5], -32767);
}

TEST(WavReaderConversions, FloatNaNPlaysAsSilence) {
    WavLayout f;
    f.tag = 3;
    f.bits = 32;
    uint32_t nanBits = 0x7FC00000;
    Bytes frame(4);
    memcpy(frame.data(), &nanBits, 4);
    std::vector<int16_t> out = Read(makeWav(f, Repeat(frame, 100)));
    ASSERT_EQ(out.size(), 100u);
    EXPECT_EQ(out[0], 0);
}

TEST(WavReaderConversions, ChannelsAreAveragedThenTruncated) {
    WavLayout f;
    f.channels = 2;
    EXPECT_EQ(Read(makeWav(f, Repeat(pcm16({1000, -1000}), 100)))[0], 0);
    EXPECT_EQ(Read(makeWav(f, Repeat(pcm16({3, 2}), 100)))[0], 2);     // 2.5
    EXPECT_EQ(Read(makeWav(f, Repeat(pcm16({-3, -2}), 100)))[0], -2);  // -2.5 toward zero
    f.channels = 8;
    std::vector<int16_t> out = Read(makeWav(f, Repeat(pcm16({8, 8, 8, 8, 8, 8, 8, 32000}), 100)));
    ASSERT_EQ(out.size(), 100u);
    EXPECT_EQ(out[0], 4007);  // (7 * 8 + 32000) / 8
}

TEST(WavReaderLayouts, ExtensibleTakesItsSubFormat) {
    WavLayout f;
    f.extensible = true;
    f.tag = 3;
    f.bits = 32;
    Bytes half = Float32(0.5f);
    EXPECT_EQ(Read(makeWav(f, Repeat(half, 100)))[0], 16383);
    f.tag = 1;
    f.bits = 16;
    EXPECT_EQ(Read(makeWav(f, pcm16(std::vector<int16_t>(100, 77))))[0], 77);
    f.tag = 2;  // ADPCM inside the extensible wrapper is still refused
    EXPECT_TRUE(Read(makeWav(f, pcm16(std::vector<int16_t>(100, 77)))).empty());
}

TEST(WavReaderLayouts, DataSizeOfZeroOrAllOnesOrTooLargeMeansAllBytesPresent) {
    std::vector<int16_t> in = noise(300, 1000, 2);
    WavLayout f;
    EXPECT_EQ(Read(makeWav(f, pcm16(in), 0)), in);
    EXPECT_EQ(Read(makeWav(f, pcm16(in), 0xFFFFFFFF)), in);
    EXPECT_EQ(Read(makeWav(f, pcm16(in), 10000)), in);
    // A size smaller than what follows is kept: the rest is another chunk.
    EXPECT_EQ(Read(makeWav(f, pcm16(in), 200 * 2)), std::vector<int16_t>(in.begin(), in.begin() + 200));
}

TEST(WavReaderLayouts, ChunksAreWalkedWithPaddingAndTheLastFormatWins) {
    std::vector<int16_t> in = noise(200, 1000, 3);
    WavLayout f;
    Bytes plain = makeWav(f, pcm16(in));
    // RIFF header, a 3-byte odd chunk (plus its pad byte), a first "fmt " saying 8-bit stereo, then the real file's
    // "fmt " and "data".
    Bytes b(plain.begin(), plain.begin() + 12);
    b.insert(b.end(), {'j', 'u', 'n', 'k'});
    appendLe32(&b, 3);
    b.insert(b.end(), {1, 2, 3, 0});
    WavLayout other;
    other.bits = 8;
    other.channels = 2;
    Bytes first = makeWav(other, {});
    b.insert(b.end(), first.begin() + 12, first.begin() + 36);
    b.insert(b.end(), plain.begin() + 12, plain.end());
    EXPECT_EQ(Read(b), in);
}

TEST(WavReaderLayouts, FrameCountUsesWholeFramesOnly) {
    WavLayout f;
    f.channels = 2;
    Bytes body = Repeat(pcm16({100, 300}), 150);
    body.push_back(1);  // a stray byte and half a frame are not a frame
    body.push_back(2);
    body.push_back(3);
    EXPECT_EQ(Read(makeWav(f, body)).size(), 150u);
}

TEST(WavReaderRefusals, LayoutsForTheNextDecoder) {
    std::vector<int16_t> in(200, 5);
    WavLayout f;
    EXPECT_FALSE(Read(makeWav(f, pcm16(in))).empty());
    WavLayout alaw = f;
    alaw.tag = 6;
    alaw.bits = 8;
    EXPECT_TRUE(Read(makeWav(alaw, pcm16(in))).empty());
    WavLayout adpcm = f;
    adpcm.tag = 2;
    adpcm.bits = 4;
    EXPECT_TRUE(Read(makeWav(adpcm, pcm16(in))).empty());
    WavLayout nine = f;
    nine.channels = 9;
    EXPECT_TRUE(Read(makeWav(nine, Repeat(pcm16(in), 9))).empty());
    WavLayout slow = f;
    slow.sampleRate = 7999;
    EXPECT_TRUE(Read(makeWav(slow, pcm16(in))).empty());
    WavLayout odd = f;
    odd.bits = 12;
    EXPECT_TRUE(Read(makeWav(odd, pcm16(in))).empty());
    WavLayout float16 = f;
    float16.tag = 3;
    EXPECT_TRUE(Read(makeWav(float16, pcm16(in))).empty());
    WavLayout negativeRate = f;
    negativeRate.sampleRate = 0x80000000u;
    EXPECT_TRUE(Read(makeWav(negativeRate, pcm16(in))).empty());
}

TEST(WavReaderRefusals, RatesAbove384000AreLeftToTheNextDecoder) {
    std::vector<int16_t> in(200, 5);
    WavLayout f;
    int32_t rate = 0;
    f.sampleRate = 384000;
    EXPECT_EQ(Read(makeWav(f, pcm16(in)), &rate), in);
    EXPECT_EQ(rate, 384000);
    for (uint32_t tooHigh : {384001u, 768000u, 0x7FFFFFFFu}) {
        f.sampleRate = tooHigh;
        EXPECT_TRUE(Read(makeWav(f, pcm16(in))).empty()) << tooHigh;
    }
}

TEST(WavReaderRefusals, NinetyNineFramesAreTooFewAndAHundredEnough) {
    WavLayout f;
    EXPECT_TRUE(Read(makeWav(f, pcm16(std::vector<int16_t>(99, 1)))).empty());
    EXPECT_EQ(Read(makeWav(f, pcm16(std::vector<int16_t>(100, 1)))).size(), 100u);
}

TEST(WavReaderRefusals, BrokenContainers) {
    WavLayout f;
    Bytes good = makeWav(f, pcm16(std::vector<int16_t>(200, 1)));
    Bytes noWave = good;
    noWave[8] = 'X';
    EXPECT_TRUE(Read(noWave).empty());
    EXPECT_TRUE(Read(Bytes(good.begin(), good.begin() + 43)).empty());
    // No "fmt " chunk: 0 channels.
    Bytes noFormat(good.begin(), good.begin() + 12);
    noFormat.insert(noFormat.end(), good.begin() + 36, good.end());
    EXPECT_TRUE(Read(noFormat).empty());
    // A chunk whose size would wrap the 32-bit offset back to the start, and one that runs past the end.
    for (uint32_t size : {0xFFFFFFF8u, 0xFFFFFFF0u, 5000u}) {
        Bytes wrap(good.begin(), good.begin() + 12);
        wrap.insert(wrap.end(), {'j', 'u', 'n', 'k'});
        appendLe32(&wrap, size);
        wrap.insert(wrap.end(), good.begin() + 12, good.end());
        EXPECT_TRUE(Read(wrap).empty()) << size;
    }
    // No "data" chunk: the walk runs out of chunk headers.
    Bytes noData(good.begin(), good.begin() + 36);
    noData.insert(noData.end(), {'j', 'u', 'n', 'k', 8, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_TRUE(Read(noData).empty());
}

}  // namespace
