// When and what the settings write. Each write goes straight to the store; a failed one is dropped silently.
#include "settings/settings_save.h"

#include "recorder/recording_names.h"
#include "settings/settings_store.h"
#include "settings/settings_values.h"
#include "shortcuts/shortcut.h"

namespace {

const SettingsHost* host;

void WriteRecordingName() {
    wchar_t name[kRecordingNameCapacity];
    name[0] = 0;
    host->fileNameText(name, kRecordingNameCapacity);
    WriteSettingText(kValueRecordingName, name);
}

}  // namespace

void settingsHostInstall(const SettingsHost* h) {
    host = h;
}

void SaveAllSettings() {
    if (!host) return;
    WriteRecordingName();
    // No selection (-1) is stored as 0xFFFFFFFF and reads back as the default row.
    WriteSettingNumber(kValueFormat, static_cast<uint32_t>(host->formatSelection()));
    WriteSettingNumber(kValueOnTop, host->onTopChecked() ? 1 : 0);
    WriteSettingNumber(kValueReplace, host->replaceChecked() ? 1 : 0);
    WriteSettingNumber(kValueSkipSilence, host->skipSilenceChecked() ? 1 : 0);
    WriteSettingNumber(kValueZoom, static_cast<uint32_t>(host->zoomPercent()));
    saveRecordShortcut();
    wchar_t folder[kPathCapacity];
    folder[0] = 0;
    host->folder(folder, kPathCapacity);
    WriteSettingText(kValueFolder, folder);
    int32_t position = 0;
    if (host->volumePosition(&position)) WriteSettingNumber(kValuePlayVolume, static_cast<uint32_t>(position));
    if (host->speedPosition(&position)) WriteSettingNumber(kValuePlaySpeed, static_cast<uint32_t>(position));
    WriteSettingNumber(kValueRewindSeconds, static_cast<uint32_t>(host->rewindSeconds()));
}

void SaveRecordingName() {
    if (host) WriteRecordingName();
}

void SaveMiniPosition() {
    if (!host || !host->miniMode()) return;
    int32_t left = 0, top = 0;
    if (!host->windowTopLeft(&left, &top)) return;
    WriteSettingNumber(kValueMiniX, static_cast<uint32_t>(left));
    WriteSettingNumber(kValueMiniY, static_cast<uint32_t>(top));
}

void saveRecordShortcut() {
    WriteSettingNumber(kValueHotkeyKey, RecordShortcut.key);
    WriteSettingNumber(kValueHotkeyMods, RecordShortcut.mods);
}

void savePlaybackShortcut(int slot) {
    if (slot < 0 || slot >= kPlaybackSlotCount) return;
    WriteSettingNumber(kPlaybackSlots[slot].keyValueName, PlaybackShortcuts[slot].key);
    WriteSettingNumber(kPlaybackSlots[slot].modsValueName, PlaybackShortcuts[slot].mods);
}

void saveSignedIn(bool signedIn) {
    WriteSettingNumber(kValueSignedIn, signedIn ? 1 : 0);
}
