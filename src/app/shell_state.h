// The shell's own state: what the player holds, which window modes are on, the zoom, the save folder and whether the
// panel's service is signed in. The controller's files own it; everything else reads it through shellState().
#pragma once

#include <stdint.h>

#include "app/window_controls.h"
#include "base/file_api.h"
#include "recorder/capture.h"

struct ShellState {
    bool PlayerLoaded = false;
    wchar_t PlayerPath[kPathCapacity] = {};
    // The seek slider is being dragged: the player's position must not move it meanwhile.
    bool SeekDragging = false;
    int32_t RewindSeconds = 5;
    bool settingsOpen = false;
    bool miniMode = false;
    bool panelOpen = false;
    bool recorderHidden = false;
    int32_t zoomPercent = 100;
    wchar_t saveFolder[kPathCapacity] = {};
    // Where the window stood before mini mode, to go back there on leaving it.
    ScreenRect NormalPlacement = {};
    bool NormalPlacementValid = false;
    bool SignedIn = false;
    // The chosen microphone's name as the system gives it; empty for the Windows default.
    wchar_t inputDevice[kCaptureNameCapacity] = {};
    // Windows is ending the session: the process may be ended at any moment from now on.
    bool sessionEnding = false;
    // "Rewind on resume": seconds, 0 for off; due once the user has paused, until a Play or a seek.
    int32_t ResumeRewindSeconds = 0;
    bool resumeRewindDue = false;
    // A "Type the time" waiting for its shortcut's modifiers to be released, since the tick count given.
    bool typingPending = false;
    wchar_t typingText[24] = {};
    uint32_t typingMods = 0;
    uint32_t typingSince = 0;
    // The detail line says a file was reopened where it was left: the next file takes the words back.
    bool reopenNoteShown = false;
};

const ShellState& shellState();
// Back to the initial values, every field (tests start clean).
void shellStateReset();
