// The window's own control classes: the slider and the settings container.
#pragma once

#include <windows.h>

extern HBRUSH WhiteBrush;

// Registers "NFCont", then "NFSlider".
void RegisterCustomControls(HINSTANCE instance);
