#include "stub/paths.h"

#include <cctype>
#include <cstring>

#include "stub/texts.h"

namespace stub {

static bool isDeviceName(const std::string& component) {
    // Windows opens the device whatever extension follows the name.
    std::string base = component.substr(0, component.find('.'));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    static const char* const devices[] = {"CON", "PRN", "AUX", "NUL", "CLOCK$", "CONIN$", "CONOUT$"};
    for (const char* d : devices)
        if (equalsNoCase(base, d)) return true;
    if (base.size() == 4 && std::isdigit(static_cast<unsigned char>(base[3])) && base[3] != '0' &&
        (equalsNoCase(base.substr(0, 3), "COM") || equalsNoCase(base.substr(0, 3), "LPT")))
        return true;
    return false;
}

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
    size_t pos = 0;
    while (true) {
        size_t at = n.find('\\', pos);
        std::string comp = n.substr(pos, at == std::string::npos ? std::string::npos : at - pos);
        if (comp.empty()) {
            why = "an empty path component";
            return false;
        }
        if (comp == "." || comp == "..") {
            why = "a component \"" + comp + "\"";
            return false;
        }
        if (comp.back() == '.' || comp.back() == ' ') {
            why = "a component ending in a dot or a blank";
            return false;
        }
        for (char c : comp)
            if (static_cast<unsigned char>(c) < 32 || std::strchr("<>\"|?*", c)) {
                why = "a character Windows does not allow in names";
                return false;
            }
        if (isDeviceName(comp)) {
            why = "a device name";
            return false;
        }
        if (at == std::string::npos) break;
        pos = at + 1;
    }
    relative = n;
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
