// The panel seam's implementation on Windows: the shell and kernel for files, WebView2 for the browser.
#pragma once

#include "panel/panel_platform.h"

extern const PanelPlatformApi kWebView2Panel;
