// The access operations: only a stored value of the right type and size is used; anything else reads as absent, and
// failed reads and writes stay silent.
#include "settings/settings_store.h"

#include <gtest/gtest.h>
#include <wchar.h>

#include <string>

#include "settings_fixture.h"

using StoreAccess = SettingsTest;

TEST_F(StoreAccess, NumbersAreReadOnlyAsFourByteNumbers) {
    EXPECT_EQ(ReadSettingNumber(L"Format", 7), 7u);  // absent
    Number(L"Format", 3);
    EXPECT_EQ(ReadSettingNumber(L"Format", 7), 3u);
    EXPECT_EQ(ReadSettingNumber(L"FORMAT", 7), 3u);  // names match as the registry matches them
    Text(L"Format", L"3");
    EXPECT_EQ(ReadSettingNumber(L"Format", 7), 7u);
    const unsigned char eight[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    Raw(L"Format", kSettingTypeNumber, eight, 8);
    EXPECT_EQ(ReadSettingNumber(L"Format", 7), 7u);
    Raw(L"Format", kSettingTypeNumber, eight, 2);  // too short: the rest would be left unset
    EXPECT_EQ(ReadSettingNumber(L"Format", 7), 7u);
    Raw(L"Format", kSettingTypeBinary, eight, 4);
    EXPECT_EQ(ReadSettingNumber(L"Format", 7), 7u);
}

TEST_F(StoreAccess, TextIsReadOnlyWhenItFitsAndIsNotEmpty) {
    wchar_t buffer[8];
    EXPECT_FALSE(ReadSettingText(L"Folder", buffer, 8));
    Text(L"Folder", L"abcdefg");  // 7 characters and the terminator: exactly fits
    ASSERT_TRUE(ReadSettingText(L"Folder", buffer, 8));
    EXPECT_STREQ(buffer, L"abcdefg");
    Text(L"Folder", L"abcdefgh");
    EXPECT_FALSE(ReadSettingText(L"Folder", buffer, 8));
    EXPECT_STREQ(buffer, L"");
    Text(L"Folder", L"");
    EXPECT_FALSE(ReadSettingText(L"Folder", buffer, 8));
    Number(L"Folder", 0x41);
    EXPECT_FALSE(ReadSettingText(L"Folder", buffer, 8));
}

TEST_F(StoreAccess, TextWithoutATerminatorIsEndedAfterItsDataOrRefused) {
    wchar_t buffer[8];
    const wchar_t three[3] = {L'x', L'y', L'z'};
    Raw(L"RecordingName", kSettingTypeText, three, sizeof three);
    wmemset(buffer, L'#', 8);
    ASSERT_TRUE(ReadSettingText(L"RecordingName", buffer, 8));
    EXPECT_STREQ(buffer, L"xyz");
    const wchar_t eight[8] = {L'a', L'b', L'c', L'd', L'e', L'f', L'g', L'h'};
    Raw(L"RecordingName", kSettingTypeText, eight, sizeof eight);
    EXPECT_FALSE(ReadSettingText(L"RecordingName", buffer, 8));
    EXPECT_STREQ(buffer, L"");
    Raw(L"RecordingName", kSettingTypeText, eight, 0);
    wmemset(buffer, L'#', 8);
    EXPECT_FALSE(ReadSettingText(L"RecordingName", buffer, 8));
}

TEST_F(StoreAccess, WritesStoreTypedValuesWithTheirTerminator) {
    WriteSettingNumber(L"Zoom", 120);
    WriteSettingText(L"Folder", L"ab");
    const MemorySettingsValue* zoom = memorySettingsFind(&testStore, L"Zoom");
    ASSERT_NE(zoom, nullptr);
    EXPECT_EQ(zoom->type, kSettingTypeNumber);
    EXPECT_EQ(zoom->bytes, 4u);
    const MemorySettingsValue* folder = memorySettingsFind(&testStore, L"Folder");
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(folder->type, kSettingTypeText);
    EXPECT_EQ(folder->bytes, 3 * sizeof(wchar_t));
    EXPECT_EQ(reinterpret_cast<const wchar_t*>(folder->data)[2], 0);
}

TEST_F(StoreAccess, AnUnavailableKeyYieldsDefaultsAndDropsWrites) {
    Number(L"Zoom", 120);
    testStore.unavailable = true;
    EXPECT_EQ(ReadSettingNumber(L"Zoom", 100), 100u);
    wchar_t buffer[4];
    EXPECT_FALSE(ReadSettingText(L"Zoom", buffer, 4));
    WriteSettingNumber(L"Format", 2);
    WriteSettingText(L"Folder", L"x");
    testStore.unavailable = false;
    EXPECT_EQ(memorySettingsFind(&testStore, L"Format"), nullptr);
    EXPECT_EQ(memorySettingsFind(&testStore, L"Folder"), nullptr);
    EXPECT_EQ(testStore.writeCount, 0);
}
