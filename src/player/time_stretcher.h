// The time stretcher: waveform-similarity overlap-add (WSOLA) of Hann-windowed 40 ms segments, 20 ms apart in the
// output, read from the track at `speed` times that spacing and each nudged within +-12 ms to line up with the
// waveform the previous segment would have continued with. Pitch stays; duration scales by 1 / speed.
#pragma once

#include <stdint.h>

// The stretch of the track the stretcher may read: samples[i - first] for first <= i < first + count. Every other
// position reads as silence, so the caller keeps in it every position inside the track that a call can reach.
struct TrackView {
    const int16_t* samples;
    int64_t first;
    int64_t count;
};

struct TimeStretcher {
    int32_t sampleRate;
    int32_t frameLength;   // N: 40 ms, even, at least 64
    int32_t hop;           // H = N / 2
    int32_t searchRadius;  // S: 12 ms
    // One block, allocated at creation:
    //   [window: N][overlap: N][outBuf: 8N][evens: S + H/2 + 2][pattern: H/2 + 1][scores: S + 1][energies: S + 1]
    //   (floats)
    //   [energies: S + 1]  (int64)
    float* window;
    float* overlap;
    float* outBuf;
    int32_t outCount;
    int32_t outCapacity;
    double segmentPos;
    int64_t prevEnd;
    bool started;
    double outPos;
    // The search's scratch: every other track sample from the first candidate on, every other sample of the stretch
    // the next segment should resemble, the approximate score and the exact energy of each candidate.
    float* evens;
    float* pattern;
    float* approx;
    float* energyF;
    int64_t* energies;
    // Tests and the benchmark compare the fast search with the plain loop it must equal.
    bool plainSearch;
};

// None when any allocation fails.
TimeStretcher* timeStretcherCreate(int32_t sampleRate);
void timeStretcherDestroy(TimeStretcher* stretcher);
void timeStretcherReset(TimeStretcher* stretcher, double position);
// Fills output[0..n-1] from the track at speed (clamped to 0.5..3.0); n may not exceed 7N.
void timeStretcherProcess(TimeStretcher* stretcher, const int16_t* track, int32_t length, double speed, int16_t* output,
                          int32_t n);
void timeStretcherProcessView(TimeStretcher* stretcher, const TrackView* track, double speed, int16_t* output,
                              int32_t n);
// The track positions the next call for n samples at speed can read, [*from, *to), before clamping to the track.
void timeStretcherReach(const TimeStretcher* stretcher, double speed, int32_t n, int64_t* from, int64_t* to);
double timeStretcherPosition(const TimeStretcher* stretcher);

// The start of the candidate that best matches the stretch at prevEnd, searched around `centre` (exposed for tests).
int32_t timeStretcherSearch(TimeStretcher* stretcher, const int16_t* track, int32_t length, int32_t centre);
int64_t timeStretcherSearchView(TimeStretcher* stretcher, const TrackView* track, int64_t centre);
