// The main window's controls in creation order, with their creation rectangles in layout units.
#include "ui/control_table.h"

#include "notafon_version.h"
#include "ui/control_ids.h"

namespace {

using namespace style;

const ControlClass B = ControlClass::Button, S = ControlClass::Static, E = ControlClass::Edit,
                   L = ControlClass::ComboBox, V = ControlClass::ScrollBar, N = ControlClass::Slider;
const FontKind M = FontKind::Main, F = FontKind::Small, T = FontKind::Timer;
const uint32_t kButton = kOwnerDrawButton | kTabStop, kCheck = kAutoCheckBox | kTabStop,
               kList = kComboDropDownList | kVScroll | kTabStop;

// The settings page: 21 controls, then each playback slot's label, text, Change and Default.
const int kSlotOrder = 22;

}  // namespace

// Slot labels have no text here: they come from the playback slot table when the window creates them.
const ControlSpec kControls[kControlCount] = {
    {kIdMiniToggle, kIdMiniToggle, B, L"Nota Mini", kButton, 0, 262, 13, 102, 26, M, 0, false},
    {kIdPanelStrip, kIdPanelStrip, B, L"", kOwnerDrawButton, 0, 380, 0, 40, 100, M, 0, true},
    {kIdTime, kIdTime, S, L"00:00:00", kStaticCenter, 0, 0, 56, 380, 90, T, 0, false},
    {kIdStatus, kIdStatus, S, L"Ready to record", kStaticCenter, 0, 0, 66, 380, 22, M, 0, false},
    {kIdRecord, kIdRecord, B, L"Record", kButton, 0, 30, 178, 74, 38, M, 0, false},
    {kIdPause, kIdPause, B, L"Pause", kButton, 0, 112, 178, 74, 38, M, 0, false},
    {kIdStop, kIdStop, B, L"Stop", kButton, 0, 194, 178, 74, 38, M, 0, false},
    {kIdMark, kIdMark, B, L"Mark", kButton, 0, 276, 178, 74, 38, M, 0, false},
    {kLabelFileName, 0, S, L"File name", kStaticLeft, 0, 30, 235, 80, 20, M, 0, false},
    {kIdFileName, kIdFileName, E, L"", kEditAutoHScroll | kTabStop, kExClientEdge, 114, 232, 236, 24, M, 0, false},
    {kIdReplace, kIdReplace, B, L"Replace a file that has the same name", kCheck, 0, 30, 266, 320, 22, M, 1, false},
    {kIdSkipSilence, kIdSkipSilence, B, L"Skip long silences while recording", kCheck, 0, 30, 292, 320, 22, M, 2,
     false},
    {kIdOnTop, kIdOnTop, B, L"Keep this window on top of other windows", kCheck, 0, 30, 318, 320, 22, M, 3, false},
    {kLabelRecordHeading, 0, S, L"Global record/stop shortcut", kStaticLeft, 0, 30, 348, 320, 18, M, 4, false},
    {kIdRecordShortcutText, 0, S, L"Ctrl+Shift+R", kStaticLeft, 0, 30, 369, 145, 24, M, 5, false},
    {kIdRecordShortcutChange, kIdRecordShortcutChange, B, L"Change", kButton, 0, 180, 367, 75, 28, M, 6, false},
    {kIdRecordShortcutDefault, kIdRecordShortcutDefault, B, L"Default", kButton, 0, 265, 367, 85, 28, M, 7, false},
    {kLabelRecordNote, 0, S,
     L"Works while minimized. A single key is intercepted in other apps; Tab also affects normal focus navigation.",
     kStaticLeft, 0, 30, 399, 320, 52, F, 8, false},
    {kIdSettings, kIdSettings, B, L"Settings", kButton, 0, 30, 458, 130, 28, M, 0, false},
    {kLabelQuality, 0, S, L"Quality", kStaticLeft, 0, 30, 388, 60, 20, M, 12, false},
    {kIdQuality, kIdQuality, L, L"", kList, 0, 92, 384, 258, 140, M, 13, false},
    {kLabelSaveIn, 0, S, L"Save recordings in", kStaticLeft, 0, 30, 420, 320, 18, F, 16, false},
    {kIdFolder, kIdFolder, S, L"", kStaticPathEllipsis, 0, 30, 440, 320, 34, F, 17, false},
    {kIdChangeFolder, kIdChangeFolder, B, L"Change folder...", kButton, 0, 30, 478, 150, 28, M, 18, false},
    {kIdDetail, kIdDetail, S,
     L"Recordings save locally as you go. Drag an MP3, WAV or M4A onto this window to play it.", kStaticLeft, 0, 30,
     518, 320, 64, F, 0, false},
    {kIdTranscribe, kIdTranscribe, B, L"Transcribe on Parlowen", kButton, 0, 30, 590, 320, 64, M, 0, false},
    {kIdShortcutBox, kIdChangeFolder, S, L"", kStaticOwnerDraw, 0, 30, 700, 320, 150, F, 0, false},
    {kSettingsScrollBar, 0, V, L"", kScrollBarVertical, 0, 356, 0, 18, 100, M, 0, false},
    {kIdShowInFolder, kIdShowInFolder, B, L"Show file in folder", kButton, 0, 30, 590, 320, 34, M, 19, false},
    {kIdConverter, kIdConverter, B, L"Make the file smaller (free tool)", kButton, 0, 30, 632, 320, 32, M, 20, false},
    {kIdVersion, kIdVersion, S,
     L"Version " NOTAFON_VERSION_SHORT_WIDE L" \x00B7 Ctrl+Shift+R starts and stops recording from any window.",
     kStaticLeft, 0, 30, 672, 320, 34, F, 21, false},
    {kLabelWindowSize, 0, S, L"Window size", kStaticLeft, 0, 30, 388, 104, 20, M, 14, false},
    {kIdWindowSize, kIdWindowSize, L, L"", kList, 0, 138, 384, 212, 140, M, 15, false},
    {kIdPlayLocalFile, kIdPlayLocalFile, B, L"Play Local File", kButton, 0, 30, 560, 320, 30, M, 0, false},
    {kIdPlayRecording, kIdPlayRecording, B, L"Play my recording", kButton, 0, 196, 560, 154, 30, M, 0, false},
    {kIdLoadedName, kIdLoadedName, S, L"", kStaticCenter | kStaticEndEllipsis, 0, 24, 148, 332, 18, F, 0, false},
    {kIdPlay, kIdPlay, B, L"Play", kButton, 0, 158, 274, 80, 90, M, 0, false},
    {kIdBack, kIdBack, B, L"Back 5s", kButton, 0, 90, 284, 62, 74, M, 0, false},
    {kIdStart, kIdStart, B, L"Start", kButton, 0, 22, 284, 62, 74, M, 0, false},
    {kIdForward, kIdForward, B, L"Forward 5s", kButton, 0, 240, 284, 70, 74, M, 0, false},
    {kIdPlayerStop, kIdPlayerStop, B, L"Stop", kButton, 0, 312, 284, 56, 74, M, 0, false},
    {kIdTimes, kIdTimes, S, L"", kStaticCenter, 0, 24, 168, 332, 18, F, 0, false},
    {kIdSeek, kIdSeek, N, L"", kTabStop, 0, 22, 190, 336, 28, M, 0, false},
    {kIdVolumeLabel, kIdVolumeLabel, S, L"Volume 100%", kStaticLeft, 0, 30, 226, 150, 16, F, 0, false},
    {kIdVolume, kIdVolume, N, L"", kTabStop, 0, 24, 242, 160, 26, M, 0, false},
    {kIdSpeedLabel, kIdSpeedLabel, S, L"Speed 100%", kStaticLeft, 0, 200, 226, 150, 16, F, 0, false},
    {kIdSpeed, kIdSpeed, N, L"", kTabStop, 0, 196, 242, 160, 26, M, 0, false},
    {kLabelPlaybackHeading, 0, S, L"Playback shortcuts (work from any window, even when minimized)", kStaticLeft, 0, 30,
     460, 320, 18, M, 9, false},
#define NOTAFON_SLOT_ROW(slot)                                                                                      \
    {kLabelSlot + (slot), 0, S, nullptr, kStaticLeft, 0, 30, 480, 320, 18, F, kSlotOrder + 4 * (slot), false},      \
        {kIdSlotText + (slot), 0, S, L"", kStaticLeft, 0, 30, 500, 145, 24, M, kSlotOrder + 4 * (slot) + 1, false}, \
        {kIdSlotChange + (slot),                                                                                    \
         kIdSlotChange + (slot),                                                                                    \
         B,                                                                                                         \
         L"Change",                                                                                                 \
         kButton,                                                                                                   \
         0,                                                                                                         \
         180,                                                                                                       \
         498,                                                                                                       \
         75,                                                                                                        \
         28,                                                                                                        \
         M,                                                                                                         \
         kSlotOrder + 4 * (slot) + 2,                                                                               \
         false},                                                                                                    \
    {                                                                                                               \
        kIdSlotDefault + (slot), kIdSlotDefault + (slot), B, L"Default", kButton, 0, 265, 498, 85, 28, M,           \
            kSlotOrder + 4 * (slot) + 3, false                                                                      \
    }
    NOTAFON_SLOT_ROW(0),
    NOTAFON_SLOT_ROW(1),
    NOTAFON_SLOT_ROW(2),
    NOTAFON_SLOT_ROW(3),
#undef NOTAFON_SLOT_ROW
    {kLabelRewind, 0, S, L"Rewind amount", kStaticLeft, 0, 30, 540, 150, 20, M, 10, false},
    {kIdRewindAmount, kIdRewindAmount, L, L"", kComboDropDownList | kVScroll | kTabStop, 0, 184, 536, 166, 200, M, 11,
     false},
};

const ControlSpec* findControl(int key) {
    for (const ControlSpec& c : kControls) {
        if (c.key == key) return &c;
    }
    return nullptr;
}
