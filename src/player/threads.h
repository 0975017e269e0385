// The threading seam: a thread, a lock and an auto-reset event, all the player needs for its playback thread and the
// MP3 decoder's second thread. The Windows implementation is CreateThread, a critical section and an event object
// (the same event the waveform output signals); the native one uses the standard library.
#pragma once

typedef void* ThreadHandle;
typedef void* ThreadLock;
typedef void* ThreadEvent;

typedef void (*ThreadMain)(void* argument);

struct ThreadApi {
    // Starts main(argument) on a new thread; 0 and *thread, or negative.
    int (*start)(ThreadHandle* thread, ThreadMain main, void* argument);
    // Waits for the thread to end for at most timeoutMs (negative: without limit); 0 when it ended, -1 when it still
    // runs.
    int (*join)(ThreadHandle thread, int timeoutMs);
    // Lets go of the handle; a thread still running goes on by itself.
    void (*release)(ThreadHandle thread);
    // 0 and *lock, or negative.
    int (*lockCreate)(ThreadLock* lock);
    void (*lock)(ThreadLock lock);
    void (*unlock)(ThreadLock lock);
    void (*lockDestroy)(ThreadLock lock);
    // An auto-reset event, initially not signalled: one wait consumes one signal. 0 and *event, or negative.
    int (*eventCreate)(ThreadEvent* event);
    void (*eventSignal)(ThreadEvent event);
    // 0 when signalled within timeoutMs, 1 on timeout.
    int (*eventWait)(ThreadEvent event, int timeoutMs);
    void (*eventClose)(ThreadEvent event);
};

// The implementation for the platform this build runs on.
extern const ThreadApi kPlatformThreads;
