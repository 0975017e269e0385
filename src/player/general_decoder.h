// The seam for the platform's general media decoder, tried when neither the WAV reader nor the MP3 path takes a file.
// On Windows it is the Media Foundation source reader; the native build has none and always fails.
#pragma once

#include <stdint.h>

#include "player/pcm_track.h"

// The one layout the general decoder gives: mono 16-bit at this rate.
const int32_t kGeneralDecoderRate = 44100;

// A file open for reading as it plays.
struct GeneralStream;

struct GeneralDecoderApi {
    // Decodes the file at path whole; 0 and a filled track, or -1.
    int (*decode)(const wchar_t* path, PcmTrack* track);
    // Opens the file for reading as it plays. 0, *stream and *sampleCount (from the duration
    // the file states) when it decodes; 1 when it decodes but states no duration (it is then decoded whole); -1 when
    // it does not decode.
    int (*open)(const wchar_t* path, GeneralStream** stream, int64_t* sampleCount);
    // Moves the stream so that the next read starts near track sample `sample`, at or before it where the platform
    // can; 0 or -1.
    int (*seek)(GeneralStream* stream, int64_t sample);
    // The next stretch of decoded samples: 0, *samples (the stream's, good until its next call), *count (at least 1)
    // and *first, the track position of samples[0] as its timestamp says; 1 at the end of the stream; -1 on failure.
    int (*read)(GeneralStream* stream, const int16_t** samples, int32_t* count, int64_t* first);
    // Lets go of what the calling thread made for reading (seek and read make it again when next called); the thread
    // that reads calls it before it ends.
    void (*detach)(GeneralStream* stream);
    // Safe on null.
    void (*close)(GeneralStream* stream);
    // A thread that is to read streams calls threadBegin first, and threadEnd as its last call when threadBegin gave
    // 0.
    int (*threadBegin)();
    void (*threadEnd)();
};

extern const GeneralDecoderApi kNoGeneralDecoder;
