// Recording names, numbering and the marks file.
#include "recorder/recording_names.h"

#include <stdio.h>
#include <wchar.h>

#include "base/wide_text.h"

namespace {

bool IsUnsafe(wchar_t c) {
    if (c <= 31) return true;
    switch (c) {
        case L'\\':
        case L'/':
        case L':':
        case L'*':
        case L'?':
        case L'"':
        case L'<':
        case L'>':
        case L'|':
            return true;
        default:
            return false;
    }
}

wchar_t Lower(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool EndsWithNoCase(const wchar_t* s, int len, const wchar_t* tail) {
    int n = static_cast<int>(wcslen(tail));
    if (len < n) return false;
    for (int i = 0; i < n; ++i) {
        if (Lower(s[len - n + i]) != tail[i]) return false;
    }
    return true;
}

void JoinPath(wchar_t* out, const wchar_t* folder, const wchar_t* base, const wchar_t* extension) {
    WideFormat(out, kPathCapacity, L"%ls" NOTAFON_PATH_SEPARATOR L"%ls.%ls", folder, base, extension);
}

}  // namespace

void sanitizeRecordingName(const wchar_t* boxText, wchar_t* out, int capacity) {
    wchar_t name[kFileNameMaxKept + 1];
    int len = 0;
    // Only the first 199 characters are read from the box, and of those the first 150 are kept.
    for (int i = 0; i < kFileNameBoxMaxRead && i < kFileNameMaxKept && boxText[i]; ++i) {
        name[len++] = IsUnsafe(boxText[i]) ? L'-' : boxText[i];
    }
    while (len > 0 && (name[len - 1] == L' ' || name[len - 1] == L'.')) --len;
    if (len > 4 && (EndsWithNoCase(name, len, L".mp3") || EndsWithNoCase(name, len, L".wav"))) len -= 4;
    int start = 0;
    while (start < len && name[start] == L' ') ++start;
    name[len] = 0;
    WideCopyBounded(out, capacity, name + start);
}

void buildRecordingPaths(const wchar_t* boxText, const wchar_t* folder, const wchar_t* extension, bool replace,
                         const LocalDateTime& now, bool (*exists)(const wchar_t* path), wchar_t* recordingPath,
                         wchar_t* marksPath) {
    wchar_t name[kFileNameMaxKept + 1];
    sanitizeRecordingName(boxText, name, kFileNameMaxKept + 1);
    if (name[0] == 0) {
        WideFormat(name, kFileNameMaxKept + 1, L"recording-%04d%02d%02d-%02d%02d%02d", now.year, now.month, now.day,
                   now.hour, now.minute, now.second);
    }
    wchar_t base[kPathCapacity];
    WideCopyBounded(base, kPathCapacity, name);
    JoinPath(recordingPath, folder, base, extension);
    if (!replace) {
        for (int n = 2; exists(recordingPath) && n <= kMaxNumberedCandidate; ++n) {
            WideFormat(base, kPathCapacity, L"%ls (%d)", name, n);
            JoinPath(recordingPath, folder, base, extension);
        }
    }
    WideFormat(marksPath, kPathCapacity, L"%ls" NOTAFON_PATH_SEPARATOR L"%ls-marks.txt", folder, base);
}

int formatMarkLine(int number, double seconds, char* out, int capacity) {
    if (capacity <= 0) return 0;
    long long t = seconds > 0.0 ? static_cast<long long>(seconds) : 0;
    int n = snprintf(out, static_cast<size_t>(capacity), "Mark %d  %02lld:%02lld\r\n", number, t / 60, t % 60);
    if (n < 0) n = 0;
    return n < capacity ? n : capacity - 1;
}

int writeMarksFile(const FileApi* files, const wchar_t* marksPath, const double* markTimes, int markCount) {
    FileHandle f = files->create(marksPath, kFileCreateAlways, kFileShareNone);
    if (f == kNoFile) return -1;
    for (int i = 0; i < markCount; ++i) {
        char line[64];
        int n = formatMarkLine(i + 1, markTimes[i], line, sizeof line);
        uint32_t written = 0;
        files->write(f, line, static_cast<uint32_t>(n), &written);
    }
    files->close(f);
    return 0;
}
