// notafon-cli decode: the player's decoder chain on one file, written out as the mono 16-bit track it gives.
#include <stdio.h>
#include <wchar.h>

#include "base/file_api.h"
#include "base/wav_file.h"
#include "cli/cli.h"
#include "cli/cli_options.h"
#include "cli/cli_player.h"
#include "player/track_loader.h"
#include "recorder/recorder.h"

int cliDecode(int argc, wchar_t** argv) {
    const wchar_t* input = nullptr;
    const wchar_t* out = nullptr;
    const CliOption options[] = {cliText(L"--out", &out)};
    const CliCommandLine line = {options, 1, &input, 1, "more than one input file"};
    char refusal[kCliRefusalCapacity];
    if (cliParseCommandLine(line, argc, argv, refusal) < 0) return cliUsageError(refusal);
    if (!input || !out) return cliUsageError("decode needs FILE and --out OUT.wav");

    PcmTrack track = {nullptr, 0, 0};
    TrackDecoder used = TrackDecoder::None;
    if (!succeeded(loadTrack(input, &kPlatformFiles, cliGeneralDecoder(), &kPlatformThreads, &track, &used))) {
        fprintf(stderr,
                "notafon-cli: the file cannot be played: it cannot be read, or no decoder (WAV, MP3 or the "
                "platform's) turns it into more than %d samples\n",
                kMinTrackSamples);
        return 1;
    }
    printf("decoder: %s\nrate: %d\nsamples: %d\n", trackDecoderName(used), track.sampleRate, track.sampleCount);
    fflush(stdout);
    Outcome r = writeMonoWavFile(&kPlatformFiles, out, track.samples, track.sampleCount, track.sampleRate);
    pcmTrackFree(&track);
    if (!succeeded(r)) {
        fprintf(stderr, "notafon-cli: cannot write the output file\n");
        return 1;
    }
    return 0;
}
