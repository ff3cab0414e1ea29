#include "builder/status_line.h"

#include "platform/os/text.h"

#include <cctype>

#include "platform/os/package_format.h"

namespace builder {

namespace {
constexpr size_t kStatusWidth = 69;
constexpr size_t kPrefixLimit = 63;   // a kept backslash sits at most at 63 - name length
constexpr const char kEllipsis[] = ".... \\";
}  // namespace

std::string statusLineFor(const std::string& path) {
    if (path.size() <= kStatusWidth) return path;
    size_t slash = path.rfind('\\');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.size() >= kStatusWidth) return name;
    // A name of 64 to 68 characters leaves no room for any folder.
    bool room = name.size() <= kPrefixLimit;
    size_t limit = room ? kPrefixLimit - name.size() : 0;
    size_t prefixEnd = 0;
    for (size_t i = 0; room && i < path.size(); ++i) {
        if (path[i] != '\\') continue;
        if (i > limit) break;
        prefixEnd = i;
    }
    return path.substr(0, prefixEnd) + kEllipsis + name;
}

std::string relativeName(const std::string& line, const std::string& sourceFolder) {
    if (!sourceFolder.empty()) {
        bool endsInSlash = sourceFolder.back() == '\\';
        for (size_t at = os::findNoCase(line, sourceFolder); at != std::string::npos;
             at = os::findNoCase(line, sourceFolder, at + 1)) {
            size_t rest = at + sourceFolder.size();
            // "C:\Prod" must not match inside "C:\Production\a.txt".
            if (endsInSlash || rest == line.size() || line[rest] == '\\') return line.substr(rest);
        }
    }
    size_t slash = line.rfind('\\');
    return "\\" + (slash == std::string::npos ? line : line.substr(slash + 1));
}

bool isDirectoryMarker(const std::string& relative) {
    size_t at = os::findNoCase(relative, package::kDirectoryMarker);
    return at != std::string::npos && at + sizeof(package::kDirectoryMarker) - 1 == relative.size();
}

}  // namespace builder
