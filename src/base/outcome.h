// What an operation that can fail reports: one named value per cause the code tells apart, shared by every subsystem
// so that a failure keeps its meaning on its way up to the window, which alone turns it into words.
#pragma once

#include <stdint.h>

enum class Outcome : int32_t {
    kOk = 0,
    kNoDevice,           // no audio device could be opened
    kDeviceFailed,       // the open device refused a buffer or would not start
    kCreateFailed,       // a file could not be created (exists, access denied, in use, folder missing)
    kOpenFailed,         // an existing file could not be opened for reading
    kWriteFailed,        // a write stopped short
    kDiskFull,           // a write stopped short because the volume has no room left
    kReadFailed,         // a read or seek failed, or a file's size could not be read
    kTooLarge,           // a file is larger than what may be read into memory
    kOutOfMemory,        // an allocation failed
    kUnsupportedFormat,  // the encoder does not take this sample rate and bit rate
    kEncoderFailed,      // the encoder could not be created
    kUndecodable,        // no decoder turns the bytes into a track
    kThreadFailed,       // a thread, event or lock could not be created
    kNotOpen,            // the operation needs something open that is not
    kFileInTheWay,       // a file left from before stands where a new one has to go
};

inline bool succeeded(Outcome outcome) {
    return outcome == Outcome::kOk;
}

// A short lower-case name for diagnostics of the command-line harness ("no device"); never shown in the window.
const char* outcomeName(Outcome outcome);
