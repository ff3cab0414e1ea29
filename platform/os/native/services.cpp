// The native service manager: a list of services in memory, persisted beside
// the emulated registry. A service "runs" once started when its program file
// exists; a deleted service that still runs disappears when it stops, as the
// real manager does.
#include "platform/os/services.h"

#include "platform/os/native/store.h"
#include "platform/os/os.h"

#include <map>
#include <mutex>

namespace os {

namespace {

struct Service {
    ServiceConfig config;
    bool running = false;
    bool deletePending = false;
};

std::mutex g_mutex;
std::map<std::string, Service> g_services;   // by lower-case name

std::string lower(const std::string& s) {
    std::string out = s;
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string servicesFile(const std::string& folder) { return folder + "/services.txt"; }

void load(const std::string& folder) {
    g_services.clear();
    std::vector<std::string> lines;
    if (!store::readLines(servicesFile(folder), lines)) return;
    for (const std::string& line : lines) {
        std::vector<std::string> f = store::fields(line);
        if (f.size() != 7 || f[0] != "S") continue;
        Service s;
        s.config.name = store::unescape(f[1]);
        s.config.displayName = store::unescape(f[2]);
        s.config.binaryPath = store::unescape(f[3]);
        s.config.start = static_cast<ServiceStart>(std::stoi(f[4]));
        s.running = f[5] == "1";
        s.deletePending = f[6] == "1";
        g_services[lower(s.config.name)] = s;
    }
}

bool save(const std::string& folder) {
    std::vector<std::string> lines{"bw-services 1"};
    for (const auto& [key, s] : g_services)
        lines.push_back("S " + store::escape(s.config.name) + " " + store::escape(s.config.displayName) + " " +
                        store::escape(s.config.binaryPath) + " " +
                        std::to_string(static_cast<int>(s.config.start)) + " " + (s.running ? "1" : "0") + " " +
                        (s.deletePending ? "1" : "0"));
    return store::writeLines(servicesFile(folder), lines);
}

template <class F>
bool transact(F&& f) {
    std::lock_guard<std::mutex> guard(g_mutex);
    std::string folder = store::folder();
    store::Lock lock(folder);
    if (!folder.empty()) load(folder);
    bool changed = false;
    bool result = f(changed);
    if (changed && !folder.empty() && !save(folder)) return false;
    return result;
}

bool programExists(const std::string& binaryPath) {
    std::vector<std::string> parts = splitCommandLine(binaryPath);
    return !parts.empty() && fileExists(parts[0]);
}

}  // namespace

bool createService(const ServiceConfig& config) {
    if (config.name.empty() || config.name.find_first_of("/\\") != std::string::npos) return false;
    return transact([&](bool& changed) {
        auto& slot = g_services[lower(config.name)];
        if (!slot.config.name.empty()) return false;
        slot.config = config;
        changed = true;
        return true;
    });
}

bool updateService(const ServiceConfig& config) {
    return transact([&](bool& changed) {
        auto it = g_services.find(lower(config.name));
        if (it == g_services.end() || it->second.deletePending) return false;
        std::string name = it->second.config.name;
        it->second.config = config;
        it->second.config.name = name;   // the manager keeps the name as created
        changed = true;
        return true;
    });
}

bool serviceExists(const std::string& name) {
    return transact([&](bool&) { return g_services.count(lower(name)) > 0; });
}

bool startService(const std::string& name) {
    // The program check happens outside the lock: it may touch the file system.
    std::string binary;
    bool known = transact([&](bool&) {
        auto it = g_services.find(lower(name));
        if (it == g_services.end()) return false;
        binary = it->second.config.binaryPath;
        return true;
    });
    if (!known || !programExists(binary)) return false;
    return transact([&](bool& changed) {
        auto it = g_services.find(lower(name));
        if (it == g_services.end()) return false;
        Service& s = it->second;
        if (s.running || s.deletePending || s.config.start == ServiceStart::Disabled) return false;
        s.running = true;
        changed = true;
        return true;
    });
}

bool stopService(const std::string& name) {
    return transact([&](bool& changed) {
        auto it = g_services.find(lower(name));
        if (it == g_services.end() || !it->second.running) return false;
        it->second.running = false;
        if (it->second.deletePending) g_services.erase(it);
        changed = true;
        return true;
    });
}

bool deleteService(const std::string& name) {
    return transact([&](bool& changed) {
        auto it = g_services.find(lower(name));
        if (it == g_services.end() || it->second.deletePending) return false;
        if (it->second.running)
            it->second.deletePending = true;
        else
            g_services.erase(it);
        changed = true;
        return true;
    });
}

void resetEmulatedServices() {
    transact([&](bool& changed) {
        g_services.clear();
        changed = true;
        return true;
    });
}

bool emulatedServiceRunning(const std::string& name) {
    return transact([&](bool&) {
        auto it = g_services.find(lower(name));
        return it != g_services.end() && it->second.running;
    });
}

}  // namespace os
