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
#include "settings/position_store.h"
#include "settings/settings_read_back.h"
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
const wchar_t kMicrophone[] = L"Mikrofon (USB-Audio)";
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
    v.mini = {-1200, 15};
    const Shortcut slots[kPlaybackSlotCount] = {{0x74, 0},        {'J', kModAlt},           {0x24, kModShift},
                                                {0xBC, 7},        {0x6D, kModCtrl},         {0x6B, kModCtrl},
                                                {0x6A, kModCtrl}, {'T', kModCtrl | kModAlt}};
    for (int i = 0; i < kPlaybackSlotCount; ++i) v.playback[i] = slots[i];
    v.resumeRewindRow = 4;  // 5 s
    v.rememberPositions = true;
    v.mark = {'M', kModCtrl | kModShift};
    WideCopyBounded(v.inputDevice, kCaptureNameCapacity, kMicrophone);
    return v;
}

class RegistryStore : public ::testing::Test {
  protected:
    void SetUp() override {
        WideFormat(scratchKey, 96, L"%ls\\run-%lu-%lu", kScratchParent, GetCurrentProcessId(), GetTickCount());
        RegDeleteTreeW(HKEY_CURRENT_USER, scratchKey);
        const SettingsStoreApi scratch = registrySettingsStore(scratchKey);
        settingsStoreInstall(&scratch);
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
    for (int value = 0; value < kSettingValueCount; ++value) writeSettingValue(value, values);

    const wchar_t* texts[] = {L"RecordingName", L"Folder", L"InputDevice"};
    const wchar_t* numbers[] = {L"Format",    L"OnTop",      L"Replace",    L"SkipSilence",    L"Zoom",
                                L"HotkeyKey", L"HotkeyMods", L"PlayVolume", L"PlaySpeed",      L"RewindSeconds",
                                L"MiniX",     L"MiniY",      L"SignedIn",   L"RewindOnResume", L"RememberPositions",
                                L"MarkKey",   L"MarkMods"};
    DWORD valueCount = 0;
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, scratchKey, 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &valueCount, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    EXPECT_EQ(valueCount, 3u + 17u + 2u * kPlaybackSlotCount);
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
    EXPECT_EQ(QueryRaw(texts[2]).type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(QueryRaw(texts[2]).bytes, sizeof kMicrophone);

    ReadBack r = ReadStored(&kPlatformFolders);
    const SettingsValues& s = r.values;
    for (int value = 0; value < kSettingValueCount; ++value) EXPECT_FALSE(r.usedDefault[value]) << settingName(value);
    EXPECT_STREQ(s.recordingName, kName);
    EXPECT_EQ(s.formatRow, 5);
    EXPECT_TRUE(s.onTop && s.replace && s.skipSilence && s.signedIn);
    EXPECT_EQ(kZoomRows[s.zoomRow].percent, 140);
    EXPECT_TRUE(s.recordShortcut.key == 0x77 && s.recordShortcut.mods == (kModAlt | kModShift));
    EXPECT_STREQ(s.folder, kFolder);
    EXPECT_EQ(s.playVolume, 0u);
    EXPECT_EQ(s.playSpeed, 55u);
    EXPECT_EQ(kRewindRows[s.rewindRow].seconds, 30);
    int32_t x = 0, y = 0;
    ASSERT_TRUE(readMiniPosition(&x, &y));
    EXPECT_EQ(x, -1200);
    EXPECT_EQ(y, 15);
    for (int i = 0; i < kPlaybackSlotCount; ++i) {
        EXPECT_TRUE(shortcutsEqual(s.playback[i], values.playback[i])) << "slot " << i;
    }
    EXPECT_EQ(kResumeRewindRows[s.resumeRewindRow].seconds, 5);
    EXPECT_TRUE(s.rememberPositions);
    EXPECT_TRUE(shortcutsEqual(s.mark, values.mark));
    EXPECT_STREQ(s.inputDevice, kMicrophone);
}

// The remembered positions live in a subkey of their own, created by the first write, so the settings key keeps only
// its named values.
TEST_F(RegistryStore, APositionGoesToThePositionsSubkeyAndReadsBack) {
    const FileStamp stamp = {123456, 0x01DA0000ABCD0000LL};
    rememberPosition(L"C:\\Talks\\interview.mp3", stamp, 754.25);
    wchar_t subkey[160];
    WideFormat(subkey, 160, L"%ls\\Positions", scratchKey);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, subkey, 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
    DWORD type = 0, bytes = 0;
    EXPECT_EQ(RegQueryValueExW(key, L"File00", nullptr, &type, nullptr, &bytes), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_FALSE(QueryRaw(L"File00").found) << "not a value of the settings key itself";
    double seconds = 0.0;
    ASSERT_TRUE(recallPosition(L"c:\\talks\\INTERVIEW.mp3", stamp, &seconds));  // paths compare as Windows does
    EXPECT_DOUBLE_EQ(seconds, 754.25);
}

TEST_F(RegistryStore, ValuesOfAnotherTypeReadAsAbsent) {
    SetText(L"Format", L"3");
    const BYTE zoom[4] = {120, 0, 0, 0};
    SetRaw(L"Zoom", REG_BINARY, zoom, 4);
    const unsigned long long volume = 50;
    SetRaw(L"PlayVolume", REG_QWORD, &volume, 8);
    const BYTE speed[4] = {0, 0, 0, 30};
    SetRaw(L"PlaySpeed", REG_DWORD_BIG_ENDIAN, speed, 4);
    SetText(L"RecordingName", L"%USERNAME%", REG_EXPAND_SZ);
    const wchar_t multi[] = L"C:\\a\0C:\\b\0";
    SetRaw(L"Folder", REG_MULTI_SZ, multi, sizeof multi);
    const DWORD key = 'P';
    SetRaw(L"HotkeyKey", REG_SZ, &key, 4);

    ReadBack r = ReadStored(&kPlatformFolders);
    EXPECT_EQ(r.values.formatRow, 1);
    EXPECT_TRUE(r.Used(L"Format"));
    EXPECT_EQ(kZoomRows[r.values.zoomRow].percent, 100);
    EXPECT_TRUE(r.Used(L"Zoom"));
    EXPECT_EQ(r.values.playVolume, 100u);
    EXPECT_TRUE(r.Used(L"PlayVolume"));
    EXPECT_EQ(r.values.playSpeed, 20u);
    EXPECT_TRUE(r.Used(L"PlaySpeed"));
    EXPECT_STREQ(r.values.recordingName, L"PRLW Audio");
    EXPECT_TRUE(r.Used(L"RecordingName"));
    EXPECT_TRUE(r.Used(L"Folder"));
    EXPECT_EQ(r.values.recordShortcut.key, 0x52u);
    EXPECT_TRUE(r.Used(L"HotkeyKey"));
}

TEST_F(RegistryStore, OversizedValuesReadAsAbsent) {
    const BYTE eight[8] = {100, 0, 0, 0, 0, 0, 0, 0};
    SetRaw(L"Zoom", REG_DWORD, eight, 8);
    SetRaw(L"PlayVolume", REG_DWORD, eight, 2);
    SetText(L"Folder", std::wstring(260, L'f'));
    ReadBack r = ReadStored(&kPlatformFolders);
    EXPECT_EQ(kZoomRows[r.values.zoomRow].percent, 100);
    EXPECT_TRUE(r.Used(L"Zoom"));
    EXPECT_EQ(r.values.playVolume, 100u);
    EXPECT_TRUE(r.Used(L"PlayVolume"));
    EXPECT_TRUE(r.Used(L"Folder"));

    SetText(L"RecordingName", std::wstring(127, L'n'));
    EXPECT_EQ(std::wstring(ReadStored(&kPlatformFolders).values.recordingName), std::wstring(127, L'n'));
    SetText(L"RecordingName", std::wstring(128, L'n'));
    EXPECT_STREQ(ReadStored(&kPlatformFolders).values.recordingName, L"PRLW Audio");
    const std::wstring unterminated(128, L'u');  // exactly the buffer's size, with no room for a terminator
    SetRaw(L"RecordingName", REG_SZ, unterminated.data(), 128 * 2);
    r = ReadStored(&kPlatformFolders);
    EXPECT_STREQ(r.values.recordingName, L"PRLW Audio");
    EXPECT_TRUE(r.Used(L"RecordingName"));
}

TEST_F(RegistryStore, AMissingKeyReadsAsDefaultsUntilAWriteCreatesIt) {
    EXPECT_FALSE(KeyExists());
    EXPECT_EQ(ReadSettingNumber(L"Zoom", 100), 100u);
    EXPECT_FALSE(KeyExists());
    WriteSettingNumber(L"Zoom", 90);
    ASSERT_TRUE(KeyExists());
    EXPECT_EQ(ReadSettingNumber(L"Zoom", 100), 90u);
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
