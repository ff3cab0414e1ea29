// Names the package asks to write, checked against the destination: a name
// may only ever reach a place inside the folder it is joined to.
#pragma once

#include <string>

namespace stub {

// Turns a packed name (with or without its leading backslash) into a relative
// path below the destination. False, with the reason, for names that could
// leave it or reach something else: "..", "." components, absolute paths,
// drive letters, alternate data streams, device names, empty components,
// characters Windows forbids, trailing dots or blanks.
bool safeRelative(const std::string& name, std::string& relative, std::string& why);

// `folder` and `relative` joined by exactly one backslash.
std::string joinPath(const std::string& folder, const std::string& relative);

// The folder part of a path ("C:\a\b.txt" -> "C:\a"); "" without a backslash.
std::string parentOf(const std::string& path);

}  // namespace stub
