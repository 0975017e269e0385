// The remembered positions, kept as fixed-size binary values "Positions\File00" to "Positions\File49" so that the
// store needs no enumeration: a lookup reads every entry, which at fifty small values costs less than decoding the
// file it is for.
#include "settings/position_store.h"

#include <stddef.h>
#include <string.h>
#include <wchar.h>

#include "base/file_api.h"
#include "base/wide_text.h"
#include "settings/settings_store.h"

namespace {

// One entry as stored. `order` grows with every write, so the smallest is the oldest.
struct StoredPosition {
    uint32_t order;
    uint32_t milliseconds;
    int64_t size;
    int64_t modified;
    wchar_t path[kPathCapacity];
};

void EntryName(int index, wchar_t* out, int capacity) {
    WideFormat(out, capacity, L"Positions\\File%02d", index);
}

bool ReadEntry(int index, StoredPosition* entry) {
    wchar_t name[32];
    EntryName(index, name, 32);
    memset(entry, 0, sizeof *entry);
    uint32_t bytes = sizeof *entry;
    if (!readStoredBytes(name, kSettingTypeBinary, entry, &bytes)) return false;
    // A shorter value, or a path without its terminator, is not an entry this program wrote.
    const uint32_t header = offsetof(StoredPosition, path);
    if (bytes <= header || (bytes - header) % sizeof(wchar_t) != 0) return false;
    uint32_t chars = (bytes - header) / sizeof(wchar_t);
    return entry->path[chars - 1] == 0 && entry->path[0] != 0;
}

}  // namespace

bool recallPosition(const wchar_t* path, FileStamp stamp, double* seconds) {
    StoredPosition entry;
    for (int i = 0; i < kRememberedFileCount; ++i) {
        if (!ReadEntry(i, &entry) || !WideEqualsIgnoringAsciiCase(entry.path, path)) continue;
        if (entry.size != stamp.size || entry.modified != stamp.modified) return false;
        *seconds = entry.milliseconds / 1000.0;
        return true;
    }
    return false;
}

void rememberPosition(const wchar_t* path, FileStamp stamp, double seconds) {
    if (!path || !path[0]) return;
    int target = -1, freeSlot = -1, oldest = -1;
    uint32_t oldestOrder = 0, newest = 0;
    StoredPosition entry;
    for (int i = 0; i < kRememberedFileCount; ++i) {
        if (!ReadEntry(i, &entry)) {
            if (freeSlot < 0) freeSlot = i;
            continue;
        }
        if (entry.order > newest) newest = entry.order;
        if (target < 0 && WideEqualsIgnoringAsciiCase(entry.path, path)) target = i;
        if (oldest < 0 || entry.order < oldestOrder) {
            oldest = i;
            oldestOrder = entry.order;
        }
    }
    if (target < 0) target = freeSlot >= 0 ? freeSlot : oldest;
    memset(&entry, 0, sizeof entry);
    entry.order = newest + 1;
    entry.milliseconds = seconds > 0.0 ? static_cast<uint32_t>(seconds * 1000.0) : 0;
    entry.size = stamp.size;
    entry.modified = stamp.modified;
    WideCopyBounded(entry.path, kPathCapacity, path);
    uint32_t bytes = static_cast<uint32_t>(offsetof(StoredPosition, path) + (wcslen(entry.path) + 1) * sizeof(wchar_t));
    wchar_t name[32];
    EntryName(target, name, 32);
    writeStoredBytes(name, kSettingTypeBinary, &entry, bytes);
}

double reopenPosition(double recalled, double duration) {
    if (recalled > kRememberedMargin && recalled < duration - kRememberedMargin) return recalled;
    return 0.0;
}
