// The decoder chain of the player. The file is read whole; its bytes are freed before the general decoder runs, since
// that decoder opens the path itself.
#include "player/track_loader.h"

#include <stdlib.h>
#include <string.h>

#include "player/mp3_decoder.h"
#include "player/wav_reader.h"

namespace {

const int64_t kMaxFileBytes = 0x7FFFFFFF;
// Reads are capped so one call never asks the seam for more than a 32-bit count can say.
const uint32_t kReadChunk = 1u << 24;

// Reads the file whole into *bytes (malloc); the count read, possibly short of the size; negative on failure.
int32_t ReadWhole(const wchar_t* path, const FileApi* files, unsigned char** bytes) {
    FileHandle f = files->openRead(path);
    if (f == kNoFile) return -1;
    int64_t size = files->sizeOfPath(path);
    if (size < 1 || size > kMaxFileBytes) {
        files->close(f);
        return -1;
    }
    unsigned char* buffer = static_cast<unsigned char*>(malloc(static_cast<size_t>(size)));
    if (!buffer) {
        files->close(f);
        return -1;
    }
    int64_t have = 0;
    while (have < size) {
        int64_t want = size - have < kReadChunk ? size - have : kReadChunk;
        uint32_t got = 0;
        if (files->read(f, buffer + have, static_cast<uint32_t>(want), &got) != 0 || got == 0) break;
        have += got > want ? want : got;
    }
    files->close(f);
    *bytes = buffer;
    return static_cast<int32_t>(have);
}

}  // namespace

TrackDecoder chooseDecoder(const unsigned char* bytes, int32_t n) {
    if (n <= 12) return TrackDecoder::Mp3;
    bool isRiffWave = memcmp(bytes, "RIFF", 4) == 0 && memcmp(bytes + 8, "WAVE", 4) == 0;
    if (isRiffWave) return TrackDecoder::Wav;
    if (memcmp(bytes + 4, "ftyp", 4) == 0) return TrackDecoder::General;
    return TrackDecoder::Mp3;
}

int decodeTrackBytes(const unsigned char* bytes, int32_t n, PcmTrack* track, const ThreadApi* threads,
                     TrackDecoder* used) {
    TrackDecoder first = chooseDecoder(bytes, n);
    int r = -1;
    if (first == TrackDecoder::Wav) r = readWavTrack(bytes, n, track);
    if (first == TrackDecoder::Mp3) r = decodeMp3(bytes, n, track, threads, kMp3SplitMinFrames);
    *used = r == 0 ? first : TrackDecoder::None;
    return r;
}

int loadTrack(const wchar_t* path, const FileApi* files, const GeneralDecoderApi* general, const ThreadApi* threads,
              PcmTrack* track, TrackDecoder* used) {
    *used = TrackDecoder::None;
    unsigned char* bytes = nullptr;
    int32_t n = ReadWhole(path, files, &bytes);
    if (n < 0) return -1;
    int r = decodeTrackBytes(bytes, n, track, threads, used);
    free(bytes);
    if (r == 0) return 0;
    if (general->decode(path, track) != 0) return -1;
    *used = TrackDecoder::General;
    return 0;
}

const char* trackDecoderName(TrackDecoder decoder) {
    switch (decoder) {
        case TrackDecoder::Wav:
            return "wav";
        case TrackDecoder::Mp3:
            return "mp3";
        case TrackDecoder::General:
            return "general";
        default:
            return "none";
    }
}
