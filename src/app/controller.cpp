// The main window's controller: the application state, the status and detail lines, which controls are usable, and
// the recorder's view of the window.
#include "app/controller.h"

#include <wchar.h>

#include "app/microphone_list.h"
#include "app/recorder_feedback.h"
#include "app/recording_recovery.h"
#include "app/settings_save.h"
#include "app/shell_state_edit.h"
#include "base/wide_text.h"
#include "recorder/recorder.h"
#include "shortcuts/shortcut.h"
#include "shortcuts/shortcut_registration.h"
#include "shortcuts/shortcut_text.h"
#include "ui/control_ids.h"

namespace {

const WindowControlsApi* ui;
const WindowPlacementApi* placement;
const WindowShellApi* shellApi;

// --- the recorder's view of the window ---

void HostReport(const RecorderReport& report) {
    RecorderWords words;
    recorderReportWords(report, &words);
    if (words.hasStatus) SetStatus(words.status);
    if (words.hasDetail) SetNote(words.detail);
}

void HostLoadForPlay(const wchar_t* path) {
    // Decoding a long take would only delay the end of the session, which ends the process anyway.
    if (shellState().sessionEnding) return;
    LoadForPlay(path);
}
void HostSetElapsed(const wchar_t* text) {
    SetTextIfChanged(kIdTime, text);
}
void HostStartTimer() {
    ui->startTimer(kTimerRecording, 70);
}
void HostStopTimer() {
    ui->stopTimer(kTimerRecording);
}
void HostInvalidateMeter() {
    ui->invalidateMeter();
}
void HostRepaint() {
    ui->repaintWindow();
}
bool HostSkipSilence() {
    return ui->isChecked(kIdSkipSilence);
}
void* HostNotifyTarget() {
    return controllerShell()->captureNotifyTarget();
}
uint32_t HostTickMs() {
    return controllerShell()->tickMs();
}
void HostTakeInProgress(const wchar_t* path) {
    noteTakeInProgress(path);
    // A finished take has nothing left to lose when the session ends.
    if (!path) controllerShell()->blockShutdown(nullptr);
}

}  // namespace

const RecorderHostApi kAppRecorderHost = {
    .report = HostReport,
    .refreshControls = RefreshControls,
    .loadForPlay = HostLoadForPlay,
    .closePlayerFile = ClosePlayerFile,
    .cancelPlaybackCapture = CancelPlaybackCapture,
    .saveAllSettings = SaveAllSettings,
    .setElapsedText = HostSetElapsed,
    .startRecordingTimer = HostStartTimer,
    .stopRecordingTimer = HostStopTimer,
    .invalidateMeter = HostInvalidateMeter,
    .repaintWindow = HostRepaint,
    .skipSilenceChecked = HostSkipSilence,
    .captureNotifyTarget = HostNotifyTarget,
    .tickMs = HostTickMs,
    .takeInProgress = HostTakeInProgress,
};

RecordingRequest currentRecordingRequest() {
    RecordingRequest request = {};
    request.formatSelection = ui->listSelection(kIdQuality);
    request.replace = ui->isChecked(kIdReplace);
    if (ui->getText(kIdFileName, request.fileName, kFileNameBoxMaxRead + 1) < 0) request.fileName[0] = 0;
    WideCopyBounded(request.folder, kPathCapacity, shell().saveFolder);
    controllerShell()->localTime(&request.now);
    WideCopyBounded(request.inputDevice, kCaptureNameCapacity, shell().inputDevice);
    return request;
}

void controllerInstall(const WindowControlsApi* controls, const WindowPlacementApi* placementApi,
                       const WindowShellApi* shell) {
    ui = controls;
    placement = placementApi;
    shellApi = shell;
}

const WindowControlsApi* controllerControls() {
    return ui;
}

const WindowPlacementApi* controllerPlacement() {
    return placement;
}

const WindowShellApi* controllerShell() {
    return shellApi;
}

void controllerReset() {
    shellStateReset();
    microphoneListReset();
}

void SetTextIfChanged(int id, const wchar_t* text) {
    wchar_t current[512];
    int length = ui->getText(id, current, 512);
    if (length < 0) return;  // no such control
    if (length < 511 && wcscmp(current, text) == 0) return;
    ui->setText(id, text);
}

void SetSaveFolder(const wchar_t* folder) {
    WideCopyBounded(shell().saveFolder, kPathCapacity, folder);
    SetTextIfChanged(kIdFolder, shell().saveFolder);
}

void SetStatus(const wchar_t* text) {
    SetTextIfChanged(kIdStatus, text);
}
void SetNote(const wchar_t* text) {
    SetTextIfChanged(kIdDetail, text);
}

void RefreshControls() {
    RecorderState s = recorder.state;
    bool idle = s == RecorderState::Idle;
    ui->enable(kIdRecord, idle);
    ui->enable(kIdPause, !idle);
    ui->enable(kIdStop, !idle);
    ui->enable(kIdMark, s == RecorderState::Recording);
    ui->enable(kIdQuality, idle);
    ui->enable(kIdMicrophone, idle);  // a take keeps the microphone it started with
    ui->enable(kIdFileName, idle);
    ui->enable(kIdReplace, idle);
    ui->enable(kIdChangeFolder, idle);
    ui->enable(kIdPlayLocalFile, idle);
    SetTextIfChanged(kIdPause, s == RecorderState::Paused ? L"Resume" : L"Pause");
    SetTextIfChanged(kIdSettings, shell().settingsOpen ? L"Settings  \x25B4" : L"Settings  \x25BE");
    // Every change of the recorder's state ends here, so the mark shortcut follows it from here.
    SyncMarkShortcut();
    ui->layout();
}

void ShowIdleStatus() {
    if (!recorderIsIdle()) return;
    if (HotkeyRegistered) {
        wchar_t shortcut[128];
        ShortcutToText(RecordShortcut.mods, RecordShortcut.key, shortcut, 128);
        wchar_t status[199];
        WideFormat(status, 199, L"Ready to record  (%ls)", shortcut);
        SetStatus(status);
    } else {
        SetStatus(L"Global shortcut unavailable; open Settings to choose another");
    }
}
