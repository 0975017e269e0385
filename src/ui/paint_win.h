// Painting of the main window (logo bar, level meter), the text colours of its standard controls and every
// owner-drawn control. The window hands in what it needs from the application through PaintState.
#pragma once

#include <stdint.h>
#include <windows.h>

struct PaintShortcut {
    uint32_t mods, key;
};

struct PaintState {
    int recorderState;  // 0 idle, 1 recording, 2 paused
    int32_t level;      // the input level the meter shows, decayed by the recording timer
    bool playerShown;   // not recording and a file loaded
    bool playing;       // the loaded file is playing (Play shows a pause glyph)
    bool settingsOpen;  // the settings block is open (Settings' arrow points up)
    bool signedIn, panelOpen, recorderHidden, miniMode;
    PaintShortcut recordShortcut;
    PaintShortcut playbackShortcuts[4];
    int32_t rewindSeconds;
};

// WM_PAINT of the main window.
void PaintMainWindow(HWND hwnd, const PaintState& state);
// WM_CTLCOLORSTATIC and WM_CTLCOLORBTN: the text colour by control; returns the white brush.
LRESULT ControlColours(HDC dc, HWND control, const PaintState& state);
// WM_DRAWITEM (also forwarded by the settings container).
BOOL DrawOwnerItem(const DRAWITEMSTRUCT* item, const PaintState& state);
// Repaints the level meter's band without erasing, unless the last layout hid the meter (mini mode, the player).
void InvalidateMeterBand(HWND hwnd);
