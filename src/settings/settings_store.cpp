// The access operations over whichever store is installed. Every check that decides whether a stored value is usable
// lives here, so the registry and the in-memory store are judged alike.
#include "settings/settings_store.h"

#include <wchar.h>

namespace {

SettingsStoreApi store;

}  // namespace

void settingsStoreInstall(const SettingsStoreApi* s) {
    store = *s;
}

bool readStoredNumber(const wchar_t* name, uint32_t* value) {
    if (!store.query) return false;
    uint32_t type = 0;
    uint32_t data = 0;
    uint32_t bytes = sizeof data;
    if (store.query(store.context, name, &type, &data, &bytes) != 0) return false;
    // A number stored in fewer than four bytes would leave part of the value unset: it counts as absent too.
    if (type != kSettingTypeNumber || bytes != sizeof data) return false;
    *value = data;
    return true;
}

uint32_t ReadSettingNumber(const wchar_t* name, uint32_t defaultValue) {
    uint32_t value = 0;
    return readStoredNumber(name, &value) ? value : defaultValue;
}

bool ReadSettingText(const wchar_t* name, wchar_t* buffer, int capacity) {
    if (capacity <= 0) return false;
    buffer[0] = 0;
    if (!store.query) return false;
    uint32_t type = 0;
    uint32_t bytes = static_cast<uint32_t>(capacity) * sizeof(wchar_t);
    if (store.query(store.context, name, &type, buffer, &bytes) != 0 || type != kSettingTypeText) {
        buffer[0] = 0;
        return false;
    }
    // The store does not promise a terminator: one is put after the data, and data that fills the whole buffer
    // without one is longer than the buffer can hold.
    uint32_t chars = bytes / sizeof(wchar_t);
    if (chars < static_cast<uint32_t>(capacity)) {
        buffer[chars] = 0;
    } else if (buffer[capacity - 1] != 0) {
        buffer[0] = 0;
        return false;
    }
    return buffer[0] != 0;
}

void WriteSettingNumber(const wchar_t* name, uint32_t value) {
    if (store.set) store.set(store.context, name, kSettingTypeNumber, &value, sizeof value);
}

void WriteSettingText(const wchar_t* name, const wchar_t* text) {
    if (!store.set) return;
    uint32_t bytes = static_cast<uint32_t>((wcslen(text) + 1) * sizeof(wchar_t));
    store.set(store.context, name, kSettingTypeText, text, bytes);
}

bool readStoredBytes(const wchar_t* name, uint32_t type, void* data, uint32_t* bytes) {
    if (!store.query) return false;
    uint32_t storedType = 0;
    uint32_t size = *bytes;
    if (store.query(store.context, name, &storedType, data, &size) != 0 || storedType != type) return false;
    *bytes = size;
    return true;
}

void writeStoredBytes(const wchar_t* name, uint32_t type, const void* data, uint32_t bytes) {
    if (store.set) store.set(store.context, name, type, data, bytes);
}
