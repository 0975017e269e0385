// The application tests' window stand-in and fixture.
#include "app_fixture.h"

#include "app/app_services.h"
#include "app/controller.h"

#include "app/shortcut_feedback.h"
#include "app/window_modes.h"
#include "base/wide_text.h"
#include "panel/panel_host.h"
#include "player/general_decoder.h"
#include "player/output_fake.h"
#include "player/player.h"
#include "player/threads_manual.h"
#include "recorder/capture_scripted.h"
#include "recorder/recorder.h"
#include "settings/settings_store_memory.h"
#include "shortcuts/key_names.h"
#include "shortcuts/key_state.h"
#include "shortcuts/shortcut.h"
#include "shortcuts/shortcut_registration.h"
#include "shortcuts/shortcut_text.h"
#include "support/fake_panel.h"
#include "support/test_host.h"
#include "ui/control_table.h"
#include "ui/layout.h"

FakeWindow window;

FakeControl* C(int id) {
    auto it = window.controls.find(id);
    return it == window.controls.end() ? nullptr : &it->second;
}

namespace {

void SetText(int id, const wchar_t* t) {
    if (FakeControl* c = C(id)) {
        c->text = t;
        c->setTextCalls++;
    }
}
int GetText(int id, wchar_t* out, int capacity) {
    FakeControl* c = C(id);
    if (!c) return -1;
    int n = 0;
    for (; n < capacity - 1 && n < static_cast<int>(c->text.size()); ++n) out[n] = c->text[static_cast<size_t>(n)];
    out[n] = 0;
    return n;
}
bool Exists(int id) {
    return C(id) != nullptr;
}
void Enable(int id, bool on) {
    if (FakeControl* c = C(id)) c->enabled = on;
}
bool IsChecked(int id) {
    return C(id) && C(id)->checked;
}
void SetChecked(int id, bool on) {
    if (FakeControl* c = C(id)) c->checked = on;
}
int ListSelection(int id) {
    return C(id) ? C(id)->selection : -1;
}
void SetListSelection(int id, int row) {
    if (FakeControl* c = C(id)) c->selection = row;
}
void SetListRows(int id, const wchar_t* const* rows, int count) {
    FakeControl* c = C(id);
    if (!c) return;
    c->rows.assign(rows, rows + count);
    c->selection = -1;
}
int SliderPosition(int id) {
    return C(id) ? C(id)->slider : 0;
}
void SetSliderPosition(int id, int pos) {
    if (FakeControl* c = C(id)) c->slider = pos;
}
void Repaint(int id, bool) {
    if (FakeControl* c = C(id)) c->repaints++;
}
void Nothing() {}
void StartTimer(int id, int ms) {
    window.timers[id] = ms;
}
void StopTimer(int id) {
    window.timers.erase(id);
}
void Layout() {
    window.layouts++;
    window.layoutForcedWidths.push_back(layoutState.forcedWidth);
    window.layoutKeptSizes.push_back(layoutState.keepWindowSize);
}
bool ReadPlacement(ScreenRect* normal, bool* maximised) {
    *normal = window.normal;
    *maximised = window.maximised;
    return window.placementReadable;
}
void RestoreWindow() {
    window.restores++;
    window.maximised = false;
}
void SetMiniStyle(bool mini) {
    window.miniStyle = mini;
}
bool OuterSize(int* w, int* h) {
    *w = window.outerWidth;
    *h = window.outerHeight;
    return true;
}
bool WorkAreaAt(int x, int y, ScreenRect* area) {
    window.workAreaPoints.push_back({x, y});
    *area = window.workArea;
    return window.workAreaReadable;
}
bool WorkAreaNearest(const ScreenRect*, ScreenRect* area) {
    *area = window.workArea;
    return window.workAreaReadable;
}
void MoveWindowTo(int x, int y) {
    window.moves.push_back({x, y});
    window.left = x;
    window.top = y;
}
int ClientWidthUnits() {
    return window.clientUnits;
}
void PanelRectangle(int* x, int* y, int* w, int* h) {
    *x = 380;
    *y = 0;
    *w = 480;
    *h = 520;
}
void* PanelParent() {
    return reinterpret_cast<void*>(0x1234);
}
void HiddenFrame(ScreenRect* thickness) {
    *thickness = window.hiddenFrame;
}
bool ChooseFolder(wchar_t* out, int capacity) {
    if (window.chosenFolder.empty()) return false;
    WideCopyBounded(out, capacity, window.chosenFolder.c_str());
    return true;
}
void OpenAddress(const wchar_t* address) {
    window.opened.push_back(address);
}
void ApplyZoom(int) {
    window.zooms++;
}
void MessageBox(const wchar_t* text, const wchar_t*) {
    window.messageBoxes.push_back(text);
}
bool ChooseFile(wchar_t* out, int capacity) {
    if (window.chosenFile.empty()) return false;
    int n = 0;
    for (; n < capacity - 1 && n < static_cast<int>(window.chosenFile.size()); ++n)
        out[n] = window.chosenFile[static_cast<size_t>(n)];
    out[n] = 0;
    return true;
}
void ShowInFolder(const wchar_t*) {}
void SetOnTop(bool on) {
    window.onTop = on;
}
bool TopLeft(int* l, int* t) {
    *l = window.left;
    *t = window.top;
    return window.rectReadable;
}
void* NotifyTarget() {
    return nullptr;
}
void LocalTime(LocalDateTime* now) {
    *now = LocalDateTime{2026, 1, 2, 3, 4, 5};
}
uint32_t TickMs() {
    return window.tickMs;
}
void Destroy() {
    window.destroyed = true;
}
void Focus() {
    window.focusCalls++;
}
void BlockShutdown(const wchar_t* reason) {
    window.shutdownReason = reason ? reason : L"";
}
bool Confirm(const wchar_t* text, const wchar_t*) {
    window.questions.push_back(text);
    return window.confirmAnswer;
}

}  // namespace

const WindowControlsApi kFakeControls = {
    .setText = SetText,
    .getText = GetText,
    .exists = Exists,
    .enable = Enable,
    .isChecked = IsChecked,
    .setChecked = SetChecked,
    .listSelection = ListSelection,
    .setListSelection = SetListSelection,
    .setListRows = SetListRows,
    .sliderPosition = SliderPosition,
    .setSliderPosition = SetSliderPosition,
    .repaint = Repaint,
    .repaintWindow = Nothing,
    .invalidateMeter = Nothing,
    .startTimer = StartTimer,
    .stopTimer = StopTimer,
    .layout = Layout,
    .applyZoom = ApplyZoom,
};

const WindowPlacementApi kFakePlacement = {
    .readPlacement = ReadPlacement,
    .restoreWindow = RestoreWindow,
    .setMiniStyle = SetMiniStyle,
    .outerSize = OuterSize,
    .workAreaAt = WorkAreaAt,
    .workAreaNearest = WorkAreaNearest,
    .moveWindow = MoveWindowTo,
    .clientWidthUnits = ClientWidthUnits,
    .panelRect = PanelRectangle,
    .panelParent = PanelParent,
    .windowTopLeft = TopLeft,
    .hiddenFrame = HiddenFrame,
};

const WindowShellApi kFakeShell = {
    .messageBox = MessageBox,
    .chooseAudioFile = ChooseFile,
    .chooseFolder = ChooseFolder,
    .showInFolder = ShowInFolder,
    .openAddress = OpenAddress,
    .setOnTop = SetOnTop,
    .confirm = Confirm,
    .destroyWindow = Destroy,
    .focusMainWindow = Focus,
    .localTime = LocalTime,
    .captureNotifyTarget = NotifyTarget,
    .tickMs = TickMs,
    .blockShutdown = BlockShutdown,
};

std::map<int, std::pair<uint32_t, uint32_t>> hotkeys;
bool refuseHotkeys = false;
uint32_t refusedKey = 0;
std::vector<uint32_t> heldKeys;
MemorySettingsStore store;

namespace {

int16_t KeyState(uint32_t key) {
    for (uint32_t k : heldKeys) {
        if (k == key) return static_cast<int16_t>(0x8000);
    }
    return 0;
}
const KeyStateApi kFakeKeyStates = {KeyState};

bool HotkeyWindow() {
    return true;
}
bool RegisterHotkey(int id, uint32_t mods, uint32_t key) {
    if (refuseHotkeys || key == refusedKey) return false;
    hotkeys[id] = {mods, key};
    return true;
}
void UnregisterHotkey(int id) {
    hotkeys.erase(id);
}

const PlayerServicesApi kTestPlayer = {&kPlatformFiles, &kNoGeneralDecoder, &kFakeOutputApi, &kManualThreads};

}  // namespace

const HotkeyApi kFakeHotkeys = {
    .windowExists = HotkeyWindow,
    .registerHotkey = RegisterHotkey,
    .unregisterHotkey = UnregisterHotkey,
};

void FeedMicrophone(const std::vector<int16_t>& samples) {
    size_t from = 0;
    while (from < samples.size() && scriptedCaptureRoom() > 0) {
        size_t n = std::min(static_cast<size_t>(scriptedCaptureRoom()), samples.size() - from);
        scriptedCaptureFeed(samples.data() + from, static_cast<int>(n));
        scriptedCaptureDeliver();
        from += n;
    }
}

void ControllerTest::SetUp() {
    folder = makeTestFolder("ctl");
    window = FakeWindow();
    // Every control of the list, as the real window has them all.
    for (const ControlSpec& c : kControls) window.controls[c.key] = FakeControl();
    C(kIdVolume)->slider = 100;
    C(kIdSpeed)->slider = 20;
    C(kIdQuality)->selection = 5;
    C(kIdPause)->text = L"Pause";
    hotkeys.clear();
    refuseHotkeys = false;
    refusedKey = 0;
    heldKeys.clear();
    memorySettingsReset(&store);
    fake = FakeSystem();
    fakeOutputReset();
    manualThreadsReset();
    scriptedCaptureReset();
    const SettingsStoreApi settings = memorySettingsSeam(&store);
    const AppServices services = {
        .settings = &settings,
        .keyNames = &kEnglishKeyNames,
        .keyStates = &kFakeKeyStates,
        .hotkeys = &kFakeHotkeys,
        .shortcutHost = &kAppShortcutHost,
        .controls = &kFakeControls,
        .placement = &kFakePlacement,
        .shell = &kFakeShell,
        .capture = &kScriptedCaptureApi,
        .files = &kPlatformFiles,
        .recorderHost = &kAppRecorderHost,
        .player = &kTestPlayer,
    };
    appInstall(&services);
    appReset();
    panelHostInstall(&kFakePanel, PanelCallbacks{onPanelAudioRequest, onPanelSignedInChanged, onPanelBrowserGone});
    SetSaveFolder(folder.wstring().c_str());
}

void ControllerTest::TearDown() {
    if (recorder.state != RecorderState::Idle) stopRecording();
    ClosePlayerFile();
    ClosePanel();
    panelHost.callbacks = PanelCallbacks{};
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
}

std::wstring ControllerTest::LoadSeconds(double seconds, const char* name) {
    auto path = folder / name;
    writeMonoWav(path, 8000, std::vector<short>(static_cast<size_t>(seconds * 8000), 1000));
    EXPECT_EQ(LoadForPlay(path.wstring().c_str()), 0);
    return path.wstring();
}

bool ControllerTest::WasWritten(const wchar_t* name) {
    for (const std::wstring& written : Writes()) {
        if (written == name) return true;
    }
    return false;
}

std::vector<std::wstring> ControllerTest::Writes() {
    std::vector<std::wstring> names;
    for (int i = 0; i < store.writeCount && i < kMemorySettingsLogLength; ++i) names.push_back(store.writeLog[i]);
    return names;
}
