#include "pages/list_txt.h"

#include "platform/os/text.h"

namespace pages::list_txt {

std::string join(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '\\') return folder + name;
    return folder + "\\" + name;
}

bool isMarker(const std::string& line) { return os::containsNoCase(line, kMarkerName); }

std::vector<std::string> readLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t lf = bytes.find('\n', pos);
        std::size_t end = (lf == std::string::npos) ? bytes.size() : lf;
        std::string line = bytes.substr(pos, end - pos);
        std::size_t cr = line.find('\r');
        if (cr != std::string::npos) line.resize(cr);
        if (line.empty()) break;
        lines.push_back(std::move(line));
        if (lf == std::string::npos) break;
        pos = lf + 1;
    }
    return lines;
}

}  // namespace pages::list_txt
