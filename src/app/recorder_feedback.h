// The words of the status and detail lines for what the recorder reports: one place for every recorder text, used by
// the main window and the command-line harness alike.
#pragma once

#include "recorder/recorder_host.h"

const int kRecorderStatusCapacity = 96;
// Room for two paths: a take cut short names where it is kept and where the file it was to replace is.
const int kRecorderDetailCapacity = 1024;

struct RecorderWords {
    bool hasStatus;  // false: the status line keeps what it shows
    wchar_t status[kRecorderStatusCapacity];
    bool hasDetail;  // false: the detail line keeps what it shows
    wchar_t detail[kRecorderDetailCapacity];
};

// The status line's title and the detail line's explanation when a start fails for this reason.
void recorderStartFailureWords(Outcome why, RecorderWords* words);
void recorderReportWords(const RecorderReport& report, RecorderWords* words);
