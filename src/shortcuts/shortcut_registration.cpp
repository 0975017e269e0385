// Registration of the global shortcuts and the capture of new ones.
#include "shortcuts/shortcut_registration.h"

#include "shortcuts/key_state.h"
#include "shortcuts/shortcut_rules.h"

bool HotkeyRegistered = false;
bool CapturingRecordShortcut = false;
int32_t CapturePlaySlot = -1;
bool CapturingMarkShortcut = false;
bool MarkHotkeyRegistered = false;

namespace {

const HotkeyApi* hotkeys;
const ShortcutHostApi* host;

void Report(ShortcutEvent event) {
    host->report(event);
}

// The outcome of registering the playback shortcuts after a slot changed.
void ReportPlaybackRegistration() {
    Report(RegisterPlaybackShortcuts() ? ShortcutEvent::PlaybackRegistered : ShortcutEvent::PlaybackUnavailable);
}

}  // namespace

void shortcutRegistrationInstall(const HotkeyApi* api, const ShortcutHostApi* h) {
    hotkeys = api;
    host = h;
}

void shortcutRegistrationReset() {
    HotkeyRegistered = false;
    CapturingRecordShortcut = false;
    CapturePlaySlot = -1;
    CapturingMarkShortcut = false;
    MarkHotkeyRegistered = false;
}

bool shortcutCaptureRunning() {
    return CapturingRecordShortcut || CapturePlaySlot >= 0 || CapturingMarkShortcut;
}

bool RegisterRecordShortcut(uint32_t mods, uint32_t key) {
    return hotkeys->registerHotkey(kHotkeyRecord, mods | kModNoRepeat, key);
}

bool RegisterCurrentRecordShortcut() {
    HotkeyRegistered = RegisterRecordShortcut(RecordShortcut.mods, RecordShortcut.key);
    return HotkeyRegistered;
}

void UnregisterRecordShortcut() {
    if (hotkeys->windowExists()) hotkeys->unregisterHotkey(kHotkeyRecord);
    HotkeyRegistered = false;
}

void UnregisterPlaybackShortcuts() {
    if (!hotkeys->windowExists()) return;
    for (int slot = 0; slot < kPlaybackSlotCount; ++slot) hotkeys->unregisterHotkey(kHotkeyFirstPlayback + slot);
}

bool RegisterPlaybackShortcuts() {
    if (!hotkeys->windowExists()) return false;
    if (shortcutCaptureRunning()) return false;
    if (!host->playerLoaded()) return true;
    if (host->playbackSuspended()) return true;
    UnregisterPlaybackShortcuts();
    bool all = true;
    for (int slot = 0; slot < kPlaybackSlotCount; ++slot) {
        Shortcut s = PlaybackShortcuts[slot];
        if (!shortcutIsSet(s)) continue;
        // The record shortcut wins: its hot key is registered first and a second registration would fail anyway.
        if (shortcutsEqual(s, RecordShortcut)) {
            all = false;
            continue;
        }
        if (!hotkeys->registerHotkey(kHotkeyFirstPlayback + slot, s.mods | kModNoRepeat, s.key)) all = false;
    }
    return all;
}

void ReregisterRecordShortcut() {
    if (HotkeyRegistered) hotkeys->unregisterHotkey(kHotkeyRecord);
    RegisterCurrentRecordShortcut();
    RegisterPlaybackShortcuts();
    Report(ShortcutEvent::RecordShortcutShown);
    Report(ShortcutEvent::IdleStatus);
}

void BeginRecordCapture() {
    if (CapturePlaySlot >= 0) CancelPlaybackCapture();
    CancelMarkCapture();
    if (CapturingRecordShortcut) {
        CancelRecordCapture();
        return;
    }
    // Unregistered while capturing, so pressing the current shortcut reaches the window as a key.
    if (HotkeyRegistered) hotkeys->unregisterHotkey(kHotkeyRecord);
    UnregisterPlaybackShortcuts();
    HotkeyRegistered = false;
    CapturingRecordShortcut = true;
    Report(ShortcutEvent::RecordShortcutShown);
    Report(ShortcutEvent::RecordCaptureStarted);
    host->focusCaptureWindow();
}

void CancelRecordCapture() {
    if (!CapturingRecordShortcut) return;
    CapturingRecordShortcut = false;
    ReregisterRecordShortcut();
    Report(ShortcutEvent::CaptureCancelled);
}

void BeginPlaybackCapture(int slot) {
    if (slot < 0 || slot >= kPlaybackSlotCount) return;
    if (CapturingRecordShortcut) CancelRecordCapture();
    CancelMarkCapture();
    if (CapturePlaySlot == slot) {
        CancelPlaybackCapture();
        return;
    }
    UnregisterPlaybackShortcuts();
    CapturePlaySlot = slot;
    Report(ShortcutEvent::PlaybackRowsShown);
    Report(ShortcutEvent::PlaybackCaptureStarted);
    host->focusCaptureWindow();
}

void CancelPlaybackCapture() {
    if (CapturePlaySlot < 0) return;
    CapturePlaySlot = -1;
    Report(ShortcutEvent::PlaybackRowsShown);
    Report(RegisterPlaybackShortcuts() ? ShortcutEvent::IdleStatus : ShortcutEvent::PlaybackUnavailable);
}

namespace {

// A key of the mark capture: like the record/stop capture, it ends with the first key that is not a modifier.
void HandleMarkCaptureKey(uint32_t key) {
    if (key == kKeyEsc) {
        CancelMarkCapture();
        return;
    }
    if (IsModifierKey(key)) return;
    uint32_t mods = CurrentModifiers();
    CapturingMarkShortcut = false;
    if (!IsValidRecordShortcut(key, mods)) {
        SyncMarkShortcut();
        Report(ShortcutEvent::MarkRowShown);
        Report(ShortcutEvent::Reserved);
        return;
    }
    if (!IsAcceptableMarkShortcut(key, mods)) {
        SyncMarkShortcut();
        Report(ShortcutEvent::MarkRowShown);
        Report(ShortcutEvent::MarkTaken);
        return;
    }
    if (mods == 0 && !host->confirmSingleKey(key)) {
        SyncMarkShortcut();
        Report(ShortcutEvent::MarkRowShown);
        Report(ShortcutEvent::Unchanged);
        return;
    }
    MarkShortcut = Shortcut{key, mods};
    host->saveMarkShortcut(MarkShortcut);
    SyncMarkShortcut();
    Report(ShortcutEvent::MarkRowShown);
    Report(ShortcutEvent::MarkSet);
}

}  // namespace

bool HandleCaptureKey(uint32_t key) {
    if (CapturingMarkShortcut) {
        HandleMarkCaptureKey(key);
        return true;
    }
    if (CapturePlaySlot < 0) {
        if (!CapturingRecordShortcut) return false;
        if (key == kKeyEsc) {
            CancelRecordCapture();
            return true;
        }
        if (IsModifierKey(key)) return true;
        uint32_t mods = CurrentModifiers();
        CapturingRecordShortcut = false;
        if (IsValidRecordShortcut(key, mods)) {
            ApplyRecordShortcut(key, mods);
        } else {
            ReregisterRecordShortcut();
            Report(ShortcutEvent::Reserved);
        }
        return true;
    }
    int slot = CapturePlaySlot;
    if (key == kKeyEsc) {
        CancelPlaybackCapture();
        return true;
    }
    if (IsModifierKey(key)) return true;
    // The Win key is left out: the system keeps most Win combinations for itself.
    uint32_t mods = CurrentModifiers() & ~kModWin;
    if (!IsAcceptablePlaybackShortcut(slot, key, mods)) {
        Report(ShortcutEvent::PlaybackRefused);
        return true;
    }
    PlaybackShortcuts[slot] = Shortcut{key, mods};
    host->savePlaybackSlot(slot, PlaybackShortcuts[slot]);
    CapturePlaySlot = -1;
    Report(ShortcutEvent::PlaybackRowsShown);
    ReportPlaybackRegistration();
    return true;
}

void ApplyRecordShortcut(uint32_t key, uint32_t mods) {
    bool wasRegistered = HotkeyRegistered;
    if (!IsValidRecordShortcut(key, mods)) {
        if (!wasRegistered) ReregisterRecordShortcut();
        Report(ShortcutEvent::Reserved);
        Report(ShortcutEvent::RecordShortcutShown);
        return;
    }
    Shortcut previous = RecordShortcut;
    if (mods == 0 && !host->confirmSingleKey(key)) {
        ReregisterRecordShortcut();
        Report(ShortcutEvent::Unchanged);
        return;
    }
    if (wasRegistered) hotkeys->unregisterHotkey(kHotkeyRecord);
    UnregisterPlaybackShortcuts();
    HotkeyRegistered = false;
    if (RegisterRecordShortcut(mods, key)) {
        RecordShortcut = Shortcut{key, mods};
        HotkeyRegistered = true;
        host->saveRecordShortcut(RecordShortcut);
        RegisterPlaybackShortcuts();
        Report(ShortcutEvent::RecordShortcutShown);
        Report(ShortcutEvent::IdleStatus);
        return;
    }
    HotkeyRegistered = RegisterRecordShortcut(previous.mods, previous.key);
    RegisterPlaybackShortcuts();
    Report(ShortcutEvent::RecordShortcutShown);
    Report(HotkeyRegistered ? ShortcutEvent::PreviousKept : ShortcutEvent::NoneAvailable);
}

void ResetRecordShortcut() {
    if (CapturingRecordShortcut) CancelRecordCapture();
    ApplyRecordShortcut(kDefaultRecordShortcut.key, kDefaultRecordShortcut.mods);
}

void ResetPlaybackSlot(int slot) {
    if (slot < 0 || slot >= kPlaybackSlotCount) return;
    if (CapturePlaySlot >= 0) CancelPlaybackCapture();
    Shortcut def = kPlaybackSlots[slot].defaultShortcut;
    for (int other = 0; other < kPlaybackSlotCount; ++other) {
        if (other != slot && shortcutIsSet(def) && shortcutsEqual(PlaybackShortcuts[other], def)) {
            Report(ShortcutEvent::DefaultInUse);
            return;
        }
    }
    PlaybackShortcuts[slot] = def;
    host->savePlaybackSlot(slot, def);
    Report(ShortcutEvent::PlaybackRowsShown);
    ReportPlaybackRegistration();
}

void HandleHotkey(int id) {
    if (shortcutCaptureRunning()) return;
    if (host->playbackSuspended()) return;
    if (id == kHotkeyRecord) {
        host->hotkeyAction(id);
        return;
    }
    if (id == kHotkeyMark) {
        if (host->recorderRecording()) host->hotkeyAction(id);
        return;
    }
    if (id < kHotkeyFirstPlayback || id >= kHotkeyFirstPlayback + kPlaybackSlotCount) return;
    if (!host->recorderIdle() || !host->playerLoaded()) return;
    host->hotkeyAction(id);
}

void SyncMarkShortcut() {
    if (!hotkeys->windowExists()) return;
    // The record shortcut wins, as for the playback slots: a stored pair equal to it is never registered.
    bool wanted = host->recorderRecording() && shortcutIsSet(MarkShortcut) && !shortcutCaptureRunning() &&
                  !shortcutsEqual(MarkShortcut, RecordShortcut);
    if (wanted == MarkHotkeyRegistered) return;
    if (!wanted) {
        hotkeys->unregisterHotkey(kHotkeyMark);
        MarkHotkeyRegistered = false;
        return;
    }
    MarkHotkeyRegistered = hotkeys->registerHotkey(kHotkeyMark, MarkShortcut.mods | kModNoRepeat, MarkShortcut.key);
    if (!MarkHotkeyRegistered) Report(ShortcutEvent::MarkUnavailable);
}

void BeginMarkCapture() {
    if (CapturingRecordShortcut) CancelRecordCapture();
    if (CapturePlaySlot >= 0) CancelPlaybackCapture();
    if (CapturingMarkShortcut) {
        CancelMarkCapture();
        return;
    }
    // Unregistered while capturing, so pressing the current shortcut reaches the window as a key.
    CapturingMarkShortcut = true;
    if (MarkHotkeyRegistered) {
        hotkeys->unregisterHotkey(kHotkeyMark);
        MarkHotkeyRegistered = false;
    }
    Report(ShortcutEvent::MarkRowShown);
    Report(ShortcutEvent::MarkCaptureStarted);
    host->focusCaptureWindow();
}

void CancelMarkCapture() {
    if (!CapturingMarkShortcut) return;
    CapturingMarkShortcut = false;
    SyncMarkShortcut();
    Report(ShortcutEvent::MarkRowShown);
    Report(ShortcutEvent::CaptureCancelled);
}

void ResetMarkShortcut() {
    CancelMarkCapture();
    MarkShortcut = kNoShortcut;
    host->saveMarkShortcut(MarkShortcut);
    SyncMarkShortcut();
    Report(ShortcutEvent::MarkRowShown);
}
