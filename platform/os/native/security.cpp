// Native stand-ins: the permission bits for the access list, lstat for links.
#include <sys/stat.h>

#include "platform/os/os.h"
#include "platform/os/security.h"

namespace os {

namespace {
bool hostStat(const std::string& path, struct stat& st, bool follow) {
    try {
        const std::string host = hostPath(path);
        return (follow ? ::stat(host.c_str(), &st) : ::lstat(host.c_str(), &st)) == 0;
    } catch (const PathError&) {
        return false;
    }
}
}  // namespace

bool createProtectedDirectory(const std::string& path) { return createDirectory(path) && protectPath(path); }

bool protectPath(const std::string& path) {
    try {
        return ::chmod(hostPath(path).c_str(), 0755) == 0;
    } catch (const PathError&) {
        return false;
    }
}

bool othersMayChange(const std::string& path) {
    struct stat st;
    return !hostStat(path, st, true) || (st.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}

bool isReparsePoint(const std::string& path) {
    struct stat st;
    return hostStat(path, st, false) && S_ISLNK(st.st_mode);
}

std::string securityText(const std::string&) { return ""; }

std::string programFilesFolder() { return "C:\\Program Files"; }

}  // namespace os
