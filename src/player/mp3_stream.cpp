// The MP3 frame index and the decoder that plays from it.
//
// The walk calls the decoder without an output buffer: it then only finds and checks frame headers, with exactly the
// synchronisation of a real decode, and says how many samples each frame announces. A real decode gives fewer only
// after a resynchronisation (at the start, and after junk), when the bit reservoir is still empty; the decoder's
// state is cleared there, so a fresh decoder run from that frame gives exactly what the whole-file decode gives, and
// the walk runs one until a frame yields samples. Every kMp3CheckpointFrames frames the index keeps the byte offset of
// the decode call and the track position of that frame's first sample.
//
// A seek starts a fresh decoder kMp3WarmUpCheckpoints entries before the entry holding the place and discards what
// it gives up to that entry: by then its reservoir, overlap and filter-bank history are the whole-file decode's. If it
// does not arrive at that entry's byte offset (it synchronised on another frame), it starts one entry further back.
#include "player/mp3_stream.h"

#include <minimp3.h>
#include <stdlib.h>
#include <string.h>

#include "player/mp3_decoder.h"
#include "player/pcm_track.h"

namespace {

// Bytes past a decode call that are always in memory (unless the file ends first). A call reads the frame and the
// next header; one that resynchronises also checks up to ten frames after each candidate, less than kExamined bytes.
const int32_t kLookahead = 65536;
const int32_t kExamined = 32768;

struct Checkpoint {
    int64_t offset;    // where the decode call for the frame starts (any junk before the frame included)
    int64_t position;  // track position of the frame's first sample
};

}  // namespace

struct Mp3Stream {
    const FileApi* files;
    FileHandle file;
    int64_t size;
    unsigned char* bytes;  // kMp3ReadBytes
    int64_t bytesStart;
    int32_t bytesLength;
    bool readFailed;
    Checkpoint* checkpoints;
    int64_t checkpointCount;
    Mp3StreamInfo info;
    // The playing decoder.
    mp3dec_t decoder;
    int64_t callOffset;                                // where its next decode call starts
    int64_t frameIndex;                                // the frame that call decodes
    bool counting;                                     // past the warm-up: nextPosition is right
    bool ended;                                        // no frame is left
    int64_t nextPosition;                              // track position of the next frame's first sample
    int16_t frame[MINIMP3_MAX_SAMPLES_PER_FRAME / 2];  // the last frame that yielded, mono
    int64_t framePosition;
    int32_t frameCount;
    int64_t restarts;
};

namespace {

// Makes [offset, offset + want) (cut at the end of the file) lie in memory; the bytes from offset and how many.
const unsigned char* Bytes(Mp3Stream* s, int64_t offset, int32_t want, int32_t* available) {
    int64_t end = offset + want < s->size ? offset + want : s->size;
    if (offset < s->bytesStart || end > s->bytesStart + s->bytesLength) {
        int64_t left = s->size - offset;
        uint32_t length = left < kMp3ReadBytes ? static_cast<uint32_t>(left) : static_cast<uint32_t>(kMp3ReadBytes);
        uint32_t got = 0;
        s->bytesStart = offset;
        s->bytesLength = 0;
        if (!succeeded(s->files->seekStart(s->file, offset))) {
            s->readFailed = true;
            *available = 0;
            return s->bytes;
        }
        while (got < length) {
            uint32_t n = 0;
            if (!succeeded(s->files->read(s->file, s->bytes + got, length - got, &n)) || n == 0) {
                s->readFailed = true;
                break;
            }
            got += n;
        }
        s->bytesLength = static_cast<int32_t>(got);
    }
    *available = static_cast<int32_t>(s->bytesStart + s->bytesLength - offset);
    return s->bytes + (offset - s->bytesStart);
}

bool AtEndOfFile(const Mp3Stream* s) {
    return s->bytesStart + s->bytesLength >= s->size;
}

bool AddCheckpoint(Mp3Stream* s, int64_t* capacity, int64_t offset, int64_t position) {
    if (s->checkpointCount == *capacity) {
        int64_t grown = *capacity ? *capacity * 2 : 1024;
        Checkpoint* c =
            static_cast<Checkpoint*>(realloc(s->checkpoints, static_cast<size_t>(grown) * sizeof(Checkpoint)));
        if (!c) return false;
        s->checkpoints = c;
        *capacity = grown;
    }
    s->checkpoints[s->checkpointCount++] = {offset, position};
    return true;
}

// The walk. 0, -1 (no track), -2 (memory), -3 (read).
int Walk(Mp3Stream* s, int64_t skip) {
    mp3dec_t headers;
    mp3dec_init(&headers);
    mp3dec_t real;
    bool realRunning = false;
    int16_t pcm[MINIMP3_MAX_SAMPLES_PER_FRAME];
    int64_t capacity = 0;
    int64_t offset = skip;
    int64_t frames = 0;
    int64_t position = 0;
    int32_t rate = 0;
    bool exact = true;
    while (offset < s->size) {
        int32_t available = 0;
        const unsigned char* p = Bytes(s, offset, kLookahead, &available);
        if (s->readFailed) return -3;
        // A field the header-only call never touches and a resynchronisation clears: it tells the two apart.
        headers.reserv = 1;
        mp3dec_frame_info_t info;
        int samples = mp3dec_decode_frame(&headers, p, available, nullptr, &info);
        if (info.frame_bytes <= 0) break;
        if (!AtEndOfFile(s) && info.frame_bytes + kExamined > available) exact = false;
        if (headers.reserv == 0) {
            mp3dec_init(&real);
            realRunning = true;
        }
        if (frames % kMp3CheckpointFrames == 0 && !AddCheckpoint(s, &capacity, offset, position)) return -2;
        int hz = info.hz;
        if (realRunning) {
            mp3dec_frame_info_t realInfo;
            samples = mp3dec_decode_frame(&real, p, available, pcm, &realInfo);
            if (realInfo.frame_bytes != info.frame_bytes) exact = false;
            hz = realInfo.hz;
            if (samples > 0) realRunning = false;
        }
        if (samples > 0 && rate == 0) rate = hz;
        if (samples > 0 && hz == rate) position += samples;
        offset += info.frame_bytes;
        ++frames;
    }
    if (rate <= 0 || position <= kMinTrackSamples) return -1;
    s->info.sampleRate = rate;
    s->info.sampleCount = position;
    s->info.frames = frames;
    s->info.exact = exact;
    return 0;
}

// The entry holding track position p: the last whose position is at most p.
int64_t CheckpointFor(const Mp3Stream* s, int64_t p) {
    int64_t lo = 0, hi = s->checkpointCount;  // the answer is in [lo, hi)
    while (hi - lo > 1) {
        int64_t mid = lo + (hi - lo) / 2;
        if (s->checkpoints[mid].position <= p) {
            lo = mid;
        } else {
            hi = mid;
        }
    }
    return lo;
}

// One decode call of the playing decoder; false when no frame is left.
bool DecodeNext(Mp3Stream* s, bool keep) {
    if (s->callOffset >= s->size) return false;
    int32_t available = 0;
    const unsigned char* p = Bytes(s, s->callOffset, kLookahead, &available);
    if (s->readFailed || available <= 0) return false;
    int16_t pcm[MINIMP3_MAX_SAMPLES_PER_FRAME];
    mp3dec_frame_info_t info;
    int samples = mp3dec_decode_frame(&s->decoder, p, available, pcm, &info);
    if (info.frame_bytes <= 0) return false;
    s->callOffset += info.frame_bytes;
    s->frameIndex += 1;
    if (!keep || samples <= 0 || info.hz != s->info.sampleRate) return true;
    mp3MixToMono(pcm, samples, info.channels > 1 ? info.channels : 1, s->frame);
    s->framePosition = s->nextPosition;
    s->frameCount = samples;
    s->nextPosition += samples;
    return true;
}

// A fresh decoder set to give the frames from the entry holding p on.
void Seek(Mp3Stream* s, int64_t p) {
    const int64_t target = CheckpointFor(s, p);
    s->restarts += 1;
    s->frameCount = 0;
    s->ended = false;
    for (int64_t from = target - kMp3WarmUpCheckpoints;; --from) {
        if (from < 0) from = 0;
        mp3dec_init(&s->decoder);
        s->readFailed = false;
        s->callOffset = s->checkpoints[from].offset;
        s->frameIndex = from * kMp3CheckpointFrames;
        const int64_t targetFrame = target * kMp3CheckpointFrames;
        while (s->frameIndex < targetFrame && DecodeNext(s, false)) {
        }
        // From the first entry the fresh decoder is the whole-file decode itself.
        if (from == 0 || (s->frameIndex == targetFrame && s->callOffset == s->checkpoints[target].offset)) break;
    }
    if (s->frameIndex != target * kMp3CheckpointFrames) {
        // Even from the start the frames did not come out as the walk found them (the file changed): decode on from
        // the start.
        mp3dec_init(&s->decoder);
        s->callOffset = s->checkpoints[0].offset;
        s->frameIndex = 0;
        s->nextPosition = 0;
    } else {
        s->nextPosition = s->checkpoints[target].position;
    }
    s->counting = true;
}

}  // namespace

int mp3StreamOpen(const FileApi* files, FileHandle file, int64_t size, int64_t skip, Mp3Stream** stream) {
    *stream = nullptr;
    Mp3Stream* s = static_cast<Mp3Stream*>(calloc(1, sizeof(Mp3Stream)));
    unsigned char* bytes = static_cast<unsigned char*>(malloc(kMp3ReadBytes));
    if (!s || !bytes) {
        free(s);
        free(bytes);
        return -2;
    }
    s->files = files;
    s->file = file;
    s->size = size;
    s->bytes = bytes;
    s->bytesStart = 0;
    s->bytesLength = 0;
    int r = Walk(s, skip);
    if (r != 0) {
        mp3StreamClose(s);
        return r;
    }
    // The index is built once; its spare room goes back.
    Checkpoint* tight =
        static_cast<Checkpoint*>(realloc(s->checkpoints, static_cast<size_t>(s->checkpointCount) * sizeof(Checkpoint)));
    if (tight) s->checkpoints = tight;
    s->counting = false;
    *stream = s;
    return 0;
}

void mp3StreamClose(Mp3Stream* s) {
    if (!s) return;
    free(s->checkpoints);
    free(s->bytes);
    free(s);
}

Mp3StreamInfo mp3StreamInfo(const Mp3Stream* s) {
    return s->info;
}

int64_t mp3StreamRestarts(const Mp3Stream* s) {
    return s->restarts;
}

void mp3StreamRead(Mp3Stream* s, int64_t start, int32_t count, int16_t* out) {
    const int64_t length = s->info.sampleCount;
    bool sought = false;
    while (count > 0) {
        if (start >= length || start < 0) {
            // Before the start only when asked so; both are silence.
            int32_t n = count;
            if (start < 0 && -start < n) n = static_cast<int32_t>(-start);
            memset(out, 0, static_cast<size_t>(n) * sizeof(int16_t));
            out += n;
            start += n;
            count -= n;
            continue;
        }
        if (s->frameCount > 0 && start >= s->framePosition && start < s->framePosition + s->frameCount) {
            int64_t from = start - s->framePosition;
            int32_t n = s->frameCount - static_cast<int32_t>(from);
            if (n > count) n = count;
            memcpy(out, s->frame + from, static_cast<size_t>(n) * sizeof(int16_t));
            out += n;
            start += n;
            count -= n;
            continue;
        }
        // Decoding on is cheaper than a fresh start while the place is no further than the warm-up away.
        bool onward = s->counting && !s->ended && start >= s->nextPosition &&
                      CheckpointFor(s, start) <= CheckpointFor(s, s->nextPosition) + kMp3WarmUpCheckpoints;
        // After one fresh start the decoder goes forward to the place, however far it is.
        if (!onward && !sought) {
            Seek(s, start);
            sought = true;
            continue;
        }
        if (!DecodeNext(s, true)) {
            s->ended = true;
            memset(out, 0, static_cast<size_t>(count) * sizeof(int16_t));
            return;
        }
    }
}
