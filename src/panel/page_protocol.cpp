// The page protocol's texts. The page compares nothing but these strings, so they are kept byte for byte.
#include "panel/page_protocol.h"

#include <wchar.h>

#include "base/file_path.h"

const wchar_t kPageReadyText[] = L"notafon-ready";
const wchar_t kPageSignedInText[] = L"notafon-signed-in";
const wchar_t kPageSignedOutText[] = L"notafon-signed-out";
const wchar_t kPageRequestAudioText[] = L"notafon-request-audio";

// A reserved top-level name, so the mapping can never shadow a real site the page talks to.
const wchar_t kHandoffHost[] = L"handoff.notafon.example";

PageMessage ClassifyPageMessage(const wchar_t* text) {
    if (!text || !text[0]) return kPageMessageOther;
    if (wcscmp(text, kPageReadyText) == 0) return kPageMessageReady;
    if (wcscmp(text, kPageSignedInText) == 0) return kPageMessageSignedIn;
    if (wcscmp(text, kPageSignedOutText) == 0) return kPageMessageSignedOut;
    if (wcscmp(text, kPageRequestAudioText) == 0) return kPageMessageRequestAudio;
    return kPageMessageOther;
}

void HandoffExtension(const wchar_t* path, wchar_t* out, int capacity) {
    // Only the file's own name counts: the last dot of the whole path may sit in a folder name ("D:\v1.2\take"),
    // and an "extension" holding a separator would name a copy in a folder that does not exist.
    const wchar_t* dot = wcsrchr(PathBaseName(path), L'.');
    const wchar_t* extension = L"mp3";
    if (dot) {
        size_t suffix = wcslen(dot);  // the dot included
        if (suffix >= 2 && suffix <= 7) extension = dot + 1;
    }
    if (capacity <= 0) return;
    int i = 0;
    for (; i < capacity - 1 && extension[i]; ++i) out[i] = extension[i];
    out[i] = 0;
}

int HandoffCopyName(wchar_t* out, int capacity, uint32_t counter, uint32_t ticks, const wchar_t* extension) {
    int n = swprintf(out, static_cast<size_t>(capacity), L"audio-%u-%lu.%ls", static_cast<unsigned>(counter),
                     static_cast<unsigned long>(ticks), extension);
    if (n < 0 || n >= capacity) {
        if (capacity > 0) out[0] = 0;
        return -1;
    }
    return n;
}

int EscapeHandoffName(const wchar_t* name, wchar_t* out, int capacity) {
    int n = 0;
    // A character is taken only while at most 631 are written, so an escape pair fits whole or is left out.
    for (const wchar_t* p = name; *p && n <= kEscapedNameMax - 2 && n + 2 < capacity; ++p) {
        wchar_t c = *p;
        if (c == L'\\' || c == L'"') {
            out[n++] = L'\\';
            out[n++] = c;
        } else if (c < 0x20) {
            out[n++] = L' ';
        } else {
            out[n++] = c;
        }
    }
    if (capacity > 0) out[n] = 0;
    return n;
}

int FormatHandoffMessage(wchar_t* out, int capacity, const wchar_t* copyName, const wchar_t* escapedName) {
    int n = swprintf(out, static_cast<size_t>(capacity),
                     L"{\"type\":\"notafon-audio\",\"url\":\"https://%ls/%ls\",\"name\":\"%ls\"}", kHandoffHost,
                     copyName, escapedName);
    if (n < 0 || n >= capacity) {
        if (capacity > 0) out[0] = 0;
        return -1;
    }
    return n;
}

namespace {

wchar_t AsciiLower(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// The length of prefix when text starts with it (ASCII case aside), else 0.
size_t StartsWithIgnoringCase(const wchar_t* text, const wchar_t* prefix) {
    size_t n = 0;
    for (; prefix[n]; ++n) {
        if (AsciiLower(text[n]) != AsciiLower(prefix[n])) return 0;
    }
    return n;
}

int HexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    c = AsciiLower(c);
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    return -1;
}

}  // namespace

bool UriHasOrigin(const wchar_t* uri, const wchar_t* origin) {
    if (!uri || !origin || !origin[0]) return false;
    size_t n = StartsWithIgnoringCase(uri, origin);
    if (n == 0) return false;
    wchar_t next = uri[n];
    return next == 0 || next == L'/' || next == L'?' || next == L'#';
}

int HandoffRequestName(const wchar_t* uri, const wchar_t* host, wchar_t* out, int capacity) {
    if (!uri || !host || capacity <= 0) return -1;
    out[0] = 0;
    size_t scheme = StartsWithIgnoringCase(uri, L"https://");
    if (scheme == 0) return -1;
    size_t hostLength = StartsWithIgnoringCase(uri + scheme, host);
    if (hostLength == 0 || uri[scheme + hostLength] != L'/') return -1;
    const wchar_t* p = uri + scheme + hostLength + 1;

    // Percent escapes are bytes of UTF-8; the other characters are taken as they are.
    unsigned char bytes[256];
    int byteCount = 0;
    int n = 0;
    auto flush = [&]() -> bool {
        int i = 0;
        while (i < byteCount) {
            unsigned c = bytes[i];
            int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
            if (extra < 0 || i + extra >= byteCount) return false;
            uint32_t code = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
            for (int k = 1; k <= extra; ++k) {
                if ((bytes[i + k] >> 6) != 2) return false;
                code = (code << 6) | (bytes[i + k] & 0x3F);
            }
            i += extra + 1;
            if (code >= 0x10000) {
                if (n + 2 >= capacity) return false;
                code -= 0x10000;
                out[n++] = static_cast<wchar_t>(0xD800 + (code >> 10));
                out[n++] = static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
            } else {
                if (n + 1 >= capacity) return false;
                out[n++] = static_cast<wchar_t>(code);
            }
        }
        byteCount = 0;
        return true;
    };
    for (; *p && *p != L'?' && *p != L'#'; ++p) {
        if (*p == L'%') {
            int high = HexValue(p[1]);
            int low = high < 0 ? -1 : HexValue(p[2]);
            if (low < 0 || byteCount == 256) return -1;
            bytes[byteCount++] = static_cast<unsigned char>(high * 16 + low);
            p += 2;
            continue;
        }
        if (!flush()) return -1;
        if (*p == L'/' || *p == L'\\' || n + 1 >= capacity) return -1;
        out[n++] = *p;
    }
    if (!flush()) return -1;
    out[n] = 0;
    // A decoded separator would reach outside the folder.
    for (int i = 0; i < n; ++i) {
        if (out[i] == L'/' || out[i] == L'\\' || out[i] == 0) return -1;
    }
    return n;
}

int FormatHandoffHeaders(wchar_t* out, int capacity, const wchar_t* origin, const wchar_t* copyName) {
    const wchar_t* dot = wcsrchr(copyName, L'.');
    const wchar_t* type = L"application/octet-stream";
    struct Type {
        const wchar_t* extension;
        const wchar_t* type;
    };
    static const Type kTypes[] = {
        {L".mp3", L"audio/mpeg"}, {L".wav", L"audio/wav"}, {L".m4a", L"audio/mp4"},
        {L".mp4", L"audio/mp4"},  {L".aac", L"audio/aac"}, {L".wma", L"audio/x-ms-wma"},
    };
    for (const Type& t : kTypes) {
        if (dot && StartsWithIgnoringCase(dot, t.extension) && wcslen(dot) == wcslen(t.extension)) type = t.type;
    }
    int n =
        swprintf(out, static_cast<size_t>(capacity),
                 L"Access-Control-Allow-Origin: %ls\r\nVary: Origin\r\nCache-Control: no-store\r\nContent-Type: %ls",
                 origin, type);
    if (n < 0 || n >= capacity) {
        if (capacity > 0) out[0] = 0;
        return -1;
    }
    return n;
}
