// The main window. Its creation message builds every control in a fixed order and applies the saved settings; its
// procedure routes each message to the controller, the recorder or the shortcuts. The controls are reached through a
// table of handles keyed by identifier, because those moved into the settings container are no longer the main
// window's direct children (and several share identifier 0).
#include "app/main_window_win.h"

#include <commctrl.h>
#include <commdlg.h>
#include <mmsystem.h>
#include <shellapi.h>
#include <windowsx.h>

#include "app/control_ids.h"
#include "app/controller.h"
#include "app/layout.h"
#include "app/wide_text.h"
#include "app/window_controls.h"
#include "app/window_on_top_win.h"
#include "recorder/recorder.h"
#include "settings/settings_values.h"
#include "shortcuts/shortcut.h"
#include "shortcuts/shortcut_registration.h"
#include "ui/custom_controls_win.h"
#include "ui/fonts_win.h"
#include "ui/scale.h"

HINSTANCE AppInstance;
HWND MainWindow;
bool SignedIn;

namespace {

// Keys for controls created with identifier 0 that the window still needs to reach.
enum PrivateControl : int {
    kLabelFileName = 2001,
    kLabelRecordHeading,
    kLabelRecordNote,
    kLabelQuality,
    kLabelSaveIn,
    kSettingsScrollBar,
    kLabelWindowSize,
    kLabelPlaybackHeading,
    kLabelRewind,
    kLabelSlot = 2010,  // + slot
};

enum FontKind { kFontMain, kFontSmall, kFontTimer };

struct ControlHandle {
    int key;
    HWND hwnd;
};
ControlHandle handles[96];
int handleCount;
HWND settingsContainer;
bool windowCreated;

HWND Find(int key) {
    for (int i = 0; i < handleCount; ++i) {
        if (handles[i].key == key) return handles[i].hwnd;
    }
    return nullptr;
}

HFONT FontOf(FontKind kind) {
    switch (kind) {
        case kFontSmall:
            return SmallFont;
        case kFontTimer:
            return TimerFont;
        default:
            return MainFont;
    }
}

// Creates a child of the main window at a rectangle in layout units, with its font, and files its handle under key.
HWND CreateChild(int key, int id, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h,
                 FontKind font = kFontMain, DWORD exStyle = 0) {
    HWND hwnd = CreateWindowExW(exStyle, cls, text, style | WS_CHILD | WS_VISIBLE, ScalePx(x), ScalePx(y), ScalePx(w),
                                ScalePx(h), MainWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), AppInstance,
                                nullptr);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(font)), TRUE);
    if (handleCount < static_cast<int>(sizeof handles / sizeof handles[0])) handles[handleCount++] = {key, hwnd};
    return hwnd;
}

HWND Control(int id, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h,
             FontKind font = kFontMain, DWORD exStyle = 0) {
    return CreateChild(id, id, cls, text, style, x, y, w, h, font, exStyle);
}

HWND Label(int key, const wchar_t* text, DWORD style, int x, int y, int w, int h, FontKind font = kFontMain) {
    return CreateChild(key, 0, L"STATIC", text, style, x, y, w, h, font);
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

void CreateControls(const StartupSettings& saved) {
    const DWORD kOwnerButton = 0xB, kTab = WS_TABSTOP, kCheck = BS_AUTOCHECKBOX, kList = CBS_DROPDOWNLIST | WS_VSCROLL;
    Control(kIdMiniToggle, L"BUTTON", L"Nota Mini", kOwnerButton | kTab, 262, 13, 102, 26);
    ShowWindow(Control(kIdPanelStrip, L"BUTTON", L"", kOwnerButton, 380, 0, 40, 100), SW_HIDE);
    Control(kIdTime, L"STATIC", L"00:00:00", SS_CENTER, 0, 56, 380, 90, kFontTimer);
    Control(kIdStatus, L"STATIC", L"Ready to record", SS_CENTER, 0, 66, 380, 22);
    Control(kIdRecord, L"BUTTON", L"Record", kOwnerButton | kTab, 30, 178, 74, 38);
    Control(kIdPause, L"BUTTON", L"Pause", kOwnerButton | kTab, 112, 178, 74, 38);
    Control(kIdStop, L"BUTTON", L"Stop", kOwnerButton | kTab, 194, 178, 74, 38);
    Control(kIdMark, L"BUTTON", L"Mark", kOwnerButton | kTab, 276, 178, 74, 38);
    Label(kLabelFileName, L"File name", SS_LEFT, 30, 235, 66, 20);
    HWND edit =
        Control(kIdFileName, L"EDIT", L"", ES_AUTOHSCROLL | kTab, 100, 232, 250, 24, kFontMain, WS_EX_CLIENTEDGE);
    SendMessageW(edit, EM_SETLIMITTEXT, 120, 0);
    SendMessageW(edit, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"Empty = date and time"));
    SetWindowTextW(edit, saved.recordingName);
    Control(kIdReplace, L"BUTTON", L"Replace a file that has the same name", kCheck | kTab, 30, 266, 320, 22);
    Control(kIdSkipSilence, L"BUTTON", L"Skip long silences while recording", kCheck | kTab, 30, 292, 320, 22);
    Control(kIdOnTop, L"BUTTON", L"Keep this window on top of other windows", kCheck | kTab, 30, 318, 320, 22);
    Label(kLabelRecordHeading, L"Global record/stop shortcut", SS_LEFT, 30, 348, 320, 18);
    Label(kIdRecordShortcutText, L"Ctrl+Shift+R", SS_LEFT, 30, 369, 145, 24);
    Control(kIdRecordShortcutChange, L"BUTTON", L"Change", kOwnerButton | kTab, 180, 367, 75, 28);
    Control(kIdRecordShortcutDefault, L"BUTTON", L"Default", kOwnerButton | kTab, 265, 367, 85, 28);
    Label(kLabelRecordNote,
          L"Works while minimized. A single key is intercepted in other apps; Tab also affects normal focus "
          L"navigation.",
          SS_LEFT, 30, 399, 320, 52, kFontSmall);
    Control(kIdSettings, L"BUTTON", L"Settings", kOwnerButton | kTab, 30, 458, 130, 28);
    Label(kLabelQuality, L"Quality", SS_LEFT, 30, 388, 60, 20);
    Control(kIdQuality, L"COMBOBOX", L"", kList | kTab, 92, 384, 258, 140);
    const wchar_t* quality[kRecordingFormatCount];
    for (int i = 0; i < kRecordingFormatCount; ++i) quality[i] = kRecordingFormats[i].label;
    FillList(kIdQuality, quality, kRecordingFormatCount);
    Label(kLabelSaveIn, L"Save recordings in", SS_LEFT, 30, 420, 320, 18, kFontSmall);
    Control(kIdFolder, L"STATIC", L"", SS_PATHELLIPSIS, 30, 440, 320, 34, kFontSmall);
    Control(kIdChangeFolder, L"BUTTON", L"Change folder...", kOwnerButton | kTab, 30, 478, 150, 28);
    Control(kIdDetail, L"STATIC",
            L"Recordings save locally as you go. Drag an MP3, WAV or M4A onto this window to play it.", SS_LEFT, 30,
            518, 320, 64, kFontSmall);
    Control(kIdTranscribe, L"BUTTON", L"Transcribe on Parlowen", kOwnerButton | kTab, 30, 590, 320, 64);
    CreateChild(kIdShortcutBox, kIdChangeFolder, L"STATIC", L"", SS_OWNERDRAW, 30, 700, 320, 150, kFontSmall);
    CreateChild(kSettingsScrollBar, 0, L"SCROLLBAR", L"", SBS_VERT, 356, 0, 18, 100);
    Control(kIdShowInFolder, L"BUTTON", L"Show file in folder", kOwnerButton | kTab, 30, 590, 320, 34);
    Control(kIdConverter, L"BUTTON", L"Make the file smaller (free tool)", kOwnerButton | kTab, 30, 632, 320, 32);
    Control(kIdVersion, L"STATIC", L"Version 2.0 \x00B7 Ctrl+Shift+R starts and stops recording from any window.",
            SS_LEFT, 30, 672, 320, 34, kFontSmall);
    Label(kLabelWindowSize, L"Window size", SS_LEFT, 30, 388, 90, 20);
    Control(kIdWindowSize, L"COMBOBOX", L"", kList | kTab, 124, 384, 226, 140);
    const wchar_t* zoom[kZoomRowCount];
    for (int i = 0; i < kZoomRowCount; ++i) zoom[i] = kZoomRows[i].label;
    FillList(kIdWindowSize, zoom, kZoomRowCount);
    Control(kIdPlayLocalFile, L"BUTTON", L"Play Local File", kOwnerButton | kTab, 30, 560, 320, 30);
    Control(kIdPlayRecording, L"BUTTON", L"Play my recording", kOwnerButton | kTab, 196, 560, 154, 30);
    Control(kIdLoadedName, L"STATIC", L"", SS_CENTER | SS_ENDELLIPSIS, 24, 148, 332, 18, kFontSmall);
    Control(kIdPlay, L"BUTTON", L"Play", kOwnerButton | kTab, 158, 274, 80, 90);
    Control(kIdBack, L"BUTTON", L"Back 5s", kOwnerButton | kTab, 90, 284, 62, 74);
    Control(kIdStart, L"BUTTON", L"Start", kOwnerButton | kTab, 22, 284, 62, 74);
    Control(kIdForward, L"BUTTON", L"Forward 5s", kOwnerButton | kTab, 244, 284, 62, 74);
    Control(kIdPlayerStop, L"BUTTON", L"Stop", kOwnerButton | kTab, 312, 284, 56, 74);
    Control(kIdTimes, L"STATIC", L"", SS_CENTER, 24, 168, 332, 18, kFontSmall);
    Control(kIdSeek, L"NFSlider", L"", kTab, 22, 190, 336, 28);
    SetupSlider(kIdSeek, 0, 1000, 50, 10);
    Control(kIdVolumeLabel, L"STATIC", L"Volume 100%", SS_LEFT, 30, 226, 150, 16, kFontSmall);
    Control(kIdVolume, L"NFSlider", L"", kTab, 24, 242, 160, 26);
    SetupSlider(kIdVolume, 0, 200, 10, 5);
    Control(kIdSpeedLabel, L"STATIC", L"Speed 100%", SS_LEFT, 200, 226, 150, 16, kFontSmall);
    Control(kIdSpeed, L"NFSlider", L"", kTab, 196, 242, 160, 26);
    SetupSlider(kIdSpeed, 10, 60, 2, 1);
    RewindSeconds = kRewindRows[saved.rewindRow].seconds;
    SendMessageW(Find(kIdVolume), TBM_SETPOS, TRUE, static_cast<LPARAM>(saved.playVolume));
    SendMessageW(Find(kIdSpeed), TBM_SETPOS, TRUE, static_cast<LPARAM>(saved.playSpeed));
    ShowVolumeAndSpeed();

    for (int slot = 0; slot < kPlaybackSlotCount; ++slot) PlaybackShortcuts[slot] = saved.playback[slot];
    Label(kLabelPlaybackHeading, L"Playback shortcuts (work from any window, even when minimized)", SS_LEFT, 30, 460,
          320, 18);
    for (int slot = 0; slot < kPlaybackSlotCount; ++slot) {
        Label(kLabelSlot + slot, kPlaybackSlots[slot].label, SS_LEFT, 30, 480, 320, 18, kFontSmall);
        Label(kIdSlotText + slot, L"", SS_LEFT, 30, 500, 145, 24);
        Control(kIdSlotChange + slot, L"BUTTON", L"Change", kOwnerButton | kTab, 180, 498, 75, 28);
        Control(kIdSlotDefault + slot, L"BUTTON", L"Default", kOwnerButton | kTab, 265, 498, 85, 28);
    }
    Label(kLabelRewind, L"Rewind amount", SS_LEFT, 30, 540, 150, 20);
    Control(kIdRewindAmount, L"COMBOBOX", L"", kList | kTab, 184, 536, 166, 200);
    const wchar_t* rewind[kRewindRowCount];
    for (int i = 0; i < kRewindRowCount; ++i) rewind[i] = kRewindRows[i].label;
    FillList(kIdRewindAmount, rewind, kRewindRowCount);
    SendMessageW(Find(kIdRewindAmount), CB_SETCURSEL, static_cast<WPARAM>(saved.rewindRow), 0);
    ShowRewindAmount();
    RefreshPlaybackShortcutRows();
}

// The settings page's controls move into the scrolling container, in this order.
void MoveIntoContainer() {
    settingsContainer = CreateWindowExW(WS_EX_COMPOSITED, L"NFCont", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                        1, 1, MainWindow, nullptr, AppInstance, nullptr);
    const int page[] = {kIdReplace,
                        kIdSkipSilence,
                        kIdOnTop,
                        kLabelRecordHeading,
                        kIdRecordShortcutText,
                        kIdRecordShortcutChange,
                        kIdRecordShortcutDefault,
                        kLabelRecordNote,
                        kLabelPlaybackHeading,
                        kLabelRewind,
                        kIdRewindAmount,
                        kLabelQuality,
                        kIdQuality,
                        kLabelWindowSize,
                        kIdWindowSize,
                        kLabelSaveIn,
                        kIdFolder,
                        kIdChangeFolder,
                        kIdShowInFolder,
                        kIdConverter,
                        kIdVersion};
    for (int key : page) SetParent(Find(key), settingsContainer);
    for (int slot = 0; slot < kPlaybackSlotCount; ++slot) {
        SetParent(Find(kLabelSlot + slot), settingsContainer);
        SetParent(Find(kIdSlotText + slot), settingsContainer);
        SetParent(Find(kIdSlotChange + slot), settingsContainer);
        SetParent(Find(kIdSlotDefault + slot), settingsContainer);
    }
}

void SetOnTop(bool on) {
    SetWindowOnTop(MainWindow, on);
}

void OnCreate(HWND hwnd) {
    MainWindow = hwnd;
    DragAcceptFiles(hwnd, TRUE);
    handleCount = 0;
    StartupSettings saved;
    readStartupSettings(&kPlatformFolders, &saved);
    CreateControls(saved);
    MoveIntoContainer();
    SendMessageW(Find(kIdQuality), CB_SETCURSEL, static_cast<WPARAM>(saved.formatRow), 0);
    SendMessageW(Find(kIdWindowSize), CB_SETCURSEL, static_cast<WPARAM>(saved.zoomRow), 0);
    if (kZoomRows[saved.zoomRow].percent != zoomPercent) {
        zoomPercent = kZoomRows[saved.zoomRow].percent;
        uiScale = dpiFactor * zoomPercent / 100.0;
        CreateFonts();
    }
    RecordShortcut = saved.recordShortcut;
    HotkeyRegistered = RegisterRecordShortcut(RecordShortcut.mods, RecordShortcut.key);
    RefreshRecordShortcutDisplay();
    ShowIdleStatus();
    if (!RegisterPlaybackShortcuts()) {
        SetStatus(
            L"A playback shortcut is unavailable; another app may be using it. Choose a different key in "
            L"Settings.");
    }
    Button_SetCheck(Find(kIdOnTop), saved.onTop ? BST_CHECKED : BST_UNCHECKED);
    Button_SetCheck(Find(kIdReplace), saved.replace ? BST_CHECKED : BST_UNCHECKED);
    Button_SetCheck(Find(kIdSkipSilence), saved.skipSilence ? BST_CHECKED : BST_UNCHECKED);
    WideCopyBounded(saveFolder, kPathCapacity, saved.folder);
    SetTextIfChanged(kIdFolder, saveFolder);
    if (saved.onTop) SetOnTop(true);
    windowCreated = true;
    RefreshControls();
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
            onCaptureBufferDone(reinterpret_cast<CaptureDevice>(wp), reinterpret_cast<CaptureHeader*>(lp));
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

// --- the controls seam ---

void UiSetText(int id, const wchar_t* text) {
    if (HWND h = Find(id)) SetWindowTextW(h, text);
}
int UiGetText(int id, wchar_t* out, int capacity) {
    HWND h = Find(id);
    if (!h) return -1;
    return GetWindowTextW(h, out, capacity);
}
bool UiExists(int id) {
    return Find(id) != nullptr;
}
void UiEnable(int id, bool on) {
    if (HWND h = Find(id)) EnableWindow(h, on);
}
bool UiIsChecked(int id) {
    return Button_GetCheck(Find(id)) == BST_CHECKED;
}
void UiSetChecked(int id, bool on) {
    Button_SetCheck(Find(id), on ? BST_CHECKED : BST_UNCHECKED);
}
int UiListSelection(int id) {
    return static_cast<int>(SendMessageW(Find(id), CB_GETCURSEL, 0, 0));
}
void UiSetListSelection(int id, int row) {
    SendMessageW(Find(id), CB_SETCURSEL, static_cast<WPARAM>(row), 0);
}
int UiSliderPosition(int id) {
    return static_cast<int>(SendMessageW(Find(id), TBM_GETPOS, 0, 0));
}
void UiSetSliderPosition(int id, int pos) {
    SendMessageW(Find(id), TBM_SETPOS, TRUE, pos);
}
void UiRepaint(int id, bool erase) {
    if (HWND h = Find(id)) InvalidateRect(h, nullptr, erase);
}
void UiRepaintWindow() {
    InvalidateRect(MainWindow, nullptr, FALSE);
}
void UiInvalidateMeter() {
    RECT band = {ScalePx(30), ScalePx(120), ScalePx(350), ScalePx(172)};
    InvalidateRect(MainWindow, &band, FALSE);
}
void UiStartTimer(int id, int ms) {
    SetTimer(MainWindow, static_cast<UINT_PTR>(id), static_cast<UINT>(ms), nullptr);
}
void UiStopTimer(int id) {
    KillTimer(MainWindow, static_cast<UINT_PTR>(id));
}
void UiApplyZoom(int percent) {
    uiScale = dpiFactor * percent / 100.0;
    CreateFonts();
    LayoutWindow();
}
void UiMessageBox(const wchar_t* text, const wchar_t* title) {
    MessageBoxW(MainWindow, text, title, MB_OK | MB_ICONINFORMATION);
}
bool UiChooseAudioFile(wchar_t* out, int capacity) {
    out[0] = 0;
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = MainWindow;
    ofn.lpstrFilter = L"Audio files\0*.mp3;*.wav;*.m4a;*.aac;*.wma;*.mp4\0All files\0*.*\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = out;
    ofn.nMaxFile = static_cast<DWORD>(capacity);
    ofn.lpstrTitle = L"Choose an audio file to play";
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    return GetOpenFileNameW(&ofn) != FALSE;
}
void UiShowInFolder(const wchar_t* path) {
    wchar_t parameters[292];
    WideFormat(parameters, 292, L"/select,\"%ls\"", path);
    ShellExecuteW(MainWindow, L"open", L"explorer.exe", parameters, nullptr, SW_SHOWNORMAL);
}
bool UiWindowTopLeft(int* left, int* top) {
    RECT r;
    if (!GetWindowRect(MainWindow, &r)) return false;
    *left = r.left;
    *top = r.top;
    return true;
}
void* UiNotifyTarget() {
    return MainWindow;
}
void UiLocalTime(LocalDateTime* now) {
    SYSTEMTIME t;
    GetLocalTime(&t);
    *now = LocalDateTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}
void UiDestroy() {
    DestroyWindow(MainWindow);
}
void UiFocusMainWindow() {
    SetFocus(MainWindow);
}
bool UiConfirm(const wchar_t* text, const wchar_t* title) {
    return MessageBoxW(MainWindow, text, title, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

}  // namespace

const WindowControls kMainWindowControls = {
    UiSetText,         UiGetText,       UiExists,           UiEnable,          UiIsChecked,
    UiSetChecked,      UiListSelection, UiSetListSelection, UiSliderPosition,  UiSetSliderPosition,
    UiRepaint,         UiRepaintWindow, UiInvalidateMeter,  UiStartTimer,      UiStopTimer,
    LayoutWindow,      UiApplyZoom,     UiMessageBox,       UiChooseAudioFile, UiShowInFolder,
    SetOnTop,          UiWindowTopLeft, UiNotifyTarget,     UiLocalTime,       UiDestroy,
    UiFocusMainWindow, UiConfirm};

void RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    wc.lpszClassName = L"PRLWRecorder";
    RegisterClassW(&wc);
}
