// The absent general decoder: the native build has none, so files that are neither WAV nor MP3 are refused; tests use
// it on every platform.
#include "player/general_decoder.h"

namespace {

int Decode(const wchar_t*, PcmTrack*) {
    return -1;
}

int Open(const wchar_t*, GeneralStream**, int64_t*) {
    return -1;
}

int Seek(GeneralStream*, int64_t) {
    return -1;
}

int Read(GeneralStream*, const int16_t**, int32_t*, int64_t*) {
    return -1;
}

void Detach(GeneralStream*) {}

void Close(GeneralStream*) {}

int ThreadBegin() {
    return -1;
}

void ThreadEnd() {}

}  // namespace

const GeneralDecoderApi kNoGeneralDecoder = {Decode, Open, Seek, Read, Detach, Close, ThreadBegin, ThreadEnd};
