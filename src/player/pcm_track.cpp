// The decoded track's one piece of clean-up.
#include "player/pcm_track.h"

#include <stdlib.h>

void pcmTrackFree(PcmTrack* track) {
    free(track->samples);
    track->samples = nullptr;
    track->sampleCount = 0;
    track->sampleRate = 0;
}
