// What the player's subcommands share: the platform's player services and writing a mono 16-bit WAV.
#pragma once

#include <stdint.h>

#include "player/general_decoder.h"

// The platform's general decoder (Media Foundation on Windows, with COM started for it; none natively).
const GeneralDecoderApi* cliGeneralDecoder();
// Writes samples as a mono 16-bit PCM WAV; 0 or -1.
int cliWriteMonoWav(const wchar_t* path, const int16_t* samples, int64_t count, int32_t sampleRate);
// Plays a file through the real output device (Windows only).
int cliListen(int argc, wchar_t** argv);
// notafon-cli decode FILE --out OUT.wav
int cliDecode(int argc, wchar_t** argv);
// notafon-cli play [--speed S] [--volume V] IN OUT.wav
int cliPlay(int argc, wchar_t** argv);
