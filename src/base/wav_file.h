// The 44-byte RIFF header of a mono 16-bit PCM file, and a whole file written from samples: the recorder's header,
// the command-line harness's output and the tests' inputs all come from here.
#pragma once

#include <stdint.h>

#include "base/file_api.h"

const int kWavHeaderBytes = 44;
// The most PCM a WAV's 32-bit size fields can describe (RIFF size = data + 36), kept to whole samples.
const uint64_t kWavDataLimitBytes = (0xFFFFFFFFull - 36) & ~1ull;

// The header for the given data byte count.
void buildWavHeader(unsigned char out[kWavHeaderBytes], int32_t sampleRate, uint32_t dataBytes);
// Seek to 0, write the header in one write, seek to the end. The first failure of the three, or kOk; the end is
// sought even after a failure, so that later writes still append.
Outcome writeWavHeader(const FileApi* files, FileHandle file, int32_t sampleRate, uint32_t dataBytes);
// A whole mono 16-bit file (create-always). kOk; kTooLarge when it is too long for WAV; else what creating or writing
// it reported.
Outcome writeMonoWavFile(const FileApi* files, const wchar_t* path, const int16_t* samples, int64_t count,
                         int32_t sampleRate);
