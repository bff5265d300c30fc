/* Copied under the names of system DLLs beside a copy of Tarnvel.exe. If the
   loader ever takes it, it leaves <its own name>.loaded beside itself. */

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

/* mpr.dll's one call a program may import, so that a program importing it
   still starts and the marker alone tells. As for a path on no network drive. */
__declspec(dllexport) DWORD WINAPI WNetGetUniversalNameW(LPCWSTR path, DWORD level, LPVOID buffer, LPDWORD size) {
    (void)path;
    (void)level;
    (void)buffer;
    (void)size;
    return ERROR_NOT_CONNECTED;
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        WCHAR path[MAX_PATH + 8];
        DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
        if (length > 0 && length < MAX_PATH) {
            lstrcpyW(path + length, L".loaded");
            HANDLE marker = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
            if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
        }
    }
    return TRUE;
}
