// The window's words for every recorder report: each outcome and event has its exact status and detail text, and
// the reports that leave the detail line alone say so.
#include "app/recorder_feedback.h"

#include <gtest/gtest.h>

#include <string>

namespace {

RecorderWords Words(const RecorderReport& report) {
    RecorderWords words;
    recorderReportWords(report, &words);
    return words;
}

RecorderReport Event(RecorderEvent event) {
    RecorderReport r = {};
    r.event = event;
    return r;
}

RecorderReport Failed(Outcome why) {
    RecorderReport r = Event(RecorderEvent::StartFailed);
    r.outcome = why;
    return r;
}

RecorderReport Stopped(RecordingVerdict verdict, bool atSizeLimit = false) {
    RecorderReport r = Event(RecorderEvent::Stopped);
    r.verdict = verdict;
    r.stoppedAtSizeLimit = atSizeLimit;
    r.seconds = 2.3;
    r.fileBytes = 202904;
    r.path = L"C:\\Rec\\take.wav";
    return r;
}

const std::wstring kNoMicrophone =
    L"Plug in or enable a microphone in Windows sound settings, then press Record again.";
const std::wstring kCannotCreate =
    L"Windows would not let the recorder write there. Open Settings and choose another folder, or close any program "
    L"using a file with the same name.";
const std::wstring kSilent =
    L"The recording is silent. In Windows go to Settings, Privacy, Microphone and switch on \"Let desktop apps access "
    L"your microphone\", then record again.";
const std::wstring kTooLoud =
    L"Your microphone was too loud, so parts of this recording are distorted. In Windows go to Settings, System, "
    L"Sound, Input, lower the microphone volume (and switch off Microphone Boost if you see it), then record again.";
const std::wstring kSaved =
    L"Saved (00:02, 0.2 MB) to:\r\nC:\\Rec\\take.wav\r\nNext: press \"Transcribe on Parlowen\" and choose this file "
    L"there.";

}  // namespace

TEST(RecorderFeedback, EveryStartFailureHasItsTitleAndExplanation) {
    struct Case {
        Outcome why;
        const wchar_t* status;
        std::wstring detail;
    };
    const Case cases[] = {
        {Outcome::kNoDevice, L"No microphone found", kNoMicrophone},
        // A device that refuses its buffers or will not start, and a buffer block that cannot be had, are told as
        // the device failure they amount to.
        {Outcome::kDeviceFailed, L"No microphone found", kNoMicrophone},
        {Outcome::kOutOfMemory, L"No microphone found", kNoMicrophone},
        {Outcome::kCreateFailed, L"Could not create the file", kCannotCreate},
        {Outcome::kWriteFailed, L"Could not create the file", kCannotCreate},
        {Outcome::kDiskFull, L"The disk is full",
         L"There is no room on the disk for a recording. Free some space, or open Settings and choose another folder, "
         L"then press Record again."},
        {Outcome::kEncoderFailed, L"Could not start the MP3 encoder", L"Choose WAV in Settings and try again."},
        {Outcome::kUnsupportedFormat, L"Could not start the MP3 encoder", L"Choose WAV in Settings and try again."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(outcomeName(c.why));
        RecorderWords w = Words(Failed(c.why));
        EXPECT_EQ(std::wstring(w.status), c.status);
        EXPECT_TRUE(w.hasDetail);
        EXPECT_EQ(std::wstring(w.detail), c.detail);
    }
}

TEST(RecorderFeedback, RunningRecordingTextsAndWhetherTheDetailChanges) {
    RecorderWords started = Words(Event(RecorderEvent::Started));
    EXPECT_EQ(std::wstring(started.status), L"Recording");
    ASSERT_TRUE(started.hasDetail);
    EXPECT_EQ(std::wstring(started.detail),
              L"Saving as you go. If anything goes wrong, your recording is already on disk.");

    struct Case {
        RecorderEvent event;
        const wchar_t* status;
    };
    const Case titleOnly[] = {
        {RecorderEvent::Paused, L"Paused"},
        {RecorderEvent::Resumed, L"Recording"},
        {RecorderEvent::LoudWarningStarts, L"Recording. Too loud, move back from the microphone"},
        {RecorderEvent::LoudWarningEnds, L"Recording"},
        {RecorderEvent::MarkNotStored, L"Recording. Mark not stored: 512 marks is the most a recording keeps"},
    };
    for (const Case& c : titleOnly) {
        RecorderWords w = Words(Event(c.event));
        EXPECT_EQ(std::wstring(w.status), c.status);
        EXPECT_FALSE(w.hasDetail) << static_cast<int>(c.event);
    }

    RecorderReport mark = Event(RecorderEvent::MarkAdded);
    mark.markNumber = 3;
    mark.seconds = 61.9;  // whole seconds, truncated
    EXPECT_EQ(std::wstring(Words(mark).status), L"Recording. Mark 3 added at 01:01");
    EXPECT_FALSE(Words(mark).hasDetail);
    mark.seconds = 56689.5;  // past an hour the hours show
    EXPECT_EQ(std::wstring(Words(mark).status), L"Recording. Mark 3 added at 15:44:49");
}

TEST(RecorderFeedback, EveryVerdictAtStopHasItsTitleAndExplanation) {
    RecorderWords saved = Words(Stopped(RecordingVerdict::Saved));
    EXPECT_EQ(std::wstring(saved.status), L"Done and saved");
    EXPECT_EQ(std::wstring(saved.detail), kSaved);  // 202904 / 1048576 = 0.19 MB

    RecorderReport unknownSize = Stopped(RecordingVerdict::Saved);
    unknownSize.fileBytes = -1;
    EXPECT_NE(std::wstring(Words(unknownSize).detail).find(L"(00:02, 0.0 MB)"), std::wstring::npos);

    RecorderWords empty = Words(Stopped(RecordingVerdict::Empty));
    EXPECT_EQ(std::wstring(empty.status), L"Nothing was recorded");
    EXPECT_EQ(std::wstring(empty.detail),
              L"The recording was empty, so no file was kept. Check your microphone and try again.");

    RecorderWords silent = Words(Stopped(RecordingVerdict::Silent));
    EXPECT_EQ(std::wstring(silent.status), L"Saved, but no sound was picked up");
    EXPECT_EQ(std::wstring(silent.detail), kSilent);

    RecorderWords loud = Words(Stopped(RecordingVerdict::TooLoud));
    EXPECT_EQ(std::wstring(loud.status), L"Saved, but the sound was too loud");
    EXPECT_EQ(std::wstring(loud.detail), kTooLoud);

    // A full WAV file takes the title; the explanation stays the verdict's.
    RecorderWords full = Words(Stopped(RecordingVerdict::Saved, true));
    EXPECT_EQ(std::wstring(full.status), L"Stopped: the WAV file is full");
    EXPECT_EQ(std::wstring(full.detail), kSaved);
    RecorderWords fullAndLoud = Words(Stopped(RecordingVerdict::TooLoud, true));
    EXPECT_EQ(std::wstring(fullAndLoud.status), L"Stopped: the WAV file is full");
    EXPECT_EQ(std::wstring(fullAndLoud.detail), kTooLoud);
    for (const auto& w : {saved, empty, silent, loud, full}) EXPECT_TRUE(w.hasDetail);
}

// A take that something other than Stop ended names the cause in the title and says what is kept where; the file a
// Replace take was to replace and a marks file that could not be written are told on lines of their own.
TEST(RecorderFeedback, ATakeCutShortSaysWhyAndWhatIsKept) {
    struct Case {
        Outcome why;
        const wchar_t* status;
        const wchar_t* sentence;
    } cases[] = {
        {Outcome::kDiskFull, L"Stopped: the disk is full", L"There was no more room on the disk."},
        {Outcome::kWriteFailed, L"Stopped: the file could not be written",
         L"Windows stopped the recorder writing to the file."},
        {Outcome::kDeviceFailed, L"Stopped: the microphone stopped",
         L"The microphone stopped delivering sound (it was unplugged, or the computer went to sleep)."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(outcomeName(c.why));
        RecorderReport r = Stopped(RecordingVerdict::TooLoud);
        r.outcome = c.why;
        RecorderWords kept = Words(r);
        EXPECT_EQ(std::wstring(kept.status), c.status);
        ASSERT_TRUE(kept.hasDetail);
        EXPECT_EQ(
            std::wstring(kept.detail),
            std::wstring(c.sentence) + L" Everything up to then (00:02, 0.2 MB) is kept in:\r\nC:\\Rec\\take.wav");
        RecorderWords empty = Words([&] {
            RecorderReport e = Stopped(RecordingVerdict::Empty);
            e.outcome = c.why;
            return e;
        }());
        EXPECT_EQ(std::wstring(empty.status), c.status);
        EXPECT_EQ(std::wstring(empty.detail),
                  std::wstring(c.sentence) + L" Nothing had been recorded yet, so no file was kept.");
    }

    RecorderReport beside = Stopped(RecordingVerdict::Saved);
    beside.outcome = Outcome::kDiskFull;
    beside.oldFileFate = OldFileFate::KeptBeside;
    beside.oldFilePath = L"C:\\Rec\\take (replaced).wav";
    beside.marksOutcome = Outcome::kDiskFull;
    beside.marksPath = L"C:\\Rec\\take marks.txt";
    EXPECT_EQ(std::wstring(Words(beside).detail),
              L"There was no more room on the disk. Everything up to then (00:02, 0.2 MB) is kept in:\r\n"
              L"C:\\Rec\\take.wav\r\nThe file it was to replace is kept as:\r\nC:\\Rec\\take (replaced).wav\r\n"
              L"The marks could not be saved to:\r\nC:\\Rec\\take marks.txt");

    // A Stop whose marks could not be written is not "Done and saved" alone; an empty take whose old file could not
    // get its name back says where that file is.
    RecorderReport marks = Stopped(RecordingVerdict::Saved);
    marks.marksOutcome = Outcome::kWriteFailed;
    marks.marksPath = L"C:\\Rec\\take marks.txt";
    EXPECT_EQ(std::wstring(Words(marks).status), L"Done and saved");
    EXPECT_EQ(std::wstring(Words(marks).detail),
              kSaved + L"\r\nThe marks could not be saved to:\r\nC:\\Rec\\take marks.txt");
    RecorderReport stranded = Stopped(RecordingVerdict::Empty);
    stranded.oldFileFate = OldFileFate::NameNotGivenBack;
    stranded.oldFilePath = L"C:\\Rec\\take (replaced).wav";
    EXPECT_EQ(std::wstring(Words(stranded).status), L"Nothing was recorded");
    EXPECT_EQ(std::wstring(Words(stranded).detail),
              L"The recording was empty, so no file was kept. Check your microphone and try again.\r\nThe earlier "
              L"recording could not get its name back and is kept as:\r\nC:\\Rec\\take (replaced).wav");
}

TEST(RecorderFeedback, AFileInTheWayIsNamedAndAMarkThatWasNotWrittenIsTold) {
    RecorderReport r = Failed(Outcome::kFileInTheWay);
    r.path = L"C:\\Rec\\take (replaced).wav";
    RecorderWords w = Words(r);
    EXPECT_EQ(std::wstring(w.status), L"Could not replace the file");
    EXPECT_EQ(std::wstring(w.detail),
              L"An earlier recording is still kept as:\r\nC:\\Rec\\take (replaced).wav\r\nMove, rename or delete that "
              L"file, then press Record again.");

    RecorderReport mark = Event(RecorderEvent::MarkAdded);
    mark.markNumber = 2;
    mark.seconds = 5;
    EXPECT_FALSE(Words(mark).hasDetail);
    mark.outcome = Outcome::kWriteFailed;
    RecorderWords told = Words(mark);
    EXPECT_EQ(std::wstring(told.status), L"Recording. Mark 2 added at 00:05");
    ASSERT_TRUE(told.hasDetail);
    EXPECT_EQ(std::wstring(told.detail),
              L"The mark could not be written to the marks file yet. It is kept and written "
              L"again when the recording stops.");
}
