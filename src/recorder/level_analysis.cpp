// Level analysis and the soft limiter. Runs on every processed capture buffer, in place and without allocation.
#include "recorder/level_analysis.h"

void levelReset(LevelState* state) {
    *state = LevelState{};
    state->limiterGain = 1.0f;
}

int32_t bufferPeak(const int16_t* samples, int count) {
    int32_t peak = 0;
    for (int i = 0; i < count; ++i) {
        int32_t v = samples[i];
        int32_t a = v < 0 ? -v : v;  // -32768 gives 32768 in 32-bit arithmetic
        if (a > peak) peak = a;
    }
    return peak;
}

void limitSamples(float* gain, int16_t* samples, int count) {
    float g = *gain;
    for (int i = 0; i < count; ++i) {
        int32_t v = samples[i];
        float a = static_cast<float>(v < 0 ? -v : v);
        float target = a > kLimiterCeiling ? kLimiterCeiling / a : 1.0f;
        if (g > target) {
            g = g + (target - g) * kLimiterAttack;
        } else {
            g = g + (1.0f - g) * kLimiterRelease;
        }
        float y = static_cast<float>(v) * g;
        if (y > 32767.0f) {
            samples[i] = 32767;
        } else if (y < -32768.0f) {
            samples[i] = -32768;
        } else {
            samples[i] = static_cast<int16_t>(y);  // truncates toward zero
        }
    }
    *gain = g;
}

bool analyseBuffer(LevelState* state, int16_t* samples, int count, int sampleRate, bool skipSilence) {
    int32_t peak = bufferPeak(samples, count);
    state->level = peak;
    if (peak > state->peakSinceStart) state->peakSinceStart = peak;
    state->bufferCount += 1;
    if (peak > kClipThreshold) {
        state->clippedBufferCount += 1;
        state->loudWarningTicks = kLoudWarningTicks;
    }
    // At full gain with nothing above the ceiling every step leaves the gain at exactly 1 and each sample as it is,
    // so the loop can be skipped without changing a bit; it is the common case before any loud passage.
    if (!(state->limiterGain == 1.0f && static_cast<float>(peak) <= kLimiterCeiling)) {
        limitSamples(&state->limiterGain, samples, count);
    }

    // Counted in recorded time, not wall time: a pause holds the count where it was, and a device that delivers
    // nothing at all is the recorder's own case (it ends the take).
    int32_t bufferMs = sampleRate > 0 ? static_cast<int32_t>(count * 1000.0 / sampleRate) : 0;
    if (peak <= kSilentRecordingThreshold) {
        // Capped: only whether it reached the warning's length matters, and a night of silence must not overflow.
        if (state->noSoundMs < kNoSoundWarningMs) state->noSoundMs += bufferMs;
    } else {
        state->noSoundMs = 0;
    }

    if (skipSilence && peak <= kQuietThreshold) {
        state->silentMs += static_cast<int32_t>(count * 1000.0 / sampleRate);
        if (state->silentMs > kSilenceAllowanceMs) {
            // Keeps growing with every dropped buffer; cap it so an all-night silence cannot overflow the count.
            state->silentMs = kSilenceAllowanceMs + 1;
            return false;
        }
    } else {
        state->silentMs = 0;
    }
    return true;
}

LoudWarningEdge loudWarningStep(LevelState* state) {
    int32_t w = state->loudWarningTicks;
    bool show = w > 0;
    if (w > 0) state->loudWarningTicks = w - 1;
    if (show == state->loudWarningShown) return kLoudWarningUnchanged;
    state->loudWarningShown = show;
    return show ? kLoudWarningStarts : kLoudWarningEnds;
}

NoSoundEdge noSoundStep(LevelState* state) {
    bool show = state->noSoundMs >= kNoSoundWarningMs;
    if (show == state->noSoundShown) return kNoSoundUnchanged;
    state->noSoundShown = show;
    return show ? kNoSoundStarts : kNoSoundEnds;
}

void decayLevel(LevelState* state) {
    state->level = state->level * 8 / 10;
}

bool isSilentRecording(const LevelState* state) {
    return state->peakSinceStart <= kSilentRecordingThreshold;
}

bool isTooLoudRecording(const LevelState* state) {
    return state->bufferCount > 0 &&
           static_cast<int64_t>(state->clippedBufferCount) * 100 > static_cast<int64_t>(state->bufferCount) * 3 &&
           state->clippedBufferCount >= 3;
}

float meterFraction(int32_t level) {
    float f = static_cast<float>(level) / 12000.0f;
    return f < 1.0f ? f : 1.0f;
}

bool meterVoicePresent(int32_t level) {
    return level > 1200;
}
