// Reads a mono 16-bit PCM WAV for the harness's input.
#pragma once

#include <stdint.h>

#include <vector>

struct WavInput {
    int sampleRate;
    int channels;
    int bitsPerSample;
    int formatTag;
    std::vector<int16_t> samples;
};

// 0 on success; -1 cannot open, -2 not a RIFF/WAVE file, -3 no fmt or data chunk.
int readWavInput(const wchar_t* path, WavInput* out);
