// Adapts the known-folders seam to the shell's folder lookup (Documents) and the kernel's temporary path. Anything
// but a plain success with a non-empty path counts as not found, so the caller falls back to the temporary path
// instead of building the recordings folder on an empty or partial path.
#include <windows.h>

#include <shlobj.h>

#include "base/wide_text.h"
#include "settings/known_folders.h"

namespace {

int Documents(wchar_t* out, int capacity) {
    wchar_t path[MAX_PATH];
    if (SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK || path[0] == 0) {
        return -1;
    }
    WideCopyBounded(out, capacity, path);
    return 0;
}

int Temporary(wchar_t* out, int capacity) {
    wchar_t path[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, path);
    if (n == 0 || n > MAX_PATH) return -1;
    WideCopyBounded(out, capacity, path);
    return 0;
}

}  // namespace

const KnownFoldersApi kPlatformFolders = {Documents, Temporary};
