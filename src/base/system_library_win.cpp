// Loads Windows libraries at their first use. Each library imported by the executable is loaded, with everything it
// needs, before the first line of the program runs: Media Foundation and the common dialogs (which brings the
// printing libraries) made every start slower, most of all under Wine, for features used later or never. A library
// missing from the system (Windows editions without Media Foundation) then costs only its feature, not the start.
#include "base/system_library_win.h"

SystemProc SystemFunction(const wchar_t* library, const char* name) {
    // Only the system folder: the portable program may sit in a download folder beside any DLL of the same name.
    // LoadLibraryExW returns the module already loaded, so repeated calls cost a lookup.
    HMODULE module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    FARPROC proc = module ? GetProcAddress(module, name) : nullptr;
    // void (*)() is the function type every other converts to and from without a warning.
    return reinterpret_cast<SystemProc>(proc);
}
