// mp3_sweep: loud tonal input through the MP3 writer. Sines and square waves from 0.1 to 1.0 of full scale, at every
// MP3 format's rate and bit rate, are encoded by the recorder's MP3 writer, decoded by the reference frame decoder and
// compared with their input at the best lag near the codec's delay. A fixed-point encoder whose sums overflow on loud
// tones turns them into noise (correlation near 0.2); a sound one keeps every case at or above the limit.
//
//   mp3_sweep [--seconds S] [--min-corr C]
//
// Prints one table row per signal and format (the worst level's correlation and that level) and a FAIL line for every
// case below the limit; exits 0 when none is, 1 otherwise, 2 on bad usage.
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "recorder/mp3_writer.h"
#include "recorder/recorder.h"
#include "support/mp3_decode.h"

namespace {

const double kPi = 3.14159265358979323846;
// The encoder and the decoder together delay the audio by this many samples at both rates; the search looks around it
// so that a changed delay shows up as a lag, not as a failure.
const int kExpectedLag = 1057;
const int kLagSearch = 64;

struct Signal {
    const char* label;
    double frequency;
    bool square;
};

const Signal kSignals[] = {
    {"sine 100 Hz", 100, false},    {"sine 440 Hz", 440, false},   {"sine 1000 Hz", 1000, false},
    {"sine 3000 Hz", 3000, false},  {"sine 8000 Hz", 8000, false}, {"square 220 Hz", 220, true},
    {"square 1000 Hz", 1000, true},
};

std::vector<unsigned char>* sink;

Outcome Collect(void*, const unsigned char* bytes, int count) {
    sink->insert(sink->end(), bytes, bytes + count);
    return Outcome::kOk;
}

std::vector<int16_t> Make(const Signal& s, double level, int rate, int count) {
    std::vector<int16_t> out(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        double v = sin(2.0 * kPi * s.frequency * i / rate);
        if (s.square) v = v >= 0.0 ? 1.0 : -1.0;
        out[static_cast<size_t>(i)] = static_cast<int16_t>(level * 32767.0 * v);
    }
    return out;
}

// Normalised correlation of the input with the decoded audio at the best lag near the codec delay; -2 when nothing
// decodable came out.
double BestCorrelation(const std::vector<int16_t>& in, const std::vector<short>& out, int* bestLag) {
    double best = -2.0;
    for (int lag = kExpectedLag - kLagSearch; lag <= kExpectedLag + kLagSearch; ++lag) {
        if (lag < 0 || static_cast<size_t>(lag) + in.size() > out.size()) continue;
        double xy = 0, xx = 0, yy = 0;
        for (size_t i = 0; i < in.size(); ++i) {
            double x = in[i], y = out[i + static_cast<size_t>(lag)];
            xy += x * y;
            xx += x * x;
            yy += y * y;
        }
        double c = xx > 0 && yy > 0 ? xy / sqrt(xx * yy) : 0.0;
        if (c > best) {
            best = c;
            *bestLag = lag;
        }
    }
    return best;
}

double EncodeAndMatch(const std::vector<int16_t>& in, int rate, int kbps, int* lag) {
    std::vector<unsigned char> bytes;
    sink = &bytes;
    if (!succeeded(mp3WriterOpen(rate, kbps))) return -3.0;
    mp3WriterWrite(in.data(), static_cast<int>(in.size()), Collect, nullptr);
    mp3WriterFinish(Collect, nullptr);
    DecodedMp3 decoded = decodeMp3(bytes);
    if (decoded.sampleRate != rate) return -2.0;
    return BestCorrelation(in, decoded.samples, lag);
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = 0.25;
    double minCorr = 0.99;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            seconds = atof(argv[++i]);
        } else if (strcmp(argv[i], "--min-corr") == 0 && i + 1 < argc) {
            minCorr = atof(argv[++i]);
        } else {
            fprintf(stderr, "usage: mp3_sweep [--seconds S] [--min-corr C]\n");
            return 2;
        }
    }
    int failures = 0;
    printf("%-16s", "signal");
    for (int f = 0; f < kRecordingFormatCount; ++f) {
        if (kRecordingFormats[f].kbps > 0)
            printf("  %3d kbps/%5d", kRecordingFormats[f].kbps, kRecordingFormats[f].sampleRate);
    }
    printf("\n");
    for (const Signal& s : kSignals) {
        printf("%-16s", s.label);
        for (int f = 0; f < kRecordingFormatCount; ++f) {
            const RecordingFormat& row = kRecordingFormats[f];
            if (row.kbps <= 0) continue;
            double worst = 2.0;
            int worstLevel = 0;
            for (int tenth = 1; tenth <= 10; ++tenth) {
                std::vector<int16_t> in =
                    Make(s, tenth / 10.0, row.sampleRate, static_cast<int>(seconds * row.sampleRate));
                int lag = 0;
                double c = EncodeAndMatch(in, row.sampleRate, row.kbps, &lag);
                if (c < minCorr) {
                    fprintf(stderr, "FAIL %s at %.1f of full scale, %d kbps / %d Hz: correlation %.3f (lag %d)\n",
                            s.label, tenth / 10.0, row.kbps, row.sampleRate, c, lag);
                    failures++;
                }
                if (c < worst) {
                    worst = c;
                    worstLevel = tenth;
                }
            }
            printf("  %.4f at %4.1f", worst, worstLevel / 10.0);
        }
        printf("\n");
    }
    printf("%s: %d case(s) below %.2f\n", failures ? "FAIL" : "ok", failures, minCorr);
    return failures ? 1 : 0;
}
