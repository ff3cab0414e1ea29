// list.txt, the one description of a package's contents. Raw bytes:
//   - one line per entry, each ended by CR LF; no header, no blank lines,
//     nothing after the last CR LF; a line holds at most 259 characters;
//   - file line:   FOLDER + "\" (unless FOLDER ends in "\") + NAME
//   - marker line: FOLDER + "\" (unless FOLDER ends in "\") + "temp$", for a
//     folder without files of its own; any line containing "temp$" (any case)
//     is a marker for every reader.
// Readers take whole lines (a 259-character line must never look like a line
// end followed by an empty line) and stop at the first empty line.
#pragma once

#include "platform/os/text.h"

#include <string>
#include <vector>

namespace pages::list_txt {

inline constexpr const char* kLineEnd = "\r\n";
inline constexpr const char* kMarkerName = "temp$";
inline constexpr std::size_t kMaxLineChars = os::kPathSlot - 1;

// FOLDER joined with NAME by one backslash unless FOLDER already ends in one.
std::string join(const std::string& folder, const std::string& name);
bool isMarker(const std::string& line);
// The lines of `bytes`, each cut at its first CR, up to the first empty line.
std::vector<std::string> readLines(const std::string& bytes);

}  // namespace pages::list_txt
