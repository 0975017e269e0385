// The saved settings applied to a freshly created window: every control shows its stored value, the global shortcuts
// are registered and the status says whether the record shortcut works.
#include <gtest/gtest.h>

#include "app/controller.h"
#include "app_fixture.h"
#include "base/wide_text.h"
#include "settings/known_folders.h"
#include "settings/settings_fixture.h"
#include "settings/settings_store.h"
#include "settings/settings_values.h"
#include "shortcuts/shortcut.h"
#include "shortcuts/shortcut_registration.h"
#include "ui/control_ids.h"

namespace {

class StartupSettings : public ControllerTest {
  protected:
    // Reads the store as the window does at creation and applies it.
    void Start() {
        SettingsValues saved;
        readSettings(&kTestFolders, &saved);
        memorySettingsReset(&store);  // what follows counts only the writes start-up itself causes
        controllerApplyStartup(saved);
    }
};

}  // namespace

TEST_F(StartupSettings, AnEmptyStoreGivesTheDefaultsAndRegistersTheRecordShortcut) {
    Start();
    EXPECT_EQ(Text(kIdFileName), L"PRLW Audio");
    EXPECT_EQ(C(kIdVolume)->slider, 100);
    EXPECT_EQ(C(kIdSpeed)->slider, 20);
    EXPECT_EQ(Text(kIdVolumeLabel), L"Volume 100%");
    EXPECT_EQ(Text(kIdSpeedLabel), L"Speed 100%");
    EXPECT_EQ(C(kIdRewindAmount)->selection, 3);
    EXPECT_EQ(Text(kIdBack), L"Back 5s");
    EXPECT_EQ(C(kIdQuality)->selection, 1);
    EXPECT_EQ(C(kIdWindowSize)->selection, 5);
    EXPECT_EQ(window.zooms, 0);  // 100 % is what the window was created at
    ASSERT_EQ(hotkeys.count(kHotkeyRecord), 1u);
    EXPECT_EQ(hotkeys[kHotkeyRecord], std::make_pair(kModCtrl | kModShift | kModNoRepeat, 0x52u));
    EXPECT_TRUE(HotkeyRegistered);
    EXPECT_EQ(hotkeys.size(), 1u);  // no file loaded: no playback shortcuts
    EXPECT_EQ(Text(kIdRecordShortcutText), L"Ctrl+Shift+R");
    EXPECT_EQ(Text(kIdStatus), L"Ready to record  (Ctrl+Shift+R)");
    EXPECT_FALSE(C(kIdOnTop)->checked || C(kIdReplace)->checked || C(kIdSkipSilence)->checked);
    EXPECT_FALSE(window.onTop);
    EXPECT_EQ(Text(kIdFolder), L"Docs" NOTAFON_PATH_SEPARATOR L"Parlowen Recordings");
    EXPECT_STREQ(shellState().saveFolder, L"Docs" NOTAFON_PATH_SEPARATOR L"Parlowen Recordings");
    EXPECT_EQ(Text(kIdSlotText + 0), L"Ctrl+Space");
    EXPECT_TRUE(C(kIdRecord)->enabled);
    EXPECT_FALSE(C(kIdStop)->enabled);
}

TEST_F(StartupSettings, StoredValuesReachEveryControl) {
    WriteSettingText(L"RecordingName", L"Lecture");
    WriteSettingNumber(L"Format", 5);
    WriteSettingNumber(L"OnTop", 1);
    WriteSettingNumber(L"Replace", 1);
    WriteSettingNumber(L"Zoom", 120);
    WriteSettingNumber(L"HotkeyKey", 0x4B);  // K
    WriteSettingNumber(L"HotkeyMods", kModCtrl | kModAlt);
    WriteSettingText(L"Folder", L"E:\\Talks");
    WriteSettingNumber(L"PlayVolume", 150);
    WriteSettingNumber(L"PlaySpeed", 13);
    WriteSettingNumber(L"RewindSeconds", 10);
    WriteSettingNumber(L"PlayKey1", 0x74);  // F5
    WriteSettingNumber(L"PlayMods1", 0);
    Start();
    EXPECT_EQ(Text(kIdFileName), L"Lecture");
    EXPECT_EQ(C(kIdQuality)->selection, 5);
    EXPECT_EQ(shellState().zoomPercent, 120);
    EXPECT_EQ(window.zooms, 1);
    EXPECT_EQ(C(kIdWindowSize)->selection, 7);
    EXPECT_EQ(Text(kIdVolumeLabel), L"Volume 150%");
    EXPECT_EQ(Text(kIdSpeedLabel), L"Speed 65%");
    EXPECT_EQ(Text(kIdBack), L"Back 10s");
    EXPECT_EQ(shellState().RewindSeconds, 10);
    EXPECT_EQ(Text(kIdSlotText + 1), L"F5");
    EXPECT_EQ(Text(kIdRecordShortcutText), L"Ctrl+Alt+K");
    EXPECT_EQ(hotkeys[kHotkeyRecord], std::make_pair(kModCtrl | kModAlt | kModNoRepeat, 0x4Bu));
    EXPECT_EQ(Text(kIdStatus), L"Ready to record  (Ctrl+Alt+K)");
    EXPECT_TRUE(C(kIdOnTop)->checked);
    EXPECT_TRUE(window.onTop);
    EXPECT_TRUE(C(kIdReplace)->checked);
    EXPECT_FALSE(C(kIdSkipSilence)->checked);
    EXPECT_EQ(Text(kIdFolder), L"E:\\Talks");
}

TEST_F(StartupSettings, ARecordShortcutHeldElsewhereSaysItIsUnavailable) {
    refuseHotkeys = true;
    Start();
    EXPECT_FALSE(HotkeyRegistered);
    EXPECT_EQ(Text(kIdStatus), L"Global shortcut unavailable; open Settings to choose another");
    EXPECT_EQ(Text(kIdRecordShortcutText), L"Ctrl+Shift+R");  // still shown, so the user knows which one
}
