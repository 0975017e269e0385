// The manual threading seam.
#include "player/threads_manual.h"

#include <string.h>

ManualThreads manualThreads;

namespace {

int dummy;

int Start(ThreadHandle* thread, ThreadMain main, void* argument) {
    if (manualThreads.failStart) return -1;
    manualThreads.pendingMain = main;
    manualThreads.pendingArgument = argument;
    manualThreads.started += 1;
    *thread = &dummy;
    return 0;
}
int Join(ThreadHandle, int) {
    return manualThreads.joinTimesOut ? -1 : 0;
}
void Release(ThreadHandle) {}
int LockCreate(ThreadLock* lock) {
    *lock = &dummy;
    return 0;
}
void Nothing(ThreadLock) {}
int EventCreate(ThreadEvent* event) {
    *event = &dummy;
    return 0;
}
void EventSignal(ThreadEvent) {
    manualThreads.signals += 1;
}
int EventWait(ThreadEvent, int) {
    return 1;
}
void EventClose(ThreadEvent) {}

}  // namespace

const ThreadApi kManualThreads = {Start,   Join,        Release,     LockCreate, Nothing,   Nothing,
                                  Nothing, EventCreate, EventSignal, EventWait,  EventClose};

void manualThreadsReset() {
    memset(&manualThreads, 0, sizeof manualThreads);
}

void manualThreadsRunPending() {
    ThreadMain main = manualThreads.pendingMain;
    manualThreads.pendingMain = nullptr;
    if (main) main(manualThreads.pendingArgument);
}
