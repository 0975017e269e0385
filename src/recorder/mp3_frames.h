// Where the whole MPEG audio frames of a recording end. The MP3 file is a bare run of frames, so when a write stops
// part way (a full disk) or the program ended mid-write (a crash), everything up to the end of the last whole frame is
// good audio and what follows is a torn frame that players stumble over. The cursor is fed the bytes of the stream in
// order, in pieces of any size.
#pragma once

#include <stddef.h>
#include <stdint.h>

struct Mp3FrameCursor {
    uint64_t fed;        // bytes of the stream seen so far
    uint64_t frameEnd;   // end of the frame being read; equals `fed` between frames
    uint64_t wholeEnd;   // end of the last whole frame
    int64_t frames;      // whole frames
    int32_t sampleRate;  // of the first frame; 0 before it
    int32_t samplesPerFrame;
    unsigned char header[4];
    int32_t headerBytes;
    bool broken;  // something that is not a frame header where a frame should start: nothing after it counts
};

// The length in bytes of the Layer III frame whose four header bytes are given, with its rate and samples per frame;
// 0 when they are not such a header.
int mp3FrameLength(const unsigned char header[4], int32_t* sampleRate, int32_t* samplesPerFrame);

void mp3CursorReset(Mp3FrameCursor* cursor);
void mp3CursorFeed(Mp3FrameCursor* cursor, const unsigned char* bytes, size_t count);
// Seconds of audio in the whole frames so far.
double mp3CursorSeconds(const Mp3FrameCursor& cursor);
