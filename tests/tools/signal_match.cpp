// signal_match: does a recording of the speaker hold a known signal? It finds the lag at which CAPTURED best lines up
// with EXPECTED (mono 16-bit WAV files at one rate) and prints the normalized correlation over EXPECTED's length, the
// RMS ratio and the lag. Exits 0 when the correlation and the RMS ratio are within the limits, 1 with a FAIL line
// when not, 2 on bad usage.
//
//   signal_match CAPTURED.wav EXPECTED.wav [--min-corr C] [--rms-tolerance T] [--windows MAX_SLIP_SECONDS]
//                [--max-bad-windows F]
//
// With --windows, EXPECTED is also cut into 0.25 s windows, each of which is looked for in CAPTURED, in order, at a
// lag within MAX_SLIP_SECONDS of the previous window's; at most the fraction F of them (default 0) may correlate
// below C. This tells audio that is all there but interrupted by short drop-outs of the recording path from audio
// that is wrong, missing, stretched or reordered. The whole-signal correlation is then only printed.
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

namespace {

bool ReadWav(const char* path, std::vector<double>* out, int* rate) {
    FILE* f = fopen(path, "rb");
    if (!f) return false;
    std::vector<unsigned char> b;
    unsigned char chunk[65536];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0) b.insert(b.end(), chunk, chunk + n);
    fclose(f);
    if (b.size() < 12 || memcmp(b.data(), "RIFF", 4) != 0 || memcmp(b.data() + 8, "WAVE", 4) != 0) return false;
    size_t pos = 12;
    int channels = 0, bits = 0;
    while (pos + 8 <= b.size()) {
        uint32_t size = b[pos + 4] | (b[pos + 5] << 8) | (b[pos + 6] << 16) | (static_cast<uint32_t>(b[pos + 7]) << 24);
        if (memcmp(&b[pos], "fmt ", 4) == 0 && pos + 24 <= b.size()) {
            channels = b[pos + 10] | (b[pos + 11] << 8);
            *rate = static_cast<int>(b[pos + 12] | (b[pos + 13] << 8) | (b[pos + 14] << 16) |
                                     (static_cast<uint32_t>(b[pos + 15]) << 24));
            bits = b[pos + 22] | (b[pos + 23] << 8);
        } else if (memcmp(&b[pos], "data", 4) == 0) {
            if (channels != 1 || bits != 16) return false;
            size_t end = pos + 8 + size;
            if (size == 0 || size == 0xFFFFFFFFu || end > b.size()) end = b.size();
            for (size_t i = pos + 8; i + 1 < end; i += 2) out->push_back(static_cast<int16_t>(b[i] | (b[i + 1] << 8)));
            return true;
        }
        pos += 8 + size + (size & 1);
    }
    return false;
}

// Correlation of expected with captured shifted by lag, over every step-th sample.
double Corr(const std::vector<double>& cap, const std::vector<double>& exp, long lag, int step) {
    double ab = 0, aa = 0, bb = 0;
    for (size_t i = 0; i < exp.size(); i += static_cast<size_t>(step)) {
        long j = static_cast<long>(i) + lag;
        double a = j >= 0 && j < static_cast<long>(cap.size()) ? cap[static_cast<size_t>(j)] : 0.0;
        ab += a * exp[i];
        aa += a * a;
        bb += exp[i] * exp[i];
    }
    return aa > 0 && bb > 0 ? ab / sqrt(aa * bb) : 0.0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: signal_match CAPTURED.wav EXPECTED.wav [--min-corr C] [--rms-tolerance T]\n");
        return 2;
    }
    double minCorr = 0.98, rmsTolerance = 0.05, maxSlip = -1, maxBad = 0;
    for (int i = 3; i + 1 < argc; i += 2) {
        if (strcmp(argv[i], "--min-corr") == 0)
            minCorr = atof(argv[i + 1]);
        else if (strcmp(argv[i], "--rms-tolerance") == 0)
            rmsTolerance = atof(argv[i + 1]);
        else if (strcmp(argv[i], "--windows") == 0)
            maxSlip = atof(argv[i + 1]);
        else if (strcmp(argv[i], "--max-bad-windows") == 0)
            maxBad = atof(argv[i + 1]);
        else
            return 2;
    }
    std::vector<double> cap, exp;
    int capRate = 0, expRate = 0;
    if (!ReadWav(argv[1], &cap, &capRate) || !ReadWav(argv[2], &exp, &expRate)) {
        printf("FAIL: cannot read the WAV files (mono 16-bit expected)\n");
        return 1;
    }
    if (capRate != expRate) {
        printf("FAIL: rates differ: %d and %d\n", capRate, expRate);
        return 1;
    }
    // The capture starts before playback: search lags from 0 to all the capture's extra length, coarse then fine.
    long maxLag = static_cast<long>(cap.size()) - static_cast<long>(exp.size()) / 2;
    if (maxLag < 1) maxLag = 1;
    long best = 0;
    double bestCorr = -2;
    for (long lag = 0; lag <= maxLag; lag += 8) {
        double c = Corr(cap, exp, lag, 16);
        if (c > bestCorr) bestCorr = c, best = lag;
    }
    long coarse = best;
    bestCorr = -2;
    for (long lag = coarse - 16; lag <= coarse + 16; ++lag) {
        double c = Corr(cap, exp, lag, 1);
        if (c > bestCorr) bestCorr = c, best = lag;
    }
    double ee = 0, cc = 0;
    for (size_t i = 0; i < exp.size(); ++i) {
        long j = static_cast<long>(i) + best;
        double a = j >= 0 && j < static_cast<long>(cap.size()) ? cap[static_cast<size_t>(j)] : 0.0;
        cc += a * a;
        ee += exp[i] * exp[i];
    }
    double rmsRatio = ee > 0 ? sqrt(cc / ee) : 0.0;
    printf("lag: %ld\ncorrelation: %.5f\nrms-ratio: %.5f\n", best, bestCorr, rmsRatio);
    if (maxSlip >= 0) {
        const long window = expRate / 4, slip = static_cast<long>(maxSlip * expRate);
        long lag = best, first = -1, worstSlip = 0;
        double worst = 2;
        int windows = 0, bad = 0;
        for (long start = 0; start + window <= static_cast<long>(exp.size()); start += window) {
            std::vector<double> part(exp.begin() + start, exp.begin() + start + window);
            double energy = 0;
            for (double v : part) energy += v * v;
            if (energy < window * 100.0 * 100.0) continue;  // too quiet to place
            // A tone matches every period equally: of near-equal lags the one nearest the previous wins.
            double c = -2, score = -3;
            long at = lag;
            for (long l = lag - slip; l <= lag + slip; l += 4) {
                double v = Corr(cap, part, l + start, 2) - 1e-5 * static_cast<double>(labs(l - lag));
                if (v > score) score = v, at = l;
            }
            for (long l = at - 4; l <= at + 4; ++l) {
                double v = Corr(cap, part, l + start, 1);
                if (l == at - 4 || v > c) c = v, lag = l;
            }
            if (first < 0) first = lag;
            if (labs(lag - first) > worstSlip) worstSlip = labs(lag - first);
            if (c < worst) worst = c;
            if (c < minCorr) ++bad;
            ++windows;
        }
        // Drift: where the last window was found relative to the first; positive when audio came late (a gap was
        // inserted), negative when some was lost.
        printf("windows: %d\nbad-windows: %d\nworst-window-correlation: %.5f\nslip: %.3f s\ndrift: %.3f s\n", windows,
               bad, worst, static_cast<double>(worstSlip) / expRate, static_cast<double>(lag - first) / expRate);
        if (windows == 0 || bad > maxBad * windows || fabs(rmsRatio - 1.0) > rmsTolerance + 0.1) {
            printf("FAIL: the capture does not hold every window of the expected signal in order\n");
            return 1;
        }
        return 0;
    }
    if (bestCorr < minCorr || fabs(rmsRatio - 1.0) > rmsTolerance) {
        printf("FAIL: the capture does not hold the expected signal\n");
        return 1;
    }
    return 0;
}
