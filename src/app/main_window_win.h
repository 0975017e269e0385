// The main window: its class, its controls and the routing of its messages.
#pragma once

#include <windows.h>

extern HINSTANCE AppInstance;
extern HWND MainWindow;

// The application state the layout pass depends on, now.
struct LayoutFlags MainLayoutFlags();
// The layout pass over every control of the main window.
void LayoutMainWindow();
// Registers the "PRLWRecorder" class.
void RegisterMainWindowClass(HINSTANCE instance);
// The control filed under key (its identifier, or the private key of a label), or null.
HWND FindControl(int key);
// Builds the settings page's controls now, unless they are built already.
void BuildSettingsPage();
// What stands in for a page control until the page is built: null once it is, and for every other control.
struct DeferredControl* DeferredPageControl(int key);
// The window seams over the window's children, its place on the screen and the shell around it.
extern const struct WindowControlsApi kMainWindowControls;
extern const struct WindowPlacementApi kMainWindowPlacement;
extern const struct WindowShellApi kMainWindowShell;
