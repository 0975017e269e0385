// A plain-text form of a settings key, one value a line, loaded into the in-memory store:
//   Name dword VALUE   a 32-bit number, decimal (a leading minus wraps, as for screen positions) or 0x-hex
//   Name sz TEXT       a string: the rest of the line after one space, possibly empty (UTF-8)
//   Name binary HEX    bytes as hex digit pairs: a value of another type
// Empty lines and lines starting with # are skipped; a later line for the same name replaces an earlier one.
#pragma once

#include <stddef.h>

#include "settings/settings_store_memory.h"

// 0 when every line loaded; -1 for a malformed line, -2 for a value the store cannot hold, with *badLine its number
// (from 1). Lines before the bad one stay loaded.
int loadSettingsText(MemorySettingsStore* memory, const char* text, size_t length, int* badLine);
