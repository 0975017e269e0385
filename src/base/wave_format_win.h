// What the recorder's and the player's device adapters share: the one wave format they open the devices with (mono
// signed 16-bit PCM), and the check that the seams' buffer header really is the platform's WAVEHDR.
#pragma once

#include <windows.h>

#include <mmsystem.h>

#include <cstddef>

#include "base/wave_header.h"

static_assert(sizeof(WaveHeader) == sizeof(WAVEHDR), "WaveHeader must match WAVEHDR");
static_assert(offsetof(WaveHeader, data) == offsetof(WAVEHDR, lpData), "layout");
static_assert(offsetof(WaveHeader, bufferLength) == offsetof(WAVEHDR, dwBufferLength), "layout");
static_assert(offsetof(WaveHeader, bytesRecorded) == offsetof(WAVEHDR, dwBytesRecorded), "layout");
static_assert(offsetof(WaveHeader, user) == offsetof(WAVEHDR, dwUser), "layout");
static_assert(offsetof(WaveHeader, flags) == offsetof(WAVEHDR, dwFlags), "layout");
static_assert(offsetof(WaveHeader, next) == offsetof(WAVEHDR, lpNext), "layout");
static_assert(kWaveDone == WHDR_DONE && kWavePrepared == WHDR_PREPARED && kWaveInQueue == WHDR_INQUEUE, "flag bits");

inline WAVEFORMATEX MonoPcm16Format(int sampleRate) {
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = static_cast<DWORD>(sampleRate);
    format.nAvgBytesPerSec = static_cast<DWORD>(sampleRate) * 2;
    format.nBlockAlign = 2;
    format.wBitsPerSample = 16;
    format.cbSize = 0;
    return format;
}
