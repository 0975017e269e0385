// MP3 played from the file as it goes: a frame index built at open by walking the frame headers, and a decoder that
// starts a few dozen frames before any place asked for, so that what it gives is sample for sample what the whole-file
// decode (decodeMp3Sequential) gives at that place.
#pragma once

#include <stdint.h>

#include "base/file_api.h"

// Frames between two entries of the index.
const int32_t kMp3CheckpointFrames = 16;
// Index entries a seek starts before the one holding the place: at least 32 frames, more than the bit reservoir of
// any stream reaches back (255 bytes of MPEG-2 main data at 8 kbit/s span 23 frames), plus the frame the filter-bank
// and overlap history come from.
const int32_t kMp3WarmUpCheckpoints = 2;
// Bytes of the file kept in memory at a time, for the walk and for playing.
const int32_t kMp3ReadBytes = 1 << 20;

struct Mp3Stream;

struct Mp3StreamInfo {
    int32_t sampleRate;
    int64_t sampleCount;
    int64_t frames;
    // False when some stretch of the file did not decode the way its headers announced (junk longer than the decoder
    // looks ahead, or a frame that resynchronised differently): sample positions past it may then differ from a
    // whole-file decode, so a caller that can should decode such a file whole.
    bool exact;
};

// Walks the frames of the open file (size bytes; the first `skip` bytes are a tag). 0 and *stream; -1 when it is not
// an MP3 of more than kMinTrackSamples samples; -2 when memory runs out; -3 when the file cannot be read. The file
// stays the caller's and must stay open while the stream is used.
int mp3StreamOpen(const FileApi* files, FileHandle file, int64_t size, int64_t skip, Mp3Stream** stream);
void mp3StreamClose(Mp3Stream* stream);
Mp3StreamInfo mp3StreamInfo(const Mp3Stream* stream);
// Fills out[0..count-1] with the track's samples from `start` on; silence past the end and where the file cannot be
// read. Reading on from where the last read ended decodes on; anywhere else starts a fresh decoder before the place.
void mp3StreamRead(Mp3Stream* stream, int64_t start, int32_t count, int16_t* out);
// Fresh decoders started so far (tests tell a seek from decoding on).
int64_t mp3StreamRestarts(const Mp3Stream* stream);
