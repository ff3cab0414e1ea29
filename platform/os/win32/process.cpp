// Win32 environment, command line, time and processes.
#include <windows.h>

#include <mutex>

#include "platform/os/os.h"

namespace os {

namespace {
std::mutex g_cmdMutex;
bool g_cmdSet = false;
std::string g_cmd;
}  // namespace

bool getEnv(const std::string& name, std::string& value) {
    DWORD n = GetEnvironmentVariableA(name.c_str(), nullptr, 0);
    if (n == 0) {
        if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
        value.clear();
        return true;
    }
    std::string buf(n, '\0');
    DWORD got = GetEnvironmentVariableA(name.c_str(), buf.data(), n);
    if (got >= n) return false;
    buf.resize(got);
    value = buf;
    return true;
}

void setEnv(const std::string& name, const std::string& value) {
    SetEnvironmentVariableA(name.c_str(), value.c_str());
}

void unsetEnv(const std::string& name) { SetEnvironmentVariableA(name.c_str(), nullptr); }

std::string commandLine() {
    std::lock_guard<std::mutex> lock(g_cmdMutex);
    if (g_cmdSet) return g_cmd;
    const char* line = GetCommandLineA();
    return line ? line : "";
}

void setCommandLine(const std::string& line) {
    std::lock_guard<std::mutex> lock(g_cmdMutex);
    g_cmd = line;
    g_cmdSet = true;
}

void sleepMs(unsigned ms) { Sleep(ms); }

namespace {
// CreateProcessA on `line`; with `idle`, waits, calling it between short waits.
bool spawn(const std::string& line, bool wait, int* exitCode, bool inheritHandles, const char* folder,
           const std::function<void()>* idle) {
    std::string buf = line;   // CreateProcessA may write into the line
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    ZeroMemory(&pi, sizeof pi);
    if (!CreateProcessA(nullptr, buf.data(), nullptr, nullptr, inheritHandles ? TRUE : FALSE, 0, nullptr, folder,
                        &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    bool ok = true;
    if (wait) {
        if (idle && *idle) {
            while (WaitForSingleObject(pi.hProcess, 50) == WAIT_TIMEOUT) (*idle)();
        } else {
            WaitForSingleObject(pi.hProcess, INFINITE);
        }
        DWORD code = 0;
        ok = GetExitCodeProcess(pi.hProcess, &code) != 0;
        if (ok && exitCode) *exitCode = static_cast<int>(code);
    }
    CloseHandle(pi.hProcess);
    return ok;
}
}  // namespace

bool startProcess(const std::string& line, bool wait, int* exitCode, bool inheritHandles) {
    return spawn(line, wait, exitCode, inheritHandles, nullptr, nullptr);
}

bool runAndWait(const std::string& line, const std::string& folder, int* exitCode, const std::function<void()>& idle) {
    return spawn(line, true, exitCode, false, folder.empty() ? nullptr : folder.c_str(), &idle);
}

bool hasAdministratorRights() {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID admins = nullptr;
    BOOL member = FALSE;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  &admins))
        return false;
    if (!CheckTokenMembership(nullptr, admins, &member)) member = FALSE;
    FreeSid(admins);
    if (!member) return false;
    // An administrator's limited token (the half of a split token without
    // the rights in force) cannot change those places either, whatever its
    // groups say. Without a split (the prompt turned off) the type is the default.
    HANDLE token = nullptr;
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    DWORD size = 0;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        if (!GetTokenInformation(token, TokenElevationType, &type, sizeof type, &size)) type = TokenElevationTypeDefault;
        CloseHandle(token);
    }
    return type != TokenElevationTypeLimited;
}

unsigned processorCount() {
    DWORD_PTR process = 0, system = 0;
    unsigned n = 0;
    if (GetProcessAffinityMask(GetCurrentProcess(), &process, &system))
        for (; process; process &= process - 1) ++n;
    return n ? n : 1;
}

namespace {
struct ThreadJob {
    const std::function<void(unsigned)>* work;
    unsigned index;
    HANDLE handle;
};
DWORD WINAPI threadMain(LPVOID p) {
    auto* job = static_cast<ThreadJob*>(p);
    (*job->work)(job->index);
    return 0;
}
}  // namespace

// CreateThread rather than std::thread: the installer stub stays smaller.
void runOnThreads(unsigned count, const std::function<void(unsigned)>& work, const std::function<void()>& idle) {
    std::vector<ThreadJob> jobs(count);
    for (unsigned k = 0; k < count; ++k) {
        jobs[k].work = &work;
        jobs[k].index = k;
        jobs[k].handle = CreateThread(nullptr, 0, threadMain, &jobs[k], 0, nullptr);
    }
    for (unsigned k = 0; k < count; ++k)
        if (!jobs[k].handle) work(k);
    for (const ThreadJob& job : jobs) {
        if (!job.handle) continue;
        if (idle) {
            while (WaitForSingleObject(job.handle, 50) == WAIT_TIMEOUT) idle();
        } else {
            WaitForSingleObject(job.handle, INFINITE);
        }
        CloseHandle(job.handle);
    }
}

}  // namespace os
