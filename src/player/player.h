// The playback engine: one track at a time, played through the output device by a playback thread that keeps four
// 50 ms buffers queued, filled at the chosen speed (directly or through the time stretcher) and volume. The track is
// read from its file into a window of a few seconds around the play position, outside the player lock. The UI thread
// drives it with the player* operations; playback always starts paused at 0.
#pragma once

#include <stdint.h>

#include <atomic>

#include "base/file_api.h"
#include "player/general_decoder.h"
#include "player/output.h"
#include "player/pcm_track.h"
#include "player/threads.h"
#include "player/time_stretcher.h"
#include "player/track_loader.h"
#include "player/track_source.h"

const int kOutputBufferCount = 4;
// How long playerClose waits for the playback thread.
const int kCloseWaitMs = 2000;
// The playback thread wakes at least this often, even without a completed buffer.
const int kPlaybackWakeMs = 40;
// Seconds of the track held decoded around the play position: more than one buffer at the highest speed reaches.
const int kWindowSeconds = 2;

struct PlayerServicesApi {
    const FileApi* files;
    const GeneralDecoderApi* general;
    const OutputApi* output;
    const ThreadApi* threads;
};

// Everything one open owns, shared by the UI thread and that open's playback thread under the player lock. It is a
// block of its own so that a playback thread that does not end within kCloseWaitMs keeps it: such a thread finds its
// own quit flag set whenever it runs again, and the last of the thread and playerClose to let go frees it.
struct PlayerSession {
    const OutputApi* output;
    const ThreadApi* threads;
    OutputDevice device;
    bool deviceOpen;
    ThreadEvent wakeEvent;
    ThreadHandle thread;
    // One block for the four output buffers, allocated at open:
    //   [buffer 0: samplesPerBuffer int16][buffer 1][buffer 2][buffer 3]
    int16_t* bufferMemory;
    OutputHeader headers[kOutputBufferCount];
    bool inFlight[kOutputBufferCount];
    int32_t samplesPerBuffer;  // 50 ms
    std::atomic<bool> quit;    // set without the lock: a stuck thread may hold it
    std::atomic<int> letGo;    // 0, then 1 once the thread or playerClose has let go of the session
    bool playing;
    bool sourceExhausted;
    bool ended;
    bool stretcherResetPending;
    double readPos;  // track position of the next sample to be put into a buffer
    // Output samples handed to the device since the last open or seek. 64 bits: 32 would wrap after 13.5 hours of
    // play at 44100 Hz without a seek, and the position would jump.
    int64_t samplesWritten;
    // While paused, the position shown is the one held here (track samples): after a reset some devices report a
    // count for buffers refilled while paused, and a stopped player would read a few hundredths of a second in.
    bool positionHeld;
    double heldPos;
    // What stopped the sound without the user asking: kOk; kDeviceFailed when the device refused a buffer or would
    // not restart; kNoDevice when it could not be opened again. While it is set the thread queues nothing, and the
    // next Play opens the device afresh (the default device may have changed, a removed one is gone for good).
    Outcome stopReason;
    bool stopUnreported;  // playerTakeStopReason has not handed stopReason out yet
    // The device would not reset or close: it may still read the buffers and headers and signal the event, so they
    // are neither handed to another device nor freed.
    bool deviceKeepsBuffers;
    TrackSource source;
    // The track's length is final (source.sampleCount). Until then it is the MP3's estimate, the playback thread walks
    // the file on between its passes, and a buffer that would reach the estimated end waits for the walk to finish
    // (settleFirst): the end is played where the track ends, not where the estimate put it.
    bool lengthSettled;
    bool settleFirst;
    TimeStretcher* stretcher;
    // The decoded stretch of the track the buffers are filled from, track samples [windowFirst, windowFirst +
    // windowCount). Only the thread that fills the buffers touches it, and it reads the source without the lock.
    int16_t* window;
    int64_t windowFirst;
    int64_t windowCount;
    int64_t windowCapacity;
    // Reads of the source into the window since the open (tests see that a seek decodes).
    int64_t windowReads;
};

struct PlayerEngine {
    bool lockReady = false;
    ThreadLock lock = nullptr;
    PlayerSession* session = nullptr;  // none while nothing is loaded
    double speed = 1.0;                // 0.5..3.0, under the lock once it exists
    // 0.0..2.0, written without the lock and read once per buffer; atomic so that this is not a data race.
    std::atomic<double> volume{1.0};
    TrackDecoder lastDecoder = TrackDecoder::None;  // the decoder of the last successful open
    int32_t sessionsLeftRunning = 0;                // closes whose playback thread did not end in time
};

extern PlayerEngine player;

// Hands the player its platform services; must be called before anything else.
void playerInstall(const PlayerServicesApi* services);
// Back to the initial values (tests start clean). Closes what is loaded first.
void playerReset();

// kOk; what loadTrack reports when the file cannot be read or decoded or is too short; when the track cannot be
// played: kNoDevice (no output opens), kUnsupportedFormat (the output refuses the track's rate), kDeviceFailed (it
// refuses a buffer), kOutOfMemory, kThreadFailed.
Outcome playerOpen(const wchar_t* path);
void playerClose();
// A track is present. Its device may have failed since the open; Play then tries to open one again.
bool playerIsLoaded();
// The length in seconds. For a long MP3 it is an estimate for the first moments after the open, until the playback
// thread has walked the whole file; callers that show it read it again.
bool playerIsPlaying();
bool playerHasEnded();
double playerDuration();
// The length is final (always, except for those first moments of a long MP3).
bool playerLengthSettled();
void playerSeek(double seconds);
// kOk, or kNotOpen while nothing is loaded. After the device has failed it is opened afresh first: kNoDevice when
// none opens, kDeviceFailed when it refuses the buffers or will not start; the player then stays paused where it was.
Outcome playerPlay();
void playerPause();
double playerPosition();
void playerSetVolume(double volume);
void playerSetSpeed(double speed);
// Why the sound stopped without the user asking (the device refused a buffer while playing or prefilling), once:
// kOk when it has not, or when that was already handed out. The player is then paused where the listener was.
Outcome playerTakeStopReason();

// One pass of the playback thread (refill and queue every free buffer, then walk a long MP3 on by a slice while its
// length is not settled). Tests and the command-line harness call it where a thread would.
void playerThreadStep();

// Fills one output buffer of n samples at the current speed and volume from the window, which must hold what it
// reads (playerWindowNeed); the lock must be held.
void playerFillBuffer(PlayerSession* session, int16_t* out, int32_t n);
// The track positions the next buffer of n samples reads, [*from, *to), cut to the track; the lock must be held.
// Applies a pending stretcher reset first.
void playerWindowNeed(PlayerSession* session, int32_t n, int64_t* from, int64_t* to);

// Volume applied to one sample: scaled in double precision, clipped to 16 bits, truncated toward zero.
int16_t applyVolume(int16_t sample, double volume);
