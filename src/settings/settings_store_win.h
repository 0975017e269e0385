// The settings store in the per-user registry.
#pragma once

#include "settings/settings_store.h"

// The application's key under the current user's hive.
const wchar_t kSettingsKeyPath[] = L"Software\\Parlowen\\Recorder";

// A store over the key at keyPath under the current user's hive (the application's key, or a scratch key in tests).
// The path is kept, not copied: it must outlive the store.
SettingsStoreApi registrySettingsStore(const wchar_t* keyPath);
