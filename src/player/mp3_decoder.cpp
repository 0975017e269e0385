// MP3 decoding with minimp3. The one-thread loop is the definition of the result; the two-thread decode reproduces
// it exactly: the second thread starts kMp3WarmUpFrames frames before the middle frame, discards what those frames
// give, and keeps its decoder state as it reaches the middle. Its half is used only when the first thread arrives at
// the very same byte offset with a decoder state equal in every part that the next frame reads; otherwise (damaged
// streams, resynchronisation) the first thread simply decodes on to the end.
#include "player/mp3_decoder.h"

#include <minimp3.h>
#include <stdlib.h>
#include <string.h>

Mp3Decoder mp3Decoder = {};

namespace {

const int32_t kFirstCapacity = 1048576;  // 2 MiB of samples
const int32_t kMaxSamples = 0x7FFFFFFF;

// A mono output: growable (from kFirstCapacity, doubling), or a fixed region of a buffer shared by both threads,
// which must not move while they run.
struct MonoOut {
    int16_t* samples;
    int32_t count;
    int32_t capacity;
    bool fixed;
    bool overflowed;  // a fixed region was too small
};

bool Reserve(MonoOut* out, int64_t needed) {
    if (needed > kMaxSamples) return false;
    if (needed <= out->capacity) return true;
    if (out->fixed) {
        out->overflowed = true;
        return false;
    }
    int64_t capacity = out->capacity > 0 ? out->capacity : kFirstCapacity;
    while (capacity < needed) capacity *= 2;
    if (capacity > kMaxSamples) capacity = kMaxSamples;
    int16_t* grown = static_cast<int16_t*>(realloc(out->samples, static_cast<size_t>(capacity) * sizeof(int16_t)));
    if (!grown) return false;
    out->samples = grown;
    out->capacity = static_cast<int32_t>(capacity);
    return true;
}

// Appends one decoded frame as mono; false when the output cannot grow.
bool AppendMono(MonoOut* out, const int16_t* pcm, int frames, int channels) {
    if (!Reserve(out, static_cast<int64_t>(out->count) + frames)) return false;
    mp3MixToMono(pcm, frames, channels, out->samples + out->count);
    out->count += frames;
    return true;
}

// A stretch of consecutive output samples that came from frames of one rate.
struct RateRun {
    int32_t hz;
    int32_t count;
};

// What one decoding thread produces: mono samples of every frame, whatever its rate, with the runs telling the rates
// apart (the first-rate rule is applied when the halves are joined, when the first rate is known).
struct HalfOut {
    MonoOut mono;
    RateRun* runs;
    int32_t runCount;
    int32_t runCapacity;
};

bool AddRun(HalfOut* h, int32_t hz, int32_t count) {
    if (h->runCount > 0 && h->runs[h->runCount - 1].hz == hz) {
        h->runs[h->runCount - 1].count += count;
        return true;
    }
    if (h->runCount == h->runCapacity) {
        int32_t capacity = h->runCapacity ? h->runCapacity * 2 : 16;
        RateRun* grown = static_cast<RateRun*>(realloc(h->runs, static_cast<size_t>(capacity) * sizeof(RateRun)));
        if (!grown) return false;
        h->runs = grown;
        h->runCapacity = capacity;
    }
    h->runs[h->runCount++] = {hz, count};
    return true;
}

// The sequential loop's state, so that it can stop at the middle and go on from there.
struct Walk {
    mp3dec_t decoder;
    int32_t offset;
    int32_t rate;  // 0 until a frame with samples fixes it
    bool stopped;  // a frame of 0 bytes ended the loop
    bool failed;   // the output could not grow
};

// The sequential loop from walk->offset up to (not past) the offset limit.
void DecodeUntil(Walk* walk, const unsigned char* bytes, int32_t n, int32_t limit, MonoOut* out) {
    int16_t pcm[MINIMP3_MAX_SAMPLES_PER_FRAME];
    while (walk->offset < n && walk->offset < limit) {
        mp3dec_frame_info_t info;
        int frames = mp3dec_decode_frame(&walk->decoder, bytes + walk->offset, n - walk->offset, pcm, &info);
        if (info.frame_bytes <= 0) {
            walk->stopped = true;
            return;
        }
        walk->offset += info.frame_bytes;
        if (frames <= 0) continue;
        if (walk->rate == 0) walk->rate = info.hz;
        if (info.hz != walk->rate) continue;
        int channels = info.channels > 1 ? info.channels : 1;
        if (!AppendMono(out, pcm, frames, channels)) {
            walk->failed = true;
            return;
        }
    }
}

int Finish(MonoOut* out, int32_t rate, PcmTrack* track) {
    if (out->count > kMinTrackSamples && rate > 0) {
        track->samples = out->samples;
        track->sampleCount = out->count;
        track->sampleRate = rate;
        return 0;
    }
    free(out->samples);
    return -1;
}

// The second thread's job: decode from warmStart, keep the decoder state found at exactly `middle`, then keep every
// frame's output to the end.
struct SecondHalf {
    const unsigned char* bytes;
    int32_t n;
    int32_t warmStart;
    int32_t middle;
    bool reachedMiddle;
    bool failed;
    mp3dec_t stateAtMiddle;
    HalfOut out;
};

void DecodeSecondHalf(void* argument) {
    SecondHalf* job = static_cast<SecondHalf*>(argument);
    mp3dec_t decoder;
    mp3dec_init(&decoder);
    int16_t pcm[MINIMP3_MAX_SAMPLES_PER_FRAME];
    int32_t offset = job->warmStart;
    while (offset < job->n) {
        if (offset == job->middle && !job->reachedMiddle) {
            job->stateAtMiddle = decoder;
            job->reachedMiddle = true;
        }
        // A warm-up that steps over the middle cannot be joined to the first half.
        if (offset > job->middle && !job->reachedMiddle) return;
        mp3dec_frame_info_t info;
        int frames = mp3dec_decode_frame(&decoder, job->bytes + offset, job->n - offset, pcm, &info);
        if (info.frame_bytes <= 0) return;
        offset += info.frame_bytes;
        if (frames <= 0 || !job->reachedMiddle) continue;
        int channels = info.channels > 1 ? info.channels : 1;
        if (!AppendMono(&job->out.mono, pcm, frames, channels) || !AddRun(&job->out, info.hz, frames)) {
            job->failed = true;
            return;
        }
    }
}

// Filter-bank history entries that no later frame reads. The synthesis reads positions 0..59 of each 64-float block
// only, and in the last block it overwrites the positions of the odd samples (index % 4 = 2 or 3) before reading
// them. These entries are filled from uninitialised scratch memory, so two decoders in the same state differ there.
bool QmfEntryIsRead(int index) {
    return index % 64 < 60 && (index < 14 * 64 || index % 4 < 2);
}

// Equal in everything the next mp3dec_decode_frame call reads, compared bit for bit. Reservoir bytes past `reserv`
// are stale leftovers that are never read either.
bool SameDecoderState(const mp3dec_t& a, const mp3dec_t& b) {
    if (memcmp(a.header, b.header, sizeof a.header) != 0 || a.free_format_bytes != b.free_format_bytes ||
        a.reserv != b.reserv || a.reserv < 0 || a.reserv > static_cast<int>(sizeof a.reserv_buf) ||
        memcmp(a.reserv_buf, b.reserv_buf, static_cast<size_t>(a.reserv)) != 0 ||
        memcmp(a.mdct_overlap, b.mdct_overlap, sizeof a.mdct_overlap) != 0) {
        return false;
    }
    const int entries = static_cast<int>(sizeof a.qmf_state / sizeof a.qmf_state[0]);
    for (int i = 0; i < entries; ++i) {
        if (QmfEntryIsRead(i) && memcmp(&a.qmf_state[i], &b.qmf_state[i], sizeof(float)) != 0) return false;
    }
    return true;
}

// Frame starts as the decoder finds them when every frame decodes: the offsets of frame index `warm` and `middle`
// (middle = half the frame count). Returns the frame count.
// Also the samples the frames before the middle and all frames announce at the first frame's rate: where the second
// half's output will start and how long the track will be, when every frame decodes.
int32_t FindSplit(const unsigned char* bytes, int32_t n, int32_t skip, int32_t minFrames, int32_t warmUp,
                  int32_t* warmStart, int32_t* middle, int64_t* samplesBefore, int64_t* samplesTotal) {
    mp3dec_t decoder;
    mp3dec_init(&decoder);
    int32_t frames = 0;
    int rate = 0;
    *samplesTotal = 0;
    for (int32_t offset = skip; offset < n;) {
        mp3dec_frame_info_t info;
        int samples = mp3dec_decode_frame(&decoder, bytes + offset, n - offset, nullptr, &info);
        if (info.frame_bytes <= 0) break;
        offset += info.frame_bytes;
        ++frames;
        if (rate == 0 && samples > 0) rate = info.hz;
        if (samples > 0 && info.hz == rate) *samplesTotal += samples;
    }
    if (frames < minFrames || frames < 2 * warmUp + 2) return frames;
    const int32_t middleIndex = frames / 2;
    mp3dec_init(&decoder);
    int32_t index = 0;
    *samplesBefore = 0;
    for (int32_t offset = skip; offset < n && index <= middleIndex;) {
        mp3dec_frame_info_t info;
        int samples = mp3dec_decode_frame(&decoder, bytes + offset, n - offset, nullptr, &info);
        if (info.frame_bytes <= 0) break;
        if (index < middleIndex && samples > 0 && info.hz == rate) *samplesBefore += samples;
        // Offsets are where a decode call starts (frame_bytes includes any junk skipped before the frame), which is
        // where the first thread's loop stands after the previous frame.
        if (index == middleIndex - warmUp) *warmStart = offset;
        if (index == middleIndex) *middle = offset;
        offset += info.frame_bytes;
        ++index;
    }
    return frames;
}

}  // namespace

void mp3MixToMono(const int16_t* pcm, int frames, int channels, int16_t* out) {
    if (channels == 1) {
        memcpy(out, pcm, static_cast<size_t>(frames) * sizeof(int16_t));
        return;
    }
    for (int i = 0; i < frames; ++i) {
        int sum = 0;
        for (int c = 0; c < channels; ++c) sum += pcm[i * channels + c];
        out[i] = static_cast<int16_t>(sum / channels);  // integer division truncates toward zero
    }
}

int32_t id3v2SkipBytes(const unsigned char* bytes, int64_t n) {
    if (n < 11 || memcmp(bytes, "ID3", 3) != 0) return 0;
    int64_t size = (static_cast<int64_t>(bytes[6] & 0x7F) << 21) | ((bytes[7] & 0x7F) << 14) |
                   ((bytes[8] & 0x7F) << 7) | (bytes[9] & 0x7F);
    int64_t skip = size + ((bytes[5] & 0x10) ? 20 : 10);
    return skip >= n ? 0 : static_cast<int32_t>(skip);
}

int decodeMp3Sequential(const unsigned char* bytes, int32_t n, PcmTrack* track) {
    MonoOut out = {nullptr, 0, 0, false, false};
    if (!Reserve(&out, kFirstCapacity)) return -1;
    Walk walk;
    mp3dec_init(&walk.decoder);
    walk.offset = id3v2SkipBytes(bytes, n);
    walk.rate = 0;
    walk.stopped = walk.failed = false;
    DecodeUntil(&walk, bytes, n, n, &out);
    if (walk.failed) {
        free(out.samples);
        return -1;
    }
    return Finish(&out, walk.rate, track);
}

int decodeMp3(const unsigned char* bytes, int32_t n, PcmTrack* track, const ThreadApi* threads, int32_t splitMinFrames,
              int32_t warmUpFrames) {
    mp3Decoder.lastDecodeSplit = false;
    const int32_t skip = id3v2SkipBytes(bytes, n);
    int32_t warmStart = -1, middle = -1;
    int64_t before = 0, total = 0;
    if (!threads || warmUpFrames < 0 ||
        FindSplit(bytes, n, skip, splitMinFrames, warmUpFrames, &warmStart, &middle, &before, &total) <
            splitMinFrames ||
        warmStart < 0 || middle < warmStart || total > kMaxSamples) {
        return decodeMp3Sequential(bytes, n, track);
    }

    // One buffer for the whole track, sized by the frame headers, so that nothing is copied or moved when every
    // frame decodes:
    //   [first half: `before` samples, first thread][second half: `total - before` samples, second thread]
    const int64_t capacity = total > kFirstCapacity ? total : kFirstCapacity;
    SecondHalf* job = static_cast<SecondHalf*>(calloc(1, sizeof(SecondHalf)));
    int16_t* buffer = static_cast<int16_t*>(malloc(static_cast<size_t>(capacity) * sizeof(int16_t)));
    if (!job || !buffer) {
        free(job);
        free(buffer);
        return decodeMp3Sequential(bytes, n, track);
    }
    MonoOut out = {buffer, 0, static_cast<int32_t>(before), true, false};
    job->bytes = bytes;
    job->n = n;
    job->warmStart = warmStart;
    job->middle = middle;
    job->out.mono = {buffer + before, 0, static_cast<int32_t>(capacity - before), true, false};
    ThreadHandle thread = nullptr;
    bool started = threads->start(&thread, DecodeSecondHalf, job) == 0;
    if (!started) out.fixed = false, out.capacity = static_cast<int32_t>(capacity);

    Walk walk;
    mp3dec_init(&walk.decoder);
    walk.offset = skip;
    walk.rate = 0;
    walk.stopped = walk.failed = false;
    DecodeUntil(&walk, bytes, n, started ? middle : n, &out);
    if (started) {
        threads->join(thread, -1);
        threads->release(thread);
    }
    // The buffer is the first thread's alone from here on.
    out.fixed = false;
    out.capacity = static_cast<int32_t>(capacity);

    bool join = started && !walk.failed && !walk.stopped && walk.offset == middle && job->reachedMiddle &&
                !job->failed && SameDecoderState(walk.decoder, job->stateAtMiddle);
    if (join) {
        // The first-rate rule over the second half: runs at the track's rate are kept, moved down to follow the
        // first half (a move only when a frame gave fewer samples than its header announced, or rates mixed).
        int64_t src = before;
        for (int32_t r = 0; r < job->out.runCount; ++r) {
            const RateRun& run = job->out.runs[r];
            if (walk.rate == 0) walk.rate = run.hz;
            if (run.hz == walk.rate) {
                if (src != out.count) {
                    memmove(out.samples + out.count, out.samples + src, static_cast<size_t>(run.count) * 2);
                }
                out.count += run.count;
            }
            src += run.count;
        }
        mp3Decoder.lastDecodeSplit = true;
    } else if (out.overflowed) {
        // The headers promised fewer samples than the first half gave: start over on one thread.
        free(job->out.runs);
        free(job);
        free(out.samples);
        return decodeMp3Sequential(bytes, n, track);
    } else if (started && !walk.failed && !walk.stopped) {
        DecodeUntil(&walk, bytes, n, n, &out);
    }
    free(job->out.runs);
    free(job);
    if (walk.failed) {
        free(out.samples);
        return -1;
    }
    return Finish(&out, walk.rate, track);
}
