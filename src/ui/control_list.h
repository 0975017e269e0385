// Every control of the main window, written once. The identifiers, the layout items, the creation table with its
// fonts and paint kinds, the end-to-end driver's names and the application tests' fake window are all expanded from
// NOTAFON_CONTROLS, so a new control is one row here plus its handler.
#pragma once

#include <stdint.h>

// Window classes of the controls.
enum class ControlClass : uint8_t { Button, Static, Edit, ComboBox, ScrollBar, Slider };

// The font a control is created with and handed again after every zoom change.
enum class FontKind : uint8_t { Main, Small, Timer };

// Who paints a control and in which look. The system paints the first three (with the text colour named); the
// sliders paint themselves; every other kind is an owner-drawn control with a painter of its own.
enum class PaintKind : uint8_t {
    System,  // body grey text on white where the system asks for colours
    Muted,   // a static in muted grey
    Clock,   // the timer: purple while the player shows, near-black otherwise
    Slider,
    Button,             // flat white box, purple caption
    DarkCaptionButton,  // flat white box, black caption while enabled
    RecordButton,       // the recorder row's pills, each with its icon
    PauseButton,
    StopButton,
    MarkButton,
    TransportPlay,  // the player's round buttons, each with its glyph and the caption under it
    TransportBack,
    TransportStart,
    TransportForward,
    TransportStop,
    Transcribe,
    MiniToggle,
    PanelStrip,
    ShortcutBox,
};

// Where a control lives: a direct child of the main window placed by the layout pass (Column), the strip beside
// the web panel (Strip: created hidden, placed with the panel), or the scrolling settings page (Page).
enum class ControlPlace : uint8_t { Column, Strip, Page };

// Style bits in the platform's encoding (the Win32 side checks them against its own headers), so the list stays
// portable and the window passes them on unchanged.
namespace style {
const uint32_t kTabStop = 0x00010000;
const uint32_t kVScroll = 0x00200000;
const uint32_t kOwnerDrawButton = 0x0000000B;
const uint32_t kAutoCheckBox = 0x00000003;
const uint32_t kStaticLeft = 0x00000000;
const uint32_t kStaticCenter = 0x00000001;
const uint32_t kStaticOwnerDraw = 0x0000000D;
const uint32_t kStaticEndEllipsis = 0x00004000;
const uint32_t kStaticPathEllipsis = 0x00008000;
const uint32_t kEditAutoHScroll = 0x00000080;
const uint32_t kComboDropDownList = 0x00000003;
const uint32_t kScrollBarVertical = 0x00000001;
const uint32_t kExClientEdge = 0x00000200;
const uint32_t kButton = kOwnerDrawButton | kTabStop;
const uint32_t kCheck = kAutoCheckBox | kTabStop;
const uint32_t kList = kComboDropDownList | kVScroll | kTabStop;
}  // namespace style

// The created identifier of a control whose key is its identifier; labels are created with 0.
const int kOwnId = -1;

// How many playback slots a slot row (S below) stands for.
const int kControlSlotCount = 8;

// X(item, key, value, created, class, style, exStyle, caption, font, paint, place): one control.
// S(...the same...): a row of eight, one per playback slot: key, identifier and layout item are value + slot.
//   item     the layout item's name (kItem<item>)
//   key      the name a program, a test and a script use for it, value its number; created the identifier it is
//            created with (kOwnId: its key, 0 for labels)
//   caption  its text at creation (null for the slot labels: the playback slot table names them)
//
// Column controls in creation order, which is the tab order; then the page in the order its controls are stacked
// (top to bottom, the tab order too), the slot rows last, stacked slot by slot (label, text, Change, Default).
// Identifier 117 is shared by the "Change folder..." button and the shortcut box; only the button sends commands.
// clang-format off
#define NOTAFON_CONTROLS(X, S)                                                                                     \
    X(MiniToggle, kIdMiniToggle, 171, kOwnId, Button, kButton, 0, L"Nota Mini", Main, MiniToggle, Column)          \
    X(PanelStrip, kIdPanelStrip, 170, kOwnId, Button, kOwnerDrawButton, 0, L"", Main, PanelStrip, Strip)           \
    X(Time, kIdTime, 110, kOwnId, Static, kStaticCenter, 0, L"00:00:00", Timer, Clock, Column)                     \
    X(Status, kIdStatus, 111, kOwnId, Static, kStaticCenter, 0, L"Ready to record", Main, Muted, Column)           \
    X(Record, kIdRecord, 101, kOwnId, Button, kButton, 0, L"Record", Main, RecordButton, Column)                   \
    X(Pause, kIdPause, 102, kOwnId, Button, kButton, 0, L"Pause", Main, PauseButton, Column)                       \
    X(Stop, kIdStop, 103, kOwnId, Button, kButton, 0, L"Stop", Main, StopButton, Column)                           \
    X(Mark, kIdMark, 104, kOwnId, Button, kButton, 0, L"Mark", Main, MarkButton, Column)                           \
    X(FileNameLabel, kLabelFileName, 2001, 0, Static, kStaticLeft, 0, L"File name", Main, System, Column)          \
    X(FileName, kIdFileName, 118, kOwnId, Edit, kEditAutoHScroll | kTabStop, kExClientEdge, L"", Main, System,     \
      Column)                                                                                                      \
    X(Settings, kIdSettings, 109, kOwnId, Button, kButton, 0, L"Settings", Main, DarkCaptionButton, Column)        \
    X(Detail, kIdDetail, 112, kOwnId, Static, kStaticLeft, 0,                                                      \
      L"Recordings save locally as you go. Drag an MP3, WAV or M4A onto this window to play it.", Small, System,   \
      Column)                                                                                                      \
    X(Transcribe, kIdTranscribe, 114, kOwnId, Button, kButton, 0, L"Transcribe on Parlowen", Main, Transcribe,     \
      Column)                                                                                                      \
    X(ShortcutBox, kIdShortcutBox, 1020, kIdChangeFolder, Static, kStaticOwnerDraw, 0, L"", Small, ShortcutBox,    \
      Column)                                                                                                      \
    X(ScrollBar, kSettingsScrollBar, 2006, 0, ScrollBar, kScrollBarVertical, 0, L"", Main, System, Column)         \
    X(PlayLocalFile, kIdPlayLocalFile, 146, kOwnId, Button, kButton, 0, L"Play Local File", Main,                  \
      DarkCaptionButton, Column)                                                                                   \
    X(PlayRecording, kIdPlayRecording, 147, kOwnId, Button, kButton, 0, L"Play my recording", Main,                \
      DarkCaptionButton, Column)                                                                                   \
    X(LoadedName, kIdLoadedName, 148, kOwnId, Static, kStaticCenter | kStaticEndEllipsis, 0, L"", Small, System,   \
      Column)                                                                                                      \
    X(Play, kIdPlay, 130, kOwnId, Button, kButton, 0, L"Play", Small, TransportPlay, Column)                       \
    X(Back, kIdBack, 131, kOwnId, Button, kButton, 0, L"Back 5s", Small, TransportBack, Column)                    \
    X(Start, kIdStart, 132, kOwnId, Button, kButton, 0, L"Start", Small, TransportStart, Column)                   \
    X(Forward, kIdForward, 149, kOwnId, Button, kButton, 0, L"Forward 5s", Small, TransportForward, Column)        \
    X(PlayerStop, kIdPlayerStop, 150, kOwnId, Button, kButton, 0, L"Stop", Small, TransportStop, Column)           \
    X(Times, kIdTimes, 136, kOwnId, Static, kStaticCenter, 0, L"", Small, System, Column)                          \
    X(Seek, kIdSeek, 133, kOwnId, Slider, kTabStop, 0, L"", Main, Slider, Column)                                  \
    X(VolumeLabel, kIdVolumeLabel, 137, kOwnId, Static, kStaticLeft, 0, L"Volume 100%", Small, System, Column)     \
    X(Volume, kIdVolume, 134, kOwnId, Slider, kTabStop, 0, L"", Main, Slider, Column)                              \
    X(SpeedLabel, kIdSpeedLabel, 138, kOwnId, Static, kStaticLeft, 0, L"Speed 100%", Small, System, Column)        \
    X(Speed, kIdSpeed, 135, kOwnId, Slider, kTabStop, 0, L"", Main, Slider, Column)                                \
    X(Replace, kIdReplace, 107, kOwnId, Button, kCheck, 0, L"Replace a file that has the same name", Main, System, \
      Page)                                                                                                        \
    X(SkipSilence, kIdSkipSilence, 105, kOwnId, Button, kCheck, 0, L"Skip long silences while recording", Main,    \
      System, Page)                                                                                                \
    X(OnTop, kIdOnTop, 108, kOwnId, Button, kCheck, 0, L"Keep this window on top of other windows", Main, System,  \
      Page)                                                                                                        \
    X(RecordHeading, kLabelRecordHeading, 2002, 0, Static, kStaticLeft, 0, L"Global record/stop shortcut", Main,   \
      System, Page)                                                                                                \
    X(RecordShortcutText, kIdRecordShortcutText, 1001, 0, Static, kStaticLeft, 0, L"Ctrl+Shift+R", Main, System,   \
      Page)                                                                                                        \
    X(RecordChange, kIdRecordShortcutChange, 121, kOwnId, Button, kButton, 0, L"Change", Main, Button, Page)       \
    X(RecordDefault, kIdRecordShortcutDefault, 122, kOwnId, Button, kButton, 0, L"Default", Main, Button, Page)    \
    X(RecordNote, kLabelRecordNote, 2003, 0, Static, kStaticLeft, 0,                                               \
      L"Works while minimized. A single key is intercepted in other apps; Tab also affects normal focus "          \
      L"navigation.", Small, System, Page)                                                                         \
    X(PlaybackHeading, kLabelPlaybackHeading, 2008, 0, Static, kStaticLeft, 0,                                     \
      L"Playback shortcuts (work from any window, even when minimized)", Main, System, Page)                       \
    X(RewindLabel, kLabelRewind, 2009, 0, Static, kStaticLeft, 0, L"Rewind amount", Main, System, Page)            \
    X(Rewind, kIdRewindAmount, 139, kOwnId, ComboBox, kList, 0, L"", Main, System, Page)                           \
    X(QualityLabel, kLabelQuality, 2004, 0, Static, kStaticLeft, 0, L"Quality", Main, System, Page)                \
    X(Quality, kIdQuality, 106, kOwnId, ComboBox, kList, 0, L"", Main, System, Page)                               \
    X(WindowSizeLabel, kLabelWindowSize, 2007, 0, Static, kStaticLeft, 0, L"Window size", Main, System, Page)      \
    X(WindowSize, kIdWindowSize, 120, kOwnId, ComboBox, kList, 0, L"", Main, System, Page)                         \
    X(SaveInLabel, kLabelSaveIn, 2005, 0, Static, kStaticLeft, 0, L"Save recordings in", Small, System, Page)      \
    X(Folder, kIdFolder, 119, kOwnId, Static, kStaticPathEllipsis, 0, L"", Small, Muted, Page)                     \
    X(ChangeFolder, kIdChangeFolder, 117, kOwnId, Button, kButton, 0, L"Change folder...", Main, Button, Page)     \
    X(ShowInFolder, kIdShowInFolder, 113, kOwnId, Button, kButton, 0, L"Show file in folder", Main, Button, Page)  \
    X(Converter, kIdConverter, 115, kOwnId, Button, kButton, 0, L"Make the file smaller (free tool)", Main,        \
      Button, Page)                                                                                                \
    X(ResumeRewindLabel, kLabelResumeRewind, 2020, 0, Static, kStaticLeft, 0, L"Rewind on resume", Main, System,   \
      Page)                                                                                                        \
    X(ResumeRewind, kIdResumeRewind, 140, kOwnId, ComboBox, kList, 0, L"", Main, System, Page)                     \
    X(RememberPositions, kIdRememberPositions, 141, kOwnId, Button, kCheck, 0, L"Reopen files where I stopped",    \
      Main, System, Page)                                                                                          \
    X(MarkLabel, kLabelMark, 2021, 0, Static, kStaticLeft, 0, L"Add a mark", Small, System, Page)                  \
    X(MarkShortcutText, kIdMarkShortcutText, 1002, 0, Static, kStaticLeft, 0, L"None", Main, System, Page)         \
    X(MarkChange, kIdMarkShortcutChange, 123, kOwnId, Button, kButton, 0, L"Change", Main, Button, Page)           \
    X(MarkDefault, kIdMarkShortcutDefault, 124, kOwnId, Button, kButton, 0, L"Default", Main, Button, Page)        \
    X(MicrophoneLabel, kLabelMicrophone, 2022, 0, Static, kStaticLeft, 0, L"Microphone", Main, System, Page)      \
    X(Microphone, kIdMicrophone, 142, kOwnId, ComboBox, kList, 0, L"", Main, System, Page)                         \
    X(Version, kIdVersion, 116, kOwnId, Static, kStaticLeft, 0,                                                    \
      L"Version " NOTAFON_VERSION_SHORT_WIDE L" \x00B7 Ctrl+Shift+R starts and stops recording from any window.",  \
      Small, Muted, Page)                                                                                          \
    S(SlotLabel, kLabelSlot, 2010, 0, Static, kStaticLeft, 0, nullptr, Small, System, Page)                        \
    S(SlotText, kIdSlotText, 1010, 0, Static, kStaticLeft, 0, L"", Main, System, Page)                             \
    S(SlotChange, kIdSlotChange, 160, kOwnId, Button, kButton, 0, L"Change", Main, Button, Page)                   \
    S(SlotDefault, kIdSlotDefault, 180, kOwnId, Button, kButton, 0, L"Default", Main, Button, Page)
// clang-format on
