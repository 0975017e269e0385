// The MP3 writer: configuration checks, pass accounting, padding, write failures, and that a finished file gives back
// every sample that went in.
#include "recorder/mp3_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "support/mp3_decode.h"

namespace {

struct Sink {
    std::vector<unsigned char> bytes;
    int calls = 0;
    int failFromCall = -1;  // calls numbered from 1; -1 never fails
};

// A failing sink says the disk is full, so that the writer is seen to pass the write's own outcome on.
Outcome ToSink(void* context, const unsigned char* bytes, int count) {
    Sink* s = static_cast<Sink*>(context);
    s->calls++;
    if (s->failFromCall > 0 && s->calls >= s->failFromCall) return Outcome::kDiskFull;
    s->bytes.insert(s->bytes.end(), bytes, bytes + count);
    return Outcome::kOk;
}

std::vector<int16_t> Tone(int n, int rate, double hz, double amplitude) {
    std::vector<int16_t> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        v[static_cast<size_t>(i)] = static_cast<int16_t>(amplitude * std::sin(2 * 3.14159265358979 * hz * i / rate));
    return v;
}

double Correlation(const short* a, const int16_t* b, int n) {
    double ab = 0, aa = 0, bb = 0;
    for (int i = 0; i < n; ++i) {
        ab += static_cast<double>(a[i]) * b[i];
        aa += static_cast<double>(a[i]) * a[i];
        bb += static_cast<double>(b[i]) * b[i];
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0.0;
}

Sink Encode(int rate, int kbps, const std::vector<int16_t>& input, int chunk) {
    Sink sink;
    EXPECT_EQ(mp3WriterOpen(rate, kbps), Outcome::kOk);
    for (size_t i = 0; i < input.size(); i += static_cast<size_t>(chunk)) {
        int n = static_cast<int>(std::min<size_t>(static_cast<size_t>(chunk), input.size() - i));
        EXPECT_EQ(mp3WriterWrite(input.data() + i, n, ToSink, &sink), Outcome::kOk);
    }
    EXPECT_EQ(mp3WriterFinish(ToSink, &sink), Outcome::kOk);
    return sink;
}

}  // namespace

TEST(Mp3WriterOpen, RejectsPairsTheEncoderCannotMake) {
    EXPECT_EQ(mp3WriterOpen(44100, 8), Outcome::kUnsupportedFormat);
    EXPECT_EQ(mp3WriterOpen(12345, 48), Outcome::kUnsupportedFormat);
    EXPECT_EQ(mp3Writer.encoder, nullptr);
    Sink sink;
    int16_t s[10] = {};
    EXPECT_EQ(mp3WriterWrite(s, 10, ToSink, &sink), Outcome::kNotOpen);
    EXPECT_EQ(mp3WriterFinish(ToSink, &sink), Outcome::kOk);
    EXPECT_EQ(sink.calls, 0);
}

TEST(Mp3WriterOpen, EveryQualityRowOpensWithItsPassSize) {
    const int rows[][3] = {{22050, 32, 576}, {22050, 48, 576}, {22050, 64, 576}, {44100, 96, 1152}, {44100, 128, 1152}};
    for (auto& r : rows) {
        ASSERT_EQ(mp3WriterOpen(r[0], r[1]), Outcome::kOk) << r[1];
        EXPECT_EQ(mp3Writer.samplesPerPass, r[2]);
        Sink sink;
        mp3WriterFinish(ToSink, &sink);
        EXPECT_EQ(mp3Writer.encoder, nullptr);
    }
}

TEST(Mp3WriterPasses, ABufferOfOneTenthSecondLeavesTheRemainderPending) {
    auto in = Tone(4410, 22050, 300, 8000);
    ASSERT_EQ(mp3WriterOpen(22050, 48), Outcome::kOk);
    Sink sink;
    mp3WriterWrite(in.data(), 2205, ToSink, &sink);
    EXPECT_EQ(mp3Writer.pendingCount, 2205 - 3 * 576);  // 477
    mp3WriterWrite(in.data() + 2205, 2205, ToSink, &sink);
    EXPECT_EQ(mp3Writer.pendingCount, 4410 - 7 * 576);  // 378
    mp3WriterFinish(ToSink, &sink);

    ASSERT_EQ(mp3WriterOpen(44100, 128), Outcome::kOk);
    auto in44 = Tone(4410, 44100, 300, 8000);
    mp3WriterWrite(in44.data(), 4410, ToSink, &sink);
    EXPECT_EQ(mp3Writer.pendingCount, 4410 - 3 * 1152);  // 954
    mp3WriterFinish(ToSink, &sink);
}

TEST(Mp3WriterFile, BeginsWithAFrameHeaderAndDecodesAtTheRecordingRate) {
    auto in = Tone(22050, 22050, 440, 10000);
    Sink sink = Encode(22050, 48, in, 2205);
    ASSERT_GE(sink.bytes.size(), 4u);
    EXPECT_EQ(sink.bytes[0], 0xFF);
    EXPECT_EQ(sink.bytes[1] & 0xE0, 0xE0);
    DecodedMp3 d = decodeMp3(sink.bytes);
    EXPECT_EQ(d.firstFrameOffset, 0);
    EXPECT_EQ(d.sampleRate, 22050);
}

// Every kept sample must come out of a decoder, the last ones included: the encoder and decoder delay the audio by
// 1057 samples and the flushed final frame is one byte short, so the writer pushes silence through before the flush.
TEST(Mp3WriterFile, EveryKeptSampleIsDecodableAtEitherRate) {
    const int cases[][3] = {{22050, 48, 22050 * 2 + 123}, {44100, 128, 44100 + 4410 * 3}, {22050, 32, 576 * 40}};
    for (auto& c : cases) {
        int rate = c[0], n = c[2];
        // A tone whose last 50 ms are a different, louder one: the end must be there, not just "some audio".
        auto in = Tone(n, rate, 300, 6000);
        int tail = rate / 20;
        auto ending = Tone(tail, rate, 1000, 12000);
        std::copy(ending.begin(), ending.end(), in.end() - tail);
        Sink sink = Encode(rate, c[1], in, rate / 10);
        DecodedMp3 d = decodeMp3(sink.bytes);
        const int delay = 1057;
        ASSERT_GE(static_cast<int>(d.samples.size()), delay + n) << rate << " " << n;
        double endCorrelation = Correlation(d.samples.data() + delay + n - tail, in.data() + n - tail, tail);
        EXPECT_GT(endCorrelation, 0.95) << rate << " kbps " << c[1];
        double bodyCorrelation = Correlation(d.samples.data() + delay, in.data(), n - tail);
        EXPECT_GT(bodyCorrelation, 0.95) << rate << " kbps " << c[1];
    }
}

TEST(Mp3WriterFile, APartialPassIsPaddedToOneMorePass) {
    auto in = Tone(576 * 20 + 100, 22050, 500, 5000);
    Sink whole = Encode(22050, 48, std::vector<int16_t>(in.begin(), in.begin() + 576 * 20), 2205);
    Sink partial = Encode(22050, 48, in, 2205);
    DecodedMp3 a = decodeMp3(whole.bytes), b = decodeMp3(partial.bytes);
    EXPECT_EQ(b.frames, a.frames + 1);
    EXPECT_EQ(b.samples.size(), a.samples.size() + 576);
}

TEST(Mp3WriterFailures, AFailedWriteIsReportedButEncodingGoesOn) {
    auto in = Tone(22050, 22050, 440, 10000);
    ASSERT_EQ(mp3WriterOpen(22050, 48), Outcome::kOk);
    Sink sink;
    EXPECT_EQ(mp3WriterWrite(in.data(), 2205, ToSink, &sink), Outcome::kOk);
    EXPECT_EQ(sink.calls, 1);  // the frames of one buffer go out in one write
    sink.failFromCall = 2;
    EXPECT_EQ(mp3WriterWrite(in.data(), 2205, ToSink, &sink), Outcome::kDiskFull);
    EXPECT_EQ(mp3Writer.pendingCount, 2 * 2205 - 7 * 576);
    EXPECT_EQ(mp3WriterFinish(ToSink, &sink), Outcome::kDiskFull);
    EXPECT_EQ(mp3Writer.encoder, nullptr);

    ASSERT_EQ(mp3WriterOpen(22050, 48), Outcome::kOk);
    Sink ok;
    // No full pass: nothing written, nothing failed.
    EXPECT_EQ(mp3WriterWrite(in.data(), 100, ToSink, &ok), Outcome::kOk);
    EXPECT_EQ(ok.calls, 0);
    mp3WriterFinish(ToSink, &ok);
}
