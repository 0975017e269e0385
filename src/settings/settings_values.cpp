// The settings' defaults, checks and tables, and the reading of them at start.
#include "settings/settings_values.h"

#include "base/file_api.h"
#include "base/file_path.h"
#include "base/wide_text.h"
#include "recorder/recorder.h"
#include "settings/settings_store.h"
#include "shortcuts/shortcut_rules.h"

const ZoomRow kZoomRows[kZoomRowCount] = {
    {L"50%", 50},   {L"60%", 60},   {L"70%", 70},   {L"80%", 80},   {L"90%", 90},   {L"100%", 100},
    {L"110%", 110}, {L"120%", 120}, {L"130%", 130}, {L"140%", 140}, {L"150%", 150},
};

const RewindRow kRewindRows[kRewindRowCount] = {
    {L"1 second", 1},    {L"2 seconds", 2},   {L"3 seconds", 3},   {L"5 seconds", 5},
    {L"10 seconds", 10}, {L"15 seconds", 15}, {L"30 seconds", 30},
};

namespace {

void Report(bool* usedDefault, bool value) {
    if (usedDefault) *usedDefault = value;
}

// Reads a pair of numbers, each with its own default; the pair is taken only when `usable` accepts it.
Shortcut ReadShortcutPair(const wchar_t* keyName, const wchar_t* modsName, Shortcut defaults,
                          bool (*usable)(uint32_t key, uint32_t mods), bool* keyUsedDefault, bool* modsUsedDefault) {
    Shortcut read = defaults;
    bool keyStored = readStoredNumber(keyName, &read.key);
    bool modsStored = readStoredNumber(modsName, &read.mods);
    if (!usable(read.key, read.mods)) {
        Report(keyUsedDefault, true);
        Report(modsUsedDefault, true);
        return defaults;
    }
    Report(keyUsedDefault, !keyStored);
    Report(modsUsedDefault, !modsStored);
    return read;
}

// The row of a table whose value equals the stored number; the default row when none does or nothing is stored.
template <typename Row>
int ReadTableRow(const wchar_t* name, const Row* rows, int count, int32_t Row::*value, int defaultRow,
                 bool* usedDefault) {
    uint32_t stored = 0;
    int row = readStoredNumber(name, &stored) ? tableRowOf(rows, count, value, stored) : -1;
    if (row >= 0) {
        Report(usedDefault, false);
        return row;
    }
    Report(usedDefault, true);
    return defaultRow;
}

// A path without its trailing separator, so the formatted folder has exactly one between the parts (the temporary
// path comes with one).
void TrimTrailingSeparator(wchar_t* path) {
    int n = 0;
    while (path[n]) ++n;
    while (n > 0 && (path[n - 1] == L'\\' || path[n - 1] == L'/')) path[--n] = 0;
}

}  // namespace

void readRecordingName(wchar_t* out, int capacity, bool* usedDefault) {
    bool found = ReadSettingText(kValueRecordingName, out, capacity);
    if (!found) WideCopyBounded(out, capacity, kDefaultRecordingName);
    Report(usedDefault, !found);
}

int readFormatRow(bool* usedDefault) {
    uint32_t stored = 0;
    bool usable = readStoredNumber(kValueFormat, &stored) && stored < static_cast<uint32_t>(kRecordingFormatCount);
    Report(usedDefault, !usable);
    return usable ? static_cast<int>(stored) : kDefaultFormatRow;
}

bool readFlag(const wchar_t* name, bool* usedDefault) {
    uint32_t stored = 0;
    bool found = readStoredNumber(name, &stored);
    Report(usedDefault, !found);
    return found && stored != 0;
}

int zoomRowOf(int32_t percent) {
    int row = tableRowOf(kZoomRows, kZoomRowCount, &ZoomRow::percent, percent);
    return row >= 0 ? row : kDefaultZoomRow;
}

int rewindRowOf(int32_t seconds) {
    int row = tableRowOf(kRewindRows, kRewindRowCount, &RewindRow::seconds, seconds);
    return row >= 0 ? row : kDefaultRewindRow;
}

int readZoomRow(bool* usedDefault) {
    return ReadTableRow(kValueZoom, kZoomRows, kZoomRowCount, &ZoomRow::percent, kDefaultZoomRow, usedDefault);
}

uint32_t readPlayVolume(bool* usedDefault) {
    uint32_t stored = 0;
    bool usable = readStoredNumber(kValuePlayVolume, &stored) && stored <= kMaxPlayVolume;
    Report(usedDefault, !usable);
    return usable ? stored : kDefaultPlayVolume;
}

uint32_t readPlaySpeed(bool* usedDefault) {
    uint32_t stored = 0;
    bool usable = readStoredNumber(kValuePlaySpeed, &stored) && stored >= kMinPlaySpeed && stored <= kMaxPlaySpeed;
    Report(usedDefault, !usable);
    return usable ? stored : kDefaultPlaySpeed;
}

int readRewindRow(bool* usedDefault) {
    return ReadTableRow(kValueRewindSeconds, kRewindRows, kRewindRowCount, &RewindRow::seconds, kDefaultRewindRow,
                        usedDefault);
}

Shortcut readRecordShortcut(bool* keyUsedDefault, bool* modsUsedDefault) {
    return ReadShortcutPair(kValueHotkeyKey, kValueHotkeyMods, kDefaultRecordShortcut, IsValidRecordShortcut,
                            keyUsedDefault, modsUsedDefault);
}

Shortcut readPlaybackSlot(int slot, bool* keyUsedDefault, bool* modsUsedDefault) {
    const PlaybackSlot& row = kPlaybackSlots[slot];
    return ReadShortcutPair(row.keyValueName, row.modsValueName, row.defaultShortcut, IsLoadablePlaybackShortcut,
                            keyUsedDefault, modsUsedDefault);
}

void readFolder(const KnownFolders* folders, wchar_t* out, int capacity, bool* usedDefault) {
    bool found = ReadSettingText(kValueFolder, out, capacity);
    if (!found) defaultRecordingFolder(folders, out, capacity);
    Report(usedDefault, !found);
}

bool readMiniPosition(int32_t* x, int32_t* y) {
    int32_t storedX = static_cast<int32_t>(ReadSettingNumber(kValueMiniX, static_cast<uint32_t>(kMiniNotSet)));
    int32_t storedY = static_cast<int32_t>(ReadSettingNumber(kValueMiniY, static_cast<uint32_t>(kMiniNotSet)));
    if (storedX == kMiniNotSet || storedY == kMiniNotSet) return false;
    *x = storedX;
    *y = storedY;
    return true;
}

void defaultRecordingFolder(const KnownFolders* folders, wchar_t* out, int capacity) {
    wchar_t base[kPathCapacity];
    base[0] = 0;
    if (folders->documents(base, kPathCapacity) != 0 && folders->temporary(base, kPathCapacity) != 0) base[0] = 0;
    TrimTrailingSeparator(base);
    // A known folder too long to hold the subfolder gets the same answer as no known folder: a cut name would be
    // another folder.
    if (PathJoin(out, capacity, base, kPathSeparator, L"Parlowen Recordings", L"") < 0)
        PathJoin(out, capacity, L"", kPathSeparator, L"Parlowen Recordings", L"");
}

const wchar_t* settingName(int id) {
    static const wchar_t* const kNames[kSettingsSavedTogether + 2] = {
        kValueRecordingName, kValueFormat,        kValueOnTop,      kValueReplace, kValueSkipSilence,
        kValueZoom,          kValueHotkeyKey,     kValueHotkeyMods, kValueFolder,  kValuePlayVolume,
        kValuePlaySpeed,     kValueRewindSeconds, kValueMiniX,      kValueMiniY};
    if (id >= 0 && id <= kSettingMiniY) return kNames[id];
    if (id >= kSettingPlayKey0 && id < kSettingPlayMods0) return kPlaybackSlots[id - kSettingPlayKey0].keyValueName;
    if (id >= kSettingPlayMods0 && id < kSettingSignedIn) return kPlaybackSlots[id - kSettingPlayMods0].modsValueName;
    if (id == kSettingSignedIn) return kValueSignedIn;
    return L"";
}

void readSettings(const KnownFolders* folders, SettingsValues* out) {
    bool* used = out->usedDefault;
    for (int id = 0; id < kSettingCount; ++id) {
        switch (id) {
            case kSettingRecordingName:
                readRecordingName(out->recordingName, kRecordingNameCapacity, &used[id]);
                break;
            case kSettingFormat:
                out->formatRow = readFormatRow(&used[id]);
                break;
            case kSettingOnTop:
                out->onTop = readFlag(kValueOnTop, &used[id]);
                break;
            case kSettingReplace:
                out->replace = readFlag(kValueReplace, &used[id]);
                break;
            case kSettingSkipSilence:
                out->skipSilence = readFlag(kValueSkipSilence, &used[id]);
                break;
            case kSettingZoom:
                out->zoomRow = readZoomRow(&used[id]);
                break;
            case kSettingHotkeyKey:  // the pair is checked together
                out->recordShortcut = readRecordShortcut(&used[id], &used[kSettingHotkeyMods]);
                break;
            case kSettingFolder:
                out->folder[0] = 0;
                readFolder(folders, out->folder, kPathCapacity, &used[id]);
                break;
            case kSettingPlayVolume:
                out->playVolume = readPlayVolume(&used[id]);
                break;
            case kSettingPlaySpeed:
                out->playSpeed = readPlaySpeed(&used[id]);
                break;
            case kSettingRewindSeconds:
                out->rewindRow = readRewindRow(&used[id]);
                break;
            case kSettingMiniX:  // either coordinate missing means no saved position
                out->miniPositionSaved = readMiniPosition(&out->miniX, &out->miniY);
                if (!out->miniPositionSaved) out->miniX = out->miniY = kMiniNotSet;
                used[kSettingMiniX] = used[kSettingMiniY] = !out->miniPositionSaved;
                break;
            case kSettingSignedIn:
                out->signedIn = readFlag(kValueSignedIn, &used[id]);
                break;
            default:
                if (id >= kSettingPlayKey0 && id < kSettingPlayMods0) {
                    int slot = id - kSettingPlayKey0;
                    out->playback[slot] = readPlaybackSlot(slot, &used[id], &used[kSettingPlayMods0 + slot]);
                }
                break;
        }
    }
}

void writeSetting(int id, const SettingsValues& v) {
    switch (id) {
        case kSettingRecordingName:
            writeRecordingName(v.recordingName);
            break;
        case kSettingFormat:
            WriteSettingNumber(kValueFormat, static_cast<uint32_t>(v.formatRow));
            break;
        case kSettingOnTop:
        case kSettingReplace:
        case kSettingSkipSilence:
        case kSettingSignedIn: {
            bool on = id == kSettingOnTop         ? v.onTop
                      : id == kSettingReplace     ? v.replace
                      : id == kSettingSkipSilence ? v.skipSilence
                                                  : v.signedIn;
            WriteSettingNumber(settingName(id), on ? 1 : 0);
            break;
        }
        case kSettingZoom:
            WriteSettingNumber(kValueZoom, static_cast<uint32_t>(kZoomRows[v.zoomRow].percent));
            break;
        case kSettingHotkeyKey:
            WriteSettingNumber(kValueHotkeyKey, v.recordShortcut.key);
            break;
        case kSettingHotkeyMods:
            WriteSettingNumber(kValueHotkeyMods, v.recordShortcut.mods);
            break;
        case kSettingFolder:
            WriteSettingText(kValueFolder, v.folder);
            break;
        case kSettingPlayVolume:
            WriteSettingNumber(kValuePlayVolume, v.playVolume);
            break;
        case kSettingPlaySpeed:
            WriteSettingNumber(kValuePlaySpeed, v.playSpeed);
            break;
        case kSettingRewindSeconds:
            WriteSettingNumber(kValueRewindSeconds, static_cast<uint32_t>(kRewindRows[v.rewindRow].seconds));
            break;
        case kSettingMiniX:
            WriteSettingNumber(kValueMiniX, static_cast<uint32_t>(v.miniX));
            break;
        case kSettingMiniY:
            WriteSettingNumber(kValueMiniY, static_cast<uint32_t>(v.miniY));
            break;
        default:
            if (id >= kSettingPlayKey0 && id < kSettingPlayMods0) {
                WriteSettingNumber(settingName(id), v.playback[id - kSettingPlayKey0].key);
            } else if (id >= kSettingPlayMods0 && id < kSettingSignedIn) {
                WriteSettingNumber(settingName(id), v.playback[id - kSettingPlayMods0].mods);
            }
            break;
    }
}

int formatSettingValue(int id, const SettingsValues& v, wchar_t* out, int capacity) {
    switch (id) {
        case kSettingRecordingName:
            return WideFormat(out, capacity, L"%ls", v.recordingName);
        case kSettingFolder:
            return WideFormat(out, capacity, L"%ls", v.folder);
        case kSettingFormat:
            return WideFormat(out, capacity, L"%d", v.formatRow);
        case kSettingOnTop:
            return WideFormat(out, capacity, L"%d", v.onTop ? 1 : 0);
        case kSettingReplace:
            return WideFormat(out, capacity, L"%d", v.replace ? 1 : 0);
        case kSettingSkipSilence:
            return WideFormat(out, capacity, L"%d", v.skipSilence ? 1 : 0);
        case kSettingSignedIn:
            return WideFormat(out, capacity, L"%d", v.signedIn ? 1 : 0);
        case kSettingZoom:
            return WideFormat(out, capacity, L"%d", kZoomRows[v.zoomRow].percent);
        case kSettingHotkeyKey:
            return WideFormat(out, capacity, L"%u", static_cast<unsigned>(v.recordShortcut.key));
        case kSettingHotkeyMods:
            return WideFormat(out, capacity, L"%u", static_cast<unsigned>(v.recordShortcut.mods));
        case kSettingPlayVolume:
            return WideFormat(out, capacity, L"%u", static_cast<unsigned>(v.playVolume));
        case kSettingPlaySpeed:
            return WideFormat(out, capacity, L"%u", static_cast<unsigned>(v.playSpeed));
        case kSettingRewindSeconds:
            return WideFormat(out, capacity, L"%d", kRewindRows[v.rewindRow].seconds);
        case kSettingMiniX:
            return WideFormat(out, capacity, L"%d", static_cast<int>(v.miniX));
        case kSettingMiniY:
            return WideFormat(out, capacity, L"%d", static_cast<int>(v.miniY));
        default:
            if (id >= kSettingPlayKey0 && id < kSettingPlayMods0)
                return WideFormat(out, capacity, L"%u", static_cast<unsigned>(v.playback[id - kSettingPlayKey0].key));
            if (id >= kSettingPlayMods0 && id < kSettingSignedIn)
                return WideFormat(out, capacity, L"%u", static_cast<unsigned>(v.playback[id - kSettingPlayMods0].mods));
            return WideFormat(out, capacity, L"");
    }
}

void writeRecordingName(const wchar_t* name) {
    WriteSettingText(kValueRecordingName, name);
}

void writeRecordShortcut(Shortcut shortcut) {
    WriteSettingNumber(kValueHotkeyKey, shortcut.key);
    WriteSettingNumber(kValueHotkeyMods, shortcut.mods);
}

void writePlaybackSlot(int slot, Shortcut shortcut) {
    if (slot < 0 || slot >= kPlaybackSlotCount) return;
    WriteSettingNumber(kPlaybackSlots[slot].keyValueName, shortcut.key);
    WriteSettingNumber(kPlaybackSlots[slot].modsValueName, shortcut.mods);
}

void writeMiniPosition(int32_t x, int32_t y) {
    WriteSettingNumber(kValueMiniX, static_cast<uint32_t>(x));
    WriteSettingNumber(kValueMiniY, static_cast<uint32_t>(y));
}

void writeSignedIn(bool signedIn) {
    WriteSettingNumber(kValueSignedIn, signedIn ? 1 : 0);
}
