// What the recorder tells the main window and reads from it while a recording runs. The application shell fills this
// table; tests and the command-line harness supply their own.
#pragma once

#include "recorder/recording_names.h"

struct RecorderHost {
    void (*setStatus)(const wchar_t* text);  // status line (static 111)
    void (*setNote)(const wchar_t* text);    // detail line (static 112)
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
};
