// The web panel host: one embedded browser per process, beside the main window, showing the service. It prepares the
// panel's folders and loader file, starts the browser, places, shows, hides, resets and closes it, answers the page's
// messages and hands the loaded audio to the page. Every failure goes to the error callback given to CreatePanel.
//
// The application wires it as follows (all on the user-interface thread, OLE initialised there):
//   start-up, before the main window:  panelHostInstall(&kWebView2Panel, {audio request, signed-in changed})
//   "Transcribe on Parlowen" opening:  IsPanelCreated() ? ShowPanel(1) : CreatePanel(MainWindow, rect, address,
//                                      PanelFallback); then, when a file is loaded, HandOffAudio(PlayerPath)
//   closing the panel:                 ShowPanel(0)
//   every layout with the panel open:  SetPanelBounds(the rectangle right of the strip, device pixels)
//   loading a file into the player:    if IsPanelCreated(), HandOffAudio(PlayerPath)
//   entering mini mode:                if IsPanelCreated(), ResetPanel() then ShowPanel(0)
//   closing the main window:           ClosePanel(), after the record/stop shortcut is released
//   the main window moves:             NotifyPanelParentMoved()
//   kPanelDeferredMessage arrives:     PanelRunDeferred()
//
// Nothing that shows a window or takes long runs inside one of the browser's event handlers, where the browser holds
// its other events back and a second click would re-enter it: the host notes the work, posts kPanelDeferredMessage
// to the window and does it from the window procedure once the handler has returned.
#pragma once

#include <stdint.h>

#include "panel/panel_platform.h"

typedef void (*PanelErrorCallback)(const wchar_t* text);
typedef void (*PanelAudioRequestCallback)();
typedef void (*PanelSignedInCallback)(int signedIn);

typedef void (*PanelBrowserGoneCallback)();

struct PanelCallbacks {
    PanelAudioRequestCallback audioRequest;  // the page asks for audio: HandOffAudio(PlayerPath) when a file is loaded
    PanelSignedInCallback signedInChanged;   // the page reports a sign-in (1) or a sign-out (0)
    PanelBrowserGoneCallback browserGone;    // the browser's process ended: the panel is gone, close its place
};

const int kPanelAddressCapacity = 512;
const int kPanelPathCapacity = 260;

enum PanelStage {
    kPanelNotCreated = 0,
    kPanelStarting = 1,  // the environment or the controller is on its way
    kPanelCreated = 2,
};

// The host's state, one instance (user-interface thread only). Visible so tests can look at it.
struct PanelHost {
    const PanelPlatformApi* platform;
    PanelCallbacks callbacks;
    PanelErrorCallback errorCallback;
    PanelWindow parent;
    wchar_t address[kPanelAddressCapacity];
    PanelRect bounds;
    int visible;
    PanelStage stage;
    bool haveEnvironment;
    bool haveController;
    bool haveWebView;
    bool closeOnArrival;  // ClosePanel came while the controller was on its way
    int pageReady;
    wchar_t* pendingMessage;  // kHandoffMessageCapacity characters, or none
    uint32_t handoffCounter;
    wchar_t copyName[64];  // the hand-off copy the page may fetch now; empty before the first
    // Work noted inside a browser event handler for PanelRunDeferred.
    int handlerDepth;
    bool deferredPosted;
    bool deferredAudioRequest;
    bool deferredBrowserGone;
    const wchar_t* deferredError;
    wchar_t deferredOpen[kPanelAddressCapacity];
    wchar_t dataFolder[kPanelPathCapacity];
    wchar_t handoffFolder[kPanelPathCapacity];
};

extern PanelHost panelHost;

// The texts given to the error callback.
extern const wchar_t kPanelErrorNoFolder[];
extern const wchar_t kPanelErrorPrepare[];
extern const wchar_t kPanelErrorLoad[];
extern const wchar_t kPanelErrorNoRuntime[];
extern const wchar_t kPanelErrorStart[];
extern const wchar_t kPanelErrorHandoff[];

// Start-up: the platform the host runs on and the application's two callbacks. Resets the host's state.
void panelHostInstall(const PanelPlatformApi* platform, PanelCallbacks callbacks);
void SetAudioRequestCallback(PanelAudioRequestCallback callback);
void SetSignedInCallback(PanelSignedInCallback callback);

// True when the panel exists or its creation has started; false after a failure already reported to errorCallback.
bool CreatePanel(PanelWindow parent, int x, int y, int width, int height, const wchar_t* address,
                 PanelErrorCallback errorCallback);
void SetPanelBounds(int x, int y, int width, int height);
void ShowPanel(int visible);
bool IsPanelCreated();
void ResetPanel();
void ClosePanel();
void ReportPanelError(const wchar_t* text);

// Copies the file at path into the hand-off folder and posts (or keeps pending) the message announcing it.
void HandOffAudio(const wchar_t* path);
void PostPendingPanelMessage();

// The browser tells the host that the main window moved (drop-downs and the IME window open at the new place).
void NotifyPanelParentMoved();
// Runs the work the browser's handlers left for the window procedure (kPanelDeferredMessage).
void PanelRunDeferred();

// The browser's events, called by the platform on the user-interface thread. result is the browser's result code.
void PanelEnvironmentCreated(int32_t result, bool haveEnvironment);
void PanelControllerCreated(int32_t result, bool haveController);
// text: the page's string, or null when the message was not a string; source: the address of the sending document.
void PanelWebMessageReceived(const wchar_t* text, const wchar_t* source);
void PanelNavigationCompleted();
// A link or script asks for a new window; the host opens http and https addresses in the default browser instead.
void PanelNewWindowRequested(const wchar_t* uri);
// The browser's process-failed kinds the host acts on (COREWEBVIEW2_PROCESS_FAILED_KIND).
enum PanelProcessFailure {
    kPanelBrowserExited = 0,
    kPanelRendererExited = 1,
    kPanelRendererUnresponsive = 2,
};
void PanelProcessFailed(int kind);

// The answer to a request for the hand-off host: status 200 with the file to serve and the headers, or an error.
struct PanelResourceAnswer {
    int status;
    const wchar_t* reason;
    wchar_t path[kPanelPathCapacity];
    wchar_t headers[400];
};
// uri, method and the request's Origin header (null when it has none).
void PanelResourceRequested(const wchar_t* uri, const wchar_t* method, const wchar_t* origin,
                            PanelResourceAnswer* answer);

// Whether the loader file at the panel folder must be written anew before it is loaded: missing (-1) or of another
// size. A file of the resource's size is loaded as it is; only when that load fails is it written anew.
bool LoaderFileNeedsRewrite(int64_t existingSize, uint32_t resourceSize);
