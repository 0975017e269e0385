// The recorder: one recording at a time, captured as mono 16-bit PCM and written to its file while it runs, as WAV
// directly or as MP3 through the MP3 writer. Everything here runs on the UI thread.
#pragma once

#include <stdint.h>

#include "base/file_api.h"
#include "base/wav_file.h"
#include "recorder/capture.h"
#include "recorder/level_analysis.h"
#include "recorder/mp3_frames.h"
#include "recorder/recorder_host.h"
#include "recorder/recording_names.h"

enum class RecorderState : int32_t { Idle = 0, Recording = 1, Paused = 2 };

struct RecordingFormat {
    const wchar_t* label;  // as shown in the Format list
    int32_t kbps;          // 0 = WAV
    int32_t sampleRate;
};

const int kRecordingFormatCount = 6;
extern const RecordingFormat kRecordingFormats[kRecordingFormatCount];

const int kCaptureBufferCount = 4;
// Fewer kept bytes than this at stop means nothing was recorded.
const uint32_t kMinimumKeptBytes = 4000;
// Written WAV buffers between header refreshes: 3 s of kept audio at 100 ms a buffer.
const int kHeaderRefreshBuffers = 30;
// A device that hands back no buffer for this long while recording has stopped delivering (unplugged, asleep).
const uint32_t kSilentDeviceMs = 1500;

struct Recorder {
    RecorderState state;
    CaptureDevice device;
    bool deviceOpen;
    FileHandle file;
    bool isMp3;
    int32_t sampleRate;
    // PCM bytes accepted into the recording. 64 bits wide: 32 would wrap after 13.5 hours at 44100 Hz, and an MP3
    // recording may run longer than that.
    uint64_t recordedBytes;
    int32_t buffersWritten;
    LevelState levels;
    int32_t markCount;
    double markTimes[kMaxMarks];
    wchar_t recordingPath[kPathCapacity];
    wchar_t marksPath[kPathCapacity];
    // With Replace, the file the recording replaces waits here until the take is kept (then it is deleted) or not
    // (then it is put back). After a crash both are on disk.
    wchar_t replacedPath[kPathCapacity];
    bool oldFileAside;
    bool lastRecordingSaved;
    bool marksWritten;        // the last stop left a marks file beside the recording
    bool marksFileCreated;    // this take's marks file is on disk (written as each mark is made)
    bool stoppedAtSizeLimit;  // the last recording was ended because its WAV could not grow further
    uint64_t wavDataLimit;    // kWavDataLimitBytes; lowered only by tests
    // What ended the take before a Stop: the first write that did not go through whole (kDiskFull, kWriteFailed) or
    // a device that stopped delivering (kDeviceFailed); kOk while all is well. Nothing is written after a failed
    // write, so the file holds exactly the whole samples (or frames) that reached the disk.
    Outcome endedBy;
    Mp3FrameCursor mp3Frames;       // MP3: where the whole frames written so far end
    uint32_t lastBufferTick;        // when the device last handed back a buffer (or capture started)
    bool failNextBufferAllocation;  // tests: the next start's buffer block is not allocated, then this clears
    wchar_t elapsedText[32];
    // The take records from the default microphone because the chosen one, named here, was missing.
    bool inputFallback;
    wchar_t inputName[kCaptureNameCapacity];
    // One block for the four capture buffers, allocated at start and freed at stop:
    //   [buffer 0: rate/10 samples][buffer 1][buffer 2][buffer 3]
    int16_t* bufferMemory;
    // In the process-wide state, as long as the application: the device may still hold them after a failed reset.
    CaptureHeader captureHeaders[kCaptureBufferCount];
    uint32_t queuedAt[kCaptureBufferCount];  // order in which each buffer was last queued
    uint32_t queueCounter;
};

extern Recorder recorder;

inline bool recorderIsIdle() {
    return recorder.state == RecorderState::Idle;
}

// Hands the recorder its platform services; must be called before anything else.
void recorderInstall(const CaptureApi* capture, const FileApi* files, const RecorderHostApi* host);
// Back to the initial values (tests start clean). Must not be called while a recording is open.
void recorderReset();

// What the window holds when Record is pressed.
struct RecordingRequest {
    int formatSelection;  // the Quality list's selection, -1 for none
    bool replace;
    wchar_t fileName[kFileNameBoxMaxRead + 1];  // the "File name" box
    wchar_t folder[kPathCapacity];
    LocalDateTime now;
    // The chosen microphone by the name the system gives it; empty for the system's default.
    wchar_t inputDevice[kCaptureNameCapacity];
};

void startRecording(const RecordingRequest& request);
void togglePause();
void stopRecording();
void addMark();
// A buffer-done notice: the device that sent it and the header it names. Anything but the open device and one of
// the four capture headers is ignored before the header is touched (any process can post the message).
void onCaptureBufferDone(CaptureDevice device, CaptureHeader* header);
void onRecordingTimer();
double elapsedSeconds();

// The capture devices present now, through the installed capture seam: how many, and each one's name (false when
// there is no such device now).
int inputDeviceCount();
bool inputDeviceName(int index, wchar_t* out, int capacity);
// The index of the first present device with exactly this name, or kDefaultCaptureDevice when none has it.
int findInputDevice(const wchar_t* name);

// The format row a selection stands for: anything outside 0..5 is row 0.
int recordingFormatRow(int selection);
