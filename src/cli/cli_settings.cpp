// notafon-cli settings and shortcut-text: the settings as the application reads them at start (from the registry
// key, or from a text store file), and a shortcut's display text. Natively there is no registry and no keyboard
// layout service: --store is the only source, and key names come from the built-in English table.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>
#include <wctype.h>

#include <vector>

#include "app/app_services.h"
#include "base/file_api.h"
#include "base/file_read.h"
#include "base/wide_text.h"
#include "cli/cli.h"
#include "cli/cli_host.h"
#include "cli/cli_options.h"
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
    bool usedDefault[kSettingValueCount];
    readSettings(&kPlatformFolders, &values, usedDefault);
    for (int value = 0; value < kSettingValueCount; ++value) {
        wchar_t text[kPathCapacity + 16];
        formatSettingValue(value, values, text, kPathCapacity + 16);
        PrintText(settingName(value), text, usedDefault[value]);
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
    const CliOption options[] = {cliText(L"--store", &storePath)};
    const CliCommandLine line = {options, 1, nullptr, 0, "unknown option or missing value"};
    char refusal[kCliRefusalCapacity];
    if (cliParseCommandLine(line, argc, argv, refusal) < 0) return cliUsageError(refusal);
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
        const SettingsStoreApi store = memorySettingsSeam(&fileStore);
        const AppServices services = {.settings = &store};
        appInstall(&services);
    } else {
#ifdef _WIN32
        const SettingsStoreApi store = registrySettingsStore(kSettingsKeyPath);
        const AppServices services = {.settings = &store};
        appInstall(&services);
#else
        return cliUsageError("settings needs --store FILE here: this platform has no registry");
#endif
    }
    PrintSettings();
    return 0;
}

int cliShortcutText(int argc, wchar_t** argv) {
    int capacity = 128;
    const wchar_t* operands[2] = {nullptr, nullptr};
    const char kNumbers[] = "shortcut-text takes MODS and KEY, each a 32-bit number (decimal or 0x-hex)";
    const CliOption options[] = {cliWholeNumber(L"--capacity", 1, 1024, &capacity)};
    const CliCommandLine line = {options, 1, operands, 2, kNumbers};
    char refusal[kCliRefusalCapacity];
    int count = cliParseCommandLine(line, argc, argv, refusal);
    if (count < 0) return cliUsageError(refusal);
    if (count != 2) return cliUsageError("shortcut-text takes MODS and KEY");
    uint32_t numbers[2];
    for (int k = 0; k < 2; ++k) {
        if (!ParseUnsigned(operands[k], &numbers[k])) return cliUsageError(kNumbers);
    }
#ifdef _WIN32
    const AppServices services = {.keyNames = &kLayoutKeyNames};
#else
    const AppServices services = {.keyNames = &kEnglishKeyNames};
#endif
    appInstall(&services);
    std::vector<wchar_t> text(static_cast<size_t>(capacity));
    ShortcutToText(numbers[0], numbers[1], text.data(), capacity);
    cliPrintValue("Text", text.data());
    fflush(stdout);
    return 0;
}
