// notafon-cli stream-check: opens a file the way the player streams it and the way the decoder chain decodes it
// whole, reads a stretch at each given second in the order given (a seek, unless it starts where the last ended) and
// says how it compares with the whole decode there: the shift that lines the two up best, and the difference left at no
// shift. The platform decoder's seeking cannot be checked natively; this measures it where it runs.
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

#include <chrono>
#include <vector>

#include "base/file_api.h"
#include "cli/cli.h"
#include "cli/cli_options.h"
#include "cli/cli_player.h"
#include "player/track_loader.h"
#include "player/track_source.h"

namespace {

// Shifts searched either way: more than an AAC frame, the coarsest step a seek could be off by.
const int32_t kMaxShift = 1100;

double Milliseconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

// The whole decode at p, silence outside it.
int32_t At(const PcmTrack& t, int64_t p) {
    return p >= 0 && p < t.sampleCount ? t.samples[p] : 0;
}

double SquaredDifference(const PcmTrack& whole, int64_t start, const std::vector<int16_t>& got, int32_t shift) {
    double sum = 0.0;
    for (size_t i = 0; i < got.size(); ++i) {
        const double d = got[i] - At(whole, start + static_cast<int64_t>(i) + shift);
        sum += d * d;
    }
    return sum;
}

void Compare(TrackSource* source, const PcmTrack& whole, double seconds, int32_t count) {
    const int64_t start = static_cast<int64_t>(seconds * source->sampleRate + 0.5);
    std::vector<int16_t> got(static_cast<size_t>(count));
    const auto began = std::chrono::steady_clock::now();
    trackSourceRead(source, start, count, got.data());
    const double readMs = Milliseconds(began);
    int32_t best = 0;
    double bestError = SquaredDifference(whole, start, got, 0);
    for (int32_t shift = -kMaxShift; shift <= kMaxShift; ++shift) {
        const double e = SquaredDifference(whole, start, got, shift);
        if (e < bestError) {
            best = shift;
            bestError = e;
        }
    }
    int32_t maxDiff = 0;
    double signal = 0.0;
    for (size_t i = 0; i < got.size(); ++i) {
        const int32_t w = At(whole, start + static_cast<int64_t>(i));
        const int32_t d = got[i] > w ? got[i] - w : w - got[i];
        if (d > maxDiff) maxDiff = d;
        signal += static_cast<double>(w) * w;
    }
    const double error = SquaredDifference(whole, start, got, 0);
    // The difference left against the signal, in dB (99 where there is none).
    const double snr = error > 0.0 ? 10.0 * log10(signal / error) : 99.0;
    printf("at: %.3f shift: %d max-difference: %d snr-db: %.1f read-ms: %.1f\n", seconds, best, maxDiff, snr, readMs);
}

}  // namespace

int cliStreamCheck(int argc, wchar_t** argv) {
    const wchar_t* input = nullptr;
    std::vector<double> points;
    double length = 0.5;
    const CliOption options[] = {cliNumbers(L"--at", 0.0, kCliMaxSeconds, &points), cliSeconds(L"--seconds", &length)};
    const CliCommandLine line = {options, 2, &input, 1, "stream-check takes one file"};
    char refusal[kCliRefusalCapacity];
    if (cliParseCommandLine(line, argc, argv, refusal) < 0) return cliUsageError(refusal);
    if (!input || points.empty()) return cliUsageError("stream-check needs FILE and --at SECONDS");

    PcmTrack whole = {nullptr, 0, 0};
    TrackDecoder used = TrackDecoder::None;
    const GeneralDecoderApi* general = cliGeneralDecoder();
    if (!succeeded(loadTrack(input, &kPlatformFiles, general, &kPlatformThreads, &whole, &used))) {
        fprintf(stderr, "notafon-cli: the file does not decode whole\n");
        return 1;
    }
    TrackSource source;
    const auto began = std::chrono::steady_clock::now();
    const Outcome r = trackSourceOpen(input, &kPlatformFiles, general, &kPlatformThreads, &source);
    const double openMs = Milliseconds(began);
    if (!succeeded(r)) {
        pcmTrackFree(&whole);
        fprintf(stderr, "notafon-cli: the file cannot be played (%s)\n", outcomeName(r));
        return 1;
    }
    const bool streamed = !source.whole.samples;
    printf("decoder: %s\nstreamed: %d\nopen-ms: %.1f\nwhole-samples: %d\nstream-samples: %lld\n",
           trackDecoderName(source.decoder), streamed ? 1 : 0, openMs, whole.sampleCount,
           static_cast<long long>(source.sampleCount));
    const int32_t count = static_cast<int32_t>(length * source.sampleRate);
    for (double at : points) Compare(&source, whole, at, count);
    printf("seeks: %lld\n", static_cast<long long>(source.general.seeks));
    fflush(stdout);
    trackSourceClose(&source);
    pcmTrackFree(&whole);
    return 0;
}
