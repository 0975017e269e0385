// Registration of the global shortcuts as hot keys of the main window, the capture of a new shortcut, and the
// dispatch of a pressed one. This is a state machine: it decides what is registered and what a key press during a
// capture means, and reports each outcome through its host; the texts and controls that show them belong to the
// application.
#pragma once

#include <stdint.h>

#include "shortcuts/shortcut.h"

// The platform's hot keys on the main window.
struct HotkeyApi {
    bool (*windowExists)();
    // The system's registration of hot key id on the main window; true when it accepts it.
    bool (*registerHotkey)(int id, uint32_t mods, uint32_t key);
    void (*unregisterHotkey)(int id);
};

// What registration and capture tell the application, in the order they happen.
enum class ShortcutEvent {
    RecordShortcutShown,     // the record shortcut, its capture state or its registration changed
    PlaybackRowsShown,       // a playback slot or its capture state changed
    IdleStatus,              // the ready status, when idle
    PlaybackRegistered,      // a slot changed and every playback shortcut is registered
    PlaybackUnavailable,     // some playback shortcut could not be registered
    RecordCaptureStarted,    // waiting for the new record/stop shortcut
    PlaybackCaptureStarted,  // waiting for a slot's new shortcut
    CaptureCancelled,        // the record capture ended without a change
    Reserved,                // the pressed record shortcut is one the system keeps for itself
    PlaybackRefused,         // the pressed slot shortcut is not acceptable
    Unchanged,               // the user declined a single-key record shortcut
    PreviousKept,            // the system refused the new record shortcut; the previous one is back
    NoneAvailable,           // neither the new nor the previous record shortcut could be registered
    DefaultInUse,            // a slot's default is held by another slot
    MarkRowShown,            // the mark shortcut or its capture state changed
    MarkCaptureStarted,      // waiting for the new mark shortcut
    MarkSet,                 // a new mark shortcut was taken (registered at once while recording)
    MarkTaken,               // the pressed mark shortcut is the record/stop shortcut
    MarkUnavailable,         // the system refused the mark shortcut while recording
};

// What registration asks of the application.
struct ShortcutHostApi {
    bool (*recorderIdle)();
    // A take is being recorded and not paused: the only time the mark shortcut is registered.
    bool (*recorderRecording)();
    bool (*playerLoaded)();
    // True while the web panel covers the whole window: the playback keys are left to the page.
    bool (*playbackSuspended)();
    // Asks whether a record shortcut without modifiers may be used; true for yes.
    bool (*confirmSingleKey)(uint32_t key);
    // The keys of a capture arrive at the main window.
    void (*focusCaptureWindow)();
    void (*saveRecordShortcut)(Shortcut shortcut);
    void (*savePlaybackSlot)(int slot, Shortcut shortcut);
    void (*saveMarkShortcut)(Shortcut shortcut);
    void (*report)(ShortcutEvent event);
    // A hot key that passed the dispatch rules: 1 record/stop, 2..9 the playback slots, 10 the mark.
    void (*hotkeyAction)(int id);
};

const int kHotkeyRecord = 1;
const int kHotkeyFirstPlayback = 2;  // slot n is n + 2
const int kHotkeyMark = kHotkeyFirstPlayback + kPlaybackSlotCount;
const uint32_t kModNoRepeat = 0x4000;

extern bool HotkeyRegistered;
extern bool CapturingRecordShortcut;
extern int32_t CapturePlaySlot;
extern bool CapturingMarkShortcut;
extern bool MarkHotkeyRegistered;

void shortcutRegistrationInstall(const HotkeyApi* hotkeys, const ShortcutHostApi* host);
void shortcutRegistrationReset();

bool shortcutCaptureRunning();
bool RegisterRecordShortcut(uint32_t mods, uint32_t key);
// Registers RecordShortcut and keeps in HotkeyRegistered whether the system took it; true when it did.
bool RegisterCurrentRecordShortcut();
void UnregisterRecordShortcut();
void UnregisterPlaybackShortcuts();
bool RegisterPlaybackShortcuts();
void ReregisterRecordShortcut();
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
// Registers the mark shortcut while recording and releases it otherwise; called whenever the recorder's state may
// have changed.
void SyncMarkShortcut();
void BeginMarkCapture();
void CancelMarkCapture();
// Back to none: nothing is registered for it.
void ResetMarkShortcut();
