// MPEG audio frame headers (Layer III of MPEG-1, MPEG-2 and MPEG-2.5) and the whole-frame cursor.
#include "recorder/mp3_frames.h"

#include <string.h>

namespace {

// kbps by bit-rate index; index 0 (free format) and 15 are not frames this program can write or measure.
const int kMpeg1Kbps[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
const int kMpeg2Kbps[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
const int kMpeg1Rates[3] = {44100, 48000, 32000};

}  // namespace

int mp3FrameLength(const unsigned char header[4], int32_t* sampleRate, int32_t* samplesPerFrame) {
    if (header[0] != 0xFF || (header[1] & 0xE0) != 0xE0) return 0;
    int version = (header[1] >> 3) & 3;  // 3 = MPEG-1, 2 = MPEG-2, 0 = MPEG-2.5, 1 reserved
    int layer = (header[1] >> 1) & 3;    // 1 = Layer III
    int bitrateIndex = header[2] >> 4;
    int rateIndex = (header[2] >> 2) & 3;
    int padding = (header[2] >> 1) & 1;
    if (version == 1 || layer != 1 || rateIndex == 3) return 0;
    bool mpeg1 = version == 3;
    int kbps = mpeg1 ? kMpeg1Kbps[bitrateIndex] : kMpeg2Kbps[bitrateIndex];
    if (kbps == 0) return 0;
    int rate = kMpeg1Rates[rateIndex];
    if (!mpeg1) rate /= version == 2 ? 2 : 4;
    if (sampleRate) *sampleRate = rate;
    if (samplesPerFrame) *samplesPerFrame = mpeg1 ? 1152 : 576;
    return (mpeg1 ? 144000 : 72000) * kbps / rate + padding;
}

void mp3CursorReset(Mp3FrameCursor* cursor) {
    memset(cursor, 0, sizeof *cursor);
}

void mp3CursorFeed(Mp3FrameCursor* cursor, const unsigned char* bytes, size_t count) {
    size_t i = 0;
    while (i < count && !cursor->broken) {
        if (cursor->fed < cursor->frameEnd) {
            uint64_t left = cursor->frameEnd - cursor->fed;
            size_t take = left < count - i ? static_cast<size_t>(left) : count - i;
            i += take;
            cursor->fed += take;
            if (cursor->fed == cursor->frameEnd) {
                cursor->frames += 1;
                cursor->wholeEnd = cursor->frameEnd;
            }
            continue;
        }
        cursor->header[cursor->headerBytes++] = bytes[i++];
        cursor->fed += 1;
        if (cursor->headerBytes < 4) continue;
        cursor->headerBytes = 0;
        int32_t rate = 0, perFrame = 0;
        int length = mp3FrameLength(cursor->header, &rate, &perFrame);
        if (length < 4) {
            cursor->broken = true;
            break;
        }
        if (cursor->sampleRate == 0) {
            cursor->sampleRate = rate;
            cursor->samplesPerFrame = perFrame;
        }
        cursor->frameEnd = cursor->fed - 4 + static_cast<uint64_t>(length);
        if (cursor->fed == cursor->frameEnd) {
            cursor->frames += 1;
            cursor->wholeEnd = cursor->frameEnd;
        }
    }
}

double mp3CursorSeconds(const Mp3FrameCursor& cursor) {
    if (cursor.sampleRate <= 0) return 0.0;
    return static_cast<double>(cursor.frames) * cursor.samplesPerFrame / cursor.sampleRate;
}
