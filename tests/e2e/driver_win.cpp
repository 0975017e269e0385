// notafon_e2e_driver: drives the running Notafon window from a second Windows process on the same desktop, the way
// a user would, one step after another from the command line:
//
//   find CLASS TIMEOUT_MS        wait for the top-level window of CLASS to be shown; later steps work on it
//   click ID                     a button click: refused (exit 5) when the control is disabled, because WM_COMMAND
//                                would run the handler even for a disabled button
//   timedclick ID                a click, with the precise system time in 100 ns units just before it is sent:
//                                "clock: N" (to time what another process logs against the click)
//   clock                        the precise system time now, as timedclick prints it (to time a wait against
//                                something another process did, a real mouse click)
//   check ID 0|1                 tick or clear a check box, then the click notification it would send
//   select ID ROW                choose a row of a drop-down list, then the selection-change notification
//   selecttext ID TEXT           the same for the row whose text is exactly TEXT (exit 4 when there is none)
//   rows ID                      a drop-down list's rows: "rows ID: N", then "row I: TEXT" each
//   settext ID TEXT              replace a control's text (an edit box then reports the change itself)
//   slider ID POS [CODE]         move a slider, then its scroll notification CODE (default 4, thumb position)
//   text ID | enabled ID | checked ID | cursel ID | sliderpos ID | center ID     print one value
//   waittext ID TEXT TIMEOUT_MS | waitprefix ID PREFIX TIMEOUT_MS               poll every 20 ms (exit 3 on timeout)
//   waitfor STATE ID VALUE TIMEOUT_MS  poll every 20 ms until the control's STATE (enabled, shown, checked, cursel,
//                                sliderpos; shown as in rect) has VALUE (exit 3 on timeout)
//   idle TIMEOUT_MS              wait until the window's thread has finished the message it was handling and nothing
//                                of the window is left to paint: what it shows is what it has drawn (exit 3 on
//                                timeout)
//   rect ID                      the control's rectangle in the window's client coordinates and whether it is shown:
//                                "rect ID: LEFT TOP WIDTH HEIGHT VISIBLE"
//   pixel X Y                    the colour at a point of the window's client area: "pixel X Y: R G B"
//   overlaps                     every pair of shown sibling controls whose visible parts overlap (by more than the
//                                one line of pixels that rounding may give neighbours):
//                                "overlap: NAME:CLASS NAME:CLASS" each, then "overlaps: N"
//   pixels ID                    a hash of the control's pixels as the screen shows them: "pixels ID: HEX" (equal
//                                hashes, equal pictures)
//   wheel ID DELTA               a mouse-wheel turn over the control (sent to it, as the system would)
//   focus ID                     give the control the keyboard focus, as a click or a Tab to it would; prints
//                                "focus ID: 1" when the window's thread then reports it as its focus
//   vscroll ID CODE              a scroll bar's WM_VSCROLL with CODE (SB_LINEDOWN 1, ...) to its parent
//   gui                          the window process's object counts: "gdi: N" and "user: N" where the system
//                                counts them (GetGuiResources); where it answers 0, "gdi table: N", the live entries
//                                of the process's GDI handle table; and always "windows: N", the windows the process
//                                owns (top-level, their descendants, message-only)
//   guicheck                     the counting of gui, tried on the driver's own process: 50 brushes and two windows
//                                made and deleted must show as such (exit 7 otherwise)
//   sleep MS | fg | close TIMEOUT_MS | terminate
//   launch PATH                  start a program the way the shell does, in its own folder (PATH may hold \uXXXX)
//   image                        print the full path of the found window's executable
//   winrect                      the window's outer rectangle on the screen and its client size:
//                                "winrect: LEFT TOP WIDTH HEIGHT", "client: WIDTH HEIGHT", and its style "style: 0x..."
//   workarea                     the primary monitor's work area: "workarea: LEFT TOP RIGHT BOTTOM"
//   move X Y                     move the window's top-left corner to X Y, as a drag of its title bar ends
//   drop COUNT PATH...           files dropped on the window: a WM_DROPFILES whose DROPFILES block is written into
//                                the window's process (PATHs may hold \uXXXX)
//   dpi DPI LEFT TOP WIDTH HEIGHT  the window told that its DPI is now DPI (WM_DPICHANGED), with the suggested
//                                window rectangle written into the window's process, as the system passes it
//   sizemove enter|exit          WM_ENTERSIZEMOVE or WM_EXITSIZEMOVE, as the system sends them around a drag of the
//                                title bar (a dpi step between them is a DPI change during the drag)
//   dpisize DPI                  WM_GETDPISCALEDSIZE for DPI with the window's size scaled as the system proposes it,
//                                written into the window's process: "dpisize: WIDTH HEIGHT" as the window answers,
//                                "changed: 0|1" (the window's return value), and "frame: WIDTH HEIGHT", what the
//                                frame of the window's style adds at DPI
//   postclick ID                 a click that does not wait for the handler (one that opens a modal dialog)
//   queueclick ID                a click posted behind whatever is queued, even to a control disabled now: several in
//                                a row reach the window back to back (a stop milliseconds after a start)
//   browseto TIMEOUT_MS PATH     wait for a dialog of the window's process and make a folder browser select PATH
//   dialogtext TIMEOUT_MS CTRL TEXT  wait for a dialog of the window's process and set the text of its control CTRL
//                                (a number: the dialog's own identifiers are not the window's)
//   controls                     every control of the window against the creation table of the control list, each
//                                parent's children in stacking order (the main window's, then the settings
//                                container's, once the page is built): "control: PARENT POSITION NAME:CLASS" each, then
//                                "controls: N" and "differing: N", the controls whose identifier, class, styles or
//                                place are not the table's (each also as "differs: ...")
//   windows                      every shown top-level window: "window: CLASS|TITLE"
//   minimize                     minimise the window, as its title bar's button does
//   waitwin STATE VALUE TIMEOUT_MS  poll every 20 ms until the window's STATE (iconic: minimised; front: it is the
//                                foreground window) has VALUE 0 or 1 (exit 3 on timeout)
//   modules                      every module loaded in the window's process: "module: PATH" each
//   hwnd                         the window's handle as Wine's traces print it: "hwnd: 000000000002005C"
//   cwd                          the current directory of the window's process, read from its process parameters:
//                                "cwd: PATH"
//   childtext CLASS              the text of the found window's first descendant of CLASS (another program's edit
//                                control): "childtext: TEXT"
//   clipboard | setclipboard TEXT  the clipboard's Unicode text ("clipboard: TEXT", "clipboard: (none)" when it holds
//                                none), or put TEXT there
//   dialog TIMEOUT_MS BUTTON     wait for a message box (#32770) of the found window's process, print its text, and
//                                press its button BUTTON (IDOK 1, IDCANCEL 2, IDYES 6, IDNO 7)
//   nodialog TIMEOUT_MS          wait until the window's process shows no dialog (#32770) any more: a pressed
//                                button's dialog has ended, and the handler that opened it goes on (exit 3 on timeout)
//
// ID is a control's name in ui/control_list.h (kIdRecord; slot N of a slot row as kIdSlotChange+N); the driver takes no
// raw numbers, so a script never clicks a control the window no longer has. Controls are found among all descendants of
// the window (settings controls live in a child container) by their identifier; "ID:CLASS" picks one of several
// controls sharing an identifier. TEXT arguments may hold \uXXXX escapes, so non-ASCII text does not depend on the
// locale Wine converts the command line with. Every notification goes to the control's parent, as the control itself
// would send it, so the container's forwarding is exercised too.
//
// Output: "key: value" lines, UTF-8, LF; line breaks within a value are written as \r and \n. Exit codes: 0 every
// step passed, 1 bad usage (an unknown control name too), 2 window not found, 3 wait timed out, 4 no such control
// (or an ambiguous identifier), 5 control disabled, 6 the process did not exit after close, 7 the window did not
// answer a message.
#include <windows.h>

#include <commctrl.h>
#include <fcntl.h>
#include <io.h>
#include <shlobj.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <tlhelp32.h>
#include <wchar.h>
#include <winternl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ui/control_ids.h"
#include "ui/control_table.h"

namespace {

enum Exit {
    kOk = 0,
    kUsage = 1,
    kNoWindow = 2,
    kTimeout = 3,
    kNoControl = 4,
    kDisabled = 5,
    kStillRunning = 6,
    kNoAnswer = 7
};

// Long enough for a handler that finishes a recording; short enough that a hung window fails the step.
const UINT kAnswerMs = 15000;

// Every key of the control list (ui/control_list.h) by its name; a slot row by its slot 0. The names come from the
// list itself, so the driver knows every control the window has.
#define WIDE_TEXT(text) L##text
#define WIDE(text) WIDE_TEXT(text)
#define CONTROL(item, key, ...) {WIDE(#key), key},
const struct {
    const wchar_t* name;
    int id;
} kNames[] = {
    NOTAFON_CONTROLS(CONTROL, CONTROL)
    // The labels, the settings scroll bar and the settings container are created with identifier 0: name them with
    // their class, "kNoId:SCROLLBAR".
    {L"kNoId", 0},
};
#undef CONTROL
#undef WIDE
#undef WIDE_TEXT

HWND g_window;
DWORD g_start;

// One "key: value" line; line breaks inside the value are written as \r and \n so that it stays one line.
void Line(const char* key, const std::wstring& raw) {
    std::wstring value;
    for (wchar_t ch : raw) {
        if (ch == L'\r') {
            value += L"\\r";
        } else if (ch == L'\n') {
            value += L"\\n";
        } else {
            value += ch;
        }
    }
    int n =
        WideCharToMultiByte(CP_UTF8, 0, value.c_str(), static_cast<int>(value.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, value.c_str(), static_cast<int>(value.size()), &utf8[0], n, nullptr, nullptr);
    printf("%s: %s\n", key, utf8.c_str());
    fflush(stdout);
}

void LineInt(const char* key, long long value) {
    Line(key, std::to_wstring(value));
}

int Fail(int code, const std::wstring& why) {
    Line("error", why);
    return code;
}

DWORD Elapsed(DWORD since) {
    return GetTickCount() - since;
}

std::wstring Unescape(const wchar_t* s) {
    std::wstring out;
    for (; *s; ++s) {
        if (s[0] == L'\\' && s[1] == L'u' && wcslen(s) >= 6) {
            wchar_t hex[5] = {s[2], s[3], s[4], s[5], 0};
            wchar_t* end = nullptr;
            unsigned long v = wcstoul(hex, &end, 16);
            if (end == hex + 4) {
                out += static_cast<wchar_t>(v);
                s += 5;
                continue;
            }
        }
        out += *s;
    }
    return out;
}

bool ParseInt(const wchar_t* s, long* out) {
    wchar_t* end = nullptr;
    *out = wcstol(s, &end, 10);
    return end != s && *end == 0;
}

bool Send(HWND to, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    DWORD_PTR r = 0;
    if (!SendMessageTimeoutW(to, msg, wp, lp, SMTO_ABORTIFHUNG, kAnswerMs, &r)) return false;
    if (result) *result = static_cast<LRESULT>(r);
    return true;
}

struct Search {
    int id;
    std::wstring cls;  // empty: any class
    std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND hwnd, LPARAM lp) {
    Search* s = reinterpret_cast<Search*>(lp);
    if (GetDlgCtrlID(hwnd) != s->id) return TRUE;
    if (!s->cls.empty()) {
        wchar_t cls[64] = L"";
        GetClassNameW(hwnd, cls, 64);
        if (_wcsicmp(cls, s->cls.c_str()) != 0) return TRUE;
    }
    s->found.push_back(hwnd);
    return TRUE;
}

bool IsSlotRow(int id) {
    return id == kLabelSlot || id == kIdSlotText || id == kIdSlotChange || id == kIdSlotDefault;
}

// A slot row's control of slot N is "NAME+N" (kIdSlotChange+4); plain NAME is slot 0.
bool ControlId(const std::wstring& name, int* id) {
    size_t plus = name.find(L'+');
    std::wstring base = name.substr(0, plus);
    int slot = 0;
    if (plus != std::wstring::npos) {
        slot = _wtoi(name.c_str() + plus + 1);
        if (slot < 0 || slot >= kControlSlotCount) return false;
    }
    for (const auto& c : kNames) {
        if (base == c.name) {
            if (slot != 0 && !IsSlotRow(c.id)) return false;
            *id = c.id + slot;
            return true;
        }
    }
    return false;
}

HWND SettingsContainer() {
    return FindWindowExW(g_window, nullptr, L"NFCont", nullptr);
}

// The window builds its settings page once it has first painted: a step that looks for a control right after start
// waits for the page's first control (up to 5 s), then sends the window a message, answered only once its thread has
// made the others. True when the page is there.
bool WaitForSettingsPage() {
    HWND container = SettingsContainer();
    if (!container) return false;
    DWORD start = GetTickCount();
    while (!GetWindow(container, GW_CHILD) && Elapsed(start) < 5000) Sleep(20);
    if (!GetWindow(container, GW_CHILD)) return false;
    Send(g_window, WM_NULL, 0, 0, nullptr);
    return true;
}

// "ID" or "ID:CLASS" among every descendant of the window.
int FindControl(const wchar_t* spec, HWND* out) {
    Search s;
    std::wstring text = spec;
    size_t colon = text.find(L':');
    if (!ControlId(text.substr(0, colon), &s.id)) {
        return Fail(kUsage, L"no control is named '" + text.substr(0, colon) + L"' in ui/control_list.h");
    }
    if (!g_window) return Fail(kNoWindow, L"no window: run find first");
    if (colon != std::wstring::npos) s.cls = text.substr(colon + 1);
    EnumChildWindows(g_window, Collect, reinterpret_cast<LPARAM>(&s));
    if (s.found.empty() && WaitForSettingsPage()) EnumChildWindows(g_window, Collect, reinterpret_cast<LPARAM>(&s));
    if (s.found.empty()) return Fail(kNoControl, L"no control " + text);
    if (s.found.size() > 1) return Fail(kNoControl, L"several controls have the identifier " + text + L"; add :CLASS");
    *out = s.found[0];
    return kOk;
}

// A control's name for messages: its name in ui/control_list.h, else its identifier and class.
std::wstring ControlName(HWND hwnd) {
    int id = GetDlgCtrlID(hwnd);
    wchar_t cls[64] = L"";
    GetClassNameW(hwnd, cls, 64);
    for (const auto& c : kNames) {
        if (c.id == id) return std::wstring(c.name) + L":" + cls;
    }
    return std::to_wstring(id) + L":" + cls;
}

BOOL CALLBACK CollectShown(HWND hwnd, LPARAM lp) {
    if (IsWindowVisible(hwnd)) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
    return TRUE;
}

// The part of a control the user can see: its rectangle on the screen cut to its parent's client area.
RECT ShownPart(HWND hwnd) {
    RECT r, parent;
    GetWindowRect(hwnd, &r);
    HWND p = GetParent(hwnd);
    GetClientRect(p, &parent);
    MapWindowPoints(p, nullptr, reinterpret_cast<POINT*>(&parent), 2);
    IntersectRect(&r, &r, &parent);
    return r;
}

int EnabledControl(const wchar_t* spec, HWND* out) {
    int rc = FindControl(spec, out);
    if (rc != kOk) return rc;
    if (!IsWindowEnabled(*out)) return Fail(kDisabled, std::wstring(L"control ") + spec + L" is disabled");
    return kOk;
}

int GetText(HWND hwnd, std::wstring* out) {
    wchar_t buf[1024] = L"";
    LRESULT n = 0;
    if (!Send(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf), &n)) return Fail(kNoAnswer, L"WM_GETTEXT");
    *out = buf;
    return kOk;
}

// The rows of a drop-down list as it holds them now.
int ListRows(HWND list, std::vector<std::wstring>* rows) {
    rows->clear();
    LRESULT count = 0;
    if (!Send(list, CB_GETCOUNT, 0, 0, &count)) return Fail(kNoAnswer, L"CB_GETCOUNT");
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t buf[512] = L"";
        LRESULT length = 0;
        if (!Send(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0, &length))
            return Fail(kNoAnswer, L"CB_GETLBTEXTLEN");
        if (length < 0 || length >= 512) return Fail(kNoAnswer, L"CB_GETLBTEXTLEN: a row too long");
        if (!Send(list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf), nullptr))
            return Fail(kNoAnswer, L"CB_GETLBTEXT");
        rows->push_back(buf);
    }
    return kOk;
}

int Notify(HWND control, WORD code) {
    WPARAM wp = MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(control)), code);
    if (!Send(GetParent(control), WM_COMMAND, wp, reinterpret_cast<LPARAM>(control), nullptr)) {
        return Fail(kNoAnswer, L"WM_COMMAND");
    }
    return kOk;
}

std::string Key(const char* what, const wchar_t* spec) {
    std::string key = what;
    key += ' ';
    for (const wchar_t* p = spec; *p; ++p) key += static_cast<char>(*p);
    return key;
}

int WaitText(const wchar_t* spec, const std::wstring& want, long timeout, bool prefix) {
    HWND c;
    int rc = FindControl(spec, &c);
    if (rc != kOk) return rc;
    DWORD start = GetTickCount();
    std::wstring text;
    for (;;) {
        rc = GetText(c, &text);
        if (rc != kOk) return rc;
        bool match = prefix ? text.compare(0, want.size(), want) == 0 : text == want;
        if (match) {
            Line(Key("text", spec).c_str(), text);
            LineInt("waited_ms", Elapsed(start));
            return kOk;
        }
        if (Elapsed(start) >= static_cast<DWORD>(timeout)) break;
        Sleep(20);
    }
    Line(Key("text", spec).c_str(), text);
    return Fail(kTimeout, std::wstring(L"waited ") + std::to_wstring(timeout) + L" ms for " +
                              (prefix ? L"a text starting with '" : L"'") + want + L"'");
}

// The number a state step reads: IsWindowEnabled and IsWindowVisible directly, the rest by asking the control.
int ReadState(const wchar_t* state, HWND c, long* value) {
    if (wcscmp(state, L"enabled") == 0) {
        *value = IsWindowEnabled(c) ? 1 : 0;
        return kOk;
    }
    if (wcscmp(state, L"shown") == 0) {
        *value = IsWindowVisible(c) ? 1 : 0;
        return kOk;
    }
    UINT msg = wcscmp(state, L"checked") == 0     ? BM_GETCHECK
               : wcscmp(state, L"cursel") == 0    ? CB_GETCURSEL
               : wcscmp(state, L"sliderpos") == 0 ? TBM_GETPOS
                                                  : 0;
    if (msg == 0) return Fail(kUsage, std::wstring(L"no state ") + state);
    LRESULT r = 0;
    if (!Send(c, msg, 0, 0, &r)) return Fail(kNoAnswer, state);
    *value = static_cast<long>(static_cast<int>(r));
    return kOk;
}

int WaitState(const wchar_t* state, const wchar_t* spec, long want, long timeout) {
    HWND c;
    int rc = FindControl(spec, &c);
    if (rc != kOk) return rc;
    std::string key;
    for (const wchar_t* p = state; *p; ++p) key += static_cast<char>(*p);
    key = Key(key.c_str(), spec);
    DWORD start = GetTickCount();
    long value = 0;
    for (;;) {
        if ((rc = ReadState(state, c, &value)) != kOk) return rc;
        if (value == want) {
            LineInt(key.c_str(), value);
            LineInt("waited_ms", Elapsed(start));
            return kOk;
        }
        if (Elapsed(start) >= static_cast<DWORD>(timeout)) break;
        Sleep(20);
    }
    LineInt(key.c_str(), value);
    return Fail(kTimeout, L"waited " + std::to_wstring(timeout) + L" ms for " + state + L" " + std::to_wstring(want));
}

BOOL CALLBACK CountUnpainted(HWND hwnd, LPARAM lp) {
    if (IsWindowVisible(hwnd) && GetUpdateRect(hwnd, nullptr, FALSE)) ++*reinterpret_cast<int*>(lp);
    return TRUE;
}

// A message sent to another thread is handled only when that thread next asks for a message, that is once the
// handler it is in has returned; sent messages go before posted ones and WM_PAINT comes only when nothing else is
// queued. So: send WM_NULL until no shown window of ours has an update region left, then once more, because
// BeginPaint empties the region as a paint begins, not as it ends.
int Idle(long timeout) {
    if (!g_window) return Fail(kNoWindow, L"no window: run find first");
    DWORD start = GetTickCount();
    bool painted = false;
    for (;;) {
        DWORD used = Elapsed(start);
        UINT left = used >= static_cast<DWORD>(timeout) ? 1 : static_cast<UINT>(timeout - used);
        DWORD_PTR r = 0;
        if (!SendMessageTimeoutW(g_window, WM_NULL, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG, left, &r))
            return Fail(kTimeout, L"the window did not answer within " + std::to_wstring(timeout) + L" ms");
        if (painted) break;
        int unpainted = 0;
        CountUnpainted(g_window, reinterpret_cast<LPARAM>(&unpainted));
        EnumChildWindows(g_window, CountUnpainted, reinterpret_cast<LPARAM>(&unpainted));
        if (unpainted == 0) {
            painted = true;
            continue;
        }
        if (Elapsed(start) >= static_cast<DWORD>(timeout))
            return Fail(kTimeout, L"still " + std::to_wstring(unpainted) + L" window(s) to paint after " +
                                      std::to_wstring(timeout) + L" ms");
        Sleep(10);
    }
    LineInt("idle_ms", Elapsed(start));
    return kOk;
}

int Close(long timeout) {
    if (!g_window) return Fail(kNoWindow, L"no window: run find first");
    DWORD pid = 0;
    GetWindowThreadProcessId(g_window, &pid);
    HANDLE p = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!p) return Fail(kNoWindow, L"cannot open the window's process");
    DWORD start = GetTickCount();
    PostMessageW(g_window, WM_CLOSE, 0, 0);
    DWORD r = WaitForSingleObject(p, static_cast<DWORD>(timeout));
    DWORD code = 0;
    GetExitCodeProcess(p, &code);
    CloseHandle(p);
    if (r != WAIT_OBJECT_0)
        return Fail(kStillRunning, L"the process still runs after " + std::to_wstring(timeout) + L" ms");
    LineInt("exit", code);
    LineInt("close_ms", Elapsed(start));
    g_window = nullptr;
    return kOk;
}

long WindowState(const wchar_t* state) {
    if (wcscmp(state, L"iconic") == 0) return IsIconic(g_window) ? 1 : 0;
    return GetForegroundWindow() == g_window ? 1 : 0;
}

int WaitWindow(const wchar_t* state, long want, long timeout) {
    if (!g_window) return Fail(kNoWindow, L"no window: run find first");
    if (wcscmp(state, L"iconic") != 0 && wcscmp(state, L"front") != 0)
        return Fail(kUsage, std::wstring(L"no window state ") + state);
    std::string key;
    for (const wchar_t* p = state; *p; ++p) key += static_cast<char>(*p);
    DWORD start = GetTickCount();
    long value = WindowState(state);
    while (value != want && Elapsed(start) < static_cast<DWORD>(timeout)) {
        Sleep(20);
        value = WindowState(state);
    }
    LineInt(key.c_str(), value);
    if (value != want)
        return Fail(kTimeout,
                    L"waited " + std::to_wstring(timeout) + L" ms for " + state + L" " + std::to_wstring(want));
    LineInt("waited_ms", Elapsed(start));
    return kOk;
}

int Modules() {
    if (!g_window) return Fail(kNoWindow, L"no window: run find first");
    DWORD pid = 0;
    GetWindowThreadProcessId(g_window, &pid);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    if (snapshot == INVALID_HANDLE_VALUE) return Fail(kNoAnswer, L"no module list of the window's process");
    MODULEENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Module32FirstW(snapshot, &entry); more; more = Module32NextW(snapshot, &entry)) {
        Line("module", entry.szExePath);
        ++count;
    }
    CloseHandle(snapshot);
    if (count == 0) return Fail(kNoAnswer, L"the window's process lists no modules");
    return kOk;
}

// The process parameters of a 64-bit process: the PEB holds their address at 0x20, and they hold the current
// directory's path (a UNICODE_STRING) at 0x38.
int CurrentDirectoryOf() {
    if (!g_window) return Fail(kNoWindow, L"no window: run find first");
    typedef LONG(WINAPI * QueryFn)(HANDLE, PROCESSINFOCLASS, void*, ULONG, ULONG*);
    QueryFn query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    DWORD pid = 0;
    GetWindowThreadProcessId(g_window, &pid);
    HANDLE p = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!p || !query) return Fail(kNoWindow, L"cannot open the window's process");
    PROCESS_BASIC_INFORMATION basic = {};
    ULONG got = 0;
    char* params = nullptr;
    UNICODE_STRING path = {};
    std::wstring text;
    bool ok =
        query(p, ProcessBasicInformation, &basic, sizeof basic, &got) == 0 &&
        ReadProcessMemory(p, reinterpret_cast<char*>(basic.PebBaseAddress) + 0x20, &params, sizeof params, nullptr) &&
        ReadProcessMemory(p, params + 0x38, &path, sizeof path, nullptr);
    if (ok) {
        text.resize(path.Length / sizeof(wchar_t));
        ok = ReadProcessMemory(p, path.Buffer, &text[0], path.Length, nullptr) != 0;
    }
    CloseHandle(p);
    if (!ok) return Fail(kNoAnswer, L"cannot read the current directory of the window's process");
    Line("cwd", text);
    return kOk;
}

int Terminate() {
    if (!g_window) return Fail(kNoWindow, L"no window: run find first");
    DWORD pid = 0;
    GetWindowThreadProcessId(g_window, &pid);
    HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (!p) return Fail(kNoWindow, L"cannot open the window's process");
    TerminateProcess(p, 99);
    WaitForSingleObject(p, 5000);
    CloseHandle(p);
    g_window = nullptr;
    Line("terminated", L"1");
    return kOk;
}

// The block the shell would hand over: DROPFILES, then the wide paths, each ending in a null, and one more null. It
// lives in the window's process, fixed and never moved, so the handle is its address there.
int DropFiles(const std::vector<std::wstring>& paths) {
    if (!g_window) return Fail(kNoWindow, L"no window: run find first");
    std::vector<wchar_t> names;
    for (const std::wstring& path : paths) names.insert(names.end(), path.c_str(), path.c_str() + path.size() + 1);
    names.push_back(0);
    DROPFILES header = {};
    header.pFiles = sizeof header;
    header.fWide = TRUE;
    std::vector<char> block(sizeof header + names.size() * sizeof(wchar_t));
    memcpy(block.data(), &header, sizeof header);
    memcpy(block.data() + sizeof header, names.data(), names.size() * sizeof(wchar_t));
    DWORD pid = 0;
    GetWindowThreadProcessId(g_window, &pid);
    HANDLE p = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
    if (!p) return Fail(kNoWindow, L"cannot open the window's process");
    void* remote = VirtualAllocEx(p, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    SIZE_T written = 0;
    bool ok = remote && WriteProcessMemory(p, remote, block.data(), block.size(), &written) && written == block.size();
    CloseHandle(p);
    if (!ok) return Fail(kNoAnswer, L"cannot write the drop into the window's process");
    if (!Send(g_window, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0, nullptr))
        return Fail(kNoAnswer, L"WM_DROPFILES");
    LineInt("dropped", static_cast<long long>(paths.size()));
    return kOk;
}

// Object counts of a process, for leak checks. GetGuiResources first: it is the system's own count. Wine answers 0
// for every process; there the GDI objects are read from the process's GDI handle table (its address is in the
// process environment block; one 24-byte entry per handle, a non-zero type byte marking one in use, as a probe of
// brushes made and deleted showed and guicheck keeps checking), and the USER side is limited to what another process
// can see: the windows the process owns. A leaked icon or cursor still shows there: Wine keeps its pictures as GDI
// bitmaps.
struct GdiHandleEntry {
    unsigned long long object;
    unsigned int owner;
    unsigned short unique;
    unsigned char type;
    unsigned char flags;
    unsigned long long user;
};
static_assert(sizeof(GdiHandleEntry) == 24, "the handle table's entry layout");
const int kGdiTableEntries = 0x10000;
// PEB.GdiSharedHandleTable in a 64-bit process.
const size_t kPebGdiTableOffset = 0xF8;

typedef LONG(NTAPI* QueryProcessFn)(HANDLE, int, void*, ULONG, ULONG*);

struct BasicProcessInfo {
    LONG exitStatus;
    void* pebBaseAddress;
    ULONG_PTR affinityMask;
    LONG basePriority;
    ULONG_PTR processId;
    ULONG_PTR parentProcessId;
};

// -1 when the process has no table this driver can read.
long GdiTableCount(HANDLE process) {
    QueryProcessFn query = reinterpret_cast<QueryProcessFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    BasicProcessInfo info = {};
    ULONG length = 0;
    if (!query || query(process, 0 /* ProcessBasicInformation */, &info, sizeof info, &length) != 0) return -1;
    unsigned long long table = 0;
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, static_cast<char*>(info.pebBaseAddress) + kPebGdiTableOffset, &table, sizeof table,
                           &read) ||
        !table)
        return -1;
    std::vector<GdiHandleEntry> entries(kGdiTableEntries);
    if (!ReadProcessMemory(process, reinterpret_cast<void*>(table), entries.data(),
                           entries.size() * sizeof(GdiHandleEntry), &read) ||
        read != entries.size() * sizeof(GdiHandleEntry))
        return -1;
    long live = 0;
    for (const GdiHandleEntry& e : entries) {
        if (e.type != 0) ++live;
    }
    return live;
}

struct WindowCount {
    DWORD pid;
    long count;
};

BOOL CALLBACK CountChild(HWND, LPARAM lp) {
    ++reinterpret_cast<WindowCount*>(lp)->count;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND hwnd, LPARAM lp) {
    WindowCount* c = reinterpret_cast<WindowCount*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != c->pid) return TRUE;
    ++c->count;
    EnumChildWindows(hwnd, CountChild, lp);
    return TRUE;
}

// Top-level windows, hidden or not, with every descendant, and the message-only windows (which EnumWindows leaves out).
long WindowsOf(DWORD pid) {
    WindowCount c = {pid, 0};
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&c));
    for (HWND h = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); h;
         h = FindWindowExW(HWND_MESSAGE, h, nullptr, nullptr)) {
        CountTopLevel(h, reinterpret_cast<LPARAM>(&c));
    }
    return c.count;
}

// "gdi: N", "user: N" from the system; else "gdi table: N" from the handle table. "windows: N" either way.
int GuiCounts(DWORD pid) {
    HANDLE p = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!p) return Fail(kNoWindow, L"cannot open the process");
    DWORD gdi = GetGuiResources(p, GR_GDIOBJECTS), user = GetGuiResources(p, GR_USEROBJECTS);
    if (gdi != 0 || user != 0) {
        LineInt("gdi", gdi);
        LineInt("user", user);
    } else {
        long table = GdiTableCount(p);
        if (table >= 0) LineInt("gdi table", table);
    }
    CloseHandle(p);
    LineInt("windows", WindowsOf(pid));
    return kOk;
}

// The counting itself, on this process: fifty brushes and two windows must show as such, and be gone once deleted.
// A first window of the thread brings objects of its own (device contexts, the input method's window) that stay while
// the thread has windows: one kept open across the check holds them out of the figures.
int GuiCheck() {
    HANDLE self = GetCurrentProcess();
    bool system = GetGuiResources(self, GR_GDIOBJECTS) != 0;
    auto gdi = [&]() { return system ? static_cast<long>(GetGuiResources(self, GR_GDIOBJECTS)) : GdiTableCount(self); };
    auto window = [](HWND parent) {
        return CreateWindowExW(0, L"STATIC", L"count", parent ? WS_CHILD : WS_OVERLAPPED, 0, 0, 50, 50, parent, nullptr,
                               nullptr, nullptr);
    };
    DWORD pid = GetCurrentProcessId();
    HWND keeper = window(nullptr);
    HDC dc = GetDC(keeper);
    ReleaseDC(keeper, dc);
    long gdi0 = gdi();
    if (gdi0 < 0) return Fail(kNoAnswer, L"no GDI count for this process");
    HBRUSH brushes[50];
    for (int k = 0; k < 50; ++k) brushes[k] = CreateSolidBrush(RGB(k, 1, 2));
    long gdi1 = gdi();
    for (HBRUSH b : brushes) DeleteObject(b);
    long gdi2 = gdi();
    long windows0 = WindowsOf(pid);
    HWND top = window(nullptr);
    HWND child = window(top);
    long windows1 = WindowsOf(pid);
    DestroyWindow(top);
    long windows2 = WindowsOf(pid);
    DestroyWindow(keeper);
    LineInt("gdi counted", gdi0);
    LineInt("gdi with 50 brushes", gdi1);
    LineInt("gdi after deleting them", gdi2);
    LineInt("windows counted", windows0);
    LineInt("windows with a window and its child", windows1);
    LineInt("windows after destroying them", windows2);
    if (!keeper || !child || gdi1 - gdi0 != 50 || gdi2 != gdi0 || windows1 - windows0 != 2 || windows2 != windows0)
        return Fail(kNoAnswer, L"the counts do not follow the objects made and deleted");
    return kOk;
}

// WM_DPICHANGED as the system sends it when the window moves to a screen of another DPI or the DPI changes: both
// words of wParam the new DPI, lParam the suggested window rectangle, which the window reads in its own memory.
int DpiChanged(int dpi, const RECT& suggested) {
    if (!g_window) return Fail(kNoWindow, L"no window: run find first");
    DWORD pid = 0;
    GetWindowThreadProcessId(g_window, &pid);
    HANDLE p = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
    if (!p) return Fail(kNoWindow, L"cannot open the window's process");
    void* remote = VirtualAllocEx(p, nullptr, sizeof suggested, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    SIZE_T written = 0;
    bool ok =
        remote && WriteProcessMemory(p, remote, &suggested, sizeof suggested, &written) && written == sizeof suggested;
    bool answered =
        ok && Send(g_window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(remote), nullptr);
    if (remote) VirtualFreeEx(p, remote, 0, MEM_RELEASE);
    CloseHandle(p);
    if (!ok) return Fail(kNoAnswer, L"cannot write the rectangle into the window's process");
    if (!answered) return Fail(kNoAnswer, L"WM_DPICHANGED");
    LineInt("dpi", dpi);
    return kOk;
}

int DpiScaledSize(int dpi) {
    if (!g_window) return Fail(kNoWindow, L"no window: run find first");
    RECT r;
    GetWindowRect(g_window, &r);
    UINT now = 96;
    typedef UINT(WINAPI * DpiForWindow)(HWND);
    HMODULE user = GetModuleHandleW(L"user32.dll");
    auto forWindow =
        user ? reinterpret_cast<DpiForWindow>(reinterpret_cast<void (*)()>(GetProcAddress(user, "GetDpiForWindow")))
             : nullptr;
    if (forWindow && forWindow(g_window)) now = forWindow(g_window);
    SIZE size = {static_cast<LONG>((r.right - r.left) * dpi / static_cast<int>(now)),
                 static_cast<LONG>((r.bottom - r.top) * dpi / static_cast<int>(now))};
    DWORD pid = 0;
    GetWindowThreadProcessId(g_window, &pid);
    HANDLE p = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_VM_READ, FALSE, pid);
    if (!p) return Fail(kNoWindow, L"cannot open the window's process");
    void* remote = VirtualAllocEx(p, nullptr, sizeof size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    SIZE_T done = 0;
    bool ok = remote && WriteProcessMemory(p, remote, &size, sizeof size, &done) && done == sizeof size;
    LRESULT changed = 0;
    bool answered = ok && Send(g_window, 0x02E4 /* WM_GETDPISCALEDSIZE */, static_cast<WPARAM>(dpi),
                               reinterpret_cast<LPARAM>(remote), &changed);
    ok = answered && ReadProcessMemory(p, remote, &size, sizeof size, &done) && done == sizeof size;
    if (remote) VirtualFreeEx(p, remote, 0, MEM_RELEASE);
    CloseHandle(p);
    if (!ok) return Fail(kNoAnswer, L"WM_GETDPISCALEDSIZE");
    Line("dpisize", std::to_wstring(size.cx) + L" " + std::to_wstring(size.cy));
    LineInt("changed", changed ? 1 : 0);
    // What the frame of the window's style adds at that DPI, as the system computes it, for telling the client size.
    typedef BOOL(WINAPI * AdjustForDpi)(LPRECT, DWORD, BOOL, DWORD, UINT);
    auto adjust = user ? reinterpret_cast<AdjustForDpi>(
                             reinterpret_cast<void (*)()>(GetProcAddress(user, "AdjustWindowRectExForDpi")))
                       : nullptr;
    RECT frame = {0, 0, 0, 0};
    if (adjust) {
        adjust(&frame, static_cast<DWORD>(GetWindowLongPtrW(g_window, GWL_STYLE)), FALSE,
               static_cast<DWORD>(GetWindowLongPtrW(g_window, GWL_EXSTYLE)), static_cast<UINT>(dpi));
    }
    Line("frame", std::to_wstring(frame.right - frame.left) + L" " + std::to_wstring(frame.bottom - frame.top));
    return kOk;
}

struct DialogSearch {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindDialog(HWND hwnd, LPARAM lp) {
    DialogSearch* s = reinterpret_cast<DialogSearch*>(lp);
    wchar_t cls[16] = L"";
    GetClassNameW(hwnd, cls, 16);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != s->pid || wcscmp(cls, L"#32770") != 0 || !IsWindowVisible(hwnd)) return TRUE;
    s->found = hwnd;
    return FALSE;
}

BOOL CALLBACK AppendStatic(HWND hwnd, LPARAM lp) {
    wchar_t cls[16] = L"";
    GetClassNameW(hwnd, cls, 16);
    if (_wcsicmp(cls, L"Static") != 0) return TRUE;
    wchar_t text[1024] = L"";
    GetWindowTextW(hwnd, text, 1024);
    std::wstring* out = reinterpret_cast<std::wstring*>(lp);
    if (text[0] && !out->empty()) *out += L"\n";
    *out += text;
    return TRUE;
}

int WaitDialog(long timeout, HWND* out) {
    if (!g_window) return Fail(kNoWindow, L"no window: run find first");
    DialogSearch s = {0, nullptr};
    GetWindowThreadProcessId(g_window, &s.pid);
    DWORD start = GetTickCount();
    for (;;) {
        EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&s));
        if (s.found) break;
        if (Elapsed(start) >= static_cast<DWORD>(timeout)) return Fail(kTimeout, L"no dialog appeared");
        Sleep(20);
    }
    *out = s.found;
    return kOk;
}

// While a modal dialog runs, the window's thread answers sent messages from the dialog's loop, so idle alone does not
// say that the handler which opened the dialog has finished: wait for the dialog to go first.
int WaitNoDialog(long timeout) {
    if (!g_window) return Fail(kNoWindow, L"no window: run find first");
    DialogSearch s = {0, nullptr};
    GetWindowThreadProcessId(g_window, &s.pid);
    DWORD start = GetTickCount();
    for (;;) {
        s.found = nullptr;
        EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&s));
        if (!s.found) break;
        if (Elapsed(start) >= static_cast<DWORD>(timeout)) return Fail(kTimeout, L"a dialog is still shown");
        Sleep(20);
    }
    LineInt("nodialog_ms", Elapsed(start));
    return kOk;
}

// The path is written into the dialog's process: the browser reads it from its own memory.
int BrowseTo(long timeout, const std::wstring& path) {
    HWND dialog = nullptr;
    int rc = WaitDialog(timeout, &dialog);
    if (rc != kOk) return rc;
    DWORD pid = 0;
    GetWindowThreadProcessId(dialog, &pid);
    HANDLE p = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
    if (!p) return Fail(kNoWindow, L"cannot open the dialog's process");
    SIZE_T size = (path.size() + 1) * sizeof(wchar_t), written = 0;
    void* remote = VirtualAllocEx(p, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    bool ok = remote && WriteProcessMemory(p, remote, path.c_str(), size, &written) && written == size;
    CloseHandle(p);
    if (!ok) return Fail(kNoAnswer, L"cannot write the path into the dialog's process");
    if (!Send(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(remote), nullptr))
        return Fail(kNoAnswer, L"BFFM_SETSELECTIONW");
    Line("browsed", path);
    return kOk;
}

BOOL CALLBACK ListWindow(HWND hwnd, LPARAM) {
    if (!IsWindowVisible(hwnd)) return TRUE;
    wchar_t cls[128] = L"", title[512] = L"";
    GetClassNameW(hwnd, cls, 128);
    GetWindowTextW(hwnd, title, 512);
    Line("window", std::wstring(cls) + L"|" + title);
    return TRUE;
}

int PressDialogButton(long timeout, int button) {
    HWND found = nullptr;
    int rc = WaitDialog(timeout, &found);
    if (rc != kOk) return rc;
    wchar_t title[256] = L"";
    GetWindowTextW(found, title, 256);
    std::wstring text;
    EnumChildWindows(found, AppendStatic, reinterpret_cast<LPARAM>(&text));
    Line("dialog title", title);
    Line("dialog text", text);
    HWND b = GetDlgItem(found, button);
    if (!b) return Fail(kNoControl, L"the dialog has no button " + std::to_wstring(button));
    // Posted: the dialog's own loop ends it, and the window's handler runs on after it returns.
    PostMessageW(found, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(button), BN_CLICKED), reinterpret_cast<LPARAM>(b));
    return kOk;
}

void PrintClock() {
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    LineInt("clock",
            static_cast<long long>((static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime));
}

// A table row's name in the scripts' terms: a slot row's control of slot N is NAME+N.
std::wstring TableName(const ControlSpec& spec) {
    for (const auto& n : kNames) {
        if (n.id == spec.key) return n.name;
    }
    for (const auto& n : kNames) {
        if (IsSlotRow(n.id) && spec.key > n.id && spec.key < n.id + kControlSlotCount)
            return std::wstring(n.name) + L"+" + std::to_wstring(spec.key - n.id);
    }
    return std::to_wstring(spec.key);
}

std::vector<HWND> ChildrenInStackingOrder(HWND parent) {
    std::vector<HWND> children;
    for (HWND h = GetWindow(parent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) children.push_back(h);
    return children;
}

// The created identifier, the class and the styles of the table; the type of a button or static exactly.
bool AsInTable(HWND hwnd, const ControlSpec& spec) {
    wchar_t cls[64] = L"";
    GetClassNameW(hwnd, cls, 64);
    LONG st = GetWindowLongW(hwnd, GWL_STYLE), ex = GetWindowLongW(hwnd, GWL_EXSTYLE);
    uint32_t type = spec.cls == ControlClass::Button ? 0xF : spec.cls == ControlClass::Static ? 0x1F : 0;
    uint32_t have = static_cast<uint32_t>(st), haveEx = static_cast<uint32_t>(ex);
    // A drop-down list hands its scroll bar style on to its list.
    uint32_t want = spec.cls == ControlClass::ComboBox ? spec.style & ~static_cast<uint32_t>(WS_VSCROLL) : spec.style;
    return GetDlgCtrlID(hwnd) == spec.id && _wcsicmp(cls, controlClassName(spec.cls)) == 0 && (have & WS_CHILD) &&
           (have & want) == want && (have & type) == (spec.style & type) && (haveEx & spec.exStyle) == spec.exStyle;
}

// The main window's children from the top: the column and the strip in the table's order, the settings container
// below them all; the container's: the page with each control above the ones before it in the table.
int Controls() {
    if (!g_window) return Fail(kNoWindow, L"no window: run find first");
    HWND container = SettingsContainer();
    if (!container) return Fail(kNoControl, L"no settings container");
    WaitForSettingsPage();
    std::vector<const ControlSpec*> column, page;
    for (const ControlSpec& spec : kControls) (spec.place == ControlPlace::Page ? page : column).push_back(&spec);
    std::reverse(page.begin(), page.end());
    long controls = 0, differing = 0;
    auto compare = [&](const wchar_t* parentName, const std::vector<HWND>& children,
                       const std::vector<const ControlSpec*>& table, HWND last) {
        size_t count = std::max(children.size(), table.size() + (last ? 1 : 0));
        for (size_t k = 0; k < count; ++k) {
            HWND h = k < children.size() ? children[k] : nullptr;
            if (h && h != last) ++controls;
            std::wstring want = k < table.size() ? TableName(*table[k]) + L":" + controlClassName(table[k]->cls)
                                : (last && k == table.size()) ? L"container:NFCont"
                                                              : L"nothing";
            std::wstring have = !h ? L"nothing" : h == container ? L"container:NFCont" : ControlName(h);
            Line("control", std::wstring(parentName) + L" " + std::to_wstring(k) + L" " + have);
            bool same = k < table.size() ? h && AsInTable(h, *table[k]) : h && h == last;
            if (!same) {
                ++differing;
                Line("differs", std::wstring(parentName) + L" " + std::to_wstring(k) + L": " + have +
                                    L" where the table has " + want);
            }
        }
    };
    compare(L"main", ChildrenInStackingOrder(g_window), column, container);
    compare(L"page", ChildrenInStackingOrder(container), page, nullptr);
    LineInt("controls", controls);
    LineInt("table", kControlCount);
    LineInt("differing", differing);
    return kOk;
}

// Runs the step at argv[*i], advancing *i past its arguments.
int Step(int argc, wchar_t** argv, int* i) {
    const wchar_t* name = argv[(*i)++];
    auto need = [&](int n) { return *i + n <= argc; };
    auto arg = [&]() { return argv[(*i)++]; };
    long n1 = 0, n2 = 0;
    HWND c = nullptr;
    int rc = kOk;
    LRESULT r = 0;

    if (wcscmp(name, L"find") == 0) {
        if (!need(2)) return Fail(kUsage, L"find CLASS TIMEOUT_MS");
        const wchar_t* cls = arg();
        if (!ParseInt(arg(), &n1)) return Fail(kUsage, L"find: bad timeout");
        DWORD start = GetTickCount();
        // The window can be found while it still builds its controls; it is shown only once that is done.
        for (;;) {
            g_window = FindWindowW(cls, nullptr);
            if (g_window && IsWindowVisible(g_window)) break;
            if (Elapsed(start) >= static_cast<DWORD>(n1)) break;
            Sleep(20);
        }
        if (!g_window) return Fail(kNoWindow, std::wstring(L"no window of class ") + cls);
        if (!IsWindowVisible(g_window))
            return Fail(kNoWindow, std::wstring(L"the window of class ") + cls + L" stays hidden");
        DWORD pid = 0;
        GetWindowThreadProcessId(g_window, &pid);
        LineInt("pid", pid);
        LineInt("found_ms", Elapsed(start));
        return kOk;
    }
    if (wcscmp(name, L"launch") == 0) {
        if (!need(1)) return Fail(kUsage, L"launch PATH");
        std::wstring path = Unescape(arg());
        std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
        std::wstring commandLine = L"\"" + path + L"\"";
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        if (!CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si,
                            &pi))
            return Fail(kUsage, L"cannot start " + path + L" (error " + std::to_wstring(GetLastError()) + L")");
        LineInt("launched", pi.dwProcessId);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        return kOk;
    }
    if (wcscmp(name, L"image") == 0) {
        DWORD pid = 0;
        GetWindowThreadProcessId(g_window, &pid);
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
        wchar_t image[1024];
        DWORD size = 1024;
        bool ok = process && QueryFullProcessImageNameW(process, 0, image, &size);
        if (process) CloseHandle(process);
        if (!ok) return Fail(kNoWindow, L"no executable path for the window's process");
        Line("image", image);
        return kOk;
    }
    if (wcscmp(name, L"click") == 0 || wcscmp(name, L"timedclick") == 0) {
        if (!need(1)) return Fail(kUsage, std::wstring(name) + L" ID");
        if ((rc = EnabledControl(arg(), &c)) != kOk) return rc;
        if (name[0] == L't') PrintClock();
        return Notify(c, BN_CLICKED);
    }
    if (wcscmp(name, L"clock") == 0) {
        PrintClock();
        return kOk;
    }
    if (wcscmp(name, L"check") == 0) {
        if (!need(2)) return Fail(kUsage, L"check ID 0|1");
        const wchar_t* spec = arg();
        if (!ParseInt(arg(), &n1)) return Fail(kUsage, L"check: 0 or 1");
        if ((rc = EnabledControl(spec, &c)) != kOk) return rc;
        if (!Send(c, BM_SETCHECK, n1 ? BST_CHECKED : BST_UNCHECKED, 0, nullptr)) return Fail(kNoAnswer, L"BM_SETCHECK");
        return Notify(c, BN_CLICKED);
    }
    if (wcscmp(name, L"select") == 0) {
        if (!need(2)) return Fail(kUsage, L"select ID ROW");
        const wchar_t* spec = arg();
        if (!ParseInt(arg(), &n1)) return Fail(kUsage, L"select: bad row");
        if ((rc = EnabledControl(spec, &c)) != kOk) return rc;
        if (!Send(c, CB_SETCURSEL, static_cast<WPARAM>(n1), 0, &r)) return Fail(kNoAnswer, L"CB_SETCURSEL");
        if (r != n1) return Fail(kUsage, L"the list has no row " + std::to_wstring(n1));
        return Notify(c, CBN_SELCHANGE);
    }
    if (wcscmp(name, L"selecttext") == 0 || wcscmp(name, L"rows") == 0) {
        bool select = wcscmp(name, L"selecttext") == 0;
        if (!need(select ? 2 : 1)) return Fail(kUsage, select ? L"selecttext ID TEXT" : L"rows ID");
        const wchar_t* spec = arg();
        std::wstring want = select ? Unescape(arg()) : L"";
        if ((rc = select ? EnabledControl(spec, &c) : FindControl(spec, &c)) != kOk) return rc;
        std::vector<std::wstring> rows;
        if ((rc = ListRows(c, &rows)) != kOk) return rc;
        if (!select) {
            LineInt(Key("rows", spec).c_str(), static_cast<long>(rows.size()));
            for (size_t i = 0; i < rows.size(); ++i) Line(("row " + std::to_string(i)).c_str(), rows[i]);
            return kOk;
        }
        for (size_t i = 0; i < rows.size(); ++i) {
            if (rows[i] != want) continue;
            if (!Send(c, CB_SETCURSEL, i, 0, &r) || r != static_cast<LRESULT>(i))
                return Fail(kNoAnswer, L"CB_SETCURSEL");
            return Notify(c, CBN_SELCHANGE);
        }
        return Fail(kNoControl, L"the list has no row " + want);
    }
    if (wcscmp(name, L"settext") == 0) {
        if (!need(2)) return Fail(kUsage, L"settext ID TEXT");
        const wchar_t* spec = arg();
        std::wstring text = Unescape(arg());
        if ((rc = EnabledControl(spec, &c)) != kOk) return rc;
        if (!Send(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), nullptr))
            return Fail(kNoAnswer, L"WM_SETTEXT");
        return kOk;
    }
    if (wcscmp(name, L"slider") == 0) {
        if (!need(2)) return Fail(kUsage, L"slider ID POS [CODE]");
        const wchar_t* spec = arg();
        if (!ParseInt(arg(), &n1)) return Fail(kUsage, L"slider: bad position");
        n2 = TB_THUMBPOSITION;
        if (*i < argc && ParseInt(argv[*i], &n2)) ++*i;
        if ((rc = EnabledControl(spec, &c)) != kOk) return rc;
        if (!Send(c, TBM_SETPOS, TRUE, n1, nullptr)) return Fail(kNoAnswer, L"TBM_SETPOS");
        WPARAM wp = MAKEWPARAM(static_cast<WORD>(n2), static_cast<WORD>(n1));
        if (!Send(GetParent(c), WM_HSCROLL, wp, reinterpret_cast<LPARAM>(c), nullptr)) {
            return Fail(kNoAnswer, L"WM_HSCROLL");
        }
        return kOk;
    }
    if (wcscmp(name, L"text") == 0 || wcscmp(name, L"enabled") == 0 || wcscmp(name, L"checked") == 0 ||
        wcscmp(name, L"cursel") == 0 || wcscmp(name, L"sliderpos") == 0 || wcscmp(name, L"center") == 0) {
        if (!need(1)) return Fail(kUsage, std::wstring(name) + L" ID");
        const wchar_t* spec = arg();
        if ((rc = FindControl(spec, &c)) != kOk) return rc;
        std::string key;
        for (const wchar_t* p = name; *p; ++p) key += static_cast<char>(*p);
        key = Key(key.c_str(), spec);
        if (wcscmp(name, L"text") == 0) {
            std::wstring text;
            if ((rc = GetText(c, &text)) != kOk) return rc;
            Line(key.c_str(), text);
        } else if (wcscmp(name, L"center") == 0) {
            RECT rect;
            GetWindowRect(c, &rect);
            Line(key.c_str(),
                 std::to_wstring((rect.left + rect.right) / 2) + L" " + std::to_wstring((rect.top + rect.bottom) / 2));
        } else {
            if ((rc = ReadState(name, c, &n1)) != kOk) return rc;
            LineInt(key.c_str(), n1);
        }
        return kOk;
    }
    if (wcscmp(name, L"rect") == 0) {
        if (!need(1)) return Fail(kUsage, L"rect ID");
        const wchar_t* spec = arg();
        if ((rc = FindControl(spec, &c)) != kOk) return rc;
        RECT rect;
        GetWindowRect(c, &rect);
        MapWindowPoints(nullptr, g_window, reinterpret_cast<POINT*>(&rect), 2);
        // Shown means shown on screen: the control and every parent up to the window are visible.
        Line(Key("rect", spec).c_str(), std::to_wstring(rect.left) + L" " + std::to_wstring(rect.top) + L" " +
                                            std::to_wstring(rect.right - rect.left) + L" " +
                                            std::to_wstring(rect.bottom - rect.top) + L" " +
                                            std::to_wstring(IsWindowVisible(c) ? 1 : 0));
        return kOk;
    }
    if (wcscmp(name, L"pixels") == 0) {
        if (!need(1)) return Fail(kUsage, L"pixels ID");
        const wchar_t* spec = arg();
        if ((rc = FindControl(spec, &c)) != kOk) return rc;
        RECT rect;
        GetWindowRect(c, &rect);
        int width = rect.right - rect.left, height = rect.bottom - rect.top;
        if (width <= 0 || height <= 0) return Fail(kNoControl, L"pixels: the control has no area");
        // What the screen shows, not what the control would paint on request: the test sees what a user sees.
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bool copied = false;
        if (bitmap && bits) {
            HGDIOBJ old = SelectObject(memory, bitmap);
            copied = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != 0;
            GdiFlush();
            SelectObject(memory, old);
        }
        unsigned long long hash = 1469598103934665603ull;
        if (copied) {
            const unsigned char* p = static_cast<const unsigned char*>(bits);
            for (size_t k = 0; k < static_cast<size_t>(width) * height * 4; ++k) {
                if (k % 4 == 3) continue;  // the unused byte of a 32-bit pixel
                hash = (hash ^ p[k]) * 1099511628211ull;
            }
        }
        if (bitmap) DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        if (!copied) return Fail(kNoAnswer, L"pixels: the screen could not be read");
        wchar_t text[32];
        swprintf(text, 32, L"%016llx", hash);
        Line(Key("pixels", spec).c_str(), text);
        return kOk;
    }
    if (wcscmp(name, L"overlaps") == 0) {
        if (!g_window) return Fail(kNoWindow, L"no window: run find first");
        std::vector<HWND> shown;
        EnumChildWindows(g_window, CollectShown, reinterpret_cast<LPARAM>(&shown));
        int count = 0;
        for (size_t a = 0; a < shown.size(); ++a) {
            RECT ra = ShownPart(shown[a]);
            for (size_t b = a + 1; b < shown.size(); ++b) {
                if (GetParent(shown[a]) != GetParent(shown[b])) continue;
                RECT rb = ShownPart(shown[b]), both;
                // Positions and sizes are rounded to pixels one by one, so neighbours may share a line of pixels.
                if (!IntersectRect(&both, &ra, &rb) || both.right - both.left < 2 || both.bottom - both.top < 2)
                    continue;
                ++count;
                Line("overlap", ControlName(shown[a]) + L" " + ControlName(shown[b]));
            }
        }
        LineInt("overlaps", count);
        return kOk;
    }
    if (wcscmp(name, L"pixel") == 0) {
        if (!need(2) || !ParseInt(argv[*i], &n1) || !ParseInt(argv[*i + 1], &n2)) return Fail(kUsage, L"pixel X Y");
        *i += 2;
        if (!g_window) return Fail(kNoWindow, L"no window: run find first");
        POINT pt = {n1, n2};
        ClientToScreen(g_window, &pt);
        HDC screen = GetDC(nullptr);
        COLORREF colour = GetPixel(screen, pt.x, pt.y);
        ReleaseDC(nullptr, screen);
        Line(("pixel " + std::to_string(n1) + " " + std::to_string(n2)).c_str(),
             std::to_wstring(GetRValue(colour)) + L" " + std::to_wstring(GetGValue(colour)) + L" " +
                 std::to_wstring(GetBValue(colour)));
        return kOk;
    }
    if (wcscmp(name, L"wheel") == 0) {
        if (!need(2)) return Fail(kUsage, L"wheel ID DELTA");
        const wchar_t* spec = arg();
        if (!ParseInt(arg(), &n1)) return Fail(kUsage, L"wheel ID DELTA");
        if ((rc = FindControl(spec, &c)) != kOk) return rc;
        RECT rect;
        GetWindowRect(c, &rect);
        WPARAM wp = MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(n1)));
        LPARAM lp = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        if (!Send(c, WM_MOUSEWHEEL, wp, lp, nullptr)) return Fail(kNoAnswer, L"WM_MOUSEWHEEL");
        return kOk;
    }
    if (wcscmp(name, L"focus") == 0) {
        if (!need(1)) return Fail(kUsage, L"focus ID");
        const wchar_t* spec = arg();
        if ((rc = FindControl(spec, &c)) != kOk) return rc;
        // SetFocus works only for a window of the calling thread's input state: share the window thread's for it.
        DWORD thread = GetWindowThreadProcessId(c, nullptr);
        AttachThreadInput(GetCurrentThreadId(), thread, TRUE);
        SetFocus(c);
        AttachThreadInput(GetCurrentThreadId(), thread, FALSE);
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        bool focused = GetGUIThreadInfo(thread, &info) && info.hwndFocus == c;
        LineInt(Key("focus", spec).c_str(), focused ? 1 : 0);
        return kOk;
    }
    if (wcscmp(name, L"vscroll") == 0) {
        if (!need(2)) return Fail(kUsage, L"vscroll ID CODE");
        const wchar_t* spec = arg();
        if (!ParseInt(arg(), &n1)) return Fail(kUsage, L"vscroll ID CODE");
        if ((rc = FindControl(spec, &c)) != kOk) return rc;
        if (!Send(GetParent(c), WM_VSCROLL, MAKEWPARAM(static_cast<WORD>(n1), 0), reinterpret_cast<LPARAM>(c),
                  nullptr)) {
            return Fail(kNoAnswer, L"WM_VSCROLL");
        }
        return kOk;
    }
    if (wcscmp(name, L"gui") == 0) {
        if (!g_window) return Fail(kNoWindow, L"no window: run find first");
        DWORD pid = 0;
        GetWindowThreadProcessId(g_window, &pid);
        return GuiCounts(pid);
    }
    if (wcscmp(name, L"guicheck") == 0) return GuiCheck();
    if (wcscmp(name, L"waittext") == 0 || wcscmp(name, L"waitprefix") == 0) {
        if (!need(3)) return Fail(kUsage, std::wstring(name) + L" ID TEXT TIMEOUT_MS");
        const wchar_t* spec = arg();
        std::wstring want = Unescape(arg());
        if (!ParseInt(arg(), &n1)) return Fail(kUsage, L"bad timeout");
        return WaitText(spec, want, n1, wcscmp(name, L"waitprefix") == 0);
    }
    if (wcscmp(name, L"waitfor") == 0) {
        if (!need(4)) return Fail(kUsage, L"waitfor STATE ID VALUE TIMEOUT_MS");
        const wchar_t* state = arg();
        const wchar_t* spec = arg();
        if (!ParseInt(arg(), &n1) || !ParseInt(arg(), &n2)) return Fail(kUsage, L"waitfor: bad value or timeout");
        return WaitState(state, spec, n1, n2);
    }
    if (wcscmp(name, L"idle") == 0) {
        if (!need(1) || !ParseInt(arg(), &n1)) return Fail(kUsage, L"idle TIMEOUT_MS");
        return Idle(n1);
    }
    if (wcscmp(name, L"sleep") == 0) {
        if (!need(1) || !ParseInt(arg(), &n1)) return Fail(kUsage, L"sleep MS");
        Sleep(static_cast<DWORD>(n1));
        return kOk;
    }
    if (wcscmp(name, L"fg") == 0) {
        if (!g_window) return Fail(kNoWindow, L"no window: run find first");
        LineInt("foreground", SetForegroundWindow(g_window) ? 1 : 0);
        return kOk;
    }
    if (wcscmp(name, L"close") == 0) {
        if (!need(1) || !ParseInt(arg(), &n1)) return Fail(kUsage, L"close TIMEOUT_MS");
        return Close(n1);
    }
    if (wcscmp(name, L"winrect") == 0) {
        if (!g_window) return Fail(kNoWindow, L"no window: run find first");
        RECT outer, client;
        GetWindowRect(g_window, &outer);
        GetClientRect(g_window, &client);
        Line("winrect", std::to_wstring(outer.left) + L" " + std::to_wstring(outer.top) + L" " +
                            std::to_wstring(outer.right - outer.left) + L" " +
                            std::to_wstring(outer.bottom - outer.top));
        Line("client", std::to_wstring(client.right) + L" " + std::to_wstring(client.bottom));
        wchar_t style[16];
        swprintf(style, 16, L"0x%08lX", static_cast<unsigned long>(GetWindowLongW(g_window, GWL_STYLE)));
        Line("style", style);
        return kOk;
    }
    if (wcscmp(name, L"workarea") == 0) {
        RECT area;
        if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) return Fail(kNoAnswer, L"no work area");
        Line("workarea", std::to_wstring(area.left) + L" " + std::to_wstring(area.top) + L" " +
                             std::to_wstring(area.right) + L" " + std::to_wstring(area.bottom));
        return kOk;
    }
    if (wcscmp(name, L"move") == 0) {
        if (!need(2) || !ParseInt(argv[*i], &n1) || !ParseInt(argv[*i + 1], &n2)) return Fail(kUsage, L"move X Y");
        *i += 2;
        if (!g_window) return Fail(kNoWindow, L"no window: run find first");
        if (!SetWindowPos(g_window, nullptr, n1, n2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE))
            return Fail(kNoAnswer, L"SetWindowPos");
        return kOk;
    }
    if (wcscmp(name, L"postclick") == 0 || wcscmp(name, L"queueclick") == 0) {
        bool queued = wcscmp(name, L"queueclick") == 0;
        if (!need(1)) return Fail(kUsage, queued ? L"queueclick ID" : L"postclick ID");
        // A queued click may name a control that the clicks queued before it will enable: the window handles them
        // in order, without the driver's round trips between them.
        if ((rc = queued ? FindControl(arg(), &c) : EnabledControl(arg(), &c)) != kOk) return rc;
        WPARAM wp = MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(c)), BN_CLICKED);
        if (!PostMessageW(GetParent(c), WM_COMMAND, wp, reinterpret_cast<LPARAM>(c)))
            return Fail(kNoAnswer, L"PostMessage");
        return kOk;
    }
    if (wcscmp(name, L"browseto") == 0) {
        if (!need(2) || !ParseInt(arg(), &n1)) return Fail(kUsage, L"browseto TIMEOUT_MS PATH");
        return BrowseTo(n1, Unescape(arg()));
    }
    if (wcscmp(name, L"dialogtext") == 0) {
        if (!need(3) || !ParseInt(argv[*i], &n1) || !ParseInt(argv[*i + 1], &n2))
            return Fail(kUsage, L"dialogtext TIMEOUT_MS CTRL TEXT");
        *i += 2;
        std::wstring text = Unescape(arg());
        HWND dialog = nullptr;
        if ((rc = WaitDialog(n1, &dialog)) != kOk) return rc;
        HWND control = GetDlgItem(dialog, static_cast<int>(n2));
        if (!control) return Fail(kNoControl, L"the dialog has no control " + std::to_wstring(n2));
        if (!Send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), nullptr))
            return Fail(kNoAnswer, L"WM_SETTEXT");
        return kOk;
    }
    if (wcscmp(name, L"controls") == 0) return Controls();
    if (wcscmp(name, L"windows") == 0) {
        EnumWindows(ListWindow, 0);
        return kOk;
    }
    if (wcscmp(name, L"minimize") == 0) {
        if (!g_window) return Fail(kNoWindow, L"no window: run find first");
        if (!PostMessageW(g_window, WM_SYSCOMMAND, SC_MINIMIZE, 0)) return Fail(kNoAnswer, L"PostMessage");
        return kOk;
    }
    if (wcscmp(name, L"waitwin") == 0) {
        if (!need(3)) return Fail(kUsage, L"waitwin STATE VALUE TIMEOUT_MS");
        const wchar_t* state = arg();
        if (!ParseInt(arg(), &n1) || !ParseInt(arg(), &n2)) return Fail(kUsage, L"waitwin: bad value or timeout");
        return WaitWindow(state, n1, n2);
    }
    if (wcscmp(name, L"modules") == 0) return Modules();
    if (wcscmp(name, L"cwd") == 0) return CurrentDirectoryOf();
    if (wcscmp(name, L"hwnd") == 0) {
        if (!g_window) return Fail(kNoWindow, L"no window: run find first");
        wchar_t text[24];
        swprintf(text, 24, L"%016llX", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(g_window)));
        Line("hwnd", text);
        return kOk;
    }
    if (wcscmp(name, L"childtext") == 0) {
        if (!need(1)) return Fail(kUsage, L"childtext CLASS");
        HWND child = FindWindowExW(g_window, nullptr, arg(), nullptr);
        if (!child) return Fail(kNoControl, L"no child of that class");
        LRESULT length = 0;
        if (!Send(child, WM_GETTEXTLENGTH, 0, 0, &length)) return Fail(kNoAnswer, L"WM_GETTEXTLENGTH");
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        if (!Send(child, WM_GETTEXT, static_cast<WPARAM>(length + 1), reinterpret_cast<LPARAM>(&text[0]), &length))
            return Fail(kNoAnswer, L"WM_GETTEXT");
        text.resize(static_cast<size_t>(length));
        Line("childtext", text);
        return kOk;
    }
    if (wcscmp(name, L"clipboard") == 0 || wcscmp(name, L"setclipboard") == 0) {
        bool set = name[0] == L's';
        if (set && !need(1)) return Fail(kUsage, L"setclipboard TEXT");
        std::wstring text = set ? Unescape(arg()) : L"";
        if (!OpenClipboard(nullptr)) return Fail(kNoAnswer, L"the clipboard cannot be opened");
        if (set) {
            EmptyClipboard();
            HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
            if (block) {
                memcpy(GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
                GlobalUnlock(block);
                if (!SetClipboardData(CF_UNICODETEXT, block)) GlobalFree(block);
            }
        } else {
            HANDLE data = GetClipboardData(CF_UNICODETEXT);
            const wchar_t* held = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
            Line("clipboard", held ? std::wstring(held) : std::wstring(L"(none)"));
            if (held) GlobalUnlock(data);
        }
        CloseClipboard();
        return kOk;
    }
    if (wcscmp(name, L"drop") == 0) {
        if (!need(1) || !ParseInt(arg(), &n1) || n1 < 0 || !need(static_cast<int>(n1)))
            return Fail(kUsage, L"drop COUNT PATH...");
        std::vector<std::wstring> paths;
        for (long k = 0; k < n1; ++k) paths.push_back(Unescape(arg()));
        return DropFiles(paths);
    }
    if (wcscmp(name, L"dialog") == 0) {
        if (!need(2) || !ParseInt(argv[*i], &n1) || !ParseInt(argv[*i + 1], &n2))
            return Fail(kUsage, L"dialog TIMEOUT_MS BUTTON");
        *i += 2;
        return PressDialogButton(n1, static_cast<int>(n2));
    }
    if (wcscmp(name, L"nodialog") == 0) {
        if (!need(1) || !ParseInt(arg(), &n1)) return Fail(kUsage, L"nodialog TIMEOUT_MS");
        return WaitNoDialog(n1);
    }
    if (wcscmp(name, L"dpi") == 0) {
        long v[5];
        if (!need(5)) return Fail(kUsage, L"dpi DPI LEFT TOP WIDTH HEIGHT");
        for (long& x : v) {
            if (!ParseInt(arg(), &x)) return Fail(kUsage, L"dpi DPI LEFT TOP WIDTH HEIGHT");
        }
        if (v[0] <= 0 || v[0] > 0xFFFF) return Fail(kUsage, L"dpi: bad DPI");
        RECT suggested = {v[1], v[2], v[1] + v[3], v[2] + v[4]};
        return DpiChanged(static_cast<int>(v[0]), suggested);
    }
    if (wcscmp(name, L"sizemove") == 0) {
        if (!need(1)) return Fail(kUsage, L"sizemove enter|exit");
        const wchar_t* which = arg();
        UINT msg = wcscmp(which, L"enter") == 0 ? WM_ENTERSIZEMOVE : wcscmp(which, L"exit") == 0 ? WM_EXITSIZEMOVE : 0;
        if (!msg) return Fail(kUsage, L"sizemove enter|exit");
        if (!g_window) return Fail(kNoWindow, L"no window: run find first");
        if (!Send(g_window, msg, 0, 0, nullptr)) return Fail(kNoAnswer, L"WM_ENTERSIZEMOVE/WM_EXITSIZEMOVE");
        return kOk;
    }
    if (wcscmp(name, L"dpisize") == 0) {
        if (!need(1) || !ParseInt(arg(), &n1) || n1 <= 0 || n1 > 0xFFFF) return Fail(kUsage, L"dpisize DPI");
        return DpiScaledSize(static_cast<int>(n1));
    }
    if (wcscmp(name, L"terminate") == 0) return Terminate();
    return Fail(kUsage, std::wstring(L"unknown step ") + name);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    g_start = GetTickCount();
    if (argc < 2) {
        fprintf(stderr, "usage: notafon_e2e_driver STEP [ARGS]... (see the comment at the top of driver_win.cpp)\n");
        return kUsage;
    }
    int i = 1;
    while (i < argc) {
        int rc = Step(argc, argv, &i);
        if (rc != kOk) {
            LineInt("failed_step_at_ms", Elapsed(g_start));
            return rc;
        }
    }
    return kOk;
}
