// A threading seam that starts nothing: the test or the command-line harness runs the playback thread's passes itself
// (playerThreadStep), so everything happens in a known order on one thread. Events count signals; joins succeed unless
// told to time out, which stands for a thread that does not end.
#pragma once

#include "player/threads.h"

struct ManualThreads {
    ThreadMain pendingMain;  // the last thread "started", not yet run
    void* pendingArgument;
    int started;
    bool failStart;
    bool joinTimesOut;
    int signals;  // events signalled so far
};

extern ManualThreads manualThreads;
extern const ThreadApi kManualThreads;

void manualThreadsReset();
// Runs the last started thread's main to its end on this thread (it ends once its quit flag is set).
void manualThreadsRunPending();
