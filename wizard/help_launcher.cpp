#include "wizard/help_launcher.h"

#include "platform/os/os.h"

namespace wizard {

std::string HelpLauncher::arguments(const std::string& page) const {
    return "   " + install_dir_ + "\\help\\" + page;
}

// The program name goes first, as every program expects its own path before its
// arguments; the arguments after it are exactly the three blanks and the page.
std::string HelpLauncher::commandLine(const std::string& page) const {
    return "\"" + browser_path_ + "\"" + arguments(page);
}

bool HelpLauncher::open(const std::string& page) const {
    if (browser_path_.empty()) return false;
    return os::startProcess(commandLine(page), false, nullptr, true);
}

}  // namespace wizard
