// The known-folders seam: where the default recordings folder comes from.
#pragma once

struct KnownFoldersApi {
    // The current user's Documents folder into out (capacity in characters). 0, or negative when it cannot be found.
    int (*documents)(wchar_t* out, int capacity);
    // The folder for temporary files. 0 or negative.
    int (*temporary)(wchar_t* out, int capacity);
};

// The implementation for the platform this build runs on.
extern const KnownFoldersApi kPlatformFolders;
