#include "pages/text.h"

#include <cstdio>

#include "platform/os/os.h"

namespace pages {

namespace {
char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
}  // namespace

std::string upperAscii(std::string s) {
    for (char& c : s) c = upper(c);
    return s;
}

bool equalsNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upper(a[i]) != upper(b[i])) return false;
    return true;
}

std::size_t findNoCase(const std::string& hay, const std::string& needle) {
    return upperAscii(hay).find(upperAscii(needle));
}

bool readWholeFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    FILE* f = os::openFile(path, "rb");
    if (!f) return false;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    std::fclose(f);
    return true;
}

bool writeWholeFile(const std::string& path, const std::string& bytes) {
    FILE* f = os::openFile(path, "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
    return ok;
}

}  // namespace pages
