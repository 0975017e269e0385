// A fresh in-memory settings store, installed for each test, and known folders that answer from the test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "base/file_api.h"
#include "settings/known_folders.h"
#include "settings/settings_store.h"
#include "settings/settings_store_memory.h"
#include "shortcuts/shortcut.h"

inline MemorySettingsStore testStore;
inline const wchar_t* testDocuments = L"Docs";  // null: the Documents folder cannot be found
inline const wchar_t* testTemporary = L"Tmp" NOTAFON_PATH_SEPARATOR;

inline int TestFolder(const wchar_t* path, wchar_t* out, int capacity) {
    if (!path) return -1;
    std::wstring p = path;
    if (p.size() + 1 > static_cast<size_t>(capacity)) return -1;
    p.copy(out, p.size());
    out[p.size()] = 0;
    return 0;
}
inline int TestDocuments(wchar_t* out, int capacity) {
    return TestFolder(testDocuments, out, capacity);
}
inline int TestTemporary(wchar_t* out, int capacity) {
    return TestFolder(testTemporary, out, capacity);
}
inline const KnownFoldersApi kTestFolders = {TestDocuments, TestTemporary};

class SettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        memorySettingsReset(&testStore);
        const SettingsStoreApi memory = memorySettingsSeam(&testStore);
        settingsStoreInstall(&memory);
        shortcutsReset();
        testDocuments = L"Docs";
        testTemporary = L"Tmp" NOTAFON_PATH_SEPARATOR;
    }
    void TearDown() override { shortcutsReset(); }

    static void Number(const wchar_t* name, uint32_t value) { memorySettingsPutNumber(&testStore, name, value); }
    static void Text(const wchar_t* name, const wchar_t* text) { memorySettingsPutText(&testStore, name, text); }
    static void Raw(const wchar_t* name, uint32_t type, const void* data, uint32_t bytes) {
        memorySettingsPut(&testStore, name, type, data, bytes);
    }
};
