// A small RIFF reader for the harness: it takes the format and data chunks and nothing else.
#include "cli/wav_input.h"

#include <stdlib.h>
#include <string.h>

#include "base/file_api.h"
#include "base/file_read.h"
#include "base/little_endian.h"

namespace {

const int64_t kMaxInputBytes = 0x7FFFFFFF;

}  // namespace

int readWavInput(const wchar_t* path, WavInput* out) {
    unsigned char* data = nullptr;
    int64_t n = readWholeFile(&kPlatformFiles, path, kMaxInputBytes, &data);
    if (n < 0) return -1;
    std::vector<unsigned char> bytes(data, data + n);
    free(data);
    if (bytes.size() < 12 || memcmp(bytes.data(), "RIFF", 4) != 0 || memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
        return -2;
    }
    bool haveFormat = false;
    size_t pos = 12;
    while (pos + 8 <= bytes.size()) {
        const unsigned char* c = bytes.data() + pos;
        uint32_t size = readLe32(c + 4);
        size_t body = pos + 8;
        size_t avail = bytes.size() - body;
        if (memcmp(c, "fmt ", 4) == 0 && size >= 16 && avail >= 16) {
            out->formatTag = readLe16(c + 8);
            out->channels = readLe16(c + 10);
            out->sampleRate = static_cast<int>(readLe32(c + 12));
            out->bitsPerSample = readLe16(c + 22);
            haveFormat = true;
        } else if (memcmp(c, "data", 4) == 0 && haveFormat) {
            size_t n = size < avail ? size : avail;
            out->samples.resize(n / 2);
            for (size_t i = 0; i < n / 2; ++i) out->samples[i] = static_cast<int16_t>(readLe16(c + 8 + 2 * i));
            return 0;
        }
        pos = body + size + (size & 1);
    }
    return -3;
}
