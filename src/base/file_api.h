// The file seam: the few file operations the recorder (and later the player and the panel hand-off) need.
// Paths are wide strings with the platform's separator; the Windows implementation goes through CreateFileW,
// the POSIX one through open/write and converts the path to UTF-8.
#pragma once

#include <stdint.h>

#include "base/outcome.h"

// Wide characters, terminator included: every path buffer of the application.
const int kPathCapacity = 260;

typedef intptr_t FileHandle;
const FileHandle kNoFile = -1;

enum FileCreateMode {
    kFileCreateNew = 0,     // fails when anything exists at the path
    kFileCreateAlways = 1,  // replaces an existing file
    kFileOpenExisting = 2,  // opens a file that is there, keeping its bytes (mending a recording)
};

enum FileShareMode {
    kFileShareRead = 0,  // others may read while we write (a recording in progress)
    kFileShareNone = 1,
};

struct FileApi {
    // Opens for writing: kOk and *file, or kCreateFailed (kDiskFull when the volume has no room) and kNoFile.
    Outcome (*create)(const wchar_t* path, int createMode, int shareMode, FileHandle* file);
    // Opens an existing file for reading: kOk and *file, or kOpenFailed and kNoFile.
    Outcome (*openRead)(const wchar_t* path, FileHandle* file);
    // Writes all bytes at the current position; *written says how many went out. kOk when all did, else
    // kWriteFailed, or kDiskFull when the volume ran out of room.
    Outcome (*write)(FileHandle file, const void* data, uint32_t bytes, uint32_t* written);
    // Asks the system to put everything written so far on the disk itself (not only in its cache): kOk, or
    // kWriteFailed. Slow; once per finished file.
    Outcome (*flush)(FileHandle file);
    // Cuts the file (or grows it) to exactly size bytes; the position goes to the new end. kOk, or kWriteFailed.
    Outcome (*setSize)(FileHandle file, int64_t size);
    // Reads up to bytes: kOk and *got (0 at the end), or kReadFailed.
    Outcome (*read)(FileHandle file, void* data, uint32_t bytes, uint32_t* got);
    // kOk, or kReadFailed when the position cannot be moved.
    Outcome (*seekStart)(FileHandle file, int64_t offset);
    Outcome (*seekEnd)(FileHandle file);
    void (*close)(FileHandle file);
    // Size from the file's attributes, or -1 when they cannot be read.
    int64_t (*sizeOfPath)(const wchar_t* path);
    // True when a file or a folder exists at the path.
    bool (*exists)(const wchar_t* path);
    // kOk, or kWriteFailed.
    Outcome (*remove)(const wchar_t* path);
    // Moves a file to a new name in the same folder; kWriteFailed when anything exists at `to`.
    Outcome (*rename)(const wchar_t* from, const wchar_t* to);
    // Moves `from` onto `to` in one step, replacing whatever file is at `to`, so that `to` is never missing.
    // Waits a little for a file another program holds only for a moment (a scanner or an indexer right after close).
    // kOk, or kWriteFailed.
    Outcome (*replace)(const wchar_t* from, const wchar_t* to);
    // One create-directory call (no parents); kCreateFailed when it fails or already exists.
    Outcome (*createDirectory)(const wchar_t* path);
    // The last-write time from the file's attributes in the platform's units, or -1 when they cannot be read.
    int64_t (*modifiedTime)(const wchar_t* path);
};

// The implementation for the platform this build runs on.
extern const FileApi kPlatformFiles;

#ifdef _WIN32
const wchar_t kPathSeparator = L'\\';
#define NOTAFON_PATH_SEPARATOR L"\\"
#else
const wchar_t kPathSeparator = L'/';
#define NOTAFON_PATH_SEPARATOR L"/"
#endif
