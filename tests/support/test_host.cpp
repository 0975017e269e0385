// The recorder tests' main-window stand-in and small file helpers.
#include "support/test_host.h"

#include <fstream>
#include <random>

#include "base/wav_file.h"
#include "base/wide_text.h"

TestHost testHost;

namespace {

void Report(const RecorderReport& r) {
    testHost.reports.push_back(r);
}
void Refresh() {
    testHost.refreshes++;
}
void LoadForPlay(const wchar_t* p) {
    testHost.loadedForPlay.push_back(p);
}
void ClosePlayer() {
    testHost.playerCloses++;
}
void CancelCapture() {
    testHost.captureCancels++;
}
void SaveSettings() {
    testHost.settingsSaves++;
}
void SetElapsed(const wchar_t* t) {
    testHost.elapsedTexts.push_back(t);
}
void StartTimer() {
    testHost.timerStarts++;
    testHost.timerRunning = true;
}
void StopTimer() {
    testHost.timerStops++;
    testHost.timerRunning = false;
}
void InvalidateMeter() {
    testHost.meterInvalidations++;
}
void Repaint() {
    testHost.repaints++;
}
bool SkipSilence() {
    return testHost.skipSilence;
}
void* NotifyTarget() {
    return nullptr;
}
uint32_t TickMs() {
    return testHost.tickMs;
}
void TakeInProgress(const wchar_t* path) {
    testHost.takesInProgress.push_back(path ? path : L"");
}
}  // namespace

const RecorderHostApi kTestRecorderHost = {
    .report = Report,
    .refreshControls = Refresh,
    .loadForPlay = LoadForPlay,
    .closePlayerFile = ClosePlayer,
    .cancelPlaybackCapture = CancelCapture,
    .saveAllSettings = SaveSettings,
    .setElapsedText = SetElapsed,
    .startRecordingTimer = StartTimer,
    .stopRecordingTimer = StopTimer,
    .invalidateMeter = InvalidateMeter,
    .repaintWindow = Repaint,
    .skipSilenceChecked = SkipSilence,
    .captureNotifyTarget = NotifyTarget,
    .tickMs = TickMs,
    .takeInProgress = TakeInProgress,
};

RecordingRequest TestHost::request() const {
    RecordingRequest r = {};
    r.formatSelection = formatSelection;
    r.replace = replace;
    WideCopyBounded(r.fileName, kFileNameBoxMaxRead + 1, fileName.c_str());
    WideCopyBounded(r.folder, kPathCapacity, folder.c_str());
    r.now = now;
    WideCopyBounded(r.inputDevice, kCaptureNameCapacity, inputDevice.c_str());
    return r;
}

std::filesystem::path makeTestFolder(const char* tag) {
    static std::mt19937 rng(std::random_device{}());
    for (;;) {
        auto p = std::filesystem::temp_directory_path() /
                 (std::string("notafon-test-") + tag + "-" + std::to_string(rng() % 100000000));
        std::error_code ec;
        if (std::filesystem::create_directory(p, ec)) return p;
    }
}

std::vector<unsigned char> readAllBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeMonoWav(const std::filesystem::path& path, int sampleRate, const std::vector<short>& samples) {
    writeMonoWavFile(&kPlatformFiles, path.wstring().c_str(), samples.data(), static_cast<int64_t>(samples.size()),
                     sampleRate);
}
