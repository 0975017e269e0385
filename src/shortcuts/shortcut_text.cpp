// Building a shortcut's display text within a fixed capacity.
#include "shortcuts/shortcut_text.h"

#include "base/wide_text.h"
#include "shortcuts/shortcut.h"

namespace {

const KeyNameApi* keyNames;

const uint32_t kExtendedKeyFlag = 0x01000000;

// The layout names these keys from their scan code only when the extended-key flag is set; without it the same scan
// codes name the numeric keypad's keys (Home would read as the keypad's 7, Num Lock as Pause).
bool NeedsExtendedFlag(uint32_t key) {
    return (key >= 0x21 && key <= 0x28) || key == 0x2D || key == 0x2E || key == 0x90;
}

uint32_t KeyNameRequest(uint32_t key) {
    uint32_t request = (keyNames->scanCode(key) & 0xFFu) << 16;
    if (NeedsExtendedFlag(key)) request |= kExtendedKeyFlag;
    return request;
}

}  // namespace

void shortcutTextInstall(const KeyNameApi* api) {
    keyNames = api;
}

void AppendBounded(wchar_t* buffer, int capacity, const wchar_t* text) {
    if (capacity <= 0) return;
    int length = 0;
    while (length < capacity && buffer[length]) ++length;
    if (length >= capacity - 1) {
        // Already full. A string with no terminator inside the buffer is cut here, so the result is terminated.
        buffer[capacity - 1] = 0;
        return;
    }
    for (int i = 0; text[i] && length < capacity - 1; ++i) buffer[length++] = text[i];
    buffer[length] = 0;
}

void ShortcutToText(uint32_t mods, uint32_t key, wchar_t* buffer, int capacity) {
    if (capacity <= 0) return;
    buffer[0] = 0;
    if (mods & kModCtrl) AppendBounded(buffer, capacity, L"Ctrl+");
    if (mods & kModAlt) AppendBounded(buffer, capacity, L"Alt+");
    if (mods & kModShift) AppendBounded(buffer, capacity, L"Shift+");
    if (mods & kModWin) AppendBounded(buffer, capacity, L"Win+");
    wchar_t name[kKeyNameCapacity];
    name[0] = 0;
    int length = keyNames ? keyNames->keyName(KeyNameRequest(key), name, kKeyNameCapacity) : 0;
    // An empty name counts as none too: some layout services report a length for a key they cannot name, and a bare
    // "Ctrl+" would hide which key the shortcut uses.
    if (length <= 0 || name[0] == 0) WideFormat(name, kKeyNameCapacity, L"Key %u", static_cast<unsigned>(key));
    name[kKeyNameCapacity - 1] = 0;
    AppendBounded(buffer, capacity, name);
}
