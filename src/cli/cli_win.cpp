// Windows parts of the harness: killing itself, and the capture subcommand, which records from the real microphone
// through the waveIn adapter with a hidden window standing in for the main window's message handling.
#include <windows.h>

#include <limits.h>
#include <mmsystem.h>
#include <stdio.h>
#include <wchar.h>

#include "app/app_services.h"
#include "base/file_api.h"
#include "base/wide_text.h"
#include "cli/cli.h"
#include "cli/cli_host.h"
#include "cli/cli_options.h"
#include "recorder/capture_win.h"
#include "recorder/recorder.h"

namespace {

const UINT_PTR kRecordingTimer = 1;
const UINT_PTR kStopTimer = 2;
HWND window;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case MM_WIM_DATA:
            onCaptureBufferDone(reinterpret_cast<CaptureDevice>(wp), reinterpret_cast<CaptureHeader*>(lp));
            return 0;
        case WM_TIMER:
            if (wp == kRecordingTimer) onRecordingTimer();
            if (wp == kStopTimer) {
                KillTimer(hwnd, kStopTimer);
                stopRecording();
                PostQuitMessage(0);
            }
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

void StartTimer() {
    SetTimer(window, kRecordingTimer, 70, nullptr);
}
void StopTimer() {
    KillTimer(window, kRecordingTimer);
}

}  // namespace

void cliKillSelf() {
    fflush(nullptr);
    TerminateProcess(GetCurrentProcess(), 9);
    ExitProcess(9);
}

int cliCapture(int argc, wchar_t** argv) {
    int format = -999;
    double seconds = -1;
    const wchar_t* folder = nullptr;
    const wchar_t* name = L"";
    bool replace = false;
    const CliOption options[] = {
        cliWholeNumber(L"--format", INT_MIN, INT_MAX, &format),
        cliSeconds(L"--seconds", &seconds),
        cliText(L"--folder", &folder),
        cliText(L"--name", &name),
        cliFlag(L"--replace", &replace),
    };
    const CliCommandLine line = {options, sizeof options / sizeof options[0], nullptr, 0,
                                 "unknown option or missing value"};
    char refusal[kCliRefusalCapacity];
    if (cliParseCommandLine(line, argc, argv, refusal) < 0) return cliUsageError(refusal);
    if (format == -999 || !folder || seconds < 0) return cliUsageError("--format, --folder and --seconds are required");

    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"NotafonCliCapture";
    RegisterClassW(&wc);
    window = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    if (!window) {
        fprintf(stderr, "notafon-cli: cannot create the message window\n");
        return 1;
    }

    cliWindowReset();
    cliWindow.formatSelection = format;
    cliWindow.replace = replace;
    WideCopyBounded(cliWindow.fileNameText, 256, name);
    WideCopyBounded(cliWindow.folder, 260, folder);
    cliWindow.notifyTarget = window;
    cliWindow.startTimer = StartTimer;
    cliWindow.stopTimer = StopTimer;
    const AppServices services = {
        .capture = &kWaveInCaptureApi, .files = &kPlatformFiles, .recorderHost = &kCliRecorderHost};
    appInstall(&services);
    appReset();

    startRecording(cliRecordingRequest());
    if (recorder.state == RecorderState::Recording) {
        // Tells the feeding side that capture runs, so it can line its input up with the recording.
        printf("started: 1\n");
        fflush(stdout);
        SetTimer(window, kStopTimer, static_cast<UINT>(seconds * 1000.0), nullptr);
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    }
    cliPrintRecordingResult();
    DestroyWindow(window);
    return 0;
}
