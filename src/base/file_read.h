// Reading a whole file into memory through the file seam: the player's loader, the harness's WAV input and the
// settings text store all read their files this way.
#pragma once

#include <stdint.h>

#include "base/file_api.h"

// Reads the file at path whole into *bytes (malloc'd, at least one byte, the caller frees it). Returns the count
// read, which falls short of the size when a read fails or the file shrinks (then *readFailed is set when given);
// -1 when the file cannot be opened or its size read, -2 when it is larger than maxBytes, -3 when memory runs out.
int64_t readWholeFile(const FileApi* files, const wchar_t* path, int64_t maxBytes, unsigned char** bytes,
                      bool* readFailed = nullptr);
