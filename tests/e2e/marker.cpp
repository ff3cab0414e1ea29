// A small program for the packages of the end-to-end test: started with a
// file name, it writes "ran" and its other arguments into that file (the
// pre-uninstallation program's trace); with the argument "probe" it also
// writes whether the windows of the program that started it still answer
// ("answered", "hung", or "alone" when it has none). Without arguments it is
// a service that runs until it is stopped, or, started by anyone else, does
// nothing.
#include <windows.h>
#include <tlhelp32.h>

#include <cstring>

#include <cstdio>

namespace {

SERVICE_STATUS_HANDLE g_status = nullptr;
HANDLE g_stop = nullptr;

void report(DWORD state) {
    SERVICE_STATUS s{};
    s.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    s.dwCurrentState = state;
    s.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
    SetServiceStatus(g_status, &s);
}

DWORD WINAPI control(DWORD code, DWORD, LPVOID, LPVOID) {
    if (code == SERVICE_CONTROL_STOP) {
        report(SERVICE_STOP_PENDING);
        SetEvent(g_stop);
    }
    return NO_ERROR;
}

void WINAPI serviceMain(DWORD, LPSTR*) {
    g_status = RegisterServiceCtrlHandlerExA("", control, nullptr);
    if (!g_status) return;
    g_stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    report(SERVICE_RUNNING);
    WaitForSingleObject(g_stop, INFINITE);
    report(SERVICE_STOPPED);
}

DWORD parentProcess() {
    DWORD self = GetCurrentProcessId(), parent = 0;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32 e{};
    e.dwSize = sizeof e;
    for (BOOL more = Process32First(snap, &e); more; more = Process32Next(snap, &e))
        if (e.th32ProcessID == self) parent = e.th32ParentProcessID;
    CloseHandle(snap);
    return parent;
}

struct Probe {
    DWORD process;
    int windows = 0, answered = 0;
};

BOOL CALLBACK probeWindow(HWND hwnd, LPARAM lp) {
    auto* p = reinterpret_cast<Probe*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != p->process || !IsWindowVisible(hwnd)) return TRUE;
    ++p->windows;
    DWORD_PTR result = 0;
    if (SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_BLOCK, 3000, &result)) ++p->answered;
    return TRUE;
}

const char* probeStarter() {
    Probe p{parentProcess()};
    EnumWindows(probeWindow, reinterpret_cast<LPARAM>(&p));
    return p.windows == 0 ? "alone" : p.answered == p.windows ? "answered" : "hung";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        char name[] = "";
        SERVICE_TABLE_ENTRYA table[] = {{name, serviceMain}, {nullptr, nullptr}};
        StartServiceCtrlDispatcherA(table);   // fails at once when not started as a service
        return 0;
    }
    FILE* f = std::fopen(argv[1], "wb");
    if (!f) return 1;
    std::fputs("ran", f);
    for (int i = 2; i < argc; ++i) std::fprintf(f, " %s", argv[i]);
    for (int i = 2; i < argc; ++i)
        if (std::strcmp(argv[i], "probe") == 0) std::fprintf(f, " %s", probeStarter());
    return std::fclose(f) == 0 ? 0 : 1;
}
