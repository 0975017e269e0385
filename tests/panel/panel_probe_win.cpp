// A small window program that installs the panel host over WebView2 and runs a script of host calls given on the
// command line, so the host can be driven under Wine against the test double (or the genuine loader) without the
// application. Each step prints what it saw, one "key: value" line (UTF-8) at a time:
//   open X Y W H        CreatePanel on the probe's window with the service's panel address; prints "open: 1|0"
//   wait-created MS     pumps messages until the panel is created or MS ms have passed; prints "created: 1|0"
//   pump MS             pumps messages for MS ms
//   page TEXT           appends TEXT as one line to the double's inbox and pumps until the double has taken it
//   bounds X Y W H | show 0|1 | reset | close     SetPanelBounds, ShowPanel, ResetPanel, ClosePanel
//   loaded PATH         the file the audio-request callback hands over (as the player's loaded file would be)
//   handoff PATH        HandOffAudio(PATH)
//   state               prints created:, ready:, pending:, data-folder: and handoff-folder:
//   move X Y            moves the probe's window (the browser is told through WM_MOVE)
//   lock PATH           opens PATH for reading, sharing only reading, until the probe ends (another instance
//                       that has loaded that file as its loader)
//   readonly PATH       gives PATH the read-only attribute
//   fetch ORIGIN URL    the page requests URL with that Origin header ("-": none), through the double's inbox
//   fetch-copy ORIGIN   the same for the hand-off copy announced last
// The callbacks print "error: TEXT", "signed-in: N", "audio-request" and "browser-gone"; the error and audio-request
// callbacks also write "host: error TEXT" and "host: audio-request" into the double's log, so a test can see whether
// they ran inside one of the browser's handlers or after it had returned. The window procedure runs the host's
// deferred work as the application's does.
#include <windows.h>

#include <objbase.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

#include <string>

#include "panel/page_protocol.h"
#include "panel/panel_host.h"
#include "panel/service_address.h"
#include "panel/webview2_browser.h"

namespace {

wchar_t loadedPath[MAX_PATH];

void PrintLine(const char* key, const wchar_t* value) {
    char text[8192];
    if (WideCharToMultiByte(CP_UTF8, 0, value ? value : L"", -1, text, sizeof text, nullptr, nullptr) <= 0) text[0] = 0;
    printf("%s: %s\n", key, text);
    fflush(stdout);
}

void PrintNumber(const char* key, long value) {
    printf("%s: %ld\n", key, value);
    fflush(stdout);
}

void LogToDouble(const char* key, const wchar_t* value) {
    wchar_t path[MAX_PATH];
    if (!GetEnvironmentVariableW(L"NOTAFON_WEBVIEW2_DOUBLE_LOG", path, MAX_PATH)) return;
    char text[4096];
    if (WideCharToMultiByte(CP_UTF8, 0, value ? value : L"", -1, text, sizeof text, nullptr, nullptr) <= 0) text[0] = 0;
    FILE* f = _wfopen(path, L"ab");
    if (!f) return;
    fprintf(f, "host: %s%s%s\n", key, text[0] ? " " : "", text);
    fclose(f);
}

void OnError(const wchar_t* text) {
    LogToDouble("error", text);
    PrintLine("error", text);
}
void OnSignedIn(int state) {
    PrintNumber("signed-in", state);
}
void OnBrowserGone() {
    PrintLine("browser-gone", L"");
}
void OnAudioRequest() {
    LogToDouble("audio-request", L"");
    PrintLine("audio-request", loadedPath);
    if (loadedPath[0]) HandOffAudio(loadedPath);
}

void Pump(DWORD milliseconds, bool (*done)()) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done && done()) return;
        if (GetTickCount() - start >= milliseconds) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

bool Created() {
    return IsPanelCreated();
}

wchar_t inboxPath[MAX_PATH];
bool InboxTaken() {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(inboxPath, GetFileExInfoStandard, &data)) return true;
    return data.nFileSizeLow == 0 && data.nFileSizeHigh == 0;
}

void AppendToInbox(const wchar_t* text) {
    if (!GetEnvironmentVariableW(L"NOTAFON_WEBVIEW2_DOUBLE_INBOX", inboxPath, MAX_PATH)) {
        PrintLine("probe-error", L"NOTAFON_WEBVIEW2_DOUBLE_INBOX is not set");
        return;
    }
    char line[8192];
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, line, sizeof line - 2, nullptr, nullptr);
    if (n <= 0) return;
    FILE* f = _wfopen(inboxPath, L"ab");
    if (!f) return;
    fprintf(f, "%s\n", line);
    fclose(f);
    Pump(5000, InboxTaken);
    Pump(50, nullptr);  // whatever the delivery posted
}

int Arg(wchar_t** argv, int i) {
    return _wtoi(argv[i]);
}

LRESULT CALLBACK ProbeWindowProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_MOVE:
            NotifyPanelParentMoved();
            break;
        case kPanelDeferredMessage:
            PanelRunDeferred();
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, msg, wp, lp);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    OleInitialize(nullptr);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ProbeWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"NotafonPanelProbe";
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(0, L"NotafonPanelProbe", L"Panel probe", WS_OVERLAPPEDWINDOW, 0, 0, 900, 600, nullptr,
                                  nullptr, wc.hInstance, nullptr);
    ShowWindow(window, SW_SHOW);
    panelHostInstall(&kWebView2Panel, PanelCallbacks{OnAudioRequest, OnSignedIn, OnBrowserGone});

    wchar_t address[kPanelAddressCapacity];
    ServicePanelAddress(address, kPanelAddressCapacity);
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        const wchar_t* command = argv[i];
        int left = argc - i - 1;
        if (wcscmp(command, L"open") == 0 && left >= 4) {
            bool ok = CreatePanel(window, Arg(argv, i + 1), Arg(argv, i + 2), Arg(argv, i + 3), Arg(argv, i + 4),
                                  address, OnError);
            PrintNumber("open", ok ? 1 : 0);
            i += 4;
        } else if (wcscmp(command, L"wait-created") == 0 && left >= 1) {
            Pump(static_cast<DWORD>(Arg(argv, ++i)), Created);
            PrintNumber("created", IsPanelCreated() ? 1 : 0);
        } else if (wcscmp(command, L"pump") == 0 && left >= 1) {
            Pump(static_cast<DWORD>(Arg(argv, ++i)), nullptr);
        } else if (wcscmp(command, L"page") == 0 && left >= 1) {
            AppendToInbox(argv[++i]);
        } else if (wcscmp(command, L"bounds") == 0 && left >= 4) {
            SetPanelBounds(Arg(argv, i + 1), Arg(argv, i + 2), Arg(argv, i + 3), Arg(argv, i + 4));
            i += 4;
        } else if (wcscmp(command, L"show") == 0 && left >= 1) {
            ShowPanel(Arg(argv, ++i));
        } else if (wcscmp(command, L"reset") == 0) {
            ResetPanel();
        } else if (wcscmp(command, L"close") == 0) {
            ClosePanel();
        } else if (wcscmp(command, L"loaded") == 0 && left >= 1) {
            wcsncpy(loadedPath, argv[++i], MAX_PATH - 1);
        } else if (wcscmp(command, L"handoff") == 0 && left >= 1) {
            HandOffAudio(argv[++i]);
        } else if (wcscmp(command, L"move") == 0 && left >= 2) {
            SetWindowPos(window, nullptr, Arg(argv, i + 1), Arg(argv, i + 2), 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            i += 2;
        } else if (wcscmp(command, L"lock") == 0 && left >= 1) {
            HANDLE held = CreateFileW(argv[++i], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
            PrintNumber("locked", held != INVALID_HANDLE_VALUE ? 1 : 0);
        } else if (wcscmp(command, L"readonly") == 0 && left >= 1) {
            PrintNumber("readonly", SetFileAttributesW(argv[++i], FILE_ATTRIBUTE_READONLY) ? 1 : 0);
        } else if (wcscmp(command, L"fetch") == 0 && left >= 2) {
            std::wstring line = std::wstring(L"!fetch ") + argv[i + 1] + L" " + argv[i + 2];
            AppendToInbox(line.c_str());
            i += 2;
        } else if (wcscmp(command, L"fetch-copy") == 0 && left >= 1) {
            std::wstring line =
                std::wstring(L"!fetch ") + argv[++i] + L" https://" + kHandoffHost + L"/" + panelHost.copyName;
            AppendToInbox(line.c_str());
        } else if (wcscmp(command, L"state") == 0) {
            PrintNumber("created", IsPanelCreated() ? 1 : 0);
            PrintNumber("ready", panelHost.pageReady);
            PrintLine("pending", panelHost.pendingMessage ? panelHost.pendingMessage : L"(none)");
            PrintLine("data-folder", panelHost.dataFolder);
            PrintLine("handoff-folder", panelHost.handoffFolder);
        } else {
            PrintLine("probe-error", command);
            status = 2;
            break;
        }
    }
    DestroyWindow(window);
    OleUninitialize();
    return status;
}
