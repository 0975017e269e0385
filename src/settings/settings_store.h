// The settings store seam and the four access operations through which every other part reads and writes its
// settings. Failures are never reported: a failed read yields the default, a failed write is dropped.
#pragma once

#include <stdint.h>

// Value types, numbered as the Windows registry numbers them.
const uint32_t kSettingTypeText = 1;    // a terminated wide string
const uint32_t kSettingTypeBinary = 3;  // any bytes; never read by the application
const uint32_t kSettingTypeNumber = 4;  // a 32-bit number

// A value name may hold one backslash: "Subkey\\Value" names a value of that subkey of the settings key, which a write
// creates when it is missing.
struct SettingsStoreApi {
    void* context;  // the implementation's own: the registry key path, the in-memory table
    // Reads one value into data, which holds *bytes on entry. 0 with *type and *bytes (the stored size) when the value
    // exists and fits; negative when the key or the value cannot be read or the value is larger than data.
    int (*query)(void* context, const wchar_t* name, uint32_t* type, void* data, uint32_t* bytes);
    // Stores one value, creating the key when it is missing. 0 or negative.
    int (*set)(void* context, const wchar_t* name, uint32_t type, const void* data, uint32_t bytes);
};

// The store every access operation uses from now on (copied; its context must outlive its use).
void settingsStoreInstall(const SettingsStoreApi* store);

// The stored number, only when the value exists as a 32-bit number; false (and *value untouched) otherwise.
bool readStoredNumber(const wchar_t* name, uint32_t* value);

uint32_t ReadSettingNumber(const wchar_t* name, uint32_t defaultValue);
// True only for a stored text that fits in capacity characters, terminator included, and is not empty. On false the
// buffer holds an empty string and the caller applies its default.
bool ReadSettingText(const wchar_t* name, wchar_t* buffer, int capacity);
void WriteSettingNumber(const wchar_t* name, uint32_t value);
// Raw bytes of the given type: true when the value exists with that type and fits in *bytes (then the stored size).
bool readStoredBytes(const wchar_t* name, uint32_t type, void* data, uint32_t* bytes);
void writeStoredBytes(const wchar_t* name, uint32_t type, const void* data, uint32_t bytes);
void WriteSettingText(const wchar_t* name, const wchar_t* text);
