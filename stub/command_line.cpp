#include "stub/command_line.h"

#include <cctype>

#include "platform/os/text.h"

namespace stub {

static std::string unquote(std::string s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.pop_back();
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = s.substr(1, s.size() - 2);
    return s;
}

Arguments parseArguments(const std::string& line) {
    Arguments a;
    size_t pos = 0, n = line.size();
    // Skip the program, quoted or not.
    while (pos < n && std::isspace(static_cast<unsigned char>(line[pos]))) ++pos;
    if (pos < n && line[pos] == '"') {
        size_t end = line.find('"', pos + 1);
        pos = end == std::string::npos ? n : end + 1;
    } else {
        while (pos < n && !std::isspace(static_cast<unsigned char>(line[pos]))) ++pos;
    }
    while (pos < n) {
        while (pos < n && std::isspace(static_cast<unsigned char>(line[pos]))) ++pos;
        if (pos >= n) break;
        bool quoted = line[pos] == '"';
        size_t start = quoted ? pos + 1 : pos;
        std::string word;
        if (quoted) {
            size_t end = line.find('"', start);
            word = line.substr(start, end == std::string::npos ? std::string::npos : end - start);
            pos = end == std::string::npos ? n : end + 1;
        } else {
            size_t end = start;
            while (end < n && !std::isspace(static_cast<unsigned char>(line[end]))) ++end;
            word = line.substr(start, end - start);
            pos = end;
        }
        auto opt = [&](const char* o) {
            return word.size() >= 3 && word[0] == '/' && os::upperAscii(word[1]) == o[0] &&
                   word[2] == '=';
        };
        auto flag = [&](char f) {
            return word.size() == 2 && word[0] == '/' && os::upperAscii(word[1]) == f;
        };
        if (flag('S')) {
            a.silent = true;
        } else if (flag('R')) {
            a.endSession = true;
        } else if (opt("D")) {
            // The destination runs to the end of the line.
            a.hasDestination = true;
            a.destination = quoted ? word.substr(3) : unquote(line.substr(start + 3));
            if (!quoted) break;
        } else if (opt("P")) {
            a.hasPassword = true;
            a.password = word.substr(3);
        }
    }
    return a;
}

}  // namespace stub
