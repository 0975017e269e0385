// What the player offers people who transcribe: rewind on resume, the speed keys, typing the position into another
// program, and reopening a file where it was left. The rules are plain functions; the window's side of each is here
// too, built on the controls seam and the typing seam.
#pragma once

#include <stdint.h>

#include "base/file_api.h"
#include "settings/position_store.h"

// Types into whichever program has the keyboard focus.
struct TypingApi {
    // True while any of the modifier keys in mods (Alt 1, Ctrl 2, Shift 4, Win 8) is down on the live keyboard.
    bool (*modifiersDown)(uint32_t mods);
    // Types text as characters; the number of characters the system took.
    int (*typeText)(const wchar_t* text);
};

void transcriptionInstall(const TypingApi* typing, const FileApi* files);

// Where a resumed pause starts: `seconds` before the position, never before 0.
double resumeRewindTarget(double position, int seconds);

enum class SpeedStep { Slower, Faster, Normal };
// The speed slider's position after a speed key: steps of 5 %, so 10 % is two steps; 10 (50 %) to 60 (300 %), 20 is
// normal.
int speedSliderAfter(int position, SpeedStep step);

// "[hh:mm:ss] " of the whole seconds of the position.
void timestampText(double seconds, wchar_t* out, int capacity);
const int kTimestampCapacity = 24;
// How long a typed time waits for the shortcut's modifiers to be released before it is dropped, and how often it
// looks.
const uint32_t kTypingPatienceMs = 3000;
const int kTypingPollMs = 20;

// The window's side.
void onSpeedKey(SpeedStep step);
// Types the position for the "Type the time" key once its modifiers are up.
void onTypeTimeKey(uint32_t mods);
void onTypingTimer();
// The size and modification time of a file; false when its attributes cannot be read.
bool fileStampOf(const wchar_t* path, FileStamp* stamp);
