// The in-memory settings store used by the tests and by the command-line harness's --store files.
#include "settings/settings_store_memory.h"

#include <string.h>
#include <wchar.h>

#include "base/wide_text.h"

namespace {

int FindIndex(const MemorySettingsStore* memory, const wchar_t* name) {
    for (int i = 0; i < memory->count; ++i) {
        if (WideEqualsIgnoringAsciiCase(memory->values[i].name, name)) return i;
    }
    return -1;
}

int Query(void* context, const wchar_t* name, uint32_t* type, void* data, uint32_t* bytes) {
    const MemorySettingsStore* memory = static_cast<const MemorySettingsStore*>(context);
    if (memory->unavailable) return -1;
    const MemorySettingsValue* value = memorySettingsFind(memory, name);
    if (!value) return -2;
    if (value->bytes > *bytes) return -3;
    memcpy(data, value->data, value->bytes);
    *type = value->type;
    *bytes = value->bytes;
    return 0;
}

int Set(void* context, const wchar_t* name, uint32_t type, const void* data, uint32_t bytes) {
    MemorySettingsStore* memory = static_cast<MemorySettingsStore*>(context);
    if (memory->unavailable) return -1;
    int result = memorySettingsPut(memory, name, type, data, bytes);
    if (result != 0) return result;
    if (memory->writeCount < kMemorySettingsLogLength) {
        WideCopyBounded(memory->writeLog[memory->writeCount], kMemorySettingsNameCapacity, name);
    }
    memory->writeCount += 1;
    return 0;
}

}  // namespace

void memorySettingsReset(MemorySettingsStore* memory) {
    memset(memory, 0, sizeof *memory);
}

SettingsStoreApi memorySettingsSeam(MemorySettingsStore* memory) {
    return SettingsStoreApi{memory, Query, Set};
}

int memorySettingsPut(MemorySettingsStore* memory, const wchar_t* name, uint32_t type, const void* data,
                      uint32_t bytes) {
    if (wcslen(name) >= static_cast<size_t>(kMemorySettingsNameCapacity)) return -1;
    if (bytes > static_cast<uint32_t>(kMemorySettingsValueBytes)) return -2;
    int index = FindIndex(memory, name);
    if (index < 0) {
        if (memory->count >= kMemorySettingsMaxValues) return -3;
        index = memory->count++;
        WideCopyBounded(memory->values[index].name, kMemorySettingsNameCapacity, name);
    }
    MemorySettingsValue* value = &memory->values[index];
    value->type = type;
    value->bytes = bytes;
    if (bytes > 0) memcpy(value->data, data, bytes);
    return 0;
}

int memorySettingsPutNumber(MemorySettingsStore* memory, const wchar_t* name, uint32_t value) {
    return memorySettingsPut(memory, name, kSettingTypeNumber, &value, sizeof value);
}

int memorySettingsPutText(MemorySettingsStore* memory, const wchar_t* name, const wchar_t* text) {
    return memorySettingsPut(memory, name, kSettingTypeText, text,
                             static_cast<uint32_t>((wcslen(text) + 1) * sizeof(wchar_t)));
}

const MemorySettingsValue* memorySettingsFind(const MemorySettingsStore* memory, const wchar_t* name) {
    int index = FindIndex(memory, name);
    return index < 0 ? nullptr : &memory->values[index];
}
