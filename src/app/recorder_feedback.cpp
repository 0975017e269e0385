// Every text the window shows for a recording: its start or why it did not start, pause and resume, marks, the live
// too-loud warning and the verdict at stop.
#include "app/recorder_feedback.h"

#include "base/wide_text.h"
#include "recorder/time_text.h"

namespace {

void Say(RecorderWords* words, const wchar_t* status, const wchar_t* detail) {
    WideCopyBounded(words->status, kRecorderStatusCapacity, status);
    words->hasDetail = detail != nullptr;
    WideCopyBounded(words->detail, kRecorderDetailCapacity, detail ? detail : L"");
}

void StoppedWords(const RecorderReport& report, RecorderWords* words) {
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
            WideFormat(words->detail, kRecorderDetailCapacity,
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

}  // namespace

void recorderStartFailureWords(Outcome why, RecorderWords* words) {
    switch (why) {
        case Outcome::kCreateFailed:
        case Outcome::kWriteFailed:
        case Outcome::kDiskFull:
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
            recorderStartFailureWords(report.outcome, words);
            return;
        case RecorderEvent::Started:
            Say(words, L"Recording", L"Saving as you go. If anything goes wrong, your recording is already on disk.");
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
