// Small text helpers for the pages: ASCII case folding, as every reader of the
// working files compares tags and markers without regard to letter case.
#pragma once

#include <string>

namespace pages {

std::string upperAscii(std::string s);
bool equalsNoCase(const std::string& a, const std::string& b);
// Position of the first occurrence of `needle` in `hay`, ignoring case; npos when absent.
std::size_t findNoCase(const std::string& hay, const std::string& needle);
inline bool containsNoCase(const std::string& hay, const std::string& needle) {
    return findNoCase(hay, needle) != std::string::npos;
}

// Reads a whole file as raw bytes; false when it cannot be opened.
bool readWholeFile(const std::string& path, std::string& bytes);
// Writes `bytes` to `path`, truncating it; false when it cannot be opened or written.
bool writeWholeFile(const std::string& path, const std::string& bytes);

}  // namespace pages
