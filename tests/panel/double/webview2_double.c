/* A stand-in for the WebView2 loader library, for tests under Wine (which has no WebView2 runtime). It exports
 * CreateCoreWebView2EnvironmentWithOptions and implements, with the SDK header's C interfaces, the environment,
 * controller, webview (up to ICoreWebView2_3), settings and web-message arguments that the panel host calls.
 *
 * Every call is written with its arguments, one UTF-8 line each, to the file named by NOTAFON_WEBVIEW2_DOUBLE_LOG;
 * every Invoke of a host handler is followed by "NAME.Invoke returned", so what the host did inside a handler and
 * what it did after can be told apart. Completion handlers are invoked later on the calling thread, from a thread
 * timer, as the real browser does through the message loop. The same timer polls the file named by
 * NOTAFON_WEBVIEW2_DOUBLE_INBOX: each line is a string the page posts, from the current document, except
 *   "@URL TEXT"                TEXT posted by a document at URL (a sign-in provider, a linked site)
 *   "!controller"              deliver a held controller
 *   "!navigation-completed"    a navigation of the page completed
 *   "!document URL"            the page navigated to URL (get_Source), then completed
 *   "!source URL"              the page's document is now URL, its navigation not yet completed
 *   "!not-a-string"            a message that is no string
 *   "!new-window URL"          a link with target=_blank or window.open asks for a new window
 *   "!process-failed KIND"     a process failed (COREWEBVIEW2_PROCESS_FAILED_KIND); KIND 0 also ends the browser
 *                              process: the environment then refuses new controllers at once, as the runtime does
 *   "!fetch ORIGIN URL"        the page requests URL with that Origin header ("-": none); the answer's body is
 *                              written to the log's name with ".body" added
 * Each handler the host hands over is asked for IMarshal, IAgileObject, a made-up interface, IUnknown and its own
 * interface, and once with a null out pointer ("probe NAME ..."), as the runtime and COM may do.
 * NOTAFON_WEBVIEW2_DOUBLE_MODE: "fail-now" (the entry point refuses at once), "fail-environment", "fail-controller"
 * (the handlers report failure), "fail-controller-now" (CreateCoreWebView2Controller refuses at once),
 * "fail-webview" (get_CoreWebView2 fails), "hold-controller" (the controller arrives only on "!controller") or
 * "late-controller" (it arrives 2 s after it was asked for, as a real browser's may). NOTAFON_WEBVIEW2_DOUBLE_CLOCK
 * (any value) starts each line with the system time in 100 ns units, for timing the host against what drove it. A
 * slot the host should never call logs "unexpected slot N". */
#define COBJMACROS
#define CINTERFACE
#include <windows.h>

#include <objbase.h>
#include <stdio.h>
#include <stdlib.h>
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
    const wchar_t* source;
} MessageArgs;
typedef struct {
    ICoreWebView2NewWindowRequestedEventArgs iface;
    const wchar_t* uri;
    BOOL handled;
} NewWindowArgs;
typedef struct {
    ICoreWebView2ProcessFailedEventArgs iface;
    COREWEBVIEW2_PROCESS_FAILED_KIND kind;
} FailedArgs;
typedef struct {
    ICoreWebView2HttpRequestHeaders iface;
    const wchar_t* origin;
} RequestHeaders;
typedef struct {
    ICoreWebView2WebResourceRequest iface;
    const wchar_t* uri;
    RequestHeaders* headers;
} Request;
typedef struct {
    ICoreWebView2WebResourceRequestedEventArgs iface;
    Request* request;
    int answered;
} ResourceArgs;
typedef struct {
    ICoreWebView2WebResourceResponse iface;
    LONG count;
} Response;

static ICoreWebView2EnvironmentVtbl environmentVtbl;
static ICoreWebView2ControllerVtbl controllerVtbl;
static ICoreWebView2_3Vtbl webViewVtbl;
static ICoreWebView2SettingsVtbl settingsVtbl;
static ICoreWebView2WebMessageReceivedEventArgsVtbl argsVtbl;
static ICoreWebView2NewWindowRequestedEventArgsVtbl newWindowArgsVtbl;
static ICoreWebView2ProcessFailedEventArgsVtbl failedArgsVtbl;
static ICoreWebView2HttpRequestHeadersVtbl requestHeadersVtbl;
static ICoreWebView2WebResourceRequestVtbl requestVtbl;
static ICoreWebView2WebResourceRequestedEventArgsVtbl resourceArgsVtbl;
static ICoreWebView2WebResourceResponseVtbl responseVtbl;

static Environment environment;
static Controller controller;
static WebView webView;
static Settings settings;
static Response response;

/* What the response the host created carries, until the host puts it on the request's arguments. */
static int responseStatus;
static wchar_t responseReason[64];
static wchar_t responseHeaders[1024];
static IStream* responseContent;

/* The document the browser shows: the last address navigated to, or the one "!document" names. */
static wchar_t documentSource[2048];
/* The browser process ended: the environment's new controllers are refused at once. */
static int browserGone;

static ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* environmentHandler;
static ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* controllerHandler;
static ICoreWebView2WebMessageReceivedEventHandler* messageHandler;
static ICoreWebView2NavigationCompletedEventHandler* navigationHandler;
static ICoreWebView2NewWindowRequestedEventHandler* newWindowHandler;
static ICoreWebView2ProcessFailedEventHandler* failedHandler;
static ICoreWebView2WebResourceRequestedEventHandler* resourceHandler;
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
COUNTING(ICoreWebView2WebResourceResponse, response, "Response")

/* Asks a host handler what COM or the runtime may ask it, and gives back every reference it handed out. */
static void ProbeHandler(void* handler, REFIID own, const char* name) {
    static const IID madeUp = {0x6e0f7a11, 0x2b3c, 0x4d5e, {0x9f, 0x80, 0x71, 0x62, 0x53, 0x44, 0x35, 0x26}};
    const IID* iids[5] = {&IID_IMarshal, &IID_IAgileObject, &madeUp, &IID_IUnknown, own};
    const char* labels[5] = {"IMarshal", "IAgileObject", "made-up", "IUnknown", "own"};
    IUnknown* unknown = (IUnknown*)handler;
    char line[512];
    int n = snprintf(line, sizeof line, "probe %s", name);
    for (int i = 0; i < 5; ++i) {
        void* out = (void*)&madeUp; /* a value the handler must overwrite */
        HRESULT hr = unknown->lpVtbl->QueryInterface(unknown, iids[i], &out);
        if (SUCCEEDED(hr)) {
            n += snprintf(line + n, sizeof line - n, " %s=%s", labels[i], out == handler ? "self" : "other");
            if (out) ((IUnknown*)out)->lpVtbl->Release((IUnknown*)out);
        } else {
            n += snprintf(line + n, sizeof line - n, " %s=0x%08lx/%s", labels[i], (unsigned long)hr,
                          out ? "set" : "null");
        }
    }
    HRESULT hr = unknown->lpVtbl->QueryInterface(unknown, own, NULL);
    snprintf(line + n, sizeof line - n, " null-out=0x%08lx", (unsigned long)hr);
    LogLine("%s", line);
}

static void Deliver(void);

static void CALLBACK OnTimer(HWND window, UINT message, UINT_PTR id, DWORD time) {
    (void)window, (void)message, (void)time;
    if (id != (UINT_PTR)pollTimer) KillTimer(NULL, id);
    Deliver();
}

static void Soon(void) {
    SetTimer(NULL, 0, 10, OnTimer);
}

static void CALLBACK OnLateController(HWND window, UINT message, UINT_PTR id, DWORD time);

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
    if (browserGone || strcmp(mode, "fail-controller-now") == 0) {
        LogLine("Environment.CreateCoreWebView2Controller refused");
        return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    }
    ProbeHandler(handler, &IID_ICoreWebView2CreateCoreWebView2ControllerCompletedHandler, "ControllerHandler");
    ULONG n = handler->lpVtbl->AddRef(handler);
    LogLine("ControllerHandler.AddRef -> %lu", n);
    controllerHandler = handler;
    if (strcmp(mode, "hold-controller") == 0) {
        controllerHeld = 1;
    } else if (strcmp(mode, "late-controller") == 0) {
        controllerHeld = 1;
        SetTimer(NULL, 0, 2000, OnLateController);
    } else {
        controllerDue = 1;
        Soon();
    }
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE EnvironmentCreateResponse(ICoreWebView2Environment* self, IStream* content, int status,
                                                           LPCWSTR reason, LPCWSTR headers,
                                                           ICoreWebView2WebResourceResponse** out) {
    (void)self;
    LogLine("Environment.CreateWebResourceResponse %d %s content=%s", status, U8(reason, 0),
            content ? "set" : "(null)");
    if (!out) return E_POINTER;
    if (responseContent) responseContent->lpVtbl->Release(responseContent);
    responseContent = content;
    if (content) content->lpVtbl->AddRef(content);
    responseStatus = status;
    lstrcpynW(responseReason, reason ? reason : L"", 64);
    lstrcpynW(responseHeaders, headers ? headers : L"", 1024);
    *out = &response.iface;
    responseAddRef(&response.iface);
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
static HRESULT STDMETHODCALLTYPE ControllerNotifyMoved(ICoreWebView2Controller* self) {
    (void)self;
    LogLine("Controller.NotifyParentWindowPositionChanged");
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE ControllerGetWebView(ICoreWebView2Controller* self, ICoreWebView2** out) {
    (void)self;
    LogLine("Controller.get_CoreWebView2");
    if (strcmp(mode, "fail-webview") == 0) {
        *out = NULL;
        return E_FAIL;
    }
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
    lstrcpynW(documentSource, address ? address : L"", 2048);
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE WebViewReload(ICoreWebView2_3* self) {
    (void)self;
    LogLine("WebView.Reload");
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE WebViewGetSource(ICoreWebView2_3* self, LPWSTR* out) {
    (void)self;
    if (!out) return E_POINTER;
    size_t bytes = (wcslen(documentSource) + 1) * sizeof(wchar_t);
    *out = (LPWSTR)CoTaskMemAlloc(bytes);
    if (!*out) return E_OUTOFMEMORY;
    memcpy(*out, documentSource, bytes);
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE WebViewAddNewWindow(ICoreWebView2_3* self,
                                                     ICoreWebView2NewWindowRequestedEventHandler* handler,
                                                     EventRegistrationToken* token) {
    (void)self;
    LogLine("WebView.add_NewWindowRequested handler=%s", handler ? "set" : "(null)");
    if (!handler || !token) return E_POINTER;
    ProbeHandler(handler, &IID_ICoreWebView2NewWindowRequestedEventHandler, "NewWindowHandler");
    handler->lpVtbl->AddRef(handler);
    newWindowHandler = handler;
    token->value = 3;
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE WebViewAddProcessFailed(ICoreWebView2_3* self,
                                                         ICoreWebView2ProcessFailedEventHandler* handler,
                                                         EventRegistrationToken* token) {
    (void)self;
    LogLine("WebView.add_ProcessFailed handler=%s", handler ? "set" : "(null)");
    if (!handler || !token) return E_POINTER;
    ProbeHandler(handler, &IID_ICoreWebView2ProcessFailedEventHandler, "ProcessFailedHandler");
    handler->lpVtbl->AddRef(handler);
    failedHandler = handler;
    token->value = 4;
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE WebViewAddResourceRequested(ICoreWebView2_3* self,
                                                             ICoreWebView2WebResourceRequestedEventHandler* handler,
                                                             EventRegistrationToken* token) {
    (void)self;
    LogLine("WebView.add_WebResourceRequested handler=%s", handler ? "set" : "(null)");
    if (!handler || !token) return E_POINTER;
    ProbeHandler(handler, &IID_ICoreWebView2WebResourceRequestedEventHandler, "ResourceHandler");
    handler->lpVtbl->AddRef(handler);
    resourceHandler = handler;
    token->value = 5;
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE WebViewAddResourceFilter(ICoreWebView2_3* self, LPCWSTR uri,
                                                          COREWEBVIEW2_WEB_RESOURCE_CONTEXT context) {
    (void)self;
    LogLine("WebView.AddWebResourceRequestedFilter %s %d", U8(uri, 0), (int)context);
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE WebViewAddNavigationCompleted(ICoreWebView2_3* self,
                                                               ICoreWebView2NavigationCompletedEventHandler* handler,
                                                               EventRegistrationToken* token) {
    (void)self;
    LogLine("WebView.add_NavigationCompleted handler=%s", handler ? "set" : "(null)");
    if (!handler || !token) return E_POINTER;
    ProbeHandler(handler, &IID_ICoreWebView2NavigationCompletedEventHandler, "NavigationHandler");
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
    ProbeHandler(handler, &IID_ICoreWebView2WebMessageReceivedEventHandler, "MessageHandler");
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

static HRESULT CopyOut(const wchar_t* text, LPWSTR* out) {
    *out = NULL;
    if (!text) return E_FAIL;
    size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    *out = (LPWSTR)CoTaskMemAlloc(bytes);
    if (!*out) return E_OUTOFMEMORY;
    memcpy(*out, text, bytes);
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE ArgsGetSource(ICoreWebView2WebMessageReceivedEventArgs* self, LPWSTR* out) {
    LogLine("Args.get_Source");
    return CopyOut(((MessageArgs*)self)->source, out);
}

/* Stack objects for one event each: their reference counts do not matter. */
static HRESULT STDMETHODCALLTYPE NoInterface(void* self, REFIID iid, void** out) {
    (void)self, (void)iid;
    *out = NULL;
    return E_NOINTERFACE;
}
static ULONG STDMETHODCALLTYPE One(void* self) {
    (void)self;
    return 1;
}

static HRESULT STDMETHODCALLTYPE NewWindowGetUri(ICoreWebView2NewWindowRequestedEventArgs* self, LPWSTR* out) {
    LogLine("NewWindowArgs.get_Uri");
    return CopyOut(((NewWindowArgs*)self)->uri, out);
}
static HRESULT STDMETHODCALLTYPE NewWindowPutHandled(ICoreWebView2NewWindowRequestedEventArgs* self, BOOL handled) {
    LogLine("NewWindowArgs.put_Handled %d", handled);
    ((NewWindowArgs*)self)->handled = handled;
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE NewWindowGetHandled(ICoreWebView2NewWindowRequestedEventArgs* self, BOOL* out) {
    *out = ((NewWindowArgs*)self)->handled;
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE NewWindowPutNewWindow(ICoreWebView2NewWindowRequestedEventArgs* self,
                                                       ICoreWebView2* window) {
    (void)self;
    LogLine("NewWindowArgs.put_NewWindow %s", window ? "set" : "(null)");
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE FailedGetKind(ICoreWebView2ProcessFailedEventArgs* self,
                                               COREWEBVIEW2_PROCESS_FAILED_KIND* out) {
    *out = ((FailedArgs*)self)->kind;
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE HeadersGetHeader(ICoreWebView2HttpRequestHeaders* self, LPCWSTR name, LPWSTR* out) {
    LogLine("RequestHeaders.GetHeader %s", U8(name, 0));
    const wchar_t* origin = ((RequestHeaders*)self)->origin;
    if (!name || lstrcmpiW(name, L"Origin") != 0 || !origin) {
        *out = NULL;
        return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    }
    return CopyOut(origin, out);
}
static HRESULT STDMETHODCALLTYPE RequestGetUri(ICoreWebView2WebResourceRequest* self, LPWSTR* out) {
    return CopyOut(((Request*)self)->uri, out);
}
static HRESULT STDMETHODCALLTYPE RequestGetMethod(ICoreWebView2WebResourceRequest* self, LPWSTR* out) {
    (void)self;
    return CopyOut(L"GET", out);
}
static HRESULT STDMETHODCALLTYPE RequestGetHeaders(ICoreWebView2WebResourceRequest* self,
                                                   ICoreWebView2HttpRequestHeaders** out) {
    *out = &((Request*)self)->headers->iface;
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE ResourceGetRequest(ICoreWebView2WebResourceRequestedEventArgs* self,
                                                    ICoreWebView2WebResourceRequest** out) {
    *out = &((ResourceArgs*)self)->request->iface;
    return S_OK;
}
/* The answer as the page would see it: status, reason, headers (line breaks as " | ") and the body's length; the
 * body itself goes to the log's name with ".body" added. */
static HRESULT STDMETHODCALLTYPE ResourcePutResponse(ICoreWebView2WebResourceRequestedEventArgs* self,
                                                     ICoreWebView2WebResourceResponse* answer) {
    ((ResourceArgs*)self)->answered = 1;
    if (answer != &response.iface) {
        LogLine("ResourceArgs.put_Response (not created by the environment)");
        return E_INVALIDARG;
    }
    static wchar_t headers[1024];
    size_t k = 0;
    for (const wchar_t* p = responseHeaders; *p && k + 4 < 1024; ++p) {
        if (p[0] == L'\r' && p[1] == L'\n') {
            headers[k++] = L' ', headers[k++] = L'|', headers[k++] = L' ';
            ++p;
        } else {
            headers[k++] = *p;
        }
    }
    headers[k] = 0;
    unsigned long total = 0;
    wchar_t bodyPath[MAX_PATH + 8];
    lstrcpynW(bodyPath, logPath, MAX_PATH);
    lstrcatW(bodyPath, L".body");
    FILE* f = _wfopen(bodyPath, L"wb");
    if (responseContent) {
        char buffer[65536];
        ULONG got = 0;
        while (SUCCEEDED(responseContent->lpVtbl->Read(responseContent, buffer, sizeof buffer, &got)) && got > 0) {
            if (f) fwrite(buffer, 1, got, f);
            total += got;
        }
        responseContent->lpVtbl->Release(responseContent);
        responseContent = NULL;
    }
    if (f) fclose(f);
    LogLine("ResourceArgs.put_Response %d %s headers=%s body=%lu", responseStatus, U8(responseReason, 0),
            U8(headers, 1), total);
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
    environmentVtbl.CreateWebResourceResponse = EnvironmentCreateResponse;
    FillStubs(&environmentVtbl, sizeof environmentVtbl);
    controllerVtbl.QueryInterface = ControllerQueryInterface;
    controllerVtbl.AddRef = controllerAddRef;
    controllerVtbl.Release = controllerRelease;
    controllerVtbl.put_IsVisible = ControllerPutIsVisible;
    controllerVtbl.put_Bounds = ControllerPutBounds;
    controllerVtbl.Close = ControllerClose;
    controllerVtbl.get_CoreWebView2 = ControllerGetWebView;
    controllerVtbl.NotifyParentWindowPositionChanged = ControllerNotifyMoved;
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
    webViewVtbl.Reload = WebViewReload;
    webViewVtbl.get_Source = WebViewGetSource;
    webViewVtbl.add_NewWindowRequested = WebViewAddNewWindow;
    webViewVtbl.add_ProcessFailed = WebViewAddProcessFailed;
    webViewVtbl.add_WebResourceRequested = WebViewAddResourceRequested;
    webViewVtbl.AddWebResourceRequestedFilter = WebViewAddResourceFilter;
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
    argsVtbl.get_Source = ArgsGetSource;
    FillStubs(&argsVtbl, sizeof argsVtbl);
#define STACK_OBJECT(vtbl, Type)                                               \
    memcpy(&vtbl.QueryInterface, &(void*){(void*)NoInterface}, sizeof(void*)); \
    memcpy(&vtbl.AddRef, &(void*){(void*)One}, sizeof(void*));                 \
    memcpy(&vtbl.Release, &(void*){(void*)One}, sizeof(void*));
    STACK_OBJECT(newWindowArgsVtbl, NewWindowArgs)
    newWindowArgsVtbl.get_Uri = NewWindowGetUri;
    newWindowArgsVtbl.put_Handled = NewWindowPutHandled;
    newWindowArgsVtbl.get_Handled = NewWindowGetHandled;
    newWindowArgsVtbl.put_NewWindow = NewWindowPutNewWindow;
    FillStubs(&newWindowArgsVtbl, sizeof newWindowArgsVtbl);
    STACK_OBJECT(failedArgsVtbl, FailedArgs)
    failedArgsVtbl.get_ProcessFailedKind = FailedGetKind;
    FillStubs(&failedArgsVtbl, sizeof failedArgsVtbl);
    STACK_OBJECT(requestHeadersVtbl, RequestHeaders)
    requestHeadersVtbl.GetHeader = HeadersGetHeader;
    FillStubs(&requestHeadersVtbl, sizeof requestHeadersVtbl);
    STACK_OBJECT(requestVtbl, Request)
    requestVtbl.get_Uri = RequestGetUri;
    requestVtbl.get_Method = RequestGetMethod;
    requestVtbl.get_Headers = RequestGetHeaders;
    FillStubs(&requestVtbl, sizeof requestVtbl);
    STACK_OBJECT(resourceArgsVtbl, ResourceArgs)
    resourceArgsVtbl.get_Request = ResourceGetRequest;
    resourceArgsVtbl.put_Response = ResourcePutResponse;
    FillStubs(&resourceArgsVtbl, sizeof resourceArgsVtbl);
    responseVtbl.AddRef = responseAddRef;
    responseVtbl.Release = responseRelease;
    memcpy(&responseVtbl.QueryInterface, &(void*){(void*)NoInterface}, sizeof(void*));
    FillStubs(&responseVtbl, sizeof responseVtbl);
    response.iface.lpVtbl = &responseVtbl;
    response.count = 1;
    environment.iface.lpVtbl = &environmentVtbl;
    environment.count = 1;
    controller.iface.lpVtbl = &controllerVtbl;
    controller.count = 1;
    webView.iface.lpVtbl = &webViewVtbl;
    webView.count = 1;
    settings.iface.lpVtbl = &settingsVtbl;
    settings.count = 1;
}

static void DeliverMessage(const wchar_t* text, const wchar_t* source) {
    if (!messageHandler) {
        LogLine("dropped (no subscriber): %s", U8(text, 0));
        return;
    }
    MessageArgs args;
    args.iface.lpVtbl = &argsVtbl;
    args.text = text;
    args.source = source;
    LogLine("deliver message %s", U8(text, 0));
    messageHandler->lpVtbl->Invoke(messageHandler, (ICoreWebView2*)&webView.iface, &args.iface);
    LogLine("MessageHandler.Invoke returned");
}

static void DeliverNewWindow(const wchar_t* uri) {
    if (!newWindowHandler) {
        LogLine("popup opened (no subscriber): %s", U8(uri, 0));
        return;
    }
    NewWindowArgs args;
    args.iface.lpVtbl = &newWindowArgsVtbl;
    args.uri = uri;
    args.handled = FALSE;
    LogLine("deliver new-window %s", U8(uri, 0));
    newWindowHandler->lpVtbl->Invoke(newWindowHandler, (ICoreWebView2*)&webView.iface, &args.iface);
    LogLine("NewWindowHandler.Invoke returned");
    /* Not handled and no window set: the runtime opens a popup of its own. */
    if (!args.handled) LogLine("popup opened: %s", U8(uri, 0));
}

static void DeliverProcessFailed(int kind) {
    if (kind == COREWEBVIEW2_PROCESS_FAILED_KIND_BROWSER_PROCESS_EXITED) browserGone = 1;
    if (!failedHandler) {
        LogLine("process failure %d unheard (no subscriber)", kind);
        return;
    }
    FailedArgs args;
    args.iface.lpVtbl = &failedArgsVtbl;
    args.kind = (COREWEBVIEW2_PROCESS_FAILED_KIND)kind;
    LogLine("deliver process-failed %d", kind);
    failedHandler->lpVtbl->Invoke(failedHandler, (ICoreWebView2*)&webView.iface, &args.iface);
    LogLine("ProcessFailedHandler.Invoke returned");
}

static void DeliverFetch(const wchar_t* origin, const wchar_t* uri) {
    if (!resourceHandler) {
        LogLine("fetch not intercepted (no subscriber): %s", U8(uri, 0));
        return;
    }
    RequestHeaders headers;
    headers.iface.lpVtbl = &requestHeadersVtbl;
    headers.origin = origin;
    Request request;
    request.iface.lpVtbl = &requestVtbl;
    request.uri = uri;
    request.headers = &headers;
    ResourceArgs args;
    args.iface.lpVtbl = &resourceArgsVtbl;
    args.request = &request;
    args.answered = 0;
    LogLine("deliver fetch %s from %s", U8(uri, 0), origin ? U8(origin, 1) : "(no origin)");
    resourceHandler->lpVtbl->Invoke(resourceHandler, (ICoreWebView2*)&webView.iface, &args.iface);
    LogLine("ResourceHandler.Invoke returned");
    if (!args.answered) LogLine("fetch went to the network: %s", U8(uri, 0));
}

static void DeliverControllerNow(void) {
    int fail = strcmp(mode, "fail-controller") == 0;
    ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* h = controllerHandler;
    controllerHandler = NULL;
    LogLine("deliver controller %s", fail ? "failure" : "success");
    h->lpVtbl->Invoke(h, fail ? E_FAIL : S_OK, fail ? NULL : &controller.iface);
    LogLine("ControllerHandler.Invoke returned");
    LogLine("ControllerHandler.Release -> %lu", h->lpVtbl->Release(h));
}

static void CALLBACK OnLateController(HWND window, UINT message, UINT_PTR id, DWORD time) {
    (void)window, (void)message, (void)time;
    KillTimer(NULL, id);
    if (controllerHeld && controllerHandler) {
        controllerHeld = 0;
        DeliverControllerNow();
    }
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
        } else if (strncmp(line, "!source ", 8) == 0) {
            lstrcpynW(documentSource, wide + 8, 2048);
            LogLine("source %s", line + 8);
        } else if (strncmp(line, "!document ", 10) == 0) {
            lstrcpynW(documentSource, wide + 10, 2048);
            LogLine("document %s", line + 10);
            if (navigationHandler) {
                navigationHandler->lpVtbl->Invoke(navigationHandler, (ICoreWebView2*)&webView.iface, NULL);
                LogLine("NavigationHandler.Invoke returned");
            }
        } else if (strcmp(line, "!not-a-string") == 0) {
            DeliverMessage(NULL, documentSource);
        } else if (strncmp(line, "!new-window ", 12) == 0) {
            DeliverNewWindow(wide + 12);
        } else if (strncmp(line, "!process-failed ", 16) == 0) {
            DeliverProcessFailed(atoi(line + 16));
        } else if (strncmp(line, "!fetch ", 7) == 0) {
            wchar_t* origin = wide + 7;
            wchar_t* space = wcschr(origin, L' ');
            if (space) {
                *space = 0;
                DeliverFetch(wcscmp(origin, L"-") == 0 ? NULL : origin, space + 1);
            }
        } else if (line[0] == '@') {
            wchar_t* space = wcschr(wide, L' ');
            if (space) {
                *space = 0;
                DeliverMessage(space + 1, wide + 1);
            }
        } else {
            DeliverMessage(wide, documentSource);
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
        LogLine("EnvironmentHandler.Invoke returned");
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
    browserGone = 0; /* a new environment starts a new browser process */
    ProbeHandler(handler, &IID_ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler, "EnvironmentHandler");
    LogLine("EnvironmentHandler.AddRef -> %lu", handler->lpVtbl->AddRef(handler));
    environmentHandler = handler;
    environmentDue = 1;
    Soon();
    if (!pollTimer) pollTimer = (int)SetTimer(NULL, 0, 25, OnTimer);
    return S_OK;
}
