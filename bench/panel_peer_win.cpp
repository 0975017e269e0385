// The panel-open benchmark's peer: the least a Win32 program does to get from a click to a page loading in an
// embedded browser through the WebView2 loader named on its command line (load it, ask for the environment, then for
// a controller in its window, then navigate). One window of the application's size and one button with the
// identifier of "Transcribe on Parlowen", so the end-to-end driver clicks both programs alike. Whatever Notafon.exe
// takes beyond this program is work of its own: the loader written out of its resource, folders, the window widened
// and laid out, the browser's settings, the hand-off mapping and the page's subscriptions.
#include <windows.h>

#include <shellapi.h>

#include "WebView2.h"
#include "peer_window_win.h"
#include "ui/control_ids.h"

namespace {

HWND g_window = nullptr;
wchar_t g_loader[MAX_PATH];
wchar_t g_userData[MAX_PATH];
ICoreWebView2Controller* g_controller = nullptr;

// Both handlers live as long as the process: their reference counts only have to satisfy the loader. Each answers
// only for IUnknown and its own interface, as COM's identity rule asks (the test double asks for others).
template <typename Handler, const IID& kOwnIid>
class ProcessLifetime : public Handler {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, kOwnIid)) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = static_cast<Handler*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
};

class ControllerReady : public ProcessLifetime<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler,
                                               IID_ICoreWebView2CreateCoreWebView2ControllerCompletedHandler> {
  public:
    HRESULT STDMETHODCALLTYPE Invoke(HRESULT result, ICoreWebView2Controller* controller) override {
        if (FAILED(result) || !controller) return S_OK;
        controller->AddRef();
        g_controller = controller;
        RECT client;
        GetClientRect(g_window, &client);
        controller->put_Bounds(client);
        ICoreWebView2* view = nullptr;
        if (SUCCEEDED(controller->get_CoreWebView2(&view)) && view) {
            view->Navigate(L"https://www.parlowen.example/?app=notafon");
            view->Release();
        }
        return S_OK;
    }
};

class EnvironmentReady : public ProcessLifetime<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler,
                                                IID_ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler> {
  public:
    HRESULT STDMETHODCALLTYPE Invoke(HRESULT result, ICoreWebView2Environment* environment) override {
        if (SUCCEEDED(result) && environment) environment->CreateCoreWebView2Controller(g_window, &controllerReady);
        return S_OK;
    }
    ControllerReady controllerReady;
};

EnvironmentReady g_environmentReady;

using CreateEnvironment = HRESULT(STDAPICALLTYPE*)(PCWSTR, PCWSTR, ICoreWebView2EnvironmentOptions*,
                                                   ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler*);

void OpenPanel() {
    HMODULE library = LoadLibraryW(g_loader);
    if (!library) return;
    auto create = reinterpret_cast<CreateEnvironment>(
        reinterpret_cast<void*>(GetProcAddress(library, "CreateCoreWebView2EnvironmentWithOptions")));
    if (create) create(nullptr, g_userData, nullptr, &g_environmentReady);
}

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
        case WM_COMMAND:
            if (LOWORD(wparam) == kIdTranscribe && HIWORD(wparam) == BN_CLICKED && !g_controller) OpenPanel();
            return 0;
        case WM_DESTROY:
            if (g_controller) {
                g_controller->Close();
                g_controller->Release();
                g_controller = nullptr;
            }
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, msg, wparam, lparam);
    }
}

}  // namespace

// usage: notafon_bench_panel_peer LOADER.dll USER_DATA_FOLDER
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc != 3) return 2;
    lstrcpynW(g_loader, argv[1], MAX_PATH);
    lstrcpynW(g_userData, argv[2], MAX_PATH);
    LocalFree(argv);
    if (FAILED(OleInitialize(nullptr))) return 1;

    g_window = CreatePeerWindow(instance, WindowProc, L"PanelPeer", L"Panel peer", 860, 520);
    if (!g_window) return 1;
    CreateWindowExW(0, L"BUTTON", L"Open", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 20, 20, 120, 32, g_window,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdTranscribe)), instance, nullptr);
    ShowWindow(g_window, show);
    UpdateWindow(g_window);
    RunMessageLoop();
    OleUninitialize();
    return 0;
}
