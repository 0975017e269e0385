// The decoder chain of the player. The file is read whole; its bytes are freed before the general decoder runs, since
// that decoder opens the path itself.
#include "player/track_loader.h"

#include <stdlib.h>
#include <string.h>

#include "base/file_read.h"
#include "player/mp3_decoder.h"
#include "player/wav_reader.h"

namespace {

const int64_t kMaxFileBytes = 0x7FFFFFFF;

}  // namespace

TrackDecoder chooseDecoder(const unsigned char* bytes, int32_t n) {
    if (n <= 12) return TrackDecoder::Mp3;
    bool isRiffWave = memcmp(bytes, "RIFF", 4) == 0 && memcmp(bytes + 8, "WAVE", 4) == 0;
    if (isRiffWave) return TrackDecoder::Wav;
    if (memcmp(bytes + 4, "ftyp", 4) == 0) return TrackDecoder::General;
    return TrackDecoder::Mp3;
}

Outcome decodeTrackBytes(const unsigned char* bytes, int32_t n, PcmTrack* track, const ThreadApi* threads,
                         TrackDecoder* used) {
    TrackDecoder first = chooseDecoder(bytes, n);
    int r = -1;
    if (first == TrackDecoder::Wav) r = readWavTrack(bytes, n, track);
    if (first == TrackDecoder::Mp3) r = decodeMp3(bytes, n, track, threads, kMp3SplitMinFrames);
    *used = r == 0 ? first : TrackDecoder::None;
    return r == 0 ? Outcome::kOk : Outcome::kUndecodable;
}

Outcome loadTrack(const wchar_t* path, const FileApi* files, const GeneralDecoderApi* general, const ThreadApi* threads,
                  PcmTrack* track, TrackDecoder* used) {
    *used = TrackDecoder::None;
    unsigned char* bytes = nullptr;
    int64_t n = readWholeFile(files, path, kMaxFileBytes, &bytes);
    if (n == -2) return Outcome::kTooLarge;
    if (n == -3) return Outcome::kOutOfMemory;
    if (n < 0) return Outcome::kOpenFailed;
    if (n == 0) {
        // An empty file is no track; nothing else would read it either.
        free(bytes);
        return Outcome::kUndecodable;
    }
    Outcome r = decodeTrackBytes(bytes, static_cast<int32_t>(n), track, threads, used);
    free(bytes);
    if (succeeded(r)) return r;
    if (general->decode(path, track) != 0) return Outcome::kUndecodable;
    *used = TrackDecoder::General;
    return Outcome::kOk;
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
