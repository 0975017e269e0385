// Adapts the general-decoder seam to the Media Foundation source reader: it asks for PCM mono 16-bit at 44100 Hz on
// the first audio stream and lets the platform convert whatever the file holds (M4A and the like). The whole-file
// decode and the open of a stream run on the UI thread, whose COM the application initialised at start-up. The seam
// keeps this platform service out of the portable decoder chain, which natively has no general decoder at all.
// Media Foundation is loaded at the first file that needs it (app/system_library_win.cpp says why); where it is
// missing, this decoder refuses every file.
//
// A stream is read on the player's playback thread while it was opened on the UI thread, a single-threaded apartment.
// The open only learns what the file is (it decodes, its duration, the timestamp of its first sample) with a reader it
// lets go of at once; the reader that plays is made on the thread that reads, when that thread first seeks or reads,
// and let go of there (detach) before the thread ends. So no COM object is ever called from a thread other than the
// one that made it, and none needs marshalling between the UI thread's apartment and the playback thread. The playback
// thread joins the multithreaded apartment (threadBegin), the one Media Foundation recommends: its work queues run
// there. The MFStartup each stream holds is process-wide and counted, so it may be taken on one thread and given back
// on another.
#include "player/mf_decoder_win.h"

#include <windows.h>

#include <mfapi.h>
#include <mferror.h>
#include <mfidl.h>
#include <mfreadwrite.h>
#include <objbase.h>
#include <propidl.h>

#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "base/system_library_win.h"

namespace {

const int32_t kRate = 44100;
const int64_t kFirstCapacity = 441000;  // 10 s at 44100 Hz
const int64_t kCapacityCap = 0x3FFFFFFF;
const int64_t kSampleLimit = 0x80000000LL;  // 2^31 samples

// The entry points used, resolved once for the life of the process.
struct MediaFoundation {
    int state;  // 0 not tried yet, 1 loaded, -1 missing
    HRESULT(WINAPI* startup)(ULONG, DWORD);
    HRESULT(WINAPI* shutdown)();
    HRESULT(WINAPI* createMediaType)(IMFMediaType**);
    HRESULT(WINAPI* createSourceReaderFromURL)(LPCWSTR, IMFAttributes*, IMFSourceReader**);
};
MediaFoundation mf;

template <typename F>
bool Resolve(const wchar_t* library, const char* name, F* out) {
    SystemProc proc = SystemFunction(library, name);
    *out = reinterpret_cast<F>(proc);
    return proc != nullptr;
}

bool LoadMediaFoundation() {
    if (mf.state == 0) {
        bool ok = Resolve(L"mfplat.dll", "MFStartup", &mf.startup) &&
                  Resolve(L"mfplat.dll", "MFShutdown", &mf.shutdown) &&
                  Resolve(L"mfplat.dll", "MFCreateMediaType", &mf.createMediaType) &&
                  Resolve(L"mfreadwrite.dll", "MFCreateSourceReaderFromURL", &mf.createSourceReaderFromURL);
        mf.state = ok ? 1 : -1;
    }
    return mf.state == 1;
}

template <typename T>
void Release(T** p) {
    if (*p) {
        (*p)->Release();
        *p = nullptr;
    }
}

// Appends a delivered sample's bytes as int16 samples; false on any of the decoder's failures.
bool AppendSample(IMFSample* sample, int16_t** out, int64_t* count, int64_t* capacity) {
    IMFMediaBuffer* buffer = nullptr;
    if (FAILED(sample->ConvertToContiguousBuffer(&buffer))) return false;
    BYTE* data = nullptr;
    DWORD length = 0;
    if (FAILED(buffer->Lock(&data, nullptr, &length))) {
        buffer->Release();
        return false;
    }
    bool ok = (length & 1) == 0 && *count + length / 2 < kSampleLimit;
    int64_t needed = *count + length / 2;
    if (ok && needed > *capacity) {
        int64_t grown = *capacity > 0 ? *capacity : kFirstCapacity;
        while (grown < needed && grown <= kCapacityCap) grown *= 2;
        if (grown > kCapacityCap) grown = 0x7FFFFFFF;
        int16_t* bigger = static_cast<int16_t*>(realloc(*out, static_cast<size_t>(grown) * sizeof(int16_t)));
        if (bigger) {
            *out = bigger;
            *capacity = grown;
        } else {
            ok = false;
        }
    }
    if (ok) {
        memcpy(*out + *count, data, length);
        *count = needed;
    }
    buffer->Unlock();
    buffer->Release();
    return ok;
}

// A source reader on the file that gives PCM mono 16-bit at 44100 Hz from its first audio stream only, or null.
IMFSourceReader* OpenReader(const wchar_t* path) {
    IMFSourceReader* reader = nullptr;
    IMFMediaType* type = nullptr;
    const DWORD stream = static_cast<DWORD>(MF_SOURCE_READER_FIRST_AUDIO_STREAM);
    bool ok = SUCCEEDED(mf.createSourceReaderFromURL(path, nullptr, &reader)) && SUCCEEDED(mf.createMediaType(&type)) &&
              SUCCEEDED(type->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio)) &&
              SUCCEEDED(type->SetGUID(MF_MT_SUBTYPE, MFAudioFormat_PCM)) &&
              SUCCEEDED(type->SetUINT32(MF_MT_AUDIO_NUM_CHANNELS, 1)) &&
              SUCCEEDED(type->SetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, kRate)) &&
              SUCCEEDED(type->SetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, 16)) &&
              SUCCEEDED(type->SetUINT32(MF_MT_AUDIO_BLOCK_ALIGNMENT, 2)) &&
              SUCCEEDED(type->SetUINT32(MF_MT_AUDIO_AVG_BYTES_PER_SECOND, kRate * 2)) &&
              SUCCEEDED(reader->SetCurrentMediaType(stream, nullptr, type));
    Release(&type);
    if (!ok) Release(&reader);
    return reader;
}

// The next delivered sample of the audio stream: 1 and *sample, 0 at the end of the stream, -1 on failure. *ended
// is set once the reader has said the stream ended (its last sample may come with that), and then nothing is read.
int NextSample(IMFSourceReader* reader, bool* ended, IMFSample** sample) {
    const DWORD stream = static_cast<DWORD>(MF_SOURCE_READER_FIRST_AUDIO_STREAM);
    *sample = nullptr;
    while (!*ended) {
        DWORD flags = 0;
        HRESULT hr = reader->ReadSample(stream, 0, nullptr, &flags, nullptr, sample);
        if (FAILED(hr) || (flags & MF_SOURCE_READERF_ERROR)) {
            Release(sample);
            return -1;
        }
        if (flags & MF_SOURCE_READERF_ENDOFSTREAM) *ended = true;
        // A stream tick or a format change brings no sample.
        if (*sample) return 1;
    }
    return 0;
}

int Decode(const wchar_t* path, PcmTrack* track) {
    if (!LoadMediaFoundation() || FAILED(mf.startup(MF_VERSION, MFSTARTUP_LITE))) return -1;
    int16_t* out = nullptr;
    int64_t count = 0, capacity = 0;
    int result = -1;
    IMFSourceReader* reader = OpenReader(path);
    if (reader) {
        bool ended = false;
        for (;;) {
            IMFSample* sample = nullptr;
            const int r = NextSample(reader, &ended, &sample);
            if (r == 0 && count > kMinTrackSamples) result = 0;
            if (r <= 0) break;
            bool ok = AppendSample(sample, &out, &count, &capacity);
            Release(&sample);
            if (!ok) break;
        }
    }
    Release(&reader);
    mf.shutdown();
    if (result != 0) {
        free(out);
        return -1;
    }
    track->samples = out;
    track->sampleCount = static_cast<int32_t>(count);
    track->sampleRate = kRate;
    return 0;
}

// a / b rounded to the nearest, halves away from zero; b > 0.
int64_t RoundedDivide(int64_t a, int64_t b) {
    return a >= 0 ? (a + b / 2) / b : -((-a + b / 2) / b);
}

const int64_t kTicksPerSecond = 10000000;  // the reader's timestamps count 100 ns

int64_t TicksToSamples(int64_t ticks) {
    return RoundedDivide(ticks * kRate, kTicksPerSecond);
}

int64_t SamplesToTicks(int64_t samples) {
    return RoundedDivide(samples * kTicksPerSecond, kRate);
}

}  // namespace

struct GeneralStream {
    wchar_t* path;
    // The reading thread's reader, made at its first seek or read; none before that and after detach.
    IMFSourceReader* reader;
    bool ended;  // the reader said the stream ended, and has not been moved since
    bool fresh;  // the reader has given nothing yet and was not moved: its first stretch is track position 0
    // The timestamp of the first sample a decode from the start gives, in samples: track position 0.
    int64_t origin;
    int16_t* buffer;
    int32_t capacity;
};

namespace {

void CloseStream(GeneralStream* s) {
    if (!s) return;
    Release(&s->reader);
    free(s->path);
    free(s->buffer);
    free(s);
    mf.shutdown();
}

int OpenStream(const wchar_t* path, GeneralStream** out, int64_t* sampleCount) {
    if (!LoadMediaFoundation() || FAILED(mf.startup(MF_VERSION, MFSTARTUP_LITE))) return -1;
    IMFSourceReader* reader = OpenReader(path);
    if (!reader) {
        mf.shutdown();
        return -1;
    }
    PROPVARIANT duration;
    PropVariantInit(&duration);
    int64_t ticks = -1;
    if (SUCCEEDED(reader->GetPresentationAttribute(static_cast<DWORD>(MF_SOURCE_READER_MEDIASOURCE), MF_PD_DURATION,
                                                   &duration)) &&
        duration.vt == VT_UI8 && duration.uhVal.QuadPart > 0 && duration.uhVal.QuadPart < (1ull << 62) / kRate) {
        ticks = static_cast<int64_t>(duration.uhVal.QuadPart);
    }
    PropVariantClear(&duration);
    // Without a duration nothing can say how long the track is before it has been decoded through. Track position 0
    // is where a decode from the start begins, and the timestamps need not say 0 there; the second stretch tells it
    // rather than the first, which Wine's reader gives as one lone sample stamped with the second's time.
    int r = ticks < 0 ? 1 : 0;
    int64_t origin = 0, before = 0;
    bool ended = false;
    for (int k = 0; r == 0 && k < 2 && !ended; ++k) {
        IMFSample* sample = nullptr;
        const int got = NextSample(reader, &ended, &sample);
        LONGLONG time = 0;
        DWORD bytes = 0;
        if (got == 1 && SUCCEEDED(sample->GetSampleTime(&time)) && SUCCEEDED(sample->GetTotalLength(&bytes))) {
            origin = TicksToSamples(time) - before;
            before += bytes / 2;
        } else if (got != 0 || k == 0) {
            r = -1;
        }
        Release(&sample);
    }
    if (r == 0 && before == 0) r = -1;
    Release(&reader);
    const size_t pathBytes = (wcslen(path) + 1) * sizeof(wchar_t);
    GeneralStream* s = r == 0 ? static_cast<GeneralStream*>(calloc(1, sizeof(GeneralStream))) : nullptr;
    if (s) s->path = static_cast<wchar_t*>(malloc(pathBytes));
    if (r != 0 || !s || !s->path) {
        free(s);
        mf.shutdown();
        return r == 1 ? 1 : -1;
    }
    memcpy(s->path, path, pathBytes);
    s->origin = origin;
    *out = s;
    *sampleCount = TicksToSamples(ticks);
    return 0;
}

bool EnsureReader(GeneralStream* s) {
    if (!s->reader) {
        s->reader = OpenReader(s->path);
        s->ended = false;
        s->fresh = true;
    }
    return s->reader != nullptr;
}

int SeekStream(GeneralStream* s, int64_t sample) {
    // To the start, a fresh reader: Wine's lands a frame after where it is asked to, which no lead can make up for at
    // the start, and a fresh one gives exactly what a decode from the start gives.
    if (sample <= 0) Release(&s->reader);
    if (!EnsureReader(s)) return -1;
    if (sample <= 0) return 0;
    PROPVARIANT at;
    PropVariantInit(&at);
    at.vt = VT_I8;
    at.hVal.QuadPart = SamplesToTicks(sample + s->origin);
    s->fresh = false;
    if (FAILED(s->reader->SetCurrentPosition(GUID_NULL, at))) return -1;
    s->ended = false;
    return 0;
}

// Copies a delivered sample into the stream's buffer: its sample count (0 for an empty one), or -1.
int32_t TakeSample(GeneralStream* s, IMFSample* sample) {
    IMFMediaBuffer* buffer = nullptr;
    if (FAILED(sample->ConvertToContiguousBuffer(&buffer))) return -1;
    BYTE* data = nullptr;
    DWORD length = 0;
    int32_t n = -1;
    if (SUCCEEDED(buffer->Lock(&data, nullptr, &length))) {
        if (length / 2 > static_cast<DWORD>(s->capacity) && length / 2 <= 0x7FFFFFFFu) {
            int16_t* bigger = static_cast<int16_t*>(realloc(s->buffer, length));
            if (bigger) {
                s->buffer = bigger;
                s->capacity = static_cast<int32_t>(length / 2);
            }
        }
        if ((length & 1) == 0 && length / 2 <= static_cast<DWORD>(s->capacity)) {
            if (length > 0) memcpy(s->buffer, data, length);
            n = static_cast<int32_t>(length / 2);
        }
        buffer->Unlock();
    }
    buffer->Release();
    return n;
}

int ReadStream(GeneralStream* s, const int16_t** samples, int32_t* count, int64_t* first) {
    if (!EnsureReader(s)) return -1;
    for (;;) {
        IMFSample* sample = nullptr;
        const int r = NextSample(s->reader, &s->ended, &sample);
        if (r <= 0) return r == 0 ? 1 : -1;
        LONGLONG time = 0;
        const int32_t n = SUCCEEDED(sample->GetSampleTime(&time)) ? TakeSample(s, sample) : -1;
        sample->Release();
        if (n < 0) return -1;
        if (n == 0) continue;
        *samples = s->buffer;
        *count = n;
        // Wine's first sample from the start comes alone, stamped with the time of the stretch after it.
        *first = s->fresh ? 0 : TicksToSamples(time) - s->origin;
        s->fresh = false;
        return 0;
    }
}

void DetachStream(GeneralStream* s) {
    Release(&s->reader);
}

int ThreadBegin() {
    return SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) ? 0 : -1;
}

void ThreadEnd() {
    CoUninitialize();
}

}  // namespace

const GeneralDecoderApi kMediaFoundationDecoder = {Decode,       OpenStream,  SeekStream,  ReadStream,
                                                   DetachStream, CloseStream, ThreadBegin, ThreadEnd};
