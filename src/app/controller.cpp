// The main window's controller.
#include "app/controller.h"

#include <wchar.h>

#include "app/control_ids.h"
#include "app/wide_text.h"
#include "player/player.h"
#include "recorder/recorder.h"
#include "recorder/time_text.h"
#include "settings/settings_values.h"
#include "shortcuts/shortcut.h"
#include "shortcuts/shortcut_registration.h"
#include "shortcuts/shortcut_text.h"

bool PlayerLoaded = false;
wchar_t PlayerPath[kPathCapacity];
bool SeekDragging = false;
int32_t RewindSeconds = 5;
bool settingsOpen = false;
bool miniMode = false;
bool panelOpen = false;
bool recorderHidden = false;
int32_t zoomPercent = 100;
wchar_t saveFolder[kPathCapacity];

namespace {

const WindowControls* ui;

const wchar_t kPlaybackShortcutUnavailable[] =
    L"A playback shortcut is unavailable; another app may be using it. Choose a different key in Settings.";

bool IsIdle() {
    return recorder.state == RecorderState::Idle;
}

// --- what the recorder and the settings read from the window ---

void HostSetStatus(const wchar_t* t) {
    SetStatus(t);
}
void HostSetNote(const wchar_t* t) {
    SetNote(t);
}
void HostRefresh() {
    RefreshControls();
}
void HostLoadForPlay(const wchar_t* path) {
    LoadForPlay(path);
}
void HostClosePlayer() {
    ClosePlayerFile();
}
void HostCancelCapture() {
    CancelPlaybackCapture();
}
void HostSaveAll() {
    SaveAllSettings();
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
int HostFormatSelection() {
    return ui->listSelection(kIdQuality);
}
bool HostReplace() {
    return ui->isChecked(kIdReplace);
}
bool HostSkipSilence() {
    return ui->isChecked(kIdSkipSilence);
}
void HostFileName(wchar_t* out, int capacity) {
    if (ui->getText(kIdFileName, out, capacity) < 0 && capacity > 0) out[0] = 0;
}
void HostFolder(wchar_t* out, int capacity) {
    WideCopyBounded(out, capacity, saveFolder);
}
void* HostNotifyTarget() {
    return ui->captureNotifyTarget();
}
void HostLocalTime(LocalDateTime* now) {
    ui->localTime(now);
}

int32_t SettingsZoom() {
    return zoomPercent;
}
bool SettingsOnTop() {
    return ui->isChecked(kIdOnTop);
}
bool SettingsSlider(int id, int32_t* position) {
    if (!ui->exists(id)) return false;
    *position = ui->sliderPosition(id);
    return true;
}
bool SettingsVolume(int32_t* position) {
    return SettingsSlider(kIdVolume, position);
}
bool SettingsSpeed(int32_t* position) {
    return SettingsSlider(kIdSpeed, position);
}
int32_t SettingsRewind() {
    return RewindSeconds;
}
bool SettingsMini() {
    return miniMode;
}
bool SettingsTopLeft(int32_t* left, int32_t* top) {
    int l = 0, t = 0;
    if (!ui->windowTopLeft(&l, &t)) return false;
    *left = l;
    *top = t;
    return true;
}

// --- the player side ---

void SeekTo(double seconds) {
    playerSeek(seconds);
    RefreshPlayer();
}

const wchar_t* FileNamePart(const wchar_t* path) {
    const wchar_t* name = path;
    for (const wchar_t* p = path; *p; ++p) {
        if (*p == kPathSeparator) name = p + 1;
    }
    return name;
}

void OnSeekSlider(int code) {
    if (!PlayerLoaded) return;
    double duration = playerDuration();
    double time = ui->sliderPosition(kIdSeek) * duration / 1000.0;
    if (code == kSliderThumbTrack) {
        SeekDragging = true;
        ShowPlayerTimes(time, duration);
        return;
    }
    if (code == kSliderEndScroll && !SeekDragging) return;
    SeekDragging = false;
    SeekTo(time);
}

}  // namespace

const RecorderHost kAppRecorderHost = {HostSetStatus,       HostSetNote,       HostRefresh,         HostLoadForPlay,
                                       HostClosePlayer,     HostCancelCapture, HostSaveAll,         HostSetElapsed,
                                       HostStartTimer,      HostStopTimer,     HostInvalidateMeter, HostRepaint,
                                       HostFormatSelection, HostReplace,       HostSkipSilence,     HostFileName,
                                       HostFolder,          HostNotifyTarget,  HostLocalTime};

const SettingsHost kAppSettingsHost = {HostFileName,    HostFormatSelection, SettingsOnTop, HostReplace,
                                       HostSkipSilence, SettingsZoom,        HostFolder,    SettingsVolume,
                                       SettingsSpeed,   SettingsRewind,      SettingsMini,  SettingsTopLeft};

void controllerInstall(const WindowControls* controls) {
    ui = controls;
}

const WindowControls* controllerControls() {
    return ui;
}

void controllerReset() {
    PlayerLoaded = false;
    PlayerPath[0] = 0;
    SeekDragging = false;
    RewindSeconds = 5;
    settingsOpen = false;
    miniMode = panelOpen = recorderHidden = false;
    zoomPercent = 100;
    saveFolder[0] = 0;
}

void SetTextIfChanged(int id, const wchar_t* text) {
    wchar_t current[512];
    int length = ui->getText(id, current, 512);
    if (length < 0) return;  // no such control
    if (length < 511 && wcscmp(current, text) == 0) return;
    ui->setText(id, text);
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
    ui->enable(kIdFileName, idle);
    ui->enable(kIdReplace, idle);
    ui->enable(kIdChangeFolder, idle);
    ui->enable(kIdPlayLocalFile, idle);
    SetTextIfChanged(kIdPause, s == RecorderState::Paused ? L"Resume" : L"Pause");
    SetTextIfChanged(kIdSettings, settingsOpen ? L"Settings  \x25B4" : L"Settings  \x25BE");
    ui->layout();
}

void ShowIdleStatus() {
    if (!IsIdle()) return;
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

void ClosePlayerFile() {
    ui->stopTimer(kTimerPlayer);
    UnregisterPlaybackShortcuts();
    playerClose();
    PlayerLoaded = false;
    PlayerPath[0] = 0;
    // A drag cut short by the close (the record shortcut mid-drag) would otherwise freeze the next file's times.
    SeekDragging = false;
}

int LoadForPlay(const wchar_t* path) {
    // Decoding a whole file on the UI thread would starve the capture queue (about 300 ms of buffers) and drop
    // microphone audio unnoticed.
    if (!IsIdle()) return -1;
    ClosePlayerFile();
    if (playerOpen(path) != 0) return -1;
    PlayerLoaded = true;
    WideCopyBounded(PlayerPath, kPathCapacity, path);
    if (!RegisterPlaybackShortcuts()) SetStatus(kPlaybackShortcutUnavailable);
    playerSetVolume(ui->sliderPosition(kIdVolume) / 100.0);
    playerSetSpeed(ui->sliderPosition(kIdSpeed) * 0.05);
    SetTextIfChanged(kIdPlay, L"Play");
    ui->setSliderPosition(kIdSeek, 0);
    wchar_t name[400];
    WideCopyBounded(name, 400, FileNamePart(path));
    SetTextIfChanged(kIdLoadedName, name);
    ShowVolumeAndSpeed();
    ui->startTimer(kTimerPlayer, 100);
    RefreshPlayer();
    return 0;
}

void OpenForPlay(const wchar_t* path) {
    if (!IsIdle()) return;
    if (LoadForPlay(path) != 0) {
        ClosePlayerFile();
        if (recorder.lastRecordingSaved) LoadForPlay(recorder.recordingPath);
        ui->messageBox(
            L"Notafon could not read this file. It plays MP3, WAV, M4A and most other audio that Windows can decode. "
            L"If the file is damaged or protected, convert it to MP3 with the free tool linked below and try again.",
            L"Notafon");
    }
    RefreshControls();
}

void ShowPlayerTimes(double position, double duration) {
    wchar_t pos[32], total[32], remaining[32];
    formatClock(position, pos, 32);
    formatClock(duration, total, 32);
    formatClock(duration - position, remaining, 32);
    if (wcscmp(pos, recorder.elapsedText) != 0) {
        WideCopyBounded(recorder.elapsedText, 32, pos);
        SetTextIfChanged(kIdTime, pos);
    }
    wchar_t times[120];
    WideFormat(times, 120, L"Total %ls   \x00B7   Remaining %ls", total, remaining);
    SetTextIfChanged(kIdTimes, times);
}

void RefreshPlayer() {
    if (!PlayerLoaded) return;
    double position = playerPosition();
    double duration = playerDuration();
    bool playing = playerIsPlaying();
    if (!SeekDragging) {
        ShowPlayerTimes(position, duration);
        int slider = duration > 0.0 ? static_cast<int>(position / duration * 1000.0 + 0.5) : 0;
        ui->setSliderPosition(kIdSeek, slider);
    }
    const wchar_t* label = playing ? L"Pause" : L"Play";
    wchar_t current[32];
    if (ui->getText(kIdPlay, current, 32) < 0 || wcscmp(current, label) != 0) {
        ui->setText(kIdPlay, label);
        ui->repaint(kIdPlay, true);
    }
}

void ShowVolumeAndSpeed() {
    wchar_t text[32];
    WideFormat(text, 32, L"Volume %d%%", ui->sliderPosition(kIdVolume));
    SetTextIfChanged(kIdVolumeLabel, text);
    WideFormat(text, 32, L"Speed %d%%", ui->sliderPosition(kIdSpeed) * 5);
    SetTextIfChanged(kIdSpeedLabel, text);
}

void ShowRewindAmount() {
    wchar_t text[32];
    WideFormat(text, 32, L"Back %ds", RewindSeconds);
    SetTextIfChanged(kIdBack, text);
    ui->repaint(kIdBack, true);
}

void playerTogglePlay() {
    if (!PlayerLoaded) return;
    if (playerIsPlaying()) {
        playerPause();
    } else {
        playerPlay();
    }
    RefreshPlayer();
}

void playerRewind() {
    if (PlayerLoaded) SeekTo(playerPosition() - RewindSeconds);
}

void playerGoToStart() {
    if (PlayerLoaded) SeekTo(0.0);
}

void playerForward() {
    // Always five seconds, whatever the rewind amount.
    if (PlayerLoaded) SeekTo(playerPosition() + 5.0);
}

void onCommand(int id, int notification) {
    switch (id) {
        case kIdRecord:
            startRecording();
            break;
        case kIdPause:
            togglePause();
            RefreshControls();
            break;
        case kIdStop:
            stopRecording();
            break;
        case kIdMark:
            addMark();
            break;
        case kIdSkipSilence:
        case kIdReplace:
            if (notification == kNotifyClicked) SaveAllSettings();
            break;
        case kIdQuality:
            if (notification == kNotifySelChange) SaveAllSettings();
            break;
        case kIdOnTop:
            if (notification == kNotifyClicked) {
                ui->setOnTop(ui->isChecked(kIdOnTop));
                SaveAllSettings();
            }
            break;
        case kIdSettings:
            CancelRecordCapture();
            CancelPlaybackCapture();
            settingsOpen = !settingsOpen;
            RefreshControls();
            break;
        case kIdFileName:
            if (notification == kNotifyEditChange) SaveRecordingName();
            break;
        case kIdWindowSize:
            if (notification == kNotifySelChange) {
                int row = ui->listSelection(kIdWindowSize);
                if (row >= 0 && row < kZoomRowCount) {
                    zoomPercent = kZoomRows[row].percent;
                    ui->applyZoom(zoomPercent);
                    SaveAllSettings();
                }
            }
            break;
        case kIdRecordShortcutChange:
            BeginRecordCapture();
            break;
        case kIdRecordShortcutDefault:
            ResetRecordShortcut();
            break;
        case kIdPlay:
            playerTogglePlay();
            break;
        case kIdBack:
            playerRewind();
            break;
        case kIdStart:
            playerGoToStart();
            break;
        case kIdForward:
            playerForward();
            break;
        case kIdPlayerStop:
            if (PlayerLoaded) {
                playerPause();
                playerSeek(0.0);
                RefreshPlayer();
            }
            break;
        case kIdRewindAmount:
            if (notification == kNotifySelChange) {
                int row = ui->listSelection(kIdRewindAmount);
                if (row >= 0 && row < kRewindRowCount) {
                    RewindSeconds = kRewindRows[row].seconds;
                    ShowRewindAmount();
                    SaveAllSettings();
                    ui->repaint(kIdShortcutBox, false);  // the shortcut box shows the rewind amount
                }
            }
            break;
        case kIdPlayLocalFile: {
            if (!IsIdle()) break;
            wchar_t path[kPathCapacity];
            if (ui->chooseAudioFile(path, kPathCapacity)) OpenForPlay(path);
            break;
        }
        case kIdPlayRecording:
            if (recorder.lastRecordingSaved) {
                LoadForPlay(recorder.recordingPath);
                RefreshControls();
            }
            break;
        case kIdShowInFolder:
            if (recorder.lastRecordingSaved) ui->showInFolder(recorder.recordingPath);
            break;
        default:
            if (id >= kIdSlotChange && id < kIdSlotChange + kPlaybackSlotCount)
                BeginPlaybackCapture(id - kIdSlotChange);
            if (id >= kIdSlotDefault && id < kIdSlotDefault + kPlaybackSlotCount)
                ResetPlaybackSlot(id - kIdSlotDefault);
            break;
    }
}

void onSliderNotification(int id, int code) {
    switch (id) {
        case kIdSeek:
            OnSeekSlider(code);
            break;
        case kIdVolume:
            ShowVolumeAndSpeed();
            if (PlayerLoaded) playerSetVolume(ui->sliderPosition(kIdVolume) / 100.0);
            if (code == kSliderEndScroll) SaveAllSettings();
            break;
        case kIdSpeed:
            ShowVolumeAndSpeed();
            if (PlayerLoaded) playerSetSpeed(ui->sliderPosition(kIdSpeed) * 0.05);
            if (code == kSliderEndScroll) SaveAllSettings();
            break;
        default:
            break;
    }
}

void onTimer(int id) {
    if (id == kTimerRecording) onRecordingTimer();
    if (id == kTimerPlayer) RefreshPlayer();
}

void onHotkeyAction(int id) {
    switch (id) {
        case kHotkeyRecord:
            if (IsIdle()) {
                startRecording();
            } else {
                stopRecording();
            }
            break;
        case kHotkeyFirstPlayback:
            playerTogglePlay();
            break;
        case kHotkeyFirstPlayback + 1:
            playerRewind();
            break;
        case kHotkeyFirstPlayback + 2:
            playerGoToStart();
            break;
        case kHotkeyFirstPlayback + 3:
            playerForward();
            break;
        default:
            break;
    }
}

void onDropFiles(int count, const wchar_t* firstPath, bool pathTooLong) {
    if (shortcutCaptureRunning()) {
        SetStatus(L"Finish changing a shortcut before dropping audio.");
    } else if (!IsIdle()) {
        SetStatus(L"Stop recording before dropping an audio file.");
    } else if (count != 1) {
        SetStatus(L"Drop one MP3, WAV or M4A file at a time.");
    } else if (pathTooLong) {
        SetStatus(L"That file path is too long to load here.");
    } else if (!firstPath || firstPath[0] == 0) {
        SetStatus(L"Could not read the dropped file path.");
    } else {
        OpenForPlay(firstPath);
    }
}

void onCloseRequest() {
    if (miniMode) SaveMiniPosition();
    UnregisterRecordShortcut();
    UnregisterPlaybackShortcuts();
    if (!IsIdle()) stopRecording();
    SaveAllSettings();
    ClosePlayerFile();
    ui->destroyWindow();
}
