#include "stub/installer.h"

#include <cstdio>

#include "platform/os/os.h"
#include "platform/os/registry.h"
#include "platform/os/security.h"
#include "platform/os/services.h"
#include "platform/os/text.h"
#include "platform/os/uninstall_script_format.h"
#include "stub/paths.h"
#include "stub/signature.h"
#include "stub/system_places.h"

namespace stub {

namespace {

// An earlier uninstall script of the destination, read whole: one larger
// than any installation writes is not read at all.
bool readWhole(const std::string& path, std::string& out) {
    os::FileStat st;
    if (!os::statPath(path, st) || !st.isRegular || st.size > (64u << 20)) return false;
    FILE* f = os::openFile(path, "rb");
    if (!f) return false;
    out.clear();
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

}  // namespace

Installer::~Installer() = default;

bool Installer::open(const std::string& packagePath, std::string& error) {
    // One handle for everything: the bytes checked are the bytes installed,
    // whatever the path names later.
    if (!file_.open(packagePath)) {
        error = say("PackageUnreadable", {{"file", packagePath}});
        return false;
    }
    if (!readPackage(file_.stream(), file_.size(), pkg_, error)) return false;
    // Signed: every byte is the one the publisher signed, before anything is read further.
    if (!signedDigestMatches(file_.stream(), file_.size(), error)) return false;
    // From here on the installer speaks the package's language.
    text_.load(pkg_.language);
    text_.set("product", pkg_.product.empty() ? std::string("Setup") : pkg_.product);
    if (!parseOptions(pkg_.option, options_)) {
        error = say("OptionsDamaged", {});
        return false;
    }
    return check(error);
}

bool Installer::passwordMatches(const std::string& password) const {
    return !options_.password.on || password == options_.password.value;
}

std::string Installer::entryKey() const { return std::string(wzu::kInstalledProgramsKey) + "\\" + productName(); }

std::string Installer::companyName() const { return blank(pkg_.company) ? std::string() : pkg_.company; }

std::string Installer::productName() const {
    std::string name = pkg_.product.empty() ? std::string("Product") : pkg_.product;
    for (char& c : name)
        if (c == '\\') c = '-';
    return name;
}

// Where the product's entry in the list of installed programs says it is
// installed (machine-wide first), when that entry is this product's: the
// same publisher, and its script still there.
bool Installer::registeredAt(std::string& folder) const {
    const std::string key = entryKey();
    for (os::RegRoot root : {os::RegRoot::LocalMachine, os::RegRoot::CurrentUser}) {
        os::RegKey k = os::RegKey::open(root, key);
        os::RegValue location, publisher;
        if (!k.valid() || !k.query("InstallLocation", location)) continue;
        if (k.query("Publisher", publisher) && !equalsNoCase(publisher.asString(), companyName())) continue;
        if (!os::fileExists(joinPath(location.asString(), kScriptName))) continue;
        folder = location.asString();
        return true;
    }
    return false;
}

std::string Installer::defaultDestination() const {
    std::string installed;
    if (registeredAt(installed)) return installed;   // an upgrade goes where the product is
    if (!blank(pkg_.defaultDestination)) return pkg_.defaultDestination;
    // From the system: the environment is the user's to change.
    std::string pf = os::programFilesFolder();
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
    plan_.clear();
    auto refuse = [&](const std::string& name, const std::string& why) {
        // Only names that climb out or name another place "leave" the folder.
        bool escapes = why.find("component \"") != std::string::npos || why.find("absolute") != std::string::npos ||
                       why.find("drive") != std::string::npos;
        error = say(escapes ? "NameLeaves" : "NameUnusable", {{"name", name}, {"reason", why}});
        return false;
    };
    // The declared space, whole bytes: what the files may decode to at most.
    const std::string& space = pkg_.spaceRequired;
    spaceLimit_ = 0;
    bool digits = !space.empty() && space.size() <= 18;
    for (char c : space) digits = digits && c >= '0' && c <= '9';
    if (!digits) {
        error = say("SpaceNotNumber", {{"space", space}});
        return false;
    }
    for (char c : space) spaceLimit_ = spaceLimit_ * 10 + static_cast<uint64_t>(c - '0');
    uint64_t stored = 0;
    // Windows sees one file where names differ only in letter case: two
    // entries would be staged into it at once.
    std::map<std::string, size_t> files;
    for (size_t i = 0; i < pkg_.entries.size(); ++i) {
        const std::string& name = pkg_.entries[i].name;
        if (i == 0) {
            plan_.push_back({"", Staged::Uninstaller, "", false, -1});
            continue;
        }
        EntryKind kind;
        std::string rel, why;
        if (!entryTarget(name, kind, rel, why)) return refuse(name, why);
        if (equalsNoCase(rel, kScriptName) || equalsNoCase(rel, wzr::kRecordName) ||
            equalsNoCase(split(rel, '\\')[0], wzr::kKeptFolder))
            return refuse(name, "the uninstall keeps its own files under that name");
        if (kind != EntryKind::Folder && !files.emplace(os::lowerAscii(rel), i).second)
            return refuse(name, "another entry names the same file");
        plan_.push_back({rel,
                         kind == EntryKind::Folder       ? Staged::Folder
                         : kind == EntryKind::Compressed ? Staged::Compressed
                                                         : Staged::Stored,
                         "", false, -1});
        if (kind == EntryKind::Stored) stored += pkg_.entries[i].size;
    }
    if (stored > spaceLimit_) {
        error = say("SpaceExceeded", {{"space", space}});
        return false;
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
        if (!rest.empty() && !shortcutRelative(rest, rel, why)) return refuse(s.location, why);
        if (!s.folder && rest.empty()) return refuse(s.location, "a shortcut without a name");
    }
    return true;
}

// Every path the installation will write fits the system's limit.
bool Installer::checkPlaces(std::string& error) const {
    auto tooLong = [&](const std::string& path) {
        if (path.size() <= kMaxPathChars) return false;
        error = say("PathTooLong", {{"file", path.substr(0, 60)},
                                    {"length", std::to_string(path.size())},
                                    {"limit", std::to_string(kMaxPathChars)}});
        return true;
    };
    for (size_t i = 1; i < plan_.size(); ++i)
        if (!plan_[i].target.empty() && tooLong(joinPath(dest_, plan_[i].target))) return false;
    for (const ShortcutLine& link : parseShortcuts(pkg_.shortcuts)) {
        std::string base, rest;
        if (shellPlace(link.location, base, rest) && tooLong(linkPath(base, rest))) return false;
    }
    return true;
}

// Runs a program of the package in the destination folder, waiting for it
// while the caller's window keeps painting.
bool Installer::runProgram(const std::string& file, const std::string& cmdline, InstallProgress& progress,
                           std::string& error) {
    std::string rel, why;
    safeRelative(file, rel, why);
    std::string path = joinPath(dest_, rel);
    std::string line = "\"" + path + "\"";
    if (!blank(cmdline)) line += " " + resolve(cmdline);
    int code = 0;
    if (!os::runAndWait(line, dest_, &code, [&progress] { progress.onWait(); })) {
        error = say("ProgramNotStarted", {{"file", path}});
        return false;
    }
    return true;
}

// A link in the destination, or above it, would redirect the installation's
// writes and the uninstall's deletions.
bool Installer::checkDestination(std::string& error) {
    for (std::string f = dest_; f.size() > 3; f = parentOf(f))
        if (os::isReparsePoint(f)) {
            error = say("DestinationLink", {{"folder", dest_}, {"file", f}});
            return false;
        }
    if (!os::directoryExists(dest_)) return true;
    std::vector<std::string> pending{dest_};
    while (!pending.empty()) {
        std::string folder = pending.back();
        pending.pop_back();
        std::vector<os::DirEntry> entries;
        os::listFolder(folder, entries);
        for (const os::DirEntry& e : entries) {
            if (e.name == "." || e.name == "..") continue;
            std::string path = joinPath(folder, e.name);
            if (os::isReparsePoint(path)) {
                error = say("DestinationLink", {{"folder", dest_}, {"file", path}});
                return false;
            }
            if (e.isDirectory) pending.push_back(path);
        }
    }
    return true;
}

// One product to a folder: an earlier installation there must be this
// product's, and its script and record readable, to be taken in. A record
// that cannot be read is never merged: a repair of this product starts a
// new one after saying so, anything else is refused.
bool Installer::checkEarlier(std::string& error) {
    const std::string recordPath = joinPath(dest_, wzr::kRecordName);
    record_ = wzr::InstallRecord{};
    record_.company = companyName();
    record_.product = productName();
    const bool scriptThere = os::fileExists(scriptPath()), recordThere = os::fileExists(recordPath);
    hadScript_ = scriptThere && readWhole(scriptPath(), scriptBefore_);
    hadRecord_ = recordThere && readWhole(recordPath, recordBefore_);
    if (!scriptThere && !recordThere) return true;
    UninstallScript earlier;
    wzr::InstallRecord earlierRecord;
    if (hadScript_ && hadRecord_ && earlier.mergeEarlier(scriptBefore_) && wzr::parseRecord(recordBefore_, earlierRecord)) {
        if (!earlierRecord.sameProduct(record_)) {
            error = say("FolderHoldsOther", {{"folder", dest_}, {"name", earlierRecord.product}});
            return false;
        }
        script_.mergeEarlier(scriptBefore_);
        record_.mergeEarlier(earlierRecord);
        return true;
    }
    std::string registered;
    if (registeredAt(registered) && equalsNoCase(registered, dest_)) {
        // A repair: the script, when it still reads, keeps its items listed.
        if (hadScript_) script_.mergeEarlier(scriptBefore_);
        notices_.push_back(say("RecordRestarted", {{"folder", dest_}}));
        return true;
    }
    error = say("FolderRecordUnreadable", {{"folder", dest_}, {"file", scriptThere ? scriptPath() : recordPath}});
    return false;
}

// What the system itself could refuse, asked before the first change: the
// product installed in another folder, services taken by other programs,
// registry keys this user cannot write.
std::string Installer::folderRefusal(const std::string& folder) const {
    std::string installed;
    if (registeredAt(installed) && !equalsNoCase(installed, folder)) return say("InstalledElsewhere", {{"folder", installed}});
    return "";
}

bool Installer::checkSystem(std::string& error) {
    error = folderRefusal(dest_);
    if (!error.empty()) return false;
    for (const ServiceLine& s : parseServices(pkg_.services))
        if (!script_.listsService(s.name) && os::serviceExists(s.name)) {
            error = say("ServiceExists", {{"name", s.name}}) + " " + say("NothingChanged", {});
            return false;
        }
    auto writableAt = [](os::RegRoot root, std::string key) {
        while (!key.empty() && !os::RegKey::open(root, key).valid()) {
            size_t cut = key.find_last_of('\\');
            key = cut == std::string::npos ? std::string() : key.substr(0, cut);
        }
        return os::RegKey::writable(root, key);
    };
    for (const RegInstruction& r : parseRegistry(pkg_.registry)) {
        os::RegRoot root;
        std::string rootName;
        if (rootOf(r.root, root, rootName) && !writableAt(root, r.key)) {
            error = say("RegistryKeyFailed", {{"key", rootName + "\\" + r.key}}) + " " + say("NothingChanged", {});
            return false;
        }
    }
    // The entry: machine-wide where this user may write there.
    entryRoot_ = writableAt(os::RegRoot::LocalMachine, wzu::kInstalledProgramsKey) ? os::RegRoot::LocalMachine
                                                                       : os::RegRoot::CurrentUser;
    return true;
}

// After a failure: every change undone, last first, and the message says so.
bool Installer::undo() {
    std::vector<std::string> left = journal_.rollback();
    aside_.clear();
    changed_ = !left.empty();
    std::string names;
    for (const std::string& l : left) names += (names.empty() ? "" : ", ") + l;
    outcome_ = left.empty() ? say("NothingInstalled", {}) : say("RollbackIncomplete", {{"file", names}});
    return false;
}

bool Installer::install(const std::string& destination, InstallProgress& progress, std::string& error) {
    changed_ = damaged_ = false;
    warning_.clear();
    outcome_.clear();
    notices_.clear();
    script_ = UninstallScript{};
    aside_.clear();
    keptCount_ = 0;
    if (!destinationFolder(destination, dest_)) {
        error = say("DestinationUnusable",
                    {{"folder", destination},
                     {"example", "C:\\Program Files\\" + (pkg_.product.empty() ? std::string("Product") : pkg_.product)}});
        return false;
    }
    if (!checkPlaces(error)) return false;
    uint64_t freeBytes = 0;
    if (os::freeDiskSpace(dest_.substr(0, 3), freeBytes) && freeBytes < spaceLimit_) {
        error = say("NoFreeSpace",
                    {{"drive", dest_.substr(0, 2)}, {"space", pkg_.spaceRequired}, {"free", std::to_string(freeBytes)}});
        return false;
    }
    if (!checkDestination(error) || !checkEarlier(error) || !checkSystem(error)) return false;
    // Only administrators may change what an administrator's uninstall will
    // run, remove or write back.
    if (os::directoryExists(dest_) && os::othersMayChange(dest_) && !os::protectPath(dest_)) {
        error = say("DestinationOpen", {{"folder", dest_}});
        return false;
    }

    Staging staging(file_, pkg_, text_);
    staging_ = &staging;
    struct Clear {
        Staging*& s;
        ~Clear() { s = nullptr; }
    } clear{staging_};
    // Everything is unpacked and checked before the first file is in place;
    // the staging folder goes before the folders made for it.
    if (!makeFolders(dest_, error, true)) return undo();
    journal_.changed("", [&staging] {
        staging.discard();
        return true;
    });
    if (!staging.stage(dest_, plan_, spaceLimit_, progress, error, damaged_)) return undo();
    if (!blank(pkg_.preUninstallFile)) {
        std::string rel, why;
        safeRelative(pkg_.preUninstallFile, rel, why);
        script_.setPreUninstall(joinPath(dest_, rel), blank(pkg_.preUninstallCmdline) ? " " : resolve(pkg_.preUninstallCmdline));
    }
    // The pre-installation program is put in place first, then run, then the rest.
    size_t pre = pkg_.entries.size();
    if (!blank(pkg_.preInstallFile)) {
        std::string rel, why;
        safeRelative(pkg_.preInstallFile, rel, why);
        for (size_t i = 1; i < plan_.size(); ++i)
            if (plan_[i].kind != Staged::Folder && equalsNoCase(plan_[i].target, rel)) pre = i;
        if (pre < pkg_.entries.size() && !place(pre, error)) return undo();
        if (!runProgram(pkg_.preInstallFile, pkg_.preInstallCmdline, progress, error)) return undo();
    }
    if (!placeAll(pre, error) || !applyRegistry(error) || !applyShortcuts(error) || !applyServices(error) ||
        !registerProduct(error) || !writeRecords(error))
        return undo();
    journal_.commit();
    if (!aside_.empty()) os::removeDirectory(aside_);
    aside_.clear();
    staging.discard();
    if (!blank(pkg_.postInstallFile)) {
        std::string why;
        if (!runProgram(pkg_.postInstallFile, pkg_.postInstallCmdline, progress, why)) warning_ = why;
    }
    progress.onProgress(pkg_.entries.size(), pkg_.entries.size());
    return true;
}

}  // namespace stub
