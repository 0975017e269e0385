// The MP3 writer: collects kept samples into encoder passes, encodes each full pass and hands the frames to a write
// callback. The file is a bare stream of MPEG audio frames, playable at any moment of the recording.
#pragma once

#include <stdint.h>

// Writes bytes at the end of the recording file; 0 when all were written, -1 otherwise.
typedef int (*Mp3WriteCallback)(void* context, const unsigned char* bytes, int count);

const int kMp3MaxPass = 1152;
// Room for several passes' frames; a pass at the highest rate makes well under 1 KB.
const int kMp3OutCapacity = 16384;

struct shine_global_flags;

struct Mp3Writer {
    shine_global_flags* encoder;  // none when closed
    int32_t samplesPerPass;       // 576 at 22050 Hz, 1152 at 44100 Hz
    int16_t pending[kMp3MaxPass];
    int32_t pendingCount;
    int64_t samplesEncoded;  // real (not padding) samples handed to the encoder since open
    // Frames of one call, gathered so that a capture buffer costs one write instead of one per pass.
    unsigned char out[kMp3OutCapacity];
    int32_t outCount;
    bool failNextOpen;  // tests: the next open fails as if the encoder could not be created, then this clears
};

extern Mp3Writer mp3Writer;

// 0; -1 when the encoder rejects the rate and bit rate; -2 when it cannot be created; -3 when its pass is too big.
int mp3WriterOpen(int sampleRate, int kbps);
// -1 when no encoder is open; otherwise 0, or -1 when any write in this call failed.
int mp3WriterWrite(const int16_t* samples, int count, Mp3WriteCallback write, void* context);
// Pads and encodes the last partial pass, pushes the encoder's delay out with silence, flushes and closes.
// 0 when no encoder is open; otherwise 0, or -1 when any write failed.
int mp3WriterFinish(Mp3WriteCallback write, void* context);

// Silent passes encoded before the flush so that every kept sample comes out of a decoder: the encoder and a
// decoder together delay the audio by 1057 samples, and the flushed final frame is one byte short (decoders drop it).
int mp3TrailingSilentPasses(int samplesPerPass);
