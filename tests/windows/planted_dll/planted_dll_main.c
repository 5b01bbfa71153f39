/* Stands in for a DLL planted beside a program: when it is loaded, it leaves an empty file named after itself with
   ".loaded" appended ("iphlpapi.dll.loaded"), so that a test can tell that the program loaded it. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        wchar_t mark[MAX_PATH + 16];
        const DWORD length = GetModuleFileNameW(self, mark, MAX_PATH);
        if (length > 0 && length < MAX_PATH) {
            lstrcatW(mark, L".loaded");
            const HANDLE file = CreateFileW(mark, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
            if (file != INVALID_HANDLE_VALUE)
                CloseHandle(file);
        }
    }
    return TRUE;
}
