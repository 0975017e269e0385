// Writing the settings: what the main window holds is read through a seam (the window fills it in; tests and the
// harness supply their own), the shortcuts come from their process-wide state.
#pragma once

#include <stdint.h>

struct SettingsHost {
    void (*fileNameText)(wchar_t* out, int capacity);  // the "File name" box
    int (*formatSelection)();                          // the "Quality" list's selection, -1 for none
    bool (*onTopChecked)();
    bool (*replaceChecked)();
    bool (*skipSilenceChecked)();
    int32_t (*zoomPercent)();
    void (*folder)(wchar_t* out, int capacity);  // the current save folder
    bool (*volumePosition)(int32_t* position);   // false when the volume slider does not exist
    bool (*speedPosition)(int32_t* position);    // false when the speed slider does not exist
    int32_t (*rewindSeconds)();
    bool (*miniMode)();
    bool (*windowTopLeft)(int32_t* left, int32_t* top);  // screen pixels; false when the rectangle cannot be read
};

void settingsHostInstall(const SettingsHost* host);

// RecordingName, Format, OnTop, Replace, SkipSilence, Zoom, HotkeyKey, HotkeyMods, Folder, PlayVolume and PlaySpeed
// (each only while its slider exists), RewindSeconds, in this order.
void SaveAllSettings();
// RecordingName alone, on every change of the "File name" box.
void SaveRecordingName();
// MiniX and MiniY, only in mini mode and only when the window's rectangle can be read.
void SaveMiniPosition();
// HotkeyKey then HotkeyMods from RecordShortcut.
void saveRecordShortcut();
// The slot's key value then its mods value from PlaybackShortcuts.
void savePlaybackShortcut(int slot);
void saveSignedIn(bool signedIn);
