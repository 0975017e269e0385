// The built-in WAV reader: RIFF/WAVE files with integer PCM of 8 to 32 bits or 32-bit float, 1 to 8 channels, mixed
// down to one mono 16-bit track.
#pragma once

#include <stdint.h>

#include "player/pcm_track.h"

// 0 and a filled track; -1 when the bytes are not a WAV this reader accepts (the caller tries the next decoder).
int readWavTrack(const unsigned char* bytes, int32_t n, PcmTrack* track);
