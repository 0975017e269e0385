// The capture seam: what the recorder needs from a waveform-input device. The Windows implementation is waveIn with
// buffer-done notices posted to the main window; the scripted one (tests, the command-line harness) is fed by hand.
#pragma once

#include <stdint.h>

#include "base/outcome.h"
#include "base/wave_header.h"

// One capture buffer's header; the recorder keeps its processed marker (0 = not yet processed, 1 = processed) in
// `user`.
typedef WaveHeader CaptureHeader;

const uint32_t kCaptureDone = kWaveDone;
const uint32_t kCapturePrepared = kWavePrepared;
const uint32_t kCaptureInQueue = kWaveInQueue;

typedef void* CaptureDevice;

// The device index that stands for the system's default capture device.
const int kDefaultCaptureDevice = -1;
// A capture device's name as the system gives it, terminator included. The waveform-audio API hands out at most 31
// characters (its product-name field); that is also the name a device is chosen and saved by.
const int kCaptureNameCapacity = 32;

struct CaptureApi {
    // The capture devices present now, numbered 0..count-1 in the system's order; the numbering may change whenever
    // a device comes or goes, so a choice is kept by name and looked up again before each open.
    int (*deviceCount)();
    // Device index's name into out (cut to capacity); kOk, or kNoDevice when there is no such device now.
    Outcome (*deviceName)(int index, wchar_t* out, int capacity);
    // Opens device index (kDefaultCaptureDevice: the system's default) for mono 16-bit PCM at sampleRate; each
    // finished buffer is announced to notifyTarget (the main window on Windows) and reaches onCaptureBufferDone on the
    // UI thread. kOk and *device, or kNoDevice. Every other call gives kOk or kDeviceFailed.
    Outcome (*open)(CaptureDevice* device, int index, int sampleRate, void* notifyTarget);
    Outcome (*prepare)(CaptureDevice device, CaptureHeader* header);
    Outcome (*unprepare)(CaptureDevice device, CaptureHeader* header);
    Outcome (*addBuffer)(CaptureDevice device, CaptureHeader* header);
    Outcome (*start)(CaptureDevice device);
    // Stops capture; the buffer being filled comes back as done with what it holds.
    Outcome (*stop)(CaptureDevice device);
    // Stops capture and hands every queued buffer back as done.
    Outcome (*reset)(CaptureDevice device);
    Outcome (*close)(CaptureDevice device);
};
