// Windows parts of the harness: killing itself, and the capture subcommand, which records from the real microphone
// through the waveIn adapter with a hidden window standing in for the main window's message handling.
#include <windows.h>

#include <mmsystem.h>
#include <stdio.h>
#include <wchar.h>

#include "app/file_api.h"
#include "app/wide_text.h"
#include "cli/cli.h"
#include "cli/cli_host.h"
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
    for (int i = 0; i < argc; ++i) {
        bool hasValue = i + 1 < argc;
        if (wcscmp(argv[i], L"--format") == 0 && hasValue) {
            if (!cliParseInt(argv[++i], &format)) return cliUsageError("--format takes a whole number");
        } else if (wcscmp(argv[i], L"--seconds") == 0 && hasValue) {
            if (!cliParseSeconds(argv[++i], &seconds)) return cliUsageError("--seconds takes a number of seconds");
        } else if (wcscmp(argv[i], L"--folder") == 0 && hasValue) {
            folder = argv[++i];
        } else if (wcscmp(argv[i], L"--name") == 0 && hasValue) {
            name = argv[++i];
        } else if (wcscmp(argv[i], L"--replace") == 0) {
            replace = true;
        } else {
            return cliUsageError("unknown option or missing value");
        }
    }
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
    recorderReset();
    recorderInstall(&kWaveInCaptureApi, &kPlatformFiles, &kCliRecorderHost);

    startRecording();
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
