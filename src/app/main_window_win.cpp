// The main window. Its creation message builds the controls of the column in a fixed order and applies the saved
// settings; the settings page's controls follow once the window has first painted (or when the page opens first). Its
// procedure routes each message to the controller, the recorder or the shortcuts. The controls are reached through a
// table of handles keyed by identifier, because those moved into the settings container are no longer the main
// window's direct children (and several share identifier 0).
#include "app/main_window_win.h"

#include <commctrl.h>
#include <mmsystem.h>
#include <shellapi.h>
#include <windowsx.h>

#include "app/controller.h"
#include "app/settings_save.h"
#include "app/window_controls.h"
#include "app/window_modes.h"
#include "base/wide_text.h"
#include "panel/panel_host.h"
#include "player/player.h"
#include "recorder/recorder.h"
#include "settings/settings_values.h"
#include "shortcuts/hotkeys_win.h"
#include "shortcuts/shortcut.h"
#include "shortcuts/shortcut_registration.h"
#include "ui/control_ids.h"
#include "ui/control_lookup_win.h"
#include "ui/control_table.h"
#include "ui/custom_controls_win.h"
#include "ui/deferred_page.h"
#include "ui/fonts_win.h"
#include "ui/layout.h"
#include "ui/layout_apply_win.h"
#include "ui/paint_win.h"
#include "ui/scale.h"
#include "ui/window_dpi_win.h"

HINSTANCE AppInstance;
HWND MainWindow;

namespace {

struct ControlHandle {
    int key;
    HWND hwnd;
};
ControlHandle handles[kControlCount];
int handleCount;
HWND settingsContainer;
bool windowCreated;
// Creating the page's sixty controls took most of the start-up beyond a bare window's, for a page that is closed at
// start.
DeferredPage deferredPage;

}  // namespace

HWND FindControl(int key) {
    for (int i = 0; i < handleCount; ++i) {
        if (handles[i].key == key) return handles[i].hwnd;
    }
    return nullptr;
}

namespace {

HWND Find(int key) {
    return FindControl(key);
}

int KeyOf(HWND hwnd) {
    for (int i = 0; i < handleCount; ++i) {
        if (handles[i].hwnd == hwnd) return handles[i].key;
    }
    return -1;
}

HWND Container() {
    return settingsContainer;
}

void PanelPlaced(const RECT& bounds) {
    onPanelPlaced(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
}

}  // namespace

LayoutFlags MainLayoutFlags() {
    bool recording = recorder.state != RecorderState::Idle;
    return LayoutFlags{recording,
                       shellState().PlayerLoaded,
                       recorder.recordingPath[0] != 0,
                       shellState().settingsOpen,
                       shellState().miniMode,
                       shellState().panelOpen,
                       shellState().recorderHidden};
}

namespace {

PaintState PaintStateNow() {
    PaintState p = {};
    p.recorderState = static_cast<int>(recorder.state);
    p.level = recorder.levels.level;
    p.playerShown = recorder.state == RecorderState::Idle && shellState().PlayerLoaded;
    p.playing = shellState().PlayerLoaded && playerIsPlaying();
    p.settingsOpen = shellState().settingsOpen;
    p.signedIn = shellState().SignedIn;
    p.panelOpen = shellState().panelOpen;
    p.recorderHidden = shellState().recorderHidden;
    p.miniMode = shellState().miniMode;
    p.recordShortcut = {RecordShortcut.mods, RecordShortcut.key};
    // The box shows the four transport slots only.
    for (int i = 0; i < 4; ++i) p.playbackShortcuts[i] = {PlaybackShortcuts[i].mods, PlaybackShortcuts[i].key};
    p.rewindSeconds = shellState().RewindSeconds;
    return p;
}

}  // namespace

void LayoutMainWindow() {
    LayoutFlags flags = MainLayoutFlags();
    if (flags.settingsOpen) BuildSettingsPage();
    ApplyLayout(MainWindow, flags);
}

namespace {

// The table's style bits are the platform's own.
static_assert(style::kTabStop == WS_TABSTOP && style::kVScroll == WS_VSCROLL, "window styles");
static_assert(style::kOwnerDrawButton == BS_OWNERDRAW && style::kAutoCheckBox == BS_AUTOCHECKBOX, "button styles");
static_assert(style::kStaticLeft == SS_LEFT && style::kStaticCenter == SS_CENTER &&
                  style::kStaticOwnerDraw == SS_OWNERDRAW && style::kStaticEndEllipsis == SS_ENDELLIPSIS &&
                  style::kStaticPathEllipsis == SS_PATHELLIPSIS,
              "static styles");
static_assert(style::kEditAutoHScroll == ES_AUTOHSCROLL && style::kComboDropDownList == CBS_DROPDOWNLIST &&
                  style::kScrollBarVertical == SBS_VERT && style::kExClientEdge == WS_EX_CLIENTEDGE,
              "control styles");

// The slot rows' labels come from the playback slot table.
const wchar_t* CreationText(const ControlSpec& spec) {
    if (!spec.text && spec.key >= kLabelSlot && spec.key < kLabelSlot + kPlaybackSlotCount) {
        return kPlaybackSlots[spec.key - kLabelSlot].label;
    }
    return spec.text;
}

// Creates one control of the table as a child of the main window (or, for the settings page, of the scrolling
// container) with its font. It has no size until the first layout pass, which places every control before the window
// is first shown; the strip is placed with the panel.
void CreateFromSpec(const ControlSpec& spec) {
    const wchar_t* text = CreationText(spec);
    HWND hwnd =
        CreateWindowExW(spec.exStyle, controlClassName(spec.cls), text ? text : L"", spec.style | WS_CHILD | WS_VISIBLE,
                        0, 0, 0, 0, spec.place == ControlPlace::Page ? settingsContainer : MainWindow,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), AppInstance, nullptr);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(spec.font)), TRUE);
    if (spec.place == ControlPlace::Strip) ShowWindow(hwnd, SW_HIDE);
    if (spec.cls == ControlClass::ComboBox) KeepWheelForFocusedList(hwnd);
    if (handleCount < kControlCount) handles[handleCount++] = {spec.key, hwnd};
}

void SetupSlider(int id, int min, int max, int page, int line) {
    HWND s = Find(id);
    SendMessageW(s, TBM_SETRANGE, TRUE, MAKELPARAM(min, max));
    SendMessageW(s, TBM_SETPAGESIZE, 0, page);
    SendMessageW(s, TBM_SETLINESIZE, 0, line);
}

void FillList(int id, const wchar_t* const* labels, int count) {
    for (int i = 0; i < count; ++i) SendMessageW(Find(id), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(labels[i]));
}

// The lists on the page are filled as they are created.
void FillPageLists() {
    const wchar_t* quality[kRecordingFormatCount];
    for (int i = 0; i < kRecordingFormatCount; ++i) quality[i] = kRecordingFormats[i].label;
    FillList(kIdQuality, quality, kRecordingFormatCount);
    const wchar_t* zoom[kZoomRowCount];
    for (int i = 0; i < kZoomRowCount; ++i) zoom[i] = kZoomRows[i].label;
    FillList(kIdWindowSize, zoom, kZoomRowCount);
    const wchar_t* rewind[kRewindRowCount];
    for (int i = 0; i < kRewindRowCount; ++i) rewind[i] = kRewindRows[i].label;
    FillList(kIdRewindAmount, rewind, kRewindRowCount);
    const wchar_t* resumeRewind[kResumeRewindRowCount];
    for (int i = 0; i < kResumeRewindRowCount; ++i) resumeRewind[i] = kResumeRewindRows[i].label;
    FillList(kIdResumeRewind, resumeRewind, kResumeRewindRowCount);
}

void CreateColumnControls() {
    deferredPageReset(&deferredPage);
    for (const ControlSpec& spec : kControls) {
        if (spec.place == ControlPlace::Page) {
            deferredPageAdd(&deferredPage, spec.key, CreationText(spec));
        } else {
            CreateFromSpec(spec);
        }
    }
    HWND edit = Find(kIdFileName);
    SendMessageW(edit, EM_SETLIMITTEXT, 120, 0);
    SendMessageW(edit, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"Empty = date and time"));
    SetupSlider(kIdSeek, 0, 1000, 50, 10);
    SetupSlider(kIdVolume, 0, 200, 10, 5);
    SetupSlider(kIdSpeed, 10, 60, 2, 1);
}

// The page's controls are created in the container: moving each one there from the main window cost a hide and a
// show per control (under Wine about a seventh of building the window). Stacking them afterwards gives the container
// and the controls the order that moving them in page order gives: the container below the main window's other
// children, each control above the ones before it.
void CreateSettingsContainer() {
    settingsContainer = CreateWindowExW(WS_EX_COMPOSITED, L"NFCont", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                        1, 1, MainWindow, nullptr, AppInstance, nullptr);
}

void StackSettingsPage() {
    const UINT kOrderOnly = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW;
    SetWindowPos(settingsContainer, HWND_BOTTOM, 0, 0, 0, 0, kOrderOnly);
    for (const ControlSpec& spec : kControls) {
        if (spec.place == ControlPlace::Page) SetWindowPos(Find(spec.key), HWND_TOP, 0, 0, 0, 0, kOrderOnly);
    }
}

// What was written to a page control before it existed.
void ApplyDeferred(const ControlSpec& spec, const DeferredControl& kept) {
    HWND hwnd = Find(spec.key);
    if (!hwnd) return;
    if (kept.textSet) SetWindowTextW(hwnd, kept.text);
    if (spec.cls == ControlClass::Button && (spec.style & 0xF) == style::kAutoCheckBox && kept.checked) {
        SendMessageW(hwnd, BM_SETCHECK, BST_CHECKED, 0);
    }
    if (spec.cls == ControlClass::ComboBox && kept.selection >= 0) {
        SendMessageW(hwnd, CB_SETCURSEL, static_cast<WPARAM>(kept.selection), 0);
    }
    if (!kept.enabled) EnableWindow(hwnd, FALSE);
}

}  // namespace

DeferredControl* DeferredPageControl(int key) {
    return deferredControl(&deferredPage, key);
}

void BuildSettingsPage() {
    if (deferredPage.built || !settingsContainer) return;
    KillTimer(MainWindow, static_cast<UINT_PTR>(kTimerSettingsPage));
    for (const ControlSpec& spec : kControls) {
        if (spec.place == ControlPlace::Page) CreateFromSpec(spec);
    }
    FillPageLists();
    for (int i = 0; i < deferredPage.count; ++i) {
        const DeferredControl& kept = deferredPage.controls[i];
        if (const ControlSpec* spec = findControl(kept.key)) ApplyDeferred(*spec, kept);
    }
    deferredPage.built = true;
    StackSettingsPage();
    // The page's texts are measured for its layout now that they exist.
    LayoutMainWindow();
}

namespace {

// WM_GETDPISCALEDSIZE, which older SDK headers do not define.
const UINT kGetDpiScaledSize = 0x02E4;
// An instance run as administrator would otherwise refuse what Explorer, at a lower integrity level, sends for a drop:
// the drop itself, the message that carries its data (0x0049, without a name in the headers) and WM_COPYDATA. Where
// the filter cannot be changed, drops from lower levels stay refused; nothing else depends on it.
void AllowDropsFromLowerLevels(HWND hwnd) {
    const UINT kCopyGlobalData = 0x0049;
    const UINT messages[] = {WM_DROPFILES, WM_COPYDATA, kCopyGlobalData};
    for (UINT message : messages) ChangeWindowMessageFilterEx(hwnd, message, MSGFLT_ALLOW, nullptr);
}

void OnCreate(HWND hwnd) {
    MainWindow = hwnd;
    // The scale start-up took from the screen is the system's; a window that opens on a monitor of another scale
    // (or after the scale changed since sign-in) has its own, and every control is made at it.
    double ownFactor = WindowDpi(hwnd) / 96.0;
    if (ownFactor != dpiFactor) {
        dpiFactor = ownFactor;
        uiScale = dpiFactor;
        CreateFonts(hwnd);
    }
    hotkeysAttachWindow(hwnd);
    DragAcceptFiles(hwnd, TRUE);
    AllowDropsFromLowerLevels(hwnd);
    handleCount = 0;
    controlLookup = ControlLookupApi{Find, KeyOf, Container, PanelPlaced};
    CreateSettingsContainer();
    CreateColumnControls();
    // A timer's message comes only once nothing is left to paint: the page is built when the window has been shown
    // and painted whole.
    SetTimer(hwnd, static_cast<UINT_PTR>(kTimerSettingsPage), 0, nullptr);
    SettingsValues saved;
    readSettings(&kPlatformFolders, &saved);
    windowCreated = true;
    controllerApplyStartup(saved);
}

void OnDropFiles(HDROP drop) {
    int count = static_cast<int>(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0));
    wchar_t path[kPathCapacity] = L"";
    bool tooLong = false;
    if (count == 1) {
        tooLong = DragQueryFileW(drop, 0, nullptr, 0) > kPathCapacity - 1;
        if (!tooLong && DragQueryFileW(drop, 0, path, kPathCapacity) == 0) path[0] = 0;
    }
    onDropFiles(count, path, tooLong);
    DragFinish(drop);
}

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE:
            OnCreate(hwnd);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_CLOSE:
            onCloseRequest();
            return 0;
        case WM_QUERYENDSESSION:
            return onQueryEndSession() ? TRUE : FALSE;
        case WM_ENDSESSION:
            onEndSession(wp != FALSE);
            return 0;
        case WM_SIZE:
            if (windowCreated) OnLayoutSize(hwnd, wp, MainLayoutFlags());
            return 0;
        case WM_GETMINMAXINFO:
            if (!windowCreated) break;
            OnLayoutMinMaxInfo(hwnd, reinterpret_cast<MINMAXINFO*>(lp), MainLayoutFlags());
            return 0;
        case WM_ENTERSIZEMOVE:
            OnLayoutEnterSizeMove();
            return 0;
        case WM_EXITSIZEMOVE:
            OnLayoutExitSizeMove(hwnd, MainLayoutFlags());
            if (shellState().miniMode) {
                SaveMiniPosition();
            } else {
                OnLayoutRememberHeight(hwnd);
            }
            return 0;
        case kGetDpiScaledSize:
            return OnLayoutDpiScaledSize(hwnd, static_cast<int>(wp), shellState().zoomPercent,
                                         reinterpret_cast<SIZE*>(lp), MainLayoutFlags())
                       ? TRUE
                       : FALSE;
        case WM_MOVE:
        case WM_MOVING:
            // Drop-downs, autofill and the IME window of the page open where the browser believes it is.
            NotifyPanelParentMoved();
            break;
        case kPanelDeferredMessage:
            PanelRunDeferred();
            return 0;
        case WM_MOUSEWHEEL:
            if (OnLayoutMouseWheel(hwnd, wp, MainLayoutFlags())) return 0;
            break;
        case WM_VSCROLL:
            if (!lp || reinterpret_cast<HWND>(lp) != Find(kSettingsScrollBar)) break;
            OnLayoutVScroll(hwnd, reinterpret_cast<HWND>(lp), LOWORD(wp), MainLayoutFlags());
            return 0;
        case WM_DPICHANGED:
            OnLayoutDpiChanged(hwnd, LOWORD(wp), shellState().zoomPercent, reinterpret_cast<const RECT*>(lp),
                               MainLayoutFlags());
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wp) == WA_INACTIVE) {
                CancelRecordCapture();
                CancelPlaybackCapture();
                CancelMarkCapture();
            }
            break;
        case WM_KILLFOCUS:
            CancelRecordCapture();
            CancelMarkCapture();
            break;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (shortcutCaptureRunning() && HandleCaptureKey(static_cast<uint32_t>(wp))) return 0;
            break;
        case WM_COMMAND:
            onCommand(LOWORD(wp), HIWORD(wp));
            return 0;
        case WM_TIMER:
            if (wp == static_cast<WPARAM>(kTimerSettingsPage)) {
                BuildSettingsPage();
                return 0;
            }
            onTimer(static_cast<int>(wp));
            return 0;
        case WM_HSCROLL:
            if (lp) onSliderNotification(GetDlgCtrlID(reinterpret_cast<HWND>(lp)), LOWORD(wp));
            return 0;
        case WM_HOTKEY:
            HandleHotkey(static_cast<int>(wp));
            return 0;
        case WM_DROPFILES:
            OnDropFiles(reinterpret_cast<HDROP>(wp));
            return 0;
        case MM_WIM_DATA:
            onCaptureBufferDone(reinterpret_cast<CaptureDevice>(wp), reinterpret_cast<CaptureHeader*>(lp));
            return 0;
        case WM_DRAWITEM:
            return DrawOwnerItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lp), PaintStateNow());
        case WM_PAINT:
            PaintMainWindow(hwnd, PaintStateNow());
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return ControlColours(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp), PaintStateNow());
        default:
            break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

void RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    wc.lpszClassName = L"PRLWRecorder";
    RegisterClassW(&wc);
}
