// What every command, slider, timer, hot key, drop and the close request of the main window does.
#include "app/controller.h"
#include "app/microphone_list.h"
#include "app/settings_save.h"
#include "app/shell_state_edit.h"
#include "app/transcription.h"
#include "app/window_modes.h"
#include "panel/panel_host.h"
#include "player/player.h"
#include "recorder/recorder.h"
#include "settings/settings_values.h"
#include "shortcuts/shortcut.h"
#include "shortcuts/shortcut_registration.h"
#include "ui/control_ids.h"

void onCommand(int id, int notification) {
    switch (id) {
        case kIdRecord:
            startRecording(currentRecordingRequest());
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
        case kIdMicrophone:
            if (notification == kNotifySelChange) onMicrophoneChosen();
            break;
        case kIdOnTop:
            if (notification == kNotifyClicked) {
                controllerShell()->setOnTop(controllerControls()->isChecked(kIdOnTop));
                SaveAllSettings();
            }
            break;
        case kIdSettings:
            CancelRecordCapture();
            CancelPlaybackCapture();
            CancelMarkCapture();
            shell().settingsOpen = !shell().settingsOpen;
            // Microphones come and go while the program runs: the list shows the ones present as the page opens.
            if (shell().settingsOpen) RefreshMicrophoneList();
            RefreshControls();
            break;
        case kIdFileName:
            if (notification == kNotifyEditChange) SaveRecordingName();
            break;
        case kIdWindowSize:
            if (notification == kNotifySelChange) {
                int row = controllerControls()->listSelection(kIdWindowSize);
                if (row >= 0 && row < kZoomRowCount) {
                    shell().zoomPercent = kZoomRows[row].percent;
                    controllerControls()->applyZoom(shell().zoomPercent);
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
            if (shell().PlayerLoaded) {
                playerPause();
                shell().resumeRewindDue = false;
                playerSeek(0.0);
                RefreshPlayer();
            }
            break;
        case kIdRewindAmount:
            if (notification == kNotifySelChange) {
                int row = controllerControls()->listSelection(kIdRewindAmount);
                if (row >= 0 && row < kRewindRowCount) {
                    shell().RewindSeconds = kRewindRows[row].seconds;
                    ShowRewindAmount();
                    SaveAllSettings();
                    controllerControls()->repaint(kIdShortcutBox, false);  // the shortcut box shows the rewind amount
                }
            }
            break;
        case kIdResumeRewind:
            if (notification == kNotifySelChange) {
                int row = controllerControls()->listSelection(kIdResumeRewind);
                if (row >= 0 && row < kResumeRewindRowCount) {
                    shell().ResumeRewindSeconds = kResumeRewindRows[row].seconds;
                    SaveAllSettings();
                }
            }
            break;
        case kIdRememberPositions:
            if (notification == kNotifyClicked) SaveAllSettings();
            break;
        case kIdMarkShortcutChange:
            BeginMarkCapture();
            break;
        case kIdMarkShortcutDefault:
            ResetMarkShortcut();
            break;
        case kIdPlayLocalFile: {
            if (!recorderIsIdle()) break;
            wchar_t path[kPathCapacity];
            if (controllerShell()->chooseAudioFile(path, kPathCapacity)) OpenForPlay(path);
            break;
        }
        case kIdPlayRecording:
            if (recorder.lastRecordingSaved) {
                LoadForPlay(recorder.recordingPath);
                RefreshControls();
            }
            break;
        case kIdTranscribe:
            onPanelButton();
            break;
        case kIdPanelStrip:
            onPanelStrip();
            break;
        case kIdMiniToggle:
            onMiniToggle();
            break;
        case kIdChangeFolder:
            onChangeFolder();
            break;
        case kIdConverter:
            onConverterLink();
            break;
        case kIdShowInFolder:
            if (recorder.lastRecordingSaved) controllerShell()->showInFolder(recorder.recordingPath);
            break;
        default:
            if (id >= kIdSlotChange && id < kIdSlotChange + kPlaybackSlotCount)
                BeginPlaybackCapture(id - kIdSlotChange);
            if (id >= kIdSlotDefault && id < kIdSlotDefault + kPlaybackSlotCount)
                ResetPlaybackSlot(id - kIdSlotDefault);
            break;
    }
}

void onTimer(int id) {
    if (id == kTimerRecording) onRecordingTimer();
    if (id == kTimerPlayer) RefreshPlayer();
    if (id == kTimerTyping) onTypingTimer();
}

void onHotkeyAction(int id) {
    switch (id) {
        case kHotkeyRecord:
            if (recorderIsIdle()) {
                startRecording(currentRecordingRequest());
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
        case kHotkeyFirstPlayback + kSlotSlower:
            onSpeedKey(SpeedStep::Slower);
            break;
        case kHotkeyFirstPlayback + kSlotFaster:
            onSpeedKey(SpeedStep::Faster);
            break;
        case kHotkeyFirstPlayback + kSlotNormalSpeed:
            onSpeedKey(SpeedStep::Normal);
            break;
        case kHotkeyFirstPlayback + kSlotTypeTime:
            onTypeTimeKey(PlaybackShortcuts[kSlotTypeTime].mods);
            break;
        case kHotkeyMark:
            addMark();
            break;
        default:
            break;
    }
}

void onDropFiles(int count, const wchar_t* firstPath, bool pathTooLong) {
    if (shortcutCaptureRunning()) {
        SetStatus(L"Finish changing a shortcut before dropping audio.");
    } else if (!recorderIsIdle()) {
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

namespace {

// What closing the window saves, and what the end of the Windows session must save before the process is ended:
// the mini position, the take (finished, its marks on disk), then the settings.
void SaveBeforeExit() {
    if (shell().miniMode) SaveMiniPosition();
    if (!recorderIsIdle()) stopRecording();
    SaveAllSettings();
}

}  // namespace

void onCloseRequest() {
    UnregisterRecordShortcut();
    ClosePanel();
    UnregisterPlaybackShortcuts();
    SaveBeforeExit();
    ClosePlayerFile();
    controllerShell()->destroyWindow();
}

bool onQueryEndSession() {
    // The saving waits for the end itself; the reason is what Windows shows if it has to wait for it.
    if (!recorderIsIdle()) controllerShell()->blockShutdown(L"A recording is being saved.");
    return true;
}

void onEndSession(bool ending) {
    if (!ending) return;
    shell().sessionEnding = true;
    SaveBeforeExit();
}
