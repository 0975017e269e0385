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

// Hands the gathered frames to the write callback; returns -1 when the write failed.
int FlushOut(Mp3WriteCallback write, void* context) {
    int count = mp3Writer.outCount;
    mp3Writer.outCount = 0;
    if (count > 0 && write(context, mp3Writer.out, count) < 0) return -1;
    return 0;
}

// Gathers bytes for the file, writing out first when they would not fit; returns -1 when a write failed.
int Gather(const unsigned char* data, int count, Mp3WriteCallback write, void* context) {
    int result = 0;
    if (mp3Writer.outCount + count > kMp3OutCapacity) result = FlushOut(write, context);
    if (count > kMp3OutCapacity) return write(context, data, count) < 0 ? -1 : result;
    memcpy(mp3Writer.out + mp3Writer.outCount, data, static_cast<size_t>(count));
    mp3Writer.outCount += count;
    return result;
}

// Encodes pending as one pass; returns -1 when a write failed.
int EncodePass(Mp3WriteCallback write, void* context) {
    int written = 0;
    unsigned char* data = shine_encode_buffer_interleaved(mp3Writer.encoder, mp3Writer.pending, &written);
    mp3Writer.pendingCount = 0;
    if (data && written >= 1) return Gather(data, written, write, context);
    return 0;
}

}  // namespace

int mp3TrailingSilentPasses(int samplesPerPass) {
    return (kCodecDelaySamples + samplesPerPass - 1) / samplesPerPass + 1;
}

int mp3WriterOpen(int sampleRate, int kbps) {
    shine_config_t config;
    memset(&config, 0, sizeof config);
    shine_set_config_mpeg_defaults(&config.mpeg);
    config.wave.channels = PCM_MONO;
    config.wave.samplerate = sampleRate;
    config.mpeg.mode = MONO;
    config.mpeg.bitr = kbps;
    if (shine_check_config(sampleRate, kbps) < 0) return -1;
    if (mp3Writer.failNextOpen) {
        mp3Writer.failNextOpen = false;
        return -2;
    }
    shine_t encoder = shine_initialise(&config);
    if (!encoder) return -2;
    int perPass = shine_samples_per_pass(encoder);
    if (perPass > kMp3MaxPass || perPass <= 0) {
        shine_close(encoder);
        return -3;
    }
    mp3Writer.encoder = encoder;
    mp3Writer.samplesPerPass = perPass;
    mp3Writer.pendingCount = 0;
    mp3Writer.samplesEncoded = 0;
    mp3Writer.outCount = 0;
    return 0;
}

int mp3WriterWrite(const int16_t* samples, int count, Mp3WriteCallback write, void* context) {
    if (!mp3Writer.encoder) return -1;
    int result = 0;
    int i = 0;
    while (i < count) {
        // Copy as much as completes the pass (or all that is left), then encode a full pass.
        int room = mp3Writer.samplesPerPass - mp3Writer.pendingCount;
        int take = count - i < room ? count - i : room;
        memcpy(mp3Writer.pending + mp3Writer.pendingCount, samples + i, static_cast<size_t>(take) * sizeof(int16_t));
        mp3Writer.pendingCount += take;
        mp3Writer.samplesEncoded += take;
        i += take;
        if (mp3Writer.pendingCount == mp3Writer.samplesPerPass && EncodePass(write, context) < 0) result = -1;
    }
    if (FlushOut(write, context) < 0) result = -1;
    return result;
}

int mp3WriterFinish(Mp3WriteCallback write, void* context) {
    if (!mp3Writer.encoder) return 0;
    int result = 0;
    if (mp3Writer.pendingCount > 0) {
        memset(mp3Writer.pending + mp3Writer.pendingCount, 0,
               static_cast<size_t>(mp3Writer.samplesPerPass - mp3Writer.pendingCount) * sizeof(int16_t));
        mp3Writer.pendingCount = mp3Writer.samplesPerPass;
        if (EncodePass(write, context) < 0) result = -1;
    }
    if (mp3Writer.samplesEncoded > 0) {
        int passes = mp3TrailingSilentPasses(mp3Writer.samplesPerPass);
        for (int p = 0; p < passes; ++p) {
            memset(mp3Writer.pending, 0, static_cast<size_t>(mp3Writer.samplesPerPass) * sizeof(int16_t));
            mp3Writer.pendingCount = mp3Writer.samplesPerPass;
            if (EncodePass(write, context) < 0) result = -1;
        }
    }
    int written = 0;
    unsigned char* data = shine_flush(mp3Writer.encoder, &written);
    if (data && written > 0 && Gather(data, written, write, context) < 0) result = -1;
    if (FlushOut(write, context) < 0) result = -1;
    shine_close(mp3Writer.encoder);
    mp3Writer.encoder = nullptr;
    mp3Writer.pendingCount = 0;
    return result;
}
