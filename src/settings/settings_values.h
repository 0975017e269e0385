// Every value of the settings key: its name, its default, the check applied when it is read, and the tables that
// give the numeric settings their meaning. Readers report whether the default was used, so the harness can show it.
#pragma once

#include <stdint.h>

#include "recorder/recording_names.h"
#include "settings/known_folders.h"
#include "shortcuts/shortcut.h"

// Value names; the playback slots' names are in kPlaybackSlots.
constexpr const wchar_t* kValueRecordingName = L"RecordingName";
constexpr const wchar_t* kValueFormat = L"Format";
constexpr const wchar_t* kValueOnTop = L"OnTop";
constexpr const wchar_t* kValueReplace = L"Replace";
constexpr const wchar_t* kValueSkipSilence = L"SkipSilence";
constexpr const wchar_t* kValueZoom = L"Zoom";
constexpr const wchar_t* kValueHotkeyKey = L"HotkeyKey";
constexpr const wchar_t* kValueHotkeyMods = L"HotkeyMods";
constexpr const wchar_t* kValueFolder = L"Folder";
constexpr const wchar_t* kValuePlayVolume = L"PlayVolume";
constexpr const wchar_t* kValuePlaySpeed = L"PlaySpeed";
constexpr const wchar_t* kValueRewindSeconds = L"RewindSeconds";
constexpr const wchar_t* kValueMiniX = L"MiniX";
constexpr const wchar_t* kValueMiniY = L"MiniY";
constexpr const wchar_t* kValueSignedIn = L"SignedIn";

const int kRecordingNameCapacity = 128;  // characters, terminator included
constexpr const wchar_t* kDefaultRecordingName = L"PRLW Audio";
const int kDefaultFormatRow = 1;  // a row of kRecordingFormats
const uint32_t kDefaultPlayVolume = 100;
const uint32_t kMaxPlayVolume = 200;
const uint32_t kDefaultPlaySpeed = 20;  // steps of 5 %: 20 is normal speed
const uint32_t kMinPlaySpeed = 10;
const uint32_t kMaxPlaySpeed = 60;
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

// Each reader applies its value's check and falls back to the default when the value is absent, of another type or
// fails the check; *usedDefault (may be null) tells which happened.
void readRecordingName(wchar_t* out, int capacity, bool* usedDefault);
int readFormatRow(bool* usedDefault);
// OnTop, Replace, SkipSilence, SignedIn: any stored non-zero number is on; absent is off.
bool readFlag(const wchar_t* name, bool* usedDefault);
int readZoomRow(bool* usedDefault);
uint32_t readPlayVolume(bool* usedDefault);
uint32_t readPlaySpeed(bool* usedDefault);
int readRewindRow(bool* usedDefault);
// The pair replaces the default only when it passes IsValidRecordShortcut; each half read with its own default.
Shortcut readRecordShortcut(bool* keyUsedDefault, bool* modsUsedDefault);
// The pair replaces the slot's default only when it passes IsLoadablePlaybackShortcut.
Shortcut readPlaybackSlot(int slot, bool* keyUsedDefault, bool* modsUsedDefault);
void readFolder(const KnownFolders* folders, wchar_t* out, int capacity, bool* usedDefault);
// True with the saved top-left corner of the mini window; false when either coordinate is not set.
bool readMiniPosition(int32_t* x, int32_t* y);

// "<Documents>\Parlowen Recordings", or under the temporary-files folder when Documents cannot be found.
void defaultRecordingFolder(const KnownFolders* folders, wchar_t* out, int capacity);

// Every value of the key, in one list: reading at start, "save all" and the harness's printout walk it in this order.
enum SettingId : int {
    kSettingRecordingName,
    kSettingFormat,
    kSettingOnTop,
    kSettingReplace,
    kSettingSkipSilence,
    kSettingZoom,
    kSettingHotkeyKey,
    kSettingHotkeyMods,
    kSettingFolder,
    kSettingPlayVolume,
    kSettingPlaySpeed,
    kSettingRewindSeconds,
    kSettingMiniX,
    kSettingMiniY,
    kSettingPlayKey0,                                           // + slot
    kSettingPlayMods0 = kSettingPlayKey0 + kPlaybackSlotCount,  // + slot
    kSettingSignedIn = kSettingPlayMods0 + kPlaybackSlotCount,
    kSettingCount
};
// Every change of the window writes the values before this one, in list order.
const int kSettingsSavedTogether = kSettingRewindSeconds + 1;

// The registry name of a value of the list.
const wchar_t* settingName(int id);

// The values of the list as the application holds them.
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
    bool miniPositionSaved;
    int32_t miniX, miniY;
    Shortcut playback[kPlaybackSlotCount];
    bool signedIn;
    // Filled by the reader: whether each value fell back to its default (both halves of a pair that failed its check).
    bool usedDefault[kSettingCount];
};

// Reads every value of the list, each with its check and default.
void readSettings(const KnownFolders* folders, SettingsValues* out);
// Writes one value of the list from values.
void writeSetting(int id, const SettingsValues& values);
// A value as the harness prints it: texts as they are, Format as its row, Zoom as the percentage, RewindSeconds as
// seconds, flags as 0/1, MiniX/MiniY signed. Returns the length.
int formatSettingValue(int id, const SettingsValues& values, wchar_t* out, int capacity);

// The writers beside their readers; a failed write is dropped silently.
void writeRecordingName(const wchar_t* name);
// HotkeyKey then HotkeyMods.
void writeRecordShortcut(Shortcut shortcut);
// The slot's key value then its mods value.
void writePlaybackSlot(int slot, Shortcut shortcut);
// MiniX then MiniY.
void writeMiniPosition(int32_t x, int32_t y);
void writeSignedIn(bool signedIn);
