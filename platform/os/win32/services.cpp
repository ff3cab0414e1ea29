// The Win32 service control manager.
#include <windows.h>

#include "platform/os/services.h"

namespace os {

namespace {

// Closes a service handle when it goes out of scope.
struct ScHandle {
    SC_HANDLE h = nullptr;
    explicit ScHandle(SC_HANDLE x) : h(x) {}
    ~ScHandle() {
        if (h) CloseServiceHandle(h);
    }
    ScHandle(const ScHandle&) = delete;
    ScHandle& operator=(const ScHandle&) = delete;
    explicit operator bool() const { return h != nullptr; }
};

SC_HANDLE manager() { return OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS); }

}  // namespace

bool createService(const ServiceConfig& config) {
    ScHandle scm(manager());
    if (!scm) return false;
    ScHandle svc(CreateServiceA(scm.h, config.name.c_str(),
                                config.displayName.empty() ? config.name.c_str() : config.displayName.c_str(),
                                SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, static_cast<DWORD>(config.start),
                                SERVICE_ERROR_NORMAL, config.binaryPath.c_str(), nullptr, nullptr, nullptr, nullptr,
                                nullptr));
    return static_cast<bool>(svc);
}

bool updateService(const ServiceConfig& config) {
    ScHandle scm(manager());
    if (!scm) return false;
    ScHandle svc(OpenServiceA(scm.h, config.name.c_str(), SERVICE_CHANGE_CONFIG));
    return svc && ChangeServiceConfigA(svc.h, SERVICE_WIN32_OWN_PROCESS, static_cast<DWORD>(config.start),
                                       SERVICE_ERROR_NORMAL, config.binaryPath.c_str(), nullptr, nullptr, nullptr,
                                       nullptr, nullptr,
                                       config.displayName.empty() ? nullptr : config.displayName.c_str()) != 0;
}

bool serviceExists(const std::string& name) {
    ScHandle scm(manager());
    if (!scm) return false;
    ScHandle svc(OpenServiceA(scm.h, name.c_str(), SERVICE_QUERY_STATUS));
    return static_cast<bool>(svc);
}

bool startService(const std::string& name) {
    ScHandle scm(manager());
    if (!scm) return false;
    ScHandle svc(OpenServiceA(scm.h, name.c_str(), SERVICE_START));
    return svc && StartServiceA(svc.h, 0, nullptr) != 0;
}

bool stopService(const std::string& name) {
    ScHandle scm(manager());
    if (!scm) return false;
    ScHandle svc(OpenServiceA(scm.h, name.c_str(), SERVICE_STOP | SERVICE_QUERY_STATUS));
    if (!svc) return false;
    SERVICE_STATUS status;
    if (!ControlService(svc.h, SERVICE_CONTROL_STOP, &status)) return false;
    // Its program stays open until the service has really stopped.
    for (int waited = 0; status.dwCurrentState != SERVICE_STOPPED && waited < 30000; waited += 100) {
        Sleep(100);
        if (!QueryServiceStatus(svc.h, &status)) break;
    }
    return true;
}

bool deleteService(const std::string& name) {
    ScHandle scm(manager());
    if (!scm) return false;
    ScHandle svc(OpenServiceA(scm.h, name.c_str(), DELETE));
    return svc && DeleteService(svc.h) != 0;
}

// The real manager keeps its own list.
void resetEmulatedServices() {}

bool emulatedServiceRunning(const std::string& name) {
    ScHandle scm(manager());
    if (!scm) return false;
    ScHandle svc(OpenServiceA(scm.h, name.c_str(), SERVICE_QUERY_STATUS));
    SERVICE_STATUS status;
    return svc && QueryServiceStatus(svc.h, &status) && status.dwCurrentState == SERVICE_RUNNING;
}

}  // namespace os
