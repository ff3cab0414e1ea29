// Texts the builder derives from list lines.
#pragma once

#include <string>

namespace builder {

// The status line for a file: at most 69 characters of a full path, keeping
// its leading folders and the file name, the middle given as ".... \".
std::string statusLineFor(const std::string& path);

// The entry name of a list line: the rest after the source folder (first
// occurrence, letter case ignored, ending at a folder boundary). A line from
// outside the source folder gets "\" + its file name, so a package never names
// another drive or folder.
std::string relativeName(const std::string& line, const std::string& sourceFolder);

// True when the relative name stands for a folder without files ("...\temp$").
bool isDirectoryMarker(const std::string& relative);

}  // namespace builder
