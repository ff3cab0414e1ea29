// Native files: Windows paths through the drive map onto the host, each
// name converted between the ANSI code page and the host's UTF-8 (host_names.h).
#include "platform/os/drive_map.h"
#include "platform/os/native/host_names.h"
#include "platform/os/os.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

namespace os {

namespace {

bool isSep(char c) { return c == '\\' || c == '/'; }

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool isDriveLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

std::string trimHostRoot(std::string root) {
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    return root;
}

std::map<char, std::string> readDriveMap() {
    std::map<char, std::string> map;
    map['Z'] = "/";
    const char* env = std::getenv("BUNDLEWRIGHT_DRIVES");
    if (!env) return map;
    std::string spec = env;
    size_t pos = 0;
    while (pos <= spec.size()) {
        size_t end = spec.find(';', pos);
        if (end == std::string::npos) end = spec.size();
        std::string item = spec.substr(pos, end - pos);
        pos = end + 1;
        size_t eq = item.find('=');
        if (eq == std::string::npos) continue;
        std::string letter = item.substr(0, eq);
        if (!letter.empty() && letter.back() == ':') letter.pop_back();
        std::string root = item.substr(eq + 1);
        if (letter.size() != 1 || !isDriveLetter(letter[0]) || root.empty() || root[0] != '/') continue;
        map[upper(letter[0])] = trimHostRoot(root);
    }
    return map;
}

// The emulated current directory, Windows form; empty until first asked.
std::mutex g_cwdMutex;
std::string g_cwd;

std::string hostCwdWindows() {
    char buf[PATH_MAX];
    if (!::getcwd(buf, sizeof buf)) return "Z:\\";
    try {
        return windowsPath(buf);
    } catch (const PathError&) {
        return "Z:\\";
    }
}

std::string cwdLocked() {
    if (g_cwd.empty()) g_cwd = hostCwdWindows();
    return g_cwd;
}

// Resolves a Windows path to its drive and normalised components.
void resolve(const std::string& path, char& drive, std::vector<std::string>& parts) {
    if (path.empty()) throw PathError("empty path");
    if (path.size() >= 2 && isSep(path[0]) && isSep(path[1]))
        throw PathError("UNC and device paths are not supported here: " + path);
    std::string rest;
    parts.clear();
    auto pushParts = [&parts](const std::string& s) {
        size_t i = 0;
        while (i <= s.size()) {
            size_t j = i;
            while (j < s.size() && !isSep(s[j])) ++j;
            std::string c = s.substr(i, j - i);
            if (c == "..") {
                if (!parts.empty()) parts.pop_back();
            } else if (!c.empty() && c != ".") {
                parts.push_back(c);
            }
            i = j + 1;
        }
    };
    std::string cwd;
    {
        std::lock_guard<std::mutex> lock(g_cwdMutex);
        cwd = cwdLocked();
    }
    char cwdDrive = upper(cwd[0]);
    if (path.size() >= 2 && path[1] == ':') {
        if (!isDriveLetter(path[0])) throw PathError("not a drive letter in " + path);
        drive = upper(path[0]);
        rest = path.substr(2);
        if (rest.empty() || !isSep(rest[0])) {
            // "C:name" is relative to the current folder when it is on that drive.
            if (drive == cwdDrive) pushParts(cwd.substr(2));
        }
        pushParts(rest);
    } else if (isSep(path[0])) {
        drive = cwdDrive;
        pushParts(path);
    } else {
        drive = cwdDrive;
        pushParts(cwd.substr(2));
        pushParts(path);
    }
    for (const std::string& c : parts)
        if (c.find(':') != std::string::npos) throw PathError("a ':' inside a path component: " + path);
}

std::string codePageText() { return "the code page Windows-" + std::to_string(host_names::codePage()); }

// One name of a Windows path as the host spells it.
std::string hostComponent(const std::string& ansi, const std::string& whole) {
    std::string host;
    if (!host_names::toHost(ansi, host)) throw PathError("bytes not valid in " + codePageText() + " in " + whole);
    return host;
}

// Appends one component, falling back to a case-insensitive match.
void appendComponent(std::string& host, const std::string& name) {
    std::string exact = host == "/" ? "/" + name : host + "/" + name;
    struct stat st;
    if (::lstat(exact.c_str(), &st) == 0) {
        host = exact;
        return;
    }
    if (DIR* d = ::opendir(host.c_str())) {
        std::string found;
        while (dirent* e = ::readdir(d)) {
            if (::strcasecmp(e->d_name, name.c_str()) == 0) {
                found = e->d_name;
                break;
            }
        }
        ::closedir(d);
        if (!found.empty()) {
            host = host == "/" ? "/" + found : host + "/" + found;
            return;
        }
    }
    host = exact;
}

std::string joinWindows(char drive, const std::vector<std::string>& parts) {
    std::string out(1, drive);
    out += ":\\";
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i) out += '\\';
        out += parts[i];
    }
    return out;
}

bool hostOf(const std::string& path, std::string& host) {
    try {
        host = hostPath(path);
        return true;
    } catch (const PathError&) {
        errno = ENOENT;
        return false;
    }
}

bool copyHostFile(const std::string& from, const std::string& to, bool failIfExists) {
    struct stat src, dst;
    if (::stat(from.c_str(), &src) != 0 || S_ISDIR(src.st_mode)) return false;
    if (::stat(to.c_str(), &dst) == 0) {
        if (failIfExists || S_ISDIR(dst.st_mode)) return false;
        // Copying a file onto itself would truncate it to nothing.
        if (dst.st_dev == src.st_dev && dst.st_ino == src.st_ino) return false;
    }
    FILE* in = std::fopen(from.c_str(), "rb");
    if (!in) return false;
    FILE* out = std::fopen(to.c_str(), "wb");
    if (!out) {
        std::fclose(in);
        return false;
    }
    char buf[65536];
    bool ok = true;
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, in)) > 0) {
        if (std::fwrite(buf, 1, n, out) != n) {
            ok = false;
            break;
        }
    }
    if (std::ferror(in)) ok = false;
    std::fclose(in);
    if (std::fclose(out) != 0) ok = false;
    if (!ok) {
        ::unlink(to.c_str());
        return false;
    }
    ::chmod(to.c_str(), src.st_mode & 07777);
    struct timespec times[2] = {src.st_atim, src.st_mtim};
    ::utimensat(AT_FDCWD, to.c_str(), times, 0);
    return true;
}

}  // namespace

// ---- drive map -------------------------------------------------------------

std::vector<DriveMapping> driveMap() {
    std::vector<DriveMapping> out;
    for (auto& [letter, root] : readDriveMap()) out.push_back({letter, root});
    return out;
}

bool driveRoot(char letter, std::string& hostRoot) {
    auto map = readDriveMap();
    auto it = map.find(upper(letter));
    if (it == map.end()) return false;
    hostRoot = it->second;
    return true;
}

std::string hostPath(const std::string& winPath) {
    char drive;
    std::vector<std::string> parts;
    resolve(winPath, drive, parts);
    std::string host;
    if (!driveRoot(drive, host))
        throw PathError(std::string("drive ") + drive + ": is not mapped (BUNDLEWRIGHT_DRIVES): " + winPath);
    for (const std::string& c : parts) appendComponent(host, hostComponent(c, winPath));
    return host;
}

std::string windowsPath(const std::string& hostPathIn) {
    std::string host = hostPathIn;
    if (host.empty() || host[0] != '/') {
        char buf[PATH_MAX];
        if (!::getcwd(buf, sizeof buf)) throw PathError("no current host folder for " + hostPathIn);
        host = std::string(buf) + "/" + host;
    }
    // Normalise: no empty, "." or ".." components.
    std::vector<std::string> parts;
    size_t i = 0;
    while (i <= host.size()) {
        size_t j = host.find('/', i);
        if (j == std::string::npos) j = host.size();
        std::string c = host.substr(i, j - i);
        if (c == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!c.empty() && c != ".") {
            parts.push_back(c);
        }
        i = j + 1;
    }
    char best = 0;
    size_t bestLen = 0;
    bool anyMatch = false;
    for (const DriveMapping& m : driveMap()) {
        std::vector<std::string> rootParts;
        size_t a = 0;
        while (a <= m.hostRoot.size()) {
            size_t b = m.hostRoot.find('/', a);
            if (b == std::string::npos) b = m.hostRoot.size();
            std::string c = m.hostRoot.substr(a, b - a);
            if (!c.empty()) rootParts.push_back(c);
            a = b + 1;
        }
        if (rootParts.size() > parts.size()) continue;
        if (!std::equal(rootParts.begin(), rootParts.end(), parts.begin())) continue;
        // Longest root wins; among equals the earliest letter.
        if (!anyMatch || rootParts.size() > bestLen) {
            best = m.letter;
            bestLen = rootParts.size();
            anyMatch = true;
        }
    }
    if (!anyMatch) throw PathError("no drive maps the host path " + host_names::shown(hostPathIn));
    std::vector<std::string> names;
    for (size_t k = bestLen; k < parts.size(); ++k) {
        std::string ansi;
        if (!host_names::fromHost(parts[k], ansi))
            throw PathError(codePageText() + " cannot hold the name " + host_names::shown(parts[k]) + " in " +
                            host_names::shown(hostPathIn));
        names.push_back(ansi);
    }
    return joinWindows(best, names);
}

// ---- files -----------------------------------------------------------------

FILE* openFile(const std::string& path, const char* mode) {
    std::string host;
    if (!hostOf(path, host)) return nullptr;
    return std::fopen(host.c_str(), mode);
}

FILE* createNewFile(const std::string& path) {
    std::string host;
    if (!hostOf(path, host)) return nullptr;
    int fd = ::open(host.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0644);
    if (fd < 0) return nullptr;
    FILE* f = ::fdopen(fd, "wb");
    if (!f) ::close(fd);
    return f;
}

bool statPath(const std::string& path, FileStat& out) {
    std::string host;
    if (!hostOf(path, host)) return false;
    struct stat st;
    if (::stat(host.c_str(), &st) != 0) return false;
    out = FileStat{};
    out.isDirectory = S_ISDIR(st.st_mode);
    out.isRegular = S_ISREG(st.st_mode);
    out.size = out.isRegular ? static_cast<uint64_t>(st.st_size) : 0;
    out.linkCount = static_cast<unsigned>(st.st_nlink);
    out.modified = static_cast<int64_t>(st.st_mtime);
    return true;
}

bool listFolder(const std::string& folder, std::vector<DirEntry>& out) {
    out.clear();
    std::string host;
    if (!hostOf(folder, host)) return false;
    DIR* d = ::opendir(host.c_str());
    if (!d) return false;
    while (dirent* e = ::readdir(d)) {
        DirEntry entry;
        const std::string hostName = e->d_name;
        if (!host_names::fromHost(hostName, entry.name)) {
            entry.name = host_names::shown(hostName);
            entry.nameHeld = false;
        }
        std::string full = host == "/" ? "/" + hostName : host + "/" + hostName;
        struct stat st;
        if (::stat(full.c_str(), &st) == 0) {
            entry.isDirectory = S_ISDIR(st.st_mode);
            entry.size = S_ISREG(st.st_mode) ? static_cast<uint64_t>(st.st_size) : 0;
        } else {
            entry.isDirectory = e->d_type == DT_DIR;
        }
        out.push_back(entry);
    }
    ::closedir(d);
    return true;
}

std::string currentDirectory() {
    std::lock_guard<std::mutex> lock(g_cwdMutex);
    return cwdLocked();
}

bool setCurrentDirectory(const std::string& path) {
    char drive;
    std::vector<std::string> parts;
    std::string host;
    try {
        resolve(path, drive, parts);
        host = hostPath(path);
    } catch (const PathError&) {
        errno = ENOENT;
        return false;
    }
    struct stat st;
    if (::stat(host.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    // Programs started from here inherit the folder.
    if (::chdir(host.c_str()) != 0) return false;
    // Keep the case the file system has, as Windows does.
    std::vector<std::string> actual;
    std::string walk;
    driveRoot(drive, walk);
    for (const std::string& c : parts) {
        appendComponent(walk, hostComponent(c, path));
        std::string name;
        actual.push_back(host_names::fromHost(walk.substr(walk.rfind('/') + 1), name) ? name : c);
    }
    std::lock_guard<std::mutex> lock(g_cwdMutex);
    g_cwd = joinWindows(drive, actual);
    return true;
}

bool copyFile(const std::string& from, const std::string& to, bool failIfExists) {
    std::string a, b;
    if (!hostOf(from, a) || !hostOf(to, b)) return false;
    return copyHostFile(a, b, failIfExists);
}

bool deleteFile(const std::string& path) {
    std::string host;
    if (!hostOf(path, host)) return false;
    struct stat st;
    if (::lstat(host.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    return ::unlink(host.c_str()) == 0;
}

bool moveFile(const std::string& from, const std::string& to) {
    std::string a, b;
    if (!hostOf(from, a) || !hostOf(to, b)) return false;
    struct stat src;
    if (::lstat(a.c_str(), &src) != 0) return false;
    if (::rename(a.c_str(), b.c_str()) == 0) return true;
    if (errno != EXDEV || S_ISDIR(src.st_mode)) return false;
    // Another file system: copy, then remove the original only once the copy is whole.
    if (!copyHostFile(a, b, false)) return false;
    return ::unlink(a.c_str()) == 0;
}

bool renameFolder(const std::string& from, const std::string& to) {
    std::string a, b;
    if (!hostOf(from, a) || !hostOf(to, b)) return false;
    struct stat st;
    // rename() would replace an empty folder at `to`; Windows refuses.
    if (::lstat(b.c_str(), &st) == 0 || ::lstat(a.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    return ::rename(a.c_str(), b.c_str()) == 0;
}

bool createDirectory(const std::string& path) {
    std::string host;
    if (!hostOf(path, host)) return false;
    return ::mkdir(host.c_str(), 0777) == 0;
}

bool removeDirectory(const std::string& path) {
    std::string host;
    if (!hostOf(path, host)) return false;
    return ::rmdir(host.c_str()) == 0;
}

bool freeDiskSpace(const std::string& root, uint64_t& freeBytes) {
    std::string host;
    if (!hostOf(root, host)) return false;
    struct statvfs vfs;
    if (::statvfs(host.c_str(), &vfs) != 0) return false;
    freeBytes = static_cast<uint64_t>(vfs.f_bavail) * static_cast<uint64_t>(vfs.f_frsize);
    return true;
}

bool createSparseFile(const std::string& path, uint64_t size) {
    std::string host;
    if (!hostOf(path, host)) return false;
    const int fd = ::open(host.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    const bool ok = ::ftruncate(fd, static_cast<off_t>(size)) == 0;
    return ::close(fd) == 0 && ok;
}

std::string tempFolder() {
    std::string out;
    for (const char* name : {"TMP", "TEMP"}) {
        const char* v = std::getenv(name);
        if (!v || !*v) continue;
        std::string s = v;
        if (s.size() >= 2 && s[1] == ':') {
            out = s;
        } else if (s[0] == '/') {
            try {
                out = windowsPath(s);
            } catch (const PathError&) {
                continue;
            }
        } else {
            continue;
        }
        break;
    }
    if (out.empty()) {
        const char* t = std::getenv("TMPDIR");
        std::string host = (t && *t == '/') ? t : "/tmp";
        try {
            out = windowsPath(host);
        } catch (const PathError&) {
            out = "Z:" + std::string("\\tmp");
        }
    }
    for (char& c : out)
        if (c == '/') c = '\\';
    if (out.back() != '\\') out += '\\';
    return out;
}

std::string windowsFolder() {
    const char* v = std::getenv("BUNDLEWRIGHT_WINDIR");
    std::string out = (v && *v) ? v : "C:\\windows";
    while (out.size() > 3 && isSep(out.back())) out.pop_back();
    return out;
}

std::string codePageName() { return "Windows-" + std::to_string(host_names::codePage()); }

std::string ansiFromHost(const std::string& text) {
    std::string ansi;
    if (!host_names::fromHost(text, ansi))
        throw PathError(codePageText() + " cannot hold " + host_names::shown(text));
    return ansi;
}

std::string terminalText(const std::string& ansi) { return host_names::forTerminal(ansi); }

std::string ansiFromUtf8(const std::string& utf8) { return ansiFromHost(utf8); }   // the host's texts are UTF-8

std::string utf8Text(const std::string& ansi) {
    std::string host;
    try {
        if (host_names::toHost(ansi, host)) return host;   // exact: nothing is read as an escape
    } catch (const PathError&) {
    }
    return host_names::forTerminal(ansi);
}

bool validInCodePage(const std::string& ansi) {
    std::string host;
    try {
        return host_names::toHost(ansi, host);
    } catch (const PathError&) {
        return false;
    }
}

std::string systemFolder() { return windowsFolder() + "\\system32"; }

std::string executablePath() {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return std::string();
    buf[n] = '\0';
    try {
        return windowsPath(buf);
    } catch (const PathError&) {
        return std::string();
    }
}

}  // namespace os
