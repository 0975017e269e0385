// A capture device fed by hand, with the buffer semantics of the platform's waveform input: buffers fill in the order
// they were queued, a full buffer comes back as done and its notice waits until delivered, stop hands back the buffer
// being filled, reset hands back every queued buffer. Used by tests and the command-line harness.
#pragma once

#include <stdint.h>

#include "recorder/capture.h"

struct ScriptedCapture {
    bool open;
    bool running;
    int sampleRate;
    bool failOpen;       // the next open fails (no microphone)
    bool failReset;      // reset fails and hands nothing back
    bool failClose;      // close fails (the device stays open)
    bool stopKeepsHead;  // stop leaves the partly filled buffer queued; only the reset hands it back
    CaptureHeader* queue[8];
    int queued;
    CaptureHeader* notices[64];  // buffer-done notices not yet delivered
    int noticeCount;
    int64_t samplesDropped;  // fed while no buffer was queued or capture was stopped
    int opens, starts, stops, resets, closes;
    // The devices the system lists, in its order; a name may be longer than the system would give (cut on reading).
    const wchar_t* deviceNames[8];
    int deviceCount;
    // The index the last successful open was given (kDefaultCaptureDevice for the default).
    int openedIndex = kDefaultCaptureDevice;
    // Opening this listed device fails (it went away between the listing and the open); -2: none.
    int failOpenIndex = -2;
};

extern ScriptedCapture scriptedCapture;
extern const CaptureApi kScriptedCaptureApi;

void scriptedCaptureReset();
// Feeds samples as a microphone would; returns how many went into buffers.
int scriptedCaptureFeed(const int16_t* samples, int count);
// Samples the head buffer can still take, 0 when none is queued.
int scriptedCaptureRoom();
// Delivers every waiting notice to the recorder (onCaptureBufferDone); returns how many.
int scriptedCaptureDeliver();
