// Identifiers of the main window's controls, shared by the window, the layout, the painting, the controller, tests and
// the end-to-end driver. They live below the application so the user-interface layer can name controls too.
#pragma once

enum ControlId : int {
    kIdRecord = 101,
    kIdPause = 102,
    kIdStop = 103,
    kIdMark = 104,
    kIdSkipSilence = 105,
    kIdQuality = 106,
    kIdReplace = 107,
    kIdOnTop = 108,
    kIdSettings = 109,
    kIdTime = 110,
    kIdStatus = 111,
    kIdDetail = 112,
    kIdShowInFolder = 113,
    kIdTranscribe = 114,
    kIdConverter = 115,
    kIdVersion = 116,
    kIdChangeFolder = 117,  // also the owner-drawn shortcut box, which sends no commands
    kIdFileName = 118,
    kIdFolder = 119,
    kIdWindowSize = 120,
    kIdRecordShortcutChange = 121,
    kIdRecordShortcutDefault = 122,
    kIdPlay = 130,
    kIdBack = 131,
    kIdStart = 132,
    kIdSeek = 133,
    kIdVolume = 134,
    kIdSpeed = 135,
    kIdTimes = 136,
    kIdVolumeLabel = 137,
    kIdSpeedLabel = 138,
    kIdRewindAmount = 139,
    kIdPlayLocalFile = 146,
    kIdPlayRecording = 147,
    kIdLoadedName = 148,
    kIdForward = 149,
    kIdPlayerStop = 150,
    kIdSlotChange = 160,   // + slot
    kIdSlotDefault = 164,  // + slot
    kIdPanelStrip = 170,
    kIdMiniToggle = 171,
    // Controls created with identifier 0 that the controller still writes to; the window maps these to their handles.
    kIdRecordShortcutText = 1001,
    kIdSlotText = 1010,     // + slot
    kIdShortcutBox = 1020,  // the owner-drawn static that shares 117 with the folder button
    // Labels and the scroll bar, created with identifier 0, that only the window and the layout reach.
    kLabelFileName = 2001,
    kLabelRecordHeading,
    kLabelRecordNote,
    kLabelQuality,
    kLabelSaveIn,
    kSettingsScrollBar,
    kLabelWindowSize,
    kLabelPlaybackHeading,
    kLabelRewind,
    kLabelSlot = 2010,  // + slot
};

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
