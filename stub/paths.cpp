#include "stub/paths.h"

#include <cctype>
#include <cstring>

#include "platform/os/file_names.h"
#include "platform/os/os.h"
#include "platform/os/security.h"
#include "platform/os/text.h"
#include "stub/package_reader.h"
#include "stub/texts.h"

namespace stub {

bool safeRelative(const std::string& name, std::string& relative, std::string& why) {
    std::string n = name;
    for (char& c : n)
        if (c == '/') c = '\\';
    if (!n.empty() && n[0] == '\\') n.erase(0, 1);
    relative.clear();
    if (n.empty()) {
        why = "an empty name";
        return false;
    }
    if (n[0] == '\\') {
        why = "an absolute or network path";
        return false;
    }
    if (n.find(':') != std::string::npos) {
        why = "a drive letter or a data stream";
        return false;
    }
    const std::string fault = os::relativePathFault(n);
    if (!fault.empty()) {
        why = fault;
        return false;
    }
    relative = n;
    return true;
}

bool entryTarget(const std::string& name, EntryKind& kind, std::string& relative, std::string& why) {
    std::string installed = name;
    kind = EntryKind::Stored;
    if (endsWithNoCase(name, package::kDirectoryEntrySuffix)) {
        kind = EntryKind::Folder;
        installed = name.substr(0, name.size() - std::strlen(package::kDirectoryEntrySuffix));
        while (!installed.empty() && (installed.back() == '\\' || installed.back() == '/')) installed.pop_back();
        if (installed.empty()) {   // the destination itself
            relative.clear();
            return true;
        }
    } else if (endsWithNoCase(name, package::kCompressedSuffix)) {
        kind = EntryKind::Compressed;
        installed = name.substr(0, name.size() - std::strlen(package::kCompressedSuffix));
    }
    return safeRelative(installed, relative, why);
}

bool shortcutRelative(const std::string& rest, std::string& relative, std::string& why) {
    std::string trimmed;
    for (std::string part : split(rest, '\\')) {
        if (part == "." || part == "..") {
            why = "a component \"" + part + "\"";
            return false;
        }
        part = os::withoutTrailingDots(part);
        if (part.empty()) {   // "..", "...", " ": nothing Windows would name
            why = "a part that is only dots or blanks";
            return false;
        }
        trimmed += (trimmed.empty() ? "" : "\\") + part;
    }
    return safeRelative(trimmed, relative, why);
}

namespace {
// The system's own places come from the system: any program of the user can
// set a variable of that name, and an elevated installation would follow it.
bool systemPlace(const std::string& name, std::string& value) {
    if (equalsNoCase(name, "ProgramFiles")) value = os::programFilesFolder();
    else if (equalsNoCase(name, "windir") || equalsNoCase(name, "SystemRoot")) value = os::windowsFolder();
    else return false;
    return true;
}
}  // namespace

std::string expandEnvironment(const std::string& text) {
    std::string out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t open = text.find('%', pos);
        size_t close = open == std::string::npos ? open : text.find('%', open + 1);
        if (close == std::string::npos) break;
        std::string value;
        const std::string name = close > open + 1 ? text.substr(open + 1, close - open - 1) : std::string();
        if (!name.empty() && (systemPlace(name, value) || os::getEnv(name, value))) {
            out += text.substr(pos, open - pos) + value;
            pos = close + 1;
        } else {   // not a defined name: the first '%' stays, the second may open one
            out += text.substr(pos, close - pos);
            pos = close;
        }
    }
    return out + text.substr(pos < text.size() ? pos : text.size());
}

bool destinationFolder(const std::string& given, std::string& folder) {
    std::string f = expandEnvironment(given);
    while (!f.empty() && (f.front() == ' ' || f.front() == '\t')) f.erase(0, 1);
    while (!f.empty() && (f.back() == ' ' || f.back() == '\t')) f.pop_back();
    while (f.size() > 3 && f.back() == '\\') f.pop_back();
    folder.clear();
    if (f.size() < 3 || !std::isalpha(static_cast<unsigned char>(f[0])) || f[1] != ':' || f[2] != '\\') return false;
    if (!os::directoryExists(f.substr(0, 3))) return false;
    // A drive's root or the Windows folder would mix the product with what
    // the system and every other program keep there.
    const std::string windows = os::windowsFolder();
    if (f.size() == 3 || equalsNoCase(f, windows) || os::startsWithNoCase(f, windows + "\\")) return false;
    // Room below it for the uninstall script and the staging folder.
    if (f.size() + 24 > kMaxPathChars) return false;
    std::string rel, why;
    if (f.size() > 3 && !safeRelative(f.substr(3), rel, why)) return false;
    folder = f;
    return true;
}

std::string joinPath(const std::string& folder, const std::string& relative) {
    std::string f = folder;
    while (!f.empty() && f.back() == '\\') f.pop_back();
    size_t skip = 0;
    while (skip < relative.size() && relative[skip] == '\\') ++skip;
    return f + "\\" + relative.substr(skip);
}

std::string parentOf(const std::string& path) {
    size_t at = path.find_last_of('\\');
    return at == std::string::npos ? std::string() : path.substr(0, at);
}

}  // namespace stub
