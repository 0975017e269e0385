// Whole MPEG frames and the mend of an unfinished recording: frame lengths of the rates and bit rates the recorder
// writes, the cursor fed in any pieces, and WAV and MP3 files left as a crash leaves them.
#include "recorder/recording_repair.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "base/wav_file.h"
#include "recorder/mp3_frames.h"
#include "recorder/mp3_writer.h"
#include "support/mp3_decode.h"
#include "support/test_host.h"

namespace {

Outcome ToVector(void* context, const unsigned char* bytes, int count) {
    auto* v = static_cast<std::vector<unsigned char>*>(context);
    v->insert(v->end(), bytes, bytes + count);
    return Outcome::kOk;
}

std::vector<unsigned char> EncodeRamp(int rate, int kbps, int samples) {
    std::vector<unsigned char> out;
    std::vector<int16_t> in(static_cast<size_t>(samples));
    for (int i = 0; i < samples; ++i) in[static_cast<size_t>(i)] = static_cast<int16_t>((i * 37) % 8000 - 4000);
    EXPECT_EQ(mp3WriterOpen(rate, kbps), Outcome::kOk);
    mp3WriterWrite(in.data(), samples, ToVector, &out);
    mp3WriterFinish(ToVector, &out);
    return out;
}

void WriteBytes(const std::filesystem::path& p, const std::vector<unsigned char>& bytes) {
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class RecordingMendTest : public ::testing::Test {
  protected:
    void SetUp() override { folder = makeTestFolder("mend"); }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    std::filesystem::path folder;
};

}  // namespace

TEST(Mp3Frames, LengthsOfTheFramesTheRecorderWrites) {
    struct Case {
        unsigned char header[4];
        int length, rate, perFrame;
    } cases[] = {
        {{0xFF, 0xF3, 0x40, 0xC4}, 104, 22050, 576},   // MPEG-2, 32 kbps
        {{0xFF, 0xF3, 0x60, 0xC4}, 156, 22050, 576},   // 48 kbps
        {{0xFF, 0xF3, 0x62, 0xC4}, 157, 22050, 576},   // 48 kbps, padded
        {{0xFF, 0xFB, 0x70, 0xC4}, 313, 44100, 1152},  // MPEG-1, 96 kbps
        {{0xFF, 0xFB, 0x92, 0xC4}, 418, 44100, 1152},  // 128 kbps, padded
    };
    for (const Case& c : cases) {
        int32_t rate = 0, perFrame = 0;
        EXPECT_EQ(mp3FrameLength(c.header, &rate, &perFrame), c.length);
        EXPECT_EQ(rate, c.rate);
        EXPECT_EQ(perFrame, c.perFrame);
    }
    const unsigned char notFrames[][4] = {
        {0xFF, 0xF3, 0xF0, 0xC4},  // bit-rate index 15
        {0xFF, 0xF3, 0x0C, 0xC4},  // rate index 3
        {0xFF, 0xFD, 0x90, 0xC4},  // Layer II
        {0xFF, 0xEB, 0x90, 0xC4},  // reserved version
        {0x52, 0x49, 0x46, 0x46},  // "RIFF"
    };
    for (const auto& h : notFrames) EXPECT_EQ(mp3FrameLength(h, nullptr, nullptr), 0);
}

// Fed in one piece, byte by byte or in odd pieces, the cursor finds the same frame ends; a stream cut anywhere ends
// its whole part at the last frame before the cut.
TEST(Mp3Frames, TheCursorFindsTheSameWholeFramesInAnyPieces) {
    for (int kbps : {32, 48, 64}) {
        auto stream = EncodeRamp(22050, kbps, 22050);
        Mp3FrameCursor whole;
        mp3CursorReset(&whole);
        mp3CursorFeed(&whole, stream.data(), stream.size());
        EXPECT_FALSE(whole.broken);
        EXPECT_EQ(whole.frames, decodeMp3(stream).frames);
        for (size_t piece : {1, 7, 157, 4096}) {
            Mp3FrameCursor c;
            mp3CursorReset(&c);
            for (size_t at = 0; at < stream.size(); at += piece)
                mp3CursorFeed(&c, stream.data() + at, std::min(piece, stream.size() - at));
            EXPECT_EQ(c.frames, whole.frames);
            EXPECT_EQ(c.wholeEnd, whole.wholeEnd);
        }
        for (size_t cut : {size_t(3), size_t(500), stream.size() / 2, stream.size() - 1}) {
            Mp3FrameCursor c;
            mp3CursorReset(&c);
            mp3CursorFeed(&c, stream.data(), cut);
            EXPECT_LE(c.wholeEnd, cut);
            // Nothing whole is left out: the next frame would not fit before the cut.
            auto rest = std::vector<unsigned char>(stream.begin() + static_cast<long>(c.wholeEnd), stream.end());
            int next = rest.size() >= 4 ? mp3FrameLength(rest.data(), nullptr, nullptr) : 0;
            EXPECT_GT(c.wholeEnd + static_cast<uint64_t>(next), cut);
        }
    }
}

// A WAV left by a crash: the header lags the data and the data may end in half a sample. The mend makes the header
// cover every whole sample and cuts the odd byte; a file that needs nothing is left as it is.
TEST_F(RecordingMendTest, AWavHeaderIsBroughtUpToEveryWholeSampleOnDisk) {
    auto path = folder / "take.wav";
    std::vector<short> samples(44100 * 3 + 17);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<short>(i % 3000);
    writeMonoWav(path, 44100, samples);
    auto bytes = readAllBytes(path);
    unsigned char stale[kWavHeaderBytes];
    buildWavHeader(stale, 44100, 44100 * 2 * 2);  // the last refresh, a few seconds behind
    std::copy(stale, stale + kWavHeaderBytes, bytes.begin());
    bytes.push_back(0x7F);  // half a sample the crash left behind
    WriteBytes(path, bytes);

    RecordingMend mend;
    ASSERT_EQ(mendRecording(&kPlatformFiles, path.wstring().c_str(), &mend), Outcome::kOk);
    EXPECT_FALSE(mend.isMp3);
    EXPECT_EQ(mend.sizeBefore, static_cast<int64_t>(bytes.size()));
    EXPECT_EQ(mend.sizeAfter, static_cast<int64_t>(44 + samples.size() * 2));
    EXPECT_EQ(mend.keptPcmBytes, samples.size() * 2);
    EXPECT_NEAR(mend.seconds, samples.size() / 44100.0, 1e-9);
    auto mended = readAllBytes(path);
    ASSERT_EQ(mended.size(), 44 + samples.size() * 2);
    unsigned char expected[kWavHeaderBytes];
    buildWavHeader(expected, 44100, static_cast<uint32_t>(samples.size() * 2));
    EXPECT_TRUE(std::equal(expected, expected + kWavHeaderBytes, mended.begin()));
    EXPECT_TRUE(std::equal(bytes.begin() + 44, bytes.end() - 1, mended.begin() + 44));

    // Mending a sound file again changes nothing.
    ASSERT_EQ(mendRecording(&kPlatformFiles, path.wstring().c_str(), &mend), Outcome::kOk);
    EXPECT_EQ(readAllBytes(path), mended);
}

TEST_F(RecordingMendTest, AnMp3LosesOnlyItsTornLastFrame) {
    auto stream = EncodeRamp(22050, 48, 22050 * 2);
    Mp3FrameCursor whole;
    mp3CursorReset(&whole);
    mp3CursorFeed(&whole, stream.data(), stream.size());
    auto path = folder / "take.mp3";
    std::vector<unsigned char> torn(stream.begin(), stream.begin() + static_cast<long>(whole.wholeEnd / 2 + 50));
    WriteBytes(path, torn);
    Mp3FrameCursor expected;
    mp3CursorReset(&expected);
    mp3CursorFeed(&expected, torn.data(), torn.size());
    ASSERT_LT(expected.wholeEnd, torn.size());

    RecordingMend mend;
    ASSERT_EQ(mendRecording(&kPlatformFiles, path.wstring().c_str(), &mend), Outcome::kOk);
    EXPECT_TRUE(mend.isMp3);
    EXPECT_EQ(mend.sizeAfter, static_cast<int64_t>(expected.wholeEnd));
    EXPECT_EQ(std::filesystem::file_size(path), expected.wholeEnd);
    EXPECT_EQ(mend.keptPcmBytes, static_cast<uint64_t>(expected.frames) * 576 * 2);
    EXPECT_NEAR(mend.seconds, expected.frames * 576 / 22050.0, 1e-9);
    auto mended = readAllBytes(path);
    EXPECT_TRUE(std::equal(mended.begin(), mended.end(), stream.begin()));
    EXPECT_EQ(decodeMp3(mended).frames, expected.frames);
}

TEST_F(RecordingMendTest, FilesItDidNotWriteOrCannotReadAreLeftAlone) {
    RecordingMend mend;
    auto missing = folder / "missing.wav";
    EXPECT_EQ(mendRecording(&kPlatformFiles, missing.wstring().c_str(), &mend), Outcome::kOpenFailed);
    // A stereo WAV is not the recorder's layout.
    auto stereo = folder / "stereo.wav";
    writeMonoWav(stereo, 44100, std::vector<short>(1000, 3));
    auto bytes = readAllBytes(stereo);
    bytes[22] = 2;
    WriteBytes(stereo, bytes);
    EXPECT_EQ(mendRecording(&kPlatformFiles, stereo.wstring().c_str(), &mend), Outcome::kUnsupportedFormat);
    EXPECT_EQ(readAllBytes(stereo), bytes);
    // An empty MP3 (a crash before the first frame) has nothing to keep.
    auto empty = folder / "empty.mp3";
    WriteBytes(empty, {});
    EXPECT_EQ(mendRecording(&kPlatformFiles, empty.wstring().c_str(), &mend), Outcome::kOk);
    EXPECT_EQ(mend.keptPcmBytes, 0u);
}
