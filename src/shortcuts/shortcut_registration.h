// Registration of the five global shortcuts as hot keys of the main window, the capture of a new shortcut, the texts
// that show them, and the dispatch of a pressed one.
#pragma once

#include <stdint.h>

struct HotkeyApi {
    bool (*windowExists)();
    // The system's registration of hot key id on the main window; true when it accepts it.
    bool (*registerHotkey)(int id, uint32_t mods, uint32_t key);
    void (*unregisterHotkey)(int id);
};

const int kHotkeyRecord = 1;
const int kHotkeyFirstPlayback = 2;  // slot n is n + 2
const uint32_t kModNoRepeat = 0x4000;

extern bool HotkeyRegistered;
extern bool CapturingRecordShortcut;
extern int32_t CapturePlaySlot;

void hotkeysInstall(const HotkeyApi* api);
void shortcutRegistrationReset();

bool shortcutCaptureRunning();
bool RegisterRecordShortcut(uint32_t mods, uint32_t key);
void UnregisterRecordShortcut();
void UnregisterPlaybackShortcuts();
bool RegisterPlaybackShortcuts();
void ReregisterRecordShortcut();
void RefreshRecordShortcutDisplay();
void RefreshPlaybackShortcutRows();
void BeginRecordCapture();
void CancelRecordCapture();
void BeginPlaybackCapture(int slot);
void CancelPlaybackCapture();
// A key-down of the main window while a capture may be running; false when the key is not the capture's.
bool HandleCaptureKey(uint32_t key);
void ApplyRecordShortcut(uint32_t key, uint32_t mods);
void ResetRecordShortcut();
void ResetPlaybackSlot(int slot);
void HandleHotkey(int id);
