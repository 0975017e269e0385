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

}  // namespace

double wavSampleValue(const unsigned char* p, const WavFormat& f) {
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

int16_t wavToSample(double v) {
    if (v > 32767.0) return 32767;
    if (v < -32768.0) return -32768;
    // A NaN from a float file compares false with both limits; converting it to an integer is undefined, so it is
    // played as silence.
    if (v != v) return 0;
    return static_cast<int16_t>(v);
}

bool wavFormatAccepted(const WavFormat& f) {
    if (f.channels < 1 || f.channels > 8) return false;
    if (f.sampleRate < 8000 || f.sampleRate > kMaxSampleRate) return false;
    if (f.tag == kTagPcm) return f.bits == 8 || f.bits == 16 || f.bits == 24 || f.bits == 32;
    if (f.tag == kTagFloat) return f.bits == 32;
    return false;
}

int wavLocateData(WavPeek peek, void* context, uint64_t total, WavData* found) {
    unsigned char head[34];
    if (total < 44 || peek(context, 0, head, 12) < 12) return -1;
    if (memcmp(head, "RIFF", 4) != 0 || memcmp(head + 8, "WAVE", 4) != 0) return -1;
    WavFormat format = {0, 0, 0, 0};
    uint64_t offset = 12;
    uint64_t dataStart = 0;
    uint32_t dataSize = 0;
    for (;;) {
        if (total - offset < 8) return -1;
        const uint64_t left = total - offset;
        const uint32_t want = left < sizeof head ? static_cast<uint32_t>(left) : static_cast<uint32_t>(sizeof head);
        if (peek(context, offset, head, want) < want) return -1;
        uint32_t size = readLe32(head + 4);
        if (memcmp(head, "fmt ", 4) == 0 && left >= 24) {
            format.tag = readLe16(head + 8);
            format.channels = readLe16(head + 10);
            format.sampleRate = readLe32(head + 12);
            format.bits = readLe16(head + 22);
            if (format.tag == kTagExtensible && size >= 26 && left >= 34) format.tag = readLe16(head + 32);
        } else if (memcmp(head, "data", 4) == 0) {
            dataStart = offset + 8;
            dataSize = size;
            break;
        }
        uint64_t next = offset + 8 + size + (size & 1);
        if (next > total) return -1;
        offset = next;
    }
    if (!wavFormatAccepted(format)) return -1;

    // A size of 0 or 0xFFFFFFFF is what a writer that never came back to the header leaves; a size past the end is a
    // cut file. Either way the bytes that are there are played. Past 4 GiB only such a size can reach.
    const uint64_t available = total - dataStart;
    uint64_t length = dataSize;
    if (length == 0 || length == 0xFFFFFFFFu || length > available) length = available;
    const uint64_t frames = length / (format.bits / 8u) / format.channels;
    if (frames <= static_cast<uint64_t>(kMinTrackSamples)) return -1;
    found->format = format;
    found->dataStart = dataStart;
    found->frames = frames;
    return 0;
}

void wavMixFrames(const unsigned char* p, const WavFormat& f, int32_t frames, int16_t* out) {
    const uint32_t bytesPerSample = f.bits / 8u;
    for (int32_t i = 0; i < frames; ++i) {
        double sum = 0.0;
        for (uint32_t c = 0; c < f.channels; ++c) {
            sum += wavSampleValue(p, f);
            p += bytesPerSample;
        }
        out[i] = wavToSample(sum / f.channels);
    }
}

namespace {

struct MemoryBytes {
    const unsigned char* bytes;
    uint64_t n;
};

uint32_t PeekMemory(void* context, uint64_t offset, unsigned char* buffer, uint32_t want) {
    const MemoryBytes* m = static_cast<const MemoryBytes*>(context);
    if (offset >= m->n) return 0;
    uint64_t got = m->n - offset < want ? m->n - offset : want;
    memcpy(buffer, m->bytes + offset, static_cast<size_t>(got));
    return static_cast<uint32_t>(got);
}

}  // namespace

int readWavTrack(const unsigned char* bytes, int32_t n, PcmTrack* track) {
    if (n < 44) return -1;
    MemoryBytes memory = {bytes, static_cast<uint64_t>(n)};
    WavData data;
    if (wavLocateData(PeekMemory, &memory, memory.n, &data) != 0) return -1;
    const int32_t frames = static_cast<int32_t>(data.frames);
    int16_t* out = static_cast<int16_t*>(malloc((static_cast<size_t>(frames) + 1) * sizeof(int16_t)));
    if (!out) return -1;
    wavMixFrames(bytes + data.dataStart, data.format, frames, out);
    track->samples = out;
    track->sampleCount = frames;
    track->sampleRate = static_cast<int32_t>(data.format.sampleRate);
    return 0;
}
