// The recording lifecycle through the scripted capture device and real files: start and its failures, the WAV
// written as it grows, pause and resume, the verdicts at stop, marks, the timer, and the limits of long recordings.
#include "recorder/recorder.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "recorder/capture_scripted.h"
#include "recorder/mp3_writer.h"
#include "support/mp3_decode.h"
#include "support/test_host.h"

namespace {

// File seam that fails writes on request, to show the recording carries on through write errors, and creates on
// request; it counts the files it has open.
int failWritesFrom = -1;  // write calls numbered from 1; -1 never fails
int failWritesUntil = -1;
// A failing write still puts this many bytes on disk first (a volume running out of room mid-write), and reports
// this outcome; kOk makes it a short write that claims success.
uint32_t failedWriteKeeps = 0;
Outcome failedWriteSays = Outcome::kWriteFailed;
int writeCalls = 0;
bool failCreate = false;
int filesOpen = 0;
int flushCalls = 0, closesAfterFlush = 0;
bool failFlush = false;
int failReplaces = 0;  // replacing moves still to refuse
Outcome FaultyWrite(FileHandle f, const void* data, uint32_t bytes, uint32_t* written) {
    ++writeCalls;
    if (failWritesFrom > 0 && writeCalls >= failWritesFrom && writeCalls <= failWritesUntil) {
        uint32_t keep = failedWriteKeeps < bytes ? failedWriteKeeps : bytes;
        uint32_t done = 0;
        if (keep > 0) kPlatformFiles.write(f, data, keep, &done);
        if (written) *written = done;
        return failedWriteSays;
    }
    return kPlatformFiles.write(f, data, bytes, written);
}
Outcome CountedFlush(FileHandle f) {
    ++flushCalls;
    Outcome r = kPlatformFiles.flush(f);
    return failFlush ? Outcome::kWriteFailed : r;
}
Outcome FaultyReplace(const wchar_t* from, const wchar_t* to) {
    if (failReplaces > 0) {
        --failReplaces;
        return Outcome::kWriteFailed;
    }
    return kPlatformFiles.replace(from, to);
}
Outcome CountedCreate(const wchar_t* path, int createMode, int shareMode, FileHandle* file) {
    if (failCreate) {
        *file = kNoFile;
        return Outcome::kCreateFailed;
    }
    Outcome r = kPlatformFiles.create(path, createMode, shareMode, file);
    if (succeeded(r)) ++filesOpen;
    return r;
}
void CountedClose(FileHandle f) {
    --filesOpen;
    if (flushCalls > 0) ++closesAfterFlush;
    kPlatformFiles.close(f);
}
FileApi faultyFiles;

// Capture seam over the scripted device whose N-th prepare or add, or whose start, fails.
int failPrepareAt = 0, failAddAt = 0;  // calls numbered from 1; 0 never fails
bool failStart = false;
int prepareCalls = 0, addCalls = 0;
Outcome FaultyPrepare(CaptureDevice d, CaptureHeader* h) {
    if (++prepareCalls == failPrepareAt) return Outcome::kDeviceFailed;
    return kScriptedCaptureApi.prepare(d, h);
}
Outcome FaultyAdd(CaptureDevice d, CaptureHeader* h) {
    if (++addCalls == failAddAt) return Outcome::kDeviceFailed;
    return kScriptedCaptureApi.addBuffer(d, h);
}
Outcome FaultyStart(CaptureDevice d) {
    if (failStart) return Outcome::kDeviceFailed;
    return kScriptedCaptureApi.start(d);
}
CaptureApi faultyCapture;

struct WavOnDisk {
    uint32_t riffSize = 0, headerDataBytes = 0, sampleRate = 0;
    std::vector<int16_t> samples;  // everything after the header, whatever the header says
    bool valid = false;
};

WavOnDisk ReadWav(const std::filesystem::path& p) {
    WavOnDisk w;
    auto b = readAllBytes(p);
    if (b.size() < 44) return w;
    auto u32 = [&](size_t at) {
        return b[at] | (uint32_t(b[at + 1]) << 8) | (uint32_t(b[at + 2]) << 16) | (uint32_t(b[at + 3]) << 24);
    };
    w.riffSize = u32(4);
    w.sampleRate = u32(24);
    w.headerDataBytes = u32(40);
    w.valid = std::string(b.begin(), b.begin() + 4) == "RIFF" &&
              std::string(b.begin() + 8, b.begin() + 16) == "WAVEfmt " &&
              std::string(b.begin() + 36, b.begin() + 40) == "data" && w.riffSize == w.headerDataBytes + 36;
    for (size_t i = 44; i + 1 < b.size(); i += 2) w.samples.push_back(static_cast<int16_t>(b[i] | (b[i + 1] << 8)));
    return w;
}

// Distinct values below the limiter's ceiling and above the quiet threshold, so the limiter leaves them as they are
// and any lost, repeated or reordered stretch shows.
std::vector<int16_t> Ramp(size_t n, int offset = 0) {
    std::vector<int16_t> v(n);
    for (size_t i = 0; i < n; ++i) {
        int x = static_cast<int>((i + static_cast<size_t>(offset)) * 7919 % 20001) - 10000;
        v[i] = static_cast<int16_t>(x > -500 && x < 500 ? x + 1000 : x);
    }
    return v;
}

std::vector<int16_t> Slice(const std::vector<int16_t>& v, size_t from, size_t to) {
    return std::vector<int16_t>(v.begin() + static_cast<long>(from), v.begin() + static_cast<long>(to));
}

class RecorderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = makeTestFolder("rec");
        testHost = TestHost();
        testHost.folder = folder.wstring();
        testHost.fileName = L"take";
        testHost.formatSelection = 5;  // WAV at 44100 Hz unless a test says otherwise
        scriptedCaptureReset();
        recorderReset();
        faultyFiles = kPlatformFiles;
        faultyFiles.write = FaultyWrite;
        faultyFiles.create = CountedCreate;
        faultyFiles.close = CountedClose;
        faultyFiles.flush = CountedFlush;
        faultyFiles.replace = FaultyReplace;
        failWritesFrom = failWritesUntil = -1;
        failedWriteKeeps = 0;
        failedWriteSays = Outcome::kWriteFailed;
        flushCalls = closesAfterFlush = 0;
        failFlush = false;
        failReplaces = 0;
        writeCalls = 0;
        failCreate = false;
        filesOpen = 0;
        faultyCapture = kScriptedCaptureApi;
        faultyCapture.prepare = FaultyPrepare;
        faultyCapture.addBuffer = FaultyAdd;
        faultyCapture.start = FaultyStart;
        failPrepareAt = failAddAt = 0;
        failStart = false;
        prepareCalls = addCalls = 0;
        recorderInstall(&faultyCapture, &faultyFiles, &kTestRecorderHost);
    }
    void TearDown() override {
        if (recorder.state != RecorderState::Idle) stopRecording();
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }

    // Feeds samples as the microphone would; each finished buffer's notice is handled at once unless told not to.
    void Feed(const std::vector<int16_t>& s, size_t from, size_t to, bool deliver = true) {
        while (from < to) {
            int room = scriptedCaptureRoom();
            ASSERT_GT(room, 0) << "no buffer queued";
            size_t n = std::min(static_cast<size_t>(room), to - from);
            scriptedCaptureFeed(s.data() + from, static_cast<int>(n));
            if (deliver) scriptedCaptureDeliver();
            from += n;
        }
    }
    void Feed(const std::vector<int16_t>& s) { Feed(s, 0, s.size()); }

    std::filesystem::path RecordingPath() const { return std::filesystem::path(recorder.recordingPath); }
    std::filesystem::path In(const char* name) const { return folder / name; }

    std::filesystem::path folder;
};

// The last report is a stop with this verdict (and no full WAV file unless said).
void ExpectStopped(RecordingVerdict verdict, bool atSizeLimit = false) {
    RecorderReport r = testHost.last();
    EXPECT_EQ(r.event, RecorderEvent::Stopped);
    EXPECT_EQ(r.verdict, verdict);
    EXPECT_EQ(r.stoppedAtSizeLimit, atSizeLimit);
}

void ExpectStartFailed(Outcome why) {
    EXPECT_EQ(testHost.event(), RecorderEvent::StartFailed);
    EXPECT_EQ(testHost.last().outcome, why);
}

}  // namespace

TEST_F(RecorderTest, StartOpensEverythingAndWritesAnEmptyHeader) {
    startRecording(testHost.request());
    ASSERT_EQ(recorder.state, RecorderState::Recording);
    EXPECT_EQ(testHost.event(), RecorderEvent::Started);
    EXPECT_TRUE(testHost.timerRunning);
    EXPECT_EQ(testHost.settingsSaves, 1);
    EXPECT_EQ(testHost.playerCloses, 1);
    EXPECT_EQ(testHost.captureCancels, 1);
    EXPECT_GE(testHost.refreshes, 1);
    EXPECT_EQ(testHost.elapsedTexts.back(), L"00:00:00");
    EXPECT_EQ(scriptedCapture.sampleRate, 44100);
    EXPECT_EQ(scriptedCapture.queued, 4);
    EXPECT_EQ(RecordingPath(), In("take.wav"));
    WavOnDisk w = ReadWav(RecordingPath());
    EXPECT_TRUE(w.valid);
    EXPECT_EQ(w.headerDataBytes, 0u);
    EXPECT_EQ(w.sampleRate, 44100u);
}

TEST_F(RecorderTest, SelectionOutsideTheTableRecordsTheSmallestMp3) {
    for (int selection : {-1, 6, 99}) {
        testHost.formatSelection = selection;
        startRecording(testHost.request());
        EXPECT_EQ(recorder.sampleRate, 22050);
        EXPECT_TRUE(recorder.isMp3);
        EXPECT_EQ(mp3Writer.samplesPerPass, 576);
        stopRecording();
        ExpectStopped(RecordingVerdict::Empty);
    }
}

TEST_F(RecorderTest, RecordWhileRecordingOrPausedChangesNothing) {
    startRecording(testHost.request());
    startRecording(testHost.request());
    togglePause();
    startRecording(testHost.request());
    EXPECT_EQ(scriptedCapture.opens, 1);
    EXPECT_EQ(recorder.state, RecorderState::Paused);
}

TEST_F(RecorderTest, NoMicrophoneLeavesItIdle) {
    scriptedCapture.failOpen = true;
    startRecording(testHost.request());
    EXPECT_EQ(recorder.state, RecorderState::Idle);
    ExpectStartFailed(Outcome::kNoDevice);
    EXPECT_FALSE(std::filesystem::exists(In("take.wav")));
    EXPECT_FALSE(testHost.timerRunning);
}

TEST_F(RecorderTest, AFileThatCannotBeCreatedClosesTheDevice) {
    // The folder setting names a path below a plain file: neither the folder nor the recording can be made.
    writeMonoWav(In("blocker"), 8000, {});
    testHost.folder = (folder / "blocker" / "sub").wstring();
    startRecording(testHost.request());
    EXPECT_EQ(recorder.state, RecorderState::Idle);
    ExpectStartFailed(Outcome::kCreateFailed);
    EXPECT_FALSE(scriptedCapture.open);
    EXPECT_EQ(scriptedCapture.closes, 1);
    EXPECT_EQ(recorder.file, kNoFile);
}

TEST_F(RecorderTest, StartCreatesAMissingRecordingsFolder) {
    testHost.folder = (folder / "new").wstring();
    startRecording(testHost.request());
    EXPECT_EQ(recorder.state, RecorderState::Recording);
    EXPECT_TRUE(std::filesystem::exists(folder / "new" / "take.wav"));
}

TEST_F(RecorderTest, HeaderOnDiskCoversEveryThirtyBuffersAndTheWholeDataAtStop) {
    auto input = Ramp(4410 * 65 + 1000);
    startRecording(testHost.request());
    for (int b = 1; b <= 65; ++b) {
        Feed(input, static_cast<size_t>(b - 1) * 4410, static_cast<size_t>(b) * 4410);
        WavOnDisk w = ReadWav(RecordingPath());
        ASSERT_TRUE(w.valid) << b;
        EXPECT_EQ(w.headerDataBytes, static_cast<uint32_t>(b / 30 * 30 * 8820)) << b;
        ASSERT_EQ(w.samples.size(), static_cast<size_t>(b) * 4410);  // every buffer is on disk at once
    }
    Feed(input, 65 * 4410, input.size());
    stopRecording();
    WavOnDisk w = ReadWav(RecordingPath());
    EXPECT_TRUE(w.valid);
    EXPECT_EQ(w.headerDataBytes, input.size() * 2);
    EXPECT_EQ(w.samples, input);
    ExpectStopped(RecordingVerdict::Saved);
    EXPECT_FALSE(testHost.timerRunning);
}

TEST_F(RecorderTest, PauseAndResumeLoseAndRepeatNothing) {
    auto input = Ramp(44100 * 5);
    startRecording(testHost.request());
    Feed(input, 0, 11025);  // 2.5 buffers
    togglePause();
    EXPECT_EQ(testHost.event(), RecorderEvent::Paused);
    scriptedCaptureDeliver();
    double atPause = elapsedSeconds();
    EXPECT_DOUBLE_EQ(atPause, 0.25);
    onRecordingTimer();
    EXPECT_DOUBLE_EQ(elapsedSeconds(), atPause);  // the clock stands still while paused
    togglePause();
    EXPECT_EQ(testHost.event(), RecorderEvent::Resumed);
    Feed(input, 44100, 44100 * 3 + 777);
    stopRecording();
    auto expected = Slice(input, 0, 11025);
    auto rest = Slice(input, 44100, 44100 * 3 + 777);
    expected.insert(expected.end(), rest.begin(), rest.end());
    EXPECT_EQ(ReadWav(RecordingPath()).samples, expected);
    EXPECT_EQ(ReadWav(RecordingPath()).headerDataBytes, expected.size() * 2);
}

TEST_F(RecorderTest, PauseThenStopProcessesTheHandedBackBufferOnce) {
    auto input = Ramp(44100);
    startRecording(testHost.request());
    Feed(input, 0, 6000);
    togglePause();
    scriptedCaptureDeliver();
    EXPECT_EQ(recorder.recordedBytes, 12000u);
    stopRecording();
    EXPECT_EQ(ReadWav(RecordingPath()).samples, Slice(input, 0, 6000));
    ExpectStopped(RecordingVerdict::Saved);
}

TEST_F(RecorderTest, QuickPauseAndResumeBeforeTheNoticeArrivesKeepsTheAudio) {
    auto input = Ramp(44100);
    startRecording(testHost.request());
    Feed(input, 0, 6000);
    togglePause();  // the partly filled buffer comes back, its notice not yet handled
    togglePause();
    Feed(input, 6000, 20000);
    stopRecording();
    EXPECT_EQ(ReadWav(RecordingPath()).samples, Slice(input, 0, 20000));
}

TEST_F(RecorderTest, BuffersWaitingAtStopAreWrittenInTheOrderTheyWereFilled) {
    auto input = Ramp(4410 * 6);
    startRecording(testHost.request());
    Feed(input, 0, 4410 * 3);                // buffers 0..2 handled and queued again behind buffer 3
    Feed(input, 4410 * 3, 4410 * 5, false);  // buffers 3 then 0 fill; their notices wait
    stopRecording();
    EXPECT_EQ(ReadWav(RecordingPath()).samples, Slice(input, 0, 4410 * 5));
}

TEST_F(RecorderTest, FewerThan4000KeptBytesDeleteTheFileAndWriteNoMarks) {
    auto input = Ramp(1999);
    startRecording(testHost.request());
    Feed(input);
    addMark();
    stopRecording();
    ExpectStopped(RecordingVerdict::Empty);
    EXPECT_FALSE(std::filesystem::exists(In("take.wav")));
    EXPECT_FALSE(std::filesystem::exists(In("take-marks.txt")));
    EXPECT_FALSE(recorder.lastRecordingSaved);
    EXPECT_TRUE(testHost.loadedForPlay.empty());

    auto enough = Ramp(2000);
    startRecording(testHost.request());
    Feed(enough);
    stopRecording();
    ExpectStopped(RecordingVerdict::Saved);
    EXPECT_TRUE(recorder.lastRecordingSaved);
}

TEST_F(RecorderTest, DoneAndSavedTellsDurationSizeAndPathAndLoadsThePlayer) {
    auto input = Ramp(44100 * 2 + 4410 * 3);
    startRecording(testHost.request());
    Feed(input);
    stopRecording();
    ExpectStopped(RecordingVerdict::Saved);
    // 2.3 s × 88200 B/s + 44 = 202904 bytes
    EXPECT_DOUBLE_EQ(testHost.last().seconds, 2.3);
    EXPECT_EQ(testHost.last().fileBytes, 202904);
    EXPECT_EQ(std::wstring(testHost.last().path), RecordingPath().wstring());
    EXPECT_EQ(testHost.last().outcome, Outcome::kOk);
    ASSERT_EQ(testHost.loadedForPlay.size(), 1u);
    EXPECT_EQ(testHost.loadedForPlay[0], RecordingPath().wstring());
    EXPECT_TRUE(recorder.lastRecordingSaved);
    EXPECT_EQ(recorder.levels.level, 0);
    EXPECT_GE(testHost.repaints, 1);
}

TEST_F(RecorderTest, ASilentRecordingIsKeptButNotLoaded) {
    std::vector<int16_t> input(44100, 0);
    for (size_t i = 0; i < input.size(); i += 3) input[i] = static_cast<int16_t>(i % 2 ? 59 : -59);
    startRecording(testHost.request());
    Feed(input);
    stopRecording();
    ExpectStopped(RecordingVerdict::Silent);
    EXPECT_TRUE(std::filesystem::exists(RecordingPath()));
    EXPECT_TRUE(testHost.loadedForPlay.empty());
    EXPECT_TRUE(recorder.lastRecordingSaved);
}

TEST_F(RecorderTest, ATooLoudRecordingIsToldAndStillLoaded) {
    auto input = Ramp(4410 * 10);
    for (int b : {1, 4, 6, 8}) input[static_cast<size_t>(b) * 4410 + 100] = 32767;  // 4 of 10 buffers clip
    startRecording(testHost.request());
    Feed(input);
    stopRecording();
    ExpectStopped(RecordingVerdict::TooLoud);
    EXPECT_EQ(testHost.loadedForPlay.size(), 1u);
}

TEST_F(RecorderTest, SkippedSilenceIsLeftOutOfTheFileTheClockAndTheMarks) {
    testHost.skipSilence = true;
    auto voice = Ramp(44100);
    std::vector<int16_t> input = voice;
    input.insert(input.end(), 44100 * 10, 0);
    auto voice2 = Ramp(44100, 5);
    input.insert(input.end(), voice2.begin(), voice2.end());
    startRecording(testHost.request());
    Feed(input, 0, 44100 * 11);
    EXPECT_DOUBLE_EQ(elapsedSeconds(), 2.5);  // 1 s of voice and the first 1.5 s of the pause
    addMark();
    Feed(input, 44100 * 11, input.size());
    stopRecording();
    EXPECT_DOUBLE_EQ(recorder.markTimes[0], 2.5);
    WavOnDisk w = ReadWav(RecordingPath());
    ASSERT_EQ(w.samples.size(), static_cast<size_t>(44100 * 35 / 10));
    EXPECT_EQ(Slice(w.samples, 44100 * 25 / 10, w.samples.size()), voice2);
    EXPECT_DOUBLE_EQ(testHost.last().seconds, 3.5);
}

TEST_F(RecorderTest, TheSkipBoxIsReadLiveForEachBuffer) {
    std::vector<int16_t> quiet(44100 * 4, 3);
    startRecording(testHost.request());
    Feed(quiet, 0, 44100 * 2);
    testHost.skipSilence = true;
    Feed(quiet, 44100 * 2, quiet.size());
    stopRecording();
    // Two seconds written with the box off, then 1.5 s of the quiet that followed.
    EXPECT_EQ(ReadWav(RecordingPath()).samples.size(), static_cast<size_t>(44100 * 35 / 10));
}

TEST_F(RecorderTest, MarksAreTimedOnKeptAudioAndWrittenBesideTheRecording) {
    auto input = Ramp(44100 * 4);
    startRecording(testHost.request());
    Feed(input, 0, 4410 * 12);
    addMark();
    EXPECT_EQ(testHost.event(), RecorderEvent::MarkAdded);
    EXPECT_EQ(testHost.last().markNumber, 1);
    EXPECT_DOUBLE_EQ(testHost.last().seconds, 1.2);
    togglePause();
    scriptedCaptureDeliver();
    addMark();  // the Mark button is disabled while paused
    togglePause();
    Feed(input, 44100 * 2, 44100 * 4);
    addMark();
    stopRecording();
    ASSERT_EQ(recorder.markCount, 2);
    EXPECT_DOUBLE_EQ(recorder.markTimes[0], 1.2);
    EXPECT_DOUBLE_EQ(recorder.markTimes[1], 3.2);
    auto marks = readAllBytes(In("take-marks.txt"));
    EXPECT_EQ(std::string(marks.begin(), marks.end()), "Mark 1  00:01\r\nMark 2  00:03\r\n");
    EXPECT_TRUE(recorder.marksWritten);
}

TEST_F(RecorderTest, The513thMarkIsRefusedAndSaysSo) {
    auto input = Ramp(44100);
    startRecording(testHost.request());
    Feed(input);
    for (int i = 0; i < 512; ++i) addMark();
    EXPECT_EQ(testHost.event(), RecorderEvent::MarkAdded);
    EXPECT_EQ(testHost.last().markNumber, 512);
    addMark();
    EXPECT_EQ(recorder.markCount, 512);
    EXPECT_EQ(testHost.event(), RecorderEvent::MarkNotStored);
    stopRecording();
    auto marks = readAllBytes(In("take-marks.txt"));
    EXPECT_EQ(std::count(marks.begin(), marks.end(), '\n'), 512);
}

TEST_F(RecorderTest, ReplaceOverwritesAndKeepsAnOldMarksFileUnlessThereAreNewMarks) {
    writeMonoWav(In("take.wav"), 8000, std::vector<short>(100000, 1));
    {
        std::vector<short> old(10, 2);
        writeMonoWav(In("take-marks.txt"), 8000, old);
    }
    auto oldMarks = readAllBytes(In("take-marks.txt"));
    testHost.replace = true;
    auto input = Ramp(44100);
    startRecording(testHost.request());
    Feed(input);
    stopRecording();
    EXPECT_EQ(RecordingPath(), In("take.wav"));
    EXPECT_EQ(ReadWav(In("take.wav")).samples, input);
    EXPECT_EQ(readAllBytes(In("take-marks.txt")), oldMarks);

    startRecording(testHost.request());
    Feed(input);
    addMark();
    stopRecording();
    auto marks = readAllBytes(In("take-marks.txt"));
    EXPECT_EQ(std::string(marks.begin(), marks.end()), "Mark 1  00:01\r\n");
}

TEST_F(RecorderTest, WithoutReplaceANewRecordingIsNumbered) {
    writeMonoWav(In("take.wav"), 8000, {});
    writeMonoWav(In("take (2).wav"), 8000, {});
    startRecording(testHost.request());
    EXPECT_EQ(RecordingPath(), In("take (3).wav"));
    EXPECT_EQ(std::filesystem::path(recorder.marksPath), In("take (3)-marks.txt"));
}

TEST_F(RecorderTest, TimerUpdatesTheClockOnlyOnChangeAndShowsTheLoudWarningAtItsEdges) {
    auto input = Ramp(44100 * 2);
    input[4410 * 2 + 5] = -32768;
    startRecording(testHost.request());
    Feed(input, 0, 4410 * 2);
    size_t labels = testHost.elapsedTexts.size();
    onRecordingTimer();
    onRecordingTimer();
    EXPECT_EQ(testHost.elapsedTexts.size(), labels + 1);  // "00:00:00" once, not twice
    Feed(input, 4410 * 2, 44100 + 4410);
    onRecordingTimer();
    EXPECT_EQ(testHost.event(), RecorderEvent::LoudWarningStarts);
    EXPECT_EQ(testHost.elapsedTexts.back(), L"00:00:01");
    addMark();  // a mark notice stays until the warning's next edge
    size_t reports = testHost.reports.size();
    for (int i = 0; i < 13; ++i) onRecordingTimer();
    EXPECT_EQ(testHost.reports.size(), reports);
    EXPECT_EQ(testHost.event(), RecorderEvent::MarkAdded);
    onRecordingTimer();
    EXPECT_EQ(testHost.event(), RecorderEvent::LoudWarningEnds);
    EXPECT_EQ(testHost.meterInvalidations, 17);
}

TEST_F(RecorderTest, NoticesArrivingAfterStopAreIgnored) {
    auto input = Ramp(44100);
    startRecording(testHost.request());
    Feed(input, 0, 15000, false);
    stopRecording();
    auto before = readAllBytes(RecordingPath());
    for (auto& h : recorder.captureHeaders) onCaptureBufferDone(&scriptedCapture, &h);
    onCaptureBufferDone(&scriptedCapture, nullptr);
    scriptedCaptureDeliver();
    EXPECT_EQ(readAllBytes(RecordingPath()), before);
    EXPECT_EQ(ReadWav(RecordingPath()).samples, Slice(input, 0, 15000));
}

// The first write that does not go through whole ends the take at once, as a Stop would, and the file keeps exactly
// the whole samples that reached the disk, with a header that says so: a full disk that takes part of a buffer (an odd
// count included), a write that fails outright, and one that claims success but wrote less.
TEST_F(RecorderTest, AWriteThatDoesNotGoThroughWholeEndsTheTakeAndKeepsWhatReachedTheDisk) {
    struct Case {
        const char* name;
        Outcome says;
        uint32_t keeps;
        Outcome reported;
    } cases[] = {
        {"disk full, odd part", Outcome::kDiskFull, 1001, Outcome::kDiskFull},
        {"failed outright", Outcome::kWriteFailed, 0, Outcome::kWriteFailed},
        {"short but ok", Outcome::kOk, 3000, Outcome::kWriteFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testHost = TestHost();
        testHost.folder = folder.wstring();
        testHost.fileName = std::wstring(c.name, c.name + strlen(c.name));
        testHost.formatSelection = 5;
        auto input = Ramp(44100 * 2);
        startRecording(testHost.request());
        failWritesFrom = writeCalls + 6;  // the sixth buffer
        failWritesUntil = failWritesFrom;
        failedWriteSays = c.says;
        failedWriteKeeps = c.keeps;
        Feed(input, 0, 4410 * 5);
        int writesBefore = writeCalls;
        scriptedCaptureFeed(input.data() + 4410 * 5, 4410);
        scriptedCaptureDeliver();
        // Ended by the write, without a Stop; nothing more went to the file.
        EXPECT_EQ(recorder.state, RecorderState::Idle);
        EXPECT_FALSE(testHost.timerRunning);
        EXPECT_EQ(writeCalls, writesBefore + 2);  // the failed buffer and the header that settles the file
        ExpectStopped(RecordingVerdict::Saved);
        EXPECT_EQ(testHost.last().outcome, c.reported);
        size_t kept = 4410 * 5 + c.keeps / 2;
        WavOnDisk w = ReadWav(RecordingPath());
        EXPECT_TRUE(w.valid);
        EXPECT_EQ(w.headerDataBytes, kept * 2);
        EXPECT_EQ(w.samples, Slice(input, 0, kept));
        EXPECT_EQ(std::filesystem::file_size(RecordingPath()), 44 + kept * 2);
        EXPECT_NEAR(testHost.last().seconds, kept / 44100.0, 1e-9);
        EXPECT_TRUE(recorder.lastRecordingSaved);
        ASSERT_FALSE(testHost.loadedForPlay.empty());
        EXPECT_EQ(testHost.loadedForPlay.back(), RecordingPath().wstring());
        EXPECT_EQ(filesOpen, 0);
        EXPECT_FALSE(scriptedCapture.open);
        failWritesFrom = failWritesUntil = -1;
    }
}

TEST_F(RecorderTest, AHeaderRefreshThatFailsEndsTheTakeWithTheDataBeforeIt) {
    auto input = Ramp(4410 * 31);
    startRecording(testHost.request());
    failWritesFrom = writeCalls + 31;  // 30 buffers, then the refresh of the header
    failWritesUntil = writeCalls + 31;
    Feed(input, 0, 4410 * 30);
    EXPECT_EQ(recorder.state, RecorderState::Idle);
    EXPECT_EQ(testHost.last().outcome, Outcome::kWriteFailed);
    WavOnDisk w = ReadWav(RecordingPath());
    EXPECT_TRUE(w.valid);
    EXPECT_EQ(w.samples, Slice(input, 0, 4410 * 30));
    EXPECT_EQ(w.headerDataBytes, 4410u * 30 * 2);
}

TEST_F(RecorderTest, ADiskAlreadyFullAtRecordFailsTheStartAndLeavesNoFile) {
    failWritesFrom = 1;
    failWritesUntil = 1;
    failedWriteSays = Outcome::kDiskFull;
    startRecording(testHost.request());
    ExpectStartFailed(Outcome::kDiskFull);
    EXPECT_EQ(recorder.state, RecorderState::Idle);
    EXPECT_FALSE(std::filesystem::exists(In("take.wav")));
    EXPECT_FALSE(scriptedCapture.open);
    EXPECT_EQ(filesOpen, 0);
}

// MP3: every frame written whole stays, a frame torn by the failing write is cut off, and nothing is written after
// it (no flush of the encoder onto a torn frame).
TEST_F(RecorderTest, AnMp3TakeCutShortEndsOnAWholeFrame) {
    testHost.formatSelection = 1;
    auto input = Ramp(22050 * 3);
    startRecording(testHost.request());
    failWritesFrom = writeCalls + 12;
    failWritesUntil = 1000000;
    failedWriteSays = Outcome::kDiskFull;
    failedWriteKeeps = 200;  // a 48 kbps frame is 156 or 157 bytes: one whole, one torn
    for (size_t at = 0; at < input.size() && recorder.state == RecorderState::Recording; at += 2205) {
        scriptedCaptureFeed(input.data() + at, 2205);
        scriptedCaptureDeliver();
    }
    EXPECT_EQ(recorder.state, RecorderState::Idle);
    EXPECT_EQ(testHost.last().outcome, Outcome::kDiskFull);
    auto bytes = readAllBytes(RecordingPath());
    Mp3FrameCursor cursor;
    mp3CursorReset(&cursor);
    mp3CursorFeed(&cursor, bytes.data(), bytes.size());
    EXPECT_FALSE(cursor.broken);
    EXPECT_EQ(cursor.wholeEnd, bytes.size());
    EXPECT_GT(cursor.frames, 20);
    // Shorter than what went in, and as long as its frames.
    EXPECT_LT(testHost.last().seconds, 2.0);
    EXPECT_NEAR(testHost.last().seconds, mp3CursorSeconds(cursor), 1e-9);
    EXPECT_GT(decodeMp3(bytes).samples.size(), 0u);
    EXPECT_EQ(filesOpen, 0);
    EXPECT_EQ(mp3Writer.encoder, nullptr);
}

// A take's file goes to the disk itself once, when it is finished and before it is closed; a flush that fails is a
// write failure the stop reports.
TEST_F(RecorderTest, AFinishedTakeIsFlushedBeforeItIsClosed) {
    for (bool fail : {false, true}) {
        SCOPED_TRACE(fail ? "flush fails" : "flush works");
        testHost = TestHost();
        testHost.folder = folder.wstring();
        testHost.fileName = fail ? L"fails" : L"works";
        testHost.formatSelection = 5;
        startRecording(testHost.request());
        Feed(Ramp(44100));
        flushCalls = closesAfterFlush = 0;
        failFlush = fail;
        stopRecording();
        EXPECT_EQ(flushCalls, 1);
        EXPECT_EQ(closesAfterFlush, 1);
        EXPECT_EQ(testHost.last().outcome, fail ? Outcome::kWriteFailed : Outcome::kOk);
        EXPECT_EQ(testHost.last().verdict, RecordingVerdict::Saved);
    }
}

// Every way a start can fail after the device opened gives back all it took: the device is closed (so the next start
// can open it), the buffers are freed, no file stays open or on disk, the encoder is closed, and the outcome names
// the step that failed.
TEST_F(RecorderTest, AStartThatFailsAtAnyStepLeavesNothingOpen) {
    struct Fault {
        const char* step;
        int format;
        Outcome expected;
        void (*arm)();
    };
    const Fault faults[] = {
        {"open", 5, Outcome::kNoDevice, [] { scriptedCapture.failOpen = true; }},
        {"create", 5, Outcome::kCreateFailed, [] { failCreate = true; }},
        {"header", 5, Outcome::kWriteFailed, [] { failWritesFrom = failWritesUntil = writeCalls + 1; }},
        {"encoder", 1, Outcome::kEncoderFailed, [] { mp3Writer.failNextOpen = true; }},
        {"allocation", 5, Outcome::kOutOfMemory, [] { recorder.failNextBufferAllocation = true; }},
        {"prepare 1", 5, Outcome::kDeviceFailed, [] { failPrepareAt = prepareCalls + 1; }},
        {"prepare 3", 1, Outcome::kDeviceFailed, [] { failPrepareAt = prepareCalls + 3; }},
        {"add 1", 5, Outcome::kDeviceFailed, [] { failAddAt = addCalls + 1; }},
        {"add 4", 1, Outcome::kDeviceFailed, [] { failAddAt = addCalls + 4; }},
        {"start", 5, Outcome::kDeviceFailed, [] { failStart = true; }},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.step);
        testHost.formatSelection = fault.format;
        testHost.reports.clear();
        fault.arm();
        startRecording(testHost.request());
        scriptedCapture.failOpen = false;
        failCreate = false;
        failWritesFrom = failWritesUntil = -1;
        failPrepareAt = failAddAt = 0;
        failStart = false;
        EXPECT_EQ(recorder.state, RecorderState::Idle);
        ASSERT_EQ(testHost.reports.size(), 1u);
        ExpectStartFailed(fault.expected);
        EXPECT_FALSE(scriptedCapture.open);
        EXPECT_EQ(scriptedCapture.queued, 0);
        EXPECT_FALSE(recorder.deviceOpen);
        EXPECT_EQ(recorder.bufferMemory, nullptr);
        for (const CaptureHeader& h : recorder.captureHeaders) EXPECT_FALSE(h.flags & kCapturePrepared);
        EXPECT_EQ(mp3Writer.encoder, nullptr);
        EXPECT_EQ(recorder.file, kNoFile);
        EXPECT_EQ(filesOpen, 0);
        EXPECT_TRUE(std::filesystem::is_empty(folder));
        EXPECT_FALSE(testHost.timerRunning);
        // Nothing is held: the next start opens the device and records.
        startRecording(testHost.request());
        EXPECT_EQ(recorder.state, RecorderState::Recording);
        Feed(Ramp(4410 * 3));
        stopRecording();
        ExpectStopped(RecordingVerdict::Saved);
        std::filesystem::remove(RecordingPath());
        EXPECT_EQ(filesOpen, 0);
    }
}

TEST_F(RecorderTest, AFailedStartWithReplacePutsTheOldFileBack) {
    writeMonoWav(In("take.wav"), 8000, std::vector<short>(1000, 5));
    auto old = readAllBytes(In("take.wav"));
    testHost.replace = true;
    failStart = true;
    startRecording(testHost.request());
    ExpectStartFailed(Outcome::kDeviceFailed);
    EXPECT_EQ(readAllBytes(In("take.wav")), old);
    EXPECT_FALSE(std::filesystem::exists(In("take (replaced).wav")));
}

TEST_F(RecorderTest, AWavThatReachesItsSizeLimitStopsItselfAndStaysValid) {
    recorder.wavDataLimit = 8820 * 10 + 100;  // room for ten buffers, not eleven
    auto input = Ramp(4410 * 15);
    startRecording(testHost.request());
    Feed(input, 0, 4410 * 11);
    EXPECT_EQ(recorder.state, RecorderState::Idle);
    ExpectStopped(RecordingVerdict::Saved, true);
    EXPECT_FALSE(testHost.timerRunning);
    WavOnDisk w = ReadWav(RecordingPath());
    EXPECT_TRUE(w.valid);
    EXPECT_EQ(w.headerDataBytes, 8820u * 10);
    EXPECT_EQ(w.samples, Slice(input, 0, 4410 * 10));
    EXPECT_EQ(testHost.loadedForPlay.size(), 1u);
    EXPECT_LE(recorder.recordedBytes, recorder.wavDataLimit);
}

TEST_F(RecorderTest, TheDefaultWavLimitKeepsTheHeaderWithin32Bits) {
    EXPECT_LE(kWavDataLimitBytes + 36, 0xFFFFFFFFull);
    EXPECT_EQ(kWavDataLimitBytes % 2, 0u);
}

TEST_F(RecorderTest, AVeryLongMp3RecordingKeepsItsClockAndMarks) {
    testHost.formatSelection = 4;
    auto input = Ramp(44100);
    startRecording(testHost.request());
    Feed(input, 0, 4410);
    // Past what 32 bits of bytes can count at 44100 Hz: 5e9 bytes are 56689 s, 15 h 44 min.
    recorder.recordedBytes += 5000000000ull;
    onRecordingTimer();
    EXPECT_EQ(testHost.elapsedTexts.back(), L"15:44:49");
    addMark();
    EXPECT_EQ(testHost.event(), RecorderEvent::MarkAdded);
    EXPECT_EQ(static_cast<int64_t>(testHost.last().seconds), 15 * 3600 + 44 * 60 + 49);
    stopRecording();
    auto marks = readAllBytes(In("take-marks.txt"));
    EXPECT_EQ(std::string(marks.begin(), marks.end()), "Mark 1  944:49\r\n");
    EXPECT_EQ(static_cast<int64_t>(testHost.last().seconds), 15 * 3600 + 44 * 60 + 49);
}

TEST_F(RecorderTest, AnMp3RecordingHoldsEveryKeptSample) {
    testHost.formatSelection = 1;
    std::vector<int16_t> input(22050 * 3);
    for (size_t i = 0; i < input.size(); ++i) input[i] = static_cast<int16_t>(8000 * ((i / 40) % 2 ? 1 : -1));
    startRecording(testHost.request());
    Feed(input);
    stopRecording();
    ExpectStopped(RecordingVerdict::Saved);
    EXPECT_EQ(RecordingPath(), In("take.mp3"));
    DecodedMp3 d = decodeMp3(readAllBytes(RecordingPath()));
    EXPECT_EQ(d.firstFrameOffset, 0);
    EXPECT_EQ(d.sampleRate, 22050);
    EXPECT_GE(d.samples.size(), input.size() + 1057);
}

TEST_F(RecorderTest, NoticesLeftFromAnEarlierRecordingDoNotDisturbTheNext) {
    auto first = Ramp(44100);
    startRecording(testHost.request());
    Feed(first, 0, 15000, false);
    stopRecording();  // the device hands every buffer back; four notices are still waiting
    ASSERT_GE(scriptedCapture.noticeCount, 4);
    testHost.fileName = L"second";
    auto second = Ramp(44100 * 2, 3);
    startRecording(testHost.request());
    Feed(second);
    stopRecording();
    EXPECT_EQ(ReadWav(In("second.wav")).samples, second);
}

TEST_F(RecorderTest, ALongFolderAndNameFailTheStartInsteadOfCuttingThePaths) {
    // 140-character folder path plus a 120-character name: the marks path would have overwritten the recording.
    std::wstring deep = folder.wstring();
    while (deep.size() < 140) deep += kPathSeparator + std::wstring(std::min<size_t>(40, 140 - deep.size() - 1), L'd');
    ASSERT_EQ(deep.size(), 140u);
    testHost.folder = deep;
    testHost.fileName = std::wstring(120, L'n');
    std::filesystem::create_directories(deep);
    startRecording(testHost.request());
    EXPECT_EQ(recorder.state, RecorderState::Idle);
    ExpectStartFailed(Outcome::kCreateFailed);
    EXPECT_FALSE(scriptedCapture.open);
    EXPECT_EQ(scriptedCapture.closes, 1);
    EXPECT_TRUE(std::filesystem::is_empty(deep));
}

TEST_F(RecorderTest, ReplaceKeepsTheOldFileWhenTheTakeIsEmpty) {
    writeMonoWav(In("take.wav"), 8000, std::vector<short>(1000, 5));
    auto old = readAllBytes(In("take.wav"));
    testHost.replace = true;
    startRecording(testHost.request());
    ASSERT_EQ(recorder.state, RecorderState::Recording);
    // During the take the new file has the name and the old one waits beside it.
    EXPECT_EQ(readAllBytes(In("take (replaced).wav")), old);
    EXPECT_TRUE(ReadWav(In("take.wav")).valid);
    stopRecording();
    ExpectStopped(RecordingVerdict::Empty);
    EXPECT_EQ(readAllBytes(In("take.wav")), old);
    EXPECT_FALSE(std::filesystem::exists(In("take (replaced).wav")));
}

TEST_F(RecorderTest, ReplaceKeepsTheOldFileWhenTheEncoderCannotStart) {
    testHost.formatSelection = 1;
    writeMonoWav(In("take.mp3"), 8000, std::vector<short>(1000, 5));  // any bytes will do
    auto old = readAllBytes(In("take.mp3"));
    testHost.replace = true;
    mp3Writer.failNextOpen = true;
    startRecording(testHost.request());
    EXPECT_EQ(recorder.state, RecorderState::Idle);
    ExpectStartFailed(Outcome::kEncoderFailed);
    EXPECT_EQ(readAllBytes(In("take.mp3")), old);
    EXPECT_FALSE(std::filesystem::exists(In("take (replaced).mp3")));
}

TEST_F(RecorderTest, ReplaceWithAKeptTakeLeavesOnlyTheNewFile) {
    writeMonoWav(In("take.wav"), 8000, std::vector<short>(1000, 5));
    testHost.replace = true;
    auto input = Ramp(44100);
    startRecording(testHost.request());
    Feed(input);
    stopRecording();
    ExpectStopped(RecordingVerdict::Saved);
    EXPECT_EQ(ReadWav(In("take.wav")).samples, input);
    EXPECT_FALSE(std::filesystem::exists(In("take (replaced).wav")));
    // A silent take is kept too: the old file goes.
    writeMonoWav(In("take.wav"), 8000, std::vector<short>(1000, 5));
    startRecording(testHost.request());
    Feed(std::vector<int16_t>(44100, 0));
    stopRecording();
    ExpectStopped(RecordingVerdict::Silent);
    EXPECT_EQ(ReadWav(In("take.wav")).samples.size(), 44100u);
    EXPECT_FALSE(std::filesystem::exists(In("take (replaced).wav")));
}

TEST_F(RecorderTest, ReplaceNeverOverwritesAFileLeftWaitingByACrash) {
    writeMonoWav(In("take.wav"), 8000, std::vector<short>(1000, 5));
    writeMonoWav(In("take (replaced).wav"), 8000, std::vector<short>(1000, 6));
    auto current = readAllBytes(In("take.wav"));
    auto waiting = readAllBytes(In("take (replaced).wav"));
    testHost.replace = true;
    startRecording(testHost.request());
    EXPECT_EQ(recorder.state, RecorderState::Idle);
    // The start names the file in the way, so that the user can move it.
    ExpectStartFailed(Outcome::kFileInTheWay);
    ASSERT_NE(testHost.last().path, nullptr);
    EXPECT_EQ(std::filesystem::path(testHost.last().path), In("take (replaced).wav"));
    EXPECT_FALSE(scriptedCapture.open);
    EXPECT_EQ(readAllBytes(In("take.wav")), current);
    EXPECT_EQ(readAllBytes(In("take (replaced).wav")), waiting);
    // Without an old file nothing needs to wait: the recording starts.
    std::filesystem::remove(In("take.wav"));
    startRecording(testHost.request());
    EXPECT_EQ(recorder.state, RecorderState::Recording);
}

TEST_F(RecorderTest, ForeignBufferNoticesChangeNothing) {
    auto input = Ramp(44100);
    startRecording(testHost.request());
    Feed(input, 0, 4410 * 2);
    auto before = readAllBytes(RecordingPath());
    uint64_t recorded = recorder.recordedBytes;
    // A header that is not one of the four, even one that looks filled, is not read, limited or written.
    std::vector<int16_t> foreignData(4410, 30000);
    CaptureHeader foreign = {};
    foreign.data = reinterpret_cast<char*>(foreignData.data());
    foreign.bufferLength = foreign.bytesRecorded = 8820;
    foreign.flags = kCaptureDone | kCapturePrepared;
    onCaptureBufferDone(&scriptedCapture, &foreign);
    EXPECT_EQ(foreign.user, 0u);
    EXPECT_EQ(foreignData, std::vector<int16_t>(4410, 30000));
    // One of the four from another device handle: not processed or requeued either.
    int queuedBefore = scriptedCapture.queued;
    CaptureHeader* mine = scriptedCapture.queue[0];
    int otherDevice = 0;
    mine->flags |= kCaptureDone;
    mine->bytesRecorded = 8820;
    onCaptureBufferDone(&otherDevice, mine);
    EXPECT_EQ(mine->user, 0u);
    EXPECT_EQ(scriptedCapture.queued, queuedBefore);
    EXPECT_EQ(recorder.recordedBytes, recorded);
    EXPECT_EQ(readAllBytes(RecordingPath()), before);
    mine->flags &= ~kCaptureDone;
    mine->bytesRecorded = 0;
    Feed(input, 4410 * 2, input.size());
    stopRecording();
    EXPECT_EQ(ReadWav(RecordingPath()).samples, input);
}

TEST_F(RecorderTest, ADeviceThatWillNotResetOrCloseKeepsTheBuffers) {
    auto input = Ramp(44100);
    for (int failing = 0; failing < 2; ++failing) {
        startRecording(testHost.request());
        Feed(input, 0, 10000);
        scriptedCapture.failReset = failing == 0;
        scriptedCapture.failClose = failing == 1;
        stopRecording();
        EXPECT_EQ(recorder.state, RecorderState::Idle);
        ExpectStopped(RecordingVerdict::Saved);
        // The device may still fill the buffers: their memory must still be there (ASan checks).
        for (const CaptureHeader& h : recorder.captureHeaders) memset(h.data, 0x55, h.bufferLength);
        if (failing == 0) {
            ASSERT_GT(scriptedCapture.queued, 0);  // the failed reset handed nothing back
            scriptedCapture.running = true;
            EXPECT_GT(scriptedCaptureFeed(input.data(), 8000), 0);
            scriptedCaptureDeliver();  // their notices find no open recording
        }
        EXPECT_EQ(ReadWav(RecordingPath()).samples, Slice(input, 0, 10000));
        scriptedCaptureReset();
    }
}

// Replace and a take whose writes failed: the old file is never deleted. Under 4000 bytes of the take on disk, it gets
// its name back; otherwise it stays beside the take under its aside name and the stop says where.
TEST_F(RecorderTest, ReplaceNeverDeletesTheOldFileAfterAFailedWrite) {
    writeMonoWav(In("take.wav"), 8000, std::vector<short>(1000, 5));
    auto old = readAllBytes(In("take.wav"));
    testHost.replace = true;
    auto input = Ramp(44100);
    startRecording(testHost.request());
    failWritesFrom = writeCalls + 3;
    failWritesUntil = failWritesFrom;
    failedWriteSays = Outcome::kDiskFull;
    Feed(input, 0, 4410 * 3);
    ASSERT_EQ(recorder.state, RecorderState::Idle);
    ExpectStopped(RecordingVerdict::Saved);
    EXPECT_EQ(testHost.last().oldFileFate, OldFileFate::KeptBeside);
    EXPECT_EQ(std::filesystem::path(testHost.last().oldFilePath), In("take (replaced).wav"));
    EXPECT_EQ(readAllBytes(In("take (replaced).wav")), old);
    EXPECT_EQ(ReadWav(In("take.wav")).samples, Slice(input, 0, 4410 * 2));

    // The first buffer already fails: nothing of the take is kept and the old file is back under its name.
    std::filesystem::remove(In("take (replaced).wav"));
    writeMonoWav(In("take.wav"), 8000, std::vector<short>(1000, 5));
    startRecording(testHost.request());
    failWritesFrom = writeCalls + 1;
    failWritesUntil = failWritesFrom;
    failedWriteKeeps = 3998;  // under the 4000 bytes that keep a take
    Feed(input, 0, 4410);
    ASSERT_EQ(recorder.state, RecorderState::Idle);
    ExpectStopped(RecordingVerdict::Empty);
    EXPECT_EQ(testHost.last().outcome, Outcome::kDiskFull);
    EXPECT_EQ(testHost.last().oldFileFate, OldFileFate::None);
    EXPECT_EQ(readAllBytes(In("take.wav")), old);
    EXPECT_FALSE(std::filesystem::exists(In("take (replaced).wav")));
}

// The old file of an empty Replace take gets its name back in one replacing move; when that move is refused (a
// scanner holding the file), the take's file goes anyway and the stop says where the old file is.
TEST_F(RecorderTest, AnOldFileThatCannotGetItsNameBackIsToldWhereItIs) {
    writeMonoWav(In("take.wav"), 8000, std::vector<short>(1000, 5));
    auto old = readAllBytes(In("take.wav"));
    testHost.replace = true;
    startRecording(testHost.request());
    failReplaces = 1;
    stopRecording();
    ExpectStopped(RecordingVerdict::Empty);
    EXPECT_EQ(testHost.last().oldFileFate, OldFileFate::NameNotGivenBack);
    EXPECT_EQ(std::filesystem::path(testHost.last().oldFilePath), In("take (replaced).wav"));
    EXPECT_EQ(readAllBytes(In("take (replaced).wav")), old);
    EXPECT_FALSE(std::filesystem::exists(In("take.wav")));
}

// A start that fails after a saved recording leaves "Play my recording" and the show-in-folder action on that
// recording: its path and the saved flag stay as they were.
TEST_F(RecorderTest, AFailedRecordKeepsTheLastSavedRecording) {
    startRecording(testHost.request());
    Feed(Ramp(44100));
    stopRecording();
    ASSERT_TRUE(recorder.lastRecordingSaved);
    std::wstring saved = recorder.recordingPath, savedMarks = recorder.marksPath;
    testHost.fileName = L"second";
    for (int step = 0; step < 3; ++step) {
        SCOPED_TRACE(step);
        if (step == 0) failCreate = true;
        if (step == 1) failStart = true;
        if (step == 2) scriptedCapture.failOpen = true;
        startRecording(testHost.request());
        EXPECT_EQ(testHost.event(), RecorderEvent::StartFailed);
        EXPECT_TRUE(recorder.lastRecordingSaved);
        EXPECT_EQ(std::wstring(recorder.recordingPath), saved);
        EXPECT_EQ(std::wstring(recorder.marksPath), savedMarks);
        failCreate = failStart = scriptedCapture.failOpen = false;
    }
    EXPECT_FALSE(std::filesystem::exists(In("second.wav")));
}

// A device that marks the last partly filled buffer done only during the reset at Stop: it is still written, once.
TEST_F(RecorderTest, ABufferHandedBackOnlyByTheResetAtStopIsKept) {
    auto input = Ramp(4410 * 3 + 1000);
    startRecording(testHost.request());
    Feed(input, 0, 4410 * 3);
    scriptedCaptureFeed(input.data() + 4410 * 3, 1000);
    scriptedCapture.stopKeepsHead = true;
    stopRecording();
    EXPECT_EQ(ReadWav(RecordingPath()).samples, input);
    EXPECT_EQ(ReadWav(RecordingPath()).headerDataBytes, input.size() * 2);
}

// A microphone that stops delivering (unplugged, sleep) ends the take as a Stop would, keeping the file: no buffer
// for 1.5 s while recording, a buffer the device will not take back, or a device that will not start again.
TEST_F(RecorderTest, AMicrophoneThatStopsDeliveringEndsTheTake) {
    auto input = Ramp(44100);
    startRecording(testHost.request());
    Feed(input, 0, 4410 * 2);
    testHost.tickMs += kSilentDeviceMs - 1;
    onRecordingTimer();
    EXPECT_EQ(recorder.state, RecorderState::Recording);
    // A buffer arriving restarts the wait; pausing stops it.
    Feed(input, 4410 * 2, 4410 * 3);
    testHost.tickMs += kSilentDeviceMs - 1;
    onRecordingTimer();
    togglePause();
    testHost.tickMs += 60000;
    onRecordingTimer();
    EXPECT_EQ(recorder.state, RecorderState::Paused);
    togglePause();
    onRecordingTimer();
    EXPECT_EQ(recorder.state, RecorderState::Recording);
    testHost.tickMs += kSilentDeviceMs;
    onRecordingTimer();
    EXPECT_EQ(recorder.state, RecorderState::Idle);
    EXPECT_FALSE(scriptedCapture.open);
    ExpectStopped(RecordingVerdict::Saved);
    EXPECT_EQ(testHost.last().outcome, Outcome::kDeviceFailed);
    EXPECT_EQ(ReadWav(RecordingPath()).samples, Slice(input, 0, 4410 * 3));
    EXPECT_EQ(ReadWav(RecordingPath()).headerDataBytes, 4410u * 3 * 2);

    testHost.fileName = L"refused";
    startRecording(testHost.request());
    Feed(input, 0, 4410);
    failAddAt = addCalls + 1;
    Feed(input, 4410, 4410 * 2);
    EXPECT_EQ(recorder.state, RecorderState::Idle);
    EXPECT_EQ(testHost.last().outcome, Outcome::kDeviceFailed);
    EXPECT_EQ(ReadWav(RecordingPath()).samples, Slice(input, 0, 4410 * 2));

    testHost.fileName = L"restart";
    startRecording(testHost.request());
    Feed(input, 0, 4410 * 2);
    togglePause();
    failStart = true;
    togglePause();
    EXPECT_EQ(recorder.state, RecorderState::Idle);
    EXPECT_EQ(testHost.event(), RecorderEvent::Stopped);
    EXPECT_EQ(testHost.last().outcome, Outcome::kDeviceFailed);
    EXPECT_EQ(ReadWav(RecordingPath()).samples, Slice(input, 0, 4410 * 2));
}

// Marks reach the file as they are made, so a crash of the program keeps them with the audio, and the disk itself
// with the recording at the stop (a flush at every mark would hold the window as long as a busy disk takes); an empty
// take takes its marks file with it; a marks file that cannot be written is reported at the mark and at the stop.
TEST_F(RecorderTest, MarksAreOnDiskAsSoonAsTheyAreMade) {
    auto input = Ramp(44100 * 2);
    startRecording(testHost.request());
    Feed(input, 0, 44100);
    flushCalls = 0;
    addMark();
    EXPECT_EQ(testHost.last().outcome, Outcome::kOk);
    EXPECT_EQ(flushCalls, 0);
    auto marks = readAllBytes(In("take-marks.txt"));
    EXPECT_EQ(std::string(marks.begin(), marks.end()), "Mark 1  00:01\r\n");
    stopRecording();
    EXPECT_EQ(flushCalls, 2);  // the recording and its marks

    testHost.fileName = L"short";
    startRecording(testHost.request());
    Feed(input, 0, 1000);
    addMark();
    EXPECT_TRUE(std::filesystem::exists(In("short-marks.txt")));
    stopRecording();
    ExpectStopped(RecordingVerdict::Empty);
    EXPECT_FALSE(std::filesystem::exists(In("short-marks.txt")));

    testHost.fileName = L"unwritable";
    startRecording(testHost.request());
    Feed(input, 0, 44100);
    failWritesFrom = writeCalls + 1;
    failWritesUntil = failWritesFrom;
    addMark();
    EXPECT_EQ(testHost.event(), RecorderEvent::MarkAdded);
    EXPECT_EQ(testHost.last().outcome, Outcome::kWriteFailed);
    stopRecording();  // written again at the stop, whole this time
    EXPECT_EQ(testHost.last().marksOutcome, Outcome::kOk);
    marks = readAllBytes(In("unwritable-marks.txt"));
    EXPECT_EQ(std::string(marks.begin(), marks.end()), "Mark 1  00:01\r\n");
}

// The take's path is noted at a start that succeeds and cleared when the take is finished, however it ends.
TEST_F(RecorderTest, TheTakeInProgressIsNotedFromStartToFinish) {
    failCreate = true;
    startRecording(testHost.request());
    EXPECT_TRUE(testHost.takesInProgress.empty());
    failCreate = false;
    startRecording(testHost.request());
    ASSERT_EQ(testHost.takesInProgress.size(), 1u);
    EXPECT_EQ(testHost.takesInProgress[0], RecordingPath().wstring());
    failWritesFrom = writeCalls + 1;
    failWritesUntil = failWritesFrom;
    Feed(Ramp(4410));
    EXPECT_EQ(recorder.state, RecorderState::Idle);
    ASSERT_EQ(testHost.takesInProgress.size(), 2u);
    EXPECT_EQ(testHost.takesInProgress[1], L"");
}

// --- the no-sound warning: recorded time at or below the silent verdict's level ---

namespace {

// Buffers of 100 ms at 44100 Hz whose peak is exactly `peak`.
std::vector<int16_t> Tenths(int tenths, int16_t peak) {
    std::vector<int16_t> s(static_cast<size_t>(4410 * tenths), 0);
    for (size_t i = 0; i < s.size(); i += 4410) s[i + 7] = static_cast<int16_t>(-peak);
    return s;
}

int CountEvents(RecorderEvent event) {
    int n = 0;
    for (const RecorderReport& r : testHost.reports) n += r.event == event;
    return n;
}

}  // namespace

TEST_F(RecorderTest, ThreeSecondsAtTheSilentLevelWarnWhileTheTakeGoesOnAndSoundTakesItBack) {
    startRecording(testHost.request());
    Feed(Tenths(29, kSilentRecordingThreshold));  // 59 is still "no sound"
    onRecordingTimer();
    EXPECT_EQ(CountEvents(RecorderEvent::NoSoundStarts), 0);  // 2.9 s
    Feed(Tenths(1, 0));
    onRecordingTimer();
    EXPECT_EQ(testHost.event(), RecorderEvent::NoSoundStarts);
    EXPECT_EQ(recorder.state, RecorderState::Recording);
    for (int i = 0; i < 20; ++i) onRecordingTimer();
    Feed(Tenths(10, 0));
    onRecordingTimer();
    EXPECT_EQ(CountEvents(RecorderEvent::NoSoundStarts), 1);  // said once, however long it lasts
    EXPECT_EQ(CountEvents(RecorderEvent::NoSoundEnds), 0);

    Feed(Tenths(1, kSilentRecordingThreshold + 1));
    onRecordingTimer();
    EXPECT_EQ(testHost.event(), RecorderEvent::NoSoundEnds);
    // The count starts afresh: another 3 s of nothing warns again.
    Feed(Tenths(29, 0));
    onRecordingTimer();
    EXPECT_EQ(CountEvents(RecorderEvent::NoSoundStarts), 1);
    Feed(Tenths(1, 0));
    onRecordingTimer();
    EXPECT_EQ(CountEvents(RecorderEvent::NoSoundStarts), 2);
    stopRecording();
    EXPECT_TRUE(std::filesystem::exists(RecordingPath()));  // the silent take is kept, as ever
}

TEST_F(RecorderTest, QuietThatSoundInterruptsBeforeThreeSecondsNeverWarns) {
    startRecording(testHost.request());
    for (int round = 0; round < 4; ++round) {
        Feed(Tenths(25, 0));
        onRecordingTimer();
        Feed(Tenths(1, 3000));
        onRecordingTimer();
    }
    EXPECT_EQ(CountEvents(RecorderEvent::NoSoundStarts), 0);
    EXPECT_EQ(CountEvents(RecorderEvent::NoSoundEnds), 0);
}

TEST_F(RecorderTest, PauseHoldsTheNoSoundCountAndTheWarning) {
    startRecording(testHost.request());
    Feed(Tenths(20, 0));
    onRecordingTimer();
    togglePause();
    scriptedCaptureDeliver();
    for (int i = 0; i < 100; ++i) onRecordingTimer();  // 7 s of pause count for nothing
    EXPECT_EQ(CountEvents(RecorderEvent::NoSoundStarts), 0);
    testHost.tickMs += 7000;
    togglePause();
    Feed(Tenths(10, 0));  // 2 s before the pause and 1 s after it
    onRecordingTimer();
    EXPECT_EQ(testHost.event(), RecorderEvent::NoSoundStarts);

    // Paused while warned: nothing is taken back until sound arrives after the resume.
    togglePause();
    scriptedCaptureDeliver();
    for (int i = 0; i < 20; ++i) onRecordingTimer();
    EXPECT_EQ(CountEvents(RecorderEvent::NoSoundEnds), 0);
    togglePause();
    onRecordingTimer();
    EXPECT_EQ(CountEvents(RecorderEvent::NoSoundEnds), 0);
    Feed(Tenths(1, 5000));
    onRecordingTimer();
    EXPECT_EQ(testHost.event(), RecorderEvent::NoSoundEnds);
}

TEST_F(RecorderTest, ANewTakeStartsWithoutTheLastOnesWarning) {
    startRecording(testHost.request());
    Feed(Tenths(30, 0));
    onRecordingTimer();
    ASSERT_EQ(testHost.event(), RecorderEvent::NoSoundStarts);
    stopRecording();
    testHost.reports.clear();
    startRecording(testHost.request());
    Feed(Tenths(1, 4000));
    onRecordingTimer();
    Feed(Tenths(28, 0));
    onRecordingTimer();
    EXPECT_EQ(CountEvents(RecorderEvent::NoSoundEnds), 0);
    EXPECT_EQ(CountEvents(RecorderEvent::NoSoundStarts), 0);
}

// --- the chosen microphone ---

namespace {

void ListDevices(std::initializer_list<const wchar_t*> names) {
    scriptedCapture.deviceCount = 0;
    for (const wchar_t* name : names) scriptedCapture.deviceNames[scriptedCapture.deviceCount++] = name;
}

}  // namespace

TEST_F(RecorderTest, TheChosenMicrophoneIsOpenedByItsNameWherePresent) {
    ListDevices({L"Microphone (Webcam)", L"Line In (Studio Box)", L"Headset"});
    testHost.inputDevice = L"Line In (Studio Box)";
    startRecording(testHost.request());
    EXPECT_EQ(scriptedCapture.openedIndex, 1);
    ASSERT_EQ(testHost.event(), RecorderEvent::Started);
    EXPECT_FALSE(testHost.last().inputFallback);
    stopRecording();

    // The numbering moved (a device came before it): the name still finds it.
    ListDevices({L"Headset", L"USB Microphone", L"Microphone (Webcam)", L"Line In (Studio Box)"});
    startRecording(testHost.request());
    EXPECT_EQ(scriptedCapture.openedIndex, 3);
    stopRecording();

    testHost.inputDevice = L"";
    startRecording(testHost.request());
    EXPECT_EQ(scriptedCapture.openedIndex, kDefaultCaptureDevice);
    EXPECT_FALSE(testHost.last().inputFallback);
}

TEST_F(RecorderTest, AMissingMicrophoneRecordsFromTheDefaultAndSaysWhich) {
    ListDevices({L"Microphone (Webcam)"});
    testHost.inputDevice = L"Line In (Studio Box)";
    startRecording(testHost.request());
    EXPECT_EQ(recorder.state, RecorderState::Recording);
    EXPECT_EQ(scriptedCapture.openedIndex, kDefaultCaptureDevice);
    RecorderReport started = testHost.last();
    ASSERT_EQ(started.event, RecorderEvent::Started);
    EXPECT_TRUE(started.inputFallback);
    EXPECT_STREQ(started.inputName, L"Line In (Studio Box)");
    // The no-sound edges carry it too, so the detail can go back to saying it.
    Feed(Tenths(30, 0));
    onRecordingTimer();
    Feed(Tenths(1, 900));
    onRecordingTimer();
    ASSERT_EQ(testHost.event(), RecorderEvent::NoSoundEnds);
    EXPECT_TRUE(testHost.last().inputFallback);
    EXPECT_STREQ(testHost.last().inputName, L"Line In (Studio Box)");
}

TEST_F(RecorderTest, AListedMicrophoneThatWillNotOpenFallsBackToTheDefault) {
    ListDevices({L"Microphone (Webcam)", L"Line In (Studio Box)"});
    scriptedCapture.failOpenIndex = 1;  // unplugged between the listing and the open, or held by another program
    testHost.inputDevice = L"Line In (Studio Box)";
    startRecording(testHost.request());
    EXPECT_EQ(scriptedCapture.opens, 2);
    EXPECT_EQ(scriptedCapture.openedIndex, kDefaultCaptureDevice);
    EXPECT_TRUE(testHost.last().inputFallback);

    // When the default will not open either, it is the usual no-microphone failure.
    stopRecording();
    scriptedCapture.failOpen = true;
    startRecording(testHost.request());
    ExpectStartFailed(Outcome::kNoDevice);
}

TEST_F(RecorderTest, OfTwoMicrophonesWithOneNameTheFirstIsOpened) {
    ListDevices({L"Headset", L"USB Microphone", L"USB Microphone"});
    testHost.inputDevice = L"USB Microphone";
    startRecording(testHost.request());
    EXPECT_EQ(scriptedCapture.openedIndex, 1);
    EXPECT_EQ(findInputDevice(L"usb microphone"), kDefaultCaptureDevice);  // the system's spelling, exactly
    EXPECT_EQ(findInputDevice(L""), kDefaultCaptureDevice);
}
