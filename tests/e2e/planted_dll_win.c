/* A DLL planted beside Notafon.exe under a system library's name (gdiplus.dll, msimg32.dll, winmm.dll): loading it
 * leaves NAME.dll.loaded beside it, so a test sees whether the program took it instead of the system's copy. It
 * exports GradientFill, which fails, so that an executable that imports msimg32 still starts with it and the marker,
 * not a missing import, tells. */
#define NOGDI
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        wchar_t path[MAX_PATH + 8];
        DWORD n = GetModuleFileNameW(instance, path, MAX_PATH);
        if (n > 0 && n < MAX_PATH) {
            lstrcatW(path, L".loaded");
            HANDLE marker = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
            if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
        }
    }
    return TRUE;
}

__declspec(dllexport) BOOL WINAPI
    GradientFill(HANDLE dc, void* vertices, ULONG count, void* mesh, ULONG meshCount, ULONG mode) {
    (void)dc, (void)vertices, (void)count, (void)mesh, (void)meshCount, (void)mode;
    return FALSE;
}
