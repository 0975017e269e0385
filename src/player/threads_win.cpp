// Adapts the threading seam to the Win32 kernel: CreateThread, a critical section and an auto-reset event object. The
// event must be a kernel event because the waveform output signals it directly (CALLBACK_EVENT); the seam exists so
// that the player's logic builds and runs natively, where the standard library stands in.
#include <windows.h>

#include "player/threads.h"

namespace {

struct Start {
    ThreadMain main;
    void* argument;
};

DWORD WINAPI Trampoline(void* p) {
    Start s = *static_cast<Start*>(p);
    HeapFree(GetProcessHeap(), 0, p);
    s.main(s.argument);
    return 0;
}

int StartThread(ThreadHandle* handle, ThreadMain main, void* argument) {
    Start* s = static_cast<Start*>(HeapAlloc(GetProcessHeap(), 0, sizeof(Start)));
    if (!s) return -1;
    s->main = main;
    s->argument = argument;
    HANDLE h = CreateThread(nullptr, 0, Trampoline, s, 0, nullptr);
    if (!h) {
        HeapFree(GetProcessHeap(), 0, s);
        return -1;
    }
    *handle = h;
    return 0;
}

int Join(ThreadHandle handle, int timeoutMs) {
    DWORD wait = timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs);
    return WaitForSingleObject(static_cast<HANDLE>(handle), wait) == WAIT_OBJECT_0 ? 0 : -1;
}

void Release(ThreadHandle handle) {
    if (handle) CloseHandle(static_cast<HANDLE>(handle));
}

int LockCreate(ThreadLock* lock) {
    CRITICAL_SECTION* cs = static_cast<CRITICAL_SECTION*>(HeapAlloc(GetProcessHeap(), 0, sizeof(CRITICAL_SECTION)));
    if (!cs) return -1;
    InitializeCriticalSection(cs);
    *lock = cs;
    return 0;
}
void Lock(ThreadLock lock) {
    EnterCriticalSection(static_cast<CRITICAL_SECTION*>(lock));
}
void Unlock(ThreadLock lock) {
    LeaveCriticalSection(static_cast<CRITICAL_SECTION*>(lock));
}
void LockDestroy(ThreadLock lock) {
    DeleteCriticalSection(static_cast<CRITICAL_SECTION*>(lock));
    HeapFree(GetProcessHeap(), 0, lock);
}

int EventCreate(ThreadEvent* event) {
    HANDLE h = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!h) return -1;
    *event = h;
    return 0;
}
void EventSignal(ThreadEvent event) {
    SetEvent(static_cast<HANDLE>(event));
}
int EventWait(ThreadEvent event, int timeoutMs) {
    return WaitForSingleObject(static_cast<HANDLE>(event), static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0 ? 0 : 1;
}
void EventClose(ThreadEvent event) {
    CloseHandle(static_cast<HANDLE>(event));
}

}  // namespace

const ThreadApi kPlatformThreads = {StartThread, Join,        Release,     LockCreate, Lock,      Unlock,
                                    LockDestroy, EventCreate, EventSignal, EventWait,  EventClose};
