// What the recorder tells the main window and reads from it while a recording runs. The application shell fills this
// table; tests and the command-line harness supply their own. The recorder reports what happened as values; the
// words the window shows for them are the application's.
#pragma once

#include <stdint.h>

#include "base/outcome.h"
#include "recorder/recording_names.h"

enum class RecorderEvent : int32_t {
    StartFailed,  // nothing was kept open; `outcome` says why
    Started,
    Paused,
    Resumed,
    MarkAdded,          // `markNumber` at `seconds`
    MarkNotStored,      // the recording already holds kMaxMarks marks
    LoudWarningStarts,  // the live too-loud warning comes on
    LoudWarningEnds,
    // The raw input has stayed at or below the silent verdict's level for kNoSoundWarningMs of recording: said in
    // the detail line while the take goes on, and taken back as soon as sound arrives (the status line is left as
    // it is). Both carry the start's `inputFallback` and `inputName`, so the detail can go back to what it said.
    NoSoundStarts,
    NoSoundEnds,
    Stopped,  // the recording is over: `verdict`, `stoppedAtSizeLimit`, `seconds`, `fileBytes`, `path`
};

// What a stop made of the recording.
enum class RecordingVerdict : int32_t {
    Empty,    // too little was kept: the file was deleted
    Saved,    // kept, nothing to warn about
    Silent,   // kept, but no sound was picked up (not loaded into the player)
    TooLoud,  // kept, but parts are distorted
};

// What became of the file a Replace recording replaces, when it is not simply deleted or given its name back.
enum class OldFileFate : int32_t {
    None,
    KeptBeside,        // the take's writes failed: the old file stays, under `oldFilePath`, beside what was kept
    NameNotGivenBack,  // the take was not kept but the old file could not be moved back: it is at `oldFilePath`
};

struct RecorderReport {
    RecorderEvent event;
    // StartFailed: the step that failed (kFileInTheWay with `path` naming the file in the way). Stopped: what ended
    // the take before a Stop (kDiskFull, kWriteFailed, kDeviceFailed for a microphone that stopped delivering), or a
    // finish or flush that failed, or kOk. MarkAdded: how writing the marks file went.
    Outcome outcome;
    RecordingVerdict verdict;
    bool stoppedAtSizeLimit;  // the WAV file could not grow further
    int32_t markNumber;
    double seconds;           // MarkAdded: where the mark is; Stopped: the recording's length
    int64_t fileBytes;        // Stopped: the file's size on disk, -1 when it cannot be read
    const wchar_t* path;      // Stopped: the recording file; StartFailed with kFileInTheWay: that file
    OldFileFate oldFileFate;  // Stopped
    const wchar_t* oldFilePath;
    Outcome marksOutcome;  // Stopped, for a kept take with marks: how its marks file was written
    const wchar_t* marksPath;
    // Started, NoSoundStarts, NoSoundEnds: the chosen microphone `inputName` was not there (or would not open), so
    // the take records from the system's default one.
    bool inputFallback;
    const wchar_t* inputName;
};

struct RecorderHostApi {
    // Every start, pause, resume, mark, warning and stop, as it happens (status line 111, detail line 112).
    void (*report)(const RecorderReport& report);
    void (*refreshControls)();
    void (*loadForPlay)(const wchar_t* path);
    void (*closePlayerFile)();
    void (*cancelPlaybackCapture)();
    void (*saveAllSettings)();
    void (*setElapsedText)(const wchar_t* text);
    void (*startRecordingTimer)();  // window timer 1, every 70 ms
    void (*stopRecordingTimer)();
    void (*invalidateMeter)();
    void (*repaintWindow)();
    // Read for every buffer: the box may be ticked or cleared while a recording runs.
    bool (*skipSilenceChecked)();
    void* (*captureNotifyTarget)();  // the window that receives buffer-done notices
    // Milliseconds of a clock that only goes forward (it may wrap): how long the device has gone without a buffer.
    uint32_t (*tickMs)();
    // The take's file from its start until it is finished (then null), kept where a crash cannot lose it so that the
    // next start can mend the file. May be left out (null) by a host that does not survive crashes.
    void (*takeInProgress)(const wchar_t* path);
};
