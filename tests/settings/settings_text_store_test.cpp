// The text form of a settings key used by notafon-cli settings --store.
#include "settings/settings_text_store.h"

#include <gtest/gtest.h>

#include <string>

#include "settings/settings_values.h"
#include "settings_fixture.h"

namespace {

int Load(const std::string& text, int* badLine = nullptr) {
    int line = 0;
    int result = loadSettingsText(&testStore, text.data(), text.size(), &line);
    if (badLine) *badLine = line;
    return result;
}

}  // namespace

using SettingsTextStore = SettingsTest;

TEST_F(SettingsTextStore, LoadsNumbersTextsAndOtherTypes) {
    ASSERT_EQ(Load("Format dword 0x4\r\n# note\n\nZoom dword 120\nMiniX dword -5\nFolder sz  two  spaces \n"
                   "RecordingName sz\nPlayVolume binary 2c 01 00 00\nSignedIn dword 0XFFFFFFFF\n"),
              0);
    EXPECT_EQ(ReadSettingNumber(L"Format", 0), 4u);
    EXPECT_EQ(ReadSettingNumber(L"Zoom", 0), 120u);
    EXPECT_EQ(ReadSettingNumber(L"MiniX", 0), 0xFFFFFFFBu);
    EXPECT_EQ(ReadSettingNumber(L"SignedIn", 0), 0xFFFFFFFFu);
    EXPECT_EQ(ReadSettingNumber(L"PlayVolume", 7), 7u);  // binary: another type
    EXPECT_EQ(memorySettingsFind(&testStore, L"PlayVolume")->bytes, 4u);
    wchar_t text[64];
    ASSERT_TRUE(ReadSettingText(L"Folder", text, 64));
    EXPECT_STREQ(text, L" two  spaces ");
    const MemorySettingsValue* name = memorySettingsFind(&testStore, L"RecordingName");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->type, kSettingTypeText);
    EXPECT_FALSE(ReadSettingText(L"RecordingName", text, 64));
}

TEST_F(SettingsTextStore, DecodesUtf8IntoWideText) {
    ASSERT_EQ(Load("Folder sz C:\\M\xC3\xBCsik \xF0\x9F\x8E\xB5\n"), 0);
    wchar_t text[64];
    ASSERT_TRUE(ReadSettingText(L"Folder", text, 64));
    std::wstring expected = L"C:\\M\u00FCsik ";
    if (sizeof(wchar_t) == 2) {
        expected += static_cast<wchar_t>(0xD83C);
        expected += static_cast<wchar_t>(0xDFB5);
    } else {
        expected += static_cast<wchar_t>(0x1F3B5);
    }
    EXPECT_EQ(text, expected);
}

TEST_F(SettingsTextStore, ReportsTheFirstBadLine) {
    int line = 0;
    EXPECT_EQ(Load("Zoom dword 1\nFormat dword 0x100000000\n", &line), -1);
    EXPECT_EQ(line, 2);
    EXPECT_EQ(ReadSettingNumber(L"Zoom", 0), 1u);  // lines before it stay loaded
    for (const char* bad :
         {"Zoom dword 4294967296", "Zoom dword -2147483649", "Zoom dword 12x", "Zoom dword", "Zoom qword 1", "Zoom",
          "Zoom binary 0", "Zoom binary zz", "Folder sz \xC3", "Folder sz \xED\xA0\x80", " Zoom dword 1"}) {
        EXPECT_EQ(Load(std::string("\n") + bad, &line), -1) << bad;
        EXPECT_EQ(line, 2) << bad;
    }
    EXPECT_EQ(Load("Folder sz " + std::string(kMemorySettingsValueBytes, 'a'), &line), -2);
}
