// The panel host's seam: everything it asks of the system (folders, the embedded loader, files, the tick count) and
// of the embedded browser. Windows implements it over the shell, the kernel and WebView2 (panel_files_win.cpp,
// webview2_browser_win.cpp); the tests implement it with a log of calls. Results: 0 for success, negative for failure,
// except createEnvironment, which passes the browser's own result code through (negative: no usable runtime).
#pragma once

#include <stddef.h>
#include <stdint.h>

struct PanelRect {
    int32_t left, top, right, bottom;
};

// The window the browser lives in (the main window's handle on Windows); the host only hands it on.
typedef void* PanelWindow;

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
    // Deletes every file (not folder) directly inside folder; failures are ignored.
    void (*emptyFolder)(const wchar_t* folder);
    // Copies a file, replacing the destination.
    int (*copyFile)(const wchar_t* from, const wchar_t* to);
    uint32_t (*tickCount)();
    void* (*allocateZeroed)(size_t bytes);
    void (*freeMemory)(void* memory);

    // --- browser ---
    // Loads the loader library from path and finds its environment entry point.
    int (*loadLoader)(const wchar_t* path);
    // Starts the environment; on success the browser later calls PanelEnvironmentCreated on this thread.
    int32_t (*createEnvironment)(const wchar_t* userDataFolder);
    // Holds a reference to the environment that just arrived, for the rest of the process.
    void (*keepEnvironment)();
    // Asks the kept environment for a controller; the browser later calls PanelControllerCreated.
    void (*createController)(PanelWindow parent);
    // Holds a reference to the controller that just arrived and fetches its webview; 0 when there is a webview.
    int (*keepController)();
    void (*putBounds)(PanelRect bounds);
    void (*putVisible)(int visible);
    // Status bar, developer tools and zoom control off; nothing when the settings object cannot be had.
    void (*disableSettings)();
    // Serves folder under host; nothing when the browser lacks the mapping interface.
    void (*mapHost)(const wchar_t* host, const wchar_t* folder);
    // Subscribes the web-message handler, then the navigation-completed handler.
    void (*subscribe)();
    void (*navigate)(const wchar_t* address);
    void (*postJson)(const wchar_t* json);
    // Closes the controller, releases it and forgets the webview.
    void (*closeController)();
};
