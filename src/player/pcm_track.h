// The player's decoded file: the whole file as one track of mono 16-bit samples at one rate.
#pragma once

#include <stdint.h>

struct PcmTrack {
    int16_t* samples;  // heap (malloc), none when empty
    int32_t sampleCount;
    int32_t sampleRate;
};

// A loaded track always has more than this many samples.
const int32_t kMinTrackSamples = 99;

// Frees the samples and empties the track; safe on an empty track.
void pcmTrackFree(PcmTrack* track);
