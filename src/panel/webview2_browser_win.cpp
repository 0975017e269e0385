// Adapts the panel host's browser needs to WebView2: the loader library's entry point, the environment and the
// controller, the settings, the hand-off host's requests, the subscriptions, Navigate, Reload and
// PostWebMessageAsJson. The event handlers are single static objects that live for the whole process and pass each
// event to the portable host (panel_host.cpp), which decides what follows; this file only moves references and
// texts, and builds the one response the host asks for.
#include <windows.h>

#include <objbase.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <string.h>
#include <wchar.h>

#include "WebView2.h"
#include "panel/handler_refcount.h"
#include "panel/panel_files_win.h"
#include "panel/panel_host.h"
#include "panel/webview2_browser.h"

namespace {

typedef HRESULT(STDAPICALLTYPE* CreateEnvironmentFunction)(
    PCWSTR browserFolder, PCWSTR userDataFolder, ICoreWebView2EnvironmentOptions* options,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler);

CreateEnvironmentFunction createEnvironmentEntry = nullptr;
ICoreWebView2Environment* environment = nullptr;
ICoreWebView2Environment* arrivingEnvironment = nullptr;
ICoreWebView2Controller* arrivingController = nullptr;
ICoreWebView2Controller* controller = nullptr;
ICoreWebView2* webView = nullptr;

// COM's identity rule: a handler hands itself out only as IUnknown or as its own interface, so a caller asking for
// IMarshal or IAgileObject learns that the object has neither instead of calling through the wrong table.
#define NOTAFON_HANDLER_IUNKNOWN(Interface)                                        \
    uint32_t count = kHandlerInitialCount;                                         \
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {    \
        if (!out) return E_POINTER;                                                \
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_##Interface)) { \
            *out = nullptr;                                                        \
            return E_NOINTERFACE;                                                  \
        }                                                                          \
        *out = static_cast<Interface*>(this);                                      \
        HandlerAddRef(&count);                                                     \
        return S_OK;                                                               \
    }                                                                              \
    ULONG STDMETHODCALLTYPE AddRef() override {                                    \
        return HandlerAddRef(&count);                                              \
    }                                                                              \
    ULONG STDMETHODCALLTYPE Release() override {                                   \
        return HandlerRelease(&count);                                             \
    }

struct EnvironmentCreatedHandler : ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler {
    NOTAFON_HANDLER_IUNKNOWN(ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler)
    HRESULT STDMETHODCALLTYPE Invoke(HRESULT result, ICoreWebView2Environment* created) override {
        arrivingEnvironment = created;
        PanelEnvironmentCreated(result, created != nullptr);
        arrivingEnvironment = nullptr;
        return S_OK;
    }
};

struct ControllerCreatedHandler : ICoreWebView2CreateCoreWebView2ControllerCompletedHandler {
    NOTAFON_HANDLER_IUNKNOWN(ICoreWebView2CreateCoreWebView2ControllerCompletedHandler)
    HRESULT STDMETHODCALLTYPE Invoke(HRESULT result, ICoreWebView2Controller* created) override {
        arrivingController = created;
        PanelControllerCreated(result, created != nullptr);
        arrivingController = nullptr;
        return S_OK;
    }
};

struct WebMessageHandler : ICoreWebView2WebMessageReceivedEventHandler {
    NOTAFON_HANDLER_IUNKNOWN(ICoreWebView2WebMessageReceivedEventHandler)
    HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2*, ICoreWebView2WebMessageReceivedEventArgs* args) override {
        if (!args) return S_OK;
        LPWSTR source = nullptr;
        if (FAILED(args->get_Source(&source))) source = nullptr;
        LPWSTR text = nullptr;
        HRESULT read = args->TryGetWebMessageAsString(&text);
        PanelWebMessageReceived(SUCCEEDED(read) ? text : nullptr, source);
        if (text) CoTaskMemFree(text);
        if (source) CoTaskMemFree(source);
        return S_OK;
    }
};

struct NavigationCompletedHandler : ICoreWebView2NavigationCompletedEventHandler {
    NOTAFON_HANDLER_IUNKNOWN(ICoreWebView2NavigationCompletedEventHandler)
    HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2*, ICoreWebView2NavigationCompletedEventArgs*) override {
        PanelNavigationCompleted();
        return S_OK;
    }
};

struct NewWindowHandler : ICoreWebView2NewWindowRequestedEventHandler {
    NOTAFON_HANDLER_IUNKNOWN(ICoreWebView2NewWindowRequestedEventHandler)
    HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2*, ICoreWebView2NewWindowRequestedEventArgs* args) override {
        if (!args) return S_OK;
        // Handled without a new window: the browser opens no popup of its own, whatever the host does with it.
        args->put_Handled(TRUE);
        LPWSTR uri = nullptr;
        if (SUCCEEDED(args->get_Uri(&uri)) && uri) PanelNewWindowRequested(uri);
        if (uri) CoTaskMemFree(uri);
        return S_OK;
    }
};

struct ProcessFailedHandler : ICoreWebView2ProcessFailedEventHandler {
    NOTAFON_HANDLER_IUNKNOWN(ICoreWebView2ProcessFailedEventHandler)
    HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2*, ICoreWebView2ProcessFailedEventArgs* args) override {
        COREWEBVIEW2_PROCESS_FAILED_KIND kind;
        if (args && SUCCEEDED(args->get_ProcessFailedKind(&kind))) PanelProcessFailed(static_cast<int>(kind));
        return S_OK;
    }
};

// The answer's body is a stream over the copy; the browser reads it after the handler has returned.
void Answer(ICoreWebView2WebResourceRequestedEventArgs* args, const PanelResourceAnswer& answer) {
    if (!environment) return;
    IStream* content = nullptr;
    int status = answer.status;
    const wchar_t* reason = answer.reason;
    if (status == 200 && FAILED(SHCreateStreamOnFileEx(answer.path, STGM_READ | STGM_SHARE_DENY_WRITE,
                                                       FILE_ATTRIBUTE_NORMAL, FALSE, nullptr, &content))) {
        content = nullptr;
        status = 404;
        reason = L"Not Found";
    }
    ICoreWebView2WebResourceResponse* response = nullptr;
    if (SUCCEEDED(environment->CreateWebResourceResponse(content, status, reason, status == 200 ? answer.headers : L"",
                                                         &response)) &&
        response) {
        args->put_Response(response);
        response->Release();
    }
    if (content) content->Release();
}

struct ResourceRequestedHandler : ICoreWebView2WebResourceRequestedEventHandler {
    NOTAFON_HANDLER_IUNKNOWN(ICoreWebView2WebResourceRequestedEventHandler)
    HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2*, ICoreWebView2WebResourceRequestedEventArgs* args) override {
        ICoreWebView2WebResourceRequest* request = nullptr;
        if (!args || FAILED(args->get_Request(&request)) || !request) return S_OK;
        LPWSTR uri = nullptr, method = nullptr, origin = nullptr;
        if (FAILED(request->get_Uri(&uri))) uri = nullptr;
        if (FAILED(request->get_Method(&method))) method = nullptr;
        ICoreWebView2HttpRequestHeaders* headers = nullptr;
        if (SUCCEEDED(request->get_Headers(&headers)) && headers) {
            if (FAILED(headers->GetHeader(L"Origin", &origin))) origin = nullptr;
            headers->Release();
        }
        PanelResourceAnswer answer;
        PanelResourceRequested(uri, method, origin, &answer);
        Answer(args, answer);
        if (uri) CoTaskMemFree(uri);
        if (method) CoTaskMemFree(method);
        if (origin) CoTaskMemFree(origin);
        request->Release();
        return S_OK;
    }
};

EnvironmentCreatedHandler environmentCreatedHandler;
ControllerCreatedHandler controllerCreatedHandler;
WebMessageHandler webMessageHandler;
NavigationCompletedHandler navigationCompletedHandler;
NewWindowHandler newWindowHandler;
ProcessFailedHandler processFailedHandler;
ResourceRequestedHandler resourceRequestedHandler;

int LoadLoader(const wchar_t* path) {
    HMODULE library = LoadLibraryW(path);
    if (!library) return -1;
    FARPROC entry = GetProcAddress(library, "CreateCoreWebView2EnvironmentWithOptions");
    if (!entry) {
        // A damaged or foreign file must not stay loaded: its rewrite would find it locked.
        FreeLibrary(library);
        return -2;
    }
    // Copied rather than cast: the entry's real type is only known by name.
    memcpy(&createEnvironmentEntry, &entry, sizeof entry);
    return 0;
}

int32_t CreateEnvironment(const wchar_t* userDataFolder) {
    if (!createEnvironmentEntry) return E_FAIL;
    return createEnvironmentEntry(nullptr, userDataFolder, nullptr, &environmentCreatedHandler);
}

void KeepEnvironment() {
    arrivingEnvironment->AddRef();
    environment = arrivingEnvironment;
}

void ReleaseEnvironment() {
    if (environment) environment->Release();
    environment = nullptr;
}

int32_t CreateController(PanelWindow parent) {
    if (!environment) return E_FAIL;
    return environment->CreateCoreWebView2Controller(static_cast<HWND>(parent), &controllerCreatedHandler);
}

int KeepController() {
    arrivingController->AddRef();
    controller = arrivingController;
    webView = nullptr;
    if (FAILED(controller->get_CoreWebView2(&webView))) webView = nullptr;
    return webView ? 0 : -1;
}

void PutBounds(PanelRect bounds) {
    RECT rect = {bounds.left, bounds.top, bounds.right, bounds.bottom};
    if (controller) controller->put_Bounds(rect);
}

void PutVisible(int visible) {
    if (controller) controller->put_IsVisible(visible ? TRUE : FALSE);
}

void NotifyParentMoved() {
    if (controller) controller->NotifyParentWindowPositionChanged();
}

void DisableSettings() {
    ICoreWebView2Settings* settings = nullptr;
    if (!webView || FAILED(webView->get_Settings(&settings)) || !settings) return;
    settings->put_IsStatusBarEnabled(FALSE);
    settings->put_AreDevToolsEnabled(FALSE);
    settings->put_IsZoomControlEnabled(FALSE);
    settings->Release();
}

void ServeHost(const wchar_t* host) {
    if (!webView) return;
    wchar_t filter[128];
    int n = swprintf(filter, 128, L"https://%ls/*", host);
    if (n <= 0 || n >= 128) return;
    webView->AddWebResourceRequestedFilter(filter, COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL);
    EventRegistrationToken token;
    webView->add_WebResourceRequested(&resourceRequestedHandler, &token);
}

void Subscribe() {
    if (!webView) return;
    // The handlers stay for the life of the browser, so the tokens are never needed.
    EventRegistrationToken token;
    webView->add_WebMessageReceived(&webMessageHandler, &token);
    webView->add_NavigationCompleted(&navigationCompletedHandler, &token);
    webView->add_NewWindowRequested(&newWindowHandler, &token);
    webView->add_ProcessFailed(&processFailedHandler, &token);
}

void Navigate(const wchar_t* address) {
    if (webView) webView->Navigate(address);
}

void Reload() {
    if (webView) webView->Reload();
}

int CurrentSource(wchar_t* out, int capacity) {
    LPWSTR source = nullptr;
    if (!webView || FAILED(webView->get_Source(&source)) || !source) return -1;
    int length = lstrlenW(source);
    int result = length < capacity ? 0 : -1;  // a cut address could name another origin
    if (result == 0) memcpy(out, source, (length + 1) * sizeof(wchar_t));
    CoTaskMemFree(source);
    return result;
}

void PostJson(const wchar_t* json) {
    if (webView) webView->PostWebMessageAsJson(json);
}

void CloseController() {
    if (controller) {
        controller->Close();
        controller->Release();
        controller = nullptr;
    }
    if (webView) {
        webView->Release();
        webView = nullptr;
    }
}

int PostDeferred(PanelWindow window) {
    return window && PostMessageW(static_cast<HWND>(window), kPanelDeferredMessage, 0, 0) ? 0 : -1;
}

void OpenInBrowser(const wchar_t* address) {
    ShellExecuteW(nullptr, L"open", address, nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

const PanelPlatformApi kWebView2Panel = {
    PanelLocalAppDataWin,
    PanelCreateFolderTreeWin,
    PanelLoaderResourceWin,
    PanelFileSizeWin,
    PanelWriteNewFileWin,
    PanelEmptyFolderWin,
    PanelCopyFileWin,
    PanelTickCountWin,
    PanelAllocateZeroedWin,
    PanelFreeMemoryWin,
    LoadLoader,
    CreateEnvironment,
    KeepEnvironment,
    ReleaseEnvironment,
    CreateController,
    KeepController,
    PutBounds,
    PutVisible,
    NotifyParentMoved,
    DisableSettings,
    ServeHost,
    Subscribe,
    Navigate,
    Reload,
    CurrentSource,
    PostJson,
    CloseController,
    PostDeferred,
    OpenInBrowser,
};
