// The absent general decoder: the native build has none, so files that are neither WAV nor MP3 are refused; tests use
// it on every platform.
#include "player/general_decoder.h"

namespace {

int Decode(const wchar_t*, PcmTrack*) {
    return -1;
}

}  // namespace

const GeneralDecoderApi kNoGeneralDecoder = {Decode};
