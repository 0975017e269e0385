// Test inputs for the player.
#include "player_test_support.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

#include "recorder/mp3_writer.h"

extern "C" {
#include <layer3.h>
}

void appendLe16(Bytes* b, uint32_t v) {
    b->push_back(static_cast<unsigned char>(v));
    b->push_back(static_cast<unsigned char>(v >> 8));
}

void appendLe32(Bytes* b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b->push_back(static_cast<unsigned char>(v >> (8 * i)));
}

Bytes makeWav(const WavLayout& f, const Bytes& body, int64_t dataSizeField) {
    Bytes b;
    b.insert(b.end(), {'R', 'I', 'F', 'F'});
    appendLe32(&b, 0);  // patched below
    b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    appendLe32(&b, f.extensible ? 40 : 16);
    appendLe16(&b, f.extensible ? 0xFFFE : f.tag);
    appendLe16(&b, f.channels);
    appendLe32(&b, f.sampleRate);
    appendLe32(&b, f.sampleRate * f.channels * (f.bits / 8));
    appendLe16(&b, f.channels * (f.bits / 8));
    appendLe16(&b, f.bits);
    if (f.extensible) {
        appendLe16(&b, 22);
        appendLe16(&b, f.bits);
        appendLe32(&b, 0);
        appendLe16(&b, f.tag);  // the sub-format GUID starts with the plain tag
        b.insert(b.end(), {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71});
    }
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    appendLe32(&b, dataSizeField >= 0 ? static_cast<uint32_t>(dataSizeField) : static_cast<uint32_t>(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    uint32_t riff = static_cast<uint32_t>(b.size() - 8);
    memcpy(&b[4], &riff, 4);
    return b;
}

Bytes pcm16(const std::vector<int16_t>& samples) {
    Bytes b;
    for (int16_t s : samples) appendLe16(&b, static_cast<uint16_t>(s));
    return b;
}

std::vector<int16_t> tone(int count, int rate, double hz, double amplitude) {
    std::vector<int16_t> v(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        v[static_cast<size_t>(i)] = static_cast<int16_t>(amplitude * sin(2 * 3.14159265358979 * hz * i / rate));
    }
    return v;
}

std::vector<int16_t> noise(int count, int amplitude, uint32_t seed) {
    std::vector<int16_t> v(static_cast<size_t>(count));
    uint32_t x = seed * 2654435761u + 1;
    for (int i = 0; i < count; ++i) {
        x = x * 1664525u + 1013904223u;
        v[static_cast<size_t>(i)] = static_cast<int16_t>(static_cast<int>((x >> 8) % (2u * amplitude + 1)) - amplitude);
    }
    return v;
}

namespace {

Outcome Collect(void* context, const unsigned char* bytes, int count) {
    static_cast<Bytes*>(context)->insert(static_cast<Bytes*>(context)->end(), bytes, bytes + count);
    return Outcome::kOk;
}

}  // namespace

Bytes encodeMonoMp3(const std::vector<int16_t>& samples, int rate, int kbps) {
    Bytes out;
    if (!succeeded(mp3WriterOpen(rate, kbps))) return out;
    mp3WriterWrite(samples.data(), static_cast<int>(samples.size()), Collect, &out);
    mp3WriterFinish(Collect, &out);
    return out;
}

Bytes encodeStereoMp3(const std::vector<int16_t>& left, const std::vector<int16_t>& right, int rate, int kbps) {
    Bytes out;
    shine_config_t config;
    memset(&config, 0, sizeof config);
    shine_set_config_mpeg_defaults(&config.mpeg);
    config.wave.channels = PCM_STEREO;
    config.wave.samplerate = rate;
    config.mpeg.mode = STEREO;
    config.mpeg.bitr = kbps;
    shine_t enc = shine_initialise(&config);
    if (!enc) return out;
    const int perPass = shine_samples_per_pass(enc);
    std::vector<int16_t> pass(static_cast<size_t>(perPass) * 2);
    for (size_t at = 0; at < left.size(); at += static_cast<size_t>(perPass)) {
        for (int i = 0; i < perPass; ++i) {
            size_t k = at + static_cast<size_t>(i);
            pass[2 * static_cast<size_t>(i)] = k < left.size() ? left[k] : 0;
            pass[2 * static_cast<size_t>(i) + 1] = k < right.size() ? right[k] : 0;
        }
        int written = 0;
        unsigned char* data = shine_encode_buffer_interleaved(enc, pass.data(), &written);
        out.insert(out.end(), data, data + written);
    }
    int written = 0;
    unsigned char* data = shine_flush(enc, &written);
    out.insert(out.end(), data, data + written);
    shine_close(enc);
    return out;
}

void writeBytes(const std::filesystem::path& path, const Bytes& bytes) {
    FILE* f = fopen(path.string().c_str(), "wb");
    if (!f) return;
    if (!bytes.empty()) fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

std::wstring widePath(const std::filesystem::path& path) {
    return path.wstring();
}
