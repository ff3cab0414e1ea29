// A small program for the packages of the end-to-end test: started with a
// file name, it writes "ran" and its other arguments into that file (the
// pre-uninstallation program's trace); without arguments it is a service
// that runs until it is stopped, or, started by anyone else, does nothing.
#include <windows.h>

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
    return std::fclose(f) == 0 ? 0 : 1;
}
