// The main window's control identifiers (now in the user-interface layer), its timers and the notification codes.
#pragma once

#include "ui/control_ids.h"

// Timers of the main window.
const int kTimerRecording = 1;  // 70 ms while a recording is open
const int kTimerPlayer = 2;     // 100 ms while a file is loaded

// Notification codes the controller acts on (the platform's numbers).
const int kNotifyClicked = 0;         // buttons
const int kNotifySelChange = 1;       // drop-down lists
const int kNotifyEditChange = 0x300;  // the edit box's text changed

// Slider notification codes.
const int kSliderThumbTrack = 5;
const int kSliderEndScroll = 8;
