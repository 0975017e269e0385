// Adapts the panel host's browser needs to WebView2: the loader library's entry point, the environment and the
// controller, the settings and the virtual-host mapping, the two subscriptions, Navigate and PostWebMessageAsJson.
// The four event handlers are single static objects that live for the whole process and pass each event to the
// portable host (panel_host.cpp), which decides what follows; this file only moves references and texts.
#include <windows.h>

#include <objbase.h>
#include <string.h>

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

// The browser may ask for any of its interfaces; the handler answers with itself, as each object has one role.
#define NOTAFON_HANDLER_IUNKNOWN                                            \
    uint32_t count = kHandlerInitialCount;                                  \
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override { \
        *out = this;                                                        \
        HandlerAddRef(&count);                                              \
        return S_OK;                                                        \
    }                                                                       \
    ULONG STDMETHODCALLTYPE AddRef() override {                             \
        return HandlerAddRef(&count);                                       \
    }                                                                       \
    ULONG STDMETHODCALLTYPE Release() override {                            \
        return HandlerRelease(&count);                                      \
    }

struct EnvironmentCreatedHandler : ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler {
    NOTAFON_HANDLER_IUNKNOWN
    HRESULT STDMETHODCALLTYPE Invoke(HRESULT result, ICoreWebView2Environment* created) override {
        arrivingEnvironment = created;
        PanelEnvironmentCreated(result, created != nullptr);
        arrivingEnvironment = nullptr;
        return S_OK;
    }
};

struct ControllerCreatedHandler : ICoreWebView2CreateCoreWebView2ControllerCompletedHandler {
    NOTAFON_HANDLER_IUNKNOWN
    HRESULT STDMETHODCALLTYPE Invoke(HRESULT result, ICoreWebView2Controller* created) override {
        arrivingController = created;
        PanelControllerCreated(result, created != nullptr);
        arrivingController = nullptr;
        return S_OK;
    }
};

struct WebMessageHandler : ICoreWebView2WebMessageReceivedEventHandler {
    NOTAFON_HANDLER_IUNKNOWN
    HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2*, ICoreWebView2WebMessageReceivedEventArgs* args) override {
        LPWSTR text = nullptr;
        HRESULT read = args ? args->TryGetWebMessageAsString(&text) : E_POINTER;
        PanelWebMessageReceived(SUCCEEDED(read) ? text : nullptr);
        if (text) CoTaskMemFree(text);
        return S_OK;
    }
};

struct NavigationCompletedHandler : ICoreWebView2NavigationCompletedEventHandler {
    NOTAFON_HANDLER_IUNKNOWN
    HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2*, ICoreWebView2NavigationCompletedEventArgs*) override {
        PanelNavigationCompleted();
        return S_OK;
    }
};

EnvironmentCreatedHandler environmentCreatedHandler;
ControllerCreatedHandler controllerCreatedHandler;
WebMessageHandler webMessageHandler;
NavigationCompletedHandler navigationCompletedHandler;

int LoadLoader(const wchar_t* path) {
    HMODULE library = LoadLibraryW(path);
    if (!library) return -1;
    FARPROC entry = GetProcAddress(library, "CreateCoreWebView2EnvironmentWithOptions");
    if (!entry) return -2;
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

void CreateController(PanelWindow parent) {
    if (environment) environment->CreateCoreWebView2Controller(static_cast<HWND>(parent), &controllerCreatedHandler);
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

void DisableSettings() {
    ICoreWebView2Settings* settings = nullptr;
    if (!webView || FAILED(webView->get_Settings(&settings)) || !settings) return;
    settings->put_IsStatusBarEnabled(FALSE);
    settings->put_AreDevToolsEnabled(FALSE);
    settings->put_IsZoomControlEnabled(FALSE);
    settings->Release();
}

void MapHost(const wchar_t* host, const wchar_t* folder) {
    ICoreWebView2_3* webView3 = nullptr;
    if (!webView || FAILED(webView->QueryInterface(IID_ICoreWebView2_3, reinterpret_cast<void**>(&webView3))) ||
        !webView3) {
        return;
    }
    webView3->SetVirtualHostNameToFolderMapping(host, folder, COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND_ALLOW);
    webView3->Release();
}

void Subscribe() {
    if (!webView) return;
    // The handlers stay for the life of the browser, so the tokens are never needed.
    EventRegistrationToken token;
    webView->add_WebMessageReceived(&webMessageHandler, &token);
    webView->add_NavigationCompleted(&navigationCompletedHandler, &token);
}

void Navigate(const wchar_t* address) {
    if (webView) webView->Navigate(address);
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
    CreateController,
    KeepController,
    PutBounds,
    PutVisible,
    DisableSettings,
    MapHost,
    Subscribe,
    Navigate,
    PostJson,
    CloseController,
};
