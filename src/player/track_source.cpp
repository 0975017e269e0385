// Opening a track for playing: the same choice of decoder as loadTrack, made on the first bytes and the size.
#include "player/track_source.h"

#include <stdlib.h>
#include <string.h>

#include "base/file_read.h"
#include "player/mp3_decoder.h"

namespace {

// What readWholeFile is allowed to hold: the decoders that work in memory take int32 sizes.
const int64_t kMaxWholeBytes = 0x7FFFFFFF;

struct FilePeek {
    const FileApi* files;
    FileHandle file;
};

// Reads `want` bytes at offset; fewer at the end of the file or on a failed read.
uint32_t ReadAt(const FileApi* files, FileHandle file, uint64_t offset, unsigned char* buffer, uint32_t want) {
    if (!succeeded(files->seekStart(file, static_cast<int64_t>(offset)))) return 0;
    uint32_t got = 0;
    while (got < want) {
        uint32_t n = 0;
        if (!succeeded(files->read(file, buffer + got, want - got, &n)) || n == 0) break;
        got += n;
    }
    return got;
}

uint32_t PeekFile(void* context, uint64_t offset, unsigned char* buffer, uint32_t want) {
    const FilePeek* f = static_cast<const FilePeek*>(context);
    return ReadAt(f->files, f->file, offset, buffer, want);
}

void CloseFile(TrackSource* s) {
    if (s->file != kNoFile) s->files->close(s->file);
    s->file = kNoFile;
}

// The whole-file path for a file already chosen as MP3 (and not taken by the index): the bytes through decodeMp3.
Outcome DecodeMp3Whole(TrackSource* s, const wchar_t* path, const ThreadApi* threads) {
    unsigned char* bytes = nullptr;
    int64_t n = readWholeFile(s->files, path, kMaxWholeBytes, &bytes);
    if (n == -3) return Outcome::kOutOfMemory;
    if (n <= 0) {
        free(bytes);
        return n == 0 ? Outcome::kUndecodable : Outcome::kOpenFailed;
    }
    int r = decodeMp3(bytes, static_cast<int32_t>(n), &s->whole, threads, kMp3SplitMinFrames);
    free(bytes);
    return r == 0 ? Outcome::kOk : Outcome::kUndecodable;
}

// kOk, kUndecodable (the general decoder is next), kOutOfMemory or kOpenFailed.
Outcome OpenBuiltIn(TrackSource* s, const wchar_t* path, const ThreadApi* threads, int64_t size) {
    unsigned char head[16];
    const uint32_t want = size < 16 ? static_cast<uint32_t>(size) : 16u;
    if (ReadAt(s->files, s->file, 0, head, want) < want) return Outcome::kOpenFailed;
    const int32_t n = size < 0x7FFFFFFF ? static_cast<int32_t>(size) : 0x7FFFFFFF;
    const TrackDecoder first = chooseDecoder(head, n);
    if (first == TrackDecoder::Wav) {
        FilePeek peek = {s->files, s->file};
        if (wavLocateData(PeekFile, &peek, static_cast<uint64_t>(size), &s->wav) != 0) return Outcome::kUndecodable;
        s->staging = static_cast<unsigned char*>(
            malloc(static_cast<size_t>(kWavStagingFrames) * (s->wav.format.bits / 8u) * s->wav.format.channels));
        if (!s->staging) return Outcome::kOutOfMemory;
        s->decoder = TrackDecoder::Wav;
        s->sampleRate = static_cast<int32_t>(s->wav.format.sampleRate);
        s->sampleCount = static_cast<int64_t>(s->wav.frames);
        return Outcome::kOk;
    }
    if (first != TrackDecoder::Mp3) return Outcome::kUndecodable;
    unsigned char tag[10];
    const uint32_t tagWant = size < 10 ? static_cast<uint32_t>(size) : 10u;
    memcpy(tag, head, tagWant);
    const int64_t skip = tagWant == 10 ? id3v2SkipBytes(tag, size) : 0;
    int r = mp3StreamOpen(s->files, s->file, size, skip, &s->mp3);
    if (r == -2) return Outcome::kOutOfMemory;
    if (r == -3) return Outcome::kOpenFailed;
    if (r != 0) return Outcome::kUndecodable;
    const Mp3StreamInfo info = mp3StreamInfo(s->mp3);
    if (!info.exact && size <= kMaxWholeBytes) {
        mp3StreamClose(s->mp3);
        s->mp3 = nullptr;
        CloseFile(s);
        Outcome whole = DecodeMp3Whole(s, path, threads);
        if (!succeeded(whole)) return whole;
        s->decoder = TrackDecoder::Mp3;
        s->sampleRate = s->whole.sampleRate;
        s->sampleCount = s->whole.sampleCount;
        return Outcome::kOk;
    }
    s->decoder = TrackDecoder::Mp3;
    s->sampleRate = info.sampleRate;
    s->sampleCount = info.sampleCount;
    return Outcome::kOk;
}

void ReadWav(TrackSource* s, int64_t start, int32_t count, int16_t* out) {
    const WavFormat& f = s->wav.format;
    const uint32_t frameBytes = (f.bits / 8u) * f.channels;
    while (count > 0) {
        int32_t n = count < kWavStagingFrames ? count : kWavStagingFrames;
        const uint64_t offset = s->wav.dataStart + static_cast<uint64_t>(start) * frameBytes;
        const uint32_t got = ReadAt(s->files, s->file, offset, s->staging, static_cast<uint32_t>(n) * frameBytes);
        const int32_t whole = static_cast<int32_t>(got / frameBytes);
        wavMixFrames(s->staging, f, whole, out);
        // A file cut or unreadable since it was opened plays on as silence.
        if (whole < n) memset(out + whole, 0, static_cast<size_t>(n - whole) * sizeof(int16_t));
        out += n;
        start += n;
        count -= n;
    }
}

void SeekGeneral(GeneralPlay* g, int64_t aim) {
    g->aim = aim > 0 ? aim : 0;
    g->held = nullptr;
    g->heldCount = 0;
    g->ended = false;
    g->seeks += 1;
    g->onward = g->api->seek(g->stream, g->aim) == 0;
    g->timed = true;
}

// The general decoder's stream from `start` on. Reading on from where the last read ended decodes on; anywhere else
// seeks a little before the place and decodes forward from there. The stretch after a seek is placed by its timestamp,
// which may lie before the place (the seek landing early, or the lead before it); those after it follow on, sample
// after sample as a decode from the start strings them together. What comes before the place is dropped; a seek that
// lands after it is made again from further back.
void ReadGeneral(GeneralPlay* g, int64_t start, int32_t count, int16_t* out) {
    if (!g->onward || start != g->next) {
        g->retries = 0;
        SeekGeneral(g, start - kGeneralSeekLead);
    }
    int32_t done = 0;
    while (g->onward && done < count) {
        if (g->heldCount == 0) {
            if (g->ended) break;
            const int16_t* samples = nullptr;
            int32_t n = 0;
            int64_t first = 0;
            const int r = g->api->read(g->stream, &samples, &n, &first);
            if (r == 1) {
                g->ended = true;
                break;
            }
            // A decoder that fails mid-way plays on as silence; the next read tries again with a seek.
            if (r != 0 || n <= 0) {
                g->onward = false;
                break;
            }
            if (g->timed && first > start && g->aim > 0 && g->retries < kGeneralSeekRetries) {
                g->retries += 1;
                SeekGeneral(g, start - (start - g->aim) * 4);
                continue;
            }
            if (g->timed) g->cursor = first;
            g->timed = false;
            g->held = samples;
            g->heldCount = n;
            g->heldFirst = g->cursor;
            g->cursor += n;
        }
        const int64_t at = start + done;
        if (g->heldFirst + g->heldCount <= at) {
            g->heldCount = 0;
            continue;
        }
        if (g->heldFirst > at) {
            // The stream starts after the place (a seek that landed late): silence up to where it does.
            const int64_t gap = g->heldFirst - at;
            const int32_t n = gap < count - done ? static_cast<int32_t>(gap) : count - done;
            memset(out + done, 0, static_cast<size_t>(n) * sizeof(int16_t));
            done += n;
            continue;
        }
        const int32_t skip = static_cast<int32_t>(at - g->heldFirst);
        const int32_t left = g->heldCount - skip;
        const int32_t n = left < count - done ? left : count - done;
        memcpy(out + done, g->held + skip, static_cast<size_t>(n) * sizeof(int16_t));
        done += n;
        g->held += skip + n;
        g->heldCount -= skip + n;
        g->heldFirst += skip + n;
    }
    if (done < count) memset(out + done, 0, static_cast<size_t>(count - done) * sizeof(int16_t));
    g->next = start + count;
}

// The general decoder: streamed when it tells the duration, decoded whole as before when it cannot.
Outcome OpenGeneral(TrackSource* s, const wchar_t* path, const GeneralDecoderApi* general) {
    GeneralStream* stream = nullptr;
    int64_t count = 0;
    const int r = general->open(path, &stream, &count);
    if (r == 0 && count <= kMinTrackSamples) general->close(stream);
    if (r == 0 && count > kMinTrackSamples) {
        s->decoder = TrackDecoder::General;
        s->sampleRate = kGeneralDecoderRate;
        s->sampleCount = count;
        s->general.api = general;
        s->general.stream = stream;
        // A fresh stream stands at the start.
        s->general.onward = true;
        s->general.timed = true;
        return Outcome::kOk;
    }
    if (r != 1 || general->decode(path, &s->whole) != 0) return Outcome::kUndecodable;
    s->decoder = TrackDecoder::General;
    s->sampleRate = s->whole.sampleRate;
    s->sampleCount = s->whole.sampleCount;
    return Outcome::kOk;
}

}  // namespace

Outcome trackSourceOpen(const wchar_t* path, const FileApi* files, const GeneralDecoderApi* general,
                        const ThreadApi* threads, TrackSource* source) {
    TrackSource* s = source;
    memset(s, 0, sizeof *s);
    s->decoder = TrackDecoder::None;
    s->files = files;
    s->file = kNoFile;
    if (!succeeded(files->openRead(path, &s->file))) {
        s->file = kNoFile;
        return Outcome::kOpenFailed;
    }
    const int64_t size = files->sizeOfPath(path);
    if (size < 0) {
        trackSourceClose(s);
        return Outcome::kOpenFailed;
    }
    if (size == 0) {
        // An empty file is no track; nothing else would read it either.
        trackSourceClose(s);
        return Outcome::kUndecodable;
    }
    Outcome r = OpenBuiltIn(s, path, threads, size);
    if (succeeded(r)) return r;
    trackSourceClose(s);
    if (r != Outcome::kUndecodable) return r;
    s->files = files;
    return OpenGeneral(s, path, general);
}

void trackSourceClose(TrackSource* s) {
    mp3StreamClose(s->mp3);
    s->mp3 = nullptr;
    free(s->staging);
    s->staging = nullptr;
    pcmTrackFree(&s->whole);
    if (s->general.stream) s->general.api->close(s->general.stream);
    memset(&s->general, 0, sizeof s->general);
    if (s->files) CloseFile(s);
    s->decoder = TrackDecoder::None;
    s->sampleCount = 0;
    s->sampleRate = 0;
}

bool trackSourceSettled(const TrackSource* s) {
    return !s->mp3 || mp3StreamInfo(s->mp3).settled;
}

bool trackSourceSettle(TrackSource* s, bool toTheEnd, int64_t* length) {
    *length = s->sampleCount;
    if (!s->mp3) return true;
    if (!mp3StreamScan(s->mp3, toTheEnd ? -1 : mp3ScanBytesPerSlice)) return false;
    *length = mp3StreamInfo(s->mp3).sampleCount;
    return true;
}

void trackSourceRead(TrackSource* s, int64_t start, int32_t count, int16_t* out) {
    // Silence before the start and past the end, whatever reads the rest.
    while (count > 0 && start < 0) {
        *out++ = 0;
        ++start;
        --count;
    }
    int32_t inside = count;
    if (start >= s->sampleCount) {
        inside = 0;
    } else if (s->sampleCount - start < count) {
        inside = static_cast<int32_t>(s->sampleCount - start);
    }
    if (inside > 0) {
        if (s->whole.samples) {
            memcpy(out, s->whole.samples + start, static_cast<size_t>(inside) * sizeof(int16_t));
        } else if (s->decoder == TrackDecoder::Wav) {
            ReadWav(s, start, inside, out);
        } else if (s->mp3) {
            mp3StreamRead(s->mp3, start, inside, out);
        } else if (s->general.stream) {
            ReadGeneral(&s->general, start, inside, out);
        } else {
            memset(out, 0, static_cast<size_t>(inside) * sizeof(int16_t));
        }
    }
    if (count > inside) memset(out + inside, 0, static_cast<size_t>(count - inside) * sizeof(int16_t));
}

bool trackSourceThreadBegin(const TrackSource* s) {
    return s->general.stream && s->general.api->threadBegin() == 0;
}

void trackSourceThreadEnd(TrackSource* s, bool began) {
    if (!s->general.stream) return;
    s->general.api->detach(s->general.stream);
    // What the stream held was this thread's; another thread starts with a seek.
    s->general.onward = false;
    s->general.heldCount = 0;
    if (began) s->general.api->threadEnd();
}
