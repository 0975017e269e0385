// MP3 played from the file as it goes: a frame index built by walking the frame headers, and a decoder that starts a
// few dozen frames before any place asked for, so that what it gives is sample for sample what the whole-file decode
// (decodeMp3Sequential) gives at that place. The walk reads the whole file, which for hours of audio takes longer
// than a listener should wait: the open walks the first mp3ScanBytesAtOpen bytes and estimates the length from them,
// and the rest is walked later in slices (mp3StreamScan) while the track already plays.
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
// Bytes the open walks before it answers (a few milliseconds from the disk cache), and the bytes of a later slice.
const int64_t kMp3ScanBytesAtOpen = 2 << 20;
const int64_t kMp3ScanSliceBytes = 1 << 20;
// kMp3ScanBytesAtOpen and kMp3ScanSliceBytes, unless a test wants short files walked in slices.
extern int64_t mp3ScanBytesAtOpen;
extern int64_t mp3ScanBytesPerSlice;

struct Mp3Stream;

struct Mp3StreamInfo {
    int32_t sampleRate;
    // The length; until the walk has reached the end of the file (settled), an estimate from the bytes walked so far.
    int64_t sampleCount;
    bool settled;
    int64_t frames;  // walked so far
    // False when some stretch of the file did not decode the way its headers announced (junk longer than the decoder
    // looks ahead, or a frame that resynchronised differently): sample positions past it may then differ from a
    // whole-file decode, so a caller that can should decode such a file whole. Only what was walked has been checked.
    bool exact;
};

// Walks the frames at the start of the open file (size bytes; the first `skip` bytes are a tag): mp3ScanBytesAtOpen
// of them, or on until more than kMinTrackSamples samples are found. 0 and *stream; -1 when it is not an MP3 of more
// than kMinTrackSamples samples; -2 when memory runs out; -3 when the file cannot be read. The file stays the
// caller's and must stay open while the stream is used.
int mp3StreamOpen(const FileApi* files, FileHandle file, int64_t size, int64_t skip, Mp3Stream** stream);
void mp3StreamClose(Mp3Stream* stream);
Mp3StreamInfo mp3StreamInfo(const Mp3Stream* stream);
// Walks on by about `bytes` (to the end when negative); true once the walk has reached the end and the length is
// settled. A file that can no longer be read settles at what was walked.
bool mp3StreamScan(Mp3Stream* stream, int64_t bytes);
// Fills out[0..count-1] with the track's samples from `start` on; silence past the end and where the file cannot be
// read. Reading on from where the last read ended decodes on; anywhere else starts a fresh decoder before the place,
// once the walk has gone past it. The same thread as mp3StreamScan, or one that takes turns with it.
void mp3StreamRead(Mp3Stream* stream, int64_t start, int32_t count, int16_t* out);
// Fresh decoders started so far (tests tell a seek from decoding on).
int64_t mp3StreamRestarts(const Mp3Stream* stream);
