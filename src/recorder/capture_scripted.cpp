// The scripted capture device.
#include "recorder/capture_scripted.h"

#include <string.h>

#include "base/wide_text.h"
#include "recorder/recorder.h"

ScriptedCapture scriptedCapture;

namespace {

void HandBack(CaptureHeader* h) {
    h->flags |= kCaptureDone;
    h->flags &= ~kCaptureInQueue;
    if (scriptedCapture.noticeCount < 64) scriptedCapture.notices[scriptedCapture.noticeCount++] = h;
}

void PopHead() {
    HandBack(scriptedCapture.queue[0]);
    memmove(scriptedCapture.queue, scriptedCapture.queue + 1, sizeof(CaptureHeader*) * (scriptedCapture.queued - 1));
    scriptedCapture.queued -= 1;
}

int DeviceCount() {
    return scriptedCapture.deviceCount;
}

Outcome DeviceName(int index, wchar_t* out, int capacity) {
    if (index < 0 || index >= scriptedCapture.deviceCount || !scriptedCapture.deviceNames[index])
        return Outcome::kNoDevice;
    WideCopyBounded(out, capacity, scriptedCapture.deviceNames[index]);
    return Outcome::kOk;
}

Outcome Open(CaptureDevice* device, int index, int sampleRate, void*) {
    scriptedCapture.opens += 1;
    if (scriptedCapture.failOpen || scriptedCapture.open) return Outcome::kNoDevice;
    if (index != kDefaultCaptureDevice && (index < 0 || index >= scriptedCapture.deviceCount))
        return Outcome::kNoDevice;
    if (index == scriptedCapture.failOpenIndex) return Outcome::kNoDevice;
    scriptedCapture.openedIndex = index;
    scriptedCapture.open = true;
    scriptedCapture.running = false;
    scriptedCapture.sampleRate = sampleRate;
    scriptedCapture.queued = 0;
    *device = &scriptedCapture;
    return Outcome::kOk;
}

Outcome Prepare(CaptureDevice, CaptureHeader* h) {
    h->flags |= kCapturePrepared;
    return Outcome::kOk;
}

Outcome Unprepare(CaptureDevice, CaptureHeader* h) {
    if (h->flags & kCaptureInQueue) return Outcome::kDeviceFailed;
    h->flags &= ~kCapturePrepared;
    return Outcome::kOk;
}

Outcome AddBuffer(CaptureDevice, CaptureHeader* h) {
    if (!scriptedCapture.open || scriptedCapture.queued >= 8) return Outcome::kDeviceFailed;
    h->flags &= ~kCaptureDone;
    h->flags |= kCaptureInQueue;
    h->bytesRecorded = 0;
    scriptedCapture.queue[scriptedCapture.queued++] = h;
    return Outcome::kOk;
}

Outcome Start(CaptureDevice) {
    scriptedCapture.starts += 1;
    scriptedCapture.running = true;
    return Outcome::kOk;
}

Outcome Stop(CaptureDevice) {
    scriptedCapture.stops += 1;
    if (scriptedCapture.running && scriptedCapture.queued > 0 && !scriptedCapture.stopKeepsHead) PopHead();
    scriptedCapture.running = false;
    return Outcome::kOk;
}

Outcome Reset(CaptureDevice) {
    scriptedCapture.resets += 1;
    // A failing reset leaves the device as it was: it keeps its queued buffers and may fill them later.
    if (scriptedCapture.failReset) return Outcome::kDeviceFailed;
    scriptedCapture.running = false;
    while (scriptedCapture.queued > 0) PopHead();
    return Outcome::kOk;
}

Outcome Close(CaptureDevice) {
    scriptedCapture.closes += 1;
    if (scriptedCapture.queued > 0 || scriptedCapture.failClose) return Outcome::kDeviceFailed;
    scriptedCapture.open = false;
    return Outcome::kOk;
}

}  // namespace

const CaptureApi kScriptedCaptureApi = {DeviceCount, DeviceName, Open, Prepare, Unprepare,
                                        AddBuffer,   Start,      Stop, Reset,   Close};

void scriptedCaptureReset() {
    scriptedCapture = ScriptedCapture{};
}

int scriptedCaptureRoom() {
    if (!scriptedCapture.running || scriptedCapture.queued == 0) return 0;
    CaptureHeader* h = scriptedCapture.queue[0];
    return static_cast<int>((h->bufferLength - h->bytesRecorded) / 2);
}

int scriptedCaptureFeed(const int16_t* samples, int count) {
    int used = 0;
    while (used < count && scriptedCapture.running && scriptedCapture.queued > 0) {
        CaptureHeader* h = scriptedCapture.queue[0];
        int room = static_cast<int>((h->bufferLength - h->bytesRecorded) / 2);
        int take = count - used < room ? count - used : room;
        memcpy(h->data + h->bytesRecorded, samples + used, static_cast<size_t>(take) * 2);
        h->bytesRecorded += static_cast<uint32_t>(take) * 2;
        used += take;
        if (h->bytesRecorded == h->bufferLength) PopHead();
    }
    scriptedCapture.samplesDropped += count - used;
    return used;
}

int scriptedCaptureDeliver() {
    int delivered = 0;
    while (scriptedCapture.noticeCount > 0) {
        CaptureHeader* h = scriptedCapture.notices[0];
        memmove(scriptedCapture.notices, scriptedCapture.notices + 1,
                sizeof(CaptureHeader*) * (scriptedCapture.noticeCount - 1));
        scriptedCapture.noticeCount -= 1;
        onCaptureBufferDone(&scriptedCapture, h);
        delivered += 1;
    }
    return delivered;
}
