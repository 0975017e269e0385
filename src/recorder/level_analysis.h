// Level analysis of capture buffers: peak, loudness bookkeeping, the soft limiter and silence skipping, plus the
// live too-loud warning, the meter's decay and the verdicts read at stop.
#pragma once

#include <stdint.h>

struct LevelState {
    int32_t level;               // raw peak of the latest buffer, decayed by the recording timer
    int32_t peakSinceStart;      // largest raw buffer peak since the start
    int32_t bufferCount;         // buffers analysed, dropped ones included
    int32_t clippedBufferCount;  // buffers whose raw peak exceeded the clip threshold
    int32_t loudWarningTicks;    // remaining timer ticks of the live too-loud warning
    bool loudWarningShown;       // the status line carries the too-loud text
    float limiterGain;           // carried from buffer to buffer
    int32_t silentMs;            // milliseconds of consecutive quiet buffers
    int32_t noSoundMs;           // milliseconds of consecutive buffers at or below the silent verdict's level
    bool noSoundShown;           // the detail line carries the no-sound warning
};

const int32_t kClipThreshold = 31999;
const int32_t kLoudWarningTicks = 14;
const float kLimiterCeiling = 27000.0f;
const float kLimiterAttack = 0.35f;
const float kLimiterRelease = 0.0004f;
const int32_t kQuietThreshold = 449;
const int32_t kSilenceAllowanceMs = 1500;
const int32_t kSilentRecordingThreshold = 59;
// Recorded time at or below the silent verdict's level after which the user is told, while there is still time.
const int32_t kNoSoundWarningMs = 3000;

// Everything to 0, the limiter's gain to 1.
void levelReset(LevelState* state);

// Largest magnitude of the raw samples, 0..32768.
int32_t bufferPeak(const int16_t* samples, int count);

// Analyses one buffer and limits it in place. Returns false when the buffer is to be dropped as silence.
bool analyseBuffer(LevelState* state, int16_t* samples, int count, int sampleRate, bool skipSilence);

// The soft limiter alone: rewrites samples in place starting from *gain and leaves the final gain there.
void limitSamples(float* gain, int16_t* samples, int count);

enum LoudWarningEdge { kLoudWarningUnchanged = 0, kLoudWarningStarts = 1, kLoudWarningEnds = 2 };

// One 70 ms tick of the live warning; says whether the status line must change.
LoudWarningEdge loudWarningStep(LevelState* state);

enum NoSoundEdge { kNoSoundUnchanged = 0, kNoSoundStarts = 1, kNoSoundEnds = 2 };

// One 70 ms tick of the no-sound warning; says whether the detail line must change.
NoSoundEdge noSoundStep(LevelState* state);

// One 70 ms tick of the meter's fall-off.
void decayLevel(LevelState* state);

bool isSilentRecording(const LevelState* state);
bool isTooLoudRecording(const LevelState* state);

// What the meter shows while recording: 0..1, and whether a voice is present (strong colour).
float meterFraction(int32_t level);
bool meterVoicePresent(int32_t level);
