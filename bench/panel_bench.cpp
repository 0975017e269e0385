// The audio hand-off to the web panel, next to a plain copy of the same file:
//   handoff FILE [--repeat N]
//       wall time of HandOffAudio(FILE) through the panel host (empty the hand-off folder, name the copy, copy, escape
//       the name, format and post the message) against the same copy loop alone and against cp as a child process;
//       best of N runs each, the hand-off folder emptied before every run, the file in the page cache.
// The copy is this file's read/write loop in both the hand-off and the peer, so the ratio shows what the hand-off
// adds around the copy; on Windows the copy itself is CopyFileW.
#include <dirent.h>
#include <fcntl.h>
#include <locale.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <wchar.h>

#include <string>
#include <vector>

#include "panel/panel_host.h"
#include "panel/service_address.h"

extern char** environ;

namespace {

double Now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

// The host writes Windows paths; here a backslash is a folder separator like the slash.
std::string Narrow(const wchar_t* path) {
    std::string out;
    char buffer[8];
    mbstate_t state = {};
    for (const wchar_t* p = path; *p; ++p) {
        size_t n = wcrtomb(buffer, *p == L'\\' ? L'/' : *p, &state);
        if (n != static_cast<size_t>(-1)) out.append(buffer, n);
    }
    return out;
}

int CopyLoop(const char* from, const char* to) {
    int in = open(from, O_RDONLY);
    if (in < 0) return -1;
    int out = open(to, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0) {
        close(in);
        return -1;
    }
    static char buffer[1 << 20];
    int status = 0;
    for (;;) {
        ssize_t got = read(in, buffer, sizeof buffer);
        if (got < 0) status = -1;
        if (got <= 0) break;
        if (write(out, buffer, static_cast<size_t>(got)) != got) {
            status = -1;
            break;
        }
    }
    close(in);
    if (close(out) != 0) status = -1;
    return status;
}

void EmptyFolderPosix(const char* folder) {
    DIR* dir = opendir(folder);
    if (!dir) return;
    while (dirent* entry = readdir(dir)) {
        std::string path = std::string(folder) + "/" + entry->d_name;
        struct stat st;
        if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) unlink(path.c_str());
    }
    closedir(dir);
}

int posts = 0;
size_t lastPostLength = 0;

// Only what HandOffAudio reaches is real; the browser's calls count the post.
int LocalAppData(wchar_t*, int) {
    return -1;
}
void CreateFolderTree(const wchar_t*) {}
int LoaderResource(const void**, uint32_t*) {
    return -1;
}
int64_t FileSize(const wchar_t*) {
    return -1;
}
int WriteNewFile(const wchar_t*, const void*, uint32_t) {
    return -1;
}
void EmptyFolder(const wchar_t* folder) {
    EmptyFolderPosix(Narrow(folder).c_str());
}
int CopyFile(const wchar_t* from, const wchar_t* to) {
    return CopyLoop(Narrow(from).c_str(), Narrow(to).c_str());
}
uint32_t TickCount() {
    return static_cast<uint32_t>(Now() * 1000.0);
}
void* AllocateZeroed(size_t bytes) {
    return calloc(1, bytes);
}
void FreeMemory(void* memory) {
    free(memory);
}
int LoadLoader(const wchar_t*) {
    return -1;
}
int32_t CreateEnvironment(const wchar_t*) {
    return -1;
}
void Nothing() {}
int32_t CreateController(PanelWindow) {
    return -1;
}
int KeepController() {
    return 0;
}
void PutBounds(PanelRect) {}
void PutVisible(int) {}
void ServeHost(const wchar_t*) {}
void Navigate(const wchar_t*) {}
// The service's page is shown: the hand-off is posted at once.
int CurrentSource(wchar_t* out, int capacity) {
    swprintf(out, static_cast<size_t>(capacity), L"%ls/", ServiceOrigin());
    return 0;
}
void PostJson(const wchar_t* json) {
    ++posts;
    lastPostLength = wcslen(json);
}
void CloseController() {}
int PostDeferred(PanelWindow) {
    return -1;
}
void OpenInBrowser(const wchar_t*) {}

const PanelPlatformApi kBenchPanel = {
    LocalAppData,  CreateFolderTree, LoaderResource,   FileSize,       WriteNewFile,  EmptyFolder,
    CopyFile,      TickCount,        AllocateZeroed,   FreeMemory,     LoadLoader,    CreateEnvironment,
    Nothing,       Nothing,          CreateController, KeepController, PutBounds,     PutVisible,
    Nothing,       Nothing,          ServeHost,        Nothing,        Navigate,      Nothing,
    CurrentSource, PostJson,         CloseController,  PostDeferred,   OpenInBrowser,
};

void ErrorToStderr(const wchar_t* text) {
    fprintf(stderr, "panel error: %ls\n", text);
}

double ChildSeconds(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid;
    double start = Now();
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    double wall = Now() - start;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? wall : -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || strcmp(argv[1], "handoff") != 0) {
        fprintf(stderr, "usage: %s handoff FILE [--repeat N]\n", argv[0]);
        return 2;
    }
    setlocale(LC_CTYPE, "C.UTF-8");
    const char* file = argv[2];
    int repeat = argc >= 5 && strcmp(argv[3], "--repeat") == 0 ? atoi(argv[4]) : 5;
    if (repeat < 1) {
        fprintf(stderr, "usage: %s handoff FILE [--repeat N], N at least 1\n", argv[0]);
        return 2;
    }
    struct stat st;
    if (stat(file, &st) != 0) {
        fprintf(stderr, "no file %s\n", file);
        return 1;
    }
    char folder[] = "/tmp/notafon-handoff-bench.XXXXXX";
    if (!mkdtemp(folder)) return 1;
    std::string handoff = std::string(folder) + "/handoff";
    mkdir(handoff.c_str(), 0755);

    // The panel as prepared: an open page and a hand-off folder; the source given as a Windows-style path.
    panelHostInstall(&kBenchPanel, PanelCallbacks{});
    panelHost.errorCallback = ErrorToStderr;
    panelHost.haveWebView = true;
    panelHost.pageReady = 1;
    swprintf(panelHost.handoffFolder, kPanelPathCapacity, L"%s", handoff.c_str());
    wchar_t source[kPanelPathCapacity];
    swprintf(source, kPanelPathCapacity, L"%s", file);
    for (wchar_t* p = source; *p; ++p) {
        if (*p == L'/') *p = L'\\';
    }
    std::string plainTarget = std::string(folder) + "/plain.mp3";
    std::string cpTarget = std::string(folder) + "/cp.mp3";

    CopyLoop(file, plainTarget.c_str());  // the file into the page cache
    double bestHandoff = 1e9, bestPlain = 1e9, bestCp = 1e9;
    for (int i = 0; i < repeat; ++i) {
        unlink(plainTarget.c_str());
        unlink(cpTarget.c_str());
        EmptyFolderPosix(handoff.c_str());
        // Alternating which goes first, so neither always writes right after the previous run's files were freed.
        double handoffTime = 0, plainTime = 0;
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn == 0) == (i % 2 == 0)) {
                int before = posts;
                double start = Now();
                HandOffAudio(source);
                handoffTime = Now() - start;
                if (posts != before + 1) {
                    fprintf(stderr, "the hand-off posted nothing\n");
                    return 1;
                }
            } else {
                double start = Now();
                if (CopyLoop(file, plainTarget.c_str()) != 0) return 1;
                plainTime = Now() - start;
            }
        }
        double cpTime = ChildSeconds({"cp", "--reflink=never", file, cpTarget});
        if (handoffTime < bestHandoff) bestHandoff = handoffTime;
        if (plainTime < bestPlain) bestPlain = plainTime;
        if (cpTime >= 0 && cpTime < bestCp) bestCp = cpTime;
    }
    printf("file: %s (%.1f MB)\n", file, static_cast<double>(st.st_size) / 1e6);
    printf("hand-off (copy + message): %.1f ms, message %zu characters\n", bestHandoff * 1e3, lastPostLength);
    printf("plain copy, same loop:     %.1f ms\n", bestPlain * 1e3);
    printf("cp as a child process:     %.1f ms\n", bestCp * 1e3);
    printf("ratio hand-off / plain copy: %.3f; hand-off / cp: %.3f (best of %d)\n", bestHandoff / bestPlain,
           bestHandoff / bestCp, repeat);
    EmptyFolderPosix(handoff.c_str());
    rmdir(handoff.c_str());
    unlink(plainTarget.c_str());
    unlink(cpTarget.c_str());
    rmdir(folder);
    return 0;
}
