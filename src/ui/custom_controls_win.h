// The window's own control classes: the slider and the settings container.
#pragma once

#include <windows.h>

extern HBRUSH WhiteBrush;

// Registers "NFCont", then "NFSlider".
void RegisterCustomControls(HINSTANCE instance);
// A drop-down list that the wheel passes over leaves its selection alone and lets the turn scroll the page.
void KeepWheelForFocusedList(HWND list);
