// The header of one waveform-audio buffer, shared by the capture and output seams. It is laid out exactly like the
// platform's WAVEHDR (checked where the Windows adapters include the platform's headers), so the adapters hand these
// to the devices as they are.
#pragma once

#include <stdint.h>

struct WaveHeader {
    char* data;
    uint32_t bufferLength;   // bytes
    uint32_t bytesRecorded;  // set by a capture device when it hands the buffer back
    uintptr_t user;          // the owner's own word
    uint32_t flags;          // kWaveDone and the device's own bits
    uint32_t loops;
    WaveHeader* next;
    uintptr_t reserved;
};

const uint32_t kWaveDone = 0x1;
const uint32_t kWavePrepared = 0x2;
const uint32_t kWaveInQueue = 0x10;
