// The panel host's state and rules; the system and the browser are reached only through the platform seam, so the
// whole sequence (folders, loader file, environment, controller set-up, readiness, hand-off) runs in the unit tests.
#include "panel/panel_host.h"

#include <string.h>
#include <wchar.h>

#include "base/file_path.h"
#include "base/wide_text.h"
#include "panel/page_protocol.h"

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
    if (panelHost.errorCallback) panelHost.errorCallback(text);
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
        P().createController(panelHost.parent);
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
    if (LoaderFileNeedsRewrite(P().fileSize(loaderPath), resourceSize) &&
        P().writeNewFile(loaderPath, resource, resourceSize) < 0) {
        ReportPanelError(kPanelErrorPrepare);
        return false;
    }
    if (P().loadLoader(loaderPath) < 0) {
        ReportPanelError(kPanelErrorLoad);
        return false;
    }
    panelHost.stage = kPanelStarting;
    if (P().createEnvironment(userData) < 0) {
        panelHost.stage = kPanelNotCreated;
        ReportPanelError(kPanelErrorNoRuntime);
        return false;
    }
    return true;
}

void PanelEnvironmentCreated(int32_t result, bool haveEnvironment) {
    if (result < 0 || !haveEnvironment) {
        panelHost.stage = kPanelNotCreated;
        ReportPanelError(kPanelErrorNoRuntime);
        return;
    }
    P().keepEnvironment();
    panelHost.haveEnvironment = true;
    P().createController(panelHost.parent);
}

void PanelControllerCreated(int32_t result, bool haveController) {
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
    P().putBounds(panelHost.bounds);
    P().putVisible(panelHost.visible != 0);
    if (!panelHost.haveWebView) {
        panelHost.stage = kPanelNotCreated;
        return;
    }
    P().disableSettings();
    P().mapHost(kHandoffHost, panelHost.handoffFolder);
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

void PanelWebMessageReceived(const wchar_t* text) {
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
            panelHost.pageReady = 1;
            if (panelHost.callbacks.audioRequest) panelHost.callbacks.audioRequest();
            break;
        case kPageMessageOther:
            break;
    }
}

void PanelNavigationCompleted() {
    panelHost.pageReady = 0;
}

void PostPendingPanelMessage() {
    if (panelHost.haveWebView && panelHost.pageReady && panelHost.pendingMessage) {
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
    ForgetPendingMessage();
    panelHost.pendingMessage = message;
    PostPendingPanelMessage();
}
