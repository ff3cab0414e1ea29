#include <windows.h>

#include "platform/os/app_start.h"

namespace os {

void loadLibrariesFromSystemOnly() {
    // Looked up, not imported: the call came with an update of Windows 7.
    using SetDefault = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto setDefault = kernel ? reinterpret_cast<SetDefault>(reinterpret_cast<void*>(
                                   GetProcAddress(kernel, "SetDefaultDllDirectories")))
                             : nullptr;
    if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryA("");   // and the current folder out of the old search order
}

}  // namespace os
