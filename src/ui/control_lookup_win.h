// How the user-interface layer reaches the main window's controls by key (identifier, or the label keys of
// control_ids.h): the window owns the handles and installs this lookup when it creates them.
#pragma once

#include <windows.h>

struct ControlLookupApi {
    HWND (*find)(int key);    // null when there is no such control
    int (*keyOf)(HWND hwnd);  // -1 for a window that is not one of the keyed controls
    HWND (*container)();      // the settings container
    // The web panel's rectangle in client pixels after each pass that placed the strip beside it (may be null).
    void (*panelPlaced)(const RECT& bounds);
};

extern ControlLookupApi controlLookup;
