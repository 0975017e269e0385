// Every value's default and read check, with the boundary values on both sides of each check.
#include "settings/settings_values.h"

#include <gtest/gtest.h>

#include <string>

#include "recorder/recorder.h"
#include "settings_fixture.h"

namespace {

const std::wstring kSep = NOTAFON_PATH_SEPARATOR;

}  // namespace

using SettingValues = SettingsTest;

TEST_F(SettingValues, AnEmptyStoreGivesEveryDefault) {
    SettingsValues s;
    readSettings(&kTestFolders, &s);
    EXPECT_STREQ(s.recordingName, L"PRLW Audio");
    EXPECT_EQ(s.playVolume, 100u);
    EXPECT_EQ(s.playSpeed, 20u);
    EXPECT_EQ(kRewindRows[s.rewindRow].seconds, 5);
    EXPECT_EQ(s.formatRow, 1);
    EXPECT_STREQ(kRecordingFormats[s.formatRow].label, L"MP3 48 kbps, clear voice (default)");
    EXPECT_STREQ(kZoomRows[s.zoomRow].label, L"100%");
    EXPECT_EQ(s.recordShortcut.key, 0x52u);
    EXPECT_EQ(s.recordShortcut.mods, 6u);
    const uint32_t defaultKeys[kPlaybackSlotCount] = {0x20, 0x25, 0x24, 0x27};
    for (int slot = 0; slot < kPlaybackSlotCount; ++slot) {
        EXPECT_EQ(s.playback[slot].key, defaultKeys[slot]);
        EXPECT_EQ(s.playback[slot].mods, 2u);
    }
    EXPECT_FALSE(s.onTop || s.replace || s.skipSilence);
    EXPECT_EQ(s.folder, L"Docs" + kSep + L"Parlowen Recordings");
    int32_t x = 0, y = 0;
    EXPECT_FALSE(readMiniPosition(&x, &y));
    bool usedDefault = false;
    EXPECT_FALSE(readFlag(kValueSignedIn, &usedDefault));
    EXPECT_TRUE(usedDefault);
}

TEST_F(SettingValues, RecordingNameAndFolderTreatEmptyAsAbsent) {
    wchar_t name[kRecordingNameCapacity];
    bool usedDefault = false;
    Text(kValueRecordingName, L"");
    readRecordingName(name, kRecordingNameCapacity, &usedDefault);
    EXPECT_STREQ(name, L"PRLW Audio");
    EXPECT_TRUE(usedDefault);
    Text(kValueRecordingName, std::wstring(127, L'n').c_str());
    readRecordingName(name, kRecordingNameCapacity, &usedDefault);
    EXPECT_EQ(std::wstring(name), std::wstring(127, L'n'));
    EXPECT_FALSE(usedDefault);
    Text(kValueRecordingName, std::wstring(128, L'n').c_str());  // does not fit in 128 with its terminator
    readRecordingName(name, kRecordingNameCapacity, &usedDefault);
    EXPECT_STREQ(name, L"PRLW Audio");

    wchar_t folder[kPathCapacity];
    Text(kValueFolder, L"");
    readFolder(&kTestFolders, folder, kPathCapacity, &usedDefault);
    EXPECT_TRUE(usedDefault);
    Text(kValueFolder, L"E:\\Talks");
    readFolder(&kTestFolders, folder, kPathCapacity, &usedDefault);
    EXPECT_STREQ(folder, L"E:\\Talks");
    EXPECT_FALSE(usedDefault);
}

TEST_F(SettingValues, FolderDefaultFallsBackToTheTemporaryPath) {
    wchar_t folder[kPathCapacity];
    testDocuments = nullptr;
    defaultRecordingFolder(&kTestFolders, folder, kPathCapacity);
    EXPECT_EQ(folder, L"Tmp" + kSep + L"Parlowen Recordings");  // one separator, not two
    testTemporary = nullptr;
    defaultRecordingFolder(&kTestFolders, folder, kPathCapacity);
    EXPECT_EQ(folder, kSep + L"Parlowen Recordings");
}

TEST_F(SettingValues, AFolderDefaultThatWouldBeCutIsTheOneWithoutAKnownFolder) {
    // The folder, a separator and "Parlowen Recordings" (19) fill kPathCapacity - 1 characters at most.
    static const std::wstring fits(kPathCapacity - 21, L'd'), tooLong(kPathCapacity - 20, L'd');
    wchar_t folder[kPathCapacity];
    testDocuments = fits.c_str();
    defaultRecordingFolder(&kTestFolders, folder, kPathCapacity);
    EXPECT_EQ(folder, fits + kSep + L"Parlowen Recordings");
    testDocuments = tooLong.c_str();
    defaultRecordingFolder(&kTestFolders, folder, kPathCapacity);
    EXPECT_EQ(folder, kSep + L"Parlowen Recordings");
}

TEST_F(SettingValues, FormatTakesRowsZeroToFive) {
    bool usedDefault = false;
    for (uint32_t v = 0; v < 6; ++v) {
        Number(kValueFormat, v);
        EXPECT_EQ(readFormatRow(&usedDefault), static_cast<int>(v));
        EXPECT_FALSE(usedDefault);
    }
    for (uint32_t v : {6u, 0xFFFFFFFFu}) {
        Number(kValueFormat, v);
        EXPECT_EQ(readFormatRow(&usedDefault), 1) << v;
        EXPECT_TRUE(usedDefault);
    }
}

TEST_F(SettingValues, FlagsAreOnForAnyNonZeroNumber) {
    for (const wchar_t* name : {kValueOnTop, kValueReplace, kValueSkipSilence, kValueSignedIn}) {
        bool usedDefault = true;
        Number(name, 0);
        EXPECT_FALSE(readFlag(name, &usedDefault));
        EXPECT_FALSE(usedDefault);
        Number(name, 7);
        EXPECT_TRUE(readFlag(name, &usedDefault));
        Text(name, L"1");
        EXPECT_FALSE(readFlag(name, &usedDefault));
        EXPECT_TRUE(usedDefault);
    }
}

TEST_F(SettingValues, ZoomAndRewindMustMatchARow) {
    bool usedDefault = false;
    for (int row = 0; row < kZoomRowCount; ++row) {
        EXPECT_EQ(kZoomRows[row].percent, 50 + 10 * row);
        Number(kValueZoom, static_cast<uint32_t>(kZoomRows[row].percent));
        EXPECT_EQ(readZoomRow(&usedDefault), row);
    }
    for (uint32_t v : {105u, 40u, 160u, 0u}) {
        Number(kValueZoom, v);
        EXPECT_EQ(readZoomRow(&usedDefault), 5) << v;
        EXPECT_TRUE(usedDefault);
    }
    const int seconds[kRewindRowCount] = {1, 2, 3, 5, 10, 15, 30};
    for (int row = 0; row < kRewindRowCount; ++row) {
        Number(kValueRewindSeconds, static_cast<uint32_t>(seconds[row]));
        EXPECT_EQ(readRewindRow(&usedDefault), row);
        EXPECT_FALSE(usedDefault);
    }
    EXPECT_STREQ(kRewindRows[0].label, L"1 second");
    EXPECT_STREQ(kRewindRows[6].label, L"30 seconds");
    for (uint32_t v : {4u, 0u, 60u}) {
        Number(kValueRewindSeconds, v);
        EXPECT_EQ(kRewindRows[readRewindRow(&usedDefault)].seconds, 5) << v;
        EXPECT_TRUE(usedDefault);
    }
}

TEST_F(SettingValues, VolumeAndSpeedKeepTheirRanges) {
    bool usedDefault = false;
    Number(kValuePlayVolume, 200);
    EXPECT_EQ(readPlayVolume(&usedDefault), 200u);
    Number(kValuePlayVolume, 0);
    EXPECT_EQ(readPlayVolume(&usedDefault), 0u);
    EXPECT_FALSE(usedDefault);
    for (uint32_t v : {201u, 0xFFFFFFFFu}) {
        Number(kValuePlayVolume, v);
        EXPECT_EQ(readPlayVolume(&usedDefault), 100u);
        EXPECT_TRUE(usedDefault);
    }
    for (uint32_t v : {10u, 60u}) {
        Number(kValuePlaySpeed, v);
        EXPECT_EQ(readPlaySpeed(&usedDefault), v);
        EXPECT_FALSE(usedDefault);
    }
    for (uint32_t v : {9u, 61u, 0xFFFFFFF6u}) {
        Number(kValuePlaySpeed, v);
        EXPECT_EQ(readPlaySpeed(&usedDefault), 20u) << v;
        EXPECT_TRUE(usedDefault);
    }
}

TEST_F(SettingValues, RecordShortcutPairMustPassTheRecordRule) {
    bool keyDefault = false, modsDefault = false;
    Number(kValueHotkeyMods, kModCtrl);
    Shortcut s = readRecordShortcut(&keyDefault, &modsDefault);
    EXPECT_EQ(s.key, 0x52u);  // Ctrl+R: the default key with the stored mods
    EXPECT_EQ(s.mods, 2u);
    EXPECT_TRUE(keyDefault);
    EXPECT_FALSE(modsDefault);
    memorySettingsReset(&testStore);
    Number(kValueHotkeyKey, 'P');
    s = readRecordShortcut(&keyDefault, &modsDefault);
    EXPECT_EQ(s.key, static_cast<uint32_t>('P'));  // with the default mods
    EXPECT_EQ(s.mods, 6u);
    EXPECT_FALSE(keyDefault);
    EXPECT_TRUE(modsDefault);
    Number(kValueHotkeyMods, 0);
    s = readRecordShortcut(&keyDefault, &modsDefault);
    EXPECT_EQ(s.mods, 0u);          // a single key is a valid record shortcut
    Number(kValueHotkeyKey, 0x7B);  // F12
    s = readRecordShortcut(&keyDefault, &modsDefault);
    EXPECT_EQ(s.key, 0x52u);
    EXPECT_EQ(s.mods, 6u);
    EXPECT_TRUE(keyDefault && modsDefault);
    Number(kValueHotkeyKey, 'P');
    Number(kValueHotkeyMods, kModWin | kModCtrl);
    s = readRecordShortcut(&keyDefault, &modsDefault);
    EXPECT_EQ(s.key, 0x52u);
}

TEST_F(SettingValues, PlaybackSlotsFallBackToBothDefaultsAsAPair) {
    bool keyDefault = false, modsDefault = false;
    Number(L"PlayKey1", 0x10);  // Shift as the key
    Number(L"PlayMods1", kModAlt);
    Shortcut s = readPlaybackSlot(1, &keyDefault, &modsDefault);
    EXPECT_EQ(s.key, 0x25u);
    EXPECT_EQ(s.mods, 2u);
    EXPECT_TRUE(keyDefault && modsDefault);
    for (uint32_t mods : {8u, 9u}) {
        Number(L"PlayKey2", 'H');
        Number(L"PlayMods2", mods);
        s = readPlaybackSlot(2, &keyDefault, &modsDefault);
        EXPECT_EQ(s.key, 0x24u) << mods;
        EXPECT_EQ(s.mods, 2u);
    }
    Number(L"PlayKey3", 0x5B);
    EXPECT_EQ(readPlaybackSlot(3, nullptr, nullptr).key, 0x27u);
    Number(L"PlayKey0", 0x76);  // F7 alone
    Number(L"PlayMods0", 0);
    s = readPlaybackSlot(0, &keyDefault, &modsDefault);
    EXPECT_EQ(s.key, 0x76u);
    EXPECT_EQ(s.mods, 0u);
    EXPECT_FALSE(keyDefault || modsDefault);
    Number(L"PlayKey0", kKeyR);  // equal to the record shortcut: loaded anyway
    Number(L"PlayMods0", 6);
    EXPECT_EQ(readPlaybackSlot(0, nullptr, nullptr).key, static_cast<uint32_t>(kKeyR));
}

TEST_F(SettingValues, MiniPositionNeedsBothCoordinates) {
    int32_t x = 0, y = 0;
    Number(kValueMiniX, 40);
    EXPECT_FALSE(readMiniPosition(&x, &y));
    Number(kValueMiniY, static_cast<uint32_t>(-300));  // left of and above the primary monitor is a real position
    ASSERT_TRUE(readMiniPosition(&x, &y));
    EXPECT_EQ(x, 40);
    EXPECT_EQ(y, -300);
    Number(kValueMiniX, 0x7FFFFFFF);
    EXPECT_FALSE(readMiniPosition(&x, &y));
}
