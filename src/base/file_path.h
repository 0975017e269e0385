// File paths taken apart and put together: one rule for a file's name within its path, and one join that refuses to
// cut, because a cut path names another file.
#pragma once

// The part of path after its last separator; the whole path when it has none. Both '\' and '/' separate: Windows
// takes either, and the portable build's paths have no '\' in their names.
const wchar_t* PathBaseName(const wchar_t* path);

// out = folder, separator, name and tail (tail may be empty: an extension with its dot, a suffix). 0 when it fits
// into capacity characters with its terminator; -1 when it would not, and out is then the empty text.
int PathJoin(wchar_t* out, int capacity, const wchar_t* folder, wchar_t separator, const wchar_t* name,
             const wchar_t* tail);
