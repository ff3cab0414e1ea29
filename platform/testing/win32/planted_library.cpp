// A library planted beside a package under the name of one the installer
// uses (comctl32.dll): loaded into a process, it leaves "<its path>.loaded"
// beside itself. It exports what the common controls' users import, doing
// nothing, so a program that takes it runs on far enough to be seen.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        char path[MAX_PATH + 8];
        DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
        if (n > 0 && n < MAX_PATH) {
            lstrcpyA(path + n, ".loaded");
            HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
        }
    }
    return TRUE;
}

extern "C" __declspec(dllexport) BOOL WINAPI InitCommonControlsEx(const void*) { return FALSE; }
extern "C" __declspec(dllexport) void* WINAPI ImageList_Create(int, int, UINT, int, int) { return nullptr; }
extern "C" __declspec(dllexport) int WINAPI ImageList_ReplaceIcon(void*, int, void*) { return -1; }
extern "C" __declspec(dllexport) BOOL WINAPI ImageList_Destroy(void*) { return FALSE; }
