// Every value of the settings key, defined once in kSettingFields: its name, how it is held and stored, its default,
// the check applied when it is read and whether the window's changes write it. One generic reader, writer and printer
// walk the table; readers report whether the default was used, so the harness can show it.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "recorder/recorder.h"
#include "recorder/recording_names.h"
#include "settings/known_folders.h"
#include "shortcuts/shortcut.h"
#include "shortcuts/shortcut_rules.h"

const int kRecordingNameCapacity = 128;  // characters, terminator included
const int32_t kMiniNotSet = 0x7FFFFFFF;

// The "Window size" list; only the percentage is stored.
struct ZoomRow {
    const wchar_t* label;
    int32_t percent;
};
const int kZoomRowCount = 11;
const int kDefaultZoomRow = 5;  // 100%
extern const ZoomRow kZoomRows[kZoomRowCount];

// The "Rewind amount" list.
struct RewindRow {
    const wchar_t* label;
    int32_t seconds;
};
const int kRewindRowCount = 7;
const int kDefaultRewindRow = 3;  // 5 seconds
extern const RewindRow kRewindRows[kRewindRowCount];

// The "Rewind on resume" list: how far a resumed pause first jumps back; row 0, off, is the default.
const int kResumeRewindRowCount = 5;
extern const RewindRow kResumeRewindRows[kResumeRewindRowCount];

// The row of a table whose value equals value, or -1.
template <typename Row>
int tableRowOf(const Row* rows, int count, int32_t Row::*field, int64_t value) {
    for (int row = 0; row < count; ++row) {
        if (rows[row].*field == value) return row;
    }
    return -1;
}
// The "Window size" row of a percentage and the "Rewind amount" row of a number of seconds; the default row when
// the table has none.
int zoomRowOf(int32_t percent);
int rewindRowOf(int32_t seconds);
int resumeRewindRowOf(int32_t seconds);

// "<Documents>\Parlowen Recordings", or under the temporary-files folder when Documents cannot be found.
void defaultRecordingFolder(const KnownFoldersApi* folders, wchar_t* out, int capacity);

// The top-left corner of the mini window on the screen.
struct ScreenPosition {
    int32_t x;
    int32_t y;
};

// The values of the key as the application holds them.
struct SettingsValues {
    wchar_t recordingName[kRecordingNameCapacity];
    int formatRow;  // -1 (no selection) is written as 0xFFFFFFFF and reads back as the default row
    bool onTop;
    bool replace;
    bool skipSilence;
    int zoomRow;
    Shortcut recordShortcut;
    wchar_t folder[kPathCapacity];
    uint32_t playVolume;
    uint32_t playSpeed;
    int rewindRow;
    ScreenPosition mini;  // kMiniNotSet in both when no position is saved
    Shortcut playback[kPlaybackSlotCount];
    bool signedIn;
    int resumeRewindRow;
    bool rememberPositions;
    Shortcut mark;                              // kNoShortcut when none is chosen
    wchar_t inputDevice[kCaptureNameCapacity];  // the chosen microphone's name; empty for the system's default
};

enum SettingKind : int {
    kSettingFlag,      // bool; any stored non-zero number is on
    kSettingRange,     // uint32_t, taken only within low..high
    kSettingTableRow,  // int, a row of `table`; stored as the row's value, which must match a row
    kSettingText,      // wchar_t[capacity]; empty, or too long for the buffer, counts as absent
    kSettingKeyMods,   // Shortcut; key and mods stored as two numbers, taken only as a pair passing pairUsable
    kSettingPosition,  // ScreenPosition; x and y stored as two numbers (signed), taken only as a pair passing
                       // pairUsable
};

// Where a table row's stored values are: row r's at `first` + r * `stride` bytes. With no `first` the stored value
// is the row itself.
struct SettingTable {
    const int32_t* first;
    int stride;
    int rows;
};

struct SettingField {
    const wchar_t* name = nullptr;      // the stored value; a pair's first one
    const wchar_t* pairName = nullptr;  // a pair's second stored value
    SettingKind kind = kSettingFlag;
    size_t offset = 0;           // of the held value in SettingsValues
    bool savedTogether = false;  // written by every change of the window (SaveAllSettings), in table order
    // Flag (0 or 1), range, table row (the row): the value held when the stored one is absent or fails its check.
    uint32_t defaultValue = 0;
    uint32_t low = 0, high = 0;  // range
    SettingTable table = {};     // table row
    int capacity = 0;            // text, in characters with the terminator
    const wchar_t* defaultText = nullptr;
    void (*defaultTextFor)(const KnownFoldersApi* folders, wchar_t* out, int capacity) = nullptr;  // the system's
    uint32_t pairDefault[2] = {0, 0};
    bool (*pairUsable)(uint32_t first, uint32_t second) = nullptr;
    // A pair per playback slot (elements of them), held as SettingsValues::playback, with the slots' value names and
    // defaults. The key lists every slot's key value, then every slot's mods value.
    const PlaybackSlot* slots = nullptr;
    int elements = 1;
};

// Both coordinates of a saved position are set.
bool miniPositionUsable(uint32_t x, uint32_t y);

// Every value of the key, in the order they are read at start, saved and printed by the harness.
inline constexpr SettingField kSettingFields[] = {
    {.name = L"RecordingName",
     .kind = kSettingText,
     .offset = offsetof(SettingsValues, recordingName),
     .savedTogether = true,
     .capacity = kRecordingNameCapacity,
     .defaultText = L"PRLW Audio"},
    {.name = L"Format",
     .kind = kSettingTableRow,
     .offset = offsetof(SettingsValues, formatRow),
     .savedTogether = true,
     .defaultValue = 1,
     .table = {nullptr, 0, kRecordingFormatCount}},
    {.name = L"OnTop", .kind = kSettingFlag, .offset = offsetof(SettingsValues, onTop), .savedTogether = true},
    {.name = L"Replace", .kind = kSettingFlag, .offset = offsetof(SettingsValues, replace), .savedTogether = true},
    {.name = L"SkipSilence",
     .kind = kSettingFlag,
     .offset = offsetof(SettingsValues, skipSilence),
     .savedTogether = true},
    {.name = L"Zoom",
     .kind = kSettingTableRow,
     .offset = offsetof(SettingsValues, zoomRow),
     .savedTogether = true,
     .defaultValue = kDefaultZoomRow,
     .table = {&kZoomRows[0].percent, sizeof(ZoomRow), kZoomRowCount}},
    {.name = L"HotkeyKey",
     .pairName = L"HotkeyMods",
     .kind = kSettingKeyMods,
     .offset = offsetof(SettingsValues, recordShortcut),
     .savedTogether = true,
     .pairDefault = {kDefaultRecordShortcut.key, kDefaultRecordShortcut.mods},
     .pairUsable = IsValidRecordShortcut},
    {.name = L"Folder",
     .kind = kSettingText,
     .offset = offsetof(SettingsValues, folder),
     .savedTogether = true,
     .capacity = kPathCapacity,
     .defaultTextFor = defaultRecordingFolder},
    {.name = L"PlayVolume",
     .kind = kSettingRange,
     .offset = offsetof(SettingsValues, playVolume),
     .savedTogether = true,
     .defaultValue = 100,
     .low = 0,
     .high = 200},
    {.name = L"PlaySpeed",  // steps of 5 %: 20 is normal speed
     .kind = kSettingRange,
     .offset = offsetof(SettingsValues, playSpeed),
     .savedTogether = true,
     .defaultValue = 20,
     .low = 10,
     .high = 60},
    {.name = L"RewindSeconds",
     .kind = kSettingTableRow,
     .offset = offsetof(SettingsValues, rewindRow),
     .savedTogether = true,
     .defaultValue = kDefaultRewindRow,
     .table = {&kRewindRows[0].seconds, sizeof(RewindRow), kRewindRowCount}},
    {.name = L"MiniX",
     .pairName = L"MiniY",
     .kind = kSettingPosition,
     .offset = offsetof(SettingsValues, mini),
     .savedTogether = false,
     .pairDefault = {static_cast<uint32_t>(kMiniNotSet), static_cast<uint32_t>(kMiniNotSet)},
     .pairUsable = miniPositionUsable},
    {.kind = kSettingKeyMods,
     .offset = offsetof(SettingsValues, playback),
     .savedTogether = false,
     .pairUsable = IsLoadablePlaybackShortcut,
     .slots = kPlaybackSlots,
     .elements = kPlaybackSlotCount},
    {.name = L"SignedIn", .kind = kSettingFlag, .offset = offsetof(SettingsValues, signedIn), .savedTogether = false},
    {.name = L"RewindOnResume",
     .kind = kSettingTableRow,
     .offset = offsetof(SettingsValues, resumeRewindRow),
     .savedTogether = true,
     .defaultValue = 0,
     .table = {&kResumeRewindRows[0].seconds, sizeof(RewindRow), kResumeRewindRowCount}},
    {.name = L"RememberPositions",
     .kind = kSettingFlag,
     .offset = offsetof(SettingsValues, rememberPositions),
     .savedTogether = true},
    {.name = L"MarkKey",
     .pairName = L"MarkMods",
     .kind = kSettingKeyMods,
     .offset = offsetof(SettingsValues, mark),
     .savedTogether = false,
     .pairDefault = {kNoShortcut.key, kNoShortcut.mods},
     .pairUsable = IsLoadableMarkShortcut},
    {.name = L"InputDevice",
     .kind = kSettingText,
     .offset = offsetof(SettingsValues, inputDevice),
     .savedTogether = true,
     .capacity = kCaptureNameCapacity,
     .defaultText = L""},
};
constexpr int kSettingFieldCount = static_cast<int>(sizeof kSettingFields / sizeof kSettingFields[0]);

constexpr bool settingNamesEqual(const wchar_t* a, const wchar_t* b) {
    if (!a || !b) return false;
    for (; *a && *a == *b; ++a, ++b) {
    }
    return *a == *b;
}
// What the reader and writer rely on in every row: its own member, its own names, a default its check can hold.
constexpr bool settingFieldsAreWellFormed() {
    for (int i = 0; i < kSettingFieldCount; ++i) {
        const SettingField& f = kSettingFields[i];
        bool pair = f.kind == kSettingKeyMods || f.kind == kSettingPosition;
        if (f.elements < 1 || (f.elements > 1 && (!pair || f.name || f.pairName))) return false;
        if (f.elements == 1 && (!f.name || pair != (f.pairName != nullptr))) return false;
        if (f.kind == kSettingText && f.capacity <= 0) return false;
        if (f.kind == kSettingRange && (f.defaultValue < f.low || f.defaultValue > f.high)) return false;
        if (f.kind == kSettingTableRow && f.defaultValue >= static_cast<uint32_t>(f.table.rows)) return false;
        for (int j = 0; j < i; ++j) {
            const SettingField& g = kSettingFields[j];
            if (g.offset == f.offset) return false;
            const wchar_t* names[2] = {f.name, f.pairName};
            for (const wchar_t* name : names) {
                if (settingNamesEqual(name, g.name) || settingNamesEqual(name, g.pairName)) return false;
            }
        }
    }
    return true;
}
static_assert(settingFieldsAreWellFormed(), "a settings row shares a member or a name, or has no usable default");

constexpr int settingHalves(const SettingField& field) {
    return field.kind == kSettingKeyMods || field.kind == kSettingPosition ? 2 : 1;
}
constexpr int settingElements(const SettingField& field) {
    return field.elements;
}
// The stored values of a field: one, two for a pair, two per slot for the slots.
constexpr int settingValueCount(const SettingField& field) {
    return settingHalves(field) * settingElements(field);
}
constexpr int countSettingValues() {
    int count = 0;
    for (const SettingField& field : kSettingFields) count += settingValueCount(field);
    return count;
}
// Every stored value of the key, numbered in table order: the harness's lines and readSettings' usedDefault.
constexpr int kSettingValueCount = countSettingValues();

// One stored value: which half of which element of which field.
struct SettingValueRef {
    const SettingField* field;
    int element;
    int half;
};
SettingValueRef settingValueRef(int value);
// The registry name of a stored value; "" past the last.
const wchar_t* settingName(int value);
// The number of the stored value with that name (ASCII case ignored, as the registry does), or -1.
int settingValueNamed(const wchar_t* name);

// Where values holds a field's value.
void* settingHeld(const SettingField& field, SettingsValues* values);
const void* settingHeld(const SettingField& field, const SettingsValues& values);
// The field holding the member of SettingsValues at that offset, or null.
const SettingField* settingFieldAt(size_t offset);

// Reads one field into values with its check and default; usedDefault (may be null) receives one flag per stored
// value of the field, in value order. A pair that fails its check falls back to both defaults and reports both.
void readSettingField(const SettingField& field, const KnownFoldersApi* folders, SettingsValues* values,
                      bool* usedDefault);
// Reads every field; usedDefault (may be null) receives kSettingValueCount flags.
void readSettings(const KnownFoldersApi* folders, SettingsValues* out, bool* usedDefault = nullptr);
// Writes one stored value from values; a failed write is dropped silently.
void writeSettingValue(int value, const SettingsValues& values);
// Writes every stored value of a field in value order (a pair: first, then second).
void writeSettingField(const SettingField& field, const SettingsValues& values);
// A stored value as the harness prints it: texts as they are, a table row as its stored value (Format the row,
// Zoom the percentage, RewindSeconds the seconds), flags as 0/1, shortcuts unsigned, positions signed. Returns the
// length.
int formatSettingValue(int value, const SettingsValues& values, wchar_t* out, int capacity);

// The single values other parts read and write, through their fields.
bool readMiniPosition(int32_t* x, int32_t* y);  // false when either coordinate is not set
bool readSignedIn();
void writeRecordingName(const wchar_t* name);
void writeRecordShortcut(Shortcut shortcut);          // HotkeyKey then HotkeyMods
void writePlaybackSlot(int slot, Shortcut shortcut);  // the slot's key value then its mods value
void writeMarkShortcut(Shortcut shortcut);            // MarkKey then MarkMods
void writeMiniPosition(int32_t x, int32_t y);         // MiniX then MiniY
void writeSignedIn(bool signedIn);
