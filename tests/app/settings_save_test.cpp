// What each write trigger of the window stores, in which order, and that what is saved reads back the same at the next
// start: the window's controls and the controller's state on one side, the settings store on the other.
#include "app/settings_save.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app_fixture.h"
#include "base/wide_text.h"
#include "recorder/capture_scripted.h"
#include "settings/known_folders.h"
#include "settings/settings_fixture.h"
#include "settings/settings_read_back.h"
#include "settings/settings_store.h"
#include "settings/settings_values.h"
#include "shortcuts/shortcut.h"
#include "ui/control_ids.h"

namespace {

class SettingsWrites : public ControllerTest {
  protected:
    void SetUp() override {
        ControllerTest::SetUp();
        // A window whose every saved value differs from its default.
        C(kIdFileName)->text = L"Interview";
        C(kIdQuality)->selection = 3;
        C(kIdOnTop)->checked = true;
        C(kIdSkipSilence)->checked = true;
        C(kIdWindowSize)->selection = zoomRowOf(120);
        onCommand(kIdWindowSize, kNotifySelChange);
        SetSaveFolder(L"D:\\Rec");
        C(kIdVolume)->slider = 150;
        C(kIdSpeed)->slider = 30;
        C(kIdRewindAmount)->selection = rewindRowOf(10);
        onCommand(kIdRewindAmount, kNotifySelChange);
        scriptedCapture.deviceNames[0] = L"Line In (Studio Box)";
        scriptedCapture.deviceCount = 1;
        onCommand(kIdSettings, kNotifyClicked);
        C(kIdMicrophone)->selection = 1;
        onCommand(kIdMicrophone, kNotifySelChange);
        window.left = -8;
        window.top = 640;
        memorySettingsReset(&store);
    }
};

}  // namespace

TEST_F(SettingsWrites, SaveAllWritesTheFifteenValuesInOrder) {
    SaveAllSettings();
    std::vector<std::wstring> expected = {L"RecordingName",  L"Format",
                                          L"OnTop",          L"Replace",
                                          L"SkipSilence",    L"Zoom",
                                          L"HotkeyKey",      L"HotkeyMods",
                                          L"Folder",         L"PlayVolume",
                                          L"PlaySpeed",      L"RewindSeconds",
                                          L"RewindOnResume", L"RememberPositions",
                                          L"InputDevice"};
    EXPECT_EQ(Writes(), expected);
}

TEST_F(SettingsWrites, SaveAllWritesExactlyTheFieldsSavedTogether) {
    SaveAllSettings();
    std::vector<std::wstring> expected;
    for (int value = 0; value < kSettingValueCount; ++value) {
        if (settingValueRef(value).field->savedTogether) expected.push_back(settingName(value));
    }
    EXPECT_EQ(Writes(), expected);
}

TEST_F(SettingsWrites, SaveAllSkipsSlidersThatDoNotExist) {
    window.controls.erase(kIdVolume);
    window.controls.erase(kIdSpeed);
    SaveAllSettings();
    std::vector<std::wstring> names = Writes();
    ASSERT_EQ(names.size(), 13u);
    EXPECT_EQ(names[8], L"Folder");
    EXPECT_EQ(names[9], L"RewindSeconds");
    EXPECT_EQ(names[12], L"InputDevice");
}

TEST_F(SettingsWrites, WhatIsSavedReadsBackAtTheNextStart) {
    RecordShortcut = {0x77, kModAlt | kModShift};
    SaveAllSettings();
    shortcutsReset();
    ReadBack r = ReadStored(&kTestFolders);
    const SettingsValues& s = r.values;
    EXPECT_STREQ(s.recordingName, L"Interview");
    EXPECT_EQ(s.formatRow, 3);
    EXPECT_TRUE(s.onTop);
    EXPECT_FALSE(s.replace);
    EXPECT_TRUE(s.skipSilence);
    EXPECT_EQ(kZoomRows[s.zoomRow].percent, 120);
    EXPECT_EQ(s.recordShortcut.key, 0x77u);
    EXPECT_EQ(s.recordShortcut.mods, kModAlt | kModShift);
    EXPECT_STREQ(s.folder, L"D:\\Rec");
    EXPECT_EQ(s.playVolume, 150u);
    EXPECT_EQ(s.playSpeed, 30u);
    EXPECT_EQ(kRewindRows[s.rewindRow].seconds, 10);
    EXPECT_STREQ(s.inputDevice, L"Line In (Studio Box)");
    for (int value = 0; value < kSettingValueCount; ++value) {
        EXPECT_EQ(r.usedDefault[value], !settingValueRef(value).field->savedTogether) << settingName(value);
    }
}

TEST_F(SettingsWrites, NoQualitySelectionAndAnEmptyNameReadBackAsDefaults) {
    C(kIdQuality)->selection = -1;
    C(kIdFileName)->text = L"";
    SaveAllSettings();
    EXPECT_EQ(ReadSettingNumber(L"Format", 0), 0xFFFFFFFFu);
    ReadBack r = ReadStored(&kTestFolders);
    EXPECT_EQ(r.values.formatRow, 1);
    EXPECT_STREQ(r.values.recordingName, L"PRLW Audio");
}

TEST_F(SettingsWrites, TheNameIsCutTo127CharactersAndWrittenAlone) {
    C(kIdFileName)->text = std::wstring(200, L'x');
    SaveRecordingName();
    EXPECT_EQ(Writes(), std::vector<std::wstring>{L"RecordingName"});
    EXPECT_EQ(std::wstring(ReadStored(&kTestFolders).values.recordingName), std::wstring(127, L'x'));
}

TEST_F(SettingsWrites, MiniPositionIsSavedOnlyInMiniModeWithARectangle) {
    SaveMiniPosition();
    onCommand(kIdMiniToggle, kNotifyClicked);
    ASSERT_TRUE(shellState().miniMode);
    memorySettingsReset(&store);
    window.left = -8;  // where the mini window was dragged to
    window.top = 640;
    window.rectReadable = false;
    SaveMiniPosition();
    EXPECT_EQ(store.writeCount, 0);
    window.rectReadable = true;
    SaveMiniPosition();
    EXPECT_EQ(Writes(), (std::vector<std::wstring>{L"MiniX", L"MiniY"}));
    int32_t x = 0, y = 0;
    ASSERT_TRUE(readMiniPosition(&x, &y));
    EXPECT_EQ(x, -8);
    EXPECT_EQ(y, 640);
}

TEST_F(SettingsWrites, ShortcutsAreWrittenKeyThenMods) {
    writePlaybackSlot(2, {0x75, 0});
    writeRecordShortcut({'M', kModCtrl});
    writeSignedIn(true);
    std::vector<std::wstring> expected = {L"PlayKey2", L"PlayMods2", L"HotkeyKey", L"HotkeyMods", L"SignedIn"};
    EXPECT_EQ(Writes(), expected);
    ReadBack r = ReadStored(&kTestFolders);
    EXPECT_EQ(r.values.playback[2].key, 0x75u);
    EXPECT_EQ(r.values.recordShortcut.key, static_cast<uint32_t>('M'));
    EXPECT_TRUE(r.values.signedIn);
    EXPECT_TRUE(readSignedIn());
}

TEST_F(SettingsWrites, AnUnavailableStoreLosesWritesSilently) {
    store.unavailable = true;
    SaveAllSettings();
    store.unavailable = false;
    EXPECT_EQ(store.count, 0);
}
