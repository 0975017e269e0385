// Functions of Windows libraries the program loads when first needed instead of importing them.
#pragma once

#include <windows.h>

// A function of a library in the system folder, or null when the library or the function is missing. The library is
// loaded on the first call for it and stays loaded. The caller converts the result to the function's real type.
typedef void (*SystemProc)();
SystemProc SystemFunction(const wchar_t* library, const char* name);
