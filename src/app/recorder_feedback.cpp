// Every text the window shows for a recording: its start or why it did not start, pause and resume, marks, the live
// too-loud warning and the verdict at stop.
#include "app/recorder_feedback.h"

#include <wchar.h>

#include "base/wide_text.h"
#include "recorder/time_text.h"

namespace {

// The saved-recording detail keeps the length it always had.
const int kSavedDetailCapacity = 420;

void VerdictWords(const RecorderReport& report, RecorderWords* words);

void Say(RecorderWords* words, const wchar_t* status, const wchar_t* detail) {
    words->hasStatus = true;
    WideCopyBounded(words->status, kRecorderStatusCapacity, status);
    words->hasDetail = detail != nullptr;
    WideCopyBounded(words->detail, kRecorderDetailCapacity, detail ? detail : L"");
}

// Adds a line to the detail.
void Append(RecorderWords* words, const wchar_t* format, const wchar_t* value) {
    int used = static_cast<int>(wcslen(words->detail));
    WideFormat(words->detail + used, kRecorderDetailCapacity - used, format, value);
    words->hasDetail = true;
}

// The title and the first sentence for a take that something other than Stop ended; false for one that was stopped.
bool CutShortCause(Outcome why, const wchar_t** title, const wchar_t** sentence) {
    switch (why) {
        case Outcome::kDiskFull:
            *title = L"Stopped: the disk is full";
            *sentence = L"There was no more room on the disk.";
            return true;
        case Outcome::kDeviceFailed:
            *title = L"Stopped: the microphone stopped";
            *sentence = L"The microphone stopped delivering sound (it was unplugged, or the computer went to sleep).";
            return true;
        case Outcome::kOk:
            return false;
        default:
            *title = L"Stopped: the file could not be written";
            *sentence = L"Windows stopped the recorder writing to the file.";
            return true;
    }
}

// A take that ended before Stop: what ended it, and what of it is kept where.
void CutShortWords(const RecorderReport& report, const wchar_t* title, const wchar_t* sentence, RecorderWords* words) {
    words->hasStatus = true;
    WideCopyBounded(words->status, kRecorderStatusCapacity, title);
    words->hasDetail = true;
    if (report.verdict == RecordingVerdict::Empty) {
        WideFormat(words->detail, kRecorderDetailCapacity, L"%ls Nothing had been recorded yet, so no file was kept.",
                   sentence);
        return;
    }
    wchar_t duration[32];
    formatDuration(report.seconds, duration, 32);
    double megabytes = report.fileBytes < 0 ? 0.0 : static_cast<double>(report.fileBytes) / 1048576.0;
    WideFormat(words->detail, kRecorderDetailCapacity, L"%ls Everything up to then (%ls, %.1f MB) is kept in:\r\n%ls",
               sentence, duration, megabytes, report.path ? report.path : L"");
}

// What the stop did to the file a Replace take replaces, and to the marks file, when either went wrong.
void FileFateWords(const RecorderReport& report, RecorderWords* words) {
    const wchar_t* old = report.oldFilePath ? report.oldFilePath : L"";
    if (report.oldFileFate == OldFileFate::KeptBeside) {
        Append(words, L"\r\nThe file it was to replace is kept as:\r\n%ls", old);
    } else if (report.oldFileFate == OldFileFate::NameNotGivenBack) {
        Append(words, L"\r\nThe earlier recording could not get its name back and is kept as:\r\n%ls", old);
    }
    if (report.verdict != RecordingVerdict::Empty && !succeeded(report.marksOutcome))
        Append(words, L"\r\nThe marks could not be saved to:\r\n%ls", report.marksPath ? report.marksPath : L"");
}

void StoppedWords(const RecorderReport& report, RecorderWords* words) {
    const wchar_t* title = nullptr;
    const wchar_t* sentence = nullptr;
    if (CutShortCause(report.outcome, &title, &sentence)) {
        CutShortWords(report, title, sentence, words);
        FileFateWords(report, words);
        return;
    }
    VerdictWords(report, words);
    FileFateWords(report, words);
}

void VerdictWords(const RecorderReport& report, RecorderWords* words) {
    switch (report.verdict) {
        case RecordingVerdict::Empty:
            Say(words, L"Nothing was recorded",
                L"The recording was empty, so no file was kept. Check your microphone and try again.");
            return;
        case RecordingVerdict::Silent:
            Say(words, L"Saved, but no sound was picked up",
                L"The recording is silent. In Windows go to Settings, Privacy, Microphone and switch on \"Let desktop "
                L"apps access your microphone\", then record again.");
            break;
        case RecordingVerdict::TooLoud:
            Say(words, L"Saved, but the sound was too loud",
                L"Your microphone was too loud, so parts of this recording are distorted. In Windows go to Settings, "
                L"System, Sound, Input, lower the microphone volume (and switch off Microphone Boost if you see it), "
                L"then record again.");
            break;
        case RecordingVerdict::Saved: {
            wchar_t duration[32];
            formatDuration(report.seconds, duration, 32);
            double megabytes = report.fileBytes < 0 ? 0.0 : static_cast<double>(report.fileBytes) / 1048576.0;
            Say(words, L"Done and saved", nullptr);
            words->hasDetail = true;
            WideFormat(words->detail, kSavedDetailCapacity,
                       L"Saved (%ls, %.1f MB) to:\r\n%ls\r\nNext: press \"Transcribe on Parlowen\" and choose this "
                       L"file there.",
                       duration, megabytes, report.path ? report.path : L"");
            break;
        }
    }
    // A full WAV file names itself in the title; the explanation stays the verdict's.
    if (report.stoppedAtSizeLimit)
        WideCopyBounded(words->status, kRecorderStatusCapacity, L"Stopped: the WAV file is full");
}

// What the detail line says while a take runs normally: saving as you go, and which microphone when it is not the
// chosen one.
void RunningDetail(const RecorderReport& report, RecorderWords* words) {
    words->hasDetail = true;
    if (!report.inputFallback) {
        WideCopyBounded(words->detail, kRecorderDetailCapacity,
                        L"Saving as you go. If anything goes wrong, your recording is already on disk.");
        return;
    }
    WideFormat(words->detail, kRecorderDetailCapacity,
               L"The microphone \"%ls\" was not found, so this recording uses the Windows default microphone. Saving "
               L"as you go. If anything goes wrong, your recording is already on disk.",
               report.inputName ? report.inputName : L"");
}

// Only the detail changes: the status line may carry a mark notice or the too-loud warning, which stay theirs.
void NoSoundWords(const RecorderReport& report, RecorderWords* words) {
    words->hasStatus = false;
    words->status[0] = 0;
    if (report.event == RecorderEvent::NoSoundEnds) {
        RunningDetail(report, words);
        return;
    }
    words->hasDetail = true;
    WideCopyBounded(words->detail, kRecorderDetailCapacity,
                    L"No sound is being picked up. In Windows go to Settings, Privacy, Microphone and switch on \"Let "
                    L"desktop apps access your microphone\", then stop and record again.");
}

}  // namespace

void recorderStartFailureWords(Outcome why, RecorderWords* words) {
    switch (why) {
        case Outcome::kDiskFull:
            Say(words, L"The disk is full",
                L"There is no room on the disk for a recording. Free some space, or open Settings and choose another "
                L"folder, then press Record again.");
            return;
        case Outcome::kCreateFailed:
        case Outcome::kWriteFailed:
            Say(words, L"Could not create the file",
                L"Windows would not let the recorder write there. Open Settings and choose another folder, or close "
                L"any program using a file with the same name.");
            return;
        case Outcome::kUnsupportedFormat:
        case Outcome::kEncoderFailed:
            Say(words, L"Could not start the MP3 encoder", L"Choose WAV in Settings and try again.");
            return;
        default:
            // No device, or one that refused its buffers or would not start (out of memory included): the remedy the
            // user has is the microphone.
            Say(words, L"No microphone found",
                L"Plug in or enable a microphone in Windows sound settings, then press Record again.");
            return;
    }
}

void recorderReportWords(const RecorderReport& report, RecorderWords* words) {
    switch (report.event) {
        case RecorderEvent::StartFailed:
            if (report.outcome == Outcome::kFileInTheWay) {
                Say(words, L"Could not replace the file", nullptr);
                words->hasDetail = true;
                WideFormat(words->detail, kRecorderDetailCapacity,
                           L"An earlier recording is still kept as:\r\n%ls\r\nMove, rename or delete that file, then "
                           L"press Record again.",
                           report.path ? report.path : L"");
                return;
            }
            recorderStartFailureWords(report.outcome, words);
            return;
        case RecorderEvent::Started:
            Say(words, L"Recording", nullptr);
            RunningDetail(report, words);
            return;
        case RecorderEvent::NoSoundStarts:
        case RecorderEvent::NoSoundEnds:
            NoSoundWords(report, words);
            return;
        case RecorderEvent::Paused:
            Say(words, L"Paused", nullptr);
            return;
        case RecorderEvent::Resumed:
        case RecorderEvent::LoudWarningEnds:
            Say(words, L"Recording", nullptr);
            return;
        case RecorderEvent::LoudWarningStarts:
            Say(words, L"Recording. Too loud, move back from the microphone", nullptr);
            return;
        case RecorderEvent::MarkAdded: {
            wchar_t duration[32];
            formatDuration(report.seconds, duration, 32);
            Say(words, L"", nullptr);
            WideFormat(words->status, kRecorderStatusCapacity, L"Recording. Mark %d added at %ls", report.markNumber,
                       duration);
            if (!succeeded(report.outcome)) {
                words->hasDetail = true;
                WideCopyBounded(words->detail, kRecorderDetailCapacity,
                                L"The mark could not be written to the marks file yet. It is kept and written again "
                                L"when the recording stops.");
            }
            return;
        }
        case RecorderEvent::MarkNotStored:
            Say(words, L"", nullptr);
            WideFormat(words->status, kRecorderStatusCapacity,
                       L"Recording. Mark not stored: %d marks is the most a recording keeps", kMaxMarks);
            return;
        case RecorderEvent::Stopped:
            StoppedWords(report, words);
            return;
    }
    Say(words, L"", nullptr);
}
