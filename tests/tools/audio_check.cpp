// audio_check: the test side's independent judge of recordings. It reads WAV files with its own parser and MP3 files
// with minimp3 and its own frame walker, so a fault in the recorder's writers cannot hide behind the same code reading
// it back. Each subcommand prints "key: value" lines and exits 0 when the check holds, 1 with a FAIL line when it
// does not, 2 on bad usage.
//
//   wav-match CAPTURED.wav EXPECTED.wav [--min-coverage F]
//       CAPTURED holds EXPECTED's samples bit for bit, shifted by an unknown lag; outside the overlap it is silent,
//       and the overlap covers at least F of EXPECTED's sounding span.
//   mp3-corr FILE.mp3 INPUT.wav --min-corr C [--window START:END --min-window-corr W]...
//       FILE decodes cleanly at INPUT's rate, and the best-lag normalized correlation with INPUT is at least C
//       (normalized by both signals' whole energy, so missing audio lowers it too); each window of INPUT, taken at
//       that lag, correlates at least W.
//   crash-wav CRASHED.wav REFERENCE.wav --abort-at S
//       A recording killed after the input up to S seconds was processed: a valid header whose data length covers
//       every whole 30-buffer block processed, every processed buffer on disk, and the data equal to the uncrashed
//       REFERENCE's prefix.
//   crash-mp3 CRASHED.mp3 REFERENCE.mp3 INPUT.wav --abort-at S --max-loss N --min-corr C
//       The killed MP3 decodes without errors to exactly the start of REFERENCE's decoded audio, and that audio ends
//       at most N samples before the processed input does, matching INPUT (correlation at least C).
//   whole FILE
//       A finished file holds exactly what it says: a WAV's data length is every byte after its header, an MP3 is whole
//       frames that decode cleanly, with no torn frame at the end. Prints its seconds.
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <complex>
#include <string>
#include <vector>

#define MINIMP3_IMPLEMENTATION
#include <minimp3.h>

namespace {

// The recorder's capture buffers hold 100 ms, and a WAV header is rewritten after every 30 written buffers.
const int kBuffersPerSecond = 10;
const int kBuffersPerHeaderRefresh = 30;
// Samples of delay between the encoder's input and minimp3's output (measured with shine, both rates).
const int kCodecDelaySamples = 1057;

const double kPi = 3.14159265358979323846;

int Fail(const std::string& message) {
    printf("FAIL: %s\n", message.c_str());
    return 1;
}

int Usage(const char* message) {
    fprintf(stderr, "audio_check: %s (see the comment at the top of audio_check.cpp)\n", message);
    return 2;
}

bool ReadFile(const char* path, std::vector<unsigned char>* out) {
    FILE* f = fopen(path, "rb");
    if (!f) return false;
    unsigned char block[65536];
    size_t n;
    while ((n = fread(block, 1, sizeof block, f)) > 0) out->insert(out->end(), block, block + n);
    fclose(f);
    return true;
}

uint32_t Le32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}
uint16_t Le16(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

struct Wav {
    int rate = 0;
    uint32_t headerDataBytes = 0;  // what the data chunk's size field says
    uint64_t fileDataBytes = 0;    // what follows the data chunk's header in the file
    uint64_t dataOffset = 0;
    std::vector<int16_t> samples;  // the whole file's data: headerDataBytes or, when asked, all fileDataBytes
    std::string problem;           // why the file is not a valid mono 16-bit PCM WAV
};

// Reads a mono 16-bit PCM WAV with its own chunk walk. allData keeps the bytes past the header's data length too.
Wav ReadWav(const char* path, bool allData) {
    Wav w;
    std::vector<unsigned char> b;
    if (!ReadFile(path, &b)) {
        w.problem = std::string("cannot read ") + path;
        return w;
    }
    if (b.size() < 12 || memcmp(b.data(), "RIFF", 4) != 0 || memcmp(b.data() + 8, "WAVE", 4) != 0) {
        w.problem = "not a RIFF/WAVE file";
        return w;
    }
    size_t pos = 12;
    bool haveFmt = false;
    while (pos + 8 <= b.size()) {
        uint32_t size = Le32(b.data() + pos + 4);
        const unsigned char* body = b.data() + pos + 8;
        if (memcmp(b.data() + pos, "fmt ", 4) == 0) {
            if (size < 16 || pos + 8 + 16 > b.size()) break;
            if (Le16(body) != 1 || Le16(body + 2) != 1 || Le16(body + 14) != 16 || Le16(body + 12) != 2 ||
                Le32(body + 8) != Le32(body + 4) * 2) {
                w.problem = "fmt chunk is not mono 16-bit PCM";
                return w;
            }
            w.rate = static_cast<int>(Le32(body + 4));
            haveFmt = true;
        } else if (memcmp(b.data() + pos, "data", 4) == 0) {
            if (!haveFmt) break;
            w.headerDataBytes = size;
            w.dataOffset = pos + 8;
            w.fileDataBytes = b.size() - w.dataOffset;
            if (Le32(b.data() + 4) != size + static_cast<uint32_t>(pos)) {  // = file length - 8 when data ends it
                w.problem = "RIFF size does not match the data length";
                return w;
            }
            if (size % 2 != 0 || size > w.fileDataBytes) {
                w.problem = "data length is odd or longer than the file";
                return w;
            }
            uint64_t take = allData ? w.fileDataBytes & ~1ull : size;
            w.samples.resize(take / 2);
            for (size_t i = 0; i < w.samples.size(); ++i) {
                w.samples[i] = static_cast<int16_t>(Le16(body + 2 * i));
            }
            return w;
        }
        pos += 8 + size + (size & 1);
    }
    w.problem = "no fmt chunk before a data chunk";
    return w;
}

// An MPEG audio Layer III frame header's length in bytes, or 0 when the four bytes are not one.
int Layer3FrameBytes(const unsigned char* h, int* sampleRate) {
    static const int kKbpsMpeg1[15] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static const int kKbpsMpeg2[15] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    static const int kRates[3] = {44100, 48000, 32000};
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0) return 0;
    int version = (h[1] >> 3) & 3;  // 3 = MPEG-1, 2 = MPEG-2, 0 = MPEG-2.5
    int layer = (h[1] >> 1) & 3;    // 1 = Layer III
    int bitrateIndex = h[2] >> 4;
    int rateIndex = (h[2] >> 2) & 3;
    if (version == 1 || layer != 1 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) return 0;
    int rate = kRates[rateIndex] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    int padding = (h[2] >> 1) & 1;
    *sampleRate = rate;
    if (version == 3) return 144000 * kKbpsMpeg1[bitrateIndex] / rate + padding;
    return 72000 * kKbpsMpeg2[bitrateIndex] / rate + padding;
}

struct Mp3 {
    int rate = 0;
    int frames = 0;
    int tailBytes = 0;  // a frame cut short at the end of the file
    std::vector<int16_t> samples;
    std::string problem;  // why the file does not decode cleanly
};

// Walks the frames from the first byte: each must start where the previous one ended and decode to a full frame of
// samples. Only the last frame may be cut short.
Mp3 DecodeMp3(const char* path) {
    Mp3 m;
    std::vector<unsigned char> b;
    if (!ReadFile(path, &b)) {
        m.problem = std::string("cannot read ") + path;
        return m;
    }
    static mp3dec_t decoder;
    mp3dec_init(&decoder);
    static int16_t pcm[MINIMP3_MAX_SAMPLES_PER_FRAME];
    size_t pos = 0;
    char text[160];
    while (pos < b.size()) {
        int rate = 0;
        int bytes = b.size() - pos >= 4 ? Layer3FrameBytes(b.data() + pos, &rate) : 0;
        if (bytes == 0 && b.size() - pos >= 4) {
            snprintf(text, sizeof text, "no frame header at byte %zu of %zu", pos, b.size());
            m.problem = text;
            return m;
        }
        if (bytes == 0 || pos + static_cast<size_t>(bytes) > b.size()) {
            m.tailBytes = static_cast<int>(b.size() - pos);
            break;
        }
        if (m.rate != 0 && rate != m.rate) {
            m.problem = "the sample rate changes between frames";
            return m;
        }
        m.rate = rate;
        mp3dec_frame_info_t info;
        int n = mp3dec_decode_frame(&decoder, b.data() + pos, static_cast<int>(b.size() - pos), pcm, &info);
        int expected = rate >= 32000 ? 1152 : 576;
        if (info.frame_bytes != bytes || n != expected || info.channels != 1) {
            snprintf(text, sizeof text,
                     "frame %d at byte %zu: decoder took %d of %d bytes, gave %d samples, %d channels", m.frames, pos,
                     info.frame_bytes, bytes, n, info.channels);
            m.problem = text;
            return m;
        }
        m.samples.insert(m.samples.end(), pcm, pcm + n);
        m.frames += 1;
        pos += static_cast<size_t>(bytes);
    }
    if (m.frames == 0) m.problem = "no complete frame";
    return m;
}

typedef std::complex<double> Complex;

void Fft(std::vector<Complex>* data, bool inverse) {
    std::vector<Complex>& a = *data;
    size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        double angle = 2 * kPi / static_cast<double>(len) * (inverse ? 1 : -1);
        Complex step(cos(angle), sin(angle));
        for (size_t i = 0; i < n; i += len) {
            Complex w(1);
            for (size_t k = 0; k < len / 2; ++k) {
                Complex u = a[i + k], v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                w *= step;
            }
        }
    }
    if (inverse) {
        for (Complex& c : a) c /= static_cast<double>(n);
    }
}

double Energy(const std::vector<int16_t>& x, size_t from, size_t to) {
    double e = 0;
    for (size_t i = from; i < to && i < x.size(); ++i) e += static_cast<double>(x[i]) * x[i];
    return e;
}

// The lag at which y[i] lines up with x[i + lag] best, and the correlation there normalized by both whole energies.
void BestLag(const std::vector<int16_t>& x, const std::vector<int16_t>& y, long* lag, double* corr) {
    size_t n = 1;
    while (n < x.size() + y.size()) n <<= 1;
    std::vector<Complex> fx(n), fy(n);
    for (size_t i = 0; i < x.size(); ++i) fx[i] = x[i];
    for (size_t i = 0; i < y.size(); ++i) fy[i] = y[i];
    Fft(&fx, false);
    Fft(&fy, false);
    for (size_t i = 0; i < n; ++i) fx[i] *= std::conj(fy[i]);
    Fft(&fx, true);
    size_t best = 0;
    for (size_t i = 1; i < n; ++i) {
        if (fx[i].real() > fx[best].real()) best = i;
    }
    *lag = best < n / 2 ? static_cast<long>(best) : static_cast<long>(best) - static_cast<long>(n);
    double norm = sqrt(Energy(x, 0, x.size()) * Energy(y, 0, y.size()));
    *corr = norm > 0 ? fx[best].real() / norm : 0;
}

// Normalized correlation of y[from, to) with x shifted by lag, over the part both have.
double WindowCorr(const std::vector<int16_t>& x, const std::vector<int16_t>& y, long lag, size_t from, size_t to) {
    double xy = 0, xx = 0, yy = 0;
    for (size_t i = from; i < to && i < y.size(); ++i) {
        long j = static_cast<long>(i) + lag;
        double a = j >= 0 && static_cast<size_t>(j) < x.size() ? x[static_cast<size_t>(j)] : 0.0;
        double c = y[i];
        xy += a * c;
        xx += a * a;
        yy += c * c;
    }
    return xx > 0 && yy > 0 ? xy / sqrt(xx * yy) : 0;
}

bool ParseDouble(const char* text, double* out) {
    char* end = nullptr;
    double v = strtod(text, &end);
    if (end == text || *end != 0) return false;
    *out = v;
    return true;
}

// Options after the positional arguments, as "--name value" pairs.
struct Options {
    std::vector<std::string> names, values;
    const char* Get(const char* name) const {
        for (size_t i = 0; i < names.size(); ++i) {
            if (names[i] == name) return values[i].c_str();
        }
        return nullptr;
    }
    bool Number(const char* name, double* out) const {
        const char* v = Get(name);
        return v && ParseDouble(v, out);
    }
};

bool ParseOptions(int argc, char** argv, int first, Options* o) {
    for (int i = first; i < argc; i += 2) {
        if (strncmp(argv[i], "--", 2) != 0 || i + 1 >= argc) return false;
        o->names.push_back(argv[i] + 2);
        o->values.push_back(argv[i + 1]);
    }
    return true;
}

int64_t FirstSounding(const std::vector<int16_t>& x) {
    for (size_t i = 0; i < x.size(); ++i) {
        if (x[i] != 0) return static_cast<int64_t>(i);
    }
    return -1;
}

int64_t LastSounding(const std::vector<int16_t>& x) {
    for (size_t i = x.size(); i > 0; --i) {
        if (x[i - 1] != 0) return static_cast<int64_t>(i - 1);
    }
    return -1;
}

int WavMatch(const char* capturedPath, const char* expectedPath, const Options& o) {
    double minCoverage = 0.98;
    if (o.Get("min-coverage") && !o.Number("min-coverage", &minCoverage)) return Usage("bad --min-coverage");
    Wav c = ReadWav(capturedPath, false), e = ReadWav(expectedPath, false);
    if (!c.problem.empty()) return Fail("captured file: " + c.problem);
    if (!e.problem.empty()) return Fail("expected file: " + e.problem);
    if (c.rate != e.rate) return Fail("the captured file's rate differs from the expected file's");
    int64_t fc = FirstSounding(c.samples), fe = FirstSounding(e.samples);
    if (fc < 0) return Fail("the captured file is all silence");
    if (fe < 0) return Fail("the expected file is all silence");
    // Expected sample i + lag is captured sample i: the first sounding samples line up.
    int64_t lag = fe - fc;
    int64_t nc = static_cast<int64_t>(c.samples.size()), ne = static_cast<int64_t>(e.samples.size());
    int64_t from = lag < 0 ? -lag : 0, to = nc < ne - lag ? nc : ne - lag;
    int64_t mismatches = 0, firstMismatch = -1;
    for (int64_t i = from; i < to; ++i) {
        if (c.samples[static_cast<size_t>(i)] != e.samples[static_cast<size_t>(i + lag)]) {
            if (firstMismatch < 0) firstMismatch = i;
            ++mismatches;
        }
    }
    int64_t strayOutside = 0;
    for (int64_t i = 0; i < nc; ++i) {
        if ((i < from || i >= to) && c.samples[static_cast<size_t>(i)] != 0) ++strayOutside;
    }
    int64_t le = LastSounding(e.samples);
    int64_t coveredFrom = fe > from + lag ? fe : from + lag, coveredTo = le + 1 < to + lag ? le + 1 : to + lag;
    double coverage = static_cast<double>(coveredTo - coveredFrom) / static_cast<double>(le + 1 - fe);
    printf("rate: %d\ncaptured_samples: %lld\nexpected_samples: %lld\nlag_samples: %lld\n", c.rate,
           static_cast<long long>(nc), static_cast<long long>(ne), static_cast<long long>(lag));
    printf("overlap_samples: %lld\nmismatches: %lld\nsounding_outside_overlap: %lld\ncoverage: %.5f\n",
           static_cast<long long>(to - from), static_cast<long long>(mismatches), static_cast<long long>(strayOutside),
           coverage);
    if (mismatches > 0) {
        printf("first_mismatch: captured[%lld]=%d expected[%lld]=%d\n", static_cast<long long>(firstMismatch),
               c.samples[static_cast<size_t>(firstMismatch)], static_cast<long long>(firstMismatch + lag),
               e.samples[static_cast<size_t>(firstMismatch + lag)]);
        return Fail("the captured samples differ from the expected ones");
    }
    if (strayOutside > 0) return Fail("the captured file has sound outside the expected span");
    if (coverage < minCoverage) return Fail("the overlap misses part of the expected sound");
    printf("verdict: bit-exact\n");
    return 0;
}

int Mp3Corr(const char* mp3Path, const char* inputPath, const Options& o) {
    double minCorr = 0;
    if (!o.Number("min-corr", &minCorr)) return Usage("mp3-corr needs --min-corr");
    Mp3 m = DecodeMp3(mp3Path);
    Wav in = ReadWav(inputPath, false);
    if (!m.problem.empty()) return Fail(m.problem);
    if (!in.problem.empty()) return Fail("input file: " + in.problem);
    if (m.rate != in.rate) return Fail("the MP3's sample rate differs from the input's");
    long lag = 0;
    double corr = 0;
    BestLag(m.samples, in.samples, &lag, &corr);
    printf("rate: %d\nframes: %d\ntail_bytes: %d\ndecoded_seconds: %.3f\ninput_seconds: %.3f\n", m.rate, m.frames,
           m.tailBytes, static_cast<double>(m.samples.size()) / m.rate,
           static_cast<double>(in.samples.size()) / in.rate);
    printf("lag_samples: %ld\ncorrelation: %.5f\n", lag, corr);
    bool ok = corr >= minCorr;
    double minWindowCorr = 0;
    bool haveWindowMin = o.Number("min-window-corr", &minWindowCorr);
    for (size_t k = 0; k < o.names.size(); ++k) {
        if (o.names[k] != "window") continue;
        if (!haveWindowMin) return Usage("--window needs --min-window-corr");
        double a = 0, b = 0;
        if (sscanf(o.values[k].c_str(), "%lf:%lf", &a, &b) != 2 || !(b > a) || a < 0) return Usage("bad --window");
        double w =
            WindowCorr(m.samples, in.samples, lag, static_cast<size_t>(a * in.rate), static_cast<size_t>(b * in.rate));
        printf("window_correlation %s: %.5f\n", o.values[k].c_str(), w);
        if (w < minWindowCorr) ok = false;
    }
    if (!ok) return Fail("the decoded audio does not match the input closely enough");
    printf("verdict: matches\n");
    return 0;
}

// Samples the harness processed before killing itself: whole buffers only, since the one being filled at the
// abort was never handed back.
int64_t ProcessedSamples(double abortAt, int rate) {
    int64_t buffer = rate / kBuffersPerSecond;
    int64_t fed = static_cast<int64_t>(abortAt * rate);
    return fed / buffer * buffer;
}

int CrashWav(const char* crashedPath, const char* referencePath, const Options& o) {
    double abortAt = 0;
    if (!o.Number("abort-at", &abortAt)) return Usage("crash-wav needs --abort-at");
    Wav c = ReadWav(crashedPath, true), r = ReadWav(referencePath, false);
    if (!c.problem.empty()) return Fail("crashed file: " + c.problem);
    if (!r.problem.empty()) return Fail("reference file: " + r.problem);
    const int64_t buffer = c.rate / kBuffersPerSecond;
    const int64_t processed = ProcessedSamples(abortAt, c.rate);
    const int64_t block = buffer * kBuffersPerHeaderRefresh;
    const int64_t headerSamples = c.headerDataBytes / 2;
    const int64_t onDisk = static_cast<int64_t>(c.fileDataBytes / 2);
    printf("rate: %d\nprocessed_seconds: %.3f\non_disk_seconds: %.3f\nheader_seconds: %.3f\n", c.rate,
           static_cast<double>(processed) / c.rate, static_cast<double>(onDisk) / c.rate,
           static_cast<double>(headerSamples) / c.rate);
    printf("lost_to_header_seconds: %.3f\n", static_cast<double>(processed - headerSamples) / c.rate);
    if (onDisk != processed) return Fail("the file does not hold every processed buffer");
    if (headerSamples != processed / block * block) {
        return Fail("the header's data length is not the last whole 30-buffer block");
    }
    if (processed - headerSamples >= block) return Fail("the header leaves 3 s or more of kept audio out");
    if (static_cast<int64_t>(r.samples.size()) < onDisk) return Fail("the reference recording is shorter");
    for (int64_t i = 0; i < onDisk; ++i) {
        if (c.samples[static_cast<size_t>(i)] != r.samples[static_cast<size_t>(i)]) {
            printf("first_mismatch_sample: %lld\n", static_cast<long long>(i));
            return Fail("the crashed file's data differs from the reference recording's start");
        }
    }
    printf("verdict: safe\n");
    return 0;
}

int CrashMp3(const char* crashedPath, const char* referencePath, const char* inputPath, const Options& o) {
    double abortAt = 0, maxLoss = 0, minCorr = 0;
    if (!o.Number("abort-at", &abortAt) || !o.Number("max-loss", &maxLoss) || !o.Number("min-corr", &minCorr)) {
        return Usage("crash-mp3 needs --abort-at, --max-loss and --min-corr");
    }
    Mp3 c = DecodeMp3(crashedPath), r = DecodeMp3(referencePath);
    Wav in = ReadWav(inputPath, false);
    if (!c.problem.empty()) return Fail("crashed file: " + c.problem);
    if (!r.problem.empty()) return Fail("reference file: " + r.problem);
    if (!in.problem.empty()) return Fail("input file: " + in.problem);
    if (c.rate != in.rate || r.rate != in.rate) return Fail("an MP3's sample rate differs from the input's");
    const int64_t processed = ProcessedSamples(abortAt, in.rate);
    const int64_t decoded = static_cast<int64_t>(c.samples.size());
    const int64_t recovered = decoded - kCodecDelaySamples;
    const int64_t lost = processed - recovered;
    printf("rate: %d\nframes: %d\ntail_bytes: %d\nprocessed_samples: %lld\nrecovered_samples: %lld\n", c.rate, c.frames,
           c.tailBytes, static_cast<long long>(processed), static_cast<long long>(recovered));
    printf("lost_samples: %lld\nlost_seconds: %.4f\n", static_cast<long long>(lost),
           static_cast<double>(lost) / in.rate);
    if (c.samples.size() > r.samples.size()) return Fail("the crashed file decodes to more than the reference");
    for (size_t i = 0; i < c.samples.size(); ++i) {
        if (c.samples[i] != r.samples[i]) {
            printf("first_mismatch_sample: %zu\n", i);
            return Fail("the crashed file's audio differs from the reference recording's start");
        }
    }
    if (recovered <= 0) return Fail("nothing of the input comes out of the crashed file");
    double corr = WindowCorr(c.samples, in.samples, kCodecDelaySamples, 0, static_cast<size_t>(recovered));
    printf("correlation: %.5f\n", corr);
    if (lost > maxLoss) return Fail("more than the allowed samples were lost");
    if (lost < 0) return Fail("more audio came out than was processed");
    if (corr < minCorr) return Fail("the recovered audio does not match the input");
    printf("verdict: safe\n");
    return 0;
}

}  // namespace

int Whole(const char* path) {
    size_t n = strlen(path);
    bool wav = n > 4 && (strcmp(path + n - 4, ".wav") == 0 || strcmp(path + n - 4, ".WAV") == 0);
    char text[160];
    if (wav) {
        Wav w = ReadWav(path, true);
        if (!w.problem.empty()) return Fail(w.problem);
        printf("seconds: %.3f\n", w.headerDataBytes / (2.0 * w.rate));
        if (w.headerDataBytes != w.fileDataBytes) {
            snprintf(text, sizeof text, "the header says %u data bytes, the file holds %llu", w.headerDataBytes,
                     static_cast<unsigned long long>(w.fileDataBytes));
            return Fail(text);
        }
        return 0;
    }
    Mp3 m = DecodeMp3(path);
    if (!m.problem.empty()) return Fail(m.problem);
    printf("seconds: %.3f\n", static_cast<double>(m.samples.size()) / m.rate);
    if (m.tailBytes != 0) {
        snprintf(text, sizeof text, "a torn frame of %d bytes at the end", m.tailBytes);
        return Fail(text);
    }
    return 0;
}

int main(int argc, char** argv) {
    if (argc < 2) return Usage("missing subcommand");
    std::string cmd = argv[1];
    Options o;
    if (cmd == "wav-match" && argc >= 4 && ParseOptions(argc, argv, 4, &o)) return WavMatch(argv[2], argv[3], o);
    if (cmd == "mp3-corr" && argc >= 4 && ParseOptions(argc, argv, 4, &o)) return Mp3Corr(argv[2], argv[3], o);
    if (cmd == "crash-wav" && argc >= 4 && ParseOptions(argc, argv, 4, &o)) return CrashWav(argv[2], argv[3], o);
    if (cmd == "crash-mp3" && argc >= 5 && ParseOptions(argc, argv, 5, &o)) {
        return CrashMp3(argv[2], argv[3], argv[4], o);
    }
    if (cmd == "whole" && argc == 3) return Whole(argv[2]);
    return Usage("unknown subcommand or bad arguments");
}
