// Win32 implementation of the file seam. Recording files are written with plain WriteFile calls on an unbuffered
// handle of our own, so every buffer reaches the system's file cache at once and survives a crash of this process.
#include <windows.h>

#include "base/file_api.h"

namespace {

HANDLE H(FileHandle f) {
    return reinterpret_cast<HANDLE>(f);
}

bool DiskFull(DWORD error) {
    return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL;
}

Outcome Create(const wchar_t* path, int createMode, int shareMode, FileHandle* file) {
    DWORD disposition = createMode == kFileCreateAlways ? CREATE_ALWAYS : CREATE_NEW;
    if (createMode == kFileOpenExisting) disposition = OPEN_EXISTING;
    HANDLE h = CreateFileW(path, GENERIC_WRITE, shareMode == kFileShareRead ? FILE_SHARE_READ : 0, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        *file = kNoFile;
        return DiskFull(GetLastError()) ? Outcome::kDiskFull : Outcome::kCreateFailed;
    }
    *file = reinterpret_cast<FileHandle>(h);
    return Outcome::kOk;
}

Outcome OpenRead(const wchar_t* path, FileHandle* file) {
    HANDLE h = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    *file = h == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<FileHandle>(h);
    return h == INVALID_HANDLE_VALUE ? Outcome::kOpenFailed : Outcome::kOk;
}

Outcome Write(FileHandle file, const void* data, uint32_t bytes, uint32_t* written) {
    DWORD n = 0;
    BOOL ok = WriteFile(H(file), data, bytes, &n, nullptr);
    if (written) *written = n;
    if (ok && n == bytes) return Outcome::kOk;
    // A write that succeeds short has run into the end of the volume's room.
    return ok || DiskFull(GetLastError()) ? Outcome::kDiskFull : Outcome::kWriteFailed;
}

Outcome Flush(FileHandle file) {
    return FlushFileBuffers(H(file)) ? Outcome::kOk : Outcome::kWriteFailed;
}

Outcome SetSize(FileHandle file, int64_t size) {
    LARGE_INTEGER li;
    li.QuadPart = size;
    if (!SetFilePointerEx(H(file), li, nullptr, FILE_BEGIN)) return Outcome::kWriteFailed;
    return SetEndOfFile(H(file)) ? Outcome::kOk : Outcome::kWriteFailed;
}

Outcome Read(FileHandle file, void* data, uint32_t bytes, uint32_t* got) {
    DWORD n = 0;
    if (!ReadFile(H(file), data, bytes, &n, nullptr)) return Outcome::kReadFailed;
    if (got) *got = n;
    return Outcome::kOk;
}

Outcome SeekStart(FileHandle file, int64_t offset) {
    LARGE_INTEGER li;
    li.QuadPart = offset;
    return SetFilePointerEx(H(file), li, nullptr, FILE_BEGIN) ? Outcome::kOk : Outcome::kReadFailed;
}

Outcome SeekEnd(FileHandle file) {
    LARGE_INTEGER li;
    li.QuadPart = 0;
    return SetFilePointerEx(H(file), li, nullptr, FILE_END) ? Outcome::kOk : Outcome::kReadFailed;
}

void Close(FileHandle file) {
    if (file != kNoFile) CloseHandle(H(file));
}

int64_t SizeOfPath(const wchar_t* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data)) return -1;
    return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

int64_t ModifiedTime(const wchar_t* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data)) return -1;
    return static_cast<int64_t>((static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                                data.ftLastWriteTime.dwLowDateTime);
}

bool Exists(const wchar_t* path) {
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

Outcome Remove(const wchar_t* path) {
    return DeleteFileW(path) ? Outcome::kOk : Outcome::kWriteFailed;
}

Outcome Rename(const wchar_t* from, const wchar_t* to) {
    // Without MOVEFILE_REPLACE_EXISTING the move fails when `to` exists.
    return MoveFileExW(from, to, 0) ? Outcome::kOk : Outcome::kWriteFailed;
}

// A virus scanner, the search indexer or a sync client opens a file right after it is closed and holds it for a
// moment; the move fails with a sharing or access error meanwhile.
const int kReplaceAttempts = 6;
const DWORD kReplaceRetryMs = 100;

Outcome Replace(const wchar_t* from, const wchar_t* to) {
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return Outcome::kOk;
        DWORD error = GetLastError();
        bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
        if (!held || attempt == kReplaceAttempts) return Outcome::kWriteFailed;
        Sleep(kReplaceRetryMs);
    }
}

Outcome CreateDirectoryOnce(const wchar_t* path) {
    return CreateDirectoryW(path, nullptr) ? Outcome::kOk : Outcome::kCreateFailed;
}

}  // namespace

const FileApi kPlatformFiles = {
    Create, OpenRead,   Write,  Flush,  SetSize, Read,    SeekStart,           SeekEnd,
    Close,  SizeOfPath, Exists, Remove, Rename,  Replace, CreateDirectoryOnce, ModifiedTime};
