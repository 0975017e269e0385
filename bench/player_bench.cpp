// The player's benchmarks, next to the programs people would compare it with:
//   load FILE.mp3 [--repeat N]
//       wall time, CPU time and peak memory of loading the file into the track (file read and decode, as
//       playerOpen does), on two threads and on one, next to mpg123 and ffmpeg decoding the same file to raw PCM;
//       each is a child process, best wall time of N runs.
//   stretch FILE.wav --speed S [--repeat N] [--plain-seconds T]
//       CPU time per hour of track to stretch the whole file at speed S in the engine's 50 ms buffers, next to
//       soundstretch (default settings) at the same tempo; the plain search is timed on the first T seconds only
//       (default 120) and its output compared with the fast search's.
//   open FILE [--repeat N]
//       the streaming player on FILE through the fake output: time from playerOpen to the first output buffer
//       written, the time a long MP3's length takes to settle after it (the playback thread's walk of the file), and
//       from N seeks at spread-out points to the first buffer after each (median and worst), with the
//       peak memory above the idle process; for MP3 next to mpg123 decoding its first frame (-n 1), its first frame
//       after a skip to the same points (-k), and its peak memory decoding the whole file (-s).
//   cpu FILE.mp3 [--repeat N]
//       CPU time (user + system) of a process that plays the whole file at 100 % and at 150 % through the fake output
//       as fast as it goes, the playback thread's passes run in turn with the output taking every buffer, next to
//       mpg123 decoding the file to raw PCM and soundstretch stretching that decode at the same tempo (0 and +50);
//       best of N interleaved rounds, with the output buffers and samples each play wrote and the load around it.
// Internal: load-once FILE --threads 1|2 (one timed load in this process); open-once FILE --repeat N;
// cpu-once FILE --speed S [--hash 1] (one play; with --hash, a hash of every sample written, to show that a change to
// the buffer path leaves its output as it was).
#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <wchar.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/file_api.h"
#include "player/mp3_decoder.h"
#include "player/output_fake.h"
#include "player/player.h"
#include "player/threads_manual.h"
#include "player/time_stretcher.h"
#include "player/track_loader.h"

extern char** environ;

namespace {

double Now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

double CpuSeconds() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

struct Run {
    double wall, cpu, peakMb;
    bool ok;
};

// Runs argv as a child with stdout to /dev/null (stderr too when quiet); wall, CPU (user + system) and peak RSS.
Run Child(const std::vector<std::string>& args, bool quiet = false) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (quiet) posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid;
    double start = Now();
    Run r = {0, 0, 0, false};
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) return r;
    int status = 0;
    rusage use;
    wait4(pid, &status, 0, &use);
    r.wall = Now() - start;
    r.cpu = use.ru_utime.tv_sec + use.ru_utime.tv_usec * 1e-6 + use.ru_stime.tv_sec + use.ru_stime.tv_usec * 1e-6;
    r.peakMb = use.ru_maxrss / 1024.0;
    r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    posix_spawn_file_actions_destroy(&actions);
    return r;
}

Run Best(const std::vector<std::string>& args, int repeat, bool quiet = false) {
    Run best = {1e30, 0, 0, false};
    for (int i = 0; i < repeat; ++i) {
        Run r = Child(args, quiet);
        if (!r.ok) return r;
        if (r.wall < best.wall) best = r;
    }
    return best;
}

std::wstring Wide(const char* s) {
    std::wstring w;
    for (; *s; ++s) w.push_back(static_cast<unsigned char>(*s));
    return w;
}

int LoadOnce(const char* file, int threads) {
    std::wstring path = Wide(file);
    PcmTrack track = {nullptr, 0, 0};
    TrackDecoder used;
    double start = Now();
    Outcome r = loadTrack(path.c_str(), &kPlatformFiles, &kNoGeneralDecoder, threads == 2 ? &kPlatformThreads : nullptr,
                          &track, &used);
    double wall = Now() - start;
    if (!succeeded(r)) return 1;
    fprintf(stderr, "load-once: %d threads, %d samples at %d Hz, %.3f s, split %d\n", threads, track.sampleCount,
            track.sampleRate, wall, mp3Decoder.lastDecodeSplit ? 1 : 0);
    pcmTrackFree(&track);
    return 0;
}

void Print(const char* name, const Run& r, double reference) {
    if (!r.ok) {
        printf("  %-22s failed\n", name);
        return;
    }
    printf("  %-22s wall %7.3f s   cpu %7.3f s   peak %7.1f MB   wall/faster peer %.2f\n", name, r.wall, r.cpu,
           r.peakMb, reference > 0 ? r.wall / reference : 0.0);
}

int Load(const char* self, const char* file, int repeat) {
    Run two = Best({self, "load-once", file, "--threads", "2"}, repeat);
    Run one = Best({self, "load-once", file, "--threads", "1"}, repeat);
    Run mpg = Best({"mpg123", "-q", "-s", file}, repeat);
    Run ff = Best({"ffmpeg", "-v", "error", "-i", file, "-f", "s16le", "-"}, repeat);
    double faster = 0;
    if (mpg.ok) faster = mpg.wall;
    if (ff.ok && (faster == 0 || ff.wall < faster)) faster = ff.wall;
    printf("load %s (best wall of %d)\n", file, repeat);
    Print("notafon, two threads", two, faster);
    Print("notafon, one thread", one, faster);
    Print("mpg123 -s", mpg, faster);
    Print("ffmpeg -f s16le", ff, faster);
    return two.ok && one.ok ? 0 : 1;
}

bool ReadTrack(const char* file, PcmTrack* track) {
    std::wstring path = Wide(file);
    TrackDecoder used;
    return loadTrack(path.c_str(), &kPlatformFiles, &kNoGeneralDecoder, &kPlatformThreads, track, &used) ==
           Outcome::kOk;
}

// Stretches [0, length) in buffers of rate / 20; CPU seconds, output in *out when given.
double StretchAll(TimeStretcher* t, const PcmTrack& track, int32_t length, double speed, std::vector<int16_t>* out) {
    const int32_t n = track.sampleRate / 20;
    std::vector<int16_t> buffer(static_cast<size_t>(n));
    timeStretcherReset(t, 0.0);
    double start = CpuSeconds();
    while (timeStretcherPosition(t) < length) {
        timeStretcherProcess(t, track.samples, length, speed, buffer.data(), n);
        if (out) out->insert(out->end(), buffer.begin(), buffer.end());
    }
    return CpuSeconds() - start;
}

int Stretch(const char* file, double speed, int repeat, double plainSeconds) {
    PcmTrack track = {nullptr, 0, 0};
    if (!ReadTrack(file, &track)) {
        fprintf(stderr, "bench: cannot read %s\n", file);
        return 1;
    }
    const double hours = static_cast<double>(track.sampleCount) / track.sampleRate / 3600.0;
    TimeStretcher* t = timeStretcherCreate(track.sampleRate);
    double fast = 1e30;
    for (int i = 0; i < repeat; ++i) {
        double c = StretchAll(t, track, track.sampleCount, speed, nullptr);
        if (c < fast) fast = c;
    }
    // The plain loop on the first plainSeconds, and the fast search's output over the same stretch.
    int32_t part = static_cast<int32_t>(plainSeconds * track.sampleRate);
    if (part > track.sampleCount) part = track.sampleCount;
    std::vector<int16_t> a, b;
    StretchAll(t, track, part, speed, &a);
    t->plainSearch = true;
    double plain = StretchAll(t, track, part, speed, &b);
    t->plainSearch = false;
    timeStretcherDestroy(t);
    const double partHours = static_cast<double>(part) / track.sampleRate / 3600.0;

    char tempo[32];
    snprintf(tempo, sizeof tempo, "-tempo=%+.0f", (speed - 1.0) * 100.0);
    std::string out = "/tmp/notafon-bench-soundstretch-" + std::to_string(getpid()) + ".wav";
    Run st = Best({"soundstretch", file, out, tempo}, repeat, true);
    unlink(out.c_str());

    printf("stretch %s at %.2fx (%.2f h of track; CPU per hour of track)\n", file, speed, hours);
    printf("  %-28s %7.2f s\n", "notafon, fast search", fast / hours);
    printf("  %-28s %7.2f s   (first %.0f s only; output identical: %s)\n", "notafon, plain search", plain / partHours,
           part / static_cast<double>(track.sampleRate), a == b ? "yes" : "NO");
    if (st.ok) {
        printf("  %-28s %7.2f s   (%s, whole process)\n", "soundstretch", st.cpu / hours, tempo);
    } else {
        printf("  soundstretch failed\n");
    }
    pcmTrackFree(&track);
    return a == b ? 0 : 1;
}

double RssMb() {
    FILE* f = fopen("/proc/self/statm", "r");
    long pages = 0, resident = 0;
    if (f) {
        if (fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024.0) / 1024.0;
}

// The seek points: spread over the track, none at the start, in an order that jumps back and forth.
double SeekPoint(int i, int count, double duration) {
    const int slot = (i * 7) % count;
    return duration * (slot + 0.5) / count * 0.98;
}

int OpenOnce(const char* file, int seeks) {
    fakeOutputReset();
    manualThreadsReset();
    PlayerServicesApi services = {&kPlatformFiles, &kNoGeneralDecoder, &kFakeOutputApi, &kManualThreads};
    playerInstall(&services);
    const double idle = RssMb();
    std::wstring path = Wide(file);
    double start = Now();
    if (!succeeded(playerOpen(path.c_str()))) return 1;
    playerThreadStep();
    const double first = Now() - start;
    if (fakeOutput.writes < 1) return 1;
    // A long MP3's length settles as the thread walks the file between its passes; the seeks below come after it.
    start = Now();
    int passes = 0;
    while (!playerLengthSettled()) {
        playerThreadStep();
        ++passes;
    }
    const double settle = Now() - start;
    std::vector<double> after;
    const double duration = playerDuration();
    for (int i = 0; i < seeks; ++i) {
        const int before = fakeOutput.writes;
        start = Now();
        playerSeek(SeekPoint(i, seeks, duration));
        playerThreadStep();
        after.push_back(Now() - start);
        if (fakeOutput.writes <= before) return 1;
    }
    std::sort(after.begin(), after.end());
    rusage use;
    getrusage(RUSAGE_SELF, &use);
    // Read by the parent: duration, first buffer, median and worst seek, memory above idle, time to the settled length.
    printf("%.3f %.6f %.6f %.6f %.1f %s %.6f %d\n", duration, first, after[after.size() / 2], after.back(),
           use.ru_maxrss / 1024.0 - idle, trackDecoderName(player.lastDecoder), settle, passes);
    playerClose();
    return 0;
}

// One child run whose output line is kept.
bool ChildLine(const std::vector<std::string>& args, std::string* line) {
    std::string cmd;
    for (const std::string& a : args) cmd += "'" + a + "' ";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return false;
    char buffer[512];
    line->clear();
    while (fgets(buffer, sizeof buffer, p)) *line += buffer;
    return pclose(p) == 0;
}

int Open(const char* self, const char* file, int repeat) {
    const int seeks = 20;
    // Best of `repeat` runs, each in a fresh process so that the memory figure is its own.
    double duration = 0, first = 1e30, median = 1e30, worst = 1e30, memory = 1e30, settled = 1e30;
    int passes = 0;
    char decoder[32] = "?";
    for (int i = 0; i < repeat; ++i) {
        std::string line;
        if (!ChildLine({self, "open-once", file, "--repeat", std::to_string(seeks)}, &line)) {
            printf("open %s: failed\n", file);
            return 1;
        }
        double d, f, m, w, mem, settle;
        char name[32];
        int p = 0;
        if (sscanf(line.c_str(), "%lf %lf %lf %lf %lf %31s %lf %d", &d, &f, &m, &w, &mem, name, &settle, &p) != 8) {
            return 1;
        }
        settled = std::min(settled, settle);
        passes = p;
        duration = d;
        first = std::min(first, f);
        median = std::min(median, m);
        worst = std::min(worst, w);
        memory = std::min(memory, mem);
        snprintf(decoder, sizeof decoder, "%s", name);
    }
    printf("open %s (%.2f h, %s; best of %d runs, %d seeks each)\n", file, duration / 3600, decoder, repeat, seeks);
    printf("  %-24s first buffer %8.2f ms   seek median %6.2f ms, worst %6.2f ms   memory above idle %6.1f MB\n",
           "notafon", first * 1e3, median * 1e3, worst * 1e3, memory);
    if (passes > 0) {
        printf("  %-24s length settled %.2f ms after the first buffer, in %d passes of the playback thread\n", "",
               settled * 1e3, passes);
    }
    if (strcmp(decoder, "mp3") != 0) return 0;
    // mpg123: its first frame, its first frame after a skip (frames of 1152 or 576 samples at the file's rate are
    // what -k counts; the rate comes from the file name's convention of the bench input), and a whole decode.
    Run open = Best({"mpg123", "-q", "-s", "-n", "1", file}, repeat);
    const bool low = strstr(file, "22050") != nullptr;
    const double framesPerSecond = low ? 22050.0 / 576 : 44100.0 / 1152;
    std::vector<double> skips;
    for (int i = 0; i < 5; ++i) {
        long frame = static_cast<long>(SeekPoint(i, 5, duration) * framesPerSecond);
        Run r = Best({"mpg123", "-q", "-s", "-k", std::to_string(frame), "-n", "1", file}, 1);
        if (r.ok) skips.push_back(r.wall);
    }
    std::sort(skips.begin(), skips.end());
    Run whole = Best({"mpg123", "-q", "-s", file}, 1);
    printf("  %-24s first frame  %8.2f ms   skip median  %6.2f ms (whole process)   peak decoding all %6.1f MB\n",
           "mpg123", open.wall * 1e3, skips.empty() ? 0.0 : skips[skips.size() / 2] * 1e3, whole.peakMb);
    if (open.ok && !skips.empty() && whole.ok) {
        printf("  %-24s first %.3f   seek %.3f   memory %.3f\n", "notafon / mpg123", first / open.wall,
               median / skips[skips.size() / 2], memory / whole.peakMb);
    }
    return 0;
}

double LoadAverage() {
    double one = -1;
    FILE* f = fopen("/proc/loadavg", "r");
    if (f) {
        if (fscanf(f, "%lf", &one) != 1) one = -1;
        fclose(f);
    }
    return one;
}

// Every buffer the output holds is heard at once, so the next pass refills all four: the process does nothing but
// the player's own work (and, when asked, the hash of what it wrote).
int CpuOnce(const char* file, double speed, bool hash) {
    fakeOutputReset();
    manualThreadsReset();
    PlayerServicesApi services = {&kPlatformFiles, &kNoGeneralDecoder, &kFakeOutputApi, &kManualThreads};
    playerInstall(&services);
    std::wstring path = Wide(file);
    const double start = CpuSeconds();
    playerSetSpeed(speed);
    if (!succeeded(playerOpen(path.c_str()))) return 1;
    const double opened = CpuSeconds();
    if (!succeeded(playerPlay())) return 1;
    uint64_t fnv = 14695981039346656037ull;
    int64_t heard = 0;
    int idle = 0;
    while (!playerHasEnded()) {
        playerThreadStep();
        if (hash) {
            for (int q = 0; q < fakeOutput.queued; ++q) {
                const OutputHeader* h = fakeOutput.queue[q];
                for (uint32_t b = 0; b < h->bufferLength; ++b) {
                    fnv = (fnv ^ static_cast<unsigned char>(h->data[b])) * 1099511628211ull;
                }
            }
        }
        const int64_t played = fakeOutputPlay(INT64_MAX / 4);
        heard += played;
        // A pass that neither queues nor ends means the player is stuck; it is not left spinning.
        idle = played > 0 ? 0 : idle + 1;
        if (idle > 2) {
            fprintf(stderr, "cpu-once: stuck at %.3f s\n", playerPosition());
            return 1;
        }
    }
    const double end = CpuSeconds();
    const double rate = player.session->source.sampleRate;
    const int64_t trackSamples = player.session->source.sampleCount;
    const int32_t perBuffer = player.session->samplesPerBuffer;
    // Read by the parent: track samples, rate, buffers written, samples heard, samples per buffer, CPU seconds of the
    // open and of the play, the hash.
    printf("%lld %.0f %d %lld %d %.6f %.6f %016llx\n", static_cast<long long>(trackSamples), rate, fakeOutput.writes,
           static_cast<long long>(heard), perBuffer, opened - start, end - opened,
           static_cast<unsigned long long>(fnv));
    playerClose();
    return 0;
}

struct CpuPlay {
    Run run;
    long long trackSamples, heard;
    double rate, openCpu, playCpu;
    int writes, perBuffer;
};

bool PlayChild(const char* self, const char* file, double speed, CpuPlay* play) {
    std::string line;
    char speedText[32];
    snprintf(speedText, sizeof speedText, "%.4f", speed);
    const double start = Now();
    // The CPU time is the child's own, from wait4 (popen's child is the shell, which execs the player).
    rusage before, after;
    getrusage(RUSAGE_CHILDREN, &before);
    const bool ok = ChildLine({self, "cpu-once", file, "--speed", speedText}, &line);
    getrusage(RUSAGE_CHILDREN, &after);
    play->run.wall = Now() - start;
    play->run.cpu =
        (after.ru_utime.tv_sec - before.ru_utime.tv_sec) + (after.ru_utime.tv_usec - before.ru_utime.tv_usec) * 1e-6 +
        (after.ru_stime.tv_sec - before.ru_stime.tv_sec) + (after.ru_stime.tv_usec - before.ru_stime.tv_usec) * 1e-6;
    play->run.peakMb = 0;
    char hash[32];
    play->run.ok =
        ok && sscanf(line.c_str(), "%lld %lf %d %lld %d %lf %lf %31s", &play->trackSamples, &play->rate, &play->writes,
                     &play->heard, &play->perBuffer, &play->openCpu, &play->playCpu, hash) == 8;
    return play->run.ok;
}

// The play covered the whole track: it ended with as many samples as the track lasts at that
// speed (the last buffer is filled up with silence), every one of them in a buffer written.
bool PlayedWhole(const CpuPlay& p, double speed) {
    const double expected = static_cast<double>(p.trackSamples) / speed;
    const bool length = p.heard >= expected - p.perBuffer && p.heard <= expected + 2.0 * p.perBuffer;
    const bool buffers = p.heard == static_cast<long long>(p.writes) * p.perBuffer;
    return length && buffers;
}

int Cpu(const char* self, const char* file, int repeat) {
    const double speeds[2] = {1.0, 1.5};
    const char* tempos[2] = {"-tempo=+0", "-tempo=+50"};
    const char* tmp = getenv("TMPDIR");
    const std::string wav =
        std::string(tmp && *tmp ? tmp : "/tmp") + "/notafon-bench-cpu-" + std::to_string(getpid()) + ".wav";
    // soundstretch reads WAV: mpg123's decode of the same file, made once and not timed.
    Run decode = Child({"mpg123", "-q", "-w", wav, file});
    if (!decode.ok) {
        printf("cpu %s: mpg123 -w failed\n", file);
        unlink(wav.c_str());
        return 1;
    }
    CpuPlay best[2];
    Run mpg = {0, 1e30, 0, false};
    Run st[2] = {{0, 1e30, 0, false}, {0, 1e30, 0, false}};
    for (int k = 0; k < 2; ++k) best[k].run = {0, 1e30, 0, false};
    double loadLow = 1e30, loadHigh = 0;
    bool whole = true;
    for (int round = 0; round < repeat; ++round) {
        for (int k = 0; k < 2; ++k) {
            const double load = LoadAverage();
            loadLow = std::min(loadLow, load);
            loadHigh = std::max(loadHigh, load);
            CpuPlay p;
            if (!PlayChild(self, file, speeds[k], &p)) {
                printf("cpu %s: the play at %.0f %% failed\n", file, speeds[k] * 100);
                unlink(wav.c_str());
                return 1;
            }
            if (!PlayedWhole(p, speeds[k])) whole = false;
            if (p.run.cpu < best[k].run.cpu) best[k] = p;
        }
        Run m = Child({"mpg123", "-q", "-s", file});
        if (m.ok && m.cpu < mpg.cpu) mpg = m;
        for (int k = 0; k < 2; ++k) {
            // Its banner and progress go to stderr, on every run.
            Run r = Child({"soundstretch", wav, "stdout", tempos[k]}, true);
            if (r.ok && r.cpu < st[k].cpu) st[k] = r;
        }
        const double load = LoadAverage();
        loadLow = std::min(loadLow, load);
        loadHigh = std::max(loadHigh, load);
    }
    unlink(wav.c_str());
    const double hours = static_cast<double>(best[0].trackSamples) / best[0].rate / 3600.0;
    printf("cpu %s (%.2f h at %.0f Hz; CPU s, best of %d rounds; load average %.2f..%.2f)\n", file, hours, best[0].rate,
           repeat, loadLow, loadHigh);
    if (!mpg.ok || !st[0].ok || !st[1].ok) {
        printf("  a peer failed: mpg123 %s, soundstretch %s %s\n", mpg.ok ? "ok" : "failed", st[0].ok ? "ok" : "failed",
               st[1].ok ? "ok" : "failed");
        return 1;
    }
    printf(
        "  (notafon: the whole playing process, of it the open in brackets; mpg123 and soundstretch: each child. The\n"
        "  peer is mpg123 plus soundstretch at the same tempo; at 100 %% the player copies without stretching, so the\n"
        "  ratio to mpg123 alone is shown too.)\n");
    printf("  %-6s %10s %10s %14s %12s %10s %14s\n", "speed", "notafon", "(open)", "mpg123 -s", "soundstretch",
           "/ mpg123", "/ mpg123+ss");
    for (int k = 0; k < 2; ++k) {
        const CpuPlay& p = best[k];
        printf("  %5.0f%% %10.3f %10.3f %14.3f %12.3f %10.2f %14.2f\n", speeds[k] * 100, p.run.cpu, p.openCpu, mpg.cpu,
               st[k].cpu, p.run.cpu / mpg.cpu, p.run.cpu / (mpg.cpu + st[k].cpu));
    }
    for (int k = 0; k < 2; ++k) {
        const CpuPlay& p = best[k];
        printf(
            "  played at %.0f %%: %d buffers of %d samples written, %lld samples heard (%.1f s; the track at that "
            "speed lasts %.1f s)\n",
            speeds[k] * 100, p.writes, p.perBuffer, p.heard, p.heard / p.rate, p.trackSamples / p.rate / speeds[k]);
    }
    if (!whole) printf("  a play did NOT cover the whole track\n");
    return whole ? 0 : 1;
}

int Usage() {
    fprintf(stderr,
            "usage: notafon_bench_player load FILE.mp3 [--repeat N]\n"
            "       notafon_bench_player open FILE [--repeat N]\n"
            "       notafon_bench_player cpu FILE.mp3 [--repeat N]\n"
            "       notafon_bench_player stretch FILE.wav --speed S [--repeat N] [--plain-seconds T]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    int repeat = 3, threads = 2;
    bool hash = false;
    double speed = 0, plainSeconds = 120;
    for (int i = 3; i + 1 < argc; i += 2) {
        if (strcmp(argv[i], "--repeat") == 0)
            repeat = atoi(argv[i + 1]);
        else if (strcmp(argv[i], "--threads") == 0)
            threads = atoi(argv[i + 1]);
        else if (strcmp(argv[i], "--speed") == 0)
            speed = atof(argv[i + 1]);
        else if (strcmp(argv[i], "--hash") == 0)
            hash = atoi(argv[i + 1]) != 0;
        else if (strcmp(argv[i], "--plain-seconds") == 0)
            plainSeconds = atof(argv[i + 1]);
        else
            return Usage();
    }
    if (repeat < 1) repeat = 1;
    if (strcmp(argv[1], "load-once") == 0) return LoadOnce(argv[2], threads);
    if (strcmp(argv[1], "load") == 0) return Load(argv[0], argv[2], repeat);
    if (strcmp(argv[1], "open-once") == 0) return OpenOnce(argv[2], repeat);
    if (strcmp(argv[1], "open") == 0) return Open(argv[0], argv[2], repeat);
    if (strcmp(argv[1], "cpu-once") == 0 && speed > 0) return CpuOnce(argv[2], speed, hash);
    if (strcmp(argv[1], "cpu") == 0) return Cpu(argv[0], argv[2], repeat);
    if (strcmp(argv[1], "stretch") == 0 && speed > 0) return Stretch(argv[2], speed, repeat, plainSeconds);
    return Usage();
}
