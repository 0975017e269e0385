// The built-in WAV reader. It walks the RIFF chunks up to the first "data" chunk, takes the last usable "fmt " chunk
// before it, and averages the channels of every frame on the 16-bit scale. Sizes that streaming writers leave at 0 or
// 0xFFFFFFFF, and truncated files, are read as far as their bytes go.
#include "player/wav_reader.h"

#include <stdlib.h>
#include <string.h>

#include "base/little_endian.h"

namespace {

const uint16_t kTagPcm = 1;
const uint16_t kTagFloat = 3;
const uint16_t kTagExtensible = 0xFFFE;
// The highest rate this reader takes: as high as audio files in use go. The time stretcher's work per buffer grows
// with the rate and is done under the player's lock, so at a rate far above this any speed but 100 % would hold the
// lock, and the window, for seconds. A higher rate is left to the general decoder, which converts it or refuses the
// file. Every accepted rate also fits the engine's int32 rates.
const uint32_t kMaxSampleRate = 384000;

struct WavFormat {
    uint16_t tag;
    uint16_t channels;  // 0 until a "fmt " chunk is read
    uint32_t sampleRate;
    uint16_t bits;
};

// One channel's sample on the 16-bit scale.
double SampleValue(const unsigned char* p, const WavFormat& f) {
    switch (f.bits) {
        case 8:
            return (static_cast<int>(p[0]) - 128) * 256.0;
        case 16:
            return static_cast<int16_t>(readLe16(p));
        case 24: {
            // The three bytes go to bits 8..31 so the sign lands in bit 31, then the top 16 bits are kept.
            uint32_t u = (static_cast<uint32_t>(p[0]) << 8) | (static_cast<uint32_t>(p[1]) << 16) |
                         (static_cast<uint32_t>(p[2]) << 24);
            return static_cast<int32_t>(u) >> 16;
        }
        default:
            if (f.tag == kTagFloat) {
                uint32_t u = readLe32(p);
                float v;
                memcpy(&v, &u, sizeof v);
                return v * 32767.0;
            }
            return static_cast<int32_t>(readLe32(p)) >> 16;
    }
}

int16_t ToSample(double v) {
    if (v > 32767.0) return 32767;
    if (v < -32768.0) return -32768;
    // A NaN from a float file compares false with both limits; converting it to an integer is undefined, so it is
    // played as silence.
    if (v != v) return 0;
    return static_cast<int16_t>(v);
}

bool Accepted(const WavFormat& f) {
    if (f.channels < 1 || f.channels > 8) return false;
    if (f.sampleRate < 8000 || f.sampleRate > kMaxSampleRate) return false;
    if (f.tag == kTagPcm) return f.bits == 8 || f.bits == 16 || f.bits == 24 || f.bits == 32;
    if (f.tag == kTagFloat) return f.bits == 32;
    return false;
}

}  // namespace

int readWavTrack(const unsigned char* bytes, int32_t n, PcmTrack* track) {
    if (n < 44 || memcmp(bytes, "RIFF", 4) != 0 || memcmp(bytes + 8, "WAVE", 4) != 0) return -1;
    const uint32_t total = static_cast<uint32_t>(n);
    WavFormat format = {0, 0, 0, 0};
    uint32_t offset = 12;
    uint32_t dataStart = 0;
    uint32_t dataSize = 0;
    for (;;) {
        if (total - offset < 8) return -1;
        const unsigned char* chunk = bytes + offset;
        uint32_t size = readLe32(chunk + 4);
        if (memcmp(chunk, "fmt ", 4) == 0 && total - offset >= 24) {
            format.tag = readLe16(chunk + 8);
            format.channels = readLe16(chunk + 10);
            format.sampleRate = readLe32(chunk + 12);
            format.bits = readLe16(chunk + 22);
            if (format.tag == kTagExtensible && size >= 26 && total - offset >= 34) format.tag = readLe16(chunk + 32);
        } else if (memcmp(chunk, "data", 4) == 0) {
            dataStart = offset + 8;
            dataSize = size;
            break;
        }
        // 64-bit so a huge size cannot wrap the offset back into the file.
        uint64_t next = static_cast<uint64_t>(offset) + 8 + size + (size & 1);
        if (next > total) return -1;
        offset = static_cast<uint32_t>(next);
    }
    if (!Accepted(format)) return -1;

    uint32_t available = total - dataStart;
    uint32_t length = dataSize;
    if (length == 0 || length == 0xFFFFFFFFu || length > available) length = available;
    const uint32_t bytesPerSample = format.bits / 8u;
    const uint32_t frames = length / bytesPerSample / format.channels;
    if (frames <= static_cast<uint32_t>(kMinTrackSamples)) return -1;

    int16_t* out = static_cast<int16_t*>(malloc((static_cast<size_t>(frames) + 1) * sizeof(int16_t)));
    if (!out) return -1;
    const unsigned char* p = bytes + dataStart;
    for (uint32_t i = 0; i < frames; ++i) {
        double sum = 0.0;
        for (uint32_t c = 0; c < format.channels; ++c) {
            sum += SampleValue(p, format);
            p += bytesPerSample;
        }
        out[i] = ToSample(sum / format.channels);
    }
    track->samples = out;
    track->sampleCount = static_cast<int32_t>(frames);
    track->sampleRate = static_cast<int32_t>(format.sampleRate);
    return 0;
}
