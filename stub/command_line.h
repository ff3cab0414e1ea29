// The stub's command line: "/S" installs without windows, "/D=<folder>" names
// the destination (the rest of the line, so a folder may hold blanks),
// "/P=<password>" answers a password-protected package, "/R" lets a silent
// installation log off or restart as the package asks (without it a silent
// installation never ends the session; an interactive one always asks).
#pragma once

#include <string>

namespace stub {

struct Arguments {
    bool silent = false;
    bool endSession = false;   // "/R"
    bool hasDestination = false, hasPassword = false;
    std::string destination, password;
};

// `line` is the whole command line, the program first.
Arguments parseArguments(const std::string& line);

}  // namespace stub
