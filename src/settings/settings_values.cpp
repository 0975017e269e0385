// The generic reader, writer and printer of the settings fields, and the tables that give the numeric settings their
// meaning. Each kind of field has its check here once; a field's row says which values it applies to.
#include "settings/settings_values.h"

#include <stdlib.h>

#include "base/file_api.h"
#include "base/file_path.h"
#include "base/wide_text.h"
#include "settings/settings_store.h"

const ZoomRow kZoomRows[kZoomRowCount] = {
    {L"50%", 50},   {L"60%", 60},   {L"70%", 70},   {L"80%", 80},   {L"90%", 90},   {L"100%", 100},
    {L"110%", 110}, {L"120%", 120}, {L"130%", 130}, {L"140%", 140}, {L"150%", 150},
};

const RewindRow kRewindRows[kRewindRowCount] = {
    {L"1 second", 1},    {L"2 seconds", 2},   {L"3 seconds", 3},   {L"5 seconds", 5},
    {L"10 seconds", 10}, {L"15 seconds", 15}, {L"30 seconds", 30},
};

const RewindRow kResumeRewindRows[kResumeRewindRowCount] = {
    {L"Off", 0}, {L"1 second", 1}, {L"2 seconds", 2}, {L"3 seconds", 3}, {L"5 seconds", 5},
};

// A pair is held as two 32-bit halves side by side, and the slots' pairs one after another, so every pair field is
// reached the same way from its offset.
const int kPairBytes = 2 * sizeof(uint32_t);
static_assert(sizeof(Shortcut) == kPairBytes && offsetof(Shortcut, mods) == sizeof(uint32_t));
static_assert(sizeof(ScreenPosition) == kPairBytes && offsetof(ScreenPosition, y) == sizeof(uint32_t));

namespace {

void Report(bool* usedDefault, int index, bool value) {
    if (usedDefault) usedDefault[index] = value;
}

uint32_t* HeldHalf(const SettingField& field, SettingsValues* values, int element, int half) {
    char* pair = static_cast<char*>(settingHeld(field, values)) + element * kPairBytes;
    return reinterpret_cast<uint32_t*>(pair) + half;
}

uint32_t HeldHalf(const SettingField& field, const SettingsValues& values, int element, int half) {
    const char* pair = static_cast<const char*>(settingHeld(field, values)) + element * kPairBytes;
    return reinterpret_cast<const uint32_t*>(pair)[half];
}

const wchar_t* HalfName(const SettingField& field, int element, int half) {
    if (field.slots) return half == 0 ? field.slots[element].keyValueName : field.slots[element].modsValueName;
    return half == 0 ? field.name : field.pairName;
}

uint32_t HalfDefault(const SettingField& field, int element, int half) {
    if (field.slots)
        return half == 0 ? field.slots[element].defaultShortcut.key : field.slots[element].defaultShortcut.mods;
    return field.pairDefault[half];
}

// Within a field the values run half by half: every element's first half, then every element's second half.
int ValueInField(const SettingField& field, int element, int half) {
    return half * settingElements(field) + element;
}

int FirstValueOf(const SettingField& field) {
    int value = 0;
    for (const SettingField& f : kSettingFields) {
        if (&f == &field) return value;
        value += settingValueCount(f);
    }
    return -1;
}

// The stored value of a table's row; the row itself for a table without values.
uint32_t TableValue(const SettingTable& table, int row) {
    if (!table.first) return static_cast<uint32_t>(row);
    const char* at = reinterpret_cast<const char*>(table.first) + row * table.stride;
    return static_cast<uint32_t>(*reinterpret_cast<const int32_t*>(at));
}

// The row whose stored value equals `stored`, or -1.
int TableRowOf(const SettingTable& table, uint32_t stored) {
    for (int row = 0; row < table.rows; ++row) {
        if (TableValue(table, row) == stored) return row;
    }
    return -1;
}

// Reads both halves of a pair, each with its own default; the pair is taken only when the field's check accepts it.
void ReadPair(const SettingField& field, int element, SettingsValues* values, bool* usedDefault) {
    uint32_t read[2];
    bool stored[2];
    for (int half = 0; half < 2; ++half) {
        read[half] = HalfDefault(field, element, half);
        stored[half] = readStoredNumber(HalfName(field, element, half), &read[half]);
    }
    bool usable = field.pairUsable(read[0], read[1]);
    for (int half = 0; half < 2; ++half) {
        *HeldHalf(field, values, element, half) = usable ? read[half] : HalfDefault(field, element, half);
        Report(usedDefault, ValueInField(field, element, half), !usable || !stored[half]);
    }
}

void ReadText(const SettingField& field, const KnownFoldersApi* folders, SettingsValues* values, bool* usedDefault) {
    wchar_t* out = static_cast<wchar_t*>(settingHeld(field, values));
    bool found = ReadSettingText(field.name, out, field.capacity);
    if (!found) {
        if (field.defaultTextFor) {
            field.defaultTextFor(folders, out, field.capacity);
        } else {
            WideCopyBounded(out, field.capacity, field.defaultText);
        }
    }
    Report(usedDefault, 0, !found);
}

// A path without its trailing separator, so the formatted folder has exactly one between the parts (the temporary
// path comes with one).
void TrimTrailingSeparator(wchar_t* path) {
    int n = 0;
    while (path[n]) ++n;
    while (n > 0 && (path[n - 1] == L'\\' || path[n - 1] == L'/')) path[--n] = 0;
}

const SettingField& FieldAt(size_t offset) {
    const SettingField* field = settingFieldAt(offset);
    if (!field) abort();  // a member no field holds: a slip in this file, caught by the first test that writes it
    return *field;
}

}  // namespace

int zoomRowOf(int32_t percent) {
    int row = tableRowOf(kZoomRows, kZoomRowCount, &ZoomRow::percent, percent);
    return row >= 0 ? row : kDefaultZoomRow;
}

int rewindRowOf(int32_t seconds) {
    int row = tableRowOf(kRewindRows, kRewindRowCount, &RewindRow::seconds, seconds);
    return row >= 0 ? row : kDefaultRewindRow;
}

int resumeRewindRowOf(int32_t seconds) {
    int row = tableRowOf(kResumeRewindRows, kResumeRewindRowCount, &RewindRow::seconds, seconds);
    return row >= 0 ? row : 0;
}

void defaultRecordingFolder(const KnownFoldersApi* folders, wchar_t* out, int capacity) {
    wchar_t base[kPathCapacity];
    base[0] = 0;
    if (folders->documents(base, kPathCapacity) != 0 && folders->temporary(base, kPathCapacity) != 0) base[0] = 0;
    TrimTrailingSeparator(base);
    // A known folder too long to hold the subfolder gets the same answer as no known folder: a cut name would be
    // another folder.
    if (PathJoin(out, capacity, base, kPathSeparator, L"Parlowen Recordings", L"") < 0)
        PathJoin(out, capacity, L"", kPathSeparator, L"Parlowen Recordings", L"");
}

bool miniPositionUsable(uint32_t x, uint32_t y) {
    return x != static_cast<uint32_t>(kMiniNotSet) && y != static_cast<uint32_t>(kMiniNotSet);
}

SettingValueRef settingValueRef(int value) {
    if (value >= 0) {
        for (const SettingField& field : kSettingFields) {
            int count = settingValueCount(field);
            if (value < count) return {&field, value % settingElements(field), value / settingElements(field)};
            value -= count;
        }
    }
    return {nullptr, 0, 0};
}

const wchar_t* settingName(int value) {
    SettingValueRef ref = settingValueRef(value);
    return ref.field ? HalfName(*ref.field, ref.element, ref.half) : L"";
}

int settingValueNamed(const wchar_t* name) {
    for (int value = 0; value < kSettingValueCount; ++value) {
        if (WideEqualsIgnoringAsciiCase(settingName(value), name)) return value;
    }
    return -1;
}

void* settingHeld(const SettingField& field, SettingsValues* values) {
    return reinterpret_cast<char*>(values) + field.offset;
}

const void* settingHeld(const SettingField& field, const SettingsValues& values) {
    return reinterpret_cast<const char*>(&values) + field.offset;
}

const SettingField* settingFieldAt(size_t offset) {
    for (const SettingField& field : kSettingFields) {
        if (field.offset == offset) return &field;
    }
    return nullptr;
}

void readSettingField(const SettingField& field, const KnownFoldersApi* folders, SettingsValues* values,
                      bool* usedDefault) {
    void* held = settingHeld(field, values);
    uint32_t stored = 0;
    switch (field.kind) {
        case kSettingFlag: {
            bool found = readStoredNumber(field.name, &stored);
            *static_cast<bool*>(held) = found ? stored != 0 : field.defaultValue != 0;
            Report(usedDefault, 0, !found);
            break;
        }
        case kSettingRange: {
            bool usable = readStoredNumber(field.name, &stored) && stored >= field.low && stored <= field.high;
            *static_cast<uint32_t*>(held) = usable ? stored : field.defaultValue;
            Report(usedDefault, 0, !usable);
            break;
        }
        case kSettingTableRow: {
            int row = readStoredNumber(field.name, &stored) ? TableRowOf(field.table, stored) : -1;
            *static_cast<int*>(held) = row >= 0 ? row : static_cast<int>(field.defaultValue);
            Report(usedDefault, 0, row < 0);
            break;
        }
        case kSettingText:
            ReadText(field, folders, values, usedDefault);
            break;
        case kSettingKeyMods:
        case kSettingPosition:
            for (int element = 0; element < settingElements(field); ++element) {
                ReadPair(field, element, values, usedDefault);
            }
            break;
    }
}

void readSettings(const KnownFoldersApi* folders, SettingsValues* out, bool* usedDefault) {
    int value = 0;
    for (const SettingField& field : kSettingFields) {
        readSettingField(field, folders, out, usedDefault ? usedDefault + value : nullptr);
        value += settingValueCount(field);
    }
}

void writeSettingValue(int value, const SettingsValues& values) {
    SettingValueRef ref = settingValueRef(value);
    if (!ref.field) return;
    const SettingField& field = *ref.field;
    const void* held = settingHeld(field, values);
    switch (field.kind) {
        case kSettingFlag:
            WriteSettingNumber(field.name, *static_cast<const bool*>(held) ? 1 : 0);
            break;
        case kSettingRange:
            WriteSettingNumber(field.name, *static_cast<const uint32_t*>(held));
            break;
        case kSettingTableRow:
            WriteSettingNumber(field.name, TableValue(field.table, *static_cast<const int*>(held)));
            break;
        case kSettingText:
            WriteSettingText(field.name, static_cast<const wchar_t*>(held));
            break;
        case kSettingKeyMods:
        case kSettingPosition:
            WriteSettingNumber(HalfName(field, ref.element, ref.half), HeldHalf(field, values, ref.element, ref.half));
            break;
    }
}

void writeSettingField(const SettingField& field, const SettingsValues& values) {
    int first = FirstValueOf(field);
    for (int value = 0; value < settingValueCount(field); ++value) writeSettingValue(first + value, values);
}

int formatSettingValue(int value, const SettingsValues& values, wchar_t* out, int capacity) {
    SettingValueRef ref = settingValueRef(value);
    if (!ref.field) return WideFormat(out, capacity, L"");
    const SettingField& field = *ref.field;
    const void* held = settingHeld(field, values);
    switch (field.kind) {
        case kSettingFlag:
            return WideFormat(out, capacity, L"%d", *static_cast<const bool*>(held) ? 1 : 0);
        case kSettingRange:
            return WideFormat(out, capacity, L"%u", static_cast<unsigned>(*static_cast<const uint32_t*>(held)));
        case kSettingTableRow:
            return WideFormat(out, capacity, L"%d",
                              static_cast<int>(TableValue(field.table, *static_cast<const int*>(held))));
        case kSettingText:
            return WideFormat(out, capacity, L"%ls", static_cast<const wchar_t*>(held));
        case kSettingKeyMods:
            return WideFormat(out, capacity, L"%u",
                              static_cast<unsigned>(HeldHalf(field, values, ref.element, ref.half)));
        case kSettingPosition:
            return WideFormat(out, capacity, L"%d", static_cast<int>(HeldHalf(field, values, ref.element, ref.half)));
    }
    return WideFormat(out, capacity, L"");
}

bool readMiniPosition(int32_t* x, int32_t* y) {
    SettingsValues values;
    readSettingField(FieldAt(offsetof(SettingsValues, mini)), nullptr, &values, nullptr);
    if (!miniPositionUsable(static_cast<uint32_t>(values.mini.x), static_cast<uint32_t>(values.mini.y))) return false;
    *x = values.mini.x;
    *y = values.mini.y;
    return true;
}

bool readSignedIn() {
    SettingsValues values;
    readSettingField(FieldAt(offsetof(SettingsValues, signedIn)), nullptr, &values, nullptr);
    return values.signedIn;
}

void writeRecordingName(const wchar_t* name) {
    SettingsValues values;
    WideCopyBounded(values.recordingName, kRecordingNameCapacity, name);
    writeSettingField(FieldAt(offsetof(SettingsValues, recordingName)), values);
}

void writeRecordShortcut(Shortcut shortcut) {
    SettingsValues values;
    values.recordShortcut = shortcut;
    writeSettingField(FieldAt(offsetof(SettingsValues, recordShortcut)), values);
}

void writePlaybackSlot(int slot, Shortcut shortcut) {
    if (slot < 0 || slot >= kPlaybackSlotCount) return;
    const SettingField& field = FieldAt(offsetof(SettingsValues, playback));
    SettingsValues values;
    values.playback[slot] = shortcut;
    int first = FirstValueOf(field);
    for (int half = 0; half < 2; ++half) writeSettingValue(first + ValueInField(field, slot, half), values);
}

void writeMarkShortcut(Shortcut shortcut) {
    SettingsValues values;
    values.mark = shortcut;
    writeSettingField(FieldAt(offsetof(SettingsValues, mark)), values);
}

void writeMiniPosition(int32_t x, int32_t y) {
    SettingsValues values;
    values.mini = {x, y};
    writeSettingField(FieldAt(offsetof(SettingsValues, mini)), values);
}

void writeSignedIn(bool signedIn) {
    SettingsValues values;
    values.signedIn = signedIn;
    writeSettingField(FieldAt(offsetof(SettingsValues, signedIn)), values);
}
