// POSIX parts of the harness: killing itself, and the capture subcommand's refusal (there is no capture device).
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>

#include "cli/cli.h"

void cliKillSelf() {
    fflush(nullptr);
    raise(SIGKILL);
    abort();
}

int cliCapture(int, wchar_t**) {
    fprintf(stderr, "notafon-cli: capture needs the Windows build (it records from the real microphone)\n");
    return 2;
}
