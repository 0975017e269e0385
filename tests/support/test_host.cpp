// The recorder tests' main-window stand-in and small file helpers.
#include "support/test_host.h"

#include <fstream>
#include <random>

#include "base/wav_file.h"

TestHost testHost;

namespace {

void SetStatus(const wchar_t* t) {
    testHost.statuses.push_back(t);
}
void SetNote(const wchar_t* t) {
    testHost.notes.push_back(t);
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
int FormatSelection() {
    return testHost.formatSelection;
}
bool Replace() {
    return testHost.replace;
}
bool SkipSilence() {
    return testHost.skipSilence;
}
void Copy(wchar_t* out, int capacity, const std::wstring& s) {
    int i = 0;
    for (; i < capacity - 1 && i < static_cast<int>(s.size()); ++i) out[i] = s[static_cast<size_t>(i)];
    out[i] = 0;
}
void FileNameText(wchar_t* out, int capacity) {
    Copy(out, capacity, testHost.fileName);
}
void Folder(wchar_t* out, int capacity) {
    Copy(out, capacity, testHost.folder);
}
void* NotifyTarget() {
    return nullptr;
}
void LocalTime(LocalDateTime* now) {
    *now = testHost.now;
}

}  // namespace

const RecorderHost kTestRecorderHost = {SetStatus,       SetNote,      Refresh,         LoadForPlay, ClosePlayer,
                                        CancelCapture,   SaveSettings, SetElapsed,      StartTimer,  StopTimer,
                                        InvalidateMeter, Repaint,      FormatSelection, Replace,     SkipSilence,
                                        FileNameText,    Folder,       NotifyTarget,    LocalTime};

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
