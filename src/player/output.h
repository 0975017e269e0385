// The output seam: what the playback engine needs from a waveform-output device. Buffers are queued in order, the
// device marks each done when it has played it and then signals the event given at open; pause keeps the queue,
// restart resumes it, reset hands every queued buffer back done and sets the position to 0. The Windows
// implementation is waveOut with CALLBACK_EVENT; the fake (tests, the command-line harness) plays when told to.
#pragma once

#include <stdint.h>

#include "base/outcome.h"
#include "base/wave_header.h"
#include "player/threads.h"

// One output buffer's header.
typedef WaveHeader OutputHeader;

const uint32_t kOutputDone = kWaveDone;
const uint32_t kOutputPrepared = kWavePrepared;
const uint32_t kOutputInQueue = kWaveInQueue;

typedef void* OutputDevice;

struct OutputApi {
    // Opens the default device for mono 16-bit PCM at sampleRate; completions signal `done`. kOk and *device;
    // kNoDevice when there is no output device; kUnsupportedFormat when it will not play that rate; kOutOfMemory;
    // kDeviceFailed when a device is there and refuses. Every other call gives kOk or kDeviceFailed.
    Outcome (*open)(OutputDevice* device, int32_t sampleRate, ThreadEvent done);
    Outcome (*prepare)(OutputDevice device, OutputHeader* header);
    Outcome (*unprepare)(OutputDevice device, OutputHeader* header);
    Outcome (*write)(OutputDevice device, OutputHeader* header);
    Outcome (*pause)(OutputDevice device);
    Outcome (*restart)(OutputDevice device);
    Outcome (*reset)(OutputDevice device);
    // Samples played since open or the last reset, as the device counts them: the Windows device's count is 32 bits
    // wide and wraps. kOk and *samples, or kDeviceFailed when the device cannot say in samples.
    Outcome (*position)(OutputDevice device, int64_t* samples);
    Outcome (*close)(OutputDevice device);
};
