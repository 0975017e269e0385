// Adapts the settings store seam to the registry. Each access opens the key with the least rights it needs (query
// values for a read; set values, non-volatile and created when missing, for a write) and closes it again, so nothing
// stays open between the rare reads and writes. The seam passes raw typed bytes, so the checks on type and size are
// made once, in portable code.
#include "settings/settings_store_win.h"

#include <windows.h>

#include <wchar.h>

static_assert(kSettingTypeText == REG_SZ && kSettingTypeBinary == REG_BINARY && kSettingTypeNumber == REG_DWORD,
              "the seam's value types are the registry's");
static_assert(sizeof(wchar_t) == 2, "registry text is UTF-16");

namespace {

// The key path and value name of a seam name: "Subkey\\Value" is a value of that subkey of the settings key.
struct KeyAndValue {
    wchar_t key[512];
    const wchar_t* value;
};

bool Split(const void* context, const wchar_t* name, KeyAndValue* out) {
    const wchar_t* keyPath = static_cast<const wchar_t*>(context);
    const wchar_t* slash = wcschr(name, L'\\');
    out->value = name;
    size_t keyLength = wcslen(keyPath);
    if (keyLength >= 512) return false;
    wcscpy_s(out->key, 512, keyPath);
    if (!slash) return true;
    size_t subLength = static_cast<size_t>(slash - name);
    if (keyLength + 1 + subLength >= 512) return false;
    out->key[keyLength] = L'\\';
    wmemcpy(out->key + keyLength + 1, name, subLength);
    out->key[keyLength + 1 + subLength] = 0;
    out->value = slash + 1;
    return true;
}

int Query(void* context, const wchar_t* name, uint32_t* type, void* data, uint32_t* bytes) {
    KeyAndValue where;
    if (!Split(context, name, &where)) return -1;
    name = where.value;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, where.key, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return -1;
    }
    DWORD valueType = 0;
    DWORD size = *bytes;
    LONG result = RegQueryValueExW(key, name, nullptr, &valueType, static_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (result == ERROR_MORE_DATA) return -3;
    if (result != ERROR_SUCCESS) return -2;
    *type = valueType;
    *bytes = size;
    return 0;
}

int Set(void* context, const wchar_t* name, uint32_t type, const void* data, uint32_t bytes) {
    KeyAndValue where;
    if (!Split(context, name, &where)) return -1;
    name = where.value;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, where.key, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return -1;
    }
    LONG result = RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? 0 : -2;
}

}  // namespace

SettingsStoreApi registrySettingsStore(const wchar_t* keyPath) {
    // The path is only ever read; the seam's context is untyped so the in-memory store can be written through it.
    return SettingsStoreApi{const_cast<wchar_t*>(keyPath), Query, Set};
}
