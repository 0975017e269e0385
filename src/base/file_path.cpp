// File-name and path-joining rules shared by the recorder, the player view, the settings and the panel.
#include "base/file_path.h"

#include <wchar.h>

const wchar_t* PathBaseName(const wchar_t* path) {
    const wchar_t* name = path;
    for (const wchar_t* p = path; *p; ++p) {
        if (*p == L'\\' || *p == L'/') name = p + 1;
    }
    return name;
}

int PathJoin(wchar_t* out, int capacity, const wchar_t* folder, wchar_t separator, const wchar_t* name,
             const wchar_t* tail) {
    if (capacity <= 0) return -1;
    size_t folderLength = wcslen(folder), nameLength = wcslen(name), tailLength = wcslen(tail);
    // Measured before anything is written: a path that does not fit leaves nothing that could pass for one.
    if (folderLength + 1 + nameLength + tailLength >= static_cast<size_t>(capacity)) {
        out[0] = 0;
        return -1;
    }
    wmemcpy(out, folder, folderLength);
    out[folderLength] = separator;
    wmemcpy(out + folderLength + 1, name, nameLength);
    wmemcpy(out + folderLength + 1 + nameLength, tail, tailLength);
    out[folderLength + 1 + nameLength + tailLength] = 0;
    return 0;
}
