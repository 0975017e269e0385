// The player view of the main window: loading a file, the position and time labels, volume and speed, and the
// transport commands.
#include <wchar.h>

#include "app/controller.h"
#include "app/player_feedback.h"
#include "app/settings_save.h"
#include "app/shell_state_edit.h"
#include "app/shortcut_feedback.h"
#include "app/transcription.h"
#include "base/file_path.h"
#include "base/wide_text.h"
#include "panel/panel_host.h"
#include "player/player.h"
#include "recorder/recorder.h"
#include "recorder/time_text.h"
#include "shortcuts/shortcut_registration.h"
#include "ui/control_ids.h"

namespace {

// Every seek the user asks for: a rewind due on resume would otherwise undo the jump.
void SeekTo(double seconds) {
    shell().resumeRewindDue = false;
    playerSeek(seconds);
    RefreshPlayer();
}

void OnSeekSlider(int code) {
    if (!shell().PlayerLoaded) return;
    double duration = playerDuration();
    double time = controllerControls()->sliderPosition(kIdSeek) * duration / 1000.0;
    if (code == kSliderThumbTrack) {
        shell().SeekDragging = true;
        ShowPlayerTimes(time, duration);
        return;
    }
    if (code == kSliderEndScroll && !shell().SeekDragging) return;
    shell().SeekDragging = false;
    SeekTo(time);
}

}  // namespace

void RememberLoadedPosition() {
    if (!shellState().PlayerLoaded || !controllerControls()->isChecked(kIdRememberPositions)) return;
    FileStamp stamp;
    if (fileStampOf(shellState().PlayerPath, &stamp))
        rememberPosition(shellState().PlayerPath, stamp, playerPosition());
}

void ClosePlayerFile() {
    RememberLoadedPosition();
    controllerControls()->stopTimer(kTimerPlayer);
    UnregisterPlaybackShortcuts();
    playerClose();
    shell().PlayerLoaded = false;
    shell().PlayerPath[0] = 0;
    // A drag cut short by the close (the record shortcut mid-drag) would otherwise freeze the next file's times.
    shell().SeekDragging = false;
}

namespace {

// Shows why the sound stopped or would not start, if it did.
void ShowPlayerStop(Outcome why) {
    PlayerWords words;
    if (!playerStopWords(why, &words)) return;
    SetStatus(words.status);
    SetNote(words.detail);
}

// Once the sound plays again, a report that it had stopped would be stale: the lines it took are given back.
void ClearPlayerStop() {
    wchar_t status[kPlayerStatusCapacity];
    if (controllerControls()->getText(kIdStatus, status, kPlayerStatusCapacity) < 0) return;
    PlayerWords words;
    const Outcome shown[] = {Outcome::kNoDevice, Outcome::kDeviceFailed};
    for (Outcome why : shown) {
        if (playerStopWords(why, &words) && wcscmp(status, words.status) == 0) {
            SetNote(L"");
            ShowIdleStatus();
            return;
        }
    }
}

Outcome OpenTrackForPlay(const wchar_t* path) {
    // Decoding a whole file on the UI thread would starve the capture queue (about 300 ms of buffers) and drop
    // microphone audio unnoticed.
    if (!recorderIsIdle()) return Outcome::kNotOpen;
    ClosePlayerFile();
    Outcome r = playerOpen(path);
    if (!succeeded(r)) return r;
    shell().PlayerLoaded = true;
    shell().resumeRewindDue = false;
    WideCopyBounded(shell().PlayerPath, kPathCapacity, path);
    if (IsPanelCreated()) HandOffAudio(shell().PlayerPath);
    if (!RegisterPlaybackShortcuts()) SetStatus(kPlaybackShortcutUnavailable);
    playerSetVolume(controllerControls()->sliderPosition(kIdVolume) / 100.0);
    playerSetSpeed(controllerControls()->sliderPosition(kIdSpeed) * 0.05);
    SetTextIfChanged(kIdPlay, L"Play");
    controllerControls()->setSliderPosition(kIdSeek, 0);
    wchar_t name[400];
    WideCopyBounded(name, 400, PathBaseName(path));
    SetTextIfChanged(kIdLoadedName, name);
    ShowVolumeAndSpeed();
    controllerControls()->startTimer(kTimerPlayer, 100);
    RefreshPlayer();
    return Outcome::kOk;
}

// A file opened again by the user starts paused where it was left, when that is worth going back to. The words
// of the last reopening are taken back first, so they never describe another file.
void ReopenWhereStopped() {
    if (shellState().reopenNoteShown) {
        shell().reopenNoteShown = false;
        SetNote(L"");
    }
    if (!controllerControls()->isChecked(kIdRememberPositions)) return;
    FileStamp stamp;
    double recalled = 0.0;
    if (!fileStampOf(shellState().PlayerPath, &stamp) || !recallPosition(shellState().PlayerPath, stamp, &recalled))
        return;
    double start = reopenPosition(recalled, playerDuration());
    if (start <= 0.0) return;
    playerSeek(start);
    RefreshPlayer();
    wchar_t clock[32];
    formatClock(start, clock, 32);
    wchar_t note[160];
    WideFormat(note, 160, L"Reopened where you stopped last time, at %ls. Start goes back to 00:00:00.", clock);
    SetNote(note);
    shell().reopenNoteShown = true;
}

}  // namespace

int LoadForPlay(const wchar_t* path) {
    return succeeded(OpenTrackForPlay(path)) ? 0 : -1;
}

void OpenForPlay(const wchar_t* path) {
    if (!recorderIsIdle()) return;
    Outcome r = OpenTrackForPlay(path);
    if (succeeded(r)) ReopenWhereStopped();
    if (!succeeded(r)) {
        ClosePlayerFile();
        if (recorder.lastRecordingSaved) LoadForPlay(recorder.recordingPath);
        // Without a sound output the file is not to blame: the lines say what is missing instead of the message.
        PlayerWords words;
        if (playerOpenFailureWords(r, &words)) {
            SetStatus(words.status);
            SetNote(words.detail);
        } else {
            controllerShell()->messageBox(
                L"Notafon could not read this file. It plays MP3, WAV, M4A and most other audio that Windows can "
                L"decode. If the file is damaged or protected, convert it to MP3 with the free tool linked below and "
                L"try again.",
                L"Notafon");
        }
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
    if (!shell().PlayerLoaded) return;
    ShowPlayerStop(playerTakeStopReason());
    double position = playerPosition();
    double duration = playerDuration();
    bool playing = playerIsPlaying();
    if (!shell().SeekDragging) {
        ShowPlayerTimes(position, duration);
        int slider = duration > 0.0 ? static_cast<int>(position / duration * 1000.0 + 0.5) : 0;
        controllerControls()->setSliderPosition(kIdSeek, slider);
    }
    const wchar_t* label = playing ? L"Pause" : L"Play";
    wchar_t current[32];
    if (controllerControls()->getText(kIdPlay, current, 32) < 0 || wcscmp(current, label) != 0) {
        controllerControls()->setText(kIdPlay, label);
        controllerControls()->repaint(kIdPlay, true);
    }
}

void ShowVolumeAndSpeed() {
    wchar_t text[32];
    WideFormat(text, 32, L"Volume %d%%", controllerControls()->sliderPosition(kIdVolume));
    SetTextIfChanged(kIdVolumeLabel, text);
    WideFormat(text, 32, L"Speed %d%%", controllerControls()->sliderPosition(kIdSpeed) * 5);
    SetTextIfChanged(kIdSpeedLabel, text);
}

void ShowRewindAmount() {
    wchar_t text[32];
    WideFormat(text, 32, L"Back %ds", shell().RewindSeconds);
    SetTextIfChanged(kIdBack, text);
    controllerControls()->repaint(kIdBack, true);
}

void playerTogglePlay() {
    if (!shell().PlayerLoaded) return;
    if (playerIsPlaying()) {
        playerPause();
        shell().resumeRewindDue = true;
        RememberLoadedPosition();
    } else {
        // Only a resumed pause jumps back: not the first Play of a file, not a Play after a seek.
        if (shellState().resumeRewindDue && shellState().ResumeRewindSeconds > 0)
            playerSeek(resumeRewindTarget(playerPosition(), shellState().ResumeRewindSeconds));
        shell().resumeRewindDue = false;
        Outcome r = playerPlay();
        if (succeeded(r)) {
            ClearPlayerStop();
        } else {
            ShowPlayerStop(r);
        }
    }
    RefreshPlayer();
}

void playerRewind() {
    if (shell().PlayerLoaded) SeekTo(playerPosition() - shell().RewindSeconds);
}

void playerGoToStart() {
    if (shell().PlayerLoaded) SeekTo(0.0);
}

void playerForward() {
    // Always five seconds, whatever the rewind amount.
    if (shell().PlayerLoaded) SeekTo(playerPosition() + 5.0);
}

void onSliderNotification(int id, int code) {
    switch (id) {
        case kIdSeek:
            OnSeekSlider(code);
            break;
        case kIdVolume:
            ShowVolumeAndSpeed();
            if (shell().PlayerLoaded) playerSetVolume(controllerControls()->sliderPosition(kIdVolume) / 100.0);
            if (code == kSliderEndScroll) SaveAllSettings();
            break;
        case kIdSpeed:
            ShowVolumeAndSpeed();
            if (shell().PlayerLoaded) playerSetSpeed(controllerControls()->sliderPosition(kIdSpeed) * 0.05);
            if (code == kSliderEndScroll) SaveAllSettings();
            break;
        default:
            break;
    }
}
