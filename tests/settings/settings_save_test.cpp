// What each write trigger stores, in which order, and that what is saved reads back the same at the next start.
#include "settings/settings_save.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/settings_values.h"
#include "settings_fixture.h"

namespace {

// The main window as the settings see it.
struct Window {
    std::wstring fileName = L"Interview";
    int formatSelection = 3;
    bool onTop = true, replace = false, skipSilence = true;
    int32_t zoom = 120;
    std::wstring folder = L"D:\\Rec";
    bool volumeSlider = true, speedSlider = true;
    int32_t volume = 150, speed = 30;
    int32_t rewind = 10;
    bool mini = false, rectReadable = true;
    int32_t left = -8, top = 640;
} window;

void Copy(const std::wstring& text, wchar_t* out, int capacity) {
    size_t n = text.copy(out, static_cast<size_t>(capacity - 1));
    out[n] = 0;
}

const SettingsHost kWindowHost = {
    [](wchar_t* out, int capacity) { Copy(window.fileName, out, capacity); },
    [] { return window.formatSelection; },
    [] { return window.onTop; },
    [] { return window.replace; },
    [] { return window.skipSilence; },
    [] { return window.zoom; },
    [](wchar_t* out, int capacity) { Copy(window.folder, out, capacity); },
    [](int32_t* p) {
        *p = window.volume;
        return window.volumeSlider;
    },
    [](int32_t* p) {
        *p = window.speed;
        return window.speedSlider;
    },
    [] { return window.rewind; },
    [] { return window.mini; },
    [](int32_t* l, int32_t* t) {
        *l = window.left;
        *t = window.top;
        return window.rectReadable;
    },
};

std::vector<std::wstring> Writes() {
    std::vector<std::wstring> names;
    for (int i = 0; i < testStore.writeCount && i < kMemorySettingsLogLength; ++i)
        names.push_back(testStore.writeLog[i]);
    return names;
}

class SettingsWrites : public SettingsTest {
  protected:
    void SetUp() override {
        SettingsTest::SetUp();
        window = Window();
        settingsHostInstall(&kWindowHost);
    }
};

}  // namespace

TEST_F(SettingsWrites, SaveAllWritesTheTwelveValuesInOrder) {
    SaveAllSettings();
    std::vector<std::wstring> expected = {L"RecordingName", L"Format",     L"OnTop",     L"Replace",
                                          L"SkipSilence",   L"Zoom",       L"HotkeyKey", L"HotkeyMods",
                                          L"Folder",        L"PlayVolume", L"PlaySpeed", L"RewindSeconds"};
    EXPECT_EQ(Writes(), expected);
}

TEST_F(SettingsWrites, SaveAllSkipsSlidersThatDoNotExist) {
    window.volumeSlider = false;
    window.speedSlider = false;
    SaveAllSettings();
    std::vector<std::wstring> names = Writes();
    ASSERT_EQ(names.size(), 10u);
    EXPECT_EQ(names[8], L"Folder");
    EXPECT_EQ(names[9], L"RewindSeconds");
}

TEST_F(SettingsWrites, WhatIsSavedReadsBackAtTheNextStart) {
    RecordShortcut = {0x77, kModAlt | kModShift};
    SaveAllSettings();
    shortcutsReset();
    StartupSettings s;
    readStartupSettings(&kTestFolders, &s);
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
}

TEST_F(SettingsWrites, NoQualitySelectionAndAnEmptyNameReadBackAsDefaults) {
    window.formatSelection = -1;
    window.fileName = L"";
    SaveAllSettings();
    EXPECT_EQ(ReadSettingNumber(kValueFormat, 0), 0xFFFFFFFFu);
    EXPECT_EQ(readFormatRow(nullptr), 1);
    wchar_t name[kRecordingNameCapacity];
    readRecordingName(name, kRecordingNameCapacity, nullptr);
    EXPECT_STREQ(name, L"PRLW Audio");
}

TEST_F(SettingsWrites, TheNameIsCutTo127CharactersAndWrittenAlone) {
    window.fileName = std::wstring(200, L'x');
    SaveRecordingName();
    EXPECT_EQ(Writes(), std::vector<std::wstring>{L"RecordingName"});
    wchar_t name[kRecordingNameCapacity];
    readRecordingName(name, kRecordingNameCapacity, nullptr);
    EXPECT_EQ(std::wstring(name), std::wstring(127, L'x'));
}

TEST_F(SettingsWrites, MiniPositionIsSavedOnlyInMiniModeWithARectangle) {
    SaveMiniPosition();
    window.mini = true;
    window.rectReadable = false;
    SaveMiniPosition();
    EXPECT_EQ(testStore.writeCount, 0);
    window.rectReadable = true;
    SaveMiniPosition();
    EXPECT_EQ(Writes(), (std::vector<std::wstring>{L"MiniX", L"MiniY"}));
    int32_t x = 0, y = 0;
    ASSERT_TRUE(readMiniPosition(&x, &y));
    EXPECT_EQ(x, -8);
    EXPECT_EQ(y, 640);
}

TEST_F(SettingsWrites, ShortcutsAreWrittenKeyThenMods) {
    PlaybackShortcuts[2] = {0x75, 0};
    savePlaybackShortcut(2);
    RecordShortcut = {'M', kModCtrl};
    saveRecordShortcut();
    saveSignedIn(true);
    std::vector<std::wstring> expected = {L"PlayKey2", L"PlayMods2", L"HotkeyKey", L"HotkeyMods", L"SignedIn"};
    EXPECT_EQ(Writes(), expected);
    EXPECT_EQ(readPlaybackSlot(2, nullptr, nullptr).key, 0x75u);
    EXPECT_EQ(readRecordShortcut(nullptr, nullptr).key, static_cast<uint32_t>('M'));
    EXPECT_TRUE(readFlag(kValueSignedIn, nullptr));
}

TEST_F(SettingsWrites, AnUnavailableStoreLosesWritesSilently) {
    testStore.unavailable = true;
    SaveAllSettings();
    testStore.unavailable = false;
    EXPECT_EQ(testStore.count, 0);
}
