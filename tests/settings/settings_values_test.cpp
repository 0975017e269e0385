// Every value's default and read check, with the boundary values on both sides of each check; then the field table
// walked as a whole: unique names, and every field's default, a changed value and a refused value through the store.
#include "settings/settings_values.h"

#include <gtest/gtest.h>

#include <wchar.h>

#include <algorithm>
#include <string>

#include "recorder/recorder.h"
#include "settings_fixture.h"
#include "settings_read_back.h"

namespace {

const std::wstring kSep = NOTAFON_PATH_SEPARATOR;

}  // namespace

class SettingValues : public SettingsTest {
  protected:
    static ReadBack Read() { return ReadStored(&kTestFolders); }
};

TEST_F(SettingValues, AnEmptyStoreGivesEveryDefault) {
    ReadBack r = Read();
    const SettingsValues& s = r.values;
    EXPECT_STREQ(s.recordingName, L"PRLW Audio");
    EXPECT_EQ(s.playVolume, 100u);
    EXPECT_EQ(s.playSpeed, 20u);
    EXPECT_EQ(kRewindRows[s.rewindRow].seconds, 5);
    EXPECT_EQ(s.formatRow, 1);
    EXPECT_STREQ(kRecordingFormats[s.formatRow].label, L"MP3 48 kbps, clear voice (default)");
    EXPECT_STREQ(kZoomRows[s.zoomRow].label, L"100%");
    EXPECT_EQ(s.recordShortcut.key, 0x52u);
    EXPECT_EQ(s.recordShortcut.mods, 6u);
    const uint32_t defaultKeys[kPlaybackSlotCount] = {0x20, 0x25, 0x24, 0x27, 0, 0, 0, 0};
    for (int slot = 0; slot < kPlaybackSlotCount; ++slot) {
        EXPECT_EQ(s.playback[slot].key, defaultKeys[slot]);
        EXPECT_EQ(s.playback[slot].mods, slot < 4 ? 2u : 0u);  // the speed and time slots have no shortcut
    }
    EXPECT_EQ(kResumeRewindRows[s.resumeRewindRow].seconds, 0);  // off
    EXPECT_FALSE(s.rememberPositions);
    EXPECT_EQ(s.mark.key, 0u);
    EXPECT_EQ(s.mark.mods, 0u);
    EXPECT_FALSE(s.onTop || s.replace || s.skipSilence);
    EXPECT_EQ(s.folder, L"Docs" + kSep + L"Parlowen Recordings");
    EXPECT_EQ(s.mini.x, 0x7FFFFFFF);
    EXPECT_EQ(s.mini.y, 0x7FFFFFFF);
    int32_t x = 0, y = 0;
    EXPECT_FALSE(readMiniPosition(&x, &y));
    EXPECT_FALSE(s.signedIn);
    EXPECT_FALSE(readSignedIn());
    for (int value = 0; value < kSettingValueCount; ++value) EXPECT_TRUE(r.usedDefault[value]) << settingName(value);
}

TEST_F(SettingValues, RecordingNameAndFolderTreatEmptyAsAbsent) {
    Text(L"RecordingName", L"");
    ReadBack r = Read();
    EXPECT_STREQ(r.values.recordingName, L"PRLW Audio");
    EXPECT_TRUE(r.Used(L"RecordingName"));
    Text(L"RecordingName", std::wstring(127, L'n').c_str());
    r = Read();
    EXPECT_EQ(std::wstring(r.values.recordingName), std::wstring(127, L'n'));
    EXPECT_FALSE(r.Used(L"RecordingName"));
    Text(L"RecordingName", std::wstring(128, L'n').c_str());  // does not fit in 128 with its terminator
    r = Read();
    EXPECT_STREQ(r.values.recordingName, L"PRLW Audio");

    Text(L"Folder", L"");
    r = Read();
    EXPECT_TRUE(r.Used(L"Folder"));
    Text(L"Folder", L"E:\\Talks");
    r = Read();
    EXPECT_STREQ(r.values.folder, L"E:\\Talks");
    EXPECT_FALSE(r.Used(L"Folder"));
}

TEST_F(SettingValues, FolderDefaultFallsBackToTheTemporaryPath) {
    wchar_t folder[kPathCapacity];
    testDocuments = nullptr;
    defaultRecordingFolder(&kTestFolders, folder, kPathCapacity);
    EXPECT_EQ(folder, L"Tmp" + kSep + L"Parlowen Recordings");  // one separator, not two
    EXPECT_STREQ(Read().values.folder, folder);
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
    for (uint32_t v = 0; v < 6; ++v) {
        Number(L"Format", v);
        ReadBack r = Read();
        EXPECT_EQ(r.values.formatRow, static_cast<int>(v));
        EXPECT_FALSE(r.Used(L"Format"));
    }
    for (uint32_t v : {6u, 0xFFFFFFFFu}) {
        Number(L"Format", v);
        ReadBack r = Read();
        EXPECT_EQ(r.values.formatRow, 1) << v;
        EXPECT_TRUE(r.Used(L"Format"));
    }
}

TEST_F(SettingValues, FlagsAreOnForAnyNonZeroNumber) {
    for (const wchar_t* name : {L"OnTop", L"Replace", L"SkipSilence", L"SignedIn"}) {
        const SettingField& field = *settingValueRef(settingValueNamed(name)).field;
        ASSERT_EQ(field.kind, kSettingFlag) << name;
        Number(name, 0);
        ReadBack r = Read();
        EXPECT_FALSE(*static_cast<const bool*>(settingHeld(field, r.values))) << name;
        EXPECT_FALSE(r.Used(name));
        Number(name, 7);
        r = Read();
        EXPECT_TRUE(*static_cast<const bool*>(settingHeld(field, r.values))) << name;
        Text(name, L"1");
        r = Read();
        EXPECT_FALSE(*static_cast<const bool*>(settingHeld(field, r.values))) << name;
        EXPECT_TRUE(r.Used(name));
    }
    Number(L"SignedIn", 1);
    EXPECT_TRUE(readSignedIn());
}

TEST_F(SettingValues, ZoomAndRewindMustMatchARow) {
    for (int row = 0; row < kZoomRowCount; ++row) {
        EXPECT_EQ(kZoomRows[row].percent, 50 + 10 * row);
        Number(L"Zoom", static_cast<uint32_t>(kZoomRows[row].percent));
        EXPECT_EQ(Read().values.zoomRow, row);
    }
    for (uint32_t v : {105u, 40u, 160u, 0u}) {
        Number(L"Zoom", v);
        ReadBack r = Read();
        EXPECT_EQ(r.values.zoomRow, 5) << v;
        EXPECT_TRUE(r.Used(L"Zoom"));
    }
    const int seconds[kRewindRowCount] = {1, 2, 3, 5, 10, 15, 30};
    for (int row = 0; row < kRewindRowCount; ++row) {
        Number(L"RewindSeconds", static_cast<uint32_t>(seconds[row]));
        ReadBack r = Read();
        EXPECT_EQ(r.values.rewindRow, row);
        EXPECT_FALSE(r.Used(L"RewindSeconds"));
    }
    EXPECT_STREQ(kRewindRows[0].label, L"1 second");
    EXPECT_STREQ(kRewindRows[6].label, L"30 seconds");
    for (uint32_t v : {4u, 0u, 60u}) {
        Number(L"RewindSeconds", v);
        ReadBack r = Read();
        EXPECT_EQ(kRewindRows[r.values.rewindRow].seconds, 5) << v;
        EXPECT_TRUE(r.Used(L"RewindSeconds"));
    }
}

TEST_F(SettingValues, VolumeAndSpeedKeepTheirRanges) {
    Number(L"PlayVolume", 200);
    EXPECT_EQ(Read().values.playVolume, 200u);
    Number(L"PlayVolume", 0);
    ReadBack r = Read();
    EXPECT_EQ(r.values.playVolume, 0u);
    EXPECT_FALSE(r.Used(L"PlayVolume"));
    for (uint32_t v : {201u, 0xFFFFFFFFu}) {
        Number(L"PlayVolume", v);
        r = Read();
        EXPECT_EQ(r.values.playVolume, 100u);
        EXPECT_TRUE(r.Used(L"PlayVolume"));
    }
    for (uint32_t v : {10u, 60u}) {
        Number(L"PlaySpeed", v);
        r = Read();
        EXPECT_EQ(r.values.playSpeed, v);
        EXPECT_FALSE(r.Used(L"PlaySpeed"));
    }
    for (uint32_t v : {9u, 61u, 0xFFFFFFF6u}) {
        Number(L"PlaySpeed", v);
        r = Read();
        EXPECT_EQ(r.values.playSpeed, 20u) << v;
        EXPECT_TRUE(r.Used(L"PlaySpeed"));
    }
}

TEST_F(SettingValues, RecordShortcutPairMustPassTheRecordRule) {
    Number(L"HotkeyMods", kModCtrl);
    ReadBack r = Read();
    EXPECT_EQ(r.values.recordShortcut.key, 0x52u);  // Ctrl+R: the default key with the stored mods
    EXPECT_EQ(r.values.recordShortcut.mods, 2u);
    EXPECT_TRUE(r.Used(L"HotkeyKey"));
    EXPECT_FALSE(r.Used(L"HotkeyMods"));
    memorySettingsReset(&testStore);
    Number(L"HotkeyKey", 'P');
    r = Read();
    EXPECT_EQ(r.values.recordShortcut.key, static_cast<uint32_t>('P'));  // with the default mods
    EXPECT_EQ(r.values.recordShortcut.mods, 6u);
    EXPECT_FALSE(r.Used(L"HotkeyKey"));
    EXPECT_TRUE(r.Used(L"HotkeyMods"));
    Number(L"HotkeyMods", 0);
    EXPECT_EQ(Read().values.recordShortcut.mods, 0u);  // a single key is a valid record shortcut
    Number(L"HotkeyKey", 0x7B);                        // F12
    r = Read();
    EXPECT_EQ(r.values.recordShortcut.key, 0x52u);
    EXPECT_EQ(r.values.recordShortcut.mods, 6u);
    EXPECT_TRUE(r.Used(L"HotkeyKey") && r.Used(L"HotkeyMods"));
    Number(L"HotkeyKey", 'P');
    Number(L"HotkeyMods", kModWin | kModCtrl);
    EXPECT_EQ(Read().values.recordShortcut.key, 0x52u);
}

TEST_F(SettingValues, PlaybackSlotsFallBackToBothDefaultsAsAPair) {
    Number(L"PlayKey1", 0x10);  // Shift as the key
    Number(L"PlayMods1", kModAlt);
    ReadBack r = Read();
    EXPECT_EQ(r.values.playback[1].key, 0x25u);
    EXPECT_EQ(r.values.playback[1].mods, 2u);
    EXPECT_TRUE(r.Used(L"PlayKey1") && r.Used(L"PlayMods1"));
    for (uint32_t mods : {8u, 9u}) {
        Number(L"PlayKey2", 'H');
        Number(L"PlayMods2", mods);
        r = Read();
        EXPECT_EQ(r.values.playback[2].key, 0x24u) << mods;
        EXPECT_EQ(r.values.playback[2].mods, 2u);
    }
    Number(L"PlayKey3", 0x5B);
    EXPECT_EQ(Read().values.playback[3].key, 0x27u);
    Number(L"PlayKey0", 0x76);  // F7 alone
    Number(L"PlayMods0", 0);
    r = Read();
    EXPECT_EQ(r.values.playback[0].key, 0x76u);
    EXPECT_EQ(r.values.playback[0].mods, 0u);
    EXPECT_FALSE(r.Used(L"PlayKey0") || r.Used(L"PlayMods0"));
    Number(L"PlayKey0", kKeyR);  // equal to the record shortcut: loaded anyway
    Number(L"PlayMods0", 6);
    EXPECT_EQ(Read().values.playback[0].key, static_cast<uint32_t>(kKeyR));
}

TEST_F(SettingValues, MiniPositionNeedsBothCoordinates) {
    int32_t x = 0, y = 0;
    Number(L"MiniX", 40);
    EXPECT_FALSE(readMiniPosition(&x, &y));
    EXPECT_TRUE(Read().Used(L"MiniX"));
    Number(L"MiniY", static_cast<uint32_t>(-300));  // left of and above the primary monitor is a real position
    ASSERT_TRUE(readMiniPosition(&x, &y));
    EXPECT_EQ(x, 40);
    EXPECT_EQ(y, -300);
    ReadBack r = Read();
    EXPECT_FALSE(r.Used(L"MiniX") || r.Used(L"MiniY"));
    Number(L"MiniX", 0x7FFFFFFF);
    EXPECT_FALSE(readMiniPosition(&x, &y));
    r = Read();
    EXPECT_EQ(r.values.mini.y, 0x7FFFFFFF);  // the pair falls back together
    EXPECT_TRUE(r.Used(L"MiniX") && r.Used(L"MiniY"));
}

// The table as a whole. Changed and refused values are made per kind, so a new row is covered without a new test.
namespace {

std::wstring Formatted(const SettingsValues& values, int value) {
    wchar_t text[kPathCapacity + 16];
    formatSettingValue(value, values, text, kPathCapacity + 16);
    return text;
}

// The first value of each field, and the field's element and half of every value.
int FirstValue(const SettingField& field) {
    for (int value = 0; value < kSettingValueCount; ++value) {
        if (settingValueRef(value).field == &field) return value;
    }
    return -1;
}

uint32_t* Half(const SettingField& field, SettingsValues* values, int element, int half) {
    return reinterpret_cast<uint32_t*>(static_cast<char*>(settingHeld(field, values)) + element * sizeof(Shortcut)) +
           half;
}

// Every field away from its default, each still passing its check.
void Change(const SettingField& field, SettingsValues* values) {
    void* held = settingHeld(field, values);
    switch (field.kind) {
        case kSettingFlag:
            *static_cast<bool*>(held) = field.defaultValue == 0;
            break;
        case kSettingRange:
            *static_cast<uint32_t*>(held) = field.defaultValue == field.low ? field.high : field.low;
            break;
        case kSettingTableRow:
            *static_cast<int*>(held) = (static_cast<int>(field.defaultValue) + 1) % field.table.rows;
            break;
        case kSettingText:
            wcscpy(static_cast<wchar_t*>(held), L"Changed \u00E4");
            break;
        case kSettingKeyMods:
            for (int e = 0; e < field.elements; ++e) {
                *Half(field, values, e, 0) = 'J' + static_cast<uint32_t>(e);
                *Half(field, values, e, 1) = kModAlt;
            }
            break;
        case kSettingPosition:
            *Half(field, values, 0, 0) = static_cast<uint32_t>(-40);
            *Half(field, values, 0, 1) = 300;
            break;
    }
}

}  // namespace

TEST_F(SettingValues, EveryStoredValueHasItsOwnName) {
    for (int value = 0; value < kSettingValueCount; ++value) {
        ASSERT_NE(settingName(value)[0], 0) << value;
        // The first value of that name, ASCII case ignored as the registry does, is this one: no other shares it.
        EXPECT_EQ(settingValueNamed(settingName(value)), value) << settingName(value);
        SettingValueRef ref = settingValueRef(value);
        ASSERT_NE(ref.field, nullptr);
        EXPECT_LT(ref.element, ref.field->elements);
        EXPECT_LT(ref.half, settingHalves(*ref.field));
    }
    EXPECT_STREQ(settingName(kSettingValueCount), L"");
    EXPECT_EQ(settingValueRef(-1).field, nullptr);
    EXPECT_EQ(settingValueNamed(L"NoSuchValue"), -1);
    EXPECT_EQ(settingValueNamed(L"playmods3"), settingValueNamed(L"PlayMods3"));
    for (const SettingField& field : kSettingFields) EXPECT_EQ(settingFieldAt(field.offset), &field) << field.name;
}

TEST_F(SettingValues, EveryFieldRoundTripsItsDefaultAndAChangedValue) {
    const ReadBack defaults = Read();
    for (int value = 0; value < kSettingValueCount; ++value) writeSettingValue(value, defaults.values);
    EXPECT_EQ(testStore.writeCount, kSettingValueCount);
    ReadBack r = Read();
    for (int value = 0; value < kSettingValueCount; ++value) {
        EXPECT_EQ(Formatted(r.values, value), Formatted(defaults.values, value)) << settingName(value);
        // A default that fails its own check (no saved mini position) still reads as "the default".
        SettingValueRef ref = settingValueRef(value);
        SettingsValues held = defaults.values;
        bool refusedDefault = ref.field->pairUsable && !ref.field->pairUsable(*Half(*ref.field, &held, ref.element, 0),
                                                                              *Half(*ref.field, &held, ref.element, 1));
        // So does an empty text (the default microphone): an empty value counts as absent.
        if (ref.field->kind == kSettingText && static_cast<const wchar_t*>(settingHeld(*ref.field, held))[0] == 0)
            refusedDefault = true;
        EXPECT_EQ(r.usedDefault[value], refusedDefault) << settingName(value);
    }

    SettingsValues changed = defaults.values;
    for (const SettingField& field : kSettingFields) Change(field, &changed);
    memorySettingsReset(&testStore);
    for (const SettingField& field : kSettingFields) writeSettingField(field, changed);
    r = Read();
    for (int value = 0; value < kSettingValueCount; ++value) {
        EXPECT_NE(Formatted(changed, value), Formatted(defaults.values, value)) << settingName(value);
        EXPECT_EQ(Formatted(r.values, value), Formatted(changed, value)) << settingName(value);
        EXPECT_FALSE(r.usedDefault[value]) << settingName(value);
        // Texts are stored as text, everything else as a 32-bit number.
        const MemorySettingsValue* stored = memorySettingsFind(&testStore, settingName(value));
        ASSERT_NE(stored, nullptr) << settingName(value);
        EXPECT_EQ(stored->type,
                  settingValueRef(value).field->kind == kSettingText ? kSettingTypeText : kSettingTypeNumber);
    }
}

TEST_F(SettingValues, EveryCheckRefusesAnUnusableValueAndFallsBackToTheDefault) {
    const ReadBack defaults = Read();
    for (const SettingField& field : kSettingFields) {
        // The unusable stored forms of the field's first value (and for a pair, one refused half).
        for (int attempt = 0; attempt < 2; ++attempt) {
            memorySettingsReset(&testStore);
            const wchar_t* name = settingName(FirstValue(field));
            switch (field.kind) {
                case kSettingFlag:  // another type
                    if (attempt == 0) Text(name, L"1");
                    if (attempt == 1) Raw(name, kSettingTypeNumber, "\1\0", 2);
                    break;
                case kSettingRange:  // just outside the range, or of another type
                    if (attempt == 0) Number(name, field.high + 1);
                    if (attempt == 1 && field.low > 0) Number(name, field.low - 1);
                    if (attempt == 1 && field.low == 0) Text(name, L"5");
                    break;
                case kSettingTableRow: {  // one past the largest row's value, or all bits set
                    long largest = 0;
                    for (int row = 0; row < field.table.rows; ++row) {
                        SettingsValues probe = defaults.values;
                        *static_cast<int*>(settingHeld(field, &probe)) = row;
                        largest = std::max(largest, wcstol(Formatted(probe, FirstValue(field)).c_str(), nullptr, 10));
                    }
                    Number(name, attempt == 0 ? static_cast<uint32_t>(largest + 1) : 0xFFFFFFFFu);
                    break;
                }
                case kSettingText:  // empty, or one character too long for the buffer
                    Text(name, attempt == 0 ? L"" : std::wstring(static_cast<size_t>(field.capacity), L'x').c_str());
                    break;
                case kSettingKeyMods:  // a modifier as the key, or the Win bit, with a usable other half
                    for (int e = 0; e < field.elements; ++e) {
                        Number(settingName(FirstValue(field) + e), attempt == 0 ? kKeyShift : 'J');
                        Number(settingName(FirstValue(field) + field.elements + e), attempt == 0 ? kModAlt : kModWin);
                    }
                    break;
                case kSettingPosition:  // one coordinate "not set"
                    Number(settingName(FirstValue(field)), attempt == 0 ? 0x7FFFFFFFu : 10u);
                    Number(settingName(FirstValue(field) + 1), attempt == 0 ? 10u : 0x7FFFFFFFu);
                    break;
            }
            ReadBack r = Read();
            for (int value = FirstValue(field); value < FirstValue(field) + settingValueCount(field); ++value) {
                EXPECT_EQ(Formatted(r.values, value), Formatted(defaults.values, value))
                    << settingName(value) << " attempt " << attempt;
                EXPECT_TRUE(r.usedDefault[value]) << settingName(value) << " attempt " << attempt;
            }
        }
    }
}
