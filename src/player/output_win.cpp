// Adapts the output seam to the waveform-audio output API. The device signals the player's wake event
// (CALLBACK_EVENT) each time it finishes a buffer and sets the buffer's WHDR_DONE flag, which the playback thread
// polls; the seam's header type is laid out like WAVEHDR (checked in
// app/wave_format_win.h), so headers go to the device without copying.
// The seam is there so that the engine runs natively over a fake device whose playing the tests control.
#include "player/output_win.h"

#include <windows.h>

#include <mmsystem.h>

#include <cstddef>

#include "base/wave_format_win.h"

namespace {

HWAVEOUT Dev(OutputDevice d) {
    return reinterpret_cast<HWAVEOUT>(d);
}
WAVEHDR* Hdr(OutputHeader* h) {
    return reinterpret_cast<WAVEHDR*>(h);
}

Outcome Result(MMRESULT r) {
    return r == MMSYSERR_NOERROR ? Outcome::kOk : Outcome::kDeviceFailed;
}

// What waveOutOpen's refusal means for the user. No output device at all (none installed, all disabled or
// unplugged) comes back as a bad device identifier or no driver; a device that will not take the track's rate is not
// a missing one, and is told apart so that the file, not the speakers, is blamed.
Outcome OpenResult(MMRESULT r) {
    switch (r) {
        case MMSYSERR_NOERROR:
            return Outcome::kOk;
        case MMSYSERR_BADDEVICEID:
        case MMSYSERR_NODRIVER:
            return Outcome::kNoDevice;
        case WAVERR_BADFORMAT:
            return Outcome::kUnsupportedFormat;
        case MMSYSERR_NOMEM:
            return Outcome::kOutOfMemory;
        default:
            // MMSYSERR_ALLOCATED (another program holds the device) and anything else: there is a device, and it
            // refused.
            return Outcome::kDeviceFailed;
    }
}

Outcome Open(OutputDevice* device, int32_t sampleRate, ThreadEvent done) {
    WAVEFORMATEX format = MonoPcm16Format(sampleRate);
    HWAVEOUT h = nullptr;
    MMRESULT r = waveOutOpen(&h, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(done), 0, CALLBACK_EVENT);
    Outcome o = OpenResult(r);
    if (succeeded(o)) *device = h;
    return o;
}

Outcome Prepare(OutputDevice d, OutputHeader* h) {
    return Result(waveOutPrepareHeader(Dev(d), Hdr(h), sizeof(WAVEHDR)));
}
Outcome Unprepare(OutputDevice d, OutputHeader* h) {
    return Result(waveOutUnprepareHeader(Dev(d), Hdr(h), sizeof(WAVEHDR)));
}
Outcome Write(OutputDevice d, OutputHeader* h) {
    return Result(waveOutWrite(Dev(d), Hdr(h), sizeof(WAVEHDR)));
}
Outcome Pause(OutputDevice d) {
    return Result(waveOutPause(Dev(d)));
}
Outcome Restart(OutputDevice d) {
    return Result(waveOutRestart(Dev(d)));
}
Outcome Reset(OutputDevice d) {
    return Result(waveOutReset(Dev(d)));
}

Outcome Position(OutputDevice d, int64_t* samples) {
    MMTIME t = {};
    t.wType = TIME_SAMPLES;
    if (waveOutGetPosition(Dev(d), &t, sizeof t) != MMSYSERR_NOERROR || t.wType != TIME_SAMPLES) {
        return Outcome::kDeviceFailed;
    }
    *samples = t.u.sample;
    return Outcome::kOk;
}

Outcome Close(OutputDevice d) {
    return Result(waveOutClose(Dev(d)));
}

}  // namespace

const OutputApi kWaveOutApi = {Open, Prepare, Unprepare, Write, Pause, Restart, Reset, Position, Close};
