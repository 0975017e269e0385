// The player's track as it plays: the file stays open and samples are read where the listener is, so a file of any
// length opens at once and takes little memory. WAV is read in place; MP3 through its frame index; what only the
// platform's general decoder reads through that decoder's own seeking. An MP3 whose frames the index cannot follow
// exactly is decoded whole, as is a file the general decoder reads but whose duration it cannot tell.
#pragma once

#include <stdint.h>

#include "base/file_api.h"
#include "base/outcome.h"
#include "player/general_decoder.h"
#include "player/mp3_stream.h"
#include "player/pcm_track.h"
#include "player/threads.h"
#include "player/track_loader.h"
#include "player/wav_reader.h"

// Where a track read through the general decoder's stream stands.
struct GeneralPlay {
    const GeneralDecoderApi* api;
    GeneralStream* stream;  // none unless it is read this way
    int64_t next;           // where the last read ended: a read that starts there decodes on
    bool onward;            // the stream goes on from `next` (false after a failure, until a seek)
    bool timed;             // the next stretch is placed by its timestamp (the first after a seek)
    bool ended;             // the stream said it has no more
    int64_t aim;            // where the last seek asked the stream to go
    int32_t retries;        // seeks again since, from further back, because it landed after the place
    int64_t cursor;         // the track position of the next stretch the stream gives
    // Decoded but not yet used: [heldFirst, heldFirst + heldCount), the stream's until its next call.
    const int16_t* held;
    int32_t heldCount;
    int64_t heldFirst;
    int64_t seeks;  // tests tell a seek from decoding on
};

struct TrackSource {
    TrackDecoder decoder;  // None while closed
    int32_t sampleRate;
    int64_t sampleCount;
    const FileApi* files;
    FileHandle file;         // kNoFile when the track is in memory
    PcmTrack whole;          // the track decoded whole, or empty
    WavData wav;             // decoder Wav, read in place
    unsigned char* staging;  // WAV bytes on their way to samples
    Mp3Stream* mp3;          // decoder Mp3, unless decoded whole
    GeneralPlay general;     // decoder General, unless decoded whole
};

// WAV frames read from the file at a time.
const int32_t kWavStagingFrames = 8192;
// How far before the place a seek of the general decoder aims: the decoder starts cold at whatever frame the seek
// lands on, and its first frame or two after that are not yet what a decode from the start gives there (an AAC frame
// overlaps its neighbour by 1024 samples). 100 ms is four such frames.
const int64_t kGeneralSeekLead = 4410;
// A seek that lands after the place is tried again from four times as far back, at most this many times.
const int32_t kGeneralSeekRetries = 3;

// Accepts and refuses the same files as loadTrack, with the same outcomes, and any length of WAV or MP3 besides.
// kOk and an open source; kOpenFailed, kOutOfMemory, kUndecodable.
Outcome trackSourceOpen(const wchar_t* path, const FileApi* files, const GeneralDecoderApi* general,
                        const ThreadApi* threads, TrackSource* source);
// Safe on a closed source.
void trackSourceClose(TrackSource* source);
// Whether sampleCount is the track's length for good. Only an MP3 opens without: its length is an estimate until the
// frame walk reaches the end of the file.
bool trackSourceSettled(const TrackSource* source);
// Walks an unsettled MP3 on by a slice (to the end with toTheEnd); true once the length is known, with *length. It
// leaves sampleCount alone: the caller takes the length over when it can (the player, under its lock). The thread
// that reads, or one that takes turns with it.
bool trackSourceSettle(TrackSource* source, bool toTheEnd, int64_t* length);
// Fills out[0..count-1] with the track from `start` on; silence before 0, past the end, and where the file can no
// longer be read.
void trackSourceRead(TrackSource* source, int64_t start, int32_t count, int16_t* out);
// A thread that is to call trackSourceRead calls this first (the general decoder may need the thread set up), and
// trackSourceThreadEnd with its result as the thread's last use of the source.
bool trackSourceThreadBegin(const TrackSource* source);
void trackSourceThreadEnd(TrackSource* source, bool began);
