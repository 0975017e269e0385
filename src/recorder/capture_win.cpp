// Adapts the capture seam to the waveform-audio input API. The device posts MM_WIM_DATA to the main window for every
// buffer it hands back, so all processing happens on the UI thread and needs no lock. The seam's header type is laid
// out like WAVEHDR (checked in app/wave_format_win.h), so headers go to the device without copying.
#include "recorder/capture_win.h"

#include <windows.h>

#include <mmsystem.h>

#include <cstddef>

#include "base/wave_format_win.h"

namespace {

HWAVEIN Dev(CaptureDevice d) {
    return reinterpret_cast<HWAVEIN>(d);
}
WAVEHDR* Hdr(CaptureHeader* h) {
    return reinterpret_cast<WAVEHDR*>(h);
}

int Result(MMRESULT r) {
    return r == MMSYSERR_NOERROR ? 0 : -1;
}

int Open(CaptureDevice* device, int sampleRate, void* notifyTarget) {
    WAVEFORMATEX format = MonoPcm16Format(sampleRate);
    HWAVEIN h = nullptr;
    MMRESULT r = waveInOpen(&h, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(notifyTarget), 0, CALLBACK_WINDOW);
    if (r != MMSYSERR_NOERROR) return -1;
    *device = h;
    return 0;
}

int Prepare(CaptureDevice d, CaptureHeader* h) {
    return Result(waveInPrepareHeader(Dev(d), Hdr(h), sizeof(WAVEHDR)));
}
int Unprepare(CaptureDevice d, CaptureHeader* h) {
    return Result(waveInUnprepareHeader(Dev(d), Hdr(h), sizeof(WAVEHDR)));
}
int AddBuffer(CaptureDevice d, CaptureHeader* h) {
    return Result(waveInAddBuffer(Dev(d), Hdr(h), sizeof(WAVEHDR)));
}
int Start(CaptureDevice d) {
    return Result(waveInStart(Dev(d)));
}
int Stop(CaptureDevice d) {
    return Result(waveInStop(Dev(d)));
}
int Reset(CaptureDevice d) {
    return Result(waveInReset(Dev(d)));
}
int Close(CaptureDevice d) {
    return Result(waveInClose(Dev(d)));
}

}  // namespace

const CaptureApi kWaveInCaptureApi = {Open, Prepare, Unprepare, AddBuffer, Start, Stop, Reset, Close};
