// Windows parts of the harness's player subcommands: Media Foundation as the general decoder (COM started first, as
// the application does at start-up), and `listen`, which plays a file through waveOut with the real playback thread
// and reports when the player says the track has ended.
#include <windows.h>

#include <objbase.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

#include "base/file_api.h"
#include "cli/cli.h"
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
    for (int i = 0; i < argc; ++i) {
        bool hasValue = i + 1 < argc;
        if (wcscmp(argv[i], L"--speed") == 0 && hasValue) {
            speed = wcstod(argv[++i], nullptr);
        } else if (wcscmp(argv[i], L"--volume") == 0 && hasValue) {
            volume = wcstod(argv[++i], nullptr);
        } else if (wcscmp(argv[i], L"--timeout") == 0 && hasValue) {
            if (!cliParseSeconds(argv[++i], &timeout)) return cliUsageError("--timeout takes seconds");
        } else if (!input) {
            input = argv[i];
        } else {
            return cliUsageError("listen takes one file");
        }
    }
    if (!input) return cliUsageError("listen takes one file");
    PlayerServices services = {&kPlatformFiles, cliGeneralDecoder(), &kWaveOutApi, &kPlatformThreads};
    playerInstall(&services);
    playerReset();
    int r = playerOpen(input);
    if (r != 0) {
        fprintf(stderr, "notafon-cli: the file cannot be played (%d)\n", r);
        return 1;
    }
    playerSetSpeed(speed);
    playerSetVolume(volume);
    printf("decoder: %s\nduration: %.3f\n", trackDecoderName(player.lastDecoder), playerDuration());
    fflush(stdout);
    DWORD started = GetTickCount();
    playerPlay();
    while (!playerHasEnded() && GetTickCount() - started < static_cast<DWORD>(timeout * 1000.0)) Sleep(20);
    bool ended = playerHasEnded();
    printf("ended: %d\nposition: %.3f\nelapsed: %.3f\n", ended ? 1 : 0, playerPosition(),
           (GetTickCount() - started) / 1000.0);
    fflush(stdout);
    playerClose();
    return ended ? 0 : 1;
}
