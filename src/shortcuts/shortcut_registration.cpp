// Registration of the global shortcuts and the refreshing of the texts that show them.
#include "shortcuts/shortcut_registration.h"

#include "app/control_ids.h"
#include "app/controller.h"
#include "app/wide_text.h"
#include "recorder/recorder.h"
#include "shortcuts/shortcut.h"
#include "shortcuts/shortcut_text.h"

bool HotkeyRegistered = false;
bool CapturingRecordShortcut = false;
int32_t CapturePlaySlot = -1;

namespace {

const HotkeyApi* hotkeys;
const wchar_t kCaptureHint[] = L"Press a key; Esc cancels";

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
    SetTextIfChanged(kIdRecordShortcutText, CapturingRecordShortcut ? kCaptureHint : text);
    SetTextIfChanged(kIdRecordShortcutChange, CapturingRecordShortcut ? L"Cancel" : L"Change");
    wchar_t version[256];
    WideFormat(version, 256, L"Version %ls  |  %ls works from any window.", L"2.0", text);
    SetTextIfChanged(kIdVersion, version);
}

void RefreshPlaybackShortcutRows() {
    for (int slot = 0; slot < kPlaybackSlotCount; ++slot) {
        wchar_t text[128];
        ShortcutToText(PlaybackShortcuts[slot].mods, PlaybackShortcuts[slot].key, text, 128);
        SetTextIfChanged(kIdSlotText + slot, CapturePlaySlot == slot ? kCaptureHint : text);
        SetTextIfChanged(kIdSlotChange + slot, CapturePlaySlot == slot ? L"Cancel" : L"Change");
    }
}

void CancelRecordCapture() {
    if (!CapturingRecordShortcut) return;
    CapturingRecordShortcut = false;
    RefreshRecordShortcutDisplay();
}

void CancelPlaybackCapture() {
    if (CapturePlaySlot < 0) return;
    CapturePlaySlot = -1;
    RefreshPlaybackShortcutRows();
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
