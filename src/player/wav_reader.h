// The built-in WAV reader: RIFF/WAVE files with integer PCM of 8 to 32 bits or 32-bit float, 1 to 8 channels, mixed
// down to one mono 16-bit track.
#pragma once

#include <stdint.h>

#include "player/pcm_track.h"

struct WavFormat {
    uint16_t tag;
    uint16_t channels;  // 0 until a "fmt " chunk is read
    uint32_t sampleRate;
    uint16_t bits;
};

// Where a WAV file's samples are: the format, the first byte of the "data" chunk and the whole frames that are there.
struct WavData {
    WavFormat format;
    uint64_t dataStart;
    uint64_t frames;
};

// Copies up to `want` bytes at offset into buffer; returns how many it copied (fewer only at the end or on failure).
typedef uint32_t (*WavPeek)(void* context, uint64_t offset, unsigned char* buffer, uint32_t want);

// Walks the chunks of a file of `total` bytes through peek: 0 and *found when it is a WAV this reader accepts with
// more than kMinTrackSamples frames, else -1.
int wavLocateData(WavPeek peek, void* context, uint64_t total, WavData* found);
// One channel's sample on the 16-bit scale.
double wavSampleValue(const unsigned char* p, const WavFormat& f);
// Clamped to 16 bits and truncated toward zero; NaN is silence.
int16_t wavToSample(double v);
bool wavFormatAccepted(const WavFormat& f);
// Mixes `frames` frames at p down to mono 16-bit samples.
void wavMixFrames(const unsigned char* p, const WavFormat& f, int32_t frames, int16_t* out);

// The whole file in memory. 0 and a filled track; -1 when the bytes are not a WAV this reader accepts (the caller tries
// the next decoder).
int readWavTrack(const unsigned char* bytes, int32_t n, PcmTrack* track);
