// The panel host's seam: everything it asks of the system (folders, the embedded loader, files, the tick count) and
// of the embedded browser. Windows implements it over the shell, the kernel and WebView2 (panel_files_win.cpp,
// webview2_browser_win.cpp); the tests implement it with a log of calls. Results: 0 for success, negative for failure,
// except createEnvironment and createController, which pass the browser's own result code through.
#pragma once

#include <stddef.h>
#include <stdint.h>

struct PanelRect {
    int32_t left, top, right, bottom;
};

// The window the browser lives in (the main window's handle on Windows); the host only hands it on.
typedef void* PanelWindow;

// The window message (WM_APP + 0x2A) that carries the host's deferred work out of the browser's event handlers: the
// window procedure that receives it calls PanelRunDeferred().
const unsigned kPanelDeferredMessage = 0x8000u + 0x2Au;

struct PanelPlatformApi {
    // --- system ---
    // The current user's local application-data folder.
    int (*localAppData)(wchar_t* out, int capacity);
    // Creates a folder and every missing parent; the outcome is not looked at.
    void (*createFolderTree)(const wchar_t* path);
    // The loader library carried by the executable; negative when it is missing or cannot be loaded.
    int (*loaderResource)(const void** data, uint32_t* size);
    // Size of the file at path; -1 when there is none.
    int64_t (*fileSize)(const wchar_t* path);
    // Creates path anew (replacing any file) with exactly these bytes.
    int (*writeNewFile)(const wchar_t* path, const void* data, uint32_t size);
    // Deletes every file (not folder) directly inside folder, read-only ones too; failures are ignored.
    void (*emptyFolder)(const wchar_t* folder);
    // Copies a file, replacing the destination; the copy is never read-only, so the next hand-off can delete it.
    int (*copyFile)(const wchar_t* from, const wchar_t* to);
    uint32_t (*tickCount)();
    void* (*allocateZeroed)(size_t bytes);
    void (*freeMemory)(void* memory);

    // --- browser ---
    // Loads the loader library from path and finds its environment entry point.
    int (*loadLoader)(const wchar_t* path);
    // Starts the environment; on success the browser later calls PanelEnvironmentCreated on this thread.
    int32_t (*createEnvironment)(const wchar_t* userDataFolder);
    // Holds a reference to the environment that just arrived.
    void (*keepEnvironment)();
    // Gives the kept environment back, so the next start asks for a new one.
    void (*releaseEnvironment)();
    // Asks the kept environment for a controller; on success the browser later calls PanelControllerCreated.
    int32_t (*createController)(PanelWindow parent);
    // Holds a reference to the controller that just arrived and fetches its webview; 0 when there is a webview.
    int (*keepController)();
    void (*putBounds)(PanelRect bounds);
    void (*putVisible)(int visible);
    // Tells the browser that the window it lives in has moved on the screen.
    void (*notifyParentMoved)();
    // Status bar, developer tools and zoom control off; nothing when the settings object cannot be had.
    void (*disableSettings)();
    // Sends every request for https://host/... to PanelResourceRequested, which answers it.
    void (*serveHost)(const wchar_t* host);
    // Subscribes the handlers of the page's messages, finished navigations, new-window requests and process failures.
    void (*subscribe)();
    void (*navigate)(const wchar_t* address);
    void (*reload)();
    // The address of the document the browser shows now; negative when it cannot be read.
    int (*currentSource)(wchar_t* out, int capacity);
    void (*postJson)(const wchar_t* json);
    // Closes the controller, releases it and forgets the webview.
    void (*closeController)();

    // --- the window ---
    // Posts kPanelDeferredMessage to the window, whose procedure then calls PanelRunDeferred; negative on failure.
    int (*postDeferred)(PanelWindow window);
    // Opens an address in the user's default browser.
    void (*openInBrowser)(const wchar_t* address);
};
