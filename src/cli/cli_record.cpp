// notafon-cli record: feeds a WAV through the recorder exactly as the platform would, with a scripted capture device
// that fills consecutive 100 ms buffers, the last one partial, then stops.
#include <limits.h>
#include <stdio.h>
#include <wchar.h>

#include <vector>

#include "app/app_services.h"
#include "base/file_api.h"
#include "base/wide_text.h"
#include "cli/cli.h"
#include "cli/cli_host.h"
#include "cli/cli_options.h"
#include "cli/wav_input.h"
#include "recorder/capture_scripted.h"
#include "recorder/recorder.h"

namespace {

struct PauseSpan {
    double pauseAt;
    double resumeAt;
};

struct RecordOptions {
    int format = -999;
    const wchar_t* folder = nullptr;
    const wchar_t* name = L"";
    bool replace = false;
    bool skipSilence = false;
    std::vector<double> marks;
    std::vector<PauseSpan> pauses;
    double abortAt = -1.0;
    const wchar_t* input = nullptr;
};

// Parses the options; returns 0 or an exit code.
int ParseOptions(int argc, wchar_t** argv, RecordOptions* o) {
    std::vector<double> pauseAt, resumeAt;
    const CliOption options[] = {
        cliWholeNumber(L"--format", INT_MIN, INT_MAX, &o->format),
        cliText(L"--folder", &o->folder),
        cliText(L"--name", &o->name),
        cliFlag(L"--replace", &o->replace),
        cliFlag(L"--skip-silence", &o->skipSilence),
        cliNumbers(L"--mark-at", 0.0, kCliMaxSeconds, &o->marks),
        cliNumbers(L"--pause-at", 0.0, kCliMaxSeconds, &pauseAt),
        cliNumbers(L"--resume-at", 0.0, kCliMaxSeconds, &resumeAt),
        cliSeconds(L"--abort-at", &o->abortAt),
    };
    const CliCommandLine line = {options, sizeof options / sizeof options[0], &o->input, 1, "more than one input file"};
    char refusal[kCliRefusalCapacity];
    if (cliParseCommandLine(line, argc, argv, refusal) < 0) return cliUsageError(refusal);
    if (o->format == -999) return cliUsageError("--format is required");
    if (!o->folder) return cliUsageError("--folder is required");
    if (!o->input) return cliUsageError("an input WAV is required");
    if (pauseAt.size() != resumeAt.size()) return cliUsageError("each --pause-at needs a --resume-at");
    double last = -1.0;
    for (size_t k = 0; k < pauseAt.size(); ++k) {
        if (!(pauseAt[k] > last) || !(resumeAt[k] >= pauseAt[k])) {
            return cliUsageError("pauses must be in order, each resuming at or after it pauses");
        }
        last = resumeAt[k];
        o->pauses.push_back({pauseAt[k], resumeAt[k]});
    }
    return 0;
}

}  // namespace

int cliRecord(int argc, wchar_t** argv) {
    RecordOptions o;
    int bad = ParseOptions(argc, argv, &o);
    if (bad) return bad;

    WavInput in;
    int r = readWavInput(o.input, &in);
    if (r == -1) {
        fprintf(stderr, "notafon-cli: cannot open the input file\n");
        return 1;
    }
    if (r < 0) {
        fprintf(stderr, "notafon-cli: the input is not a readable WAV file\n");
        return 1;
    }
    const RecordingFormat& row = kRecordingFormats[recordingFormatRow(o.format)];
    if (in.formatTag != 1 || in.channels != 1 || in.bitsPerSample != 16) {
        fprintf(stderr, "notafon-cli: the input must be mono 16-bit PCM\n");
        return 1;
    }
    if (in.sampleRate != row.sampleRate) {
        fprintf(stderr, "notafon-cli: the input is at %d Hz but format %d records at %d Hz\n", in.sampleRate, o.format,
                row.sampleRate);
        return 1;
    }

    cliWindowReset();
    cliWindow.formatSelection = o.format;
    cliWindow.replace = o.replace;
    cliWindow.skipSilence = o.skipSilence;
    WideCopyBounded(cliWindow.fileNameText, 256, o.name);
    WideCopyBounded(cliWindow.folder, 260, o.folder);
    scriptedCaptureReset();
    const AppServices services = {
        .capture = &kScriptedCaptureApi, .files = &kPlatformFiles, .recorderHost = &kCliRecorderHost};
    appInstall(&services);
    appReset();

    startRecording(cliRecordingRequest());
    if (recorder.state != RecorderState::Recording) {
        cliPrintRecordingResult();
        return 0;
    }

    const double rate = row.sampleRate;
    const int64_t total = static_cast<int64_t>(in.samples.size());
    const int64_t abortAt = o.abortAt >= 0 ? static_cast<int64_t>(o.abortAt * rate) : -1;
    std::vector<bool> marked(o.marks.size(), false);
    size_t nextPause = 0;
    int64_t pos = 0;

    auto fireMarks = [&](double before) {
        for (size_t k = 0; k < o.marks.size(); ++k) {
            if (!marked[k] && o.marks[k] * rate < before && recorder.state == RecorderState::Recording) {
                addMark();
                marked[k] = true;
            }
        }
    };

    while (pos < total && recorder.state != RecorderState::Idle) {
        int64_t pauseSample =
            nextPause < o.pauses.size() ? static_cast<int64_t>(o.pauses[nextPause].pauseAt * rate) : INT64_MAX;
        if (pos >= pauseSample) {
            togglePause();
            scriptedCaptureDeliver();
            int64_t resume = static_cast<int64_t>(o.pauses[nextPause].resumeAt * rate);
            pos = resume > pos ? resume : pos;  // what the paused microphone heard is gone
            ++nextPause;
            if (pos < total) togglePause();
            continue;
        }
        int64_t room = scriptedCaptureRoom();
        if (room <= 0) break;
        // A mark is set once every buffer that ends at or before its time has been processed: now, when the next
        // buffer would end after it.
        int64_t nextEnd = pos + room < pauseSample ? pos + room : pauseSample;
        fireMarks(static_cast<double>(nextEnd));
        int64_t chunk = room;
        if (total - pos < chunk) chunk = total - pos;
        if (pauseSample - pos < chunk) chunk = pauseSample - pos;
        if (abortAt > pos && abortAt - pos < chunk) chunk = abortAt - pos;
        scriptedCaptureFeed(in.samples.data() + pos, static_cast<int>(chunk));
        scriptedCaptureDeliver();
        pos += chunk;
        if (abortAt >= 0 && pos >= abortAt) cliKillSelf();
    }
    if (abortAt >= 0) cliKillSelf();
    fireMarks(1.0e300);
    stopRecording();
    scriptedCaptureDeliver();
    cliPrintRecordingResult();
    return 0;
}
