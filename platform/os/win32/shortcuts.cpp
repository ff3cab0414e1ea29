#include "platform/os/shortcuts.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <vector>

namespace os {

std::string shellFolder(ShellFolder which) {
    int csidl = CSIDL_DESKTOPDIRECTORY;
    switch (which) {
    case ShellFolder::Desktop: csidl = CSIDL_DESKTOPDIRECTORY; break;
    case ShellFolder::StartMenu: csidl = CSIDL_STARTMENU; break;
    case ShellFolder::Programs: csidl = CSIDL_PROGRAMS; break;
    case ShellFolder::Startup: csidl = CSIDL_STARTUP; break;
    }
    char path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path)))
        return "";
    std::string s(path);
    while (!s.empty() && s.back() == '\\') s.pop_back();
    return s;
}

namespace {
struct ComScope {
    bool ok;
    ComScope() : ok(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComScope() {
        if (ok) CoUninitialize();
    }
};
std::wstring wide(const std::string& s) {
    int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, nullptr, 0);
    std::vector<wchar_t> w(n > 0 ? n : 1);
    MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, w.data(), n);
    return std::wstring(w.data());
}
}  // namespace

bool createShortcut(const std::string& linkPath, const Shortcut& s) {
    ComScope com;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return false;
    link->SetPath(s.target.c_str());
    link->SetArguments(s.arguments.c_str());
    link->SetDescription(s.description.c_str());
    if (!s.workingDirectory.empty()) link->SetWorkingDirectory(s.workingDirectory.c_str());
    IPersistFile* file = nullptr;
    bool ok = SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)));
    if (ok) {
        ok = SUCCEEDED(file->Save(wide(linkPath).c_str(), TRUE));
        file->Release();
    }
    link->Release();
    return ok;
}

bool readShortcut(const std::string& linkPath, Shortcut& out) {
    ComScope com;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return false;
    IPersistFile* file = nullptr;
    bool ok = SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)));
    if (ok) {
        ok = SUCCEEDED(file->Load(wide(linkPath).c_str(), STGM_READ));
        file->Release();
    }
    if (ok) {
        char buf[1024] = {};
        link->GetPath(buf, sizeof buf, nullptr, SLGP_RAWPATH);
        out.target = buf;
        buf[0] = 0;
        link->GetArguments(buf, sizeof buf);
        out.arguments = buf;
        buf[0] = 0;
        link->GetDescription(buf, sizeof buf);
        out.description = buf;
        buf[0] = 0;
        link->GetWorkingDirectory(buf, sizeof buf);
        out.workingDirectory = buf;
    }
    link->Release();
    return ok;
}

bool openDocument(const std::string& path) {
    // By its full path, never by a name the search order could resolve
    // beside the package.
    HINSTANCE r = ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(r) > 32;
}

bool startAsShellUser(const std::string& program, const std::string& commandLine) {
    HWND shell = GetShellWindow();
    DWORD pid = 0;
    if (!shell || !GetWindowThreadProcessId(shell, &pid) || !pid) return false;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return false;
    HANDLE token = nullptr, primary = nullptr;
    bool ok = OpenProcessToken(process, TOKEN_DUPLICATE, &token) &&
              DuplicateTokenEx(token, TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY | TOKEN_ADJUST_DEFAULT |
                                          TOKEN_ADJUST_SESSIONID,
                               nullptr, SecurityImpersonation, TokenPrimary, &primary);
    if (ok) {
        std::wstring app = wide(program), line = wide(commandLine);
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        ok = CreateProcessWithTokenW(primary, 0, app.c_str(), &line[0], 0, nullptr, nullptr, &si, &pi) != 0;
        if (ok) {
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
    }
    if (primary) CloseHandle(primary);
    if (token) CloseHandle(token);
    CloseHandle(process);
    return ok;
}

void broadcastEnvironmentChange() {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>("Environment"),
                        SMTO_ABORTIFHUNG, 5000, &result);
}

bool endSession(bool restart) {
    if (restart) {
        HANDLE token = nullptr;
        if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
            TOKEN_PRIVILEGES tp = {};
            tp.PrivilegeCount = 1;
            tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
            if (LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &tp.Privileges[0].Luid))
                AdjustTokenPrivileges(token, FALSE, &tp, 0, nullptr, nullptr);
            CloseHandle(token);
        }
        return ExitWindowsEx(EWX_REBOOT, SHTDN_REASON_MAJOR_APPLICATION | SHTDN_REASON_FLAG_PLANNED) != 0;
    }
    return ExitWindowsEx(EWX_LOGOFF, 0) != 0;
}

}  // namespace os
