#include "stub/uninstall_script.h"

#include <algorithm>

#include "stub/package_reader.h"
#include "stub/texts.h"

namespace stub {

void UninstallScript::setPreUninstall(const std::string& program, const std::string& cmdline) {
    program_ = program.empty() ? " " : program;
    cmdline_ = cmdline.empty() ? " " : cmdline;
}

void UninstallScript::addFile(const std::string& installed) {
    // UnBundlewright cuts a final ".bz2" off every file path (the suffix of
    // compressed entries); a file whose own name ends so keeps it only when
    // the path carries the suffix once more.
    std::string path = endsWithNoCase(installed, kCompressedSuffix) ? installed + kCompressedSuffix : installed;
    if (std::find(files_.begin(), files_.end(), path) == files_.end()) files_.push_back(path);
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

void UninstallScript::addShortcut(const std::string& path) { shortcuts_.push_back(path); }
void UninstallScript::addService(const std::string& name) { services_.push_back(name); }

void UninstallScript::createdDirectory(const std::string& path) {
    if (std::find(dirs_.begin(), dirs_.end(), path) == dirs_.end()) dirs_.push_back(path);
}

std::string UninstallScript::render() const {
    std::string out;
    auto put = [&out](const std::string& s) {
        out += s;
        out.push_back('\0');
    };
    put(program_);
    put(cmdline_);
    for (const auto& f : files_) put(f);
    if (registry_.empty()) {
        put("noregistryupdationdetails");
    } else {
        put("**REGISTRY_UPDATION_DETAILS**");
        std::string root;
        for (auto it = registry_.rbegin(); it != registry_.rend(); ++it) {
            if (it->root != root) {
                put("!" + it->root);
                root = it->root;
            }
            put(it->text);
        }
        put("**END_REGISTRY**");
    }
    if (shortcuts_.empty()) {
        put("noshortcutsdetails");
    } else {
        put("**SHORTCUTS**");
        for (const auto& s : shortcuts_) put(s);
        put("**END_SHORTCUTS**");
    }
    if (services_.empty()) {
        put("**noservicessection**");
    } else {
        put("**ServiceSection**");
        for (const auto& s : services_) put(s);
        put("**EndServices**");
    }
    // Deepest first, so every folder is empty by the time its turn comes;
    // among equals, the later-created first.
    std::vector<std::string> dirs(dirs_.rbegin(), dirs_.rend());
    std::stable_sort(dirs.begin(), dirs.end(), [](const std::string& a, const std::string& b) {
        return std::count(a.begin(), a.end(), '\\') > std::count(b.begin(), b.end(), '\\');
    });
    for (const auto& d : dirs) put(d);
    put("**EndEndEnd**");
    return out;
}

}  // namespace stub
