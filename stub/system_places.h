// Where the installation's changes land on this machine: the registry
// roots a package names, and the shell folders its shortcut places start with.
#pragma once

#include <string>

#include "platform/os/registry.h"

namespace stub {

// The root named (HKEY_LOCAL_MACHINE ...) and its name as the script writes
// it; false for HKEY_DYN_DATA and unknown roots (no such key here).
bool rootOf(const std::string& name, os::RegRoot& root, std::string& canonical);
// The shell folder a shortcut location starts with, and the rest of it.
bool shellPlace(const std::string& location, std::string& base, std::string& rest);
// A shortcut place as Windows names it: trailing dots and blanks dropped
// (the package's names were checked when it was opened).
std::string linkPath(const std::string& base, const std::string& rest);
// An empty text or the package's " " for none.
bool blank(const std::string& s);

}  // namespace stub
