// MP3 decoding into a mono track: frames after an ID3v2 tag, all at the rate of the first frame that has samples,
// channels averaged. Long files are decoded on two threads with a result identical to the one-thread decode.
#pragma once

#include <stdint.h>

#include "player/pcm_track.h"
#include "player/threads.h"

// Frames below which a file is decoded on one thread: about 45 s at 44100 Hz, where a second thread saves little.
const int32_t kMp3SplitMinFrames = 1700;
// Frames the second thread decodes and discards before its half, so its decoder state (bit reservoir, filter
// history) is the one the first thread arrives with.
const int32_t kMp3WarmUpFrames = 10;

// The bytes to skip for an ID3v2 tag at the start, 0 when there is none or it would cover the whole input.
int32_t id3v2SkipBytes(const unsigned char* bytes, int64_t n);

// One decoded frame of `frames` samples per channel mixed to mono: channels averaged, truncated toward zero.
void mp3MixToMono(const int16_t* pcm, int frames, int channels, int16_t* out);

// One thread, in file order. 0 and a filled track, or -1 (not MP3, too short, out of memory).
int decodeMp3Sequential(const unsigned char* bytes, int32_t n, PcmTrack* track);

// The same result as decodeMp3Sequential, on two threads when the input has at least splitMinFrames frames and
// threads is given; one thread otherwise. The second thread warms up on warmUpFrames frames (kMp3WarmUpFrames).
int decodeMp3(const unsigned char* bytes, int32_t n, PcmTrack* track, const ThreadApi* threads, int32_t splitMinFrames,
              int32_t warmUpFrames = kMp3WarmUpFrames);

struct Mp3Decoder {
    // How the last decodeMp3 call went, for tests and the benchmark: true when the two halves were joined; false when
    // it ran on one thread or the second half's decoder state did not match and the first thread decoded on.
    bool lastDecodeSplit;
};
extern Mp3Decoder mp3Decoder;
