// The window's settings writes. Each write goes straight to the store; a failed one is dropped silently.
#include "app/settings_save.h"

#include "app/controller.h"
#include "base/wide_text.h"
#include "settings/settings_values.h"
#include "shortcuts/shortcut.h"
#include "ui/control_ids.h"

namespace {

void FileNameText(wchar_t* out) {
    out[0] = 0;
    if (controllerControls()->getText(kIdFileName, out, kRecordingNameCapacity) < 0) out[0] = 0;
}

}  // namespace

void SaveAllSettings() {
    const WindowControlsApi* ui = controllerControls();
    if (!ui) return;
    SettingsValues v = {};
    FileNameText(v.recordingName);
    v.formatRow = ui->listSelection(kIdQuality);
    for (const SettingCheckBox& box : kSettingCheckBoxes) v.*box.flag = ui->isChecked(box.control);
    v.zoomRow = zoomRowOf(shellState().zoomPercent);
    v.recordShortcut = RecordShortcut;
    WideCopyBounded(v.folder, kPathCapacity, shellState().saveFolder);
    bool volumeSlider = ui->exists(kIdVolume), speedSlider = ui->exists(kIdSpeed);
    if (volumeSlider) v.playVolume = static_cast<uint32_t>(ui->sliderPosition(kIdVolume));
    if (speedSlider) v.playSpeed = static_cast<uint32_t>(ui->sliderPosition(kIdSpeed));
    v.rewindRow = rewindRowOf(shellState().RewindSeconds);
    v.resumeRewindRow = resumeRewindRowOf(shellState().ResumeRewindSeconds);
    WideCopyBounded(v.inputDevice, kCaptureNameCapacity, shellState().inputDevice);
    for (const SettingField& field : kSettingFields) {
        if (!field.savedTogether) continue;
        // A slider that does not exist has no position to save: the stored one stays.
        const void* held = settingHeld(field, v);
        if ((held == &v.playVolume && !volumeSlider) || (held == &v.playSpeed && !speedSlider)) continue;
        writeSettingField(field, v);
    }
}

void SaveRecordingName() {
    if (!controllerControls()) return;
    wchar_t name[kRecordingNameCapacity];
    FileNameText(name);
    writeRecordingName(name);
}

void SaveMiniPosition() {
    const WindowControlsApi* ui = controllerControls();
    if (!ui || !shellState().miniMode) return;
    int left = 0, top = 0;
    if (!controllerPlacement()->windowTopLeft(&left, &top)) return;
    writeMiniPosition(left, top);
}
