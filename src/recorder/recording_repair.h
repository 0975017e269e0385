// Mending a recording that was never finished (the program was killed, Windows crashed, the power went): the WAV
// header is brought up to every whole sample on disk, a torn last MP3 frame is cut off. The same cut serves a take
// that a failing write ended.
#pragma once

#include <stdint.h>

#include "base/file_api.h"

struct RecordingMend {
    bool isMp3;
    int64_t sizeBefore;  // bytes on disk as found
    int64_t sizeAfter;
    double seconds;         // audio the mended file holds
    uint64_t keptPcmBytes;  // the same as mono 16-bit PCM bytes, for the "nothing was recorded" rule
};

// Mends the file at path in place. A file beginning "RIFF" must have this program's WAV layout; anything else is
// taken as a run of MP3 frames. kOk (also when nothing needed changing); kOpenFailed or kReadFailed when it cannot
// be read; kUnsupportedFormat for a WAV of another layout (left untouched); kWriteFailed when the mend could not be
// written.
Outcome mendRecording(const FileApi* files, const wchar_t* path, RecordingMend* mend);
