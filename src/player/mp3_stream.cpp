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
//
// The walk keeps its own decoders and its own bytes, so that it can stop after any frame and go on later, between
// the playing decoder's reads, without disturbing either. Until it reaches the end, a seek past the last entry walks
// on to the place first; reading on needs no index.
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

// A stretch of the file in memory.
struct FileBytes {
    unsigned char* bytes;  // kMp3ReadBytes
    int64_t start;
    int32_t length;
    bool readFailed;
};

// Where the walk is, so that it can go on.
struct WalkState {
    mp3dec_t headers;
    mp3dec_t real;  // run after a resynchronisation until a frame yields
    bool realRunning;
    int64_t offset;
    int64_t frames;
    int64_t position;
    int32_t rate;
    bool exact;
    bool done;
    int64_t capacity;  // entries the index has room for
};

}  // namespace

int64_t mp3ScanBytesAtOpen = kMp3ScanBytesAtOpen;
int64_t mp3ScanBytesPerSlice = kMp3ScanSliceBytes;

struct Mp3Stream {
    const FileApi* files;
    FileHandle file;
    int64_t size;
    int64_t skip;
    FileBytes play;  // the playing decoder's
    FileBytes scan;  // the walk's
    Checkpoint* checkpoints;
    int64_t checkpointCount;
    WalkState walk;
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
const unsigned char* Bytes(Mp3Stream* s, FileBytes* b, int64_t offset, int32_t want, int32_t* available) {
    int64_t end = offset + want < s->size ? offset + want : s->size;
    if (offset < b->start || end > b->start + b->length) {
        int64_t left = s->size - offset;
        uint32_t length = left < kMp3ReadBytes ? static_cast<uint32_t>(left) : static_cast<uint32_t>(kMp3ReadBytes);
        uint32_t got = 0;
        b->start = offset;
        b->length = 0;
        if (!succeeded(s->files->seekStart(s->file, offset))) {
            b->readFailed = true;
            *available = 0;
            return b->bytes;
        }
        while (got < length) {
            uint32_t n = 0;
            if (!succeeded(s->files->read(s->file, b->bytes + got, length - got, &n)) || n == 0) {
                b->readFailed = true;
                break;
            }
            got += n;
        }
        b->length = static_cast<int32_t>(got);
    }
    *available = static_cast<int32_t>(b->start + b->length - offset);
    return b->bytes + (offset - b->start);
}

bool AtEndOfFile(const Mp3Stream* s, const FileBytes* b) {
    return b->start + b->length >= s->size;
}

bool Reserve(Mp3Stream* s, int64_t entries) {
    if (entries <= s->walk.capacity) return true;
    Checkpoint* c =
        static_cast<Checkpoint*>(realloc(s->checkpoints, static_cast<size_t>(entries) * sizeof(Checkpoint)));
    if (!c) return false;
    s->checkpoints = c;
    s->walk.capacity = entries;
    return true;
}

bool AddCheckpoint(Mp3Stream* s, int64_t offset, int64_t position) {
    if (s->checkpointCount == s->walk.capacity && !Reserve(s, s->walk.capacity ? s->walk.capacity * 2 : 1024)) {
        return false;
    }
    s->checkpoints[s->checkpointCount++] = {offset, position};
    return true;
}

// The length the walk has found, or while it has not reached the end, the length at the rate of samples per byte so
// far (exact for a constant rate of bits, close for a variable one).
void UpdateInfo(Mp3Stream* s) {
    const WalkState& w = s->walk;
    s->info.sampleRate = w.rate;
    s->info.frames = w.frames;
    s->info.exact = w.exact;
    s->info.settled = w.done;
    s->info.sampleCount = w.position;
    const int64_t walked = w.offset - s->skip;
    if (!w.done && walked > 0) {
        const double estimate = static_cast<double>(w.position) * static_cast<double>(s->size - s->skip) / walked;
        if (estimate > static_cast<double>(w.position) && estimate < 9.0e18) {
            s->info.sampleCount = static_cast<int64_t>(estimate);
        }
    }
}

// Walks frames until the call offset reaches `until` or the end. 0, -2 (memory), -3 (read).
int WalkOn(Mp3Stream* s, int64_t until) {
    WalkState& w = s->walk;
    int16_t pcm[MINIMP3_MAX_SAMPLES_PER_FRAME];
    int result = 0;
    while (!w.done && w.offset < until) {
        if (w.offset >= s->size) {
            w.done = true;
            break;
        }
        int32_t available = 0;
        const unsigned char* p = Bytes(s, &s->scan, w.offset, kLookahead, &available);
        if (s->scan.readFailed) {
            result = -3;
            break;
        }
        // A field the header-only call never touches and a resynchronisation clears: it tells the two apart.
        w.headers.reserv = 1;
        mp3dec_frame_info_t info;
        int samples = mp3dec_decode_frame(&w.headers, p, available, nullptr, &info);
        if (info.frame_bytes <= 0) {
            w.done = true;
            break;
        }
        if (!AtEndOfFile(s, &s->scan) && info.frame_bytes + kExamined > available) w.exact = false;
        if (w.headers.reserv == 0) {
            mp3dec_init(&w.real);
            w.realRunning = true;
        }
        if (w.frames % kMp3CheckpointFrames == 0 && !AddCheckpoint(s, w.offset, w.position)) {
            result = -2;
            break;
        }
        int hz = info.hz;
        if (w.realRunning) {
            mp3dec_frame_info_t realInfo;
            samples = mp3dec_decode_frame(&w.real, p, available, pcm, &realInfo);
            if (realInfo.frame_bytes != info.frame_bytes) w.exact = false;
            hz = realInfo.hz;
            if (samples > 0) w.realRunning = false;
        }
        if (samples > 0 && w.rate == 0) w.rate = hz;
        if (samples > 0 && hz == w.rate) w.position += samples;
        w.offset += info.frame_bytes;
        ++w.frames;
    }
    UpdateInfo(s);
    return result;
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
    const unsigned char* p = Bytes(s, &s->play, s->callOffset, kLookahead, &available);
    if (s->play.readFailed || available <= 0) return false;
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

// Walks on until the index holds an entry past p, so that the entry holding p is the one the whole index gives. A
// walk that cannot read on ends there: the index then holds all it will.
void WalkPast(Mp3Stream* s, int64_t p) {
    while (!s->walk.done && (s->checkpointCount == 0 || s->checkpoints[s->checkpointCount - 1].position <= p)) {
        if (WalkOn(s, s->walk.offset + mp3ScanBytesPerSlice) != 0) {
            s->walk.done = true;
            UpdateInfo(s);
        }
    }
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
        s->play.readFailed = false;
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
    unsigned char* play = static_cast<unsigned char*>(malloc(kMp3ReadBytes));
    unsigned char* scan = static_cast<unsigned char*>(malloc(kMp3ReadBytes));
    if (!s || !play || !scan) {
        free(s);
        free(play);
        free(scan);
        return -2;
    }
    s->files = files;
    s->file = file;
    s->size = size;
    s->skip = skip;
    s->play = {play, 0, 0, false};
    s->scan = {scan, 0, 0, false};
    mp3dec_init(&s->walk.headers);
    s->walk.offset = skip;
    s->walk.exact = true;
    int r = WalkOn(s, skip + mp3ScanBytesAtOpen);
    // A start too short to say whether this is a track walks on until it can say.
    while (r == 0 && !s->walk.done && s->walk.position <= kMinTrackSamples) {
        r = WalkOn(s, s->walk.offset + mp3ScanBytesPerSlice);
    }
    if (r == 0 && (s->walk.rate <= 0 || s->walk.position <= kMinTrackSamples)) r = -1;
    if (r != 0) {
        mp3StreamClose(s);
        return r;
    }
    if (s->walk.done) {
        // The index is complete; its spare room goes back.
        Checkpoint* tight = static_cast<Checkpoint*>(
            realloc(s->checkpoints, static_cast<size_t>(s->checkpointCount) * sizeof(Checkpoint)));
        if (tight) s->checkpoints = tight;
        s->walk.capacity = s->checkpointCount;
    } else {
        // Room for the estimated whole index and a quarter more, so that the later slices seldom allocate.
        const double share = static_cast<double>(s->size - skip) / static_cast<double>(s->walk.offset - skip);
        const double entries = static_cast<double>(s->checkpointCount) * share * 1.25 + 64;
        if (entries < 1.0e9 && !Reserve(s, static_cast<int64_t>(entries))) {
            mp3StreamClose(s);
            return -2;
        }
    }
    s->counting = false;
    *stream = s;
    return 0;
}

bool mp3StreamScan(Mp3Stream* s, int64_t bytes) {
    if (s->walk.done) return true;
    const int64_t until = bytes < 0 ? s->size : s->walk.offset + bytes;
    if (WalkOn(s, until) != 0) {
        s->walk.done = true;
        UpdateInfo(s);
    }
    return s->walk.done;
}

void mp3StreamClose(Mp3Stream* s) {
    if (!s) return;
    free(s->checkpoints);
    free(s->play.bytes);
    free(s->scan.bytes);
    free(s);
}

Mp3StreamInfo mp3StreamInfo(const Mp3Stream* s) {
    return s->info;
}

int64_t mp3StreamRestarts(const Mp3Stream* s) {
    return s->restarts;
}

void mp3StreamRead(Mp3Stream* s, int64_t start, int32_t count, int16_t* out) {
    // Until the walk has settled the length, the end is where the frames end.
    const int64_t length = s->walk.done ? s->info.sampleCount : INT64_MAX;
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
        WalkPast(s, start);
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
