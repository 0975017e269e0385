// The registry store, in a scratch key of the current user's hive that each test creates and deletes: every value of
// the settings table round-trips with its exact type and size, values of another type or too large read as absent,
// and a missing key reads as defaults until a write creates it.
#include "settings/settings_store_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "base/wide_text.h"
#include "settings/known_folders.h"
#include "settings/settings_values.h"
#include "shortcuts/shortcut.h"

namespace {

const wchar_t kScratchParent[] = L"Software\\NotafonTests";
wchar_t scratchKey[96];

void SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, scratchKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes), ERROR_SUCCESS);
    RegCloseKey(key);
}

void SetText(const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ) {
    SetRaw(name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

struct RawValue {
    DWORD type = 0;
    DWORD bytes = 0;
    bool found = false;
};

RawValue QueryRaw(const wchar_t* name) {
    RawValue v;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, scratchKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return v;
    v.found = RegQueryValueExW(key, name, nullptr, &v.type, nullptr, &v.bytes) == ERROR_SUCCESS;
    RegCloseKey(key);
    return v;
}

bool KeyExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, scratchKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// The main window with a non-default value in every field.
const wchar_t kName[] = L"Gespr\u00E4ch \u263A";
const wchar_t kFolder[] = L"C:\\Aufnahmen\\Woche 3";
// Every value of the list away from its default.
SettingsValues NonDefaultValues() {
    SettingsValues v = {};
    WideCopyBounded(v.recordingName, kRecordingNameCapacity, kName);
    v.formatRow = 5;
    v.onTop = v.replace = v.skipSilence = v.signedIn = true;
    v.zoomRow = 9;  // 140 %
    v.recordShortcut = {0x77, kModAlt | kModShift};
    WideCopyBounded(v.folder, kPathCapacity, kFolder);
    v.playVolume = 0;
    v.playSpeed = 55;
    v.rewindRow = 6;  // 30 s
    v.miniPositionSaved = true;
    v.miniX = -1200;
    v.miniY = 15;
    const Shortcut slots[kPlaybackSlotCount] = {{0x74, 0}, {'J', kModAlt}, {0x24, kModShift}, {0xBC, 7}};
    for (int i = 0; i < kPlaybackSlotCount; ++i) v.playback[i] = slots[i];
    return v;
}

class RegistryStore : public ::testing::Test {
  protected:
    void SetUp() override {
        WideFormat(scratchKey, 96, L"%ls\\run-%lu-%lu", kScratchParent, GetCurrentProcessId(), GetTickCount());
        RegDeleteTreeW(HKEY_CURRENT_USER, scratchKey);
        settingsStoreInstall(registrySettingsStore(scratchKey));
        shortcutsReset();
    }
    void TearDown() override {
        EXPECT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, scratchKey), ERROR_SUCCESS);
        RegDeleteKeyW(HKEY_CURRENT_USER, scratchKey);
        RegDeleteKeyW(HKEY_CURRENT_USER, kScratchParent);  // only succeeds once no other run uses it
        shortcutsReset();
    }
};

}  // namespace

TEST_F(RegistryStore, EveryValueRoundTripsWithItsTypeAndSize) {
    SettingsValues values = NonDefaultValues();
    for (int id = 0; id < kSettingCount; ++id) writeSetting(id, values);

    const wchar_t* texts[] = {kValueRecordingName, kValueFolder};
    const wchar_t* numbers[] = {kValueFormat,    kValueOnTop,         kValueReplace,    kValueSkipSilence,
                                kValueZoom,      kValueHotkeyKey,     kValueHotkeyMods, kValuePlayVolume,
                                kValuePlaySpeed, kValueRewindSeconds, kValueMiniX,      kValueMiniY,
                                kValueSignedIn};
    DWORD valueCount = 0;
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, scratchKey, 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &valueCount, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    EXPECT_EQ(valueCount, 2u + 13u + 2u * kPlaybackSlotCount);
    for (const wchar_t* name : numbers) {
        RawValue v = QueryRaw(name);
        EXPECT_TRUE(v.found && v.type == REG_DWORD && v.bytes == 4) << name;
    }
    for (int i = 0; i < kPlaybackSlotCount; ++i) {
        for (const wchar_t* name : {kPlaybackSlots[i].keyValueName, kPlaybackSlots[i].modsValueName}) {
            RawValue v = QueryRaw(name);
            EXPECT_TRUE(v.found && v.type == REG_DWORD && v.bytes == 4) << name;
        }
    }
    EXPECT_EQ(QueryRaw(texts[0]).type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(QueryRaw(texts[0]).bytes, sizeof kName);  // 10 characters and the terminator, 2 bytes each
    EXPECT_EQ(QueryRaw(texts[1]).type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(QueryRaw(texts[1]).bytes, sizeof kFolder);

    bool d = true;
    wchar_t text[kPathCapacity];
    readRecordingName(text, kRecordingNameCapacity, &d);
    EXPECT_STREQ(text, kName);
    EXPECT_FALSE(d);
    EXPECT_EQ(readFormatRow(&d), 5);
    EXPECT_FALSE(d);
    for (const wchar_t* flag : {kValueOnTop, kValueReplace, kValueSkipSilence, kValueSignedIn}) {
        EXPECT_TRUE(readFlag(flag, &d)) << flag;
        EXPECT_FALSE(d);
    }
    EXPECT_EQ(kZoomRows[readZoomRow(&d)].percent, 140);
    EXPECT_FALSE(d);
    bool d2 = true;
    Shortcut record = readRecordShortcut(&d, &d2);
    EXPECT_TRUE(record.key == 0x77 && record.mods == (kModAlt | kModShift) && !d && !d2);
    readFolder(&kPlatformFolders, text, kPathCapacity, &d);
    EXPECT_STREQ(text, kFolder);
    EXPECT_FALSE(d);
    EXPECT_EQ(readPlayVolume(&d), 0u);
    EXPECT_FALSE(d);
    EXPECT_EQ(readPlaySpeed(&d), 55u);
    EXPECT_EQ(kRewindRows[readRewindRow(&d)].seconds, 30);
    int32_t x = 0, y = 0;
    ASSERT_TRUE(readMiniPosition(&x, &y));
    EXPECT_EQ(x, -1200);
    EXPECT_EQ(y, 15);
    for (int i = 0; i < kPlaybackSlotCount; ++i) {
        Shortcut s = readPlaybackSlot(i, &d, &d2);
        EXPECT_TRUE(shortcutsEqual(s, values.playback[i]) && !d && !d2) << "slot " << i;
    }
}

TEST_F(RegistryStore, ValuesOfAnotherTypeReadAsAbsent) {
    SetText(kValueFormat, L"3");
    const BYTE zoom[4] = {120, 0, 0, 0};
    SetRaw(kValueZoom, REG_BINARY, zoom, 4);
    const unsigned long long volume = 50;
    SetRaw(kValuePlayVolume, REG_QWORD, &volume, 8);
    const BYTE speed[4] = {0, 0, 0, 30};
    SetRaw(kValuePlaySpeed, REG_DWORD_BIG_ENDIAN, speed, 4);
    SetText(kValueRecordingName, L"%USERNAME%", REG_EXPAND_SZ);
    const wchar_t multi[] = L"C:\\a\0C:\\b\0";
    SetRaw(kValueFolder, REG_MULTI_SZ, multi, sizeof multi);
    const DWORD key = 'P';
    SetRaw(kValueHotkeyKey, REG_SZ, &key, 4);

    bool d = false;
    EXPECT_EQ(readFormatRow(&d), 1);
    EXPECT_TRUE(d);
    EXPECT_EQ(kZoomRows[readZoomRow(&d)].percent, 100);
    EXPECT_TRUE(d);
    EXPECT_EQ(readPlayVolume(&d), 100u);
    EXPECT_TRUE(d);
    EXPECT_EQ(readPlaySpeed(&d), 20u);
    EXPECT_TRUE(d);
    wchar_t text[kPathCapacity];
    readRecordingName(text, kRecordingNameCapacity, &d);
    EXPECT_STREQ(text, L"PRLW Audio");
    readFolder(&kPlatformFolders, text, kPathCapacity, &d);
    EXPECT_TRUE(d);
    EXPECT_EQ(readRecordShortcut(&d, nullptr).key, 0x52u);
    EXPECT_TRUE(d);
}

TEST_F(RegistryStore, OversizedValuesReadAsAbsent) {
    const BYTE eight[8] = {100, 0, 0, 0, 0, 0, 0, 0};
    SetRaw(kValueZoom, REG_DWORD, eight, 8);
    SetRaw(kValuePlayVolume, REG_DWORD, eight, 2);
    SetText(kValueFolder, std::wstring(260, L'f'));
    bool d = false;
    EXPECT_EQ(kZoomRows[readZoomRow(&d)].percent, 100);
    EXPECT_TRUE(d);
    EXPECT_EQ(readPlayVolume(&d), 100u);
    EXPECT_TRUE(d);
    wchar_t text[kPathCapacity];
    readFolder(&kPlatformFolders, text, kPathCapacity, &d);
    EXPECT_TRUE(d);

    SetText(kValueRecordingName, std::wstring(127, L'n'));
    readRecordingName(text, kRecordingNameCapacity, &d);
    EXPECT_EQ(std::wstring(text), std::wstring(127, L'n'));
    SetText(kValueRecordingName, std::wstring(128, L'n'));
    readRecordingName(text, kRecordingNameCapacity, &d);
    EXPECT_STREQ(text, L"PRLW Audio");
    const std::wstring unterminated(128, L'u');  // exactly the buffer's size, with no room for a terminator
    SetRaw(kValueRecordingName, REG_SZ, unterminated.data(), 128 * 2);
    readRecordingName(text, kRecordingNameCapacity, &d);
    EXPECT_STREQ(text, L"PRLW Audio");
    EXPECT_TRUE(d);
}

TEST_F(RegistryStore, AMissingKeyReadsAsDefaultsUntilAWriteCreatesIt) {
    EXPECT_FALSE(KeyExists());
    EXPECT_EQ(ReadSettingNumber(kValueZoom, 100), 100u);
    EXPECT_FALSE(KeyExists());
    WriteSettingNumber(kValueZoom, 90);
    ASSERT_TRUE(KeyExists());
    EXPECT_EQ(ReadSettingNumber(kValueZoom, 100), 90u);
}

TEST(KnownFoldersWin, TheDefaultFolderIsUnderDocuments) {
    wchar_t documents[kPathCapacity];
    ASSERT_EQ(kPlatformFolders.documents(documents, kPathCapacity), 0);
    wchar_t folder[kPathCapacity];
    defaultRecordingFolder(&kPlatformFolders, folder, kPathCapacity);
    EXPECT_EQ(std::wstring(folder), std::wstring(documents) + L"\\Parlowen Recordings");
    wchar_t temporary[kPathCapacity];
    ASSERT_EQ(kPlatformFolders.temporary(temporary, kPathCapacity), 0);
    EXPECT_NE(temporary[0], 0);
}
