#include "stub/uninstall_script.h"

#include <algorithm>

#include "platform/os/text.h"
#include "platform/os/uninstall_script_format.h"
#include "stub/package_reader.h"
#include "stub/texts.h"

namespace stub {

namespace {
// Windows names are the same whatever their letter case.
void addOnce(std::vector<std::string>& list, const std::string& s) {
    for (const std::string& have : list)
        if (equalsNoCase(have, s)) return;
    list.push_back(s);
}
}  // namespace

void UninstallScript::setPreUninstall(const std::string& program, const std::string& cmdline) {
    program_ = program.empty() ? wzu::kNone : program;
    cmdline_ = cmdline.empty() ? wzu::kNone : cmdline;
}

void UninstallScript::addFile(const std::string& installed) {
    // UnBundlewright cuts a final ".bz2" off every file path (the suffix of
    // compressed entries); a file whose own name ends so keeps it only when
    // the path carries the suffix once more.
    std::string path = endsWithNoCase(installed, package::kCompressedSuffix) ? installed + package::kCompressedSuffix : installed;
    if (fileIndex_.insert(os::lowerAscii(path)).second) files_.push_back(path);
}

bool UninstallScript::listsFile(const std::string& installed) const {
    std::string path = endsWithNoCase(installed, package::kCompressedSuffix) ? installed + package::kCompressedSuffix : installed;
    return fileIndex_.count(os::lowerAscii(path)) != 0;
}

bool UninstallScript::listsShortcut(const std::string& path) const {
    for (const std::string& s : shortcuts_)
        if (equalsNoCase(s, path)) return true;
    return false;
}

bool UninstallScript::listsCreatedValue(const std::string& root, const std::string& key, const std::string& name) const {
    return earlierValues_.count(os::lowerAscii(root + "\\" + key + "`" + name)) != 0;
}

void UninstallScript::createdKey(const std::string& root, const std::string& key) {
    registry_.push_back({root, key});
}

void UninstallScript::createdValue(const std::string& root, const std::string& key, const std::string& name) {
    registry_.push_back({root, key + "`" + name});
}

void UninstallScript::appendedText(const std::string& root, const std::string& key, const std::string& name,
                                   const std::string& text) {
    registry_.push_back({root, "~" + key + "~" + name + "~" + text});
}

void UninstallScript::addShortcut(const std::string& path) { addOnce(shortcuts_, path); }
void UninstallScript::addService(const std::string& name) { addOnce(services_, name); }

bool UninstallScript::listsService(const std::string& name) const {
    for (const std::string& s : services_)
        if (equalsNoCase(s, name)) return true;
    return false;
}

bool UninstallScript::mergeEarlier(const std::string& bytes) {
    std::vector<std::string> s;
    size_t pos = 0;
    for (size_t at; (at = bytes.find('\0', pos)) != std::string::npos; pos = at + 1) s.push_back(bytes.substr(pos, at - pos));
    size_t i = 2;
    auto at = [&](const char* marker) { return i < s.size() && equalsNoCase(s[i], marker); };
    std::vector<std::string> files, records, links, services, dirs;
    while (i < s.size() && !at(wzu::kNoRegistry) && !at(wzu::kRegistryBegin)) files.push_back(s[i++]);
    if (at(wzu::kRegistryBegin)) {
        for (++i; i < s.size() && !at(wzu::kRegistryEnd); ++i) records.push_back(s[i]);
    }
    if (i++ >= s.size()) return false;
    if (at(wzu::kNoShortcuts)) {
        ++i;
    } else {
        for (++i; i < s.size() && !at(wzu::kShortcutsEnd); ++i) links.push_back(s[i]);
        ++i;
    }
    if (at(wzu::kNoServices)) {
        ++i;
    } else if (at(wzu::kServicesBegin)) {
        for (++i; i < s.size() && !at(wzu::kServicesEnd); ++i) services.push_back(s[i]);
        ++i;
    }
    for (; i < s.size() && !at(wzu::kScriptEnd); ++i) dirs.push_back(s[i]);
    if (i >= s.size()) return false;   // no end: not a script we wrote
    for (const std::string& f : files)
        if (fileIndex_.insert(os::lowerAscii(f)).second) files_.push_back(f);
    earlierRegistry_.insert(earlierRegistry_.end(), records.begin(), records.end());
    std::string root;
    for (const std::string& r : records) {
        if (!r.empty() && r[0] == wzu::kRootRecord) root = r.substr(1);
        else if (!r.empty() && r[0] != wzu::kAppendRecord && r.find('`') != std::string::npos)
            earlierValues_.insert(os::lowerAscii(root + "\\" + r));
    }
    for (const std::string& l : links) addShortcut(l);
    for (const std::string& n : services) addService(n);
    for (const std::string& d : dirs) createdDirectory(d);
    return true;
}

void UninstallScript::createdDirectory(const std::string& path) { addOnce(dirs_, path); }

std::string UninstallScript::render() const {
    std::string out;
    auto put = [&out](const std::string& s) {
        out += s;
        out.push_back('\0');
    };
    put(program_);
    put(cmdline_);
    for (const auto& f : files_) put(f);
    if (registry_.empty() && earlierRegistry_.empty()) {
        put(wzu::kNoRegistry);
    } else {
        put(wzu::kRegistryBegin);
        std::string root;
        for (auto it = registry_.rbegin(); it != registry_.rend(); ++it) {
            if (it->root != root) {
                put("!" + it->root);
                root = it->root;
            }
            put(it->text);
        }
        for (const auto& r : earlierRegistry_) put(r);   // they set their own roots
        put(wzu::kRegistryEnd);
    }
    if (shortcuts_.empty()) {
        put(wzu::kNoShortcuts);
    } else {
        put(wzu::kShortcutsHeader);
        for (const auto& s : shortcuts_) put(s);
        put(wzu::kShortcutsEnd);
    }
    if (services_.empty()) {
        put(wzu::kNoServices);
    } else {
        put(wzu::kServicesBegin);
        for (const auto& s : services_) put(s);
        put(wzu::kServicesEnd);
    }
    // Deepest first, so every folder is empty by the time its turn comes;
    // among equals, the later-created first.
    std::vector<std::string> dirs(dirs_.rbegin(), dirs_.rend());
    std::stable_sort(dirs.begin(), dirs.end(), [](const std::string& a, const std::string& b) {
        return std::count(a.begin(), a.end(), '\\') > std::count(b.begin(), b.end(), '\\');
    });
    for (const auto& d : dirs) put(d);
    put(wzu::kScriptEnd);
    return out;
}

}  // namespace stub
