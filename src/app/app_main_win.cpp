// Start-up and the message loop: the process-wide state, the window classes, the main window, and a loop that hands
// keys straight to the window while a shortcut is being captured.
#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include "app/app_services.h"
#include "app/controller.h"
#include "app/main_window_win.h"
#include "app/shortcut_feedback.h"
#include "app/typing_win.h"
#include "app/window_modes.h"
#include "base/file_api.h"
#include "notafon_version.h"
#include "panel/panel_host.h"
#include "panel/webview2_browser.h"
#include "player/mf_decoder_win.h"
#include "player/output_win.h"
#include "player/player.h"
#include "player/threads.h"
#include "recorder/capture_win.h"
#include "recorder/recorder.h"
#include "settings/settings_store.h"
#include "settings/settings_store_win.h"
#include "settings/settings_values.h"
#include "shortcuts/hotkeys_win.h"
#include "shortcuts/key_names_win.h"
#include "shortcuts/key_state_win.h"
#include "shortcuts/shortcut_registration.h"
#include "shortcuts/shortcut_text.h"
#include "ui/custom_controls_win.h"
#include "ui/fonts_win.h"
#include "ui/layout.h"
#include "ui/scale.h"

namespace {

const DWORD kMainWindowStyle = 0x02CF0000;  // overlapped window with clipping of children

const PlayerServicesApi kPlayerServices = {&kPlatformFiles, &kMediaFoundationDecoder, &kWaveOutApi, &kPlatformThreads};

void InstallServices() {
    const SettingsStoreApi settings = registrySettingsStore(kSettingsKeyPath);
    const AppServices services = {
        .settings = &settings,
        .keyNames = &kLayoutKeyNames,
        .keyStates = &kMessageKeyStates,
        .hotkeys = &kWindowHotkeys,
        .shortcutHost = &kAppShortcutHost,
        .controls = &kMainWindowControls,
        .placement = &kMainWindowPlacement,
        .shell = &kMainWindowShell,
        .capture = &kWaveInCaptureApi,
        .files = &kPlatformFiles,
        .recorderHost = &kAppRecorderHost,
        .player = &kPlayerServices,
        .typing = &kSystemTyping,
    };
    appInstall(&services);
    appReset();
}

// Before any library is loaded by name: only the system folder is searched. The portable copy runs from wherever it
// was unpacked (a download folder), where a DLL named like a system library would otherwise be taken first.
void RestrictLibrarySearch() {
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// The folder the process was started in stays open as its current directory for as long as it runs (a USB stick
// could not be ejected); nothing here uses relative paths, so the system folder, which never goes away, is held.
void LeaveStartFolder() {
    wchar_t system[MAX_PATH];
    UINT n = GetSystemDirectoryW(system, MAX_PATH);
    if (n > 0 && n < MAX_PATH) SetCurrentDirectoryW(system);
}

// One instance per user session: a second would fail to register the shortcuts (and offer to change them, in the
// shared settings), empty the shared hand-off folder under the first one's page, and overwrite its settings. The
// handle stays open for the life of the process; the system closes it at exit.
bool AnotherInstanceRuns() {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, L"Local\\Parlowen.Notafon.Instance");
    // Access denied: the mutex exists and belongs to an instance at a higher integrity level (run as administrator).
    if (!mutex) return GetLastError() == ERROR_ACCESS_DENIED;
    return GetLastError() == ERROR_ALREADY_EXISTS;
}

// The second start was the user's, so its process may set the foreground window (the system lets a process started by
// the foreground one do so): it brings the first instance's window forward, restored first if it was minimised. The
// first instance may still be building its window.
void BringFirstInstanceForward() {
    HWND first = nullptr;
    for (int waited = 0; !(first = FindWindowW(L"PRLWRecorder", nullptr)) && waited < 3000; waited += 50) Sleep(50);
    if (!first) return;
    if (IsIconic(first)) ShowWindow(first, SW_RESTORE);
    // A dialog the first instance shows (the open-file dialog) is what the user has to answer first.
    SetForegroundWindow(GetLastActivePopup(first));
}

// Only the main window and its direct children take part in dialog navigation; a shortcut capture gets every key.
void RunMessageLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (shortcutCaptureRunning()) {
            DispatchMessageW(&msg);
            continue;
        }
        if (MainWindow && (msg.hwnd == MainWindow || GetParent(msg.hwnd) == MainWindow) &&
            IsDialogMessageW(MainWindow, &msg)) {
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    RestrictLibrarySearch();
    if (AnotherInstanceRuns()) {
        BringFirstInstanceForward();
        return 0;
    }
    LeaveStartFolder();
    AppInstance = instance;
    OleInitialize(nullptr);
    InitCommonControls();
    HDC screen = GetDC(nullptr);
    dpiFactor = GetDeviceCaps(screen, LOGPIXELSX) / 96.0;
    ReleaseDC(nullptr, screen);
    uiScale = dpiFactor;
    WhiteBrush = CreateSolidBrush(RGB(255, 255, 255));
    InstallServices();
    CreateFonts(nullptr);
    RegisterMainWindowClass(instance);
    panelHostInstall(&kWebView2Panel, PanelCallbacks{onPanelAudioRequest, onPanelSignedInChanged, onPanelBrowserGone});
    loadSignedIn();
    RegisterCustomControls(instance);

    RECT rect = {0, 0, ScalePx(kColumnWidth), ScalePx(kInitialContentHeight)};
    AdjustWindowRect(&rect, kMainWindowStyle, FALSE);
    HWND window = CreateWindowExW(0, L"PRLWRecorder", L"Notafon v" NOTAFON_VERSION_SHORT_WIDE, kMainWindowStyle,
                                  CW_USEDEFAULT, CW_USEDEFAULT, rect.right - rect.left, rect.bottom - rect.top, nullptr,
                                  nullptr, instance, nullptr);
    if (window) {
        ShowWindow(window, show);
        UpdateWindow(window);
        RunMessageLoop();
    }
    OleUninitialize();
    return 0;
}
