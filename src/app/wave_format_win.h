// The one wave format the recorder and the player hand to the waveform-audio devices: mono signed 16-bit PCM.
#pragma once

#include <windows.h>

#include <mmsystem.h>

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
