// The seam for the platform's general media decoder, tried when neither the WAV reader nor the MP3 path takes a file.
// On Windows it is the Media Foundation source reader; the native build has none and always fails.
#pragma once

#include "player/pcm_track.h"

struct GeneralDecoderApi {
    // Decodes the file at path to mono 16-bit samples at 44100 Hz; 0 and a filled track, or -1.
    int (*decode)(const wchar_t* path, PcmTrack* track);
};

extern const GeneralDecoderApi kNoGeneralDecoder;
