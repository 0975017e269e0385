// Which key combinations each kind of shortcut may use, and the keys no shortcut may use as its key.
#pragma once

#include <stdint.h>

// Shift, Ctrl and Alt (generic, left and right) and both Win keys: the eleven codes a capture ignores.
bool IsModifierKey(uint32_t key);

// The record/stop rule: single keys are allowed (the caller confirms them first).
bool IsValidRecordShortcut(uint32_t key, uint32_t mods);

// The capture rule for playback slot `slot`; `mods` arrives without the Win bit. Refuses a pair that equals the
// record shortcut or another slot's shortcut.
bool IsAcceptablePlaybackShortcut(int slot, uint32_t key, uint32_t mods);

// The capture rule for the mark shortcut: the record/stop rule, and not the record shortcut itself (both are
// registered while recording; the second registration would fail).
bool IsAcceptableMarkShortcut(uint32_t key, uint32_t mods);

// A stored mark shortcut: the record/stop rule; anything else reads as none.
bool IsLoadableMarkShortcut(uint32_t key, uint32_t mods);

// The rule for stored playback values read at start: no comparison with other shortcuts.
bool IsLoadablePlaybackShortcut(uint32_t key, uint32_t mods);
