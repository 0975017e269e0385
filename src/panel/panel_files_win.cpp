// Adapts the panel host's system needs to the shell (the local application-data folder, folder trees), the kernel
// (files, the executable's resource 200, CopyFileW, the tick count) and the C heap. Each call is one system call or a
// short loop, so all of the host's rules stay in the portable code.
#include <windows.h>

#include <shlobj.h>
#include <stdlib.h>
#include <wchar.h>

#include "base/file_path.h"
#include "base/wide_text.h"
#include "panel/panel_files_win.h"

int PanelLocalAppDataWin(wchar_t* out, int capacity) {
    wchar_t path[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path))) return -1;
    WideCopyBounded(out, capacity, path);
    return 0;
}

void PanelCreateFolderTreeWin(const wchar_t* path) {
    SHCreateDirectoryExW(nullptr, path, nullptr);
}

int PanelLoaderResourceWin(const void** data, uint32_t* size) {
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(200), RT_RCDATA);
    if (!found) return -1;
    HGLOBAL loaded = LoadResource(self, found);
    if (!loaded) return -2;
    const void* locked = LockResource(loaded);
    if (!locked) return -2;
    *data = locked;
    *size = SizeofResource(self, found);
    return 0;
}

int64_t PanelFileSizeWin(const wchar_t* path) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(path, &found);
    if (search == INVALID_HANDLE_VALUE) return -1;
    FindClose(search);
    return (static_cast<int64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
}

int PanelWriteNewFileWin(const wchar_t* path, const void* data, uint32_t size) {
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    DWORD written = 0;
    BOOL ok = WriteFile(file, data, size, &written, nullptr);
    CloseHandle(file);
    return ok && written == size ? 0 : -2;
}

void PanelEmptyFolderWin(const wchar_t* folder) {
    wchar_t pattern[300];
    if (PathJoin(pattern, 300, folder, L'\\', L"*", L"") < 0) return;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        // A path that does not fit would be cut and could name another file: leave that entry alone.
        wchar_t path[300];
        if (PathJoin(path, 300, folder, L'\\', found.cFileName, L"") < 0) continue;
        // DeleteFileW refuses a read-only file; such a copy would otherwise stay, and stay served, for good.
        if (found.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
            SetFileAttributesW(path, found.dwFileAttributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
        DeleteFileW(path);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

int PanelCopyFileWin(const wchar_t* from, const wchar_t* to) {
    if (!CopyFileW(from, to, FALSE)) return -1;
    // CopyFileW carries the source's attributes over: a read-only recording gives a read-only copy.
    DWORD attributes = GetFileAttributesW(to);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(to, attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    return 0;
}

uint32_t PanelTickCountWin() {
    return GetTickCount();
}

void* PanelAllocateZeroedWin(size_t bytes) {
    return calloc(1, bytes);
}

void PanelFreeMemoryWin(void* memory) {
    free(memory);
}
