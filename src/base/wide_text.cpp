// Bounded wide-text helpers shared by every subsystem that formats texts for the window.
#include "base/wide_text.h"

#include <stdarg.h>
#include <wchar.h>

void WideCopyBounded(wchar_t* dst, int capacity, const wchar_t* src) {
    if (capacity <= 0) return;
    int i = 0;
    for (; i < capacity - 1 && src[i]; ++i) dst[i] = src[i];
    dst[i] = 0;
}

int WideFormat(wchar_t* dst, int capacity, const wchar_t* format, ...) {
    if (capacity <= 0) return 0;
    // Every caller's texts are far shorter than this; formatting into a roomy scratch buffer and cutting afterwards
    // keeps the cut identical on every C library (some leave the destination undefined when it is too small).
    wchar_t scratch[2048];
    va_list args;
    va_start(args, format);
    int n = vswprintf(scratch, sizeof scratch / sizeof scratch[0], format, args);
    va_end(args);
    if (n < 0) scratch[0] = 0;
    WideCopyBounded(dst, capacity, scratch);
    return static_cast<int>(wcslen(dst));
}

namespace {

wchar_t FoldAscii(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

}  // namespace

bool WideEqualsIgnoringAsciiCase(const wchar_t* a, const wchar_t* b) {
    for (; *a && *b; ++a, ++b) {
        if (FoldAscii(*a) != FoldAscii(*b)) return false;
    }
    return *a == *b;
}
