// The automation mode's switch: BUNDLEWRIGHT_SCENARIO=<file> in the
// environment drives the program's real windows. Linked (as an object, see
// bw_ui_automation) only into Tarnwick.exe and the test builds: install.exe
// and UnBundlewright.exe run as administrator, and a setting any process of
// the user can make must not drive them.
#include <cstdlib>
#include <string>

#include "platform/os/os.h"
#include "platform/ui/win32/host.h"

namespace ui::w32 {

namespace {

void startFromEnvironment() {
    std::string path, t;
    if (!os::getEnv("BUNDLEWRIGHT_SCENARIO", path) || path.empty()) return;
    unsigned timeout = 10000;
    if (os::getEnv("BUNDLEWRIGHT_SCENARIO_TIMEOUT", t) && !t.empty())
        timeout = static_cast<unsigned>(std::strtoul(t.c_str(), nullptr, 10));
    startAutomationFrom(path, timeout);
}

const bool registered = (automationStarter = startFromEnvironment, true);

}  // namespace

}  // namespace ui::w32
