// Recording names, numbering and the marks file.
#include "recorder/recording_names.h"

#include <stdio.h>
#include <wchar.h>

#include "base/file_path.h"
#include "base/wide_text.h"

namespace {

const wchar_t kMarksSuffix[] = L"-marks.txt";

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

// 0, or -1 when the path would not fit its buffer (it is then empty).
int JoinPath(wchar_t* out, const wchar_t* folder, const wchar_t* base, const wchar_t* extension) {
    wchar_t dotted[8];
    if (WideFormat(dotted, 8, L".%ls", extension) != static_cast<int>(wcslen(extension)) + 1) {
        out[0] = 0;
        return -1;
    }
    return PathJoin(out, kPathCapacity, folder, kPathSeparator, base, dotted);
}

int JoinMarksPath(wchar_t* out, const wchar_t* folder, const wchar_t* base) {
    return PathJoin(out, kPathCapacity, folder, kPathSeparator, base, kMarksSuffix);
}

// Windows opens a device, not a file, for these names, whatever follows their first dot and with trailing spaces
// before it: "nul.mp3", "NUL .notes.wav" and "com1.mp3" all name devices.
bool IsDeviceName(const wchar_t* name, int* stemLength) {
    static const wchar_t* const kDevices[] = {L"con", L"prn", L"aux", L"nul"};
    static const wchar_t* const kNumbered[] = {L"com", L"lpt"};
    int stem = 0;
    while (name[stem] && name[stem] != L'.') ++stem;
    int end = stem;
    while (end > 0 && name[end - 1] == L' ') --end;
    auto matches = [&](const wchar_t* word, int length) {
        for (int i = 0; i < length; ++i) {
            if (Lower(name[i]) != word[i]) return false;
        }
        return true;
    };
    if (end == 3) {
        for (const wchar_t* d : kDevices) {
            if (matches(d, 3)) {
                *stemLength = 3;
                return true;
            }
        }
    }
    if (end == 4) {
        wchar_t digit = name[3];
        // Windows also reserves the superscript digits one to three after COM and LPT.
        bool numbered = (digit >= L'1' && digit <= L'9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
        for (const wchar_t* d : kNumbered) {
            if (numbered && matches(d, 3)) {
                *stemLength = 4;
                return true;
            }
        }
    }
    return false;
}

}  // namespace

void avoidDeviceName(wchar_t* name, int capacity) {
    int stem = 0;
    if (!IsDeviceName(name, &stem)) return;
    // "nul" becomes "nul-" and "nul.notes" "nul-.notes": the hyphen goes right after the device word, so the part
    // before the first dot is no longer a device.
    int length = static_cast<int>(wcslen(name));
    if (length + 1 >= capacity) length = capacity - 2;
    for (int i = length; i > stem; --i) name[i] = name[i - 1];
    name[stem] = L'-';
    name[length + 1] = 0;
}

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

int buildRecordingPaths(const wchar_t* boxText, const wchar_t* folder, const wchar_t* extension, bool replace,
                        const LocalDateTime& now, bool (*exists)(const wchar_t* path), wchar_t* recordingPath,
                        wchar_t* marksPath) {
    // One more than a kept name: a device name may gain a hyphen.
    wchar_t name[kFileNameMaxKept + 2];
    sanitizeRecordingName(boxText, name, kFileNameMaxKept + 1);
    if (name[0] == 0) {
        WideFormat(name, kFileNameMaxKept + 1, L"recording-%04d%02d%02d-%02d%02d%02d", now.year, now.month, now.day,
                   now.hour, now.minute, now.second);
    }
    avoidDeviceName(name, kFileNameMaxKept + 2);
    wchar_t base[kPathCapacity];
    WideCopyBounded(base, kPathCapacity, name);
    int fits = JoinPath(recordingPath, folder, base, extension);
    fits |= JoinMarksPath(marksPath, folder, base);
    if (!replace) {
        // A marks file left by a recording in the other format counts as taken too: the new recording's marks would
        // overwrite it.
        for (int n = 2; (exists(recordingPath) || exists(marksPath)) && n <= kMaxNumberedCandidate; ++n) {
            WideFormat(base, kPathCapacity, L"%ls (%d)", name, n);
            fits = JoinPath(recordingPath, folder, base, extension);
            fits |= JoinMarksPath(marksPath, folder, base);
        }
    }
    // A cut path could name another file, or the recording and its marks file the same one.
    return fits == 0 ? 0 : -1;
}

int marksPathFor(const wchar_t* recordingPath, wchar_t* marksPath) {
    const wchar_t* dot = wcsrchr(PathBaseName(recordingPath), L'.');
    if (!dot) return -1;
    int stem = static_cast<int>(dot - recordingPath);
    int length = WideFormat(marksPath, kPathCapacity, L"%.*ls%ls", stem, recordingPath, kMarksSuffix);
    return length == stem + static_cast<int>(wcslen(kMarksSuffix)) ? 0 : -1;
}

int buildReplacedPath(const wchar_t* recordingPath, wchar_t* replacedPath) {
    // "talk.mp3" waits as "talk (replaced).mp3": it keeps its extension, so it still plays if it has to be recovered.
    const wchar_t* dot = wcsrchr(recordingPath, L'.');
    if (!dot) return -1;
    int stem = static_cast<int>(dot - recordingPath);
    int length = WideFormat(replacedPath, kPathCapacity, L"%.*ls (replaced)%ls", stem, recordingPath, dot);
    return length == static_cast<int>(wcslen(recordingPath)) + 11 ? 0 : -1;
}

int formatMarkLine(int number, double seconds, char* out, int capacity) {
    if (capacity <= 0) return 0;
    long long t = seconds > 0.0 ? static_cast<long long>(seconds) : 0;
    int n = snprintf(out, static_cast<size_t>(capacity), "Mark %d  %02lld:%02lld\r\n", number, t / 60, t % 60);
    if (n < 0) n = 0;
    return n < capacity ? n : capacity - 1;
}

Outcome writeMarksFile(const FileApi* files, const wchar_t* marksPath, const double* markTimes, int markCount,
                       bool toDisk) {
    FileHandle f = kNoFile;
    Outcome result = files->create(marksPath, kFileCreateAlways, kFileShareNone, &f);
    if (!succeeded(result)) return result;
    for (int i = 0; i < markCount; ++i) {
        char line[64];
        int n = formatMarkLine(i + 1, markTimes[i], line, sizeof line);
        uint32_t written = 0;
        // Every line is tried: a mark after a failed one is still worth keeping.
        Outcome w = files->write(f, line, static_cast<uint32_t>(n), &written);
        if (succeeded(result)) result = w;
    }
    if (toDisk) {
        Outcome flushed = files->flush(f);
        if (succeeded(result)) result = flushed;
    }
    files->close(f);
    return result;
}
