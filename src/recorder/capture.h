// The capture seam: what the recorder needs from a waveform-input device. The Windows implementation is waveIn with
// buffer-done notices posted to the main window; the scripted one (tests, the command-line harness) is fed by hand.
#pragma once

#include <stdint.h>

// One capture buffer's header, laid out exactly like the platform's WAVEHDR so the Windows adapter hands these to the
// device as they are.
struct CaptureHeader {
    char* data;
    uint32_t bufferLength;   // bytes
    uint32_t bytesRecorded;  // set by the device when it hands the buffer back
    uintptr_t user;          // the recorder's processed marker: 0 = not yet processed, 1 = processed
    uint32_t flags;          // kCaptureDone and the device's own bits
    uint32_t loops;
    CaptureHeader* next;
    uintptr_t reserved;
};

const uint32_t kCaptureDone = 0x1;
const uint32_t kCapturePrepared = 0x2;
const uint32_t kCaptureInQueue = 0x10;

typedef void* CaptureDevice;

struct CaptureApi {
    // Opens the default device for mono 16-bit PCM at sampleRate; each finished buffer is announced to notifyTarget
    // (the main window on Windows) and reaches onCaptureBufferDone on the UI thread. 0 and *device, or negative.
    int (*open)(CaptureDevice* device, int sampleRate, void* notifyTarget);
    int (*prepare)(CaptureDevice device, CaptureHeader* header);
    int (*unprepare)(CaptureDevice device, CaptureHeader* header);
    int (*addBuffer)(CaptureDevice device, CaptureHeader* header);
    int (*start)(CaptureDevice device);
    // Stops capture; the buffer being filled comes back as done with what it holds.
    int (*stop)(CaptureDevice device);
    // Stops capture and hands every queued buffer back as done.
    int (*reset)(CaptureDevice device);
    int (*close)(CaptureDevice device);
};
