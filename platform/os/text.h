// Text helpers every layer shares: ASCII case folding (tags, markers, file
// names and registry names are compared without regard to letter case),
// whole-file reads and writes, and the width of a path slot.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace os {

// A path as the system's fixed buffers hold it, with its terminating NUL;
// the record's and the files' other widths are derived from it.
constexpr std::size_t kPathSlot = 260;

// Header-only, so that the package readers built alone (fuzz targets) can use them.
inline char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
inline char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
inline std::string upperAscii(std::string s) {
    for (char& c : s) c = upperAscii(c);
    return s;
}
inline std::string lowerAscii(std::string s) {
    for (char& c : s) c = lowerAscii(c);
    return s;
}
inline bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upperAscii(a[i]) != upperAscii(b[i])) return false;
    return true;
}
// Position of the first occurrence of `needle` in `hay` at or after `from`,
// ignoring case; npos when absent.
inline std::size_t findNoCase(std::string_view hay, std::string_view needle, std::size_t from = 0) {
    if (needle.size() > hay.size()) return std::string::npos;
    for (std::size_t i = from; i + needle.size() <= hay.size(); ++i) {
        std::size_t k = 0;
        while (k < needle.size() && upperAscii(hay[i + k]) == upperAscii(needle[k])) ++k;
        if (k == needle.size()) return i;
    }
    return std::string::npos;
}
inline bool containsNoCase(std::string_view hay, std::string_view needle) {
    return findNoCase(hay, needle) != std::string::npos;
}
inline bool startsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && equalsNoCase(s.substr(0, prefix.size()), prefix);
}
inline bool endsWithNoCase(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && equalsNoCase(s.substr(s.size() - suffix.size()), suffix);
}

// Reads a whole file as raw bytes; false when it cannot be opened or read.
bool readWholeFile(const std::string& path, std::string& bytes);
// Writes `bytes` to `path`, truncating it; false when it cannot be opened or written.
bool writeWholeFile(const std::string& path, const std::string& bytes);

}  // namespace os
