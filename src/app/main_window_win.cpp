// The main window. Its creation message builds every control in a fixed order and applies the saved settings; its
// procedure routes each message to the controller, the recorder or the shortcuts. The controls are reached through a
// table of handles keyed by identifier, because those moved into the settings container are no longer the main
// window's direct children (and several share identifier 0).
#include "app/main_window_win.h"

#include <commctrl.h>
#include <mmsystem.h>
#include <shellapi.h>
#include <windowsx.h>

#include "app/controller.h"
#include "app/layout.h"
#include "app/window_controls.h"
#include "base/wide_text.h"
#include "recorder/recorder.h"
#include "settings/settings_values.h"
#include "shortcuts/hotkeys_win.h"
#include "shortcuts/shortcut.h"
#include "shortcuts/shortcut_registration.h"
#include "ui/control_ids.h"
#include "ui/control_table.h"
#include "ui/custom_controls_win.h"
#include "ui/fonts_win.h"
#include "ui/scale.h"

HINSTANCE AppInstance;
HWND MainWindow;
bool SignedIn;

namespace {

struct ControlHandle {
    int key;
    HWND hwnd;
};
ControlHandle handles[kControlCount];
int handleCount;
HWND settingsContainer;
bool windowCreated;

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

HFONT FontOf(FontKind kind) {
    switch (kind) {
        case FontKind::Small:
            return SmallFont;
        case FontKind::Timer:
            return TimerFont;
        default:
            return MainFont;
    }
}

const wchar_t* ClassName(ControlClass cls) {
    switch (cls) {
        case ControlClass::Button:
            return L"BUTTON";
        case ControlClass::Static:
            return L"STATIC";
        case ControlClass::Edit:
            return L"EDIT";
        case ControlClass::ComboBox:
            return L"COMBOBOX";
        case ControlClass::ScrollBar:
            return L"SCROLLBAR";
        default:
            return L"NFSlider";
    }
}

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

// Creates one control of the table as a child of the main window, at its creation rectangle, with its font.
void CreateFromSpec(const ControlSpec& spec) {
    const wchar_t* text = spec.text;
    if (!text && spec.key >= kLabelSlot && spec.key < kLabelSlot + kPlaybackSlotCount) {
        text = kPlaybackSlots[spec.key - kLabelSlot].label;
    }
    HWND hwnd =
        CreateWindowExW(spec.exStyle, ClassName(spec.cls), text ? text : L"", spec.style | WS_CHILD | WS_VISIBLE,
                        ScalePx(spec.x), ScalePx(spec.y), ScalePx(spec.w), ScalePx(spec.h), MainWindow,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), AppInstance, nullptr);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(spec.font)), TRUE);
    if (spec.hidden) ShowWindow(hwnd, SW_HIDE);
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

void CreateControls() {
    for (const ControlSpec& spec : kControls) CreateFromSpec(spec);
    HWND edit = Find(kIdFileName);
    SendMessageW(edit, EM_SETLIMITTEXT, 120, 0);
    SendMessageW(edit, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"Empty = date and time"));
    const wchar_t* quality[kRecordingFormatCount];
    for (int i = 0; i < kRecordingFormatCount; ++i) quality[i] = kRecordingFormats[i].label;
    FillList(kIdQuality, quality, kRecordingFormatCount);
    const wchar_t* zoom[kZoomRowCount];
    for (int i = 0; i < kZoomRowCount; ++i) zoom[i] = kZoomRows[i].label;
    FillList(kIdWindowSize, zoom, kZoomRowCount);
    const wchar_t* rewind[kRewindRowCount];
    for (int i = 0; i < kRewindRowCount; ++i) rewind[i] = kRewindRows[i].label;
    FillList(kIdRewindAmount, rewind, kRewindRowCount);
    SetupSlider(kIdSeek, 0, 1000, 50, 10);
    SetupSlider(kIdVolume, 0, 200, 10, 5);
    SetupSlider(kIdSpeed, 10, 60, 2, 1);
}

// The settings page's controls move into the scrolling container, in the table's container order.
void MoveIntoContainer() {
    settingsContainer = CreateWindowExW(WS_EX_COMPOSITED, L"NFCont", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                        1, 1, MainWindow, nullptr, AppInstance, nullptr);
    for (int order = 1;; ++order) {
        bool found = false;
        for (const ControlSpec& spec : kControls) {
            if (spec.containerOrder != order) continue;
            SetParent(Find(spec.key), settingsContainer);
            found = true;
        }
        if (!found) break;
    }
}

void OnCreate(HWND hwnd) {
    MainWindow = hwnd;
    hotkeysAttachWindow(hwnd);
    DragAcceptFiles(hwnd, TRUE);
    handleCount = 0;
    CreateControls();
    MoveIntoContainer();
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

// A plain painter for the owner-drawn controls: a bordered box in the application's colours with the control's
// text, so every button is usable and readable before the full button painter takes over.
void OnDrawItem(const DRAWITEMSTRUCT* item) {
    RECT r = item->rcItem;
    bool enabled = !(item->itemState & ODS_DISABLED);
    bool pressed = (item->itemState & ODS_SELECTED) != 0;
    HBRUSH fill = CreateSolidBrush(pressed ? RGB(238, 235, 252) : RGB(255, 255, 255));
    FillRect(item->hDC, &r, fill);
    DeleteObject(fill);
    if (item->CtlType != ODT_BUTTON) return;
    HBRUSH border = CreateSolidBrush(enabled ? RGB(91, 68, 207) : RGB(209, 205, 238));
    FrameRect(item->hDC, &r, border);
    DeleteObject(border);
    wchar_t text[128];
    GetWindowTextW(item->hwndItem, text, 128);
    SetBkMode(item->hDC, TRANSPARENT);
    SetTextColor(item->hDC, enabled ? RGB(91, 68, 207) : RGB(190, 186, 224));
    HGDIOBJ old = SelectObject(item->hDC, MainFont);
    DrawTextW(item->hDC, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    SelectObject(item->hDC, old);
}

void OnPaint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    FillRect(dc, &ps.rcPaint, WhiteBrush);
    EndPaint(hwnd, &ps);
}

LRESULT OnControlColour(HDC dc) {
    SetBkColor(dc, RGB(255, 255, 255));
    SetTextColor(dc, RGB(63, 67, 76));
    return reinterpret_cast<LRESULT>(WhiteBrush);
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
        case WM_SIZE:
            if (windowCreated && wp != SIZE_MINIMIZED) LayoutWindow();
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wp) == WA_INACTIVE) {
                CancelRecordCapture();
                CancelPlaybackCapture();
            }
            break;
        case WM_KILLFOCUS:
            CancelRecordCapture();
            break;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (shortcutCaptureRunning() && HandleCaptureKey(static_cast<uint32_t>(wp))) return 0;
            break;
        case WM_COMMAND:
            onCommand(LOWORD(wp), HIWORD(wp));
            return 0;
        case WM_TIMER:
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
            onCaptureBufferDone(reinterpret_cast<CaptureHeader*>(lp));
            return 0;
        case WM_DRAWITEM: {
            const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
            if (item->rcItem.right - item->rcItem.left < 2 || item->rcItem.bottom - item->rcItem.top < 2) return 1;
            OnDrawItem(item);
            return TRUE;
        }
        case WM_PAINT:
            OnPaint(hwnd);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return OnControlColour(reinterpret_cast<HDC>(wp));
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
