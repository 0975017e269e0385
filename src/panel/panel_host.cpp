// The panel host's state and rules; the system and the browser are reached only through the platform seam, so the
// whole sequence (folders, loader file, environment, controller set-up, readiness, hand-off) runs in the unit tests.
#include "panel/panel_host.h"

#include <string.h>
#include <wchar.h>

#include "base/file_path.h"
#include "base/wide_text.h"
#include "panel/page_protocol.h"
#include "panel/service_address.h"

PanelHost panelHost;

const wchar_t kPanelErrorNoFolder[] = L"Could not find a folder for the panel files.";
const wchar_t kPanelErrorPrepare[] = L"Could not prepare the embedded browser.";
const wchar_t kPanelErrorLoad[] = L"Could not load the embedded browser.";
const wchar_t kPanelErrorNoRuntime[] = L"Microsoft Edge WebView2 Runtime was not found.";
const wchar_t kPanelErrorStart[] = L"The embedded browser could not start.";
const wchar_t kPanelErrorHandoff[] = L"Could not hand this audio to the panel.";

namespace {

const PanelPlatformApi& P() {
    return *panelHost.platform;
}

void ForgetPendingMessage() {
    if (panelHost.pendingMessage) P().freeMemory(panelHost.pendingMessage);
    panelHost.pendingMessage = nullptr;
}

// Asks the window to call PanelRunDeferred once the handler has returned. Work is never dropped: without a window
// to post to, it runs at once.
void Defer() {
    if (panelHost.deferredPosted) return;
    panelHost.deferredPosted = P().postDeferred(panelHost.parent) == 0;
    if (!panelHost.deferredPosted) PanelRunDeferred();
}

// The browser's event handlers run with handlerDepth raised: what they report waits for the window procedure.
struct InHandler {
    InHandler() { ++panelHost.handlerDepth; }
    ~InHandler() { --panelHost.handlerDepth; }
};

void DropEnvironment() {
    if (panelHost.haveEnvironment) P().releaseEnvironment();
    panelHost.haveEnvironment = false;
}

// A start that cannot go on: nothing of it is kept, so the next open starts a new environment.
void FailedStart() {
    panelHost.stage = kPanelNotCreated;
    DropEnvironment();
    ReportPanelError(kPanelErrorStart);
}

// The current document is the service's: only then may it hear of the user's audio.
bool ServiceDocumentShown() {
    wchar_t source[kPanelAddressCapacity];
    return P().currentSource(source, kPanelAddressCapacity) >= 0 && UriHasOrigin(source, ServiceOrigin());
}

bool LoadLoaderFile(const wchar_t* loaderPath, const void* resource, uint32_t resourceSize) {
    int64_t existing = P().fileSize(loaderPath);
    bool written = false;
    if (LoaderFileNeedsRewrite(existing, resourceSize)) {
        written = P().writeNewFile(loaderPath, resource, resourceSize) == 0;
        // Another instance may have loaded its own loader from this file: a file that stays in place is tried as
        // it is.
        if (!written && existing < 0) {
            ReportPanelError(kPanelErrorPrepare);
            return false;
        }
    }
    if (P().loadLoader(loaderPath) == 0) return true;
    // A file of the right size that does not load was damaged (a write cut short): written anew once.
    if (!written && existing == static_cast<int64_t>(resourceSize) &&
        P().writeNewFile(loaderPath, resource, resourceSize) == 0 && P().loadLoader(loaderPath) == 0) {
        return true;
    }
    ReportPanelError(kPanelErrorLoad);
    return false;
}

}  // namespace

void panelHostInstall(const PanelPlatformApi* platform, PanelCallbacks callbacks) {
    if (panelHost.platform && panelHost.pendingMessage) ForgetPendingMessage();
    memset(&panelHost, 0, sizeof panelHost);
    panelHost.platform = platform;
    panelHost.callbacks = callbacks;
    panelHost.visible = 1;
}

void SetAudioRequestCallback(PanelAudioRequestCallback callback) {
    panelHost.callbacks.audioRequest = callback;
}
void SetSignedInCallback(PanelSignedInCallback callback) {
    panelHost.callbacks.signedInChanged = callback;
}

void ReportPanelError(const wchar_t* text) {
    if (panelHost.handlerDepth > 0) {
        panelHost.deferredError = text;
        Defer();
        return;
    }
    if (panelHost.errorCallback) panelHost.errorCallback(text);
}

void PanelRunDeferred() {
    panelHost.deferredPosted = false;
    // Called at once when nothing could be posted: the work is then done here, not noted again.
    int depth = panelHost.handlerDepth;
    panelHost.handlerDepth = 0;
    if (panelHost.deferredAudioRequest) {
        panelHost.deferredAudioRequest = false;
        if (panelHost.callbacks.audioRequest) panelHost.callbacks.audioRequest();
    }
    if (panelHost.deferredOpen[0]) {
        wchar_t address[kPanelAddressCapacity];
        WideCopyBounded(address, kPanelAddressCapacity, panelHost.deferredOpen);
        panelHost.deferredOpen[0] = 0;
        P().openInBrowser(address);
    }
    if (panelHost.deferredBrowserGone) {
        panelHost.deferredBrowserGone = false;
        if (panelHost.callbacks.browserGone) panelHost.callbacks.browserGone();
    }
    if (panelHost.deferredError) {
        const wchar_t* text = panelHost.deferredError;
        panelHost.deferredError = nullptr;
        ReportPanelError(text);
    }
    panelHost.handlerDepth = depth;
}

void NotifyPanelParentMoved() {
    if (panelHost.haveController) P().notifyParentMoved();
}

bool LoaderFileNeedsRewrite(int64_t existingSize, uint32_t resourceSize) {
    return existingSize < 0 || existingSize != static_cast<int64_t>(resourceSize);
}

bool CreatePanel(PanelWindow parent, int x, int y, int width, int height, const wchar_t* address,
                 PanelErrorCallback errorCallback) {
    panelHost.errorCallback = errorCallback;
    panelHost.parent = parent;
    WideCopyBounded(panelHost.address, kPanelAddressCapacity, address ? address : L"");
    panelHost.bounds = PanelRect{x, y, x + width, y + height};
    // A creation on its way counts as the panel: a second environment for the same folder would race the first.
    if (panelHost.haveController || panelHost.stage != kPanelNotCreated) {
        panelHost.closeOnArrival = false;
        return true;
    }

    wchar_t appData[kPanelPathCapacity];
    if (P().localAppData(appData, kPanelPathCapacity) < 0 || appData[0] == 0) {
        ReportPanelError(kPanelErrorNoFolder);
        return false;
    }
    if (PathJoin(panelHost.dataFolder, kPanelPathCapacity, appData, L'\\', L"Parlowen\\Notafon", L"") < 0 ||
        PathJoin(panelHost.handoffFolder, kPanelPathCapacity, panelHost.dataFolder, L'\\', L"handoff", L"") < 0) {
        ReportPanelError(kPanelErrorNoFolder);
        return false;
    }
    P().createFolderTree(panelHost.dataFolder);
    P().createFolderTree(panelHost.handoffFolder);

    // The environment outlives every failure after it: the next attempt asks it for a controller again.
    if (panelHost.haveEnvironment) {
        panelHost.stage = kPanelStarting;
        if (P().createController(panelHost.parent) < 0) {
            FailedStart();
            return false;
        }
        return true;
    }

    wchar_t userData[kPanelPathCapacity];
    wchar_t loaderPath[kPanelPathCapacity];
    if (PathJoin(userData, kPanelPathCapacity, panelHost.dataFolder, L'\\', L"WebView2", L"") < 0 ||
        PathJoin(loaderPath, kPanelPathCapacity, panelHost.dataFolder, L'\\', L"WebView2Loader.dll", L"") < 0) {
        ReportPanelError(kPanelErrorPrepare);
        return false;
    }

    const void* resource = nullptr;
    uint32_t resourceSize = 0;
    if (P().loaderResource(&resource, &resourceSize) < 0 || !resource || resourceSize == 0) {
        ReportPanelError(kPanelErrorPrepare);
        return false;
    }
    if (!LoadLoaderFile(loaderPath, resource, resourceSize)) return false;
    panelHost.stage = kPanelStarting;
    if (P().createEnvironment(userData) < 0) {
        panelHost.stage = kPanelNotCreated;
        ReportPanelError(kPanelErrorNoRuntime);
        return false;
    }
    return true;
}

void PanelEnvironmentCreated(int32_t result, bool haveEnvironment) {
    InHandler inHandler;
    if (result < 0 || !haveEnvironment) {
        panelHost.stage = kPanelNotCreated;
        ReportPanelError(kPanelErrorNoRuntime);
        return;
    }
    P().keepEnvironment();
    panelHost.haveEnvironment = true;
    if (P().createController(panelHost.parent) < 0) FailedStart();
}

void PanelControllerCreated(int32_t result, bool haveController) {
    InHandler inHandler;
    if (result < 0 || !haveController) {
        panelHost.stage = kPanelNotCreated;
        ReportPanelError(kPanelErrorStart);
        return;
    }
    panelHost.haveWebView = P().keepController() == 0;
    panelHost.haveController = true;
    if (panelHost.closeOnArrival) {
        // The window closed while the browser was on its way: nothing is left to show it in.
        ClosePanel();
        return;
    }
    if (!panelHost.haveWebView) {
        // A controller without its browser shows nothing and can do nothing: the start failed.
        P().closeController();
        panelHost.haveController = false;
        FailedStart();
        return;
    }
    P().putBounds(panelHost.bounds);
    P().putVisible(panelHost.visible != 0);
    P().disableSettings();
    P().serveHost(kHandoffHost);
    P().subscribe();
    P().navigate(panelHost.address);
    panelHost.stage = kPanelCreated;
}

void SetPanelBounds(int x, int y, int width, int height) {
    panelHost.bounds = PanelRect{x, y, x + width, y + height};
    if (panelHost.haveController) P().putBounds(panelHost.bounds);
}

void ShowPanel(int visible) {
    panelHost.visible = visible;
    if (panelHost.haveController) P().putVisible(visible != 0);
}

bool IsPanelCreated() {
    return panelHost.stage == kPanelCreated;
}

void ResetPanel() {
    ForgetPendingMessage();
    panelHost.copyName[0] = 0;
    panelHost.pageReady = 0;
    if (panelHost.haveWebView) P().navigate(panelHost.address);
}

void ClosePanel() {
    if (panelHost.haveController) {
        P().closeController();
        panelHost.haveController = false;
        panelHost.closeOnArrival = false;
        panelHost.stage = kPanelNotCreated;
    } else if (panelHost.stage == kPanelStarting) {
        panelHost.closeOnArrival = true;
    } else {
        panelHost.stage = kPanelNotCreated;
    }
    panelHost.haveWebView = false;
    panelHost.pageReady = 0;
}

void PanelWebMessageReceived(const wchar_t* text, const wchar_t* source) {
    InHandler inHandler;
    // A sign-in provider or a linked site shown in the panel may post the same strings.
    if (!UriHasOrigin(source, ServiceOrigin())) return;
    switch (ClassifyPageMessage(text)) {
        case kPageMessageReady:
            panelHost.pageReady = 1;
            PostPendingPanelMessage();
            break;
        case kPageMessageSignedIn:
            if (panelHost.callbacks.signedInChanged) panelHost.callbacks.signedInChanged(1);
            break;
        case kPageMessageSignedOut:
            if (panelHost.callbacks.signedInChanged) panelHost.callbacks.signedInChanged(0);
            break;
        case kPageMessageRequestAudio:
            // The copy of a whole file waits for the window procedure.
            panelHost.pageReady = 1;
            panelHost.deferredAudioRequest = true;
            Defer();
            break;
        case kPageMessageOther:
            break;
    }
}

void PanelNavigationCompleted() {
    panelHost.pageReady = 0;
}

void PanelNewWindowRequested(const wchar_t* uri) {
    InHandler inHandler;
    // Only web addresses leave the panel: another scheme could start any program registered for it.
    if (!uri || !(wcsncmp(uri, L"https://", 8) == 0 || wcsncmp(uri, L"http://", 7) == 0)) return;
    if (wcslen(uri) >= static_cast<size_t>(kPanelAddressCapacity)) return;  // cut, it would open another address
    WideCopyBounded(panelHost.deferredOpen, kPanelAddressCapacity, uri);
    Defer();
}

void PanelProcessFailed(int kind) {
    InHandler inHandler;
    switch (kind) {
        case kPanelBrowserExited:
            // The browser is closed for good and its environment with it: the next open starts both anew.
            if (panelHost.haveController) P().closeController();
            panelHost.haveController = false;
            panelHost.haveWebView = false;
            panelHost.closeOnArrival = false;
            panelHost.stage = kPanelNotCreated;
            panelHost.pageReady = 0;
            DropEnvironment();
            panelHost.deferredBrowserGone = true;
            Defer();
            break;
        case kPanelRendererExited:
        case kPanelRendererUnresponsive:
            panelHost.pageReady = 0;
            if (panelHost.haveWebView) P().reload();
            break;
        default:
            break;  // helper processes are started again by the browser itself
    }
}

void PanelResourceRequested(const wchar_t* uri, const wchar_t* method, const wchar_t* origin,
                            PanelResourceAnswer* answer) {
    InHandler inHandler;
    answer->status = 403;
    answer->reason = L"Forbidden";
    answer->path[0] = 0;
    answer->headers[0] = 0;
    // The service's page fetches with its origin; a request without one (a link, an element) counts only from the
    // service's own document.
    if ((origin && !UriHasOrigin(origin, ServiceOrigin())) || !ServiceDocumentShown()) return;
    if (!method || wcscmp(method, L"GET") != 0) {
        answer->status = 405;
        answer->reason = L"Method Not Allowed";
        return;
    }
    wchar_t name[64];
    answer->status = 404;
    answer->reason = L"Not Found";
    // Only the copy announced last is served: older ones are deleted, and nothing else lies in the folder.
    if (HandoffRequestName(uri, kHandoffHost, name, 64) <= 0 || !panelHost.copyName[0] ||
        wcscmp(name, panelHost.copyName) != 0 ||
        PathJoin(answer->path, kPanelPathCapacity, panelHost.handoffFolder, L'\\', name, L"") < 0 ||
        FormatHandoffHeaders(answer->headers, 400, ServiceOrigin(), name) < 0) {
        answer->path[0] = 0;
        return;
    }
    answer->status = 200;
    answer->reason = L"OK";
}

void PostPendingPanelMessage() {
    if (panelHost.haveWebView && panelHost.pageReady && panelHost.pendingMessage && ServiceDocumentShown()) {
        P().postJson(panelHost.pendingMessage);
    }
}

void HandOffAudio(const wchar_t* path) {
    if (!path || !path[0] || !panelHost.handoffFolder[0]) return;
    P().emptyFolder(panelHost.handoffFolder);

    wchar_t extension[kHandoffExtensionCapacity];
    HandoffExtension(path, extension, kHandoffExtensionCapacity);
    ++panelHost.handoffCounter;
    uint32_t ticks = P().tickCount();
    wchar_t copyName[64];
    HandoffCopyName(copyName, 64, panelHost.handoffCounter, ticks, extension);
    wchar_t destination[kPanelPathCapacity];
    if (PathJoin(destination, kPanelPathCapacity, panelHost.handoffFolder, L'\\', copyName, L"") < 0 ||
        P().copyFile(path, destination) < 0) {
        ReportPanelError(kPanelErrorHandoff);
        return;
    }

    wchar_t escaped[kEscapedNameMax + 1];
    EscapeHandoffName(PathBaseName(path), escaped, kEscapedNameMax + 1);
    wchar_t* message = static_cast<wchar_t*>(P().allocateZeroed(kHandoffMessageCapacity * sizeof(wchar_t)));
    if (!message) return;  // the copy stays; the page asks again or gets the next one
    FormatHandoffMessage(message, kHandoffMessageCapacity, copyName, escaped);
    WideCopyBounded(panelHost.copyName, 64, copyName);
    ForgetPendingMessage();
    panelHost.pendingMessage = message;
    PostPendingPanelMessage();
}
