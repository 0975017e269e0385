// POSIX implementation of the file seam, used by the native build (tests, the command-line harness, benchmarks).
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wchar.h>

#include <cerrno>

#include "base/file_api.h"

namespace {

// Wide path to UTF-8; false when it does not fit.
bool ToNarrow(const wchar_t* path, char* out, size_t capacity) {
    mbstate_t state{};
    const wchar_t* src = path;
    size_t n = wcsrtombs(out, &src, capacity, &state);
    if (n == static_cast<size_t>(-1) || src != nullptr) return false;
    return true;
}

Outcome Create(const wchar_t* path, int createMode, int /*shareMode*/, FileHandle* file) {
    *file = kNoFile;
    char narrow[4096];
    if (!ToNarrow(path, narrow, sizeof narrow)) return Outcome::kCreateFailed;
    int flags = O_WRONLY | O_CLOEXEC;
    if (createMode != kFileOpenExisting) flags |= O_CREAT | (createMode == kFileCreateAlways ? O_TRUNC : O_EXCL);
    int fd = open(narrow, flags, 0644);
    if (fd < 0) return errno == ENOSPC ? Outcome::kDiskFull : Outcome::kCreateFailed;
    *file = static_cast<FileHandle>(fd);
    return Outcome::kOk;
}

Outcome OpenRead(const wchar_t* path, FileHandle* file) {
    *file = kNoFile;
    char narrow[4096];
    if (!ToNarrow(path, narrow, sizeof narrow)) return Outcome::kOpenFailed;
    int fd = open(narrow, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Outcome::kOpenFailed;
    *file = static_cast<FileHandle>(fd);
    return Outcome::kOk;
}

Outcome Write(FileHandle file, const void* data, uint32_t bytes, uint32_t* written) {
    const char* p = static_cast<const char*>(data);
    uint32_t done = 0;
    bool full = false;
    while (done < bytes) {
        ssize_t n = ::write(static_cast<int>(file), p + done, bytes - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == ENOSPC) full = true;
        // A write that takes nothing without an error is a full volume as well.
        if (n == 0) full = true;
        if (n <= 0) break;
        done += static_cast<uint32_t>(n);
    }
    if (written) *written = done;
    if (done == bytes) return Outcome::kOk;
    return full ? Outcome::kDiskFull : Outcome::kWriteFailed;
}

Outcome Flush(FileHandle file) {
    return fsync(static_cast<int>(file)) == 0 ? Outcome::kOk : Outcome::kWriteFailed;
}

Outcome SetSize(FileHandle file, int64_t size) {
    int fd = static_cast<int>(file);
    if (ftruncate(fd, static_cast<off_t>(size)) != 0) return Outcome::kWriteFailed;
    return lseek(fd, static_cast<off_t>(size), SEEK_SET) < 0 ? Outcome::kWriteFailed : Outcome::kOk;
}

Outcome Read(FileHandle file, void* data, uint32_t bytes, uint32_t* got) {
    ssize_t n;
    do {
        n = ::read(static_cast<int>(file), data, bytes);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return Outcome::kReadFailed;
    if (got) *got = static_cast<uint32_t>(n);
    return Outcome::kOk;
}

Outcome SeekStart(FileHandle file, int64_t offset) {
    return lseek(static_cast<int>(file), static_cast<off_t>(offset), SEEK_SET) < 0 ? Outcome::kReadFailed
                                                                                   : Outcome::kOk;
}

Outcome SeekEnd(FileHandle file) {
    return lseek(static_cast<int>(file), 0, SEEK_END) < 0 ? Outcome::kReadFailed : Outcome::kOk;
}

void Close(FileHandle file) {
    if (file != kNoFile) ::close(static_cast<int>(file));
}

int64_t SizeOfPath(const wchar_t* path) {
    char narrow[4096];
    struct stat st;
    if (!ToNarrow(path, narrow, sizeof narrow) || stat(narrow, &st) != 0) return -1;
    return static_cast<int64_t>(st.st_size);
}

int64_t ModifiedTime(const wchar_t* path) {
    char narrow[4096];
    struct stat st;
    if (!ToNarrow(path, narrow, sizeof narrow) || stat(narrow, &st) != 0) return -1;
    return static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

bool Exists(const wchar_t* path) {
    char narrow[4096];
    struct stat st;
    return ToNarrow(path, narrow, sizeof narrow) && stat(narrow, &st) == 0;
}

Outcome Remove(const wchar_t* path) {
    char narrow[4096];
    return ToNarrow(path, narrow, sizeof narrow) && unlink(narrow) == 0 ? Outcome::kOk : Outcome::kWriteFailed;
}

Outcome Rename(const wchar_t* from, const wchar_t* to) {
    char narrowFrom[4096], narrowTo[4096];
    if (!ToNarrow(from, narrowFrom, sizeof narrowFrom) || !ToNarrow(to, narrowTo, sizeof narrowTo)) {
        return Outcome::kWriteFailed;
    }
    // rename() would replace what is at `to`; a hard link cannot, so the move never overwrites a file.
    if (link(narrowFrom, narrowTo) != 0) return Outcome::kWriteFailed;
    return unlink(narrowFrom) == 0 ? Outcome::kOk : Outcome::kWriteFailed;
}

Outcome Replace(const wchar_t* from, const wchar_t* to) {
    char narrowFrom[4096], narrowTo[4096];
    if (!ToNarrow(from, narrowFrom, sizeof narrowFrom) || !ToNarrow(to, narrowTo, sizeof narrowTo)) {
        return Outcome::kWriteFailed;
    }
    return ::rename(narrowFrom, narrowTo) == 0 ? Outcome::kOk : Outcome::kWriteFailed;
}

Outcome CreateDirectory(const wchar_t* path) {
    char narrow[4096];
    return ToNarrow(path, narrow, sizeof narrow) && mkdir(narrow, 0755) == 0 ? Outcome::kOk : Outcome::kCreateFailed;
}

}  // namespace

const FileApi kPlatformFiles = {Create, OpenRead,   Write,  Flush,  SetSize, Read,    SeekStart,       SeekEnd,
                                Close,  SizeOfPath, Exists, Remove, Rename,  Replace, CreateDirectory, ModifiedTime};
