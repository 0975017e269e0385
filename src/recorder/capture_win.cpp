// Adapts the capture seam to the waveform-audio input API. The device posts MM_WIM_DATA to the main window for every
// buffer it hands back, so all processing happens on the UI thread and needs no lock. The seam's header type is laid
// out like WAVEHDR (checked in app/wave_format_win.h), so headers go to the device without copying.
#include "recorder/capture_win.h"

#include <windows.h>

#include <mmsystem.h>

#include <cstddef>

#include "base/wave_format_win.h"
#include "base/wide_text.h"

namespace {

HWAVEIN Dev(CaptureDevice d) {
    return reinterpret_cast<HWAVEIN>(d);
}
WAVEHDR* Hdr(CaptureHeader* h) {
    return reinterpret_cast<WAVEHDR*>(h);
}

Outcome Result(MMRESULT r) {
    return r == MMSYSERR_NOERROR ? Outcome::kOk : Outcome::kDeviceFailed;
}

int DeviceCount() {
    return static_cast<int>(waveInGetNumDevs());
}

// The product name is the only name this API has; it is cut at 31 characters by the structure itself. The endpoint's
// full name lives in the newer audio API, which numbers devices differently; the cut name is what is shown, saved
// and matched, so all three always agree.
Outcome DeviceName(int index, wchar_t* out, int capacity) {
    if (index < 0) return Outcome::kNoDevice;
    WAVEINCAPSW caps = {};
    if (waveInGetDevCapsW(static_cast<UINT_PTR>(index), &caps, sizeof caps) != MMSYSERR_NOERROR)
        return Outcome::kNoDevice;
    caps.szPname[MAXPNAMELEN - 1] = 0;
    WideCopyBounded(out, capacity, caps.szPname);
    return Outcome::kOk;
}

Outcome Open(CaptureDevice* device, int index, int sampleRate, void* notifyTarget) {
    WAVEFORMATEX format = MonoPcm16Format(sampleRate);
    HWAVEIN h = nullptr;
    UINT id = index == kDefaultCaptureDevice ? WAVE_MAPPER : static_cast<UINT>(index);
    MMRESULT r = waveInOpen(&h, id, &format, reinterpret_cast<DWORD_PTR>(notifyTarget), 0, CALLBACK_WINDOW);
    if (r != MMSYSERR_NOERROR) return Outcome::kNoDevice;
    *device = h;
    return Outcome::kOk;
}

Outcome Prepare(CaptureDevice d, CaptureHeader* h) {
    return Result(waveInPrepareHeader(Dev(d), Hdr(h), sizeof(WAVEHDR)));
}
Outcome Unprepare(CaptureDevice d, CaptureHeader* h) {
    return Result(waveInUnprepareHeader(Dev(d), Hdr(h), sizeof(WAVEHDR)));
}
Outcome AddBuffer(CaptureDevice d, CaptureHeader* h) {
    return Result(waveInAddBuffer(Dev(d), Hdr(h), sizeof(WAVEHDR)));
}
Outcome Start(CaptureDevice d) {
    return Result(waveInStart(Dev(d)));
}
Outcome Stop(CaptureDevice d) {
    return Result(waveInStop(Dev(d)));
}
Outcome Reset(CaptureDevice d) {
    return Result(waveInReset(Dev(d)));
}
Outcome Close(CaptureDevice d) {
    return Result(waveInClose(Dev(d)));
}

}  // namespace

static_assert(kCaptureNameCapacity == MAXPNAMELEN, "the system's name field");

const CaptureApi kWaveInCaptureApi = {DeviceCount, DeviceName, Open, Prepare, Unprepare,
                                      AddBuffer,   Start,      Stop, Reset,   Close};
