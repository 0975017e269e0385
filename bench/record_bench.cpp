// The recording benchmark: the CPU cost of a whole recording (100 ms capture buffers through analysis, limiter,
// silence decision, the MP3 writer and the file seam) against peers that encode the same samples at the same bit
// rate in mono: the shine library alone as Debian ships it (notafon_bench_shine_unpatched, the peer of the goal), the
// same with our patch (notafon_bench_shine_patched), each timing its own encode in a child process, and the shineenc
// program as a child process.
//
// The rounds run interleaved, engine then the peers, and each series keeps its cheapest run: the machine is shared,
// and other work only ever adds time. CPU time still moves with the load; the instruction counts that
// scripts/bench.sh measures with callgrind (--instructions FILE) do not, and are printed beside it.
//
// --only-engine records once and prints nothing: the run callgrind counts (RecordOnce alone).
#include <locale.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wchar.h>

#include <map>
#include <string>
#include <vector>

#include "base/file_api.h"
#include "base/wide_text.h"
#include "cli/wav_input.h"
#include "recorder/capture_scripted.h"
#include "recorder/recorder.h"

extern char** environ;

#if defined(__GNUC__)
#define NOTAFON_BENCH_NOINLINE __attribute__((noinline))
#else
#define NOTAFON_BENCH_NOINLINE
#endif

namespace {

struct Options {
    int format = -1;
    const char* input = nullptr;
    const char* outDir = nullptr;
    const char* shineenc = "shineenc";
    std::string shineUnpatched;  // default: beside this program
    std::string shinePatched;
    const char* instructions = nullptr;
    bool onlyEngine = false;
    int repeat = 3;
    double goal = 1.10;
    double patchGoal = 1.05;  // patched / unpatched shine, in instructions
};

struct BenchWindow {
    wchar_t folder[kPathCapacity];
    wchar_t name[64];
    int format;
    RecorderEvent event;  // the last report
    Outcome outcome;
};

BenchWindow window;

void Report(const RecorderReport& report) {
    window.event = report.event;
    window.outcome = report.outcome;
}
void IgnoreText(const wchar_t*) {}
void Nothing() {}
bool Yes() {
    return true;
}
void* NoTarget() {
    return nullptr;
}

// Skip-silence is on so the silence decision is live.
const RecorderHostApi kBenchHost = {
    .report = Report,
    .refreshControls = Nothing,
    .loadForPlay = IgnoreText,
    .closePlayerFile = Nothing,
    .cancelPlaybackCapture = Nothing,
    .saveAllSettings = Nothing,
    .setElapsedText = IgnoreText,
    .startRecordingTimer = Nothing,
    .stopRecordingTimer = Nothing,
    .invalidateMeter = Nothing,
    .repaintWindow = Nothing,
    .skipSilenceChecked = Yes,
    .captureNotifyTarget = NoTarget,
};

// Replace is on so the file keeps its name from run to run.
RecordingRequest BenchRequest() {
    RecordingRequest request = {};
    request.formatSelection = window.format;
    request.replace = true;
    WideCopyBounded(request.fileName, kFileNameBoxMaxRead + 1, window.name);
    WideCopyBounded(request.folder, kPathCapacity, window.folder);
    request.now = LocalDateTime{2024, 5, 6, 9, 30, 0};
    return request;
}

double Seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
}

int64_t FileSize(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
}

std::wstring Wide(const char* text) {
    std::wstring out(strlen(text) + 1, L'\0');
    size_t n = mbstowcs(&out[0], text, out.size());
    if (n == static_cast<size_t>(-1)) return std::wstring();
    out.resize(n);
    return out;
}

// An encoded stream of the given length must come out near the nominal bit rate; anything else means a peer encoded
// different audio, a different rate, or nothing at all, and its time would compare nothing.
bool PlausibleSize(const char* who, int64_t bytes, double audioSeconds, int kbps) {
    double expected = audioSeconds * kbps * 1000.0 / 8.0;
    if (bytes > 0 && bytes > expected * 0.98 && bytes < expected * 1.02) return true;
    fprintf(stderr, "record_bench: %s produced %lld bytes, expected about %.0f\n", who, static_cast<long long>(bytes),
            expected);
    return false;
}

struct Run {
    double cpu;  // user + system
    double system;
    int64_t bytes;
};

struct CpuClock {
    double user, system;
};

CpuClock SelfCpu() {
    rusage r;
    getrusage(RUSAGE_SELF, &r);
    return CpuClock{Seconds(r.ru_utime), Seconds(r.ru_stime)};
}

void Elapsed(const CpuClock& before, Run* run) {
    CpuClock now = SelfCpu();
    run->system = now.system - before.system;
    run->cpu = now.user - before.user + run->system;
}

// A whole recording as the platform drives one: 100 ms buffers filled by the capture device and handed back, the
// 70 ms recording timer, then Stop. Only the microphone is simulated; the samples come from memory.
NOTAFON_BENCH_NOINLINE bool RecordOnce(const std::vector<int16_t>& samples, int sampleRate, const std::string& output,
                                       Run* run) {
    // A recording starts a new file; truncating the last run's would charge the engine for freeing its blocks.
    unlink(output.c_str());
    scriptedCaptureReset();
    recorderReset();
    recorderInstall(&kScriptedCaptureApi, &kPlatformFiles, &kBenchHost);
    window.event = RecorderEvent::Started;
    window.outcome = Outcome::kOk;

    const int64_t total = static_cast<int64_t>(samples.size());
    const double tickSamples = 0.070 * sampleRate;
    double nextTick = tickSamples;
    CpuClock before = SelfCpu();
    startRecording(BenchRequest());
    if (recorder.state != RecorderState::Recording) {
        fprintf(stderr, "record_bench: the recording did not start: %s\n", outcomeName(window.outcome));
        return false;
    }
    int64_t pos = 0;
    while (pos < total && recorder.state == RecorderState::Recording) {
        int64_t room = scriptedCaptureRoom();
        if (room <= 0) break;
        int64_t chunk = total - pos < room ? total - pos : room;
        scriptedCaptureFeed(samples.data() + pos, static_cast<int>(chunk));
        scriptedCaptureDeliver();
        pos += chunk;
        while (nextTick <= static_cast<double>(pos)) {
            onRecordingTimer();
            nextTick += tickSamples;
        }
    }
    stopRecording();
    scriptedCaptureDeliver();
    Elapsed(before, run);

    if (pos != total || !recorder.lastRecordingSaved) {
        fprintf(stderr, "record_bench: the recording ended early (%lld of %lld samples), last report %d\n",
                static_cast<long long>(pos), static_cast<long long>(total), static_cast<int>(window.event));
        return false;
    }
    if (recorder.recordedBytes != static_cast<uint64_t>(total) * 2) {
        fprintf(stderr,
                "record_bench: skip-silence dropped %lld samples; the input must have no pause long enough to be "
                "skipped, or the engine encodes less than its peers\n",
                static_cast<long long>(total - static_cast<int64_t>(recorder.recordedBytes / 2)));
        return false;
    }
    if (Wide(output.c_str()) != recorder.recordingPath) {
        fprintf(stderr, "record_bench: the recording went to %ls, not %s\n", recorder.recordingPath, output.c_str());
        return false;
    }
    run->bytes = kPlatformFiles.sizeOfPath(recorder.recordingPath);
    return true;
}

// One of the shine-alone programs as a child: it reads the WAV, then times its own encode and prints
// "cpu S system S bytes N".
bool ShineChildOnce(const std::string& program, const Options& o, int kbps, Run* run) {
    std::string command = "'" + program + "' --kbps " + std::to_string(kbps) + " --input '" + o.input + "'";
    FILE* p = popen(command.c_str(), "r");
    if (!p) return false;
    double cpu = -1, system = 0;
    long long bytes = -1;
    int got = fscanf(p, "cpu %lf system %lf bytes %lld", &cpu, &system, &bytes);
    int status = pclose(p);
    if (got != 3 || status != 0) {
        fprintf(stderr, "record_bench: %s failed\n", program.c_str());
        return false;
    }
    run->cpu = cpu;
    run->system = system;
    run->bytes = bytes;
    return true;
}

// shineenc as its own process, timed by the kernel's account of the child (user + system).
bool ShineencOnce(const Options& o, int kbps, const std::string& output, Run* run) {
    std::string rate = std::to_string(kbps);
    std::vector<char*> argv = {const_cast<char*>(o.shineenc),
                               const_cast<char*>("-q"),
                               const_cast<char*>("-m"),
                               const_cast<char*>("-b"),
                               &rate[0],
                               const_cast<char*>(o.input),
                               const_cast<char*>(output.c_str()),
                               nullptr};
    unlink(output.c_str());
    pid_t pid = 0;
    if (posix_spawnp(&pid, o.shineenc, nullptr, nullptr, argv.data(), environ) != 0) {
        fprintf(stderr, "record_bench: cannot run %s (install the shineenc package)\n", o.shineenc);
        return false;
    }
    int status = 0;
    rusage r;
    if (wait4(pid, &status, 0, &r) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        fprintf(stderr, "record_bench: %s failed\n", o.shineenc);
        return false;
    }
    run->system = Seconds(r.ru_stime);
    run->cpu = Seconds(r.ru_utime) + run->system;
    run->bytes = FileSize(output);
    return true;
}

struct Series {
    const char* label;
    std::vector<Run> runs;
    const Run& Best() const {
        size_t best = 0;
        for (size_t i = 1; i < runs.size(); ++i) best = runs[i].cpu < runs[best].cpu ? i : best;
        return runs[best];
    }
};

// Instruction counts by series label, as scripts/bench.sh writes them: one "LABEL<TAB>COUNT" a line.
std::map<std::string, double> ReadInstructions(const char* path) {
    std::map<std::string, double> counts;
    FILE* f = path ? fopen(path, "r") : nullptr;
    if (!f) return counts;
    char line[256];
    while (fgets(line, sizeof line, f)) {
        char* tab = strchr(line, '\t');
        if (!tab) continue;
        *tab = 0;
        counts[line] = atof(tab + 1);
    }
    fclose(f);
    return counts;
}

void PrintSeries(const Series& s, double audioSeconds, const std::map<std::string, double>& instructions) {
    const Run& best = s.Best();
    printf("  %-22s cpu %8.3f s (system %6.3f)   real-time factor %7.1f", s.label, best.cpu, best.system,
           audioSeconds / best.cpu);
    auto it = instructions.find(s.label);
    if (it != instructions.end()) printf("   instructions %14.0f", it->second);
    printf("   runs:");
    for (const Run& r : s.runs) printf(" %.3f", r.cpu);
    printf("\n");
}

void PrintRatio(const char* what, double ratio, double goal) {
    if (goal > 0) {
        printf("  %-44s %.3f   goal <= %.2f: %s\n", what, ratio, goal, ratio <= goal ? "met" : "MISSED");
    } else {
        printf("  %-44s %.3f\n", what, ratio);
    }
}

int Usage() {
    fprintf(stderr,
            "usage: notafon_bench_record --format N --input SPEECH.wav --out-dir DIR [--repeat N] [--shineenc PATH] "
            "[--shine-unpatched PATH] [--shine-patched PATH] [--instructions FILE] [--only-engine] [--goal RATIO]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    setlocale(LC_ALL, "");
    Options o;
    for (int i = 1; i < argc; ++i) {
        bool hasValue = i + 1 < argc;
        if (strcmp(argv[i], "--format") == 0 && hasValue) {
            o.format = atoi(argv[++i]);
        } else if (strcmp(argv[i], "--input") == 0 && hasValue) {
            o.input = argv[++i];
        } else if (strcmp(argv[i], "--out-dir") == 0 && hasValue) {
            o.outDir = argv[++i];
        } else if (strcmp(argv[i], "--repeat") == 0 && hasValue) {
            o.repeat = atoi(argv[++i]);
        } else if (strcmp(argv[i], "--shineenc") == 0 && hasValue) {
            o.shineenc = argv[++i];
        } else if (strcmp(argv[i], "--goal") == 0 && hasValue) {
            o.goal = atof(argv[++i]);
        } else if (strcmp(argv[i], "--shine-unpatched") == 0 && hasValue) {
            o.shineUnpatched = argv[++i];
        } else if (strcmp(argv[i], "--shine-patched") == 0 && hasValue) {
            o.shinePatched = argv[++i];
        } else if (strcmp(argv[i], "--instructions") == 0 && hasValue) {
            o.instructions = argv[++i];
        } else if (strcmp(argv[i], "--only-engine") == 0) {
            o.onlyEngine = true;
        } else {
            return Usage();
        }
    }
    if (o.format < 0 || o.format >= kRecordingFormatCount || !o.input || !o.outDir || o.repeat < 1) return Usage();
    const RecordingFormat& row = kRecordingFormats[o.format];
    if (row.kbps <= 0) {
        fprintf(stderr, "record_bench: format %d is not an MP3 format\n", o.format);
        return 2;
    }

    WavInput in;
    std::wstring inputWide = Wide(o.input);
    if (readWavInput(inputWide.c_str(), &in) != 0 || in.formatTag != 1 || in.channels != 1 || in.bitsPerSample != 16 ||
        in.sampleRate != row.sampleRate || in.samples.empty()) {
        fprintf(stderr, "record_bench: %s is not mono 16-bit PCM at %d Hz\n", o.input, row.sampleRate);
        return 1;
    }
    const double audioSeconds = static_cast<double>(in.samples.size()) / row.sampleRate;

    std::wstring folder = Wide(o.outDir);
    WideCopyBounded(window.folder, kPathCapacity, folder.c_str());
    WideFormat(window.name, 64, L"engine-format-%d", o.format);
    window.format = o.format;
    std::string engineOutput = std::string(o.outDir) + "/engine-format-" + std::to_string(o.format) + ".mp3";
    std::string shineencOutput = std::string(o.outDir) + "/shineenc-format-" + std::to_string(o.format) + ".mp3";

    std::string here(argv[0]);
    here = here.substr(0, here.find_last_of('/') + 1);
    if (o.shineUnpatched.empty()) o.shineUnpatched = here + "notafon_bench_shine_unpatched";
    if (o.shinePatched.empty()) o.shinePatched = here + "notafon_bench_shine_patched";

    if (o.onlyEngine) {
        Run run{};
        return RecordOnce(in.samples, row.sampleRate, engineOutput, &run) ? 0 : 1;
    }

    Series engine{"engine whole path", {}};
    Series alone{"shine alone", {}};
    Series patched{"shine alone, patched", {}};
    Series external{"shineenc", {}};
    // Interleaved rather than one series after another, so a burst of load from elsewhere spreads over all of them.
    for (int r = 0; r < o.repeat; ++r) {
        Run run{};
        if (!RecordOnce(in.samples, row.sampleRate, engineOutput, &run)) return 1;
        if (!PlausibleSize("the engine", run.bytes, audioSeconds, row.kbps)) return 1;
        engine.runs.push_back(run);
        if (!ShineChildOnce(o.shineUnpatched, o, row.kbps, &run)) return 1;
        if (!PlausibleSize("shine alone", run.bytes, audioSeconds, row.kbps)) return 1;
        alone.runs.push_back(run);
        if (!ShineChildOnce(o.shinePatched, o, row.kbps, &run)) return 1;
        if (!PlausibleSize("shine alone, patched", run.bytes, audioSeconds, row.kbps)) return 1;
        patched.runs.push_back(run);
        if (!ShineencOnce(o, row.kbps, shineencOutput, &run)) return 1;
        if (!PlausibleSize("shineenc", run.bytes, audioSeconds, row.kbps)) return 1;
        external.runs.push_back(run);
    }

    std::map<std::string, double> instructions = ReadInstructions(o.instructions);
    printf("format %d: %ls (%d Hz mono), %.0f s of audio, best of %d\n", o.format, row.label, row.sampleRate,
           audioSeconds, o.repeat);
    if (!instructions.empty()) printf("  (instructions: callgrind, on the first %.0f s)\n", instructions["seconds"]);
    PrintSeries(engine, audioSeconds, instructions);
    PrintSeries(alone, audioSeconds, instructions);
    PrintSeries(patched, audioSeconds, instructions);
    PrintSeries(external, audioSeconds, instructions);
    PrintRatio("cpu: engine / shineenc", engine.Best().cpu / external.Best().cpu, 0);
    PrintRatio("cpu: shine patched / shine alone", patched.Best().cpu / alone.Best().cpu, 0);
    PrintRatio("cpu: engine / shine alone", engine.Best().cpu / alone.Best().cpu, o.goal);
    if (instructions.count("engine whole path") && instructions.count("shine alone") &&
        instructions.count("shine alone, patched") && instructions["shine alone"] > 0) {
        PrintRatio("instructions: shine patched / shine alone",
                   instructions["shine alone, patched"] / instructions["shine alone"], o.patchGoal);
        PrintRatio("instructions: engine / shine alone",
                   instructions["engine whole path"] / instructions["shine alone"], o.goal);
    }
    return 0;
}
