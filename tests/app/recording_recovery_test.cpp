// A take the program could not finish: its note in the settings key while it runs, and what the next start makes of
// the file that is left (mended, offered in the player, the user told; or quietly forgotten).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/controller.h"
#include "app/recording_recovery.h"
#include "app_fixture.h"
#include "base/little_endian.h"
#include "recorder/recorder.h"
#include "settings/settings_fixture.h"
#include "settings/settings_store.h"
#include "settings/settings_values.h"
#include "support/mp3_decode.h"
#include "support/test_host.h"
#include "ui/control_ids.h"

namespace {

// Spelled out here, not taken from the code: the value name is what a crashed run left in the registry.
const wchar_t kValue[] = L"RecordingInProgress";

// What the store holds for the value: "absent", or its text.
std::wstring StoredText() {
    const MemorySettingsValue* v = memorySettingsFind(&store, kValue);
    if (!v) return L"absent";
    if (v->type != kSettingTypeText) return L"not a text";
    return std::wstring(reinterpret_cast<const wchar_t*>(v->data));
}

void WriteBytes(const std::filesystem::path& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class RecordingRecovery : public ControllerTest {
  protected:
    // The window's start: the store as the last run left it, read and applied.
    void Start() {
        SettingsValues saved;
        readSettings(&kTestFolders, &saved);
        store.writeCount = 0;  // what follows counts only the start's writes
        controllerApplyStartup(saved);
    }
    // The disk as a crash in the middle of a take leaves it: a take recorded from the window with one mark, its file
    // and marks file as they stood with the take still open (then put back after the take is stopped), and the note
    // naming it. Returns the file's bytes at that moment.
    std::vector<unsigned char> CrashedTake(const wchar_t* name, int quality, size_t samples) {
        C(kIdFileName)->text = name;
        C(kIdQuality)->selection = quality;
        onCommand(kIdRecord, kNotifyClicked);
        EXPECT_EQ(recorder.state, RecorderState::Recording);
        path = recorder.recordingPath;
        marks = recorder.marksPath;
        std::vector<int16_t> voice(samples);
        for (size_t i = 0; i < samples; ++i) voice[i] = static_cast<int16_t>((i / 20) % 2 ? 6000 : -6000);
        FeedMicrophone(voice);
        onCommand(kIdMark, kNotifyClicked);
        EXPECT_EQ(StoredText(), path.wstring());
        std::vector<unsigned char> open = readAllBytes(path);
        std::vector<unsigned char> marksOpen = readAllBytes(marks);
        onCommand(kIdStop, kNotifyClicked);
        ClosePlayerFile();
        WriteBytes(path, open);
        WriteBytes(marks, marksOpen);
        memorySettingsPutText(&store, kValue, path.wstring().c_str());
        recorderReset();
        shellStateReset();
        SetSaveFolder(folder.wstring().c_str());
        C(kIdStatus)->text = L"";
        C(kIdDetail)->text = L"";
        C(kIdLoadedName)->text = L"";
        return open;
    }
    std::filesystem::path path, marks;
};

}  // namespace

TEST_F(RecordingRecovery, ATakeIsNotedFromItsStartUntilItIsFinished) {
    C(kIdFileName)->text = L"noted";
    onCommand(kIdRecord, kNotifyClicked);
    ASSERT_EQ(recorder.state, RecorderState::Recording);
    EXPECT_EQ(StoredText(), (folder / "noted.wav").wstring());
    FeedMicrophone(std::vector<int16_t>(44100, 3000));
    onCommand(kIdStop, kNotifyClicked);
    EXPECT_EQ(StoredText(), L"");

    // A start that fails notes nothing: there is no take. (The player holds the take it loaded open; on Windows the
    // folder goes only once it lets go.)
    store.writeCount = 0;
    ClosePlayerFile();
    std::filesystem::remove_all(folder);
    SetSaveFolder((folder / "missing" / "deeper").wstring().c_str());
    onCommand(kIdRecord, kNotifyClicked);
    EXPECT_EQ(Text(kIdStatus), L"Could not create the file");
    EXPECT_FALSE(WasWritten(kValue));
}

TEST_F(RecordingRecovery, AWavLeftByACrashIsMendedLoadedAndTheUserIsTold) {
    // 3.5 s at 44100 Hz: 35 buffers, so the header on disk still says the 30 of its last refresh.
    std::vector<unsigned char> open = CrashedTake(L"Lecture", 5, 35 * 4410);
    ASSERT_EQ(open.size(), 44u + 35 * 8820);
    ASSERT_EQ(readLe32(open.data() + 40), 30u * 8820);
    // Half a sample more reached the disk when the power went.
    open.push_back(0x7F);
    WriteBytes(path, open);

    Start();
    std::vector<unsigned char> mended = readAllBytes(path);
    ASSERT_EQ(mended.size(), 44u + 35 * 8820);
    EXPECT_EQ(readLe32(mended.data() + 40), 35u * 8820);
    EXPECT_EQ(readLe32(mended.data() + 4), 35u * 8820 + 36);
    EXPECT_TRUE(std::equal(mended.begin() + 44, mended.end(), open.begin() + 44));
    EXPECT_EQ(Text(kIdStatus), L"Recovered an interrupted recording");
    // (44 + 308700) / 1048576 = 0.29 MB.
    EXPECT_EQ(Text(kIdDetail),
              L"The last recording was not finished when the program closed. It has been mended and "
              L"is kept (00:03, 0.3 MB) in:\r\n" +
                  path.wstring());
    EXPECT_EQ(readAllBytes(marks), std::vector<unsigned char>(
                                       {'M', 'a', 'r', 'k', ' ', '1', ' ', ' ', '0', '0', ':', '0', '3', '\r', '\n'}));
    EXPECT_TRUE(shellState().PlayerLoaded);
    EXPECT_EQ(std::wstring(shellState().PlayerPath), path.wstring());
    EXPECT_EQ(Text(kIdLoadedName), L"Lecture.wav");
    EXPECT_EQ(Text(kIdTimes), L"Total 00:00:03   \x00B7   Remaining 00:00:03");
    EXPECT_TRUE(recorder.lastRecordingSaved);
    EXPECT_EQ(std::wstring(recorder.recordingPath), path.wstring());
    EXPECT_EQ(std::wstring(recorder.marksPath), marks.wstring());
    EXPECT_EQ(StoredText(), L"");
    EXPECT_EQ(Writes(), std::vector<std::wstring>({kValue}));
    EXPECT_TRUE(C(kIdRecord)->enabled);

    // "Play my recording" finds it again once the player has let it go.
    ClosePlayerFile();
    onCommand(kIdPlayRecording, kNotifyClicked);
    EXPECT_TRUE(shellState().PlayerLoaded);
    EXPECT_EQ(std::wstring(shellState().PlayerPath), path.wstring());
}

TEST_F(RecordingRecovery, AnMp3LeftByACrashLosesOnlyItsTornLastFrame) {
    // 3 s at 22050 Hz; the encoder had written what it had, and the last frame reached the disk only in part.
    std::vector<unsigned char> open = CrashedTake(L"Call", 1, 30 * 2205);
    DecodedMp3 whole = decodeMp3(open);
    ASSERT_GT(whole.frames, 50);
    ASSERT_EQ(whole.firstFrameOffset, 0);
    std::vector<unsigned char> torn(open.begin(), open.end() - 60);
    WriteBytes(path, torn);
    int wholeFramesLeft = decodeMp3(torn).frames;

    Start();
    std::vector<unsigned char> mended = readAllBytes(path);
    // MPEG-2 at 48 kbit/s and 22050 Hz: 72 × 48000 / 22050 = 156 or 157 bytes a frame.
    ASSERT_LT(mended.size(), torn.size());
    EXPECT_GT(mended.size() + 157, torn.size());
    EXPECT_TRUE(std::equal(mended.begin(), mended.end(), torn.begin()));
    DecodedMp3 left = decodeMp3(mended);
    EXPECT_EQ(left.frames, wholeFramesLeft);
    EXPECT_EQ(Text(kIdStatus), L"Recovered an interrupted recording");
    EXPECT_EQ(Text(kIdDetail),
              L"The last recording was not finished when the program closed. It has been mended and "
              L"is kept (00:02, 0.0 MB) in:\r\n" +
                  path.wstring());
    EXPECT_TRUE(std::filesystem::exists(marks));
    EXPECT_TRUE(shellState().PlayerLoaded);
    EXPECT_EQ(Text(kIdLoadedName), L"Call.mp3");
    EXPECT_EQ(StoredText(), L"");
}

TEST_F(RecordingRecovery, ANoteWithoutItsFileIsClearedAndNothingElseChanges) {
    memorySettingsPutText(&store, kValue, (folder / "gone.wav").wstring().c_str());
    Start();
    EXPECT_EQ(StoredText(), L"");
    EXPECT_EQ(Writes(), std::vector<std::wstring>({kValue}));
    EXPECT_EQ(Text(kIdStatus), L"Ready to record  (Ctrl+Shift+R)");
    EXPECT_EQ(Text(kIdDetail), L"");
    EXPECT_FALSE(shellState().PlayerLoaded);
    EXPECT_FALSE(recorder.lastRecordingSaved);
    EXPECT_STREQ(recorder.recordingPath, L"");
}

TEST_F(RecordingRecovery, WithNoNoteTheStartWritesNothingOfIt) {
    Start();
    EXPECT_FALSE(WasWritten(kValue));
    // The value a finished take leaves: empty, which is no note either.
    memorySettingsPutText(&store, kValue, L"");
    Start();
    EXPECT_FALSE(WasWritten(kValue));
    EXPECT_EQ(Text(kIdStatus), L"Ready to record  (Ctrl+Shift+R)");
}

TEST_F(RecordingRecovery, ATakeTooShortToKeepIsDeletedWithItsMarksSilently) {
    // 1999 samples: 3998 bytes, below the 4000 a Stop keeps.
    std::filesystem::path wav = folder / "short.wav";
    writeMonoWav(wav, 44100, std::vector<short>(1999, 1000));
    std::vector<unsigned char> bytes = readAllBytes(wav);
    bytes[40] = bytes[41] = bytes[42] = bytes[43] = 0;  // the header as written at the start
    WriteBytes(wav, bytes);
    WriteBytes(folder / "short-marks.txt",
               {'M', 'a', 'r', 'k', ' ', '1', ' ', ' ', '0', '0', ':', '0', '0', '\r', '\n'});
    memorySettingsPutText(&store, kValue, wav.wstring().c_str());
    Start();
    EXPECT_FALSE(std::filesystem::exists(wav));
    EXPECT_FALSE(std::filesystem::exists(folder / "short-marks.txt"));
    EXPECT_EQ(StoredText(), L"");
    EXPECT_EQ(Text(kIdStatus), L"Ready to record  (Ctrl+Shift+R)");
    EXPECT_FALSE(shellState().PlayerLoaded);
    EXPECT_FALSE(recorder.lastRecordingSaved);

    // One sample more is kept.
    writeMonoWav(wav, 44100, std::vector<short>(2000, 1000));
    memorySettingsPutText(&store, kValue, wav.wstring().c_str());
    Start();
    EXPECT_TRUE(std::filesystem::exists(wav));
    EXPECT_EQ(Text(kIdStatus), L"Recovered an interrupted recording");
}

TEST_F(RecordingRecovery, AFileThatCannotBeMendedIsLeftAloneAndNothingIsSaid) {
    // A WAV of another layout (stereo) where the take was: the mend refuses it.
    std::filesystem::path wav = folder / "stereo.wav";
    writeMonoWav(wav, 44100, std::vector<short>(44100, 1000));
    std::vector<unsigned char> bytes = readAllBytes(wav);
    bytes[22] = 2;
    bytes[40] = 0;
    WriteBytes(wav, bytes);
    memorySettingsPutText(&store, kValue, wav.wstring().c_str());
    Start();
    EXPECT_EQ(readAllBytes(wav), bytes);
    EXPECT_EQ(StoredText(), L"");
    EXPECT_EQ(Text(kIdStatus), L"Ready to record  (Ctrl+Shift+R)");
    EXPECT_EQ(Text(kIdDetail), L"");
    EXPECT_FALSE(shellState().PlayerLoaded);
    EXPECT_FALSE(recorder.lastRecordingSaved);
}

TEST_F(RecordingRecovery, ATakeStillOpenInAnotherCopyOfTheProgramKeepsItsNote) {
#ifndef _WIN32
    GTEST_SKIP() << "only Windows keeps others from writing to a file held open";
#else
    std::filesystem::path wav = folder / "running.wav";
    writeMonoWav(wav, 44100, std::vector<short>(44100, 1000));
    std::vector<unsigned char> bytes = readAllBytes(wav);
    bytes[40] = 0;
    WriteBytes(wav, bytes);
    // Held as the recorder holds its take: for writing, others may read.
    FileHandle held = kNoFile;
    ASSERT_EQ(kPlatformFiles.create(wav.wstring().c_str(), kFileOpenExisting, kFileShareRead, &held), Outcome::kOk);
    memorySettingsPutText(&store, kValue, wav.wstring().c_str());
    Start();
    kPlatformFiles.close(held);
    EXPECT_EQ(readAllBytes(wav), bytes);
    EXPECT_EQ(StoredText(), wav.wstring());
    EXPECT_FALSE(WasWritten(kValue));
    EXPECT_EQ(Text(kIdStatus), L"Ready to record  (Ctrl+Shift+R)");
    EXPECT_FALSE(shellState().PlayerLoaded);
#endif
}
