// WAV header building and whole-file writing.
#include "base/wav_file.h"

#include <string.h>

namespace {

void Put32(unsigned char* at, uint32_t v) {
    at[0] = static_cast<unsigned char>(v);
    at[1] = static_cast<unsigned char>(v >> 8);
    at[2] = static_cast<unsigned char>(v >> 16);
    at[3] = static_cast<unsigned char>(v >> 24);
}

void Put16(unsigned char* at, uint32_t v) {
    at[0] = static_cast<unsigned char>(v);
    at[1] = static_cast<unsigned char>(v >> 8);
}

// One write call never asks the seam for more than a 32-bit count can say.
const uint32_t kWriteChunk = 1u << 24;

}  // namespace

void buildWavHeader(unsigned char out[kWavHeaderBytes], int32_t sampleRate, uint32_t dataBytes) {
    memcpy(out, "RIFF", 4);
    Put32(out + 4, dataBytes + 36);
    memcpy(out + 8, "WAVEfmt ", 8);
    Put32(out + 16, 16);
    Put16(out + 20, 1);
    Put16(out + 22, 1);
    Put32(out + 24, static_cast<uint32_t>(sampleRate));
    Put32(out + 28, static_cast<uint32_t>(sampleRate) * 2);
    Put16(out + 32, 2);
    Put16(out + 34, 16);
    memcpy(out + 36, "data", 4);
    Put32(out + 40, dataBytes);
}

Outcome writeWavHeader(const FileApi* files, FileHandle file, int32_t sampleRate, uint32_t dataBytes) {
    unsigned char header[kWavHeaderBytes];
    buildWavHeader(header, sampleRate, dataBytes);
    Outcome seek = files->seekStart(file, 0);
    uint32_t written = 0;
    // Written even when the seek failed: at offset 0 or not, skipping it would not make the file any better.
    Outcome write = files->write(file, header, kWavHeaderBytes, &written);
    Outcome end = files->seekEnd(file);
    if (!succeeded(seek)) return seek;
    return succeeded(write) ? end : write;
}

Outcome writeMonoWavFile(const FileApi* files, const wchar_t* path, const int16_t* samples, int64_t count,
                         int32_t sampleRate) {
    if (count < 0 || count * 2 > static_cast<int64_t>(kWavDataLimitBytes)) return Outcome::kTooLarge;
    FileHandle f = kNoFile;
    Outcome r = files->create(path, kFileCreateAlways, kFileShareNone, &f);
    if (!succeeded(r)) return r;
    unsigned char header[kWavHeaderBytes];
    buildWavHeader(header, sampleRate, static_cast<uint32_t>(count * 2));
    uint32_t written = 0;
    r = files->write(f, header, kWavHeaderBytes, &written);
    // Samples are little-endian on every platform this builds for.
    const char* p = reinterpret_cast<const char*>(samples);
    int64_t left = count * 2;
    while (succeeded(r) && left > 0) {
        uint32_t chunk = left > kWriteChunk ? kWriteChunk : static_cast<uint32_t>(left);
        r = files->write(f, p, chunk, &written);
        p += chunk;
        left -= chunk;
    }
    files->close(f);
    return r;
}
