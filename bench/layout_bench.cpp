// The layout pass alone: microseconds per computeLayout in the window's common states (idle, player shown, settings
// open and scrolled, mini mode), best of --repeat runs of many passes. Next to it, as a peer measured in the same run,
// the cost of clearing the result the pass fills (one memset of LayoutResult), so the figure reads against the
// cheapest thing a pass could possibly do.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "ui/layout.h"

namespace {

double Now() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec * 1e-9;
}

LayoutInput Input(double scale) {
    LayoutInput in = {};
    in.uiScale = scale;
    in.clientWidth = static_cast<int>(380 * scale);
    in.clientHeight = static_cast<int>(700 * scale);
    in.haveWorkArea = true;
    in.workArea = {0, 0, 1920, 1040};
    in.windowRect = {100, 100, 600, 900};
    in.frameWidth = 16;
    in.frameHeight = 39;
    for (int i = 0; i < kTextCount; ++i) in.textHeight[i] = static_cast<int>(17 * scale);
    in.textHeight[kTextDetail] = in.textHeight[kTextRecordNote] = static_cast<int>(34 * scale);
    return in;
}

volatile int sink;

}  // namespace

int main(int argc, char** argv) {
    int repeat = 3;
    for (int i = 1; i + 1 < argc; ++i) {
        if (strcmp(argv[i], "--repeat") == 0) repeat = atoi(argv[i + 1]);
    }
    if (repeat < 1) {
        fprintf(stderr, "usage: %s [--repeat N], N at least 1\n", argv[0]);
        return 2;
    }
    const int passes = 200000;
    struct State {
        const char* name;
        LayoutInput in;
    } states[5] = {{"idle 100%", Input(1.0)},
                   {"player 150%", Input(1.5)},
                   {"settings open 100%", Input(1.0)},
                   {"settings scrolled 225%", Input(2.25)},
                   {"mini 100%", Input(1.0)}};
    states[1].in.playerLoaded = true;
    states[2].in.settingsOpen = states[2].in.lastRecording = true;
    states[3].in.settingsOpen = true;
    states[3].in.workArea.bottom = 800;
    states[4].in.miniMode = true;
    LayoutResult out;
    double peer = 1e9;
    for (int r = 0; r < repeat; ++r) {
        double t0 = Now();
        for (int i = 0; i < passes; ++i) {
            memset(&out, i & 1, sizeof out);
            sink = out.items[i % kItemCount].x;
        }
        double t = (Now() - t0) / passes * 1e6;
        if (t < peer) peer = t;
    }
    printf("layout: %d passes a run, best of %d; peer: clearing the result (%zu bytes) %.3f us\n", passes, repeat,
           sizeof out, peer);
    for (const State& s : states) {
        double best = 1e9;
        for (int r = 0; r < repeat; ++r) {
            LayoutState state = layoutInitialState();
            state.settingsScrollPos = 100;
            double t0 = Now();
            for (int i = 0; i < passes; ++i) {
                computeLayout(s.in, &state, &out);
                sink = out.items[i % kItemCount].y;
            }
            double t = (Now() - t0) / passes * 1e6;
            if (t < best) best = t;
        }
        printf("layout %-24s %.3f us a pass (%.1f x the peer)\n", s.name, best, best / peer);
    }
    return 0;
}
