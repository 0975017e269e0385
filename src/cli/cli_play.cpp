// notafon-cli play: opens a file as the player does and renders, through the real engine over the fake output device,
// every buffer the playback thread sends from position 0 until the track is exhausted, the last one included.
#include <float.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

#include "app/app_services.h"
#include "base/file_api.h"
#include "base/wav_file.h"
#include "cli/cli.h"
#include "cli/cli_options.h"
#include "cli/cli_player.h"
#include "player/output_fake.h"
#include "player/player.h"
#include "player/threads_manual.h"

int cliPlay(int argc, wchar_t** argv) {
    double speed = 1.0, volume = 1.0;
    const wchar_t* files[2] = {nullptr, nullptr};
    // Any number: the player clamps it, and that clamp is part of what this harness drives.
    const CliOption options[] = {
        cliNumber(L"--speed", -DBL_MAX, DBL_MAX, &speed),
        cliNumber(L"--volume", -DBL_MAX, DBL_MAX, &volume),
    };
    const CliCommandLine line = {options, 2, files, 2, "play takes IN and OUT.wav"};
    char refusal[kCliRefusalCapacity];
    int fileCount = cliParseCommandLine(line, argc, argv, refusal);
    if (fileCount < 0) return cliUsageError(refusal);
    if (fileCount != 2) return cliUsageError("play takes IN and OUT.wav");

    fakeOutputReset();
    manualThreadsReset();
    PlayerServicesApi services = {&kPlatformFiles, cliGeneralDecoder(), &kFakeOutputApi, &kManualThreads};
    const AppServices app = {.player = &services};
    appInstall(&app);
    appReset();
    playerSetSpeed(speed);
    playerSetVolume(volume);
    Outcome r = playerOpen(files[0]);
    if (!succeeded(r)) {
        fprintf(stderr, "notafon-cli: the file cannot be played (%s)\n", outcomeName(r));
        return 1;
    }
    const PlayerSession* s = player.session;
    // At 0.5x the output is twice the track, plus the buffers around its end.
    int64_t capacity = s->source.sampleCount * 2 + 8 * s->samplesPerBuffer;
    int16_t* written = static_cast<int16_t*>(malloc(static_cast<size_t>(capacity) * sizeof(int16_t)));
    if (!written) {
        playerClose();
        fprintf(stderr, "notafon-cli: out of memory\n");
        return 1;
    }
    fakeOutput.written = written;
    fakeOutput.writtenCapacity = capacity;
    const int32_t rate = s->source.sampleRate;
    const int64_t count = s->source.sampleCount;
    playerPlay();
    while (!playerHasEnded()) {
        playerThreadStep();
        fakeOutputPlay(INT64_MAX);
    }
    printf("decoder: %s\nrate: %d\nsamples: %lld\nwritten: %lld\nbuffers: %d\n", trackDecoderName(player.lastDecoder),
           rate, static_cast<long long>(count), static_cast<long long>(fakeOutput.writtenCount), fakeOutput.writes);
    fflush(stdout);
    r = writeMonoWavFile(&kPlatformFiles, files[1], written, fakeOutput.writtenCount, rate);
    playerClose();
    fakeOutput.written = nullptr;
    free(written);
    if (!succeeded(r)) {
        fprintf(stderr, "notafon-cli: cannot write the output file\n");
        return 1;
    }
    return 0;
}
