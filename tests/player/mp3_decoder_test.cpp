// The MP3 path: that it gives the reference decoder's samples, skips an ID3v2 tag, keeps only frames at the first
// rate, mixes stereo to mono; and that the two-thread decode is identical, sample for sample, to the one-thread
// decode on clean, mixed-rate and damaged streams.
#include "player/mp3_decoder.h"

#include <gtest/gtest.h>
#include <math.h>

#include <vector>

#include "player/threads_manual.h"
#include "player_test_support.h"
#include "support/mp3_decode.h"

namespace {

struct Decoded {
    int result = -1;
    std::vector<int16_t> samples;
    int32_t rate = 0;
};

// A decoder's result, and the track it filled (freed here).
Decoded Take(int result, PcmTrack* t) {
    Decoded d;
    d.result = result;
    if (result == 0) {
        d.samples.assign(t->samples, t->samples + t->sampleCount);
        d.rate = t->sampleRate;
        pcmTrackFree(t);
    }
    return d;
}

Decoded Sequential(const Bytes& b) {
    PcmTrack t = {nullptr, 0, 0};
    int result = decodeMp3Sequential(b.data(), static_cast<int32_t>(b.size()), &t);
    return Take(result, &t);
}

Decoded Split(const Bytes& b, int32_t minFrames, const ThreadApi* threads = &kPlatformThreads,
              int32_t warmUp = kMp3WarmUpFrames) {
    PcmTrack t = {nullptr, 0, 0};
    int result = decodeMp3(b.data(), static_cast<int32_t>(b.size()), &t, threads, minFrames, warmUp);
    return Take(result, &t);
}

std::vector<int16_t> Reference(const Bytes& b) {
    DecodedMp3 r = decodeMp3(b);
    return std::vector<int16_t>(r.samples.begin(), r.samples.end());
}

Bytes Id3Tag(uint32_t size, bool footer, const Bytes& content) {
    Bytes b = {'I', 'D', '3', 4, 0, static_cast<unsigned char>(footer ? 0x10 : 0)};
    b.push_back(static_cast<unsigned char>((size >> 21) & 0x7F));
    b.push_back(static_cast<unsigned char>((size >> 14) & 0x7F));
    b.push_back(static_cast<unsigned char>((size >> 7) & 0x7F));
    b.push_back(static_cast<unsigned char>(size & 0x7F));
    Bytes body = content;
    body.resize(size, 0);
    b.insert(b.end(), body.begin(), body.end());
    if (footer) b.insert(b.end(), {'3', 'D', 'I', 4, 0, 0x10, 0, 0, 0, 0});
    return b;
}

double Rms(const std::vector<int16_t>& v, size_t from, size_t to) {
    double s = 0;
    for (size_t i = from; i < to; ++i) s += static_cast<double>(v[i]) * v[i];
    return sqrt(s / static_cast<double>(to - from));
}

TEST(Mp3Decoding, MonoGivesTheReferenceDecodersSamplesAtTheFileRate) {
    for (int rate : {22050, 44100}) {
        Bytes mp3 = encodeMonoMp3(tone(rate * 2, rate, 440, 8000), rate, 64);
        Decoded d = Sequential(mp3);
        ASSERT_EQ(d.result, 0);
        EXPECT_EQ(d.rate, rate);
        EXPECT_EQ(d.samples, Reference(mp3));
        EXPECT_GE(d.samples.size(), static_cast<size_t>(rate * 2));
    }
}

TEST(Mp3Decoding, StereoIsMixedToMono) {
    std::vector<int16_t> left = tone(44100, 44100, 300, 9000);
    Bytes same = encodeStereoMp3(left, left, 44100, 128);
    Decoded d = Sequential(same);
    ASSERT_EQ(d.result, 0);
    std::vector<int16_t> first = Reference(same);
    ASSERT_EQ(d.samples.size(), first.size());
    // Equal channels average to themselves (give or take the truncation of an odd sum).
    int worst = 0;
    for (size_t i = 0; i < first.size(); ++i) worst = std::max(worst, abs(d.samples[i] - first[i]));
    EXPECT_LE(worst, 1);

    std::vector<int16_t> right(left.size());
    for (size_t i = 0; i < left.size(); ++i) right[i] = static_cast<int16_t>(-left[i]);
    Decoded opposite = Sequential(encodeStereoMp3(left, right, 44100, 128));
    ASSERT_EQ(opposite.result, 0);
    EXPECT_LT(Rms(opposite.samples, 4000, 40000), 0.02 * Rms(first, 4000, 40000));
}

TEST(Mp3Decoding, Id3v2TagIsSkippedEvenWhenItHoldsFrames) {
    Bytes mp3 = encodeMonoMp3(tone(22050, 22050, 440, 8000), 22050, 48);
    // The tag holds frames of another rate: read as audio, they would fix the track's rate at 44100.
    Bytes decoy = encodeMonoMp3(tone(8000, 44100, 1000, 8000), 44100, 128);
    std::vector<int16_t> expected = Sequential(mp3).samples;
    for (bool footer : {false, true}) {
        Bytes tagged = Id3Tag(static_cast<uint32_t>(decoy.size() + 7), footer, decoy);
        tagged.insert(tagged.end(), mp3.begin(), mp3.end());
        EXPECT_EQ(id3v2SkipBytes(tagged.data(), static_cast<int32_t>(tagged.size())),
                  static_cast<int32_t>(decoy.size() + 7 + (footer ? 20 : 10)));
        Decoded d = Sequential(tagged);
        ASSERT_EQ(d.result, 0);
        EXPECT_EQ(d.rate, 22050);
        EXPECT_EQ(d.samples, expected);
    }
}

TEST(Mp3Decoding, Id3v2SizeReachingTheEndIsIgnored) {
    Bytes tag = Id3Tag(100, false, {});
    EXPECT_EQ(id3v2SkipBytes(tag.data(), static_cast<int32_t>(tag.size())), 0);  // skip == n
    EXPECT_EQ(id3v2SkipBytes(tag.data(), 10), 0);                                // too short to hold a tag
    tag.resize(200, 0);
    EXPECT_EQ(id3v2SkipBytes(tag.data(), static_cast<int32_t>(tag.size())), 110);
    tag[6] = 0xFF;                                                               // only 7 bits of each size byte count
    EXPECT_EQ(id3v2SkipBytes(tag.data(), static_cast<int32_t>(tag.size())), 0);  // 0x7F << 21 is past the end
}

TEST(Mp3Decoding, OnlyFramesAtTheFirstRateAreKept) {
    Bytes a = encodeMonoMp3(tone(22050 * 2, 22050, 440, 8000), 22050, 48);
    Bytes b = encodeMonoMp3(tone(44100 * 2, 44100, 660, 8000), 44100, 128);
    std::vector<int16_t> aAlone = Sequential(a).samples;
    Bytes ab = a;
    ab.insert(ab.end(), b.begin(), b.end());
    Decoded d = Sequential(ab);
    ASSERT_EQ(d.result, 0);
    EXPECT_EQ(d.rate, 22050);
    // The 44100 Hz frames (twice the samples each) are all gone; only the seam between the streams may differ.
    EXPECT_NEAR(static_cast<double>(d.samples.size()), static_cast<double>(aAlone.size()), 1152.0);
    EXPECT_TRUE(std::equal(aAlone.begin(), aAlone.end() - 2000, d.samples.begin()));

    Bytes ba = b;
    ba.insert(ba.end(), a.begin(), a.end());
    Decoded first44 = Sequential(ba);
    ASSERT_EQ(first44.result, 0);
    EXPECT_EQ(first44.rate, 44100);
    EXPECT_NEAR(static_cast<double>(first44.samples.size()), static_cast<double>(Sequential(b).samples.size()), 1152.0);
}

TEST(Mp3Decoding, NotMp3OrTooShortFails) {
    Bytes junk(5000, 0x55);
    EXPECT_NE(Sequential(junk).result, 0);
    EXPECT_NE(Sequential({}).result, 0);
    Bytes one = encodeMonoMp3(tone(20, 22050, 440, 8000), 22050, 48);
    one.resize(100);  // less than one 156-byte frame: nothing decodes
    EXPECT_NE(Sequential(one).result, 0);
}

TEST(Mp3TwoThreadDecode, CleanStreamsAreIdenticalAndSplit) {
    struct Case {
        int rate, kbps;
        bool stereo;
    };
    for (Case c : {Case{44100, 128, false}, Case{22050, 48, false}, Case{44100, 96, true}}) {
        std::vector<int16_t> src = noise(c.rate * 6, 6000, 7);
        std::vector<int16_t> t = tone(c.rate * 6, c.rate, 523, 9000);
        for (size_t i = 0; i < src.size(); ++i) src[i] = static_cast<int16_t>(src[i] / 2 + t[i]);
        Bytes mp3 = c.stereo ? encodeStereoMp3(src, t, c.rate, c.kbps) : encodeMonoMp3(src, c.rate, c.kbps);
        Decoded one = Sequential(mp3);
        Decoded two = Split(mp3, 40);
        ASSERT_EQ(one.result, 0);
        EXPECT_TRUE(mp3Decoder.lastDecodeSplit) << c.rate;
        EXPECT_EQ(two.rate, one.rate);
        EXPECT_EQ(two.samples, one.samples) << c.rate << " " << c.stereo;
    }
}

TEST(Mp3TwoThreadDecode, SmallFilesOrNoThreadsStayOnOneThread) {
    Bytes mp3 = encodeMonoMp3(tone(44100 * 2, 44100, 440, 8000), 44100, 128);
    Decoded one = Sequential(mp3);
    EXPECT_EQ(Split(mp3, kMp3SplitMinFrames).samples, one.samples);
    EXPECT_FALSE(mp3Decoder.lastDecodeSplit);
    EXPECT_EQ(Split(mp3, 40, nullptr).samples, one.samples);
    EXPECT_FALSE(mp3Decoder.lastDecodeSplit);
    manualThreadsReset();
    manualThreads.failStart = true;
    EXPECT_EQ(Split(mp3, 40, &kManualThreads).samples, one.samples);
    EXPECT_FALSE(mp3Decoder.lastDecodeSplit);
}

TEST(Mp3TwoThreadDecode, MixedRatesAreIdentical) {
    Bytes a = encodeMonoMp3(tone(22050 * 3, 22050, 440, 8000), 22050, 48);
    Bytes b = encodeMonoMp3(tone(44100 * 3, 44100, 660, 8000), 44100, 128);
    Bytes c = encodeMonoMp3(noise(22050 * 2, 5000, 3), 22050, 32);
    for (const Bytes* order : {&a, &b}) {
        Bytes mixed = *order;
        const Bytes& other = order == &a ? b : a;
        mixed.insert(mixed.end(), other.begin(), other.end());
        mixed.insert(mixed.end(), c.begin(), c.end());
        Decoded one = Sequential(mixed);
        Decoded two = Split(mixed, 40);
        ASSERT_EQ(one.result, 0);
        EXPECT_EQ(two.rate, one.rate);
        EXPECT_EQ(two.samples, one.samples);
    }
}

TEST(Mp3TwoThreadDecode, DamagedStreamsAreIdentical) {
    Bytes clean = encodeMonoMp3(noise(44100 * 8, 8000, 11), 44100, 128);
    int joined = 0;
    uint32_t x = 12345;
    auto next = [&x]() {
        x = x * 1664525u + 1013904223u;
        return x >> 8;
    };
    for (int seed = 0; seed < 24; ++seed) {
        Bytes b = clean;
        // Damage near the middle, where the halves meet, and elsewhere: garbage, zeroed runs, cut-out bytes.
        for (int k = 0; k < 4; ++k) {
            size_t at = k < 2 ? b.size() / 2 - 3000 + next() % 6000 : next() % b.size();
            size_t len = 1 + next() % 700;
            if (at + len > b.size()) len = b.size() - at;
            switch ((seed + k) % 3) {
                case 0:
                    for (size_t i = 0; i < len; ++i) b[at + i] = static_cast<unsigned char>(next());
                    break;
                case 1:
                    for (size_t i = 0; i < len; ++i) b[at + i] = 0;
                    break;
                default:
                    b.erase(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + len));
            }
        }
        Decoded one = Sequential(b);
        Decoded two = Split(b, 40);
        ASSERT_EQ(two.result, one.result) << seed;
        EXPECT_EQ(two.rate, one.rate) << seed;
        EXPECT_EQ(two.samples, one.samples) << seed;
        if (mp3Decoder.lastDecodeSplit) ++joined;
    }
    EXPECT_GT(joined, 0);
}

TEST(Mp3TwoThreadDecode, HalvesThatDoNotMatchFallBackToOneThread) {
    // Without warm-up frames the second thread starts the middle frame from a fresh decoder, whose filter history
    // and reservoir differ from the first thread's: the states differ and the first thread decodes on alone.
    Bytes mp3 = encodeMonoMp3(noise(44100 * 4, 7000, 2), 44100, 128);
    Decoded one = Sequential(mp3);
    Decoded two = Split(mp3, 40, &kPlatformThreads, 0);
    ASSERT_EQ(one.result, 0);
    EXPECT_FALSE(mp3Decoder.lastDecodeSplit);
    EXPECT_EQ(two.samples, one.samples);
    Decoded warm = Split(mp3, 40, &kPlatformThreads, 3);  // a few frames are enough for these files
    EXPECT_TRUE(mp3Decoder.lastDecodeSplit);
    EXPECT_EQ(warm.samples, one.samples);
}

}  // namespace
