// The shortcut value, the record/stop shortcut, the playback slots and the mark shortcut, with their defaults and the
// registry value names every reader and writer looks up by slot.
#pragma once

#include <stdint.h>

// A virtual-key code (1 to 255) and modifier bits in the platform's hot-key encoding, so a shortcut is handed to the
// system unchanged.
struct Shortcut {
    uint32_t key;
    uint32_t mods;
};

const uint32_t kModAlt = 1;
const uint32_t kModCtrl = 2;
const uint32_t kModShift = 4;
const uint32_t kModWin = 8;

const uint32_t kKeyTab = 0x09;
const uint32_t kKeyEnter = 0x0D;
const uint32_t kKeyShift = 0x10;
const uint32_t kKeyCtrl = 0x11;
const uint32_t kKeyAlt = 0x12;
const uint32_t kKeyCapsLock = 0x14;
const uint32_t kKeyEsc = 0x1B;
const uint32_t kKeySpace = 0x20;
const uint32_t kKeyHome = 0x24;
const uint32_t kKeyLeft = 0x25;
const uint32_t kKeyRight = 0x27;
const uint32_t kKeyDelete = 0x2E;
const uint32_t kKeyR = 0x52;
const uint32_t kKeyLeftWin = 0x5B;
const uint32_t kKeyRightWin = 0x5C;
const uint32_t kKeyF1 = 0x70;
const uint32_t kKeyF4 = 0x73;
const uint32_t kKeyF11 = 0x7A;
const uint32_t kKeyF12 = 0x7B;
const uint32_t kKeyNumLock = 0x90;
const uint32_t kKeyScrollLock = 0x91;

constexpr Shortcut kDefaultRecordShortcut = {kKeyR, kModCtrl | kModShift};

const int kPlaybackSlotCount = 8;
// The slots whose action is not a transport command.
const int kSlotSlower = 4;
const int kSlotFaster = 5;
const int kSlotNormalSpeed = 6;
const int kSlotTypeTime = 7;

// Key 0 is no shortcut: nothing is registered for it.
constexpr Shortcut kNoShortcut = {0, 0};
inline bool shortcutIsSet(Shortcut s) {
    return s.key != 0;
}

struct PlaybackSlot {
    const wchar_t* label;  // title of the slot's settings row
    Shortcut defaultShortcut;
    const wchar_t* keyValueName;
    const wchar_t* modsValueName;
};

extern const PlaybackSlot kPlaybackSlots[kPlaybackSlotCount];

// The shortcuts in force; owned by the UI thread.
extern Shortcut RecordShortcut;
extern Shortcut PlaybackShortcuts[kPlaybackSlotCount];
// "Add a mark" while recording; none until the user chooses one.
extern Shortcut MarkShortcut;

// Back to the defaults (tests start clean; the settings replace them when the main window is created).
void shortcutsReset();

inline bool shortcutsEqual(Shortcut a, Shortcut b) {
    return a.key == b.key && a.mods == b.mods;
}
