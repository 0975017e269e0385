// The harness's window stand-in.
#include "cli/cli_host.h"

#include <stdio.h>
#include <string.h>
#include <time.h>

#include <chrono>

#include "app/recorder_feedback.h"
#include "base/wide_text.h"
#include "recorder/recorder.h"

CliWindowState cliWindow;

namespace {

// The lines the window would show, in the window's words.
void Report(const RecorderReport& report) {
    RecorderWords words;
    recorderReportWords(report, &words);
    if (words.hasStatus) WideCopyBounded(cliWindow.status, 512, words.status);
    if (words.hasDetail) WideCopyBounded(cliWindow.note, 1024, words.detail);
}
void Nothing() {}
void LoadForPlay(const wchar_t* path) {
    WideCopyBounded(cliWindow.loadedForPlay, 260, path);
}
void SetElapsed(const wchar_t*) {}
void StartTimer() {
    if (cliWindow.startTimer) cliWindow.startTimer();
}
void StopTimer() {
    if (cliWindow.stopTimer) cliWindow.stopTimer();
}
bool SkipSilence() {
    return cliWindow.skipSilence;
}
void* NotifyTarget() {
    return cliWindow.notifyTarget;
}
uint32_t TickMs() {
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void LocalTime(LocalDateTime* now) {
    time_t t = time(nullptr);
    struct tm parts;
#ifdef _WIN32
    localtime_s(&parts, &t);
#else
    localtime_r(&t, &parts);
#endif
    now->year = parts.tm_year + 1900;
    now->month = parts.tm_mon + 1;
    now->day = parts.tm_mday;
    now->hour = parts.tm_hour;
    now->minute = parts.tm_min;
    now->second = parts.tm_sec;
}

void PutUtf8(unsigned long c) {
    char b[4];
    int n;
    if (c < 0x80) {
        b[0] = static_cast<char>(c);
        n = 1;
    } else if (c < 0x800) {
        b[0] = static_cast<char>(0xC0 | (c >> 6));
        b[1] = static_cast<char>(0x80 | (c & 0x3F));
        n = 2;
    } else if (c < 0x10000) {
        b[0] = static_cast<char>(0xE0 | (c >> 12));
        b[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        b[2] = static_cast<char>(0x80 | (c & 0x3F));
        n = 3;
    } else {
        b[0] = static_cast<char>(0xF0 | (c >> 18));
        b[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        b[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        b[3] = static_cast<char>(0x80 | (c & 0x3F));
        n = 4;
    }
    fwrite(b, 1, static_cast<size_t>(n), stdout);
}

}  // namespace

const RecorderHostApi kCliRecorderHost = {
    .report = Report,
    .refreshControls = Nothing,
    .loadForPlay = LoadForPlay,
    .closePlayerFile = Nothing,
    .cancelPlaybackCapture = Nothing,
    .saveAllSettings = Nothing,
    .setElapsedText = SetElapsed,
    .startRecordingTimer = StartTimer,
    .stopRecordingTimer = StopTimer,
    .invalidateMeter = Nothing,
    .repaintWindow = Nothing,
    .skipSilenceChecked = SkipSilence,
    .captureNotifyTarget = NotifyTarget,
    .tickMs = TickMs,
    .takeInProgress = nullptr,
};

RecordingRequest cliRecordingRequest() {
    RecordingRequest request = {};
    request.formatSelection = cliWindow.formatSelection;
    request.replace = cliWindow.replace;
    WideCopyBounded(request.fileName, kFileNameBoxMaxRead + 1, cliWindow.fileNameText);
    WideCopyBounded(request.folder, kPathCapacity, cliWindow.folder);
    LocalTime(&request.now);
    return request;
}

void cliWindowReset() {
    memset(&cliWindow, 0, sizeof cliWindow);
}

void cliPrintValue(const char* key, const wchar_t* value) {
    printf("%s: ", key);
    for (size_t i = 0; value[i]; ++i) {
        unsigned long c = static_cast<unsigned long>(value[i]);
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c < 0xDC00 && value[i + 1] >= 0xDC00 && value[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<unsigned long>(value[i + 1]) - 0xDC00);
            ++i;
        }
        if (c == L'\r') {
            fputs("\\r", stdout);
        } else if (c == L'\n') {
            fputs("\\n", stdout);
        } else {
            PutUtf8(c);
        }
    }
    fputc('\n', stdout);
}

void cliPrintRecordingResult() {
    cliPrintValue("status", cliWindow.status);
    cliPrintValue("detail", cliWindow.note);
    cliPrintValue("path", recorder.lastRecordingSaved ? recorder.recordingPath : L"");
    cliPrintValue("marks", recorder.marksWritten ? recorder.marksPath : L"");
    fflush(stdout);
}
