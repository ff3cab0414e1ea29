// bw_os_probe: prints what the operating-system layer sees on this host and
// makes one registry round trip. Exits 0 when every answer came back.
#include "platform/os/os.h"
#include "platform/os/registry.h"

#include <cstdio>
#include <string>

int main() {
    int failures = 0;
    std::printf("command line:   %s\n", os::commandLine().c_str());
    std::printf("program:        %s\n", os::executablePath().c_str());
    std::printf("current folder: %s\n", os::currentDirectory().c_str());
    std::printf("temp folder:    %s\n", os::tempFolder().c_str());
    std::printf("windows folder: %s\n", os::windowsFolder().c_str());

    uint64_t freeBytes = 0;
    std::string drive = "C:\\";
    if (!os::freeDiskSpace(drive, freeBytes)) drive = "Z:\\";
    if (os::freeDiskSpace(drive, freeBytes)) {
        std::printf("free on %s:     %llu MB\n", drive.c_str(), static_cast<unsigned long long>(freeBytes >> 20));
    } else {
        std::printf("free space:     unknown\n");
        ++failures;
    }

    const std::string key = "Software\\BwOsProbe";
    bool roundTrip = false;
    {
        os::RegKey k = os::RegKey::create(os::RegRoot::CurrentUser, key);
        os::RegValue back;
        roundTrip = k.valid() && k.set("Probe", os::RegValue::string("round trip")) && k.query("probe", back) &&
                    back.asString() == "round trip" && k.deleteValue("Probe");
    }
    os::RegKey::open(os::RegRoot::CurrentUser, "Software").deleteSubKey("BwOsProbe");
    std::printf("registry:       %s\n", roundTrip ? "round trip ok" : "round trip FAILED");
    if (!roundTrip) ++failures;
    return failures == 0 ? 0 : 1;
}
