// Tokens are the one thing of the system no program of ours makes: the
// tests under Wine ask for them here.
#include "platform/testing/limited_rights.h"

#include <windows.h>


namespace bwtest {

namespace {

std::wstring wide(const std::string& s) {
    std::wstring w(s.size() + 1, L'\0');
    int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, &w[0], static_cast<int>(w.size()));
    w.resize(n > 0 ? n - 1 : 0);
    return w;
}

HANDLE tokenWithout(HANDLE own, Rights how) {
    HANDLE out = nullptr;
    if (how == Rights::Restricted) {
        SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
        PSID admins = nullptr;
        if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                      &admins))
            return nullptr;
        SID_AND_ATTRIBUTES deny{admins, 0};
        if (!CreateRestrictedToken(own, 0, 1, &deny, 0, nullptr, 0, nullptr, &out)) out = nullptr;
        FreeSid(admins);
        return out;
    }
    HANDLE linked = nullptr;
    DWORD size = 0;
    if (!GetTokenInformation(own, TokenLinkedToken, &linked, sizeof linked, &size)) return nullptr;
    if (!DuplicateTokenEx(linked, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenPrimary, &out)) out = nullptr;
    CloseHandle(linked);
    return out;
}

}  // namespace

bool runWithoutAdministratorRights(const std::string& commandLine, Rights how, int& code, std::string& output) {
    HANDLE own = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &own)) return false;
    HANDLE token = tokenWithout(own, how);
    CloseHandle(own);
    if (!token) return false;

    // The program's streams go to a file of their own, read back after it ends.
    wchar_t folder[MAX_PATH], file[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"bwr", 0, file);
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE streams = CreateFileW(file, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = si.hStdError = streams;
    PROCESS_INFORMATION pi{};
    std::wstring line = wide(commandLine);
    bool started = streams != INVALID_HANDLE_VALUE &&
                   CreateProcessAsUserW(token, nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(token);
    if (started) {
        WaitForSingleObject(pi.hProcess, INFINITE);
        DWORD exit = 0;
        GetExitCodeProcess(pi.hProcess, &exit);
        code = static_cast<int>(exit);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        output.clear();
        SetFilePointer(streams, 0, nullptr, FILE_BEGIN);
        char buf[4096];
        DWORD got = 0;
        while (ReadFile(streams, buf, sizeof buf, &got, nullptr) && got) output.append(buf, got);
    }
    if (streams != INVALID_HANDLE_VALUE) CloseHandle(streams);
    DeleteFileW(file);
    return started;
}

}  // namespace bwtest
