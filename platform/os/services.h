// The service control manager: real on Win32, emulated natively (in memory).
#pragma once

#include <string>

namespace os {

enum class ServiceStart { Boot = 0, System = 1, Auto = 2, Demand = 3, Disabled = 4 };

struct ServiceConfig {
    std::string name;
    std::string displayName;
    std::string binaryPath;
    ServiceStart start = ServiceStart::Demand;
};

// Results of the manager's calls; false when the call failed.
bool createService(const ServiceConfig& config);
bool serviceExists(const std::string& name);
// Gives an existing service this display name, program and start type.
bool updateService(const ServiceConfig& config);
bool startService(const std::string& name);
// Sends SERVICE_CONTROL_STOP and waits (up to 30 s) until the service has
// stopped; false when the service is absent or not running.
bool stopService(const std::string& name);
bool deleteService(const std::string& name);

// Native emulation only.
void resetEmulatedServices();
bool emulatedServiceRunning(const std::string& name);

}  // namespace os
