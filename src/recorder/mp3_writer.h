// The MP3 writer: collects kept samples into encoder passes, encodes each full pass and hands the frames to a write
// callback. The file is a bare stream of MPEG audio frames, playable at any moment of the recording.
#pragma once

#include <stdint.h>

#include "base/outcome.h"

// Writes bytes at the end of the recording file: kOk when all were written, else what the write reported.
typedef Outcome (*Mp3WriteCallback)(void* context, const unsigned char* bytes, int count);

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

// kOk; kUnsupportedFormat when the encoder rejects the rate and bit rate or its pass is bigger than kMp3MaxPass;
// kEncoderFailed when it cannot be created.
Outcome mp3WriterOpen(int sampleRate, int kbps);
// kNotOpen when no encoder is open; otherwise kOk, or the first failure of the writes in this call.
Outcome mp3WriterWrite(const int16_t* samples, int count, Mp3WriteCallback write, void* context);
// Pads and encodes the last partial pass, pushes the encoder's delay out with silence, flushes and closes.
// kOk when no encoder is open; otherwise kOk, or the first failure of the writes.
Outcome mp3WriterFinish(Mp3WriteCallback write, void* context);
// Closes the encoder without writing anything more (a recording that failed to start); nothing when none is open.
void mp3WriterClose();

// Silent passes encoded before the flush so that every kept sample comes out of a decoder: the encoder and a
// decoder together delay the audio by 1057 samples, and the flushed final frame is one byte short (decoders drop it).
int mp3TrailingSilentPasses(int samplesPerPass);
