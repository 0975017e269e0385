// The start-up benchmark, run under Wine (or on Windows): starts each program given on the command line as a new
// process, the way a shortcut does, and times it from CreateProcessW until its top-level window is shown and painted,
// that is, visible with no part of it or of any visible child still waiting for WM_PAINT. Once idle it reads the
// process's private bytes and working set, then closes the window (WM_CLOSE) and waits for the process to end. The
// programs take turns, run after run, so a busy moment of the shared machine hits them alike; the median of the runs is
// reported with each program's ratio to the last one, the peer.
//
// usage: notafon_bench_startup_probe [--runs N] [--idle-ms MS] PROGRAM.exe... PEER.exe
#include <windows.h>

#include <psapi.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct Search {
    DWORD pid;
    HWND window;
};

BOOL CALLBACK FindProcessWindow(HWND window, LPARAM param) {
    Search* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search->pid || !IsWindowVisible(window) || GetWindow(window, GW_OWNER)) return TRUE;
    search->window = window;
    return FALSE;
}

BOOL CALLBACK FindUnpaintedChild(HWND child, LPARAM param) {
    if (IsWindowVisible(child) && GetUpdateRect(child, nullptr, FALSE)) {
        *reinterpret_cast<bool*>(param) = true;
        return FALSE;
    }
    return TRUE;
}

bool Painted(HWND window) {
    if (GetUpdateRect(window, nullptr, FALSE)) return false;
    bool pending = false;
    EnumChildWindows(window, FindUnpaintedChild, reinterpret_cast<LPARAM>(&pending));
    return !pending;
}

// Private bytes as Windows counts them: committed memory of the process that is neither a mapped image nor a mapped
// file. Summed from the address space itself, because Wine leaves the counters' PrivateUsage at 0.
double PrivateMb(HANDLE process) {
    uint64_t bytes = 0;
    MEMORY_BASIC_INFORMATION info;
    const char* address = nullptr;
    while (VirtualQueryEx(process, address, &info, sizeof info) == sizeof info) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) bytes += info.RegionSize;
        const char* next = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
        if (next <= address) break;
        address = next;
    }
    return static_cast<double>(bytes) / 1048576.0;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency) {
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Run {
    double seconds = -1;       // to the window shown and painted
    double shownSeconds = -1;  // to the window first seen visible
    double privateMb = -1;     // private bytes once idle
    double workingSetMb = -1;
};

// One start, measured; a negative time when the program failed to show a painted window within the time limit.
Run StartOnce(const std::wstring& program, DWORD idleMs) {
    Run run;
    std::wstring folder = program.substr(0, program.find_last_of(L"\\/") + 1);
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &si, &pi)) {
        fwprintf(stderr, L"startup: cannot start %ls (error %lu)\n", program.c_str(), GetLastError());
        return run;
    }
    Search search = {pi.dwProcessId, nullptr};
    for (;;) {
        QueryPerformanceCounter(&now);
        double t = Seconds(start, now, frequency);
        if (t > 30) break;
        if (!search.window) {
            EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&search));
            if (search.window) run.shownSeconds = t;
        }
        if (search.window && Painted(search.window)) {
            run.seconds = t;
            break;
        }
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) break;
        Sleep(1);
    }
    if (run.seconds >= 0) {
        Sleep(idleMs);
        run.privateMb = PrivateMb(pi.hProcess);
        PROCESS_MEMORY_COUNTERS counters = {};
        counters.cb = sizeof counters;
        if (GetProcessMemoryInfo(pi.hProcess, &counters, sizeof counters)) {
            run.workingSetMb = counters.WorkingSetSize / 1048576.0;
        }
    }
    if (search.window) PostMessageW(search.window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) {
        fwprintf(stderr, L"startup: %ls did not end after WM_CLOSE; terminated\n", program.c_str());
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return run;
}

double Median(std::vector<double> values) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

const wchar_t* BaseName(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return path.c_str() + (slash == std::wstring::npos ? 0 : slash + 1);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int runs = 10;
    DWORD idleMs = 1000;
    std::vector<std::wstring> programs;
    for (int i = 1; i < argc; ++i) {
        if (wcscmp(argv[i], L"--runs") == 0 && i + 1 < argc) {
            runs = _wtoi(argv[++i]);
        } else if (wcscmp(argv[i], L"--idle-ms") == 0 && i + 1 < argc) {
            idleMs = static_cast<DWORD>(_wtoi(argv[++i]));
        } else {
            programs.push_back(argv[i]);
        }
    }
    if (programs.size() < 2 || runs < 1) {
        fwprintf(stderr, L"usage: %ls [--runs N] [--idle-ms MS] PROGRAM.exe... PEER.exe\n", argv[0]);
        return 2;
    }
    size_t count = programs.size();
    std::vector<std::vector<Run>> results(count);
    for (int r = 0; r < runs; ++r) {
        // Alternate the order, so neither program always starts right after the other ended.
        for (size_t k = 0; k < count; ++k) {
            size_t p = r % 2 ? count - 1 - k : k;
            Run run = StartOnce(programs[p], idleMs);
            if (run.seconds < 0) {
                fwprintf(stderr, L"startup: %ls showed no painted window\n", programs[p].c_str());
                return 1;
            }
            results[p].push_back(run);
        }
    }
    std::vector<double> medians(count), privates(count);
    for (size_t p = 0; p < count; ++p) {
        std::vector<double> times, shown, priv, ws;
        for (const Run& run : results[p]) {
            times.push_back(run.seconds);
            shown.push_back(run.shownSeconds);
            priv.push_back(run.privateMb);
            ws.push_back(run.workingSetMb);
        }
        medians[p] = Median(times);
        privates[p] = Median(priv);
        wprintf(
            L"startup: %ls: shown and painted median %.3f s (min %.3f, max %.3f; first visible %.3f), "
            L"idle private bytes %.2f MB, working set %.2f MB, %d runs\n",
            BaseName(programs[p]), medians[p], *std::min_element(times.begin(), times.end()),
            *std::max_element(times.begin(), times.end()), Median(shown), privates[p], Median(ws), runs);
    }
    const std::wstring& peer = programs[count - 1];
    for (size_t p = 0; p + 1 < count; ++p) {
        wprintf(L"ratio: %ls / %ls: start-up %.2f, private bytes %.2f\n", BaseName(programs[p]), BaseName(peer),
                medians[p] / medians[count - 1], privates[p] / privates[count - 1]);
    }
    return 0;
}
