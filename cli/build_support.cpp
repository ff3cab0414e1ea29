#include "cli/build_support.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>

#ifdef _WIN32
#include <process.h>
#define bw_getpid _getpid
#else
#include <unistd.h>
#define bw_getpid getpid
#endif

#include "platform/os/os.h"

namespace twk {
namespace {

bool hasDrive(const std::string& p) { return p.size() >= 2 && p[1] == ':'; }

std::string parentOf(std::string folder) {
    while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
    const std::size_t at = folder.find_last_of('\\');
    return at == std::string::npos ? folder : folder.substr(0, at);
}

bool holdsStub(const std::string& folder) { return os::fileExists(folder + "\\bin\\install.exe"); }

constexpr const char* kWorkingFiles[] = {"list.txt", "option.txt", "registry.txt", "shortcuts.txt",
                                         "project.wzp", "project.wzp.tmp", "text-project.wzp"};

}  // namespace

std::string userPath(const std::string& arg) {
    // Typed on the host: natively UTF-8, made the code page's bytes.
    if (hasDrive(arg) || arg.rfind("\\\\", 0) == 0) return os::ansiFromHost(arg);
    std::filesystem::path p = std::filesystem::absolute(std::filesystem::path(arg)).lexically_normal();
    std::string out = p.string();
    while (out.size() > 1 && (out.back() == '/' || out.back() == '\\')) out.pop_back();
#ifdef _WIN32
    for (char& c : out)
        if (c == '/') c = '\\';
    return out;
#else
    return os::windowsPath(out);
#endif
}

bool defaultCacheFolder(std::string& folder, std::string& why) {
    std::string base;
#ifdef _WIN32
    if (!os::getEnv("LOCALAPPDATA", base) || base.empty()) {
        why = "LOCALAPPDATA is not set";
        return false;
    }
    folder = base + "\\Bundlewright\\cache";
    return true;
#else
    std::string home;
    if (os::getEnv("XDG_CACHE_HOME", base) && !base.empty() && base[0] == '/') {
    } else if (os::getEnv("HOME", home) && !home.empty()) {
        base = home + "/.cache";
    } else {
        why = "neither XDG_CACHE_HOME nor HOME is set";
        return false;
    }
    try {
        folder = os::windowsPath(base + "/bundlewright");
    } catch (const os::PathError& e) {
        why = e.what();
        return false;
    }
    return true;
#endif
}

bool parseSize(const std::string& text, uint64_t& bytes) {
    std::size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
    if (digits == 0 || digits > 15) return false;
    uint64_t value = std::stoull(text.substr(0, digits));
    const std::string unit = text.substr(digits);
    int shift = 0;
    if (unit == "K" || unit == "k") shift = 10;
    else if (unit == "M" || unit == "m") shift = 20;
    else if (unit == "G" || unit == "g") shift = 30;
    else if (!unit.empty()) return false;
    if (value > (UINT64_MAX >> shift)) return false;
    bytes = value << shift;
    return true;
}

bool findInstallFolder(std::string& folder, std::string& why) {
    std::string env;
    const bool haveEnv = os::getEnv("TWKINSTDIR", env) && !env.empty();
    if (haveEnv) {
        try {
            env = userPath(env);
        } catch (const os::PathError&) {
        }
        if (holdsStub(env)) {
            folder = env;
            return true;
        }
    }
    const std::string bin = parentOf(os::executablePath());
    const std::string prefix = parentOf(bin);
    for (const std::string& candidate : {prefix + "\\share\\bundlewright", prefix}) {
        if (holdsStub(candidate)) {
            folder = candidate;
            return true;
        }
    }
    why = "no installer stub (bin\\install.exe) in the installation folder: TWKINSTDIR is " +
          (haveEnv ? "'" + env + "'" : std::string("not set")) + ", and none was found beside twk in " + prefix +
          "\\share\\bundlewright or " + prefix + "; set TWKINSTDIR to Bundlewright's installation folder";
    return false;
}

RunFolder::RunFolder() {
    const std::string base = os::tempFolder() + "twk-build-" + std::to_string(bw_getpid()) + "-";
    for (int i = 0; i < 1000; ++i) {
        const std::string candidate = base + std::to_string(i);
        if (os::fileExists(candidate) || os::directoryExists(candidate)) continue;
        if (os::createDirectory(candidate)) {
            path_ = candidate;
            return;
        }
    }
}

RunFolder::~RunFolder() {
    if (path_.empty()) return;
    std::vector<os::DirEntry> entries;
    if (os::listFolder(path_, entries))
        for (const os::DirEntry& e : entries)
            if (!e.isDirectory) os::deleteFile(path_ + "\\" + e.name);
    os::removeDirectory(path_);
}

std::vector<std::string> RunFolder::hostFiles() const {
    std::vector<std::string> out;
    if (path_.empty()) return out;
    for (const char* name : kWorkingFiles) {
        try {
            out.push_back(os::hostPath(path_ + "\\" + name));
        } catch (const os::PathError&) {
        }
    }
    try {
        out.push_back(os::hostPath(path_));   // removed last, once empty
    } catch (const os::PathError&) {
    }
    return out;
}

}  // namespace twk
