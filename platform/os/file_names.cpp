#include "platform/os/file_names.h"

#include <algorithm>
#include <cstring>

#include "platform/os/text.h"

namespace os {

namespace {

bool forbidden(char c) { return static_cast<unsigned char>(c) < 32 || std::strchr("<>:\"/\\|?*", c) != nullptr; }

// Windows opens the device whatever extension follows the name, and takes
// the superscript digits of the ANSI code page (0xB9, 0xB2, 0xB3) for COM and LPT.
bool isDeviceName(std::string_view name) {
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    for (const char* d : {"CON", "PRN", "AUX", "NUL", "CLOCK$", "CONIN$", "CONOUT$"})
        if (equalsNoCase(base, d)) return true;
    if (base.size() != 4 || !(startsWithNoCase(base, "COM") || startsWithNoCase(base, "LPT"))) return false;
    const unsigned char n = static_cast<unsigned char>(base[3]);
    return (n >= '1' && n <= '9') || n == 0xB9 || n == 0xB2 || n == 0xB3;
}

}  // namespace

std::string nameFault(std::string_view name) {
    if (name.empty()) return "is empty";
    if (name == "." || name == "..") return "is \"" + std::string(name) + "\", which names a folder already";
    if (name.size() > kNameChars) return "is longer than " + std::to_string(kNameChars) + " characters";
    for (char c : name)
        if (forbidden(c)) return "holds a character Windows does not allow in names (< > : \" / \\ | ? * or a control character)";
    if (name.back() == '.' || name.back() == ' ') return "ends in a dot or a blank";
    if (isDeviceName(name)) return "is a device name";
    return std::string();
}

std::string withoutTrailingDots(std::string name) {
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    return name;
}

std::string usableName(std::string_view text) {
    std::string out;
    for (char c : text)
        if (!forbidden(c)) out.push_back(c);
    out = withoutTrailingDots(out);
    if (out.size() > kNameChars) out = withoutTrailingDots(out.substr(0, kNameChars));
    if (isDeviceName(out)) out.insert(std::min(out.find('.'), out.size()), "_");   // "con.txt" -> "con_.txt"
    return out;
}

std::string relativePathFault(std::string_view path) {
    std::size_t pos = 0;
    for (;;) {
        const std::size_t at = path.find('\\', pos);
        const std::string_view part = path.substr(pos, at == std::string_view::npos ? std::string_view::npos : at - pos);
        const std::string fault = nameFault(part);
        if (!fault.empty()) return "the name \"" + std::string(part) + "\" " + fault;
        if (at == std::string_view::npos) return std::string();
        pos = at + 1;
    }
}

}  // namespace os
