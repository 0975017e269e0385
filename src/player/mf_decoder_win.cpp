// Adapts the general-decoder seam to the Media Foundation source reader: it asks for PCM mono 16-bit at 44100 Hz on
// the first audio stream and lets the platform convert whatever the file holds (M4A and the like). It runs on the UI
// thread, whose COM the application initialised at start-up. The seam keeps this platform service out of the portable
// decoder chain, which natively has no general decoder at all.
// Media Foundation is loaded at the first file that needs it (app/system_library_win.cpp says why); where it is
// missing, this decoder refuses every file.
#include "player/mf_decoder_win.h"

#include <windows.h>

#include <mfapi.h>
#include <mferror.h>
#include <mfidl.h>
#include <mfreadwrite.h>

#include <stdlib.h>
#include <string.h>

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

int Decode(const wchar_t* path, PcmTrack* track) {
    if (!LoadMediaFoundation() || FAILED(mf.startup(MF_VERSION, MFSTARTUP_LITE))) return -1;
    IMFSourceReader* reader = nullptr;
    IMFMediaType* type = nullptr;
    int16_t* out = nullptr;
    int64_t count = 0, capacity = 0;
    int result = -1;
    const DWORD stream = static_cast<DWORD>(MF_SOURCE_READER_FIRST_AUDIO_STREAM);
    if (SUCCEEDED(mf.createSourceReaderFromURL(path, nullptr, &reader)) && SUCCEEDED(mf.createMediaType(&type)) &&
        SUCCEEDED(type->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio)) &&
        SUCCEEDED(type->SetGUID(MF_MT_SUBTYPE, MFAudioFormat_PCM)) &&
        SUCCEEDED(type->SetUINT32(MF_MT_AUDIO_NUM_CHANNELS, 1)) &&
        SUCCEEDED(type->SetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, kRate)) &&
        SUCCEEDED(type->SetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, 16)) &&
        SUCCEEDED(type->SetUINT32(MF_MT_AUDIO_BLOCK_ALIGNMENT, 2)) &&
        SUCCEEDED(type->SetUINT32(MF_MT_AUDIO_AVG_BYTES_PER_SECOND, kRate * 2)) &&
        SUCCEEDED(reader->SetCurrentMediaType(stream, nullptr, type))) {
        for (;;) {
            DWORD flags = 0;
            IMFSample* sample = nullptr;
            HRESULT hr = reader->ReadSample(stream, 0, nullptr, &flags, nullptr, &sample);
            if (FAILED(hr) || (flags & MF_SOURCE_READERF_ERROR)) {
                Release(&sample);
                break;
            }
            bool ok = !sample || AppendSample(sample, &out, &count, &capacity);
            Release(&sample);
            if (!ok) break;
            if (flags & MF_SOURCE_READERF_ENDOFSTREAM) {
                if (count > kMinTrackSamples) result = 0;
                break;
            }
        }
    }
    Release(&type);
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

}  // namespace

const GeneralDecoderApi kMediaFoundationDecoder = {Decode};
