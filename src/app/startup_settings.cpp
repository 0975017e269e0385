// The saved settings applied to a freshly created window, in the order the window applies them: the playback side
// first (its labels show the stored volume, speed and rewind amount), then the lists and the zoom, then the global
// shortcuts, the check boxes and the folder. Last, with the window and the player ready, a take a previous run left
// unfinished.
#include "app/controller.h"
#include "app/recording_recovery.h"
#include "app/settings_save.h"
#include "app/shell_state_edit.h"
#include "app/shortcut_feedback.h"
#include "base/wide_text.h"
#include "shortcuts/shortcut.h"
#include "shortcuts/shortcut_registration.h"
#include "ui/control_ids.h"

void controllerApplyStartup(const SettingsValues& saved) {
    const WindowControlsApi* ui = controllerControls();
    // First: anything below that saves the settings saves the chosen microphone with them.
    WideCopyBounded(shell().inputDevice, kCaptureNameCapacity, saved.inputDevice);
    ui->setText(kIdFileName, saved.recordingName);
    shell().RewindSeconds = kRewindRows[saved.rewindRow].seconds;
    ui->setSliderPosition(kIdVolume, static_cast<int>(saved.playVolume));
    ui->setSliderPosition(kIdSpeed, static_cast<int>(saved.playSpeed));
    ShowVolumeAndSpeed();
    for (int slot = 0; slot < kPlaybackSlotCount; ++slot) PlaybackShortcuts[slot] = saved.playback[slot];
    ui->setListSelection(kIdRewindAmount, saved.rewindRow);
    ShowRewindAmount();
    RefreshPlaybackShortcutRows();
    shell().ResumeRewindSeconds = kResumeRewindRows[saved.resumeRewindRow].seconds;
    ui->setListSelection(kIdResumeRewind, saved.resumeRewindRow);
    MarkShortcut = saved.mark;
    RefreshMarkShortcutRow();

    ui->setListSelection(kIdQuality, saved.formatRow);
    ui->setListSelection(kIdWindowSize, saved.zoomRow);
    if (kZoomRows[saved.zoomRow].percent != shell().zoomPercent) {
        shell().zoomPercent = kZoomRows[saved.zoomRow].percent;
        ui->applyZoom(shell().zoomPercent);
    }

    RecordShortcut = saved.recordShortcut;
    RegisterCurrentRecordShortcut();
    RefreshRecordShortcutDisplay();
    ShowIdleStatus();
    if (!RegisterPlaybackShortcuts()) SetStatus(kPlaybackShortcutUnavailable);

    for (const SettingCheckBox& box : kSettingCheckBoxes) ui->setChecked(box.control, saved.*box.flag);
    SetSaveFolder(saved.folder);
    if (saved.onTop) controllerShell()->setOnTop(true);
    RefreshControls();
    recoverInterruptedRecording();
}
