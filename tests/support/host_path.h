// A file of the build machine as the program under test names it: through
// drive Z: under Wine, through the drive map natively.
#pragma once

#include <cstdlib>
#include <string>

#include "platform/os/os.h"

namespace bwtest {

inline std::string hostPath(std::string path) {
#ifdef _WIN32
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
#else
    return os::windowsPath(path);
#endif
}

// A path below one of the folders ctest names in the environment
// (BW_SOURCE_DIR, BW_BINARY_DIR, BW_DIST_DIR); empty when it is not set.
inline std::string buildPath(const char* variable, const std::string& relative = "") {
    const char* dir = std::getenv(variable);
    if (!dir) return "";
    return hostPath(relative.empty() ? std::string(dir) : std::string(dir) + "/" + relative);
}

// A scenario step that leaves a picture of the active window in the build
// folder's shots/<set>/ (the headless host passes over it).
inline std::string shotStep(const std::string& set, const std::string& name) {
    const std::string dir = buildPath("BW_BINARY_DIR", "shots/" + set);
    if (dir.empty()) return "";
    os::createDirectories(dir);
    return "shot " + dir + "\\" + name + ".bmp\n";
}

}  // namespace bwtest
