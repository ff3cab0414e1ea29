// Names the package asks to write, checked against the destination: a name
// may only ever reach a place inside the folder it is joined to.
#pragma once

#include "platform/os/text.h"

#include <string>

namespace stub {

// Turns a packed name (with or without its leading backslash) into a relative
// path below the destination. False, with the reason, for names that could
// leave it or reach something else: "..", "." components, absolute paths,
// drive letters, alternate data streams, device names, empty components,
// characters Windows forbids, trailing dots or blanks.
bool safeRelative(const std::string& name, std::string& relative, std::string& why);

// The longest path the installer writes (the system's limit less its NUL).
constexpr size_t kMaxPathChars = os::kPathSlot - 1;

// What a packed entry stands for, and where below the destination it goes
// ("" for a folder marker of the destination itself). False, with the reason,
// for a name safeRelative refuses.
enum class EntryKind { Stored, Compressed, Folder };
bool entryTarget(const std::string& name, EntryKind& kind, std::string& relative, std::string& why);

// A shortcut's place below its shell folder: each part loses the trailing
// dots and blanks Windows drops from names ("Acme Inc." is the folder
// "Acme Inc"), then must pass safeRelative.
bool shortcutRelative(const std::string& rest, std::string& relative, std::string& why);

// Expands every %NAME% the environment defines; the others stay as written,
// as Windows leaves them. %ProgramFiles%, %windir% and %SystemRoot% are the
// system's own folders whatever the environment says.
std::string expandEnvironment(const std::string& text);

// The destination for what the user or the package gave: environment
// references expanded, blanks around it and trailing backslashes dropped.
// False when that is not a full path on an existing local drive ("C:\...")
// whose every part is an allowed name, or leaves no room for files below it,
// or is a drive's root or the Windows folder (or inside it).
bool destinationFolder(const std::string& given, std::string& folder);

// `folder` and `relative` joined by exactly one backslash.
std::string joinPath(const std::string& folder, const std::string& relative);

// The folder part of a path ("C:\a\b.txt" -> "C:\a"); "" without a backslash.
std::string parentOf(const std::string& path);

}  // namespace stub
