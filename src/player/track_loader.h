// Loading a file into the PcmTrack: reading it whole through the file seam, then the WAV reader, the MP3 path or the
// platform's general decoder, in that order.
#pragma once

#include <stdint.h>

#include "base/file_api.h"
#include "base/outcome.h"
#include "player/general_decoder.h"
#include "player/pcm_track.h"
#include "player/threads.h"

enum class TrackDecoder : int32_t { None = 0, Wav = 1, Mp3 = 2, General = 3 };

// The decoder the bytes go to first (the general decoder when the MP4-family "ftyp" box is at byte 4).
TrackDecoder chooseDecoder(const unsigned char* bytes, int32_t n);

// The WAV reader or the MP3 path on bytes in memory. kOk and the track (with *used), or kUndecodable: the general
// decoder is next.
Outcome decodeTrackBytes(const unsigned char* bytes, int32_t n, PcmTrack* track, const ThreadApi* threads,
                         TrackDecoder* used);

// The whole chain on a file. kOk and the track (with *used); kOpenFailed when it cannot be opened or its size read,
// kTooLarge, kOutOfMemory, or kUndecodable when no decoder makes a track of it (an empty file included).
Outcome loadTrack(const wchar_t* path, const FileApi* files, const GeneralDecoderApi* general, const ThreadApi* threads,
                  PcmTrack* track, TrackDecoder* used);

const char* trackDecoderName(TrackDecoder decoder);
