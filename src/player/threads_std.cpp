// The threading seam over the C++ standard library, for the native build (tests, the command-line harness, the
// benchmarks).
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>

#include "player/threads.h"

namespace {

// A thread with a done flag, so that a join can give up after a timeout. When the handle is released while the thread
// still runs, the thread frees this record itself as it ends.
struct StdThread {
    std::thread thread;
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    bool released = false;
};

void Run(StdThread* t, ThreadMain main, void* argument) {
    main(argument);
    bool freeSelf;
    {
        std::lock_guard<std::mutex> hold(t->mutex);
        t->done = true;
        freeSelf = t->released;
        t->ended.notify_all();
    }
    if (freeSelf) delete t;
}

int Start(ThreadHandle* handle, ThreadMain main, void* argument) {
    StdThread* t = new (std::nothrow) StdThread;
    if (!t) return -1;
    t->thread = std::thread(Run, t, main, argument);
    *handle = t;
    return 0;
}

int Join(ThreadHandle handle, int timeoutMs) {
    StdThread* t = static_cast<StdThread*>(handle);
    std::unique_lock<std::mutex> hold(t->mutex);
    if (timeoutMs < 0) {
        t->ended.wait(hold, [t] { return t->done; });
    } else if (!t->ended.wait_for(hold, std::chrono::milliseconds(timeoutMs), [t] { return t->done; })) {
        return -1;
    }
    hold.unlock();
    if (t->thread.joinable()) t->thread.join();
    return 0;
}

void Release(ThreadHandle handle) {
    StdThread* t = static_cast<StdThread*>(handle);
    if (!t) return;
    std::unique_lock<std::mutex> hold(t->mutex);
    if (t->done) {
        hold.unlock();
        if (t->thread.joinable()) t->thread.join();
        delete t;
        return;
    }
    t->released = true;
    t->thread.detach();
}

int LockCreate(ThreadLock* lock) {
    std::mutex* m = new (std::nothrow) std::mutex;
    if (!m) return -1;
    *lock = m;
    return 0;
}
void Lock(ThreadLock lock) {
    static_cast<std::mutex*>(lock)->lock();
}
void Unlock(ThreadLock lock) {
    static_cast<std::mutex*>(lock)->unlock();
}
void LockDestroy(ThreadLock lock) {
    delete static_cast<std::mutex*>(lock);
}

struct StdEvent {
    std::mutex mutex;
    std::condition_variable signalled;
    bool set = false;
};

int EventCreate(ThreadEvent* event) {
    StdEvent* e = new (std::nothrow) StdEvent;
    if (!e) return -1;
    *event = e;
    return 0;
}

void EventSignal(ThreadEvent event) {
    StdEvent* e = static_cast<StdEvent*>(event);
    std::lock_guard<std::mutex> hold(e->mutex);
    e->set = true;
    e->signalled.notify_one();
}

int EventWait(ThreadEvent event, int timeoutMs) {
    StdEvent* e = static_cast<StdEvent*>(event);
    std::unique_lock<std::mutex> hold(e->mutex);
    if (!e->signalled.wait_for(hold, std::chrono::milliseconds(timeoutMs), [e] { return e->set; })) return 1;
    e->set = false;
    return 0;
}

void EventClose(ThreadEvent event) {
    delete static_cast<StdEvent*>(event);
}

}  // namespace

const ThreadApi kPlatformThreads = {Start,       Join,        Release,     LockCreate, Lock,      Unlock,
                                    LockDestroy, EventCreate, EventSignal, EventWait,  EventClose};
