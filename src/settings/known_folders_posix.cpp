// The known folders of a POSIX user: ~/Documents when it exists, else TMPDIR or /tmp. Paths leave the environment as
// multibyte text and are widened with the C library (the harness sets a UTF-8 locale).
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>

#include "base/wide_text.h"
#include "settings/known_folders.h"

namespace {

int Widen(const char* path, wchar_t* out, int capacity) {
    if (capacity <= 0) return -1;
    size_t n = mbstowcs(out, path, static_cast<size_t>(capacity));
    if (n == static_cast<size_t>(-1) || n >= static_cast<size_t>(capacity)) {
        out[0] = 0;
        return -1;
    }
    return 0;
}

int Documents(wchar_t* out, int capacity) {
    const char* home = getenv("HOME");
    if (!home || !home[0]) return -1;
    char path[4096];
    int n = snprintf(path, sizeof path, "%s/Documents", home);
    if (n < 0 || n >= static_cast<int>(sizeof path)) return -1;
    struct stat info;
    if (stat(path, &info) != 0 || !S_ISDIR(info.st_mode)) return -1;
    return Widen(path, out, capacity);
}

int Temporary(wchar_t* out, int capacity) {
    const char* tmp = getenv("TMPDIR");
    return Widen(tmp && tmp[0] ? tmp : "/tmp", out, capacity);
}

}  // namespace

const KnownFoldersApi kPlatformFolders = {Documents, Temporary};
