// Each change the installation makes, with the record that undoes it: the
// journal's for a rollback, the uninstall script's and the installation
// record's for the uninstall.
#include <algorithm>
#include <cstdio>

#include "platform/os/os.h"
#include "platform/os/registry.h"
#include "platform/os/security.h"
#include "platform/os/services.h"
#include "platform/os/shortcuts.h"
#include "platform/os/text.h"
#include "stub/installer.h"
#include "stub/paths.h"
#include "stub/system_places.h"

namespace stub {

namespace {
// The file version of a program (its version resource's fixed part: the
// signature 0xFEEF04BD, the structure's version 1.0, then the version's high
// and low 32 bits); false when it has none.
bool fileVersion(const std::string& image, uint64_t& version) {
    static const char kSignature[] = "\xBD\x04\xEF\xFE\x00\x00\x01\x00";
    const std::string signature(kSignature, 8);
    for (size_t at = image.find(signature); at != std::string::npos; at = image.find(signature, at + 1)) {
        if (at + 16 > image.size()) break;
        auto word = [&](size_t k) {
            uint32_t w = 0;
            for (int b = 3; b >= 0; --b) w = (w << 8) | static_cast<unsigned char>(image[k + static_cast<size_t>(b)]);
            return w;
        };
        version = (static_cast<uint64_t>(word(at + 8)) << 32) | word(at + 12);
        return true;
    }
    return false;
}

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

// Whether the ';'-delimited text already holds `part` whole (a repair, an
// upgrade, or the user's own entry): appending it again would repeat it.
bool holdsPart(const std::string& text, std::string part) {
    while (!part.empty() && part.front() == ';') part.erase(0, 1);
    while (!part.empty() && part.back() == ';') part.pop_back();
    return part.empty() || os::findNoCase(";" + text + ";", ";" + part + ";") != std::string::npos;
}
}  // namespace

bool Installer::makeFolders(const std::string& folder, std::string& error, bool protect) {
    std::vector<std::string> missing;
    for (std::string f = folder; !f.empty() && !os::directoryExists(f); f = parentOf(f)) {
        if (f.size() <= 3 && f.size() >= 2 && f[1] == ':') break;   // a drive root
        missing.push_back(f);
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        // The destination's own levels: only administrators may change what
        // an administrator's uninstall will run or remove.
        bool made = journal_.allow() && (protect ? os::createProtectedDirectory(*it) : os::createDirectory(*it));
        if (!made) {
            error = say("FolderNotCreated", {{"folder", *it}});
            return false;
        }
        journal_.madeFolder(*it);
        script_.createdDirectory(*it);
        changed_ = true;
    }
    return true;
}

// Moves (or copies) what is at `path` aside before the installation puts
// its own there: the product's own earlier file only until the installation
// has succeeded, anything else for the uninstall to give back.
bool Installer::keepAside(const std::string& path, bool productsOwn, bool copy, std::string& kept, std::string& error) {
    std::string folder;
    if (productsOwn) {
        if (aside_.empty()) {
            std::string name = staging_->freeFolderName();
            if (!journal_.allow() || !os::createDirectory(name)) {
                error = say("FolderNotCreated", {{"folder", name}});
                return false;
            }
            journal_.madeFolder(name);
            aside_ = name;
        }
        folder = aside_;
    } else {
        folder = joinPath(dest_, wzr::kKeptFolder);
        if (!makeFolders(folder, error)) return false;
    }
    for (int n = productsOwn ? 0 : keptCount_;; ++n) {
        kept = joinPath(folder, std::to_string(n));
        if (!os::fileExists(kept)) {
            if (!productsOwn) keptCount_ = n + 1;
            break;
        }
    }
    bool ok = journal_.allow() && (copy ? os::copyFile(path, kept, true) : os::moveFile(path, kept));
    if (!ok) {
        error = say("FileInUse", {{"file", path}});
        return false;
    }
    journal_.placedFile(path, kept, !productsOwn);
    if (!productsOwn) record_.kept.push_back({path, kept});
    return true;
}

// Puts every staged entry but `skip` in place. A folder the destination
// lacks moves whole with the files staged in it; the rest, one by one.
bool Installer::placeAll(size_t skip, std::string& error) {
    std::vector<StagedFolder>& folders = staging_->folders();
    for (size_t f = 0; f < folders.size(); ++f) {
        std::string target = joinPath(dest_, folders[f].path);
        int parent = folders[f].parent;
        bool carried = parent >= 0 && folders[static_cast<size_t>(parent)].moved && folders[f].staged;
        if (!carried && os::directoryExists(target)) continue;
        if (carried) {   // it went with its parent, and goes back with it
            folders[f].moved = true;
            script_.createdDirectory(target);
            continue;
        }
        if (!folders[f].staged) {
            if (!makeFolders(target, error)) return false;
            continue;
        }
        const std::string staged = staging_->stagedFolder(f);
        if (!journal_.allow() || !os::renameFolder(staged, target)) {
            error = say("FolderNotCreated", {{"folder", target}});
            return false;
        }
        folders[f].moved = true;
        // Undone whole: back into the staging folder, which then goes.
        journal_.changed(target, [this, f, staged, target] {
            std::vector<StagedFolder>& all = staging_->folders();
            for (size_t g = 0; g < all.size(); ++g) {
                size_t up = g;
                while (up != f && all[up].parent >= 0) up = static_cast<size_t>(all[up].parent);
                if (up == f) all[g].moved = false;
            }
            return os::renameFolder(target, staged);
        });
        script_.createdDirectory(target);
        changed_ = true;
    }
    // In the package's order: a file that moved with its folder is in place;
    // the others move one by one.
    std::vector<StagedEntry>& entries = staging_->entries();
    for (size_t i = 0; i < entries.size(); ++i) {
        if (i == skip || entries[i].kind == Staged::Folder || entries[i].copy.empty()) continue;
        if (staging_->carried(i)) script_.addFile(joinPath(dest_, entries[i].target));
        else if (!place(i, error)) return false;
    }
    return true;
}

// Moves entry i from the staging folder into its place, on its own.
bool Installer::place(size_t i, std::string& error) {
    StagedEntry& e = staging_->entries()[i];
    if (e.kind == Staged::Uninstaller) return placeUninstaller(e, error);
    std::string path = joinPath(dest_, e.target);
    if (!makeFolders(parentOf(path), error)) return false;
    std::string kept;
    if (os::fileExists(path) && !keepAside(path, script_.listsFile(path), false, kept, error)) return false;
    if (!journal_.allow() || !os::moveFile(e.copy, path)) {
        error = say("FileInUse", {{"file", path}});
        return false;
    }
    if (kept.empty()) journal_.placedFile(path, "", false);
    e.copy.clear();
    script_.addFile(path);
    changed_ = true;
    return true;
}

// Shared by every product in the Windows folder; never listed for removal.
bool Installer::placeUninstaller(StagedEntry& e, std::string& error) {
    const std::string windows = os::windowsFolder();
    std::string path = joinPath(windows, "UnBundlewright.exe");
    // A newer one stays: every later uninstall of any product runs it.
    uint64_t have = 0, brought = 0;
    std::string bytes;
    const bool existed = os::readWholeFile(path, bytes);
    if (existed && fileVersion(bytes, have) &&
        !(os::readWholeFile(e.copy, bytes) && fileVersion(bytes, brought) && brought >= have)) {
        os::deleteFile(e.copy);
        e.copy.clear();
        return true;
    }
    // Copied to a new name inside the Windows folder, so that it takes
    // that folder's permissions (a rename keeps the staged file's, and
    // the destination's may let users write), then renamed into place.
    std::string temp;
    for (int n = 0; temp.empty() && n < 100; ++n) {
        std::string name = joinPath(windows, "UnBundlewright.~" + std::to_string(n));
        if (os::copyFile(e.copy, name, true)) temp = name;
    }
    if (!journal_.allow() || temp.empty() || !os::moveFile(temp, path)) {
        if (!temp.empty()) os::deleteFile(temp);
        error = say("UninstallerNotWritten", {{"file", path}});
        return false;
    }
    // One that was there stays replaced: the one brought is as new or newer.
    if (!existed) journal_.placedFile(path, "", false);
    os::deleteFile(e.copy);
    e.copy.clear();
    return true;
}

std::string Installer::resolve(const std::string& text) const {
    return replaceNoCase(replaceNoCase(text, "<<TARGETDIR>>", dest_), "%WINDIR%", os::windowsFolder());
}

// Opens `key`, making the levels it lacks (each one this installation's to remove).
bool Installer::createKey(os::RegRoot root, const std::string& rootName, const std::string& key, os::RegKey& out) {
    std::string level;
    bool missing = false;
    for (const std::string& p : split(key, '\\')) {
        if (p.empty()) continue;
        level += (level.empty() ? "" : "\\") + p;
        if (!missing && os::RegKey::open(root, level).valid()) continue;
        missing = true;
        if (!journal_.allow() || !os::RegKey::create(root, level).valid()) return false;
        journal_.createdKey(root, level);
        script_.createdKey(rootName, level);
        changed_ = true;
    }
    out = os::RegKey::open(root, level);
    return out.valid();
}

bool Installer::setValue(os::RegKey& key, os::RegRoot root, const std::string& rootName, const std::string& subKey,
                         const std::string& name, const os::RegValue& value, std::string& error) {
    os::RegValue before;
    const bool existed = key.query(name, before);
    if (!journal_.allow() || !key.set(name, value)) {
        error = say("RegistryValueFailed", {{"name", name}, {"key", rootName + "\\" + subKey}});
        return false;
    }
    journal_.setValue(root, subKey, name, existed, before);
    changed_ = true;
    return true;
}

bool Installer::applyRegistry(std::string& error) {
    bool any = false;
    for (const RegInstruction& r : parseRegistry(pkg_.registry)) {
        os::RegRoot root;
        std::string rootName;
        if (!rootOf(r.root, root, rootName)) continue;   // HKEY_DYN_DATA and unknown roots: no such key here
        std::string level;
        for (const std::string& p : split(r.key, '\\'))
            if (!p.empty()) level += (level.empty() ? "" : "\\") + p;
        os::RegKey key;
        if (!createKey(root, rootName, level, key)) {
            error = say("RegistryKeyFailed", {{"key", rootName + "\\" + r.key}});
            return false;
        }
        any = true;
        if (r.op == RegOp::AddKey) continue;
        os::RegValue old;
        const bool existed = key.query(r.name, old);
        os::RegValue value = os::RegValue::string(
            r.data, r.data.find('%') != std::string::npos ? os::RegType::ExpandString : os::RegType::String);
        std::string appended = r.data;
        if (r.op == RegOp::AppendValue && existed) {
            if (!appendedValue(old, r.data, value, appended)) {
                // Another type (a number, binary data) cannot take a ';' part:
                // it stays as it is and the uninstall has nothing to undo.
                notices_.push_back(
                    say("RegistryNotText", {{"name", r.name}, {"key", rootName + "\\" + r.key}, {"value", r.data}}));
                continue;
            }
            if (appended.empty() || holdsPart(old.asString(), r.data)) continue;
        }
        // Another's value replaced: the uninstall writes its data back.
        const bool foreign = existed && r.op == RegOp::SetValue &&
                             !script_.listsCreatedValue(rootName, level, r.name) &&
                             !record_.keepsValue(rootName, level, r.name);
        if (!setValue(key, root, rootName, level, r.name, value, error)) return false;
        if (r.op == RegOp::AppendValue) {
            script_.appendedText(rootName, level, r.name, appended);
            // Created by the append: it goes once nothing else is left in it.
            if (!existed) record_.appended.push_back({rootName, level, r.name});
        } else if (!existed) {
            script_.createdValue(rootName, level, r.name);
        } else if (foreign) {
            record_.values.push_back({rootName, level, r.name, static_cast<uint32_t>(old.type),
                                      std::string(old.data.begin(), old.data.end())});
        }
    }
    if (any) os::broadcastEnvironmentChange();
    return true;
}

bool Installer::applyShortcuts(std::string& error) {
    for (const ShortcutLine& s : parseShortcuts(pkg_.shortcuts)) {
        std::string base, rest;
        if (!shellPlace(s.location, base, rest)) {
            error = say("ShortcutPlaceMissing", {{"folder", s.location}});
            return false;
        }
        std::string path = linkPath(base, rest);
        if (s.folder) {
            if (!makeFolders(path, error)) return false;
            continue;
        }
        if (!makeFolders(parentOf(path), error)) return false;
        std::string kept;
        if (os::fileExists(path) && !keepAside(path, script_.listsShortcut(path), true, kept, error)) return false;
        os::Shortcut link;
        link.target = resolve(s.target);
        link.arguments = resolve(s.arguments);
        link.description = s.description;
        link.workingDirectory = parentOf(link.target);
        if (!journal_.allow() || !os::createShortcut(path, link)) {
            error = say("ShortcutFailed", {{"file", path}});
            return false;
        }
        if (kept.empty()) journal_.placedFile(path, "", false);
        script_.addShortcut(path);
        changed_ = true;
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
        // One this product installed before (repair or upgrade) is updated in place.
        if (script_.listsService(s.name) && os::serviceExists(s.name)) {
            if (!journal_.allow() || !os::updateService(config)) {
                error = say("ServiceNotUpdated", {{"name", s.name}});
                return false;
            }
            continue;
        }
        if (!journal_.allow() || !os::createService(config)) {
            error = say(os::serviceExists(s.name) ? "ServiceExists" : "ServiceFailed", {{"name", s.name}});
            return false;
        }
        journal_.createdService(s.name);
        script_.addService(s.name);
        changed_ = true;
    }
    return true;
}

// The product's one entry in the system's list of installed programs,
// always listed for removal by the installation that wrote it.
bool Installer::registerProduct(std::string& error) {
    const std::string name = productName();
    const std::string key = entryKey();
    const std::string rootName = entryRoot_ == os::RegRoot::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
    const bool existed = os::RegKey::open(entryRoot_, key).valid();
    os::RegKey k;
    if (!createKey(entryRoot_, rootName, key, k)) {
        error = say("EntryFailed", {{"name", name}});
        return false;
    }
    if (existed) script_.createdKey(rootName, key);
    std::string uninstaller = "\"" + joinPath(os::windowsFolder(), "UnBundlewright.exe") + "\"";
    const std::pair<const char*, os::RegValue> values[] = {
        {"DisplayName", os::RegValue::string(name)},
        {"DisplayVersion", os::RegValue::string(blank(pkg_.version) ? std::string() : pkg_.version)},
        {"Publisher", os::RegValue::string(companyName())},
        {"InstallLocation", os::RegValue::string(dest_)},
        {"UninstallString", os::RegValue::string(uninstaller + " -f" + scriptPath())},
        {"QuietUninstallString", os::RegValue::string(uninstaller + " /S -f" + scriptPath())},
        {"NoModify", os::RegValue::dword(1)},
        {"NoRepair", os::RegValue::dword(1)}};
    for (const auto& v : values)
        if (!setValue(k, entryRoot_, rootName, key, v.first, v.second, error)) {
            error = say("EntryFailed", {{"name", name}});
            return false;
        }
    return true;
}

bool Installer::writeWhole(const std::string& path, const std::string& bytes, bool existed, const std::string& before,
                           const char* failure, std::string& error) {
    if (!journal_.allow()) {
        error = say(failure, {{"file", path}});
        return false;
    }
    const bool ok = os::writeWholeFile(path, bytes);
    journal_.wroteFile(path, existed, before);   // even a part written goes back
    if (!ok) error = say(failure, {{"file", path}});
    changed_ = true;
    return ok;
}

// The installation record, then the script: the script lists the record
// (and the folder of kept copies), so the uninstall removes them too.
bool Installer::writeRecords(std::string& error) {
    const std::string recordPath = joinPath(dest_, wzr::kRecordName);
    script_.addFile(recordPath);
    if (!writeWhole(recordPath, wzr::renderRecord(record_), hadRecord_, recordBefore_, "ScriptFailed", error))
        return false;
    // The uninstall writes back what the record says only when no one but
    // administrators could have changed it.
    os::protectPath(recordPath);
    return writeWhole(scriptPath(), script_.render(), hadScript_, scriptBefore_, "ScriptFailed", error);
}

}  // namespace stub
