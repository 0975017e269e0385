// The validity rules for record/stop and playback shortcuts. They keep system combinations (Alt+F4, Ctrl+Esc,
// Ctrl+Alt+Delete, ...) and keys that toggle keyboard state away from the global shortcuts.
#include "shortcuts/shortcut_rules.h"

#include "shortcuts/shortcut.h"

namespace {

bool InKeyRange(uint32_t key) {
    return key >= 1 && key <= 255;
}

}  // namespace

bool IsModifierKey(uint32_t key) {
    switch (key) {
        case kKeyShift:
        case kKeyCtrl:
        case kKeyAlt:
        case 0xA0:  // left and right Shift, Ctrl, Alt
        case 0xA1:
        case 0xA2:
        case 0xA3:
        case 0xA4:
        case 0xA5:
        case kKeyLeftWin:
        case kKeyRightWin:
            return true;
        default:
            return false;
    }
}

bool IsValidRecordShortcut(uint32_t key, uint32_t mods) {
    const uint32_t allMods = kModAlt | kModCtrl | kModShift | kModWin;
    if (!InKeyRange(key) || (mods & ~allMods) != 0) return false;
    if (key == kKeyNumLock || key == kKeyScrollLock || key == kKeyCapsLock || key == kKeyF12) return false;
    if ((mods & kModWin) != 0 || IsModifierKey(key)) return false;
    if (key == kKeyTab && mods != 0) return false;
    if ((mods & kModAlt) != 0 && (key == kKeyF4 || key == kKeyTab || key == kKeyEsc || key == kKeySpace)) return false;
    if ((mods & kModCtrl) != 0 && (key == kKeyTab || key == kKeyEsc || key == kKeyF4)) return false;
    if ((mods & kModCtrl) != 0 && (mods & kModAlt) != 0 && key == kKeyDelete) return false;
    return true;
}

bool IsAcceptablePlaybackShortcut(int slot, uint32_t key, uint32_t mods) {
    // Bits outside Alt, Ctrl and Shift are refused as well: a pair holding them could be stored but would not pass
    // IsLoadablePlaybackShortcut at the next start, so the slot would silently fall back to its default.
    if (!InKeyRange(key) || (mods & ~(kModAlt | kModCtrl | kModShift)) != 0) return false;
    if (key == kKeyTab || key == kKeyEnter) return false;
    if (mods == 0 && !(key >= kKeyF1 && key <= kKeyF11)) return false;
    if ((mods & kModAlt) != 0 && (key == kKeyF4 || key == kKeySpace)) return false;
    const Shortcut pair = {key, mods};
    if (shortcutsEqual(pair, RecordShortcut)) return false;
    for (int other = 0; other < kPlaybackSlotCount; ++other) {
        if (other != slot && shortcutsEqual(pair, PlaybackShortcuts[other])) return false;
    }
    return true;
}

bool IsLoadablePlaybackShortcut(uint32_t key, uint32_t mods) {
    return InKeyRange(key) && !IsModifierKey(key) && (mods & ~(kModAlt | kModCtrl | kModShift)) == 0;
}

bool IsAcceptableMarkShortcut(uint32_t key, uint32_t mods) {
    return IsValidRecordShortcut(key, mods) && !shortcutsEqual(Shortcut{key, mods}, RecordShortcut);
}

bool IsLoadableMarkShortcut(uint32_t key, uint32_t mods) {
    return IsValidRecordShortcut(key, mods);
}
