// libFuzzer target over the player's decoder chain from bytes: the choice of decoder, the WAV reader and the MP3 path.
// Besides crashes and sanitizer reports it checks two properties: a decoded track is well-formed, and the two-thread
// MP3 decode (forced on with a low frame threshold) gives exactly the one-thread result.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "player/mp3_decoder.h"
#include "player/track_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0x7FFFFFFF) return 0;
    const int32_t n = static_cast<int32_t>(size);
    PcmTrack track = {nullptr, 0, 0};
    TrackDecoder used = TrackDecoder::None;
    if (decodeTrackBytes(data, n, &track, &kPlatformThreads, &used) == Outcome::kOk) {
        if (!track.samples || track.sampleCount <= kMinTrackSamples || track.sampleRate <= 0) abort();
        // Every sample is read, so a short allocation shows.
        int64_t sum = 0;
        for (int32_t i = 0; i < track.sampleCount; ++i) sum += track.samples[i];
        if (sum == INT64_MIN) abort();
        pcmTrackFree(&track);
    }
    PcmTrack one = {nullptr, 0, 0}, two = {nullptr, 0, 0};
    int a = decodeMp3Sequential(data, n, &one);
    int b = decodeMp3(data, n, &two, &kPlatformThreads, 4, 2);
    if (a != b) abort();
    if (a == 0) {
        if (one.sampleCount != two.sampleCount || one.sampleRate != two.sampleRate ||
            memcmp(one.samples, two.samples, static_cast<size_t>(one.sampleCount) * sizeof(int16_t)) != 0) {
            abort();
        }
    }
    pcmTrackFree(&one);
    pcmTrackFree(&two);
    return 0;
}
