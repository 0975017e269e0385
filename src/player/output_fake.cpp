// The fake output device.
#include "player/output_fake.h"

#include <string.h>

FakeOutput fakeOutput;

namespace {

void Record(int16_t* to, int64_t* count, int64_t capacity, const char* bytes, uint32_t n) {
    if (!to) return;
    for (uint32_t i = 0; i + 2 <= n && *count < capacity; i += 2) {
        int16_t s;
        memcpy(&s, bytes + i, 2);
        to[(*count)++] = s;
    }
}

void Complete(OutputHeader* h) {
    h->flags |= kOutputDone;
    h->flags &= ~kOutputInQueue;
    if (fakeOutput.threads && fakeOutput.doneEvent) fakeOutput.threads->eventSignal(fakeOutput.doneEvent);
}

void PopHead() {
    Complete(fakeOutput.queue[0]);
    memmove(fakeOutput.queue, fakeOutput.queue + 1, sizeof(OutputHeader*) * (fakeOutput.queued - 1));
    fakeOutput.queued -= 1;
    fakeOutput.headPlayedBytes = 0;
}

Outcome Open(OutputDevice* device, int32_t sampleRate, ThreadEvent done) {
    fakeOutput.opens += 1;
    if (fakeOutput.failOpen || fakeOutput.open) return Outcome::kNoDevice;
    fakeOutput.open = true;
    fakeOutput.paused = false;
    fakeOutput.sampleRate = sampleRate;
    fakeOutput.doneEvent = done;
    fakeOutput.queued = 0;
    fakeOutput.headPlayedBytes = 0;
    fakeOutput.position = 0;
    *device = &fakeOutput;
    return Outcome::kOk;
}

Outcome Prepare(OutputDevice, OutputHeader* h) {
    fakeOutput.prepares += 1;
    if (fakeOutput.prepares == fakeOutput.failPrepareAt) return Outcome::kDeviceFailed;
    h->flags |= kOutputPrepared;
    return Outcome::kOk;
}

Outcome Unprepare(OutputDevice, OutputHeader* h) {
    fakeOutput.unprepares += 1;
    if (h->flags & kOutputInQueue) return Outcome::kDeviceFailed;
    h->flags &= ~kOutputPrepared;
    return Outcome::kOk;
}

Outcome Write(OutputDevice, OutputHeader* h) {
    fakeOutput.writeCalls += 1;
    if (fakeOutput.writeCalls == fakeOutput.failWriteAt) return Outcome::kDeviceFailed;
    if (!fakeOutput.open || !(h->flags & kOutputPrepared) || fakeOutput.queued >= kFakeOutputQueue) {
        return Outcome::kDeviceFailed;
    }
    if (fakeOutput.failWrite) return Outcome::kDeviceFailed;
    fakeOutput.writes += 1;
    h->flags &= ~kOutputDone;
    h->flags |= kOutputInQueue;
    fakeOutput.queue[fakeOutput.queued++] = h;
    Record(fakeOutput.written, &fakeOutput.writtenCount, fakeOutput.writtenCapacity, h->data, h->bufferLength);
    return Outcome::kOk;
}

Outcome Pause(OutputDevice) {
    fakeOutput.pauses += 1;
    fakeOutput.paused = true;
    return Outcome::kOk;
}

Outcome Restart(OutputDevice) {
    fakeOutput.restarts += 1;
    if (fakeOutput.failRestart) return Outcome::kDeviceFailed;
    fakeOutput.paused = false;
    return Outcome::kOk;
}

Outcome Reset(OutputDevice) {
    fakeOutput.resets += 1;
    if (fakeOutput.failReset) return Outcome::kDeviceFailed;
    while (fakeOutput.queued > 0) PopHead();
    fakeOutput.position = 0;
    return Outcome::kOk;
}

Outcome Position(OutputDevice, int64_t* samples) {
    if (fakeOutput.failPosition) return Outcome::kDeviceFailed;
    *samples =
        fakeOutput.position32 ? static_cast<int64_t>(static_cast<uint32_t>(fakeOutput.position)) : fakeOutput.position;
    return Outcome::kOk;
}

Outcome Close(OutputDevice) {
    fakeOutput.closes += 1;
    if (fakeOutput.queued > 0 || fakeOutput.failClose) return Outcome::kDeviceFailed;
    fakeOutput.open = false;
    return Outcome::kOk;
}

}  // namespace

const OutputApi kFakeOutputApi = {Open, Prepare, Unprepare, Write, Pause, Restart, Reset, Position, Close};

void fakeOutputReset() {
    memset(&fakeOutput, 0, sizeof fakeOutput);
}

int64_t fakeOutputPlay(int64_t samples) {
    if (fakeOutput.guard) fakeOutput.threads->lock(fakeOutput.guard);
    int64_t played = 0;
    while (played < samples && fakeOutput.open && !fakeOutput.paused && fakeOutput.queued > 0) {
        OutputHeader* h = fakeOutput.queue[0];
        uint32_t left = (h->bufferLength - fakeOutput.headPlayedBytes) / 2;
        int64_t take = samples - played < left ? samples - played : left;
        Record(fakeOutput.heard, &fakeOutput.heardCount, fakeOutput.heardCapacity, h->data + fakeOutput.headPlayedBytes,
               static_cast<uint32_t>(take * 2));
        fakeOutput.headPlayedBytes += static_cast<uint32_t>(take * 2);
        fakeOutput.position += take;
        played += take;
        if (fakeOutput.headPlayedBytes >= h->bufferLength) PopHead();
    }
    if (fakeOutput.guard) fakeOutput.threads->unlock(fakeOutput.guard);
    return played;
}
