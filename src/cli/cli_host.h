// The command-line harness's stand-in for the main window: it keeps what the recorder tells the window and answers
// what the recorder reads from it, and prints the results as "key: value" lines.
#pragma once

#include "recorder/recorder.h"
#include "recorder/recorder_host.h"

struct CliWindowState {
    int formatSelection;
    bool replace;
    bool skipSilence;
    wchar_t fileNameText[256];
    wchar_t folder[260];
    void* notifyTarget;
    wchar_t status[512];
    wchar_t note[1024];
    wchar_t loadedForPlay[260];
    void (*startTimer)();
    void (*stopTimer)();
};

extern CliWindowState cliWindow;
extern const RecorderHostApi kCliRecorderHost;

void cliWindowReset();
// What Record would hand the recorder, from the fields above and the local clock.
RecordingRequest cliRecordingRequest();
// Wide text to UTF-8 on stdout; carriage returns and line feeds inside a value as the two characters \r and \n.
void cliPrintValue(const char* key, const wchar_t* value);
// The status, detail, path and marks lines of a finished recording.
void cliPrintRecordingResult();
