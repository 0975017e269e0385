// A main-window stand-in for recorder tests: keeps every call it receives and answers from settable fields.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "recorder/recorder.h"
#include "recorder/recorder_host.h"

struct TestHost {
    int formatSelection = 1;
    bool replace = false;
    bool skipSilence = false;
    std::wstring fileName;
    std::wstring folder;
    std::wstring inputDevice;  // the chosen microphone; empty for the default
    LocalDateTime now = {2026, 3, 4, 5, 6, 7};

    std::vector<RecorderReport> reports;  // every report, in order
    std::vector<std::wstring> elapsedTexts;
    std::vector<std::wstring> loadedForPlay;
    int refreshes = 0, playerCloses = 0, captureCancels = 0, settingsSaves = 0;
    int timerStarts = 0, timerStops = 0, meterInvalidations = 0, repaints = 0;
    bool timerRunning = false;
    uint32_t tickMs = 1000;                     // the host's clock; tests move it
    std::vector<std::wstring> takesInProgress;  // every take-in-progress note, "" for the clear

    // The last report (a zeroed one, event StartFailed with kOk, before any).
    RecorderReport last() const { return reports.empty() ? RecorderReport{} : reports.back(); }
    RecorderEvent event() const { return last().event; }
    // The window's inputs at Record, from the fields above.
    RecordingRequest request() const;
};

extern TestHost testHost;
extern const RecorderHostApi kTestRecorderHost;

// A fresh, empty folder under the system's temporary folder; removed by the caller.
std::filesystem::path makeTestFolder(const char* tag);
// Whole file as bytes; empty when it cannot be read.
std::vector<unsigned char> readAllBytes(const std::filesystem::path& path);
// Writes a mono 16-bit WAV (for tests that need a file on disk).
void writeMonoWav(const std::filesystem::path& path, int sampleRate, const std::vector<short>& samples);
