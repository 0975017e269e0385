// What the player's subcommands share: the platform's player services.
#pragma once

#include <stdint.h>

#include "player/general_decoder.h"

// The platform's general decoder (Media Foundation on Windows, with COM started for it; none natively).
const GeneralDecoderApi* cliGeneralDecoder();
// Plays a file through the real output device (Windows only).
int cliListen(int argc, wchar_t** argv);
// notafon-cli decode FILE --out OUT.wav
int cliDecode(int argc, wchar_t** argv);
// notafon-cli stream-check FILE --at SECONDS... [--seconds S]
int cliStreamCheck(int argc, wchar_t** argv);
// notafon-cli play [--speed S] [--volume V] IN OUT.wav
int cliPlay(int argc, wchar_t** argv);
