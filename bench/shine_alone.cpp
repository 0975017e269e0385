// The shine library alone encoding a mono 16-bit WAV, as the recording benchmark's peer. Built twice: against the
// library as Debian ships it (notafon_bench_shine_unpatched, the peer the goal is measured against) and against the
// product's patched build (notafon_bench_shine_patched, to measure what the patch costs). It links nothing else of
// ours, so each binary holds exactly one build of shine.
//
//   notafon_bench_shine_* --kbps K --input SPEECH.wav [--repeat N]
//
// Prints one line per run, "cpu SECONDS system SECONDS bytes N": the CPU time (user + system) of the encode alone,
// the WAV already in memory. Under callgrind the instructions of ShineAloneOnce are the ones to count.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>

#include <vector>

extern "C" {
#include <layer3.h>
}

#if defined(__GNUC__)
#define NOTAFON_BENCH_NOINLINE __attribute__((noinline))
#else
#define NOTAFON_BENCH_NOINLINE
#endif

namespace {

double CpuSeconds(double* system) {
    rusage r;
    getrusage(RUSAGE_SELF, &r);
    *system = static_cast<double>(r.ru_stime.tv_sec) + static_cast<double>(r.ru_stime.tv_usec) * 1e-6;
    return static_cast<double>(r.ru_utime.tv_sec) + static_cast<double>(r.ru_utime.tv_usec) * 1e-6 + *system;
}

uint32_t Le32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Mono 16-bit PCM samples and the rate of a RIFF WAV; false when it is anything else.
bool ReadWav(const char* path, std::vector<int16_t>* samples, int* rate) {
    FILE* f = fopen(path, "rb");
    if (!f) return false;
    std::vector<unsigned char> b;
    unsigned char chunk[65536];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0) b.insert(b.end(), chunk, chunk + n);
    fclose(f);
    if (b.size() < 12 || memcmp(b.data(), "RIFF", 4) != 0 || memcmp(b.data() + 8, "WAVE", 4) != 0) return false;
    bool mono16 = false;
    for (size_t pos = 12; pos + 8 <= b.size();) {
        uint32_t size = Le32(&b[pos + 4]);
        if (memcmp(&b[pos], "fmt ", 4) == 0 && pos + 24 <= b.size()) {
            mono16 = (b[pos + 8] | (b[pos + 9] << 8)) == 1 && (b[pos + 10] | (b[pos + 11] << 8)) == 1 &&
                     (b[pos + 22] | (b[pos + 23] << 8)) == 16;
            *rate = static_cast<int>(Le32(&b[pos + 12]));
        } else if (memcmp(&b[pos], "data", 4) == 0) {
            size_t bytes = size < b.size() - pos - 8 ? size : b.size() - pos - 8;
            samples->resize(bytes / 2);
            memcpy(samples->data(), &b[pos + 8], samples->size() * 2);
            return mono16;
        }
        pos += 8 + size + (size & 1);
    }
    return false;
}

// The encoder and nothing else: full passes straight from the input, the last one padded, then the flush.
NOTAFON_BENCH_NOINLINE int64_t ShineAloneOnce(std::vector<int16_t>& samples, int sampleRate, int kbps) {
    shine_config_t config;
    memset(&config, 0, sizeof config);
    shine_set_config_mpeg_defaults(&config.mpeg);
    config.wave.channels = PCM_MONO;
    config.wave.samplerate = sampleRate;
    config.mpeg.mode = MONO;
    config.mpeg.bitr = kbps;
    shine_t encoder = shine_initialise(&config);
    if (!encoder) return -1;
    const size_t perPass = static_cast<size_t>(shine_samples_per_pass(encoder));
    int64_t bytes = 0;
    int written = 0;
    size_t i = 0;
    for (; i + perPass <= samples.size(); i += perPass) {
        shine_encode_buffer_interleaved(encoder, samples.data() + i, &written);
        bytes += written;
    }
    if (i < samples.size()) {
        std::vector<int16_t> last(perPass, 0);
        memcpy(last.data(), samples.data() + i, (samples.size() - i) * sizeof(int16_t));
        shine_encode_buffer_interleaved(encoder, last.data(), &written);
        bytes += written;
    }
    shine_flush(encoder, &written);
    bytes += written;
    shine_close(encoder);
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    int kbps = 0, repeat = 1;
    const char* input = nullptr;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (strcmp(argv[i], "--kbps") == 0) {
            kbps = atoi(argv[i + 1]);
        } else if (strcmp(argv[i], "--input") == 0) {
            input = argv[i + 1];
        } else if (strcmp(argv[i], "--repeat") == 0) {
            repeat = atoi(argv[i + 1]);
        }
    }
    std::vector<int16_t> samples;
    int rate = 0;
    if (kbps <= 0 || !input || repeat < 1 || !ReadWav(input, &samples, &rate)) {
        fprintf(stderr, "usage: %s --kbps K --input MONO16.wav [--repeat N]\n", argv[0]);
        return 2;
    }
    for (int r = 0; r < repeat; ++r) {
        double system0 = 0, system1 = 0;
        double before = CpuSeconds(&system0);
        int64_t bytes = ShineAloneOnce(samples, rate, kbps);
        double after = CpuSeconds(&system1);
        if (bytes < 0) {
            fprintf(stderr, "%s: shine rejected %d Hz at %d kbps\n", argv[0], rate, kbps);
            return 1;
        }
        printf("cpu %.6f system %.6f bytes %lld\n", after - before, system1 - system0, static_cast<long long>(bytes));
    }
    return 0;
}
