// The outcome names the command-line harness prints.
#include "base/outcome.h"

const char* outcomeName(Outcome outcome) {
    switch (outcome) {
        case Outcome::kOk:
            return "ok";
        case Outcome::kNoDevice:
            return "no device";
        case Outcome::kDeviceFailed:
            return "device failed";
        case Outcome::kCreateFailed:
            return "create failed";
        case Outcome::kOpenFailed:
            return "open failed";
        case Outcome::kWriteFailed:
            return "write failed";
        case Outcome::kDiskFull:
            return "disk full";
        case Outcome::kReadFailed:
            return "read failed";
        case Outcome::kTooLarge:
            return "too large";
        case Outcome::kOutOfMemory:
            return "out of memory";
        case Outcome::kUnsupportedFormat:
            return "unsupported format";
        case Outcome::kEncoderFailed:
            return "encoder failed";
        case Outcome::kUndecodable:
            return "undecodable";
        case Outcome::kThreadFailed:
            return "thread failed";
        case Outcome::kNotOpen:
            return "not open";
        case Outcome::kFileInTheWay:
            return "file in the way";
    }
    return "unknown";
}
