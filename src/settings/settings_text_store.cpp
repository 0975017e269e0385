// Parsing the plain-text settings form. Every field is bounded: names and texts longer than the store holds are
// refused, never cut, so a loaded store says exactly what the file says.
#include "settings/settings_text_store.h"

#include <stdint.h>
#include <string.h>

namespace {

const int kTextCapacity = kMemorySettingsValueBytes / static_cast<int>(sizeof(wchar_t));

// Decodes UTF-8 into wide text (UTF-16 where wchar_t has 16 bits). Returns the length; -1 for invalid input, -2 when
// it does not fit with its terminator.
int DecodeUtf8(const char* in, size_t n, wchar_t* out, int capacity) {
    int length = 0;
    size_t i = 0;
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(in[i]);
        uint32_t code;
        int extra;
        if (c < 0x80) {
            code = c;
            extra = 0;
        } else if (c >= 0xC2 && c < 0xE0) {
            code = c & 0x1Fu;
            extra = 1;
        } else if (c >= 0xE0 && c < 0xF0) {
            code = c & 0x0Fu;
            extra = 2;
        } else if (c >= 0xF0 && c < 0xF5) {
            code = c & 0x07u;
            extra = 3;
        } else {
            return -1;
        }
        if (static_cast<size_t>(extra) > n - i - 1) return -1;  // cut off by the end of the field
        for (int k = 1; k <= extra; ++k) {
            unsigned char d = static_cast<unsigned char>(in[i + static_cast<size_t>(k)]);
            if ((d & 0xC0u) != 0x80u) return -1;
            code = (code << 6) | (d & 0x3Fu);
        }
        i += static_cast<size_t>(extra) + 1;
        // Overlong forms, surrogates and values past the last code point are not text.
        if ((extra == 2 && code < 0x800) || (extra == 3 && code < 0x10000) || code > 0x10FFFF ||
            (code >= 0xD800 && code < 0xE000)) {
            return -1;
        }
        if constexpr (sizeof(wchar_t) == 2) {
            if (code >= 0x10000) {  // a surrogate pair
                if (length + 2 >= capacity) return -2;
                code -= 0x10000;
                out[length++] = static_cast<wchar_t>(0xD800 + (code >> 10));
                out[length++] = static_cast<wchar_t>(0xDC00 + (code & 0x3FFu));
                continue;
            }
        }
        if (length + 1 >= capacity) return -2;
        out[length++] = static_cast<wchar_t>(code);
    }
    out[length] = 0;
    return length;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool ParseNumber(const char* s, size_t n, uint32_t* value) {
    if (n > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        if (n - 2 > 8) return false;
        uint32_t v = 0;
        for (size_t i = 2; i < n; ++i) {
            int d = HexDigit(s[i]);
            if (d < 0) return false;
            v = (v << 4) | static_cast<uint32_t>(d);
        }
        *value = v;
        return true;
    }
    bool negative = n > 0 && s[0] == '-';
    size_t i = negative ? 1 : 0;
    if (i >= n) return false;
    uint64_t v = 0;
    for (; i < n; ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        v = v * 10 + static_cast<uint64_t>(s[i] - '0');
        if (v > 0xFFFFFFFFull) return false;
    }
    if (negative) {
        if (v > 0x80000000ull) return false;
        v = (0x100000000ull - v) & 0xFFFFFFFFull;
    }
    *value = static_cast<uint32_t>(v);
    return true;
}

bool Is(const char* s, size_t n, const char* word) {
    return strlen(word) == n && memcmp(s, word, n) == 0;
}

void TrimRight(const char* s, size_t* n) {
    while (*n > 0 && (s[*n - 1] == ' ' || s[*n - 1] == '\t')) --*n;
}

// One non-empty line: 0, -1 malformed, -2 not storable.
int LoadLine(MemorySettingsStore* memory, const char* line, size_t n) {
    size_t nameEnd = 0;
    while (nameEnd < n && line[nameEnd] != ' ') ++nameEnd;
    if (nameEnd == 0 || nameEnd == n) return -1;
    wchar_t name[kMemorySettingsNameCapacity];
    int nameLength = DecodeUtf8(line, nameEnd, name, kMemorySettingsNameCapacity);
    if (nameLength < 0) return nameLength;
    const char* kind = line + nameEnd + 1;
    size_t rest = n - nameEnd - 1;
    size_t kindLength = 0;
    while (kindLength < rest && kind[kindLength] != ' ') ++kindLength;
    const char* value = kind + kindLength + (kindLength < rest ? 1 : 0);
    size_t valueLength = rest - kindLength - (kindLength < rest ? 1 : 0);

    if (Is(kind, kindLength, "sz")) {
        wchar_t text[kTextCapacity];
        int length = DecodeUtf8(value, valueLength, text, kTextCapacity);
        if (length < 0) return length;
        return memorySettingsPutText(memory, name, text) == 0 ? 0 : -2;
    }
    TrimRight(value, &valueLength);
    if (Is(kind, kindLength, "dword")) {
        uint32_t number = 0;
        if (!ParseNumber(value, valueLength, &number)) return -1;
        return memorySettingsPutNumber(memory, name, number) == 0 ? 0 : -2;
    }
    if (Is(kind, kindLength, "binary")) {
        unsigned char bytes[kMemorySettingsValueBytes];
        uint32_t count = 0;
        for (size_t i = 0; i < valueLength;) {
            if (value[i] == ' ') {
                ++i;
                continue;
            }
            if (i + 1 >= valueLength) return -1;
            int high = HexDigit(value[i]), low = HexDigit(value[i + 1]);
            if (high < 0 || low < 0) return -1;
            if (count >= static_cast<uint32_t>(kMemorySettingsValueBytes)) return -2;
            bytes[count++] = static_cast<unsigned char>(high * 16 + low);
            i += 2;
        }
        return memorySettingsPut(memory, name, kSettingTypeBinary, bytes, count) == 0 ? 0 : -2;
    }
    return -1;
}

}  // namespace

int loadSettingsText(MemorySettingsStore* memory, const char* text, size_t length, int* badLine) {
    int lineNumber = 0;
    size_t start = 0;
    while (start < length) {
        size_t end = start;
        while (end < length && text[end] != '\n') ++end;
        ++lineNumber;
        size_t n = end - start;
        if (n > 0 && text[start + n - 1] == '\r') --n;
        if (n > 0 && text[start] != '#') {
            int result = LoadLine(memory, text + start, n);
            if (result != 0) {
                if (badLine) *badLine = lineNumber;
                return result;
            }
        }
        start = end + 1;
    }
    return 0;
}
