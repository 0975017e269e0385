/* A stand-in for the WebView2 loader library, for tests under Wine (which has no WebView2 runtime). It exports
 * CreateCoreWebView2EnvironmentWithOptions and implements, with the SDK header's C interfaces, the environment,
 * controller, webview (up to ICoreWebView2_3), settings and web-message arguments that the panel host calls.
 *
 * Every call is written with its arguments, one UTF-8 line each, to the file named by NOTAFON_WEBVIEW2_DOUBLE_LOG.
 * Completion handlers are invoked later on the calling thread, from a thread timer, as the real browser does through
 * the message loop. The same timer polls the file named by NOTAFON_WEBVIEW2_DOUBLE_INBOX: each line is a string the
 * page posts, except "!controller" (deliver a held controller), "!navigation-completed" and "!not-a-string" (a
 * message that is no string). NOTAFON_WEBVIEW2_DOUBLE_MODE: "fail-now" (the entry point refuses at once),
 * "fail-environment", "fail-controller" (the handlers report failure) or "hold-controller" (the controller arrives
 * only on "!controller"). NOTAFON_WEBVIEW2_DOUBLE_CLOCK (any value) starts each line with the system time in 100 ns
 * units, for timing the host against what drove it. A slot the host should never call logs "unexpected slot N". */
#define COBJMACROS
#define CINTERFACE
#include <windows.h>

#include <objbase.h>
#include <stdio.h>
#include <string.h>

#include "WebView2.h"

static wchar_t logPath[MAX_PATH];
static wchar_t inboxPath[MAX_PATH];
static char mode[64];
static int clockLines;

static void LogLine(const char* format, ...) {
    if (!logPath[0]) return;
    char line[4096];
    va_list args;
    va_start(args, format);
    vsnprintf(line, sizeof line, format, args);
    va_end(args);
    FILE* f = _wfopen(logPath, L"ab");
    if (!f) return;
    if (clockLines) {
        FILETIME now;
        GetSystemTimePreciseAsFileTime(&now);
        fprintf(f, "%llu ", ((unsigned long long)now.dwHighDateTime << 32) | now.dwLowDateTime);
    }
    fprintf(f, "%s\n", line);
    fclose(f);
}

/* A wide text as UTF-8 for the log (a static buffer per slot, so two may appear in one line). */
static const char* U8(const wchar_t* text, int slot) {
    static char buffers[3][4096];
    if (!text) return "(null)";
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, buffers[slot], sizeof buffers[slot], NULL, NULL);
    if (n <= 0) buffers[slot][0] = 0;
    return buffers[slot];
}

/* ---- slots the host should never call ---- */
#define STUB(n)                                                  \
    static HRESULT STDMETHODCALLTYPE Unexpected##n(void* self) { \
        (void)self;                                              \
        LogLine("unexpected slot %d", n);                        \
        return E_NOTIMPL;                                        \
    }
#define STUB10(t) \
    STUB(t##0) STUB(t##1) STUB(t##2) STUB(t##3) STUB(t##4) STUB(t##5) STUB(t##6) STUB(t##7) STUB(t##8) STUB(t##9)
STUB10()
STUB10(1)
STUB10(2)
STUB10(3)
STUB10(4)
STUB10(5)
STUB10(6)
STUB10(7)
STUB10(8)
#define REF10(t)                                                                                                \
    Unexpected##t##0, Unexpected##t##1, Unexpected##t##2, Unexpected##t##3, Unexpected##t##4, Unexpected##t##5, \
        Unexpected##t##6, Unexpected##t##7, Unexpected##t##8, Unexpected##t##9
typedef HRESULT(STDMETHODCALLTYPE* StubFunction)(void*);
static const StubFunction unexpected[90] = {REF10(),  REF10(1), REF10(2), REF10(3), REF10(4),
                                            REF10(5), REF10(6), REF10(7), REF10(8)};

/* Fills every slot left empty with the stub that names its slot. */
static void FillStubs(void* table, size_t bytes) {
    void** slots = (void**)table;
    for (size_t i = 0; i < bytes / sizeof(void*) && i < 90; ++i) {
        if (!slots[i]) memcpy(&slots[i], &unexpected[i], sizeof(void*));
    }
}

/* ---- objects ---- */
typedef struct {
    ICoreWebView2Environment iface;
    LONG count;
} Environment;
typedef struct {
    ICoreWebView2Controller iface;
    LONG count;
} Controller;
typedef struct {
    ICoreWebView2_3 iface;
    LONG count;
} WebView;
typedef struct {
    ICoreWebView2Settings iface;
    LONG count;
} Settings;
typedef struct {
    ICoreWebView2WebMessageReceivedEventArgs iface;
    const wchar_t* text;
} MessageArgs;

static ICoreWebView2EnvironmentVtbl environmentVtbl;
static ICoreWebView2ControllerVtbl controllerVtbl;
static ICoreWebView2_3Vtbl webViewVtbl;
static ICoreWebView2SettingsVtbl settingsVtbl;
static ICoreWebView2WebMessageReceivedEventArgsVtbl argsVtbl;

static Environment environment;
static Controller controller;
static WebView webView;
static Settings settings;

static ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* environmentHandler;
static ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* controllerHandler;
static ICoreWebView2WebMessageReceivedEventHandler* messageHandler;
static ICoreWebView2NavigationCompletedEventHandler* navigationHandler;
static int environmentDue, controllerDue, controllerHeld, pollTimer;

#define COUNTING(Type, name, label)                            \
    static ULONG STDMETHODCALLTYPE name##AddRef(Type* self) {  \
        (void)self;                                            \
        LONG n = InterlockedIncrement(&name.count);            \
        LogLine(label ".AddRef -> %ld", n);                    \
        return (ULONG)n;                                       \
    }                                                          \
    static ULONG STDMETHODCALLTYPE name##Release(Type* self) { \
        (void)self;                                            \
        LONG n = InterlockedDecrement(&name.count);            \
        LogLine(label ".Release -> %ld", n);                   \
        return (ULONG)n;                                       \
    }
COUNTING(ICoreWebView2Environment, environment, "Environment")
COUNTING(ICoreWebView2Controller, controller, "Controller")
COUNTING(ICoreWebView2_3, webView, "WebView")
COUNTING(ICoreWebView2Settings, settings, "Settings")

static void Deliver(void);

static void CALLBACK OnTimer(HWND window, UINT message, UINT_PTR id, DWORD time) {
    (void)window, (void)message, (void)time;
    if (id != (UINT_PTR)pollTimer) KillTimer(NULL, id);
    Deliver();
}

static void Soon(void) {
    SetTimer(NULL, 0, 10, OnTimer);
}

/* Environment */
static HRESULT STDMETHODCALLTYPE EnvironmentQueryInterface(ICoreWebView2Environment* self, REFIID iid, void** out) {
    if (IsEqualIID(iid, &IID_ICoreWebView2Environment) || IsEqualIID(iid, &IID_IUnknown)) {
        *out = self;
        environmentAddRef(self);
        return S_OK;
    }
    *out = NULL;
    return E_NOINTERFACE;
}

static HRESULT STDMETHODCALLTYPE EnvironmentCreateController(
    ICoreWebView2Environment* self, HWND parent, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) {
    (void)self;
    LogLine("Environment.CreateCoreWebView2Controller parent=%s handler=%s", IsWindow(parent) ? "window" : "none",
            handler ? "set" : "(null)");
    if (!handler) return E_POINTER;
    ULONG n = handler->lpVtbl->AddRef(handler);
    LogLine("ControllerHandler.AddRef -> %lu", n);
    controllerHandler = handler;
    if (strcmp(mode, "hold-controller") == 0) {
        controllerHeld = 1;
    } else {
        controllerDue = 1;
        Soon();
    }
    return S_OK;
}

/* Controller */
static HRESULT STDMETHODCALLTYPE ControllerQueryInterface(ICoreWebView2Controller* self, REFIID iid, void** out) {
    if (IsEqualIID(iid, &IID_ICoreWebView2Controller) || IsEqualIID(iid, &IID_IUnknown)) {
        *out = self;
        controllerAddRef(self);
        return S_OK;
    }
    *out = NULL;
    return E_NOINTERFACE;
}
static HRESULT STDMETHODCALLTYPE ControllerPutIsVisible(ICoreWebView2Controller* self, BOOL visible) {
    (void)self;
    LogLine("Controller.put_IsVisible %d", visible);
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE ControllerPutBounds(ICoreWebView2Controller* self, RECT bounds) {
    (void)self;
    LogLine("Controller.put_Bounds %ld %ld %ld %ld", bounds.left, bounds.top, bounds.right, bounds.bottom);
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE ControllerClose(ICoreWebView2Controller* self) {
    (void)self;
    LogLine("Controller.Close");
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE ControllerGetWebView(ICoreWebView2Controller* self, ICoreWebView2** out) {
    (void)self;
    LogLine("Controller.get_CoreWebView2");
    *out = (ICoreWebView2*)&webView.iface;
    webViewAddRef(&webView.iface);
    return S_OK;
}

/* WebView */
static HRESULT STDMETHODCALLTYPE WebViewQueryInterface(ICoreWebView2_3* self, REFIID iid, void** out) {
    const char* name = IsEqualIID(iid, &IID_ICoreWebView2_3)   ? "ICoreWebView2_3"
                       : IsEqualIID(iid, &IID_ICoreWebView2_2) ? "ICoreWebView2_2"
                       : IsEqualIID(iid, &IID_ICoreWebView2)   ? "ICoreWebView2"
                       : IsEqualIID(iid, &IID_IUnknown)        ? "IUnknown"
                                                               : NULL;
    LogLine("WebView.QueryInterface %s", name ? name : "other");
    if (!name) {
        *out = NULL;
        return E_NOINTERFACE;
    }
    *out = self;
    webViewAddRef(self);
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE WebViewGetSettings(ICoreWebView2_3* self, ICoreWebView2Settings** out) {
    (void)self;
    LogLine("WebView.get_Settings");
    *out = &settings.iface;
    settingsAddRef(&settings.iface);
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE WebViewNavigate(ICoreWebView2_3* self, LPCWSTR address) {
    (void)self;
    LogLine("WebView.Navigate %s", U8(address, 0));
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE WebViewAddNavigationCompleted(ICoreWebView2_3* self,
                                                               ICoreWebView2NavigationCompletedEventHandler* handler,
                                                               EventRegistrationToken* token) {
    (void)self;
    LogLine("WebView.add_NavigationCompleted handler=%s", handler ? "set" : "(null)");
    if (!handler || !token) return E_POINTER;
    ULONG n = handler->lpVtbl->AddRef(handler);
    LogLine("NavigationHandler.AddRef -> %lu", n);
    navigationHandler = handler;
    token->value = 2;
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE WebViewAddWebMessageReceived(ICoreWebView2_3* self,
                                                              ICoreWebView2WebMessageReceivedEventHandler* handler,
                                                              EventRegistrationToken* token) {
    (void)self;
    LogLine("WebView.add_WebMessageReceived handler=%s", handler ? "set" : "(null)");
    if (!handler || !token) return E_POINTER;
    ULONG n = handler->lpVtbl->AddRef(handler);
    LogLine("MessageHandler.AddRef -> %lu", n);
    messageHandler = handler;
    token->value = 1;
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE WebViewPostJson(ICoreWebView2_3* self, LPCWSTR json) {
    (void)self;
    LogLine("WebView.PostWebMessageAsJson %s", U8(json, 0));
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE WebViewSetMapping(ICoreWebView2_3* self, LPCWSTR host, LPCWSTR folder,
                                                   COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND kind) {
    (void)self;
    LogLine("WebView3.SetVirtualHostNameToFolderMapping %s %s %d", U8(host, 0), U8(folder, 1), (int)kind);
    return S_OK;
}

/* Settings */
static HRESULT STDMETHODCALLTYPE SettingsQueryInterface(ICoreWebView2Settings* self, REFIID iid, void** out) {
    (void)iid;
    *out = self;
    settingsAddRef(self);
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE SettingsStatusBar(ICoreWebView2Settings* self, BOOL on) {
    (void)self;
    LogLine("Settings.put_IsStatusBarEnabled %d", on);
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE SettingsDevTools(ICoreWebView2Settings* self, BOOL on) {
    (void)self;
    LogLine("Settings.put_AreDevToolsEnabled %d", on);
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE SettingsZoom(ICoreWebView2Settings* self, BOOL on) {
    (void)self;
    LogLine("Settings.put_IsZoomControlEnabled %d", on);
    return S_OK;
}

/* Web-message arguments (stack objects, one per delivered message) */
static HRESULT STDMETHODCALLTYPE ArgsQueryInterface(ICoreWebView2WebMessageReceivedEventArgs* self, REFIID iid,
                                                    void** out) {
    (void)iid;
    *out = self;
    return S_OK;
}
static ULONG STDMETHODCALLTYPE ArgsAddRef(ICoreWebView2WebMessageReceivedEventArgs* self) {
    (void)self;
    return 1;
}
static ULONG STDMETHODCALLTYPE ArgsRelease(ICoreWebView2WebMessageReceivedEventArgs* self) {
    (void)self;
    return 1;
}
static HRESULT STDMETHODCALLTYPE ArgsTryGetString(ICoreWebView2WebMessageReceivedEventArgs* self, LPWSTR* out) {
    const wchar_t* text = ((MessageArgs*)self)->text;
    LogLine("Args.TryGetWebMessageAsString");
    *out = NULL;
    if (!text) return E_INVALIDARG;
    size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    *out = (LPWSTR)CoTaskMemAlloc(bytes);
    if (!*out) return E_OUTOFMEMORY;
    memcpy(*out, text, bytes);
    return S_OK;
}

static void SetUpObjects(void) {
    static int done;
    if (done) return;
    done = 1;
    environmentVtbl.QueryInterface = EnvironmentQueryInterface;
    environmentVtbl.AddRef = environmentAddRef;
    environmentVtbl.Release = environmentRelease;
    environmentVtbl.CreateCoreWebView2Controller = EnvironmentCreateController;
    FillStubs(&environmentVtbl, sizeof environmentVtbl);
    controllerVtbl.QueryInterface = ControllerQueryInterface;
    controllerVtbl.AddRef = controllerAddRef;
    controllerVtbl.Release = controllerRelease;
    controllerVtbl.put_IsVisible = ControllerPutIsVisible;
    controllerVtbl.put_Bounds = ControllerPutBounds;
    controllerVtbl.Close = ControllerClose;
    controllerVtbl.get_CoreWebView2 = ControllerGetWebView;
    FillStubs(&controllerVtbl, sizeof controllerVtbl);
    webViewVtbl.QueryInterface = WebViewQueryInterface;
    webViewVtbl.AddRef = webViewAddRef;
    webViewVtbl.Release = webViewRelease;
    webViewVtbl.get_Settings = WebViewGetSettings;
    webViewVtbl.Navigate = WebViewNavigate;
    webViewVtbl.add_NavigationCompleted = WebViewAddNavigationCompleted;
    webViewVtbl.add_WebMessageReceived = WebViewAddWebMessageReceived;
    webViewVtbl.PostWebMessageAsJson = WebViewPostJson;
    webViewVtbl.SetVirtualHostNameToFolderMapping = WebViewSetMapping;
    FillStubs(&webViewVtbl, sizeof webViewVtbl);
    settingsVtbl.QueryInterface = SettingsQueryInterface;
    settingsVtbl.AddRef = settingsAddRef;
    settingsVtbl.Release = settingsRelease;
    settingsVtbl.put_IsStatusBarEnabled = SettingsStatusBar;
    settingsVtbl.put_AreDevToolsEnabled = SettingsDevTools;
    settingsVtbl.put_IsZoomControlEnabled = SettingsZoom;
    FillStubs(&settingsVtbl, sizeof settingsVtbl);
    argsVtbl.QueryInterface = ArgsQueryInterface;
    argsVtbl.AddRef = ArgsAddRef;
    argsVtbl.Release = ArgsRelease;
    argsVtbl.TryGetWebMessageAsString = ArgsTryGetString;
    FillStubs(&argsVtbl, sizeof argsVtbl);
    environment.iface.lpVtbl = &environmentVtbl;
    environment.count = 1;
    controller.iface.lpVtbl = &controllerVtbl;
    controller.count = 1;
    webView.iface.lpVtbl = &webViewVtbl;
    webView.count = 1;
    settings.iface.lpVtbl = &settingsVtbl;
    settings.count = 1;
}

static void DeliverMessage(const wchar_t* text) {
    if (!messageHandler) {
        LogLine("dropped (no subscriber): %s", U8(text, 0));
        return;
    }
    MessageArgs args;
    args.iface.lpVtbl = &argsVtbl;
    args.text = text;
    LogLine("deliver message %s", U8(text, 0));
    messageHandler->lpVtbl->Invoke(messageHandler, (ICoreWebView2*)&webView.iface, &args.iface);
}

static void DeliverControllerNow(void) {
    int fail = strcmp(mode, "fail-controller") == 0;
    ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* h = controllerHandler;
    controllerHandler = NULL;
    LogLine("deliver controller %s", fail ? "failure" : "success");
    h->lpVtbl->Invoke(h, fail ? E_FAIL : S_OK, fail ? NULL : &controller.iface);
    LogLine("ControllerHandler.Release -> %lu", h->lpVtbl->Release(h));
}

static void PollInbox(void) {
    if (!inboxPath[0]) return;
    FILE* f = _wfopen(inboxPath, L"rb");
    if (!f) return;
    static char content[65536];
    size_t n = fread(content, 1, sizeof content - 1, f);
    fclose(f);
    if (n == 0) return;
    content[n] = 0;
    f = _wfopen(inboxPath, L"wb"); /* taken: empty it before acting, so a line is delivered once */
    if (f) fclose(f);
    char* line = content;
    while (line && *line) {
        char* end = strchr(line, '\n');
        if (end) *end = 0;
        size_t length = strlen(line);
        if (length && line[length - 1] == '\r') line[length - 1] = 0;
        static wchar_t wide[8192];
        MultiByteToWideChar(CP_UTF8, 0, line, -1, wide, 8192);
        if (strcmp(line, "!controller") == 0) {
            if (controllerHeld && controllerHandler) {
                controllerHeld = 0;
                DeliverControllerNow();
            }
        } else if (strcmp(line, "!navigation-completed") == 0) {
            if (navigationHandler) {
                LogLine("deliver navigation-completed");
                navigationHandler->lpVtbl->Invoke(navigationHandler, (ICoreWebView2*)&webView.iface, NULL);
            }
        } else if (strcmp(line, "!not-a-string") == 0) {
            DeliverMessage(NULL);
        } else {
            DeliverMessage(wide);
        }
        line = end ? end + 1 : NULL;
    }
}

static void Deliver(void) {
    if (environmentDue) {
        environmentDue = 0;
        int fail = strcmp(mode, "fail-environment") == 0;
        ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* h = environmentHandler;
        LogLine("deliver environment %s", fail ? "failure" : "success");
        h->lpVtbl->Invoke(h, fail ? E_FAIL : S_OK, fail ? NULL : &environment.iface);
        LogLine("EnvironmentHandler.Release -> %lu", h->lpVtbl->Release(h));
    }
    if (controllerDue && controllerHandler) {
        controllerDue = 0;
        DeliverControllerNow();
    }
    PollInbox();
}

__declspec(dllexport) HRESULT STDAPICALLTYPE
    CreateCoreWebView2EnvironmentWithOptions(PCWSTR browserFolder, PCWSTR userDataFolder,
                                             ICoreWebView2EnvironmentOptions* options,
                                             ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) {
    SetUpObjects();
    if (!GetEnvironmentVariableW(L"NOTAFON_WEBVIEW2_DOUBLE_LOG", logPath, MAX_PATH)) logPath[0] = 0;
    if (!GetEnvironmentVariableW(L"NOTAFON_WEBVIEW2_DOUBLE_INBOX", inboxPath, MAX_PATH)) inboxPath[0] = 0;
    if (!GetEnvironmentVariableA("NOTAFON_WEBVIEW2_DOUBLE_MODE", mode, sizeof mode)) mode[0] = 0;
    clockLines = GetEnvironmentVariableW(L"NOTAFON_WEBVIEW2_DOUBLE_CLOCK", NULL, 0) > 0;
    LogLine("CreateCoreWebView2EnvironmentWithOptions browser=%s userData=%s options=%s handler=%s",
            U8(browserFolder, 0), U8(userDataFolder, 1), options ? "set" : "(null)", handler ? "set" : "(null)");
    if (strcmp(mode, "fail-now") == 0) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    if (!handler) return E_POINTER;
    LogLine("EnvironmentHandler.AddRef -> %lu", handler->lpVtbl->AddRef(handler));
    environmentHandler = handler;
    environmentDue = 1;
    Soon();
    if (!pollTimer) pollTimer = (int)SetTimer(NULL, 0, 25, OnTimer);
    return S_OK;
}
