// The native build's player services for the harness: no general decoder and no output device.
#include <stdio.h>

#include "cli/cli_player.h"

const GeneralDecoderApi* cliGeneralDecoder() {
    return &kNoGeneralDecoder;
}

int cliListen(int, wchar_t**) {
    fprintf(stderr, "notafon-cli: listen needs the Windows build (it plays through the real output device)\n");
    return 2;
}
