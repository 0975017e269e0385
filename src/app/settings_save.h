// When the window writes its settings, and what it writes: the values come from the window's controls and the
// controller's state; the settings fields do the writing.
#pragma once

#include "settings/settings_values.h"
#include "ui/control_ids.h"

// The check boxes that show a flag of the settings: start-up ticks them from the stored values, every save reads them.
struct SettingCheckBox {
    int control;
    bool SettingsValues::*flag;
};
inline constexpr SettingCheckBox kSettingCheckBoxes[] = {
    {kIdOnTop, &SettingsValues::onTop},
    {kIdReplace, &SettingsValues::replace},
    {kIdSkipSilence, &SettingsValues::skipSilence},
    {kIdRememberPositions, &SettingsValues::rememberPositions},
};

// The fields saved together (RecordingName to RewindSeconds, RewindOnResume and RememberPositions, in table order);
// PlayVolume and PlaySpeed only while their sliders exist.
void SaveAllSettings();
// RecordingName alone, on every change of the "File name" box.
void SaveRecordingName();
// MiniX and MiniY, only in mini mode and only when the window's rectangle can be read.
void SaveMiniPosition();
