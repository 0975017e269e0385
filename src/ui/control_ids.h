// Identifiers of the main window's controls (from the control list), its timers and the notification codes, shared by
// the window, the layout, the painting, the controller, tests and the end-to-end driver. They live below the
// application so the user-interface layer can name controls too.
#pragma once

#include "ui/control_list.h"

// Every key of the list. Slot rows name their slot 0; slot n is the key + n.
enum ControlId : int {
#define NOTAFON_CONTROL_ID(item, key, value, ...) key = value,
    NOTAFON_CONTROLS(NOTAFON_CONTROL_ID, NOTAFON_CONTROL_ID)
#undef NOTAFON_CONTROL_ID
};

// Timers of the main window.
const int kTimerRecording = 1;     // 70 ms while a recording is open
const int kTimerPlayer = 2;        // 100 ms while a file is loaded
const int kTimerTyping = 3;        // 20 ms while a typed time waits for its shortcut's modifiers to be released
const int kTimerSettingsPage = 4;  // once, when the window has first painted: builds the settings page

// Notification codes the controller acts on (the platform's numbers).
const int kNotifyClicked = 0;         // buttons
const int kNotifySelChange = 1;       // drop-down lists
const int kNotifyEditChange = 0x300;  // the edit box's text changed

// Slider notification codes.
const int kSliderThumbTrack = 5;
const int kSliderEndScroll = 8;
