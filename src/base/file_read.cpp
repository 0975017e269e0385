// Whole-file reads in bounded chunks.
#include "base/file_read.h"

#include <stdlib.h>

namespace {

// One read call never asks the seam for more than a 32-bit count can say.
const uint32_t kReadChunk = 1u << 24;

}  // namespace

int64_t readWholeFile(const FileApi* files, const wchar_t* path, int64_t maxBytes, unsigned char** bytes,
                      bool* readFailed) {
    *bytes = nullptr;
    if (readFailed) *readFailed = false;
    FileHandle f = kNoFile;
    if (!succeeded(files->openRead(path, &f))) return -1;
    int64_t size = files->sizeOfPath(path);
    if (size < 0 || size > maxBytes) {
        files->close(f);
        return size < 0 ? -1 : -2;
    }
    unsigned char* buffer = static_cast<unsigned char*>(malloc(size > 0 ? static_cast<size_t>(size) : 1));
    if (!buffer) {
        files->close(f);
        return -3;
    }
    int64_t have = 0;
    while (have < size) {
        int64_t want = size - have < kReadChunk ? size - have : kReadChunk;
        uint32_t got = 0;
        if (!succeeded(files->read(f, buffer + have, static_cast<uint32_t>(want), &got))) {
            if (readFailed) *readFailed = true;
            break;
        }
        if (got == 0) break;
        have += got > want ? want : got;
    }
    files->close(f);
    *bytes = buffer;
    return have;
}
