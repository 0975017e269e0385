// The shortcut state and the playback slot table.
#include "shortcuts/shortcut.h"

namespace {

// Written once here so the state below is initialised at compile time, before any other file's start-up code runs.
constexpr Shortcut kPlayPauseDefault = {kKeySpace, kModCtrl};
constexpr Shortcut kRewindDefault = {kKeyLeft, kModCtrl};
constexpr Shortcut kToStartDefault = {kKeyHome, kModCtrl};
constexpr Shortcut kForwardDefault = {kKeyRight, kModCtrl};

}  // namespace

const PlaybackSlot kPlaybackSlots[kPlaybackSlotCount] = {
    {L"Play / pause", kPlayPauseDefault, L"PlayKey0", L"PlayMods0"},
    {L"Rewind", kRewindDefault, L"PlayKey1", L"PlayMods1"},
    {L"Go to the start (00:00:00)", kToStartDefault, L"PlayKey2", L"PlayMods2"},
    {L"Forward 5 seconds", kForwardDefault, L"PlayKey3", L"PlayMods3"},
    // No defaults: every obvious combination already means something in common editors or types a character on
    // European keyboards.
    {L"Slower", kNoShortcut, L"PlayKey4", L"PlayMods4"},
    {L"Faster", kNoShortcut, L"PlayKey5", L"PlayMods5"},
    {L"Normal speed", kNoShortcut, L"PlayKey6", L"PlayMods6"},
    {L"Type the time", kNoShortcut, L"PlayKey7", L"PlayMods7"},
};

Shortcut RecordShortcut = kDefaultRecordShortcut;
Shortcut PlaybackShortcuts[kPlaybackSlotCount] = {kPlayPauseDefault, kRewindDefault, kToStartDefault, kForwardDefault,
                                                  kNoShortcut,       kNoShortcut,    kNoShortcut,     kNoShortcut};
Shortcut MarkShortcut = kNoShortcut;

void shortcutsReset() {
    RecordShortcut = kDefaultRecordShortcut;
    for (int i = 0; i < kPlaybackSlotCount; ++i) PlaybackShortcuts[i] = kPlaybackSlots[i].defaultShortcut;
    MarkShortcut = kNoShortcut;
}
