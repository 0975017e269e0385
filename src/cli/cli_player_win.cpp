// Windows parts of the harness's player subcommands: Media Foundation as the general decoder (COM started first, as
// the application does at start-up), and `listen`, which plays a file through waveOut with the real playback thread
// and reports when the player says the track has ended.
#include <windows.h>

#include <float.h>
#include <objbase.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

#include "app/app_services.h"
#include "base/file_api.h"
#include "cli/cli.h"
#include "cli/cli_options.h"
#include "cli/cli_player.h"
#include "player/mf_decoder_win.h"
#include "player/output_win.h"
#include "player/player.h"

const GeneralDecoderApi* cliGeneralDecoder() {
    static bool comStarted = false;
    if (!comStarted) {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        comStarted = true;
    }
    return &kMediaFoundationDecoder;
}

int cliListen(int argc, wchar_t** argv) {
    double speed = 1.0, volume = 1.0, timeout = 600.0;
    const wchar_t* input = nullptr;
    // Speed and volume: any number, as for play.
    const CliOption options[] = {
        cliNumber(L"--speed", -DBL_MAX, DBL_MAX, &speed),
        cliNumber(L"--volume", -DBL_MAX, DBL_MAX, &volume),
        cliSeconds(L"--timeout", &timeout),
    };
    const CliCommandLine line = {options, 3, &input, 1, "listen takes one file"};
    char refusal[kCliRefusalCapacity];
    if (cliParseCommandLine(line, argc, argv, refusal) < 0) return cliUsageError(refusal);
    if (!input) return cliUsageError("listen takes one file");
    PlayerServicesApi services = {&kPlatformFiles, cliGeneralDecoder(), &kWaveOutApi, &kPlatformThreads};
    const AppServices app = {.player = &services};
    appInstall(&app);
    appReset();
    Outcome r = playerOpen(input);
    if (!succeeded(r)) {
        fprintf(stderr, "notafon-cli: the file cannot be played (%s)\n", outcomeName(r));
        return 1;
    }
    playerSetSpeed(speed);
    playerSetVolume(volume);
    printf("decoder: %s\nduration: %.3f\n", trackDecoderName(player.lastDecoder), playerDuration());
    fflush(stdout);
    DWORD started = GetTickCount();
    // A device that fails under the player stops it for good here: nothing presses Play again.
    Outcome stopped = playerPlay();
    while (succeeded(stopped) && !playerHasEnded() && GetTickCount() - started < static_cast<DWORD>(timeout * 1000.0)) {
        Sleep(20);
        stopped = playerTakeStopReason();
    }
    bool ended = playerHasEnded();
    if (!succeeded(stopped)) printf("stopped: %s\n", outcomeName(stopped));
    printf("ended: %d\nposition: %.3f\nelapsed: %.3f\n", ended ? 1 : 0, playerPosition(),
           (GetTickCount() - started) / 1000.0);
    fflush(stdout);
    playerClose();
    return ended ? 0 : 1;
}
