#include "pages/service_table.h"

#include "platform/os/text.h"

namespace pages {

const char* serviceFieldsFault(const std::string& executable, const std::string& name, const std::string& display) {
    for (const std::string* s : {&executable, &name, &display})
        if (s->find_first_of("~`") != std::string::npos) return kMsgServiceBadChar;
    if (name.find_first_of("/\\") != std::string::npos) return kMsgServiceNameSlash;
    if (name.size() > kServiceNameChars) return kMsgServiceNameTooLong;
    if (display.size() > kServiceDisplayChars) return kMsgServiceDisplayTooLong;
    if (executable.size() > kServiceExecutableChars) return kMsgServiceExecutableTooLong;
    return nullptr;
}

bool isExecutableLine(const std::string& line) {
    const std::string upper = os::upperAscii(line);
    const std::size_t at = upper.find(".EXE");
    return at != std::string::npos && at + 4 == upper.size();
}

std::string serviceExecutableName(const std::string& line, const std::string& sourceFolder) {
    const std::size_t n = sourceFolder.size();
    const bool inside = n > 0 && line.size() > n && os::equalsNoCase(line.substr(0, n), sourceFolder) &&
                        (sourceFolder.back() == '\\' || line[n] == '\\');
    if (inside) return line.substr(n);
    const std::size_t slash = line.rfind('\\');
    return "\\" + (slash == std::string::npos ? line : line.substr(slash + 1));
}

int ServiceTable::findName(const std::string& name) const {
    for (int i = 0; i < count_; ++i)
        if (entries_[i].state == 0 && entries_[i].name == name) return i;
    return -1;
}

int ServiceTable::find(const std::string& executable, const std::string& name, const std::string& display) const {
    for (int i = 0; i < count_; ++i) {
        const ServiceEntry& e = entries_[i];
        if (e.state == 0 && e.name == name && e.display == display && e.executable == executable) return i;
    }
    return -1;
}

int ServiceTable::add(const std::string& executable, const std::string& name, const std::string& display) {
    if (full()) return -1;
    ServiceEntry& e = entries_[count_];
    e = ServiceEntry{};
    e.executable = executable;
    e.name = name;
    e.display = display;
    return count_++;
}

void ServiceTable::update(int index, const std::string& executable, const std::string& display) {
    if (index < 0 || index >= count_) return;
    entries_[index].executable = executable;
    entries_[index].display = display;
}

void ServiceTable::remove(int index) {
    if (index >= 0 && index < count_) entries_[index].state = -1;
}

std::string ServiceTable::text() const {
    std::string out;
    for (int i = 0; i < count_; ++i) {
        const ServiceEntry& e = entries_[i];
        if (e.state != 0) continue;
        out += e.executable.str() + "~" + e.name.str() + "~" + e.display.str();
        if (i != count_ - 1) out += "\r\n";
    }
    return out;
}

std::vector<int> ServiceTable::restore(const std::string& text) {
    std::vector<int> added;
    std::size_t at = 0;
    while (at < text.size() && !full()) {
        std::size_t cr = text.find('\r', at);
        const std::string line = text.substr(at, cr == std::string::npos ? std::string::npos : cr - at);
        std::string f[3];
        std::size_t from = 0;
        for (int k = 0; k < 3 && from <= line.size(); ++k) {
            std::size_t tilde = line.find('~', from);
            f[k] = line.substr(from, tilde == std::string::npos ? std::string::npos : tilde - from);
            from = tilde == std::string::npos ? line.size() + 1 : tilde + 1;
        }
        // A line without a service name (a damaged text) names no service.
        if (!f[1].empty() && f[1][0] != '\0') added.push_back(add(f[0], f[1], f[2]));
        if (cr == std::string::npos) break;
        at = cr + 2;
    }
    return added;
}

}  // namespace pages
