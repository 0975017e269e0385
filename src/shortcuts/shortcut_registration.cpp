// Registration of the global shortcuts and the refreshing of the texts that show them.
#include "shortcuts/shortcut_registration.h"

#include "app/control_ids.h"
#include "app/controller.h"
#include "app/wide_text.h"
#include "notafon_version.h"
#include "recorder/recorder.h"
#include "settings/settings_save.h"
#include "shortcuts/key_state.h"
#include "shortcuts/shortcut.h"
#include "shortcuts/shortcut_rules.h"
#include "shortcuts/shortcut_text.h"

bool HotkeyRegistered = false;
bool CapturingRecordShortcut = false;
int32_t CapturePlaySlot = -1;

namespace {

const HotkeyApi* hotkeys;
const wchar_t kCaptureHint[] = L"Press a key; Esc cancels";
const wchar_t kPlaybackUnavailable[] =
    L"A playback shortcut is unavailable; another app may be using it. Choose a different key in Settings.";
const uint32_t kKeyEscape = 0x1B;

bool IsIdle() {
    return recorder.state == RecorderState::Idle;
}

void StatusWhenIdle(const wchar_t* text) {
    if (IsIdle()) SetStatus(text);
}

void RefreshShortcutBox() {
    controllerControls()->repaint(kIdShortcutBox, false);
}

// The outcome of registering the playback shortcuts after a slot changed.
void ReportPlaybackRegistration() {
    if (RegisterPlaybackShortcuts()) {
        StatusWhenIdle(L"Playback shortcut works from any window, even when minimized.");
    } else {
        SetStatus(kPlaybackUnavailable);
    }
}

}  // namespace

void hotkeysInstall(const HotkeyApi* api) {
    hotkeys = api;
}

void shortcutRegistrationReset() {
    HotkeyRegistered = false;
    CapturingRecordShortcut = false;
    CapturePlaySlot = -1;
}

bool shortcutCaptureRunning() {
    return CapturingRecordShortcut || CapturePlaySlot >= 0;
}

bool RegisterRecordShortcut(uint32_t mods, uint32_t key) {
    return hotkeys->registerHotkey(kHotkeyRecord, mods | kModNoRepeat, key);
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
    if (!PlayerLoaded) return true;
    if (panelOpen && recorderHidden) return true;
    UnregisterPlaybackShortcuts();
    bool all = true;
    for (int slot = 0; slot < kPlaybackSlotCount; ++slot) {
        Shortcut s = PlaybackShortcuts[slot];
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
    HotkeyRegistered = RegisterRecordShortcut(RecordShortcut.mods, RecordShortcut.key);
    RegisterPlaybackShortcuts();
    RefreshRecordShortcutDisplay();
    ShowIdleStatus();
}

void RefreshRecordShortcutDisplay() {
    wchar_t text[128];
    ShortcutToText(RecordShortcut.mods, RecordShortcut.key, text, 128);
    RefreshShortcutBox();
    SetTextIfChanged(kIdRecordShortcutText, CapturingRecordShortcut ? kCaptureHint : text);
    SetTextIfChanged(kIdRecordShortcutChange, CapturingRecordShortcut ? L"Cancel" : L"Change");
    controllerControls()->repaint(kIdRecordShortcutChange, true);
    controllerControls()->repaint(kIdRecordShortcutDefault, true);
    wchar_t version[256];
    WideFormat(version, 256, L"Version %ls  |  %ls works from any window.", NOTAFON_VERSION_SHORT_WIDE, text);
    SetTextIfChanged(kIdVersion, version);
}

void RefreshPlaybackShortcutRows() {
    RefreshShortcutBox();
    for (int slot = 0; slot < kPlaybackSlotCount; ++slot) {
        if (!controllerControls()->exists(kIdSlotText + slot)) continue;
        wchar_t text[128];
        ShortcutToText(PlaybackShortcuts[slot].mods, PlaybackShortcuts[slot].key, text, 128);
        SetTextIfChanged(kIdSlotText + slot, CapturePlaySlot == slot ? kCaptureHint : text);
        SetTextIfChanged(kIdSlotChange + slot, CapturePlaySlot == slot ? L"Cancel" : L"Change");
        controllerControls()->repaint(kIdSlotChange + slot, true);
        controllerControls()->repaint(kIdSlotDefault + slot, true);
    }
}

void BeginRecordCapture() {
    if (CapturePlaySlot >= 0) CancelPlaybackCapture();
    if (CapturingRecordShortcut) {
        CancelRecordCapture();
        return;
    }
    if (HotkeyRegistered) hotkeys->unregisterHotkey(kHotkeyRecord);
    UnregisterPlaybackShortcuts();
    HotkeyRegistered = false;
    CapturingRecordShortcut = true;
    RefreshRecordShortcutDisplay();
    SetStatus(L"Press your record/stop shortcut now. Press Esc to cancel.");
    controllerControls()->focusMainWindow();
}

void CancelRecordCapture() {
    if (!CapturingRecordShortcut) return;
    CapturingRecordShortcut = false;
    ReregisterRecordShortcut();
    StatusWhenIdle(L"Shortcut change cancelled.");
}

void BeginPlaybackCapture(int slot) {
    if (slot < 0 || slot >= kPlaybackSlotCount) return;
    if (CapturingRecordShortcut) CancelRecordCapture();
    if (CapturePlaySlot == slot) {
        CancelPlaybackCapture();
        return;
    }
    UnregisterPlaybackShortcuts();
    CapturePlaySlot = slot;
    RefreshPlaybackShortcutRows();
    SetStatus(L"Press the new shortcut now. Press Esc to cancel.");
    controllerControls()->focusMainWindow();
}

void CancelPlaybackCapture() {
    if (CapturePlaySlot < 0) return;
    CapturePlaySlot = -1;
    RefreshPlaybackShortcutRows();
    if (!RegisterPlaybackShortcuts()) {
        SetStatus(kPlaybackUnavailable);
    } else if (IsIdle()) {
        ShowIdleStatus();
    }
}

bool HandleCaptureKey(uint32_t key) {
    if (CapturePlaySlot < 0) {
        if (!CapturingRecordShortcut) return false;
        if (key == kKeyEscape) {
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
            StatusWhenIdle(L"Windows reserves that shortcut. Choose another.");
        }
        return true;
    }
    int slot = CapturePlaySlot;
    if (key == kKeyEscape) {
        CancelPlaybackCapture();
        return true;
    }
    if (IsModifierKey(key)) return true;
    uint32_t mods = CurrentModifiers() & ~kModWin;
    if (!IsAcceptablePlaybackShortcut(slot, key, mods)) {
        SetStatus(L"That shortcut is not available. Use Ctrl, Alt or Shift with a key.");
        return true;
    }
    PlaybackShortcuts[slot] = Shortcut{key, mods};
    savePlaybackShortcut(slot);
    CapturePlaySlot = -1;
    RefreshPlaybackShortcutRows();
    ReportPlaybackRegistration();
    return true;
}

void ApplyRecordShortcut(uint32_t key, uint32_t mods) {
    bool wasRegistered = HotkeyRegistered;
    if (!IsValidRecordShortcut(key, mods)) {
        if (!wasRegistered) ReregisterRecordShortcut();
        StatusWhenIdle(L"Windows reserves that shortcut. Choose another.");
        RefreshRecordShortcutDisplay();
        return;
    }
    Shortcut previous = RecordShortcut;
    if (mods == 0) {
        wchar_t name[128];
        ShortcutToText(0, key, name, 128);
        wchar_t question[320];
        WideFormat(question, 320,
                   L"%ls has no modifier key. While the recorder is open, Windows will capture it across apps. Tab may "
                   L"no longer move focus normally.\n\nUse this single-key shortcut?",
                   name);
        if (!controllerControls()->confirm(question, L"Confirm global shortcut")) {
            ReregisterRecordShortcut();
            StatusWhenIdle(L"Shortcut unchanged.");
            return;
        }
    }
    if (wasRegistered) hotkeys->unregisterHotkey(kHotkeyRecord);
    UnregisterPlaybackShortcuts();
    HotkeyRegistered = false;
    if (RegisterRecordShortcut(mods, key)) {
        RecordShortcut = Shortcut{key, mods};
        HotkeyRegistered = true;
        saveRecordShortcut();
        RegisterPlaybackShortcuts();
        RefreshRecordShortcutDisplay();
        ShowIdleStatus();
        return;
    }
    HotkeyRegistered = RegisterRecordShortcut(previous.mods, previous.key);
    RegisterPlaybackShortcuts();
    RefreshRecordShortcutDisplay();
    StatusWhenIdle(HotkeyRegistered ? L"Windows could not reserve that shortcut; the previous one remains."
                                    : L"Neither shortcut is available. Open Settings or use Record.");
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
        if (other != slot && shortcutsEqual(PlaybackShortcuts[other], def)) {
            SetStatus(L"That default is used by another shortcut. Change that one first.");
            return;
        }
    }
    PlaybackShortcuts[slot] = def;
    savePlaybackShortcut(slot);
    RefreshPlaybackShortcutRows();
    ReportPlaybackRegistration();
}

void HandleHotkey(int id) {
    if (shortcutCaptureRunning()) return;
    if (panelOpen && recorderHidden) return;
    if (id == kHotkeyRecord) {
        onHotkeyAction(id);
        return;
    }
    if (id < kHotkeyFirstPlayback || id >= kHotkeyFirstPlayback + kPlaybackSlotCount) return;
    if (recorder.state != RecorderState::Idle || !PlayerLoaded) return;
    onHotkeyAction(id);
}
