// notafon-cli settings and shortcut-text: the settings as the application reads them at start (from the registry
// key, or from a text store file), and a shortcut's display text. Natively there is no registry and no keyboard
// layout service: --store is the only source, and key names come from the built-in English table.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>
#include <wctype.h>

#include <vector>

#include "base/file_api.h"
#include "base/file_read.h"
#include "base/wide_text.h"
#include "cli/cli.h"
#include "cli/cli_host.h"
#include "settings/known_folders.h"
#include "settings/settings_store.h"
#include "settings/settings_store_memory.h"
#include "settings/settings_text_store.h"
#include "settings/settings_values.h"
#include "shortcuts/key_names.h"
#include "shortcuts/shortcut.h"
#include "shortcuts/shortcut_text.h"
#ifdef _WIN32
#include "settings/settings_store_win.h"
#include "shortcuts/key_names_win.h"
#endif

namespace {

const uint32_t kMaxStoreFileBytes = 1u << 20;
const int kLineCapacity = 400;

MemorySettingsStore fileStore;

// "Name: value", with " (default)" when the default was used.
void PrintText(const wchar_t* name, const wchar_t* value, bool usedDefault) {
    char key[kMemorySettingsNameCapacity];
    int i = 0;
    for (; name[i] && i < kMemorySettingsNameCapacity - 1; ++i) key[i] = static_cast<char>(name[i]);  // ASCII names
    key[i] = 0;
    wchar_t line[kLineCapacity];
    WideFormat(line, kLineCapacity, usedDefault ? L"%ls (default)" : L"%ls", value);
    cliPrintValue(key, line);
}

void PrintSettings() {
    SettingsValues values;
    readSettings(&kPlatformFolders, &values);
    for (int id = 0; id < kSettingCount; ++id) {
        wchar_t text[kPathCapacity + 16];
        formatSettingValue(id, values, text, kPathCapacity + 16);
        PrintText(settingName(id), text, values.usedDefault[id]);
    }
    fflush(stdout);
}

// A 32-bit number, decimal or 0x-hex.
bool ParseUnsigned(const wchar_t* text, uint32_t* value) {
    bool hex = text[0] == L'0' && (text[1] == L'x' || text[1] == L'X');
    const wchar_t* digits = hex ? text + 2 : text;
    // The C library would also take spaces, a sign or a second "0x" here.
    if (!iswxdigit(static_cast<wint_t>(digits[0])) || (!hex && !iswdigit(static_cast<wint_t>(digits[0])))) return false;
    wchar_t* end = nullptr;
    unsigned long long v = wcstoull(digits, &end, hex ? 16 : 10);
    if (*end != 0 || v > 0xFFFFFFFFull) return false;
    *value = static_cast<uint32_t>(v);
    return true;
}

}  // namespace

int cliSettings(int argc, wchar_t** argv) {
    const wchar_t* storePath = nullptr;
    for (int i = 0; i < argc; ++i) {
        if (wcscmp(argv[i], L"--store") == 0 && i + 1 < argc) {
            storePath = argv[++i];
        } else {
            return cliUsageError("unknown option or missing value");
        }
    }
    if (storePath) {
        unsigned char* bytes = nullptr;
        bool readFailed = false;
        int64_t n = readWholeFile(&kPlatformFiles, storePath, kMaxStoreFileBytes, &bytes, &readFailed);
        std::vector<char> text(bytes, bytes + (n > 0 ? n : 0));
        free(bytes);
        if (n < 0 || readFailed) {
            fprintf(stderr, "notafon-cli: cannot read the store file (missing, unreadable or over 1 MiB)\n");
            return 1;
        }
        memorySettingsReset(&fileStore);
        int badLine = 0;
        int result = loadSettingsText(&fileStore, text.data(), text.size(), &badLine);
        if (result != 0) {
            fprintf(stderr, "notafon-cli: store file line %d: %s\n", badLine,
                    result == -2 ? "the value is too large or there are too many values"
                                 : "expected 'Name dword VALUE', 'Name sz TEXT' or 'Name binary HEX'");
            return 1;
        }
        settingsStoreInstall(memorySettingsSeam(&fileStore));
    } else {
#ifdef _WIN32
        settingsStoreInstall(registrySettingsStore(kSettingsKeyPath));
#else
        return cliUsageError("settings needs --store FILE here: this platform has no registry");
#endif
    }
    PrintSettings();
    return 0;
}

int cliShortcutText(int argc, wchar_t** argv) {
    uint32_t numbers[2];
    int count = 0;
    uint32_t capacity = 128;
    for (int i = 0; i < argc; ++i) {
        if (wcscmp(argv[i], L"--capacity") == 0 && i + 1 < argc) {
            if (!ParseUnsigned(argv[++i], &capacity) || capacity < 1 || capacity > 1024) {
                return cliUsageError("--capacity takes a number from 1 to 1024");
            }
        } else if (count < 2 && ParseUnsigned(argv[i], &numbers[count])) {
            ++count;
        } else {
            return cliUsageError("shortcut-text takes MODS and KEY, each a 32-bit number (decimal or 0x-hex)");
        }
    }
    if (count != 2) return cliUsageError("shortcut-text takes MODS and KEY");
#ifdef _WIN32
    shortcutTextInstall(&kLayoutKeyNames);
#else
    shortcutTextInstall(&kEnglishKeyNames);
#endif
    std::vector<wchar_t> text(capacity);
    ShortcutToText(numbers[0], numbers[1], text.data(), static_cast<int>(capacity));
    cliPrintValue("Text", text.data());
    fflush(stdout);
    return 0;
}
