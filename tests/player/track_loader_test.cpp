// The decoder chain on files: which decoder a file goes to, the fall-through to the general decoder, and the file
// reading failures.
#include "player/track_loader.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "player_test_support.h"
#include "support/test_host.h"

namespace {

struct FakeGeneral {
    int calls = 0;
    int result = 0;
};
FakeGeneral fakeGeneral;

int GeneralDecode(const wchar_t*, PcmTrack* track) {
    fakeGeneral.calls += 1;
    if (fakeGeneral.result != 0) return -1;
    track->samples = static_cast<int16_t*>(calloc(441, sizeof(int16_t)));
    track->sampleCount = 441;
    track->sampleRate = 44100;
    return 0;
}
// The whole-file loader only ever decodes whole: the stream entries are the absent decoder's.
const GeneralDecoderApi kFakeGeneral = {GeneralDecode,
                                        kNoGeneralDecoder.open,
                                        kNoGeneralDecoder.seek,
                                        kNoGeneralDecoder.read,
                                        kNoGeneralDecoder.detach,
                                        kNoGeneralDecoder.close,
                                        kNoGeneralDecoder.threadBegin,
                                        kNoGeneralDecoder.threadEnd};

class TrackLoading : public ::testing::Test {
  protected:
    void SetUp() override {
        fakeGeneral = FakeGeneral();
        folder = makeTestFolder("track_loader");
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    // Loads bytes written to a file; the decoder used, or None on failure.
    TrackDecoder Load(const Bytes& bytes, int32_t* count = nullptr, int32_t* rate = nullptr) {
        std::filesystem::path p = folder / "input.bin";
        writeBytes(p, bytes);
        PcmTrack t = {nullptr, 0, 0};
        TrackDecoder used = TrackDecoder::Wav;
        Outcome r = loadTrack(widePath(p).c_str(), &kPlatformFiles, &kFakeGeneral, &kPlatformThreads, &t, &used);
        if (!succeeded(r)) {
            EXPECT_EQ(used, TrackDecoder::None);
            EXPECT_EQ(t.samples, nullptr);
            return TrackDecoder::None;
        }
        if (count) *count = t.sampleCount;
        if (rate) *rate = t.sampleRate;
        pcmTrackFree(&t);
        return used;
    }

    std::filesystem::path folder;
};

TEST(DecoderChoice, ByTheFirstBytes) {
    Bytes wav = makeWav(WavLayout(), pcm16(std::vector<int16_t>(200, 1)));
    EXPECT_EQ(chooseDecoder(wav.data(), static_cast<int32_t>(wav.size())), TrackDecoder::Wav);
    EXPECT_EQ(chooseDecoder(wav.data(), 12), TrackDecoder::Mp3);  // 12 bytes or fewer: MP3 whatever they hold
    Bytes m4a = {0, 0, 0, 0x20, 'f', 't', 'y', 'p', 'M', '4', 'A', ' ', 0, 0, 0, 0};
    EXPECT_EQ(chooseDecoder(m4a.data(), static_cast<int32_t>(m4a.size())), TrackDecoder::General);
    Bytes riffFtyp = wav;
    riffFtyp[4] = 'f', riffFtyp[5] = 't', riffFtyp[6] = 'y', riffFtyp[7] = 'p';
    EXPECT_EQ(chooseDecoder(riffFtyp.data(), static_cast<int32_t>(riffFtyp.size())), TrackDecoder::Wav);
    Bytes riffAvi = wav;
    riffAvi[8] = 'A', riffAvi[9] = 'V', riffAvi[10] = 'I', riffAvi[11] = ' ';
    EXPECT_EQ(chooseDecoder(riffAvi.data(), static_cast<int32_t>(riffAvi.size())), TrackDecoder::Mp3);
}

TEST_F(TrackLoading, WavAndMp3AreDecodedInProcess) {
    int32_t count = 0, rate = 0;
    EXPECT_EQ(Load(makeWav(WavLayout(), pcm16(std::vector<int16_t>(300, 9))), &count, &rate), TrackDecoder::Wav);
    EXPECT_EQ(count, 300);
    EXPECT_EQ(rate, 22050);
    EXPECT_EQ(Load(encodeMonoMp3(tone(22050, 22050, 440, 8000), 22050, 48), &count, &rate), TrackDecoder::Mp3);
    EXPECT_EQ(rate, 22050);
    EXPECT_EQ(fakeGeneral.calls, 0);
}

TEST_F(TrackLoading, RefusedWavAndMp3AndMp4GoToTheGeneralDecoder) {
    WavLayout nine;
    nine.channels = 9;
    int32_t rate = 0;
    EXPECT_EQ(Load(makeWav(nine, pcm16(std::vector<int16_t>(900, 1))), nullptr, &rate), TrackDecoder::General);
    EXPECT_EQ(rate, 44100);
    EXPECT_EQ(Load(makeWav(WavLayout(), pcm16(std::vector<int16_t>(99, 1)))), TrackDecoder::General);
    EXPECT_EQ(Load(Bytes(4000, 0x33)), TrackDecoder::General);
    Bytes m4a = {0, 0, 0, 0x20, 'f', 't', 'y', 'p', 'M', '4', 'A', ' '};
    m4a.resize(3000, 0);
    EXPECT_EQ(Load(m4a), TrackDecoder::General);
    EXPECT_EQ(fakeGeneral.calls, 4);
}

TEST_F(TrackLoading, AWavRateAbove384000GoesToTheGeneralDecoder) {
    WavLayout f;
    int32_t count = 0, rate = 0;
    f.sampleRate = 384000;
    EXPECT_EQ(Load(makeWav(f, pcm16(std::vector<int16_t>(300, 9))), &count, &rate), TrackDecoder::Wav);
    EXPECT_EQ(count, 300);
    EXPECT_EQ(rate, 384000);
    EXPECT_EQ(fakeGeneral.calls, 0);
    for (uint32_t tooHigh : {384001u, 0x7FFFFFFFu}) {
        f.sampleRate = tooHigh;
        EXPECT_EQ(Load(makeWav(f, pcm16(std::vector<int16_t>(300, 9))), &count, &rate), TrackDecoder::General)
            << tooHigh;
        EXPECT_EQ(rate, 44100);  // the general decoder's track, not one read at the header's rate
    }
    EXPECT_EQ(fakeGeneral.calls, 2);
    // When the general decoder refuses it too, nothing is loaded.
    fakeGeneral.result = -1;
    EXPECT_EQ(Load(makeWav(f, pcm16(std::vector<int16_t>(300, 9)))), TrackDecoder::None);
}

TEST_F(TrackLoading, FailuresEndInMinusOne) {
    fakeGeneral.result = -1;
    EXPECT_EQ(Load(Bytes(4000, 0x33)), TrackDecoder::None);  // nothing takes it
    EXPECT_EQ(fakeGeneral.calls, 1);
    EXPECT_EQ(Load(Bytes()), TrackDecoder::None);  // empty: not even the general decoder is asked
    EXPECT_EQ(fakeGeneral.calls, 1);
    PcmTrack t = {nullptr, 0, 0};
    TrackDecoder used = TrackDecoder::Wav;
    std::wstring missing = widePath(folder / "missing.wav");
    EXPECT_EQ(loadTrack(missing.c_str(), &kPlatformFiles, &kFakeGeneral, &kPlatformThreads, &t, &used),
              Outcome::kOpenFailed);
    EXPECT_EQ(fakeGeneral.calls, 1);
}

}  // namespace
