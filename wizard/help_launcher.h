// Opens a page of the product's HTML help in the user's web browser.
#pragma once

#include <string>

namespace wizard {

class HelpLauncher {
public:
    // install_dir and browser_path as start-up found them (browser_path may be empty).
    HelpLauncher(const std::string& install_dir, const std::string& browser_path)
        : install_dir_(install_dir), browser_path_(browser_path) {}

    // The arguments the browser receives: three blanks, then install_dir + "\help\"
    // + page, unquoted (a folder with blanks reaches the browser as several words).
    std::string arguments(const std::string& page) const;

    // The full command line handed to the system: the browser, quoted, as the
    // program name, then arguments(page).
    std::string commandLine(const std::string& page) const;

    // Starts the browser with handles inherited and returns at once. An empty
    // browser_path or a browser that cannot be started opens nothing and says
    // nothing. True when a browser was started.
    bool open(const std::string& page) const;

private:
    std::string install_dir_;
    std::string browser_path_;
};

}  // namespace wizard
