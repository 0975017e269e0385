// The MP3 writer over the shine fixed-point encoder.
#include "recorder/mp3_writer.h"

#include <string.h>

extern "C" {
#include <layer3.h>
}

Mp3Writer mp3Writer;

namespace {

// Samples of delay between the encoder's input and a decoder's output, measured at both rates.
const int kCodecDelaySamples = 1057;

// Keeps the first failure of several steps.
void Keep(Outcome* first, Outcome next) {
    if (succeeded(*first)) *first = next;
}

// Hands the gathered frames to the write callback.
Outcome FlushOut(Mp3WriteCallback write, void* context) {
    int count = mp3Writer.outCount;
    mp3Writer.outCount = 0;
    return count > 0 ? write(context, mp3Writer.out, count) : Outcome::kOk;
}

// Gathers bytes for the file, writing out first when they would not fit.
Outcome Gather(const unsigned char* data, int count, Mp3WriteCallback write, void* context) {
    Outcome result = Outcome::kOk;
    if (mp3Writer.outCount + count > kMp3OutCapacity) result = FlushOut(write, context);
    if (count > kMp3OutCapacity) {
        Keep(&result, write(context, data, count));
        return result;
    }
    memcpy(mp3Writer.out + mp3Writer.outCount, data, static_cast<size_t>(count));
    mp3Writer.outCount += count;
    return result;
}

// Encodes pending as one pass.
Outcome EncodePass(Mp3WriteCallback write, void* context) {
    int written = 0;
    unsigned char* data = shine_encode_buffer_interleaved(mp3Writer.encoder, mp3Writer.pending, &written);
    mp3Writer.pendingCount = 0;
    if (data && written >= 1) return Gather(data, written, write, context);
    return Outcome::kOk;
}

}  // namespace

int mp3TrailingSilentPasses(int samplesPerPass) {
    return (kCodecDelaySamples + samplesPerPass - 1) / samplesPerPass + 1;
}

Outcome mp3WriterOpen(int sampleRate, int kbps) {
    shine_config_t config;
    memset(&config, 0, sizeof config);
    shine_set_config_mpeg_defaults(&config.mpeg);
    config.wave.channels = PCM_MONO;
    config.wave.samplerate = sampleRate;
    config.mpeg.mode = MONO;
    config.mpeg.bitr = kbps;
    if (shine_check_config(sampleRate, kbps) < 0) return Outcome::kUnsupportedFormat;
    if (mp3Writer.failNextOpen) {
        mp3Writer.failNextOpen = false;
        return Outcome::kEncoderFailed;
    }
    shine_t encoder = shine_initialise(&config);
    if (!encoder) return Outcome::kEncoderFailed;
    int perPass = shine_samples_per_pass(encoder);
    if (perPass > kMp3MaxPass || perPass <= 0) {
        shine_close(encoder);
        return Outcome::kUnsupportedFormat;
    }
    mp3Writer.encoder = encoder;
    mp3Writer.samplesPerPass = perPass;
    mp3Writer.pendingCount = 0;
    mp3Writer.samplesEncoded = 0;
    mp3Writer.outCount = 0;
    return Outcome::kOk;
}

Outcome mp3WriterWrite(const int16_t* samples, int count, Mp3WriteCallback write, void* context) {
    if (!mp3Writer.encoder) return Outcome::kNotOpen;
    Outcome result = Outcome::kOk;
    int i = 0;
    while (i < count) {
        // Copy as much as completes the pass (or all that is left), then encode a full pass.
        int room = mp3Writer.samplesPerPass - mp3Writer.pendingCount;
        int take = count - i < room ? count - i : room;
        memcpy(mp3Writer.pending + mp3Writer.pendingCount, samples + i, static_cast<size_t>(take) * sizeof(int16_t));
        mp3Writer.pendingCount += take;
        mp3Writer.samplesEncoded += take;
        i += take;
        if (mp3Writer.pendingCount == mp3Writer.samplesPerPass) Keep(&result, EncodePass(write, context));
    }
    Keep(&result, FlushOut(write, context));
    return result;
}

Outcome mp3WriterFinish(Mp3WriteCallback write, void* context) {
    if (!mp3Writer.encoder) return Outcome::kOk;
    Outcome result = Outcome::kOk;
    if (mp3Writer.pendingCount > 0) {
        memset(mp3Writer.pending + mp3Writer.pendingCount, 0,
               static_cast<size_t>(mp3Writer.samplesPerPass - mp3Writer.pendingCount) * sizeof(int16_t));
        mp3Writer.pendingCount = mp3Writer.samplesPerPass;
        Keep(&result, EncodePass(write, context));
    }
    if (mp3Writer.samplesEncoded > 0) {
        int passes = mp3TrailingSilentPasses(mp3Writer.samplesPerPass);
        for (int p = 0; p < passes; ++p) {
            memset(mp3Writer.pending, 0, static_cast<size_t>(mp3Writer.samplesPerPass) * sizeof(int16_t));
            mp3Writer.pendingCount = mp3Writer.samplesPerPass;
            Keep(&result, EncodePass(write, context));
        }
    }
    int written = 0;
    unsigned char* data = shine_flush(mp3Writer.encoder, &written);
    if (data && written > 0) Keep(&result, Gather(data, written, write, context));
    Keep(&result, FlushOut(write, context));
    mp3WriterClose();
    return result;
}

void mp3WriterClose() {
    if (!mp3Writer.encoder) return;
    shine_close(mp3Writer.encoder);
    mp3Writer.encoder = nullptr;
    mp3Writer.pendingCount = 0;
    mp3Writer.outCount = 0;
}
