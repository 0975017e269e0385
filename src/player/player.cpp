// The playback engine and its speed and volume settings.
#include "player/player.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>
#include <new>

PlayerEngine player;

namespace {

PlayerServicesApi services;

double Clamp(double v, double lo, double hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

// Sessions whose device would not reset or close: it may still read their buffers and headers and signal their
// event, so those are never freed. Held here, they stay reachable.
PlayerSession* strandedSessions[8];
int strandedSessionCount;

// Gives the device up: reset first, so no buffer stays queued, then the buffers unprepared and the device closed.
void ReleaseDevice(PlayerSession* s) {
    if (!s->deviceOpen) return;
    if (!succeeded(s->output->reset(s->device))) s->deviceKeepsBuffers = true;
    for (int i = 0; i < kOutputBufferCount; ++i) {
        if (s->headers[i].flags & kOutputPrepared) s->output->unprepare(s->device, &s->headers[i]);
        s->inFlight[i] = false;
    }
    if (!succeeded(s->output->close(s->device))) s->deviceKeepsBuffers = true;
    s->deviceOpen = false;
}

// Opens the default device for the track and prepares the four buffers for it, paused. Its outcomes are playerOpen's.
Outcome OpenDevice(PlayerSession* s) {
    Outcome r = s->output->open(&s->device, s->source.sampleRate, s->wakeEvent);
    if (!succeeded(r)) return r;
    s->deviceOpen = true;
    for (int i = 0; i < kOutputBufferCount; ++i) {
        OutputHeader* h = &s->headers[i];
        memset(h, 0, sizeof *h);
        h->data = reinterpret_cast<char*>(s->bufferMemory + static_cast<size_t>(i) * s->samplesPerBuffer);
        h->bufferLength = 2u * static_cast<uint32_t>(s->samplesPerBuffer);
        s->inFlight[i] = false;
        // A buffer the device will not take would never play: the track is refused like one without a device.
        r = s->output->prepare(s->device, h);
        if (!succeeded(r)) {
            ReleaseDevice(s);
            return r;
        }
    }
    s->output->pause(s->device);
    return Outcome::kOk;
}

// Frees what a session holds: device, buffers, track, window, stretcher, event. When the device could not be reset or
// closed, the buffers, the headers (inside the session) and the event stay.
void FreeSession(PlayerSession* s) {
    ReleaseDevice(s);
    trackSourceClose(&s->source);
    free(s->window);
    s->window = nullptr;
    timeStretcherDestroy(s->stretcher);
    s->stretcher = nullptr;
    if (s->deviceKeepsBuffers) {
        if (strandedSessionCount < 8) strandedSessions[strandedSessionCount++] = s;
        return;
    }
    free(s->bufferMemory);
    if (s->wakeEvent) s->threads->eventClose(s->wakeEvent);
    s->~PlayerSession();
    free(s);
}

// The last of the playback thread and playerClose to let go frees the session.
void LetGo(PlayerSession* s) {
    if (s->letGo.exchange(1) == 1) FreeSession(s);
}

// The track position the listener is at: what was read, less what still waits in the device.
double PlayedPositionLocked(PlayerSession* s) {
    double pos = s->readPos;
    int64_t played = 0;
    if (s->deviceOpen && succeeded(s->output->position(s->device, &played))) {
        // The device counts in 32 bits and wraps after 27 hours at 44100 Hz; the difference taken modulo 2^32 stays
        // right across the wrap. A count ahead of what was written (negative as a 32-bit difference) means nothing
        // is queued.
        uint32_t ahead =
            static_cast<uint32_t>(static_cast<uint64_t>(s->samplesWritten) - static_cast<uint64_t>(played));
        int64_t queued = ahead < 0x80000000u ? static_cast<int64_t>(ahead) : 0;
        pos = s->readPos - static_cast<double>(queued) * player.speed;
    }
    return pos;
}

// The device failed under the player: playing on would be silence with a frozen or racing position. The player
// pauses where the listener is, so that Play (which opens the device afresh) goes on from there, and says why.
void StopForFailure(PlayerSession* s, Outcome why) {
    const double count = static_cast<double>(s->source.sampleCount);
    double pos = s->heldPos;
    if (!s->positionHeld) {
        int64_t played = 0;
        if (s->deviceOpen && succeeded(s->output->position(s->device, &played))) {
            pos = PlayedPositionLocked(s);
        } else {
            // A device that is gone may not say what it played: everything still queued counts as unheard, so
            // Play repeats at most those 200 ms rather than skipping them.
            int64_t queued = 0;
            for (int i = 0; i < kOutputBufferCount; ++i) {
                if (s->inFlight[i]) queued += s->samplesPerBuffer;
            }
            if (queued > s->samplesWritten) queued = s->samplesWritten;
            pos = s->readPos - static_cast<double>(queued) * player.speed;
        }
    }
    pos = Clamp(pos, 0.0, count);
    s->playing = false;
    if (s->deviceOpen) {
        s->output->reset(s->device);
        s->output->pause(s->device);
    }
    for (int i = 0; i < kOutputBufferCount; ++i) s->inFlight[i] = false;
    s->samplesWritten = 0;
    s->readPos = pos;
    s->stretcherResetPending = true;
    s->sourceExhausted = pos >= count;
    s->ended = false;
    s->positionHeld = true;
    s->heldPos = pos;
    s->stopReason = why;
    s->stopUnreported = true;
}

// kOk, or kDeviceFailed when the device would not restart. A failed pause is not reported: the user asked for quiet
// and the queue runs dry within 200 ms.
Outcome ApplyPlayState(PlayerSession* s) {
    if (!s->deviceOpen) return Outcome::kOk;
    if (s->playing) return succeeded(s->output->restart(s->device)) ? Outcome::kOk : Outcome::kDeviceFailed;
    s->output->pause(s->device);
    return Outcome::kOk;
}

// The seek step without the lock (play uses it while holding the lock).
void SeekLocked(PlayerSession* s, double seconds) {
    double duration = static_cast<double>(s->source.sampleCount) / s->source.sampleRate;
    double t = Clamp(seconds, 0.0, duration);
    if (t != t) t = 0.0;  // NaN from the caller
    if (s->deviceOpen) s->output->reset(s->device);
    s->stretcherResetPending = true;
    for (int i = 0; i < kOutputBufferCount; ++i) s->inFlight[i] = false;
    s->samplesWritten = 0;
    s->readPos = t * s->source.sampleRate;
    s->sourceExhausted = s->readPos >= static_cast<double>(s->source.sampleCount);
    s->ended = false;
    s->positionHeld = !s->playing;
    s->heldPos = s->readPos;
    if (!succeeded(ApplyPlayState(s))) StopForFailure(s, Outcome::kDeviceFailed);
    s->threads->eventSignal(s->wakeEvent);
}

// Refills and queues every buffer the device has finished with; notices the end of the track. Under the lock. When
// the window lacks what the next buffer reads and mayRefill is set, it stops before that buffer and returns true with
// the stretch to read; otherwise it fills from what the window holds.
bool ServiceBuffers(PlayerSession* s, bool mayRefill, int64_t* from, int64_t* to) {
    if (!s->deviceOpen || s->quit.load() || s->stopReason != Outcome::kOk) return false;
    bool active = false;
    for (int i = 0; i < kOutputBufferCount; ++i) {
        OutputHeader* h = &s->headers[i];
        if (s->inFlight[i]) {
            if (!(h->flags & kOutputDone)) {
                active = true;
                continue;
            }
            s->inFlight[i] = false;
        }
        if (s->sourceExhausted) continue;
        playerWindowNeed(s, s->samplesPerBuffer, from, to);
        if (!s->lengthSettled && *to >= s->source.sampleCount && mayRefill) {
            s->settleFirst = true;
            return true;
        }
        const bool covered = *from >= *to || (*from >= s->windowFirst && *to <= s->windowFirst + s->windowCount);
        if (!covered && mayRefill) return true;
        int16_t* buffer = s->bufferMemory + static_cast<size_t>(i) * s->samplesPerBuffer;
        const double readBefore = s->readPos;
        playerFillBuffer(s, buffer, s->samplesPerBuffer);
        // This buffer still goes out; what lies past the track's end in it is silence.
        if (s->readPos >= static_cast<double>(s->source.sampleCount)) s->sourceExhausted = true;
        h->bufferLength = 2u * static_cast<uint32_t>(s->samplesPerBuffer);
        // A refused buffer never plays (an unplugged headset, a driver gone): going on would race through the track in
        // silence. What was read into it is given back before the player stops at the listener's place.
        if (!succeeded(s->output->write(s->device, h))) {
            s->readPos = readBefore;
            StopForFailure(s, Outcome::kDeviceFailed);
            return false;
        }
        s->samplesWritten += s->samplesPerBuffer;
        s->inFlight[i] = true;
        active = true;
    }
    if (!active && s->sourceExhausted && s->playing) {
        s->playing = false;
        s->ended = true;
        s->output->pause(s->device);
    }
    return false;
}

// Reads the track into the window so that it holds [from, to), keeping what it already holds of that. Without the
// lock: only the thread that fills the buffers uses the window and the source.
void RefillWindow(PlayerSession* s, int64_t from, int64_t to) {
    // A frame of what lies behind stays, for the search's look back after a small step.
    int64_t first = from - s->stretcher->frameLength;
    if (first < 0 || to - first > s->windowCapacity) first = from < 0 ? 0 : from;
    int64_t count = s->source.sampleCount - first;
    if (count > s->windowCapacity) count = s->windowCapacity;
    if (count < 0) count = 0;
    int64_t kept = 0;
    if (first >= s->windowFirst && first < s->windowFirst + s->windowCount) {
        kept = s->windowFirst + s->windowCount - first;
        if (kept > count) kept = count;
        memmove(s->window, s->window + (first - s->windowFirst), static_cast<size_t>(kept) * sizeof(int16_t));
    }
    trackSourceRead(&s->source, first + kept, static_cast<int32_t>(count - kept), s->window + kept);
    s->windowFirst = first;
    s->windowCount = count;
    s->windowReads += 1;
}

// A refill may be overtaken by a seek while it reads; a few more follow, then the buffer is filled from what is there
// rather than never.
const int kRefillsPerPass = 4;

// The settled length taken over, under the lock. A place past it (the estimate was long) is the end.
void TakeLength(PlayerSession* s, int64_t length) {
    s->lengthSettled = true;
    if (length == s->source.sampleCount) return;
    s->source.sampleCount = length;
    const double count = static_cast<double>(length);
    if (s->readPos > count) s->readPos = count;
    if (s->heldPos > count) s->heldPos = count;
    s->sourceExhausted = s->readPos >= count;
}

// Walks the track on without the lock, and takes a settled length over.
void Settle(PlayerSession* s, bool toTheEnd) {
    int64_t length = 0;
    if (!trackSourceSettle(&s->source, toTheEnd, &length)) return;
    services.threads->lock(player.lock);
    TakeLength(s, length);
    services.threads->unlock(player.lock);
}

// One pass of the playback thread: the lock is let go while the window is read.
void ServicePass(PlayerSession* s) {
    services.threads->lock(player.lock);
    int64_t from = 0, to = 0;
    for (int refills = 0; ServiceBuffers(s, refills < kRefillsPerPass, &from, &to); ++refills) {
        const bool settle = s->settleFirst;
        s->settleFirst = false;
        services.threads->unlock(player.lock);
        if (settle) {
            Settle(s, true);
        } else {
            RefillWindow(s, from, to);
            // A read past the walk walks on, perhaps to the end: a place beyond it is then the end, not silence.
            if (!s->lengthSettled && trackSourceSettled(&s->source)) Settle(s, false);
        }
        services.threads->lock(player.lock);
    }
    services.threads->unlock(player.lock);
    // Only this thread changes lengthSettled, so it reads it without the lock.
    if (!s->lengthSettled && !s->quit.load()) Settle(s, false);
}

void PlaybackThread(void* argument) {
    PlayerSession* s = static_cast<PlayerSession*>(argument);
    // This thread reads the source; the decoder behind it may need the thread set up for that, and what it made on
    // the thread let go of on the same thread.
    const bool began = trackSourceThreadBegin(&s->source);
    while (!s->quit.load()) {
        // While the walk goes on, a slice per pass and no waiting between them.
        s->threads->eventWait(s->wakeEvent, s->lengthSettled ? kPlaybackWakeMs : 0);
        ServicePass(s);
    }
    trackSourceThreadEnd(&s->source, began);
    LetGo(s);
}

// Output set-up after a successful open of the track; takes over the source. Its outcomes are playerOpen's.
Outcome SetUpOutput(TrackSource* source) {
    PlayerSession* s = static_cast<PlayerSession*>(calloc(1, sizeof(PlayerSession)));
    if (!s) {
        trackSourceClose(source);
        return Outcome::kOutOfMemory;
    }
    new (s) PlayerSession();
    s->output = services.output;
    s->threads = services.threads;
    s->source = *source;
    memset(source, 0, sizeof *source);
    s->stretcher = timeStretcherCreate(s->source.sampleRate);
    if (!s->stretcher) {
        FreeSession(s);
        return Outcome::kOutOfMemory;
    }
    s->windowCapacity = static_cast<int64_t>(s->source.sampleRate) * kWindowSeconds;
    s->window = static_cast<int16_t*>(malloc(static_cast<size_t>(s->windowCapacity) * sizeof(int16_t)));
    if (!s->window) {
        FreeSession(s);
        return Outcome::kOutOfMemory;
    }
    s->windowFirst = 0;
    s->windowCount = 0;
    s->samplesPerBuffer = s->source.sampleRate / 20;
    if (s->threads->eventCreate(&s->wakeEvent) != 0) {
        s->wakeEvent = nullptr;
        FreeSession(s);
        return Outcome::kThreadFailed;
    }
    s->bufferMemory = static_cast<int16_t*>(
        calloc(static_cast<size_t>(kOutputBufferCount) * static_cast<size_t>(s->samplesPerBuffer), sizeof(int16_t)));
    if (!s->bufferMemory) {
        FreeSession(s);
        return Outcome::kOutOfMemory;
    }
    Outcome r = OpenDevice(s);
    if (!succeeded(r)) {
        FreeSession(s);
        return r;
    }
    s->stopReason = Outcome::kOk;
    s->stopUnreported = false;
    s->sourceExhausted = false;
    s->ended = false;
    s->readPos = 0.0;
    s->playing = false;
    s->samplesWritten = 0;
    s->positionHeld = true;
    s->heldPos = 0.0;
    s->stretcherResetPending = true;
    s->lengthSettled = trackSourceSettled(&s->source);
    s->settleFirst = false;
    s->quit = false;
    player.session = s;
    if (s->threads->start(&s->thread, PlaybackThread, s) != 0) {
        // Without its thread nothing would ever play; the track is refused like one without a device.
        player.session = nullptr;
        FreeSession(s);
        return Outcome::kThreadFailed;
    }
    return Outcome::kOk;
}

}  // namespace

void playerInstall(const PlayerServicesApi* installed) {
    // A new threading seam needs a lock of its own; the old one goes unless a playback thread left running may
    // still take it.
    if (player.lockReady && !player.session && player.sessionsLeftRunning == 0) {
        services.threads->lockDestroy(player.lock);
        player.lockReady = false;
        player.lock = nullptr;
    }
    services = *installed;
}

void playerReset() {
    playerClose();
    player.session = nullptr;
    player.speed = 1.0;
    player.volume.store(1.0);
    player.lastDecoder = TrackDecoder::None;
    player.sessionsLeftRunning = 0;
    // The lock, once created, lives as long as the process: a playback thread left running may still take it.
}

Outcome playerOpen(const wchar_t* path) {
    if (!player.lockReady) {
        if (services.threads->lockCreate(&player.lock) != 0) return Outcome::kThreadFailed;
        player.lockReady = true;
    }
    playerClose();
    TrackSource source;
    Outcome r = trackSourceOpen(path, services.files, services.general, services.threads, &source);
    if (!succeeded(r)) return r;
    const TrackDecoder used = source.decoder;
    r = SetUpOutput(&source);
    if (succeeded(r)) player.lastDecoder = used;
    return r;
}

void playerClose() {
    if (!player.lockReady) return;
    PlayerSession* s = player.session;
    if (!s) return;
    player.session = nullptr;
    s->quit.store(true);
    s->threads->eventSignal(s->wakeEvent);
    bool ended = s->threads->join(s->thread, kCloseWaitMs) == 0;
    s->threads->release(s->thread);
    if (!ended) {
        // The thread may still run and use everything in the session: it is left to the thread, which frees it as it
        // ends (or it is freed here if the thread ended just now).
        player.sessionsLeftRunning += 1;
        LetGo(s);
        return;
    }
    services.threads->lock(player.lock);
    FreeSession(s);
    services.threads->unlock(player.lock);
}

bool playerIsLoaded() {
    PlayerSession* s = player.session;
    if (!s) return false;
    services.threads->lock(player.lock);
    const bool loaded = s->source.sampleCount > 0;
    services.threads->unlock(player.lock);
    return loaded;
}

bool playerIsPlaying() {
    if (!player.session) return false;
    services.threads->lock(player.lock);
    bool playing = player.session->playing;
    services.threads->unlock(player.lock);
    return playing;
}

bool playerHasEnded() {
    if (!player.session) return false;
    services.threads->lock(player.lock);
    bool ended = player.session->ended;
    services.threads->unlock(player.lock);
    return ended;
}

double playerDuration() {
    PlayerSession* s = player.session;
    if (!s || s->source.sampleRate <= 0) return 0.0;
    services.threads->lock(player.lock);
    const double duration = static_cast<double>(s->source.sampleCount) / s->source.sampleRate;
    services.threads->unlock(player.lock);
    return duration;
}

bool playerLengthSettled() {
    PlayerSession* s = player.session;
    if (!s) return true;
    services.threads->lock(player.lock);
    const bool settled = s->lengthSettled;
    services.threads->unlock(player.lock);
    return settled;
}

void playerSeek(double seconds) {
    if (!playerIsLoaded()) return;
    services.threads->lock(player.lock);
    SeekLocked(player.session, seconds);
    services.threads->unlock(player.lock);
}

namespace {

// A fresh device after a failed one: the default device may have changed since (the speakers took over from a
// removed headset), and a handle whose device has gone stays useless. The buffers go to it unless the old device may
// still be reading them.
Outcome ReopenDevice(PlayerSession* s) {
    ReleaseDevice(s);
    if (s->deviceKeepsBuffers) return Outcome::kDeviceFailed;
    Outcome r = OpenDevice(s);
    if (!succeeded(r)) return r;
    s->samplesWritten = 0;
    s->stretcherResetPending = true;
    return Outcome::kOk;
}

}  // namespace

Outcome playerPlay() {
    if (!playerIsLoaded()) return Outcome::kNotOpen;
    services.threads->lock(player.lock);
    PlayerSession* s = player.session;
    Outcome r = Outcome::kOk;
    if (s->stopReason != Outcome::kOk || !s->deviceOpen) {
        r = ReopenDevice(s);
        // The caller is told by the result, so nothing is left for playerTakeStopReason.
        s->stopReason = r;
        s->stopUnreported = false;
    }
    if (succeeded(r)) {
        if (s->ended || s->readPos >= static_cast<double>(s->source.sampleCount - 1)) SeekLocked(s, 0.0);
        s->playing = true;
        s->ended = false;
        s->positionHeld = false;
        r = ApplyPlayState(s);
        if (!succeeded(r)) {
            StopForFailure(s, r);
            s->stopUnreported = false;
        }
        s->threads->eventSignal(s->wakeEvent);
    }
    services.threads->unlock(player.lock);
    return r;
}

void playerPause() {
    if (!playerIsLoaded()) return;
    services.threads->lock(player.lock);
    PlayerSession* s = player.session;
    if (s->playing) {
        s->heldPos = PlayedPositionLocked(s);
        s->positionHeld = true;
    }
    s->playing = false;
    ApplyPlayState(s);
    services.threads->unlock(player.lock);
}

double playerPosition() {
    if (!playerIsLoaded()) return 0.0;
    services.threads->lock(player.lock);
    PlayerSession* s = player.session;
    double pos = s->positionHeld ? s->heldPos : PlayedPositionLocked(s);
    const double count = static_cast<double>(s->source.sampleCount);
    const double rate = s->source.sampleRate;
    if (s->sourceExhausted && !s->playing && s->ended) pos = count;
    services.threads->unlock(player.lock);
    return Clamp(pos, 0.0, count) / rate;
}

void playerSetVolume(double volume) {
    if (volume != volume) return;
    player.volume.store(Clamp(volume, 0.0, 2.0), std::memory_order_relaxed);
}

void playerSetSpeed(double speed) {
    if (speed != speed) return;
    double s = Clamp(speed, 0.5, 3.0);
    if (!player.lockReady) {
        player.speed = s;
        return;
    }
    services.threads->lock(player.lock);
    if (fabs(s - player.speed) > 1e-6) {
        if (player.session) player.session->stretcherResetPending = true;
        player.speed = s;
    }
    services.threads->unlock(player.lock);
}

Outcome playerTakeStopReason() {
    if (!player.session) return Outcome::kOk;
    services.threads->lock(player.lock);
    PlayerSession* s = player.session;
    Outcome r = s->stopUnreported ? s->stopReason : Outcome::kOk;
    s->stopUnreported = false;
    services.threads->unlock(player.lock);
    return r;
}

void playerThreadStep() {
    if (!player.lockReady || !player.session) return;
    ServicePass(player.session);
}

int16_t applyVolume(int16_t sample, double volume) {
    double y = sample * volume;
    if (y > 32767.0) return 32767;
    if (y < -32768.0) return -32768;
    return static_cast<int16_t>(y);
}

void playerFillBuffer(PlayerSession* s, int16_t* out, int32_t n) {
    const double speed = player.speed;
    const double volume = player.volume.load(std::memory_order_relaxed);
    if (s->stretcherResetPending) {
        timeStretcherReset(s->stretcher, s->readPos);
        s->stretcherResetPending = false;
    }
    const TrackView view = {s->window, s->windowFirst, s->windowCount};
    if (speed > 0.98 && speed < 1.02) {
        // The window's samples as they are, silence where it holds none (past the track's end).
        const int64_t start = static_cast<int64_t>(timeStretcherPosition(s->stretcher));
        const int64_t end = start + n;
        const int64_t lo = start > view.first ? start : view.first;
        const int64_t hi = end < view.first + view.count ? end : view.first + view.count;
        if (hi > lo) {
            memset(out, 0, static_cast<size_t>(lo - start) * sizeof(int16_t));
            memcpy(out + (lo - start), view.samples + (lo - view.first),
                   static_cast<size_t>(hi - lo) * sizeof(int16_t));
            memset(out + (hi - start), 0, static_cast<size_t>(end - hi) * sizeof(int16_t));
        } else {
            memset(out, 0, static_cast<size_t>(n) * sizeof(int16_t));
        }
        timeStretcherReset(s->stretcher, static_cast<double>(end));
    } else {
        timeStretcherProcessView(s->stretcher, &view, speed, out, n);
    }
    if (volume != 1.0) {
        for (int32_t k = 0; k < n; ++k) out[k] = applyVolume(out[k], volume);
    }
    s->readPos = timeStretcherPosition(s->stretcher);
}

void playerWindowNeed(PlayerSession* s, int32_t n, int64_t* from, int64_t* to) {
    if (s->stretcherResetPending) {
        timeStretcherReset(s->stretcher, s->readPos);
        s->stretcherResetPending = false;
    }
    const double speed = player.speed;
    if (speed > 0.98 && speed < 1.02) {
        *from = static_cast<int64_t>(timeStretcherPosition(s->stretcher));
        *to = *from + n;
    } else {
        timeStretcherReach(s->stretcher, speed, n, from, to);
    }
    if (*from < 0) *from = 0;
    if (*to > s->source.sampleCount) *to = s->source.sampleCount;
}
