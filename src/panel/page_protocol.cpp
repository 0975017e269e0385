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
