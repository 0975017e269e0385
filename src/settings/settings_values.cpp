// The settings' defaults, checks and tables, and the reading of them at start.
#include "settings/settings_values.h"

#include "base/file_api.h"
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

int readZoomRow(bool* usedDefault) {
    uint32_t stored = 0;
    if (readStoredNumber(kValueZoom, &stored)) {
        for (int row = 0; row < kZoomRowCount; ++row) {
            if (stored == static_cast<uint32_t>(kZoomRows[row].percent)) {
                Report(usedDefault, false);
                return row;
            }
        }
    }
    Report(usedDefault, true);
    return kDefaultZoomRow;
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
    uint32_t stored = 0;
    if (readStoredNumber(kValueRewindSeconds, &stored)) {
        for (int row = 0; row < kRewindRowCount; ++row) {
            if (stored == static_cast<uint32_t>(kRewindRows[row].seconds)) {
                Report(usedDefault, false);
                return row;
            }
        }
    }
    Report(usedDefault, true);
    return kDefaultRewindRow;
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
    WideFormat(out, capacity, L"%ls" NOTAFON_PATH_SEPARATOR L"Parlowen Recordings", base);
}

void readStartupSettings(const KnownFolders* folders, StartupSettings* out) {
    readRecordingName(out->recordingName, kRecordingNameCapacity, nullptr);
    out->playVolume = readPlayVolume(nullptr);
    out->playSpeed = readPlaySpeed(nullptr);
    out->rewindRow = readRewindRow(nullptr);
    for (int slot = 0; slot < kPlaybackSlotCount; ++slot)
        out->playback[slot] = readPlaybackSlot(slot, nullptr, nullptr);
    out->formatRow = readFormatRow(nullptr);
    out->zoomRow = readZoomRow(nullptr);
    out->recordShortcut = readRecordShortcut(nullptr, nullptr);
    out->onTop = readFlag(kValueOnTop, nullptr);
    out->replace = readFlag(kValueReplace, nullptr);
    out->skipSilence = readFlag(kValueSkipSilence, nullptr);
    out->folder[0] = 0;
    readFolder(folders, out->folder, kPathCapacity, nullptr);
}
