// A deterministic output device for tests and the command-line harness: nothing plays until fakeOutputPlay says how
// many samples the listener has heard; what was heard and what was written can be observed.
#pragma once

#include <stdint.h>

#include "player/output.h"

const int kFakeOutputQueue = 8;

struct FakeOutput {
    bool open;
    bool paused;
    bool failOpen;      // the next open fails (no output device)
    int failPrepareAt;  // the prepare call with this number (counted in `prepares`) fails; 0 never
    bool failWrite;     // writes are refused
    int failWriteAt;    // the write call with this number (counted in `writeCalls`) is refused; 0 never
    bool failRestart;   // restarts are refused
    bool failPosition;  // position calls fail
    bool failReset;     // reset fails and hands nothing back
    bool failClose;     // close fails (the device stays open)
    bool position32;    // the position wraps at 2^32 as the Windows device's count does
    int32_t sampleRate;
    ThreadEvent doneEvent;
    const ThreadApi* threads;  // signals doneEvent; none: completion only sets the flag
    // Taken around fakeOutputPlay when set: a test whose playback thread really runs plays under the player's lock.
    ThreadLock guard;
    OutputHeader* queue[kFakeOutputQueue];
    int queued;
    uint32_t headPlayedBytes;  // of queue[0]
    int64_t position;          // samples played since open or reset
    // Every sample written, in order, and every sample heard, in order (each up to the capacity the caller gave).
    int16_t* written;
    int64_t writtenCount, writtenCapacity;
    int16_t* heard;
    int64_t heardCount, heardCapacity;
    int opens, writes, pauses, restarts, resets, closes, prepares, unprepares;
    int writeCalls;  // every write asked for, taken or refused (`writes` counts the taken)
};

extern FakeOutput fakeOutput;
extern const OutputApi kFakeOutputApi;

// Back to the initial values; the recording arrays (if any) stay with the caller and are detached.
void fakeOutputReset();
// The listener hears up to `samples` more samples, if the device runs; finished buffers are marked done and the event
// is signalled for each. Returns the samples played.
int64_t fakeOutputPlay(int64_t samples);
