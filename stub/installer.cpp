#include "stub/installer.h"

#include <bzlib.h>

#include <algorithm>
#include <cstring>

#include "platform/os/os.h"
#include "platform/os/registry.h"
#include "platform/os/services.h"
#include "platform/os/shortcuts.h"
#include "stub/paths.h"

namespace stub {

namespace {
enum Kind { kStored = 0, kCompressed = 1, kFolder = 2, kUninstaller = 3 };

bool blank(const std::string& s) { return s.empty() || s == kBlank; }

bool rootOf(const std::string& name, os::RegRoot& root, std::string& canonical) {
    static const struct {
        const char* name;
        os::RegRoot root;
    } roots[] = {{"HKEY_LOCAL_MACHINE", os::RegRoot::LocalMachine}, {"HKEY_CLASSES_ROOT", os::RegRoot::ClassesRoot},
                 {"HKEY_CURRENT_USER", os::RegRoot::CurrentUser},   {"HKEY_USERS", os::RegRoot::Users},
                 {"HKEY_CURRENT_CONFIG", os::RegRoot::CurrentConfig}};
    for (const auto& r : roots)
        if (equalsNoCase(name, r.name)) {
            root = r.root;
            canonical = r.name;
            return true;
        }
    return false;
}

// The shell folder a shortcut location starts with, and the rest of it.
bool shellPlace(const std::string& location, std::string& base, std::string& rest) {
    std::vector<std::string> c = split(location, '\\');
    static const char* const chain[] = {"Desktop", "Start Menu", "Programs", "Startup"};
    static const os::ShellFolder folders[] = {os::ShellFolder::Desktop, os::ShellFolder::StartMenu,
                                              os::ShellFolder::Programs, os::ShellFolder::Startup};
    size_t n = 0;
    while (n < 4 && n < c.size() && equalsNoCase(c[n], chain[n])) ++n;
    if (n == 0) return false;
    base = os::shellFolder(folders[n - 1]);
    rest.clear();
    for (size_t i = n; i < c.size(); ++i) rest += (rest.empty() ? "" : "\\") + c[i];
    return !base.empty();
}
}  // namespace

Installer::~Installer() {
    if (file_) std::fclose(file_);
}

bool Installer::open(const std::string& packagePath, std::string& error) {
    os::FileStat st;
    if (!os::statPath(packagePath, st) || !(file_ = os::openFile(packagePath, "rb"))) {
        error = "The package " + packagePath + " cannot be opened.";
        return false;
    }
    if (!readPackage(file_, st.size, pkg_, error)) return false;
    if (!parseOptions(pkg_.option, options_)) {
        error = "The package is damaged or incomplete: its option sections are damaged.";
        return false;
    }
    return check(error);
}

bool Installer::passwordMatches(const std::string& password) const {
    return !options_.password.on || password == options_.password.value;
}

std::string Installer::defaultDestination() const {
    if (!blank(pkg_.defaultDestination)) return pkg_.defaultDestination;
    std::string pf;
    if (!os::getEnv("ProgramFiles", pf) || pf.empty()) pf = "C:\\Program Files";
    std::string product = pkg_.product.empty() ? "Product" : pkg_.product;
    return joinPath(pf, product);
}

std::string Installer::scriptPath() const { return joinPath(dest_, kScriptName); }

std::string Installer::readmePath() const {
    std::string rel, why;
    if (!options_.readme.on || !safeRelative(options_.readme.value, rel, why)) return "";
    return joinPath(dest_, rel);
}

// Every name the package gives is checked here, before anything is written.
bool Installer::check(std::string& error) {
    targets_.clear();
    kinds_.clear();
    auto refuse = [&](const std::string& name, const std::string& why) {
        error = "The package is refused: the name \"" + name + "\" would leave the destination folder (" + why +
                "). Nothing was installed.";
        return false;
    };
    for (size_t i = 0; i < pkg_.entries.size(); ++i) {
        const std::string& name = pkg_.entries[i].name;
        std::string rel, why;
        if (i == 0) {
            targets_.push_back("");
            kinds_.push_back(kUninstaller);
            continue;
        }
        int kind = kStored;
        std::string installed = name;
        if (endsWithNoCase(name, kDirectoryMarker)) {
            kind = kFolder;
            installed = name.substr(0, name.size() - std::strlen(kDirectoryMarker));
            while (!installed.empty() && (installed.back() == '\\' || installed.back() == '/')) installed.pop_back();
            if (installed.empty()) {   // the destination itself
                targets_.push_back("");
                kinds_.push_back(kind);
                continue;
            }
        } else if (endsWithNoCase(name, kCompressedSuffix)) {
            kind = kCompressed;
            installed = name.substr(0, name.size() - std::strlen(kCompressedSuffix));
        }
        if (!safeRelative(installed, rel, why)) return refuse(name, why);
        if (equalsNoCase(rel, kScriptName)) return refuse(name, "it is the uninstall script's own name");
        targets_.push_back(rel);
        kinds_.push_back(kind);
    }
    const std::string* programs[] = {&pkg_.preInstallFile, &pkg_.postInstallFile, &pkg_.preUninstallFile};
    for (const std::string* p : programs) {
        std::string rel, why;
        if (!blank(*p) && !safeRelative(*p, rel, why)) return refuse(*p, why);
    }
    for (const ServiceLine& s : parseServices(pkg_.services)) {
        std::string rel, why;
        if (!safeRelative(s.executable, rel, why)) return refuse(s.executable, why);
    }
    for (const ShortcutLine& s : parseShortcuts(pkg_.shortcuts)) {
        std::vector<std::string> c = split(s.location, '\\');
        if (c.empty() || !equalsNoCase(c[0], "Desktop"))
            return refuse(s.location, "a shortcut place outside the desktop and the start menu");
        std::string rest;
        for (size_t i = 1; i < c.size(); ++i) rest += (rest.empty() ? "" : "\\") + c[i];
        std::string rel, why;
        if (!rest.empty() && !safeRelative(rest, rel, why)) return refuse(s.location, why);
        if (!s.folder && rest.empty()) return refuse(s.location, "a shortcut without a name");
    }
    return true;
}

bool Installer::makeFolders(const std::string& folder, std::string& error) {
    std::vector<std::string> missing;
    for (std::string f = folder; !f.empty() && !os::directoryExists(f); f = parentOf(f)) {
        if (f.size() <= 3 && f.size() >= 2 && f[1] == ':') break;   // a drive root
        missing.push_back(f);
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (!os::createDirectory(*it) && !os::directoryExists(*it)) {
            error = "The folder " + *it + " cannot be created.";
            return false;
        }
        script_.createdDirectory(*it);
    }
    return true;
}

bool Installer::extract(const Entry& e, const std::string& path, bool compressed, std::string& error) {
    FILE* out = os::openFile(path, "wb");
    if (!out) {
        error = "The file " + path + " cannot be written (it may be in use).";
        return false;
    }
    script_.addFile(path);
    bool writeOk = true, dataOk = true;
    auto write = [&](const char* data, size_t n) {
        if (n && std::fwrite(data, 1, n, out) != n) writeOk = false;
        return writeOk;
    };
    if (!compressed) {
        dataOk = copyRange(file_, e.offset, e.size, write);
    } else {
        bz_stream z;
        std::memset(&z, 0, sizeof z);
        dataOk = BZ2_bzDecompressInit(&z, 0, 0) == BZ_OK;
        bool ended = false;
        std::vector<char> buf(64 * 1024);
        if (dataOk)
            dataOk = copyRange(file_, e.offset, e.size, [&](const char* data, size_t n) {
                if (ended) return false;   // bytes after the end of the stream
                z.next_in = const_cast<char*>(data);
                z.avail_in = static_cast<unsigned>(n);
                while (z.avail_in > 0 && !ended) {
                    z.next_out = buf.data();
                    z.avail_out = static_cast<unsigned>(buf.size());
                    int rc = BZ2_bzDecompress(&z);
                    if (rc != BZ_OK && rc != BZ_STREAM_END) return false;
                    if (!write(buf.data(), buf.size() - z.avail_out)) return false;
                    ended = rc == BZ_STREAM_END;
                }
                if (ended && z.avail_in > 0) return false;
                return true;
            });
        while (dataOk && !ended && writeOk) {   // flush what the decoder still holds
            z.next_in = nullptr;
            z.avail_in = 0;
            z.next_out = buf.data();
            z.avail_out = static_cast<unsigned>(buf.size());
            int rc = BZ2_bzDecompress(&z);
            if (rc != BZ_OK && rc != BZ_STREAM_END) dataOk = false;
            else if (rc == BZ_OK && z.avail_out == buf.size()) dataOk = false;   // stream cut short
            else write(buf.data(), buf.size() - z.avail_out);
            ended = rc == BZ_STREAM_END;
        }
        BZ2_bzDecompressEnd(&z);
    }
    if (std::fclose(out) != 0) writeOk = false;
    if (!writeOk) {
        error = "The file " + path + " cannot be written completely (the disk may be full).";
        return false;
    }
    if (!dataOk) {
        error = "The package is damaged: the data of " + e.name + " cannot be unpacked.";
        return false;
    }
    return true;
}

bool Installer::installEntry(const Entry& e, std::string& error) {
    size_t i = static_cast<size_t>(&e - pkg_.entries.data());
    if (kinds_[i] == kUninstaller) {
        // Shared by every product in the Windows folder; never listed for removal.
        std::string path = joinPath(os::windowsFolder(), "UnBundlewright.exe");
        FILE* out = os::openFile(path, "wb");
        if (!out) {
            error = "The uninstaller " + path + " cannot be written.";
            return false;
        }
        bool ok = copyRange(file_, e.offset, e.size, [&](const char* d, size_t n) {
            return std::fwrite(d, 1, n, out) == n;
        });
        if (std::fclose(out) != 0 || !ok) {
            error = "The uninstaller " + path + " cannot be written completely.";
            return false;
        }
        return true;
    }
    if (kinds_[i] == kFolder) return makeFolders(targets_[i].empty() ? dest_ : joinPath(dest_, targets_[i]), error);
    std::string path = joinPath(dest_, targets_[i]);
    if (!makeFolders(parentOf(path), error)) return false;
    return extract(e, path, kinds_[i] == kCompressed, error);
}

std::string Installer::resolve(const std::string& text) const {
    return replaceNoCase(replaceNoCase(text, "<<TARGETDIR>>", dest_), "%WINDIR%", os::windowsFolder());
}

bool Installer::runProgram(const std::string& file, const std::string& cmdline, std::string& error) {
    std::string rel, why;
    safeRelative(file, rel, why);
    std::string path = joinPath(dest_, rel);
    std::string line = "\"" + path + "\"";
    if (!blank(cmdline)) line += " " + resolve(cmdline);
    int code = 0;
    if (!os::startProcess(line, true, &code)) {
        error = "The program " + path + " cannot be started.";
        return false;
    }
    return true;
}

namespace {

// One ';'-delimited part appended to a text value, the existing text kept
// whole whatever its length and every byte after its end (its NUL) kept
// too. `appended` is exactly what was added (with its leading ';' when one
// was needed), so the uninstall can take that part away again. False when
// the value is not a text.
bool appendedValue(const os::RegValue& old, const std::string& part, os::RegValue& out, std::string& appended) {
    if (old.type != os::RegType::String && old.type != os::RegType::ExpandString) return false;
    const std::string raw(old.data.begin(), old.data.end());
    const size_t end = std::min(raw.find('\0'), raw.size());
    const std::string text = raw.substr(0, end);
    appended = part;
    if (!part.empty() && !text.empty() && text.back() != ';' && part.front() != ';') appended = ";" + part;
    const std::string joined = text + appended + raw.substr(end);
    out.type = old.type;
    out.data.assign(joined.begin(), joined.end());
    return true;
}

}  // namespace

bool Installer::applyRegistry(std::string& error) {
    bool any = false;
    for (const RegInstruction& r : parseRegistry(pkg_.registry)) {
        os::RegRoot root;
        std::string rootName;
        if (!rootOf(r.root, root, rootName)) continue;   // HKEY_DYN_DATA and unknown roots: no such key here
        // Levels that do not exist yet are this installation's to remove.
        std::vector<std::string> parts = split(r.key, '\\');
        std::string level;
        std::vector<std::string> created;
        for (const std::string& p : parts) {
            if (p.empty()) continue;
            level += (level.empty() ? "" : "\\") + p;
            if (created.empty() && os::RegKey::open(root, level).valid()) continue;
            created.push_back(level);
        }
        os::RegKey key = os::RegKey::create(root, level);
        if (!key.valid()) {
            error = "The registry key " + rootName + "\\" + r.key + " cannot be created.";
            return false;
        }
        for (const std::string& c : created) script_.createdKey(rootName, c);
        any = true;
        if (r.op == RegOp::AddKey) continue;
        os::RegValue old;
        const bool existed = key.query(r.name, old);
        os::RegValue value;
        std::string appended;
        if (r.op == RegOp::AppendValue && existed) {
            if (!appendedValue(old, r.data, value, appended)) {
                // Another type (a number, binary data) cannot take a ';' part:
                // it stays as it is and the uninstall has nothing to undo.
                notices_.push_back("The registry value " + r.name + " of " + rootName + "\\" + r.key +
                                   " is not a text; " + r.data + " was not appended to it.");
                continue;
            }
            if (appended.empty()) continue;
        } else {
            value = os::RegValue::string(r.data, r.data.find('%') != std::string::npos ? os::RegType::ExpandString
                                                                                      : os::RegType::String);
        }
        if (!key.set(r.name, value)) {
            error = "The registry value " + r.name + " of " + rootName + "\\" + r.key + " cannot be set.";
            return false;
        }
        if (!existed) script_.createdValue(rootName, level, r.name);
        else if (r.op == RegOp::AppendValue) script_.appendedText(rootName, level, r.name, appended);
        // A value that existed and was replaced is left as set: the script
        // has no record that writes data back, and deleting it would lose it.
    }
    if (any) os::broadcastEnvironmentChange();
    return true;
}

bool Installer::applyShortcuts(std::string& error) {
    for (const ShortcutLine& s : parseShortcuts(pkg_.shortcuts)) {
        std::string base, rest;
        if (!shellPlace(s.location, base, rest)) {
            error = "The shortcut place " + s.location + " is not available.";
            return false;
        }
        std::string path = rest.empty() ? base : joinPath(base, rest);
        if (s.folder) {
            if (!makeFolders(path, error)) return false;
            continue;
        }
        if (!makeFolders(parentOf(path), error)) return false;
        os::Shortcut link;
        link.target = resolve(s.target);
        link.arguments = resolve(s.arguments);
        link.description = s.description;
        link.workingDirectory = parentOf(link.target);
        if (!os::createShortcut(path, link)) {
            error = "The shortcut " + path + " cannot be created.";
            return false;
        }
        script_.addShortcut(path);
    }
    return true;
}

bool Installer::applyServices(std::string& error) {
    for (const ServiceLine& s : parseServices(pkg_.services)) {
        std::string rel, why;
        safeRelative(s.executable, rel, why);
        std::string exe = joinPath(dest_, rel);
        os::ServiceConfig config;
        config.name = s.name;
        config.displayName = s.displayName;
        config.binaryPath = exe.find(' ') != std::string::npos ? "\"" + exe + "\"" : exe;
        config.start = os::ServiceStart::Auto;
        if (!os::createService(config)) {
            error = os::serviceExists(s.name) ? "The service " + s.name + " already exists."
                                              : "The service " + s.name + " cannot be created.";
            return false;
        }
        script_.addService(s.name);
    }
    return true;
}

bool Installer::writeScript(std::string& error) {
    std::string path = scriptPath();
    std::string bytes = script_.render();
    FILE* f = os::openFile(path, "wb");
    bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f && std::fclose(f) != 0) ok = false;
    if (!ok) error = "The uninstall script " + path + " cannot be written.";
    return ok;
}

bool Installer::install(const std::string& destination, InstallProgress& progress, std::string& error) {
    dest_ = destination;
    while (dest_.size() > 3 && dest_.back() == '\\') dest_.pop_back();
    if (dest_.empty()) {
        error = "No destination folder was given.";
        return false;
    }
    if (!makeFolders(dest_, error) || !os::directoryExists(dest_)) {
        if (error.empty()) error = "The destination folder " + dest_ + " cannot be created.";
        return false;
    }
    if (!blank(pkg_.preUninstallFile)) {
        std::string rel, why;
        safeRelative(pkg_.preUninstallFile, rel, why);
        script_.setPreUninstall(joinPath(dest_, rel), blank(pkg_.preUninstallCmdline) ? " " : resolve(pkg_.preUninstallCmdline));
    }
    auto failed = [&]() {
        std::string ignored;
        writeScript(ignored);   // what was installed so far can still be removed
        return false;
    };

    // The pre-installation program is unpacked first, then run, then the rest.
    size_t pre = pkg_.entries.size();
    if (!blank(pkg_.preInstallFile)) {
        std::string rel, why;
        safeRelative(pkg_.preInstallFile, rel, why);
        for (size_t i = 1; i < pkg_.entries.size(); ++i)
            if (kinds_[i] != kFolder && equalsNoCase(targets_[i], rel)) pre = i;
        if (pre < pkg_.entries.size()) {
            progress.onStatus(joinPath(dest_, rel));
            if (!installEntry(pkg_.entries[pre], error)) return failed();
        }
        if (!runProgram(pkg_.preInstallFile, pkg_.preInstallCmdline, error)) return failed();
    }
    size_t total = pkg_.entries.size();
    for (size_t i = 0; i < total; ++i) {
        if (i == pre) continue;
        progress.onStatus(kinds_[i] == kUninstaller ? std::string("UnBundlewright.exe") : joinPath(dest_, targets_[i]));
        if (!installEntry(pkg_.entries[i], error)) return failed();
        progress.onProgress(i + 1, total);
    }
    if (!applyRegistry(error) || !applyShortcuts(error) || !applyServices(error)) return failed();
    if (!writeScript(error)) return false;
    if (!blank(pkg_.postInstallFile)) {
        std::string why;
        if (!runProgram(pkg_.postInstallFile, pkg_.postInstallCmdline, why)) {
            std::fputs(why.c_str(), stderr);
            std::fputc('\n', stderr);
        }
    }
    progress.onProgress(total, total);
    return true;
}

}  // namespace stub
