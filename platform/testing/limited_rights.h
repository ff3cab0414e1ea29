// Starting a program as a user without administrator rights, as Windows does
// for a standard user or an administrator whose rights are not in force.
#pragma once

#include <string>

namespace bwtest {

enum class Rights {
    Restricted,   // this process's token with the Administrators group for denying only
    Limited,      // the limited half of this process's token (not elevated)
};

// Runs `commandLine` with a token of this user that lacks administrator
// rights, waits, and stores its exit code and what it wrote to its output
// and error streams. False when the token or the process cannot be made.
bool runWithoutAdministratorRights(const std::string& commandLine, Rights how, int& code, std::string& output);

}  // namespace bwtest
