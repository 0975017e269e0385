// The controls seam over the main window's children: the controller's reads and writes of controls, its timers,
// dialogs and the shell calls it asks for. Controls are reached by key through the window's handle table, because
// those on the settings page are children of the scrolling container and several share identifier 0. Until the page
// is built its controls are answered from the records that stand in for them.
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <windowsx.h>

#include "app/controller.h"
#include "app/main_window_win.h"
#include "app/window_controls.h"
#include "app/window_modes.h"
#include "app/window_on_top_win.h"
#include "base/file_api.h"
#include "base/system_library_win.h"
#include "base/wide_text.h"
#include "ui/deferred_page.h"
#include "ui/layout_apply_win.h"
#include "ui/paint_win.h"
#include "ui/scale.h"
#include "ui/window_dpi_win.h"

namespace {

HWND Find(int key) {
    return FindControl(key);
}

void SetOnTop(bool on) {
    SetWindowOnTop(MainWindow, on);
}

void UiSetText(int id, const wchar_t* text) {
    if (DeferredControl* kept = DeferredPageControl(id)) {
        deferredSetText(kept, text);
        return;
    }
    if (HWND h = Find(id)) SetWindowTextW(h, text);
}
int UiGetText(int id, wchar_t* out, int capacity) {
    if (DeferredControl* kept = DeferredPageControl(id)) return deferredGetText(*kept, out, capacity);
    HWND h = Find(id);
    if (!h) return -1;
    return GetWindowTextW(h, out, capacity);
}
bool UiExists(int id) {
    return DeferredPageControl(id) != nullptr || Find(id) != nullptr;
}
void UiEnable(int id, bool on) {
    if (DeferredControl* kept = DeferredPageControl(id)) {
        kept->enabled = on;
        return;
    }
    if (HWND h = Find(id)) EnableWindow(h, on);
}
bool UiIsChecked(int id) {
    if (DeferredControl* kept = DeferredPageControl(id)) return kept->checked;
    return Button_GetCheck(Find(id)) == BST_CHECKED;
}
void UiSetChecked(int id, bool on) {
    if (DeferredControl* kept = DeferredPageControl(id)) {
        kept->checked = on;
        return;
    }
    Button_SetCheck(Find(id), on ? BST_CHECKED : BST_UNCHECKED);
}
int UiListSelection(int id) {
    if (DeferredControl* kept = DeferredPageControl(id)) return kept->selection;
    return static_cast<int>(SendMessageW(Find(id), CB_GETCURSEL, 0, 0));
}
void UiSetListSelection(int id, int row) {
    if (DeferredControl* kept = DeferredPageControl(id)) {
        kept->selection = row;
        return;
    }
    SendMessageW(Find(id), CB_SETCURSEL, static_cast<WPARAM>(row), 0);
}
// Rows are not kept: a list given new ones has the page built first.
void UiSetListRows(int id, const wchar_t* const* rows, int count) {
    if (DeferredPageControl(id)) BuildSettingsPage();
    HWND list = Find(id);
    if (!list) return;
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < count; ++i) SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(rows[i]));
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
    InvalidateMeterBand(MainWindow);
}
void UiStartTimer(int id, int ms) {
    SetTimer(MainWindow, static_cast<UINT_PTR>(id), static_cast<UINT>(ms), nullptr);
}
void UiStopTimer(int id) {
    KillTimer(MainWindow, static_cast<UINT_PTR>(id));
}
void UiApplyZoom(int percent) {
    ApplyZoomPercent(MainWindow, percent, MainLayoutFlags());
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
    // The common dialogs bring the printing libraries with them: loaded at the first dialog, not at every start.
    typedef BOOL(WINAPI * OpenDialog)(OPENFILENAMEW*);
    OpenDialog open = reinterpret_cast<OpenDialog>(SystemFunction(L"comdlg32.dll", "GetOpenFileNameW"));
    if (!open) return false;
    // The dialog makes every folder it shows the current directory (OFN_NOCHANGEDIR does not stop that for the open
    // dialog), and a current directory on a USB stick keeps it from being ejected: the previous one comes back.
    wchar_t current[MAX_PATH];
    DWORD kept = GetCurrentDirectoryW(MAX_PATH, current);
    bool chosen = open(&ofn) != FALSE;
    if (kept > 0 && kept < MAX_PATH) SetCurrentDirectoryW(current);
    return chosen;
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
uint32_t UiTickMs() {
    return GetTickCount();
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

// The two window styles: overlapped with sizing frame and maximise box, and the fixed-size mini window.
const LONG kNormalStyle = 0x12CF0000;
const LONG kMiniStyle = 0x12CA0000;

ScreenRect FromRect(const RECT& r) {
    return ScreenRect{r.left, r.top, r.right, r.bottom};
}

bool UiReadPlacement(ScreenRect* normal, bool* maximised) {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(MainWindow, &placement)) return false;
    *normal = FromRect(placement.rcNormalPosition);
    // rcNormalPosition is in workspace coordinates: with a taskbar at the top or left, moving the window to it as a
    // screen position would shift it by the bar's thickness at every round trip.
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(MonitorFromWindow(MainWindow, MONITOR_DEFAULTTONEAREST), &info))
        *normal = workspaceToScreen(*normal, FromRect(info.rcMonitor), FromRect(info.rcWork));
    *maximised = placement.showCmd == SW_SHOWMAXIMIZED || IsZoomed(MainWindow);
    return true;
}
void UiRestoreWindow() {
    ShowWindow(MainWindow, SW_RESTORE);
}
void UiSetMiniStyle(bool mini) {
    SetWindowLongPtrW(MainWindow, GWL_STYLE, mini ? kMiniStyle : kNormalStyle);
    SetWindowPos(MainWindow, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}
bool UiOuterSize(int* width, int* height) {
    RECT r;
    if (!GetWindowRect(MainWindow, &r)) return false;
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    return true;
}
bool WorkAreaOf(HMONITOR monitor, ScreenRect* area) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!monitor || !GetMonitorInfoW(monitor, &info)) return false;
    *area = FromRect(info.rcWork);
    return true;
}
bool UiWorkAreaAt(int x, int y, ScreenRect* area) {
    return WorkAreaOf(MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTOPRIMARY), area);
}
bool UiWorkAreaNearest(const ScreenRect* rect, ScreenRect* area) {
    RECT r = {rect->left, rect->top, rect->right, rect->bottom};
    return WorkAreaOf(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), area);
}
void UiMoveWindow(int x, int y) {
    SetWindowPos(MainWindow, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
int UiClientWidthUnits() {
    RECT r;
    if (!GetClientRect(MainWindow, &r)) return 0;
    return static_cast<int>(r.right / uiScale + 0.5);
}
void UiPanelRect(int* x, int* y, int* width, int* height) {
    *x = PanelBounds.left;
    *y = PanelBounds.top;
    *width = PanelBounds.right - PanelBounds.left;
    *height = PanelBounds.bottom - PanelBounds.top;
}
void* UiPanelParent() {
    return MainWindow;
}
void UiHiddenFrame(ScreenRect* thickness) {
    RECT r = HiddenFrame(MainWindow);
    *thickness = FromRect(r);
}
bool UiChooseFolder(wchar_t* out, int capacity) {
    out[0] = 0;
    BROWSEINFOW info = {};
    info.hwndOwner = MainWindow;
    info.lpszTitle = L"Choose where your recordings are saved";
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE folder = SHBrowseForFolderW(&info);
    if (!folder) return false;
    wchar_t path[MAX_PATH] = L"";
    bool ok = SHGetPathFromIDListW(folder, path) != FALSE;
    CoTaskMemFree(folder);
    if (!ok) return false;
    WideCopyBounded(out, capacity, path);
    return true;
}
void UiOpenAddress(const wchar_t* address) {
    ShellExecuteW(MainWindow, L"open", address, nullptr, nullptr, SW_SHOWNORMAL);
}
// Destroying a reason that was never created does nothing.
void UiBlockShutdown(const wchar_t* reason) {
    if (reason) {
        ShutdownBlockReasonCreate(MainWindow, reason);
    } else {
        ShutdownBlockReasonDestroy(MainWindow);
    }
}

}  // namespace

const WindowControlsApi kMainWindowControls = {
    .setText = UiSetText,
    .getText = UiGetText,
    .exists = UiExists,
    .enable = UiEnable,
    .isChecked = UiIsChecked,
    .setChecked = UiSetChecked,
    .listSelection = UiListSelection,
    .setListSelection = UiSetListSelection,
    .setListRows = UiSetListRows,
    .sliderPosition = UiSliderPosition,
    .setSliderPosition = UiSetSliderPosition,
    .repaint = UiRepaint,
    .repaintWindow = UiRepaintWindow,
    .invalidateMeter = UiInvalidateMeter,
    .startTimer = UiStartTimer,
    .stopTimer = UiStopTimer,
    .layout = LayoutMainWindow,
    .applyZoom = UiApplyZoom,
};

const WindowPlacementApi kMainWindowPlacement = {
    .readPlacement = UiReadPlacement,
    .restoreWindow = UiRestoreWindow,
    .setMiniStyle = UiSetMiniStyle,
    .outerSize = UiOuterSize,
    .workAreaAt = UiWorkAreaAt,
    .workAreaNearest = UiWorkAreaNearest,
    .moveWindow = UiMoveWindow,
    .clientWidthUnits = UiClientWidthUnits,
    .panelRect = UiPanelRect,
    .panelParent = UiPanelParent,
    .windowTopLeft = UiWindowTopLeft,
    .hiddenFrame = UiHiddenFrame,
};

const WindowShellApi kMainWindowShell = {
    .messageBox = UiMessageBox,
    .chooseAudioFile = UiChooseAudioFile,
    .chooseFolder = UiChooseFolder,
    .showInFolder = UiShowInFolder,
    .openAddress = UiOpenAddress,
    .setOnTop = SetOnTop,
    .confirm = UiConfirm,
    .destroyWindow = UiDestroy,
    .focusMainWindow = UiFocusMainWindow,
    .localTime = UiLocalTime,
    .captureNotifyTarget = UiNotifyTarget,
    .tickMs = UiTickMs,
    .blockShutdown = UiBlockShutdown,
};
