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
// The controls seam over the window's children.
extern const struct WindowControls kMainWindowControls;
