// An in-memory settings store that behaves like one registry key (a subkey's values are held under their
// "Subkey\\Value" names): value names match without regard to ASCII case,
// a read into too small a buffer fails, and every successful write is logged so tests can see which values a trigger
// writes and in what order.
#pragma once

#include <stdint.h>

#include "settings/settings_store.h"

// The key's own values and the remembered positions' subkey.
const int kMemorySettingsMaxValues = 128;
const int kMemorySettingsNameCapacity = 64;
const int kMemorySettingsValueBytes = 2048;
const int kMemorySettingsLogLength = 64;

struct MemorySettingsValue {
    wchar_t name[kMemorySettingsNameCapacity];
    uint32_t type;
    uint32_t bytes;
    unsigned char data[kMemorySettingsValueBytes];
};

struct MemorySettingsStore {
    MemorySettingsValue values[kMemorySettingsMaxValues];
    int count;
    // The key can be neither opened nor created: every read and write fails.
    bool unavailable;
    // Names of the successful writes in order; writeCount goes on counting past the log's length.
    wchar_t writeLog[kMemorySettingsLogLength][kMemorySettingsNameCapacity];
    int writeCount;
};

void memorySettingsReset(MemorySettingsStore* memory);
// The seam over this store; the store must outlive its use.
SettingsStoreApi memorySettingsSeam(MemorySettingsStore* memory);

// Stores a value as a write through the seam would, but without logging it (tests and loaders put values in place).
// 0, or negative when the name or the data is too long or the store is full.
int memorySettingsPut(MemorySettingsStore* memory, const wchar_t* name, uint32_t type, const void* data,
                      uint32_t bytes);
int memorySettingsPutNumber(MemorySettingsStore* memory, const wchar_t* name, uint32_t value);
int memorySettingsPutText(MemorySettingsStore* memory, const wchar_t* name, const wchar_t* text);
// The stored value, or null.
const MemorySettingsValue* memorySettingsFind(const MemorySettingsStore* memory, const wchar_t* name);
