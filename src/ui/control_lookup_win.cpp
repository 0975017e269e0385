// The lookup the main window installs when it creates its controls.
#include "ui/control_lookup_win.h"

ControlLookupApi controlLookup;
