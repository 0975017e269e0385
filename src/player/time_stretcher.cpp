// The WSOLA time stretcher. The search is the costly part: S + 1 candidates two samples apart, each correlated with
// the previous segment's continuation over every other sample of a hop. The plain loop (PlainScore) defines the
// result; the fast search gets the same answer by scoring every candidate approximately in single precision with a
// proven error bound, then scoring exactly, with the plain loop, only the candidates that could be the best.
#include "player/time_stretcher.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define NOTAFON_SSE2 1
#endif

namespace {

const double kTwoPi = 6.28318530717958;
const double kWorstScore = -1e30;

double ClampSpeed(double s) {
    return s < 0.5 ? 0.5 : (s > 3.0 ? 3.0 : s);
}

int16_t ToSample(float v) {
    if (v > 32767.0f) return 32767;
    if (v < -32768.0f) return -32768;
    return static_cast<int16_t>(v);
}

int16_t At(const TrackView* v, int64_t i) {
    const int64_t k = i - v->first;
    return k >= 0 && k < v->count ? v->samples[k] : 0;
}

float TrackAt(const TrackView* v, int64_t i) {
    return static_cast<float>(At(v, i));
}

// out[m] = track[from + 2m] for m < count. Inside the view (nearly always) without a bounds check a sample.
void EveryOther(const TrackView* v, int64_t from, int32_t count, float* out) {
    const int64_t k = from - v->first;
    if (k >= 0 && k + 2 * static_cast<int64_t>(count) <= v->count) {
        const int16_t* p = v->samples + k;
        for (int32_t m = 0; m < count; ++m) out[m] = static_cast<float>(p[2 * m]);
        return;
    }
    for (int32_t m = 0; m < count; ++m) out[m] = TrackAt(v, from + 2 * static_cast<int64_t>(m));
}

// Adds the windowed frame from `start` to the overlap; the same sums whether or not the frame lies inside the view.
void AddFrame(TimeStretcher* t, const TrackView* v, int64_t start) {
    const int32_t N = t->frameLength;
    const int64_t k = start - v->first;
    if (k >= 0 && k + N <= v->count) {
        const int16_t* p = v->samples + k;
        for (int32_t i = 0; i < N; ++i) t->overlap[i] += t->window[i] * static_cast<float>(p[i]);
        return;
    }
    for (int32_t i = 0; i < N; ++i) t->overlap[i] += t->window[i] * TrackAt(v, start + i);
}

TrackView WholeTrack(const int16_t* track, int32_t length) {
    TrackView v = {track, 0, length > 0 ? length : 0};
    return v;
}

// The plain score of candidate c: correlation with the stretch at prevEnd over every other sample of a hop, divided by
// the root of the candidate's energy; sums in double precision, in order.
double PlainScore(const TrackView* track, int64_t c, int64_t prevEnd, int32_t hop) {
    double num = 0.0;
    double energy = 0.001;
    for (int32_t k = 0; k < hop; k += 2) {
        double a = At(track, c + k);
        double b = At(track, prevEnd + k);
        num += a * b;
        energy += a * a;
    }
    return num / sqrt(energy);
}

int64_t PlainSearch(const TimeStretcher* t, const TrackView* track, int64_t centre) {
    double best = kWorstScore;
    int32_t bestOff = 0;
    for (int32_t off = -t->searchRadius; off <= t->searchRadius; off += 2) {
        int64_t c = centre + off;
        if (c < 0) continue;
        // A candidate past the track's end scores 0 (it reads only zeros), like any silent one.
        double score = PlainScore(track, c, t->prevEnd, t->hop);
        if (score > best) {
            best = score;
            bestOff = off;
        }
    }
    return centre + bestOff;
}

// Approximate correlations of `count` candidates (j = 0..count-1, candidate j reads evens[j + i]) with the pattern.
void Correlate(const float* evens, const float* pattern, int32_t pairs, int32_t count, float* out) {
    int32_t j = 0;
#ifdef NOTAFON_SSE2
    // 32 candidates a pass: each broadcast pattern value serves eight loads.
    for (; j + 32 <= count; j += 32) {
        __m128 acc[8];
        for (int k = 0; k < 8; ++k) acc[k] = _mm_setzero_ps();
        const float* e = evens + j;
        for (int32_t i = 0; i < pairs; ++i) {
            __m128 b = _mm_set1_ps(pattern[i]);
            for (int k = 0; k < 8; ++k) acc[k] = _mm_add_ps(acc[k], _mm_mul_ps(_mm_loadu_ps(e + i + 4 * k), b));
        }
        for (int k = 0; k < 8; ++k) _mm_storeu_ps(out + j + 4 * k, acc[k]);
    }
    for (; j + 16 <= count; j += 16) {
        __m128 a0 = _mm_setzero_ps(), a1 = _mm_setzero_ps(), a2 = _mm_setzero_ps(), a3 = _mm_setzero_ps();
        const float* e = evens + j;
        for (int32_t i = 0; i < pairs; ++i) {
            __m128 b = _mm_set1_ps(pattern[i]);
            a0 = _mm_add_ps(a0, _mm_mul_ps(_mm_loadu_ps(e + i), b));
            a1 = _mm_add_ps(a1, _mm_mul_ps(_mm_loadu_ps(e + i + 4), b));
            a2 = _mm_add_ps(a2, _mm_mul_ps(_mm_loadu_ps(e + i + 8), b));
            a3 = _mm_add_ps(a3, _mm_mul_ps(_mm_loadu_ps(e + i + 12), b));
        }
        _mm_storeu_ps(out + j, a0);
        _mm_storeu_ps(out + j + 4, a1);
        _mm_storeu_ps(out + j + 8, a2);
        _mm_storeu_ps(out + j + 12, a3);
    }
#endif
    for (; j < count; ++j) {
        float sum = 0.0f;
        for (int32_t i = 0; i < pairs; ++i) sum += evens[j + i] * pattern[i];
        out[j] = sum;
    }
}

// Why the fast search equals the plain one. Every track value is an integer below 2^15 in magnitude, so each product
// is an exact double and every partial sum of the plain numerator stays an integer below 2^53: the plain numerator is
// exact, whatever the order. The single-precision numerator differs from it by at most (pairs + 1) * 2^-24 times
// sum|a*b| <= sqrt(energy) * |pattern| (Cauchy-Schwarz), so the approximate score is within
// (pairs + 1) * 2^-24 * |pattern| of the real quotient; the plain score's own rounding is below 1e-12 relative. Any
// candidate whose approximate score is further than that below the best approximate score cannot be the plain loop's
// winner; the others are scored with the plain loop itself, in candidate order, keeping the first best.
int64_t FastSearch(TimeStretcher* t, const TrackView* track, int64_t centre) {
    const int32_t S = t->searchRadius;
    const int32_t pairs = (t->hop + 1) / 2;
    const int32_t count = S + 1;
    const int64_t first = centre - S;
    bool patternSilent = true;
    double patternEnergy = 0.0;
    EveryOther(track, t->prevEnd, pairs, t->pattern);
    for (int32_t i = 0; i < pairs; ++i) {
        const float b = t->pattern[i];
        patternEnergy += static_cast<double>(b) * b;
        if (b != 0.0f) patternSilent = false;
    }
    int32_t firstValid = 0;
    while (firstValid < count && first + 2 * firstValid < 0) ++firstValid;
    if (firstValid == count) return centre;  // no candidate: the plain loop keeps offset 0
    // Against silence every score is exactly 0 and the first candidate wins.
    if (patternSilent) return first + 2 * firstValid;

    EveryOther(track, first, count + pairs - 1, t->evens);
    Correlate(t->evens, t->pattern, pairs, count, t->approx);
    // Exact energies, sliding along the evens.
    int64_t energy = 0;
    for (int32_t i = 0; i < pairs; ++i) energy += static_cast<int64_t>(t->evens[i]) * static_cast<int64_t>(t->evens[i]);
    for (int32_t j = 0; j < count; ++j) {
        t->energies[j] = energy;
        t->energyF[j] = static_cast<float>(energy);
        if (j + 1 < count) {
            int64_t leaving = static_cast<int64_t>(t->evens[j]);
            int64_t entering = static_cast<int64_t>(t->evens[j + pairs]);
            energy += entering * entering - leaving * leaving;
        }
    }
    // The approximate scores, in single precision too: four roundings of at most 2^-24 each, well inside the
    // tolerance's relative term below.
    int32_t j = 0;
#ifdef NOTAFON_SSE2
    const __m128 tiny = _mm_set1_ps(0.001f);
    for (; j + 4 <= count; j += 4) {
        __m128 root = _mm_sqrt_ps(_mm_add_ps(_mm_loadu_ps(t->energyF + j), tiny));
        _mm_storeu_ps(t->approx + j, _mm_div_ps(_mm_loadu_ps(t->approx + j), root));
    }
#endif
    for (; j < count; ++j) t->approx[j] = t->approx[j] / sqrtf(t->energyF[j] + 0.001f);
    double bestApprox = kWorstScore;
    for (j = firstValid; j < count; ++j) {
        if (t->approx[j] > bestApprox) bestApprox = t->approx[j];
    }
    const double bound = (pairs + 2) * 5.9604644775390625e-8 * sqrt(patternEnergy);
    const double tolerance = 2.0 * bound + 1e-6 * fabs(bestApprox) + 1e-30;
    // The winner is among the candidates within the tolerance; when that is only one, it is the winner.
    int32_t within = 0, only = firstValid;
    for (j = firstValid; j < count && within < 2; ++j) {
        if (static_cast<double>(t->approx[j]) >= bestApprox - tolerance) ++within, only = j;
    }
    if (within == 1) return first + 2 * only;
    double best = kWorstScore;
    int32_t bestJ = firstValid;
    for (j = firstValid; j < count; ++j) {
        if (static_cast<double>(t->approx[j]) < bestApprox - tolerance) continue;
        int64_t c = first + 2 * j;
        double score;
        if (t->energies[j] == 0) {
            score = 0.0;  // a silent candidate: numerator 0, energy 0.001 exactly
        } else {
            score = PlainScore(track, c, t->prevEnd, t->hop);
        }
        if (score > best) {
            best = score;
            bestJ = j;
        }
    }
    return first + 2 * bestJ;
}

}  // namespace

TimeStretcher* timeStretcherCreate(int32_t sampleRate) {
    if (sampleRate <= 0) return nullptr;
    int64_t n = static_cast<int64_t>(sampleRate * 0.04) & ~static_cast<int64_t>(1);
    if (n < 64) n = 64;
    int64_t s = static_cast<int64_t>(sampleRate * 0.012);
    int64_t h = n / 2;
    int64_t floats = n + n + 8 * n + (s + h / 2 + 2) + (h / 2 + 1) + 2 * (s + 1);
    if (n > 0x0FFFFFFF || floats > 0x0FFFFFFF) return nullptr;
    TimeStretcher* t = static_cast<TimeStretcher*>(calloc(1, sizeof(TimeStretcher)));
    float* block = static_cast<float*>(calloc(static_cast<size_t>(floats), sizeof(float)));
    int64_t* energies = static_cast<int64_t*>(calloc(static_cast<size_t>(s + 1), sizeof(int64_t)));
    if (!t || !block || !energies) {
        free(t);
        free(block);
        free(energies);
        return nullptr;
    }
    t->sampleRate = sampleRate;
    t->frameLength = static_cast<int32_t>(n);
    t->hop = static_cast<int32_t>(h);
    t->searchRadius = static_cast<int32_t>(s);
    t->window = block;
    t->overlap = t->window + n;
    t->outBuf = t->overlap + n;
    t->evens = t->outBuf + 8 * n;
    t->pattern = t->evens + (s + h / 2 + 2);
    t->approx = t->pattern + (h / 2 + 1);
    t->energyF = t->approx + (s + 1);
    t->energies = energies;
    t->outCapacity = static_cast<int32_t>(8 * n);
    for (int64_t i = 0; i < n; ++i) {
        t->window[i] = static_cast<float>(0.5 - 0.5 * cos(kTwoPi * static_cast<double>(i) / static_cast<double>(n)));
    }
    return t;
}

void timeStretcherDestroy(TimeStretcher* t) {
    if (!t) return;
    free(t->window);
    free(t->energies);
    free(t);
}

void timeStretcherReset(TimeStretcher* t, double position) {
    if (!t) return;
    // Until a segment is added after a reset the overlap stays zero, so the player, which resets once a buffer while
    // it plays at 100 %, does not clear it each time.
    if (t->started) memset(t->overlap, 0, static_cast<size_t>(t->frameLength) * sizeof(float));
    t->outCount = 0;
    t->started = false;
    t->segmentPos = position;
    t->outPos = position;
}

double timeStretcherPosition(const TimeStretcher* t) {
    return t ? t->outPos : 0.0;
}

int64_t timeStretcherSearchView(TimeStretcher* t, const TrackView* track, int64_t centre) {
    return t->plainSearch ? PlainSearch(t, track, centre) : FastSearch(t, track, centre);
}

int32_t timeStretcherSearch(TimeStretcher* t, const int16_t* track, int32_t length, int32_t centre) {
    const TrackView v = WholeTrack(track, length);
    return static_cast<int32_t>(timeStretcherSearchView(t, &v, centre));
}

void timeStretcherProcess(TimeStretcher* t, const int16_t* track, int32_t length, double speed, int16_t* output,
                          int32_t n) {
    const TrackView v = WholeTrack(track, length);
    timeStretcherProcessView(t, &v, speed, output, n);
}

void timeStretcherReach(const TimeStretcher* t, double speed, int32_t n, int64_t* from, int64_t* to) {
    const double s = ClampSpeed(speed);
    const int32_t H = t->hop;
    const int32_t need = t->outCapacity - H < n ? t->outCapacity - H : n;
    const int64_t segments = t->outCount < need ? (need - t->outCount + H - 1) / H : 0;
    // Segment k starts near segmentPos + k * H * s, within the search radius, and reads a frame from there; the
    // search also reads a hop after every candidate and the hop at prevEnd.
    const int64_t firstCentre = static_cast<int64_t>(t->segmentPos);
    const int64_t lastCentre = static_cast<int64_t>(t->segmentPos + static_cast<double>(segments) * H * s) + 1;
    int64_t lo = firstCentre - t->searchRadius - 2;
    if (t->started && t->prevEnd < lo) lo = t->prevEnd;
    *from = lo;
    *to = lastCentre + t->searchRadius + t->frameLength + H + 2;
}

void timeStretcherProcessView(TimeStretcher* t, const TrackView* track, double speed, int16_t* output, int32_t n) {
    const double s = ClampSpeed(speed);
    const int32_t N = t->frameLength;
    const int32_t H = t->hop;
    const int32_t need = t->outCapacity - H < n ? t->outCapacity - H : n;
    while (t->outCount < need) {
        int64_t start;
        if (!t->started) {
            start = static_cast<int64_t>(t->segmentPos);
            t->started = true;
        } else {
            int64_t centre = static_cast<int64_t>(t->segmentPos + 0.5);
            start = timeStretcherSearchView(t, track, centre);
            if (start < 0) start = 0;
        }
        AddFrame(t, track, start);
        if (t->outCount + H > t->outCapacity) {
            int32_t keep = t->outCapacity - H;
            memmove(t->outBuf, t->outBuf + (t->outCount - keep), static_cast<size_t>(keep) * sizeof(float));
            t->outCount = keep;
        }
        memcpy(t->outBuf + t->outCount, t->overlap, static_cast<size_t>(H) * sizeof(float));
        t->outCount += H;
        memmove(t->overlap, t->overlap + H, static_cast<size_t>(N - H) * sizeof(float));
        memset(t->overlap + H, 0, static_cast<size_t>(N - H) * sizeof(float));
        t->prevEnd = start + H;
        t->segmentPos += H * s;
    }
    for (int32_t i = 0; i < need; ++i) output[i] = ToSample(t->outBuf[i]);
    // A request beyond what one call can hold gets silence rather than whatever the caller's buffer held.
    for (int32_t i = need; i < n; ++i) output[i] = 0;
    t->outCount -= need;
    memmove(t->outBuf, t->outBuf + need, static_cast<size_t>(t->outCount) * sizeof(float));
    t->outPos = t->segmentPos - s * t->outCount;
}
