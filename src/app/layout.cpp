// The layout entry point of the main window.
#include "app/layout.h"

void LayoutWindow() {}
