// The "Microphone" list of Settings: the Windows default first, then every capture device present by the name the
// system gives it, and the chosen one when it is not present. The choice is kept (and saved) by name.
#pragma once

#include "recorder/capture.h"

// Rows the list can hold: the default, the devices the seam lists (more are left out) and a missing chosen one.
const int kMicrophoneMaxDevices = 32;
const int kMicrophoneRowCapacity = kMicrophoneMaxDevices + 2;

// Lists the devices present now and selects the chosen microphone's row.
void RefreshMicrophoneList();
// The user picked a row: it becomes the chosen microphone and is saved.
void onMicrophoneChosen();
// The name a row of the list stands for ("" for the default), or null past the last row.
const wchar_t* microphoneRowName(int row);
// The row listing a device of that name, or -1 (the default's row is never matched).
int microphoneRowOf(const wchar_t* name);
// Back to an empty list (tests start clean).
void microphoneListReset();
