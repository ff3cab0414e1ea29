// The uninstall script (".wzu") that the installer stub writes and
// UnBundlewright executes; the stub also reads an earlier one to merge it.
//
// Bytes: a sequence of NUL-terminated strings, in this order:
//   1  the pre-uninstallation program's full path, or " " for none
//   2  its command line, or " " for none
//   3  installed files, full paths (a path ending in ".bz2" loses that suffix)
//   4  kNoRegistry, or kRegistryBegin, registry records, kRegistryEnd
//   5  kNoShortcuts, or one header string (the stub writes kShortcutsHeader),
//      shortcut file paths, kShortcutsEnd
//   6  kNoServices, or kServicesBegin, service names, kServicesEnd; any other
//      string means the part is absent and that string already belongs to part 7
//   7  directories, in the order they are to be removed
//   8  kScriptEnd
// Markers are compared without regard to letter case.
//
// The failure list passes what could not be removed to the Details window:
// failed file paths, kFailedDirectories, failed directory paths, kFailedEnd,
// each NUL-terminated.
#pragma once

namespace wzu {

inline constexpr char kNone[] = " ";
inline constexpr char kNoRegistry[] = "noregistryupdationdetails";
inline constexpr char kRegistryBegin[] = "**REGISTRY_UPDATION_DETAILS**";
inline constexpr char kRegistryEnd[] = "**END_REGISTRY**";
inline constexpr char kNoShortcuts[] = "noshortcutsdetails";
inline constexpr char kShortcutsHeader[] = "**SHORTCUTS**";
inline constexpr char kShortcutsEnd[] = "**END_SHORTCUTS**";
inline constexpr char kNoServices[] = "**noservicessection**";
inline constexpr char kServicesBegin[] = "**ServiceSection**";
inline constexpr char kServicesEnd[] = "**EndServices**";
inline constexpr char kScriptEnd[] = "**EndEndEnd**";

// A registry record that begins with one of these is a root line ("!ROOT")
// or an appended value ("~ROOT`KEY`NAME`PART"); any other is a key or value.
inline constexpr char kRootRecord = '!';
inline constexpr char kAppendRecord = '~';

// The machine's list of installed programs: each entry's uninstall commands
// end in "-f" and the path of its script.
inline constexpr char kInstalledProgramsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

inline constexpr char kFailedDirectories[] = "`~!@Directories@!~`";
inline constexpr char kFailedEnd[] = "`~!@End@!~`";

}  // namespace wzu
