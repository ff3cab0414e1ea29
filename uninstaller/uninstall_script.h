// The uninstall script (".wzu") that the installer stub writes and
// UnBundlewright executes.
//
// Bytes: a sequence of NUL-terminated strings, in this order:
//   1  the pre-uninstallation program's full path, or " " for none
//   2  its command line, or " " for none
//   3  installed files, full paths (a path ending in ".bz2" loses that suffix)
//   4  "noregistryupdationdetails", or kRegistryBegin, registry records, kRegistryEnd
//   5  "noshortcutsdetails", or one header string, shortcut file paths, kShortcutsEnd
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

#include <cstddef>
#include <string>
#include <vector>

namespace uninstaller {

inline constexpr char kNone[] = " ";
inline constexpr char kNoRegistry[] = "noregistryupdationdetails";
inline constexpr char kRegistryBegin[] = "**REGISTRY_UPDATION_DETAILS**";
inline constexpr char kRegistryEnd[] = "**END_REGISTRY**";
inline constexpr char kNoShortcuts[] = "noshortcutsdetails";
inline constexpr char kShortcutsEnd[] = "**END_SHORTCUTS**";
inline constexpr char kNoServices[] = "**noservicessection**";
inline constexpr char kServicesBegin[] = "**ServiceSection**";
inline constexpr char kServicesEnd[] = "**EndServices**";
inline constexpr char kScriptEnd[] = "**EndEndEnd**";

inline constexpr char kFailedDirectories[] = "`~!@Directories@!~`";
inline constexpr char kFailedEnd[] = "`~!@End@!~`";

// What a script asks for. Only strings that end with their NUL are taken: a
// script cut short never yields a shortened path (which could name something
// the installation did not create).
struct UninstallScript {
    std::string program;                    // " " for none
    std::string commandLine;                // " " for none
    std::vector<std::string> files;         // already cut at a trailing ".bz2"
    std::vector<std::string> registryRecords;
    std::vector<std::string> shortcuts;
    bool hasServices = false;
    std::vector<std::string> services;
    std::vector<std::string> directories;
    bool complete = false;                  // the end marker was reached
};

UninstallScript parseUninstallScript(const char* data, size_t size);
inline UninstallScript parseUninstallScript(const std::string& data) {
    return parseUninstallScript(data.data(), data.size());
}

// A compressed entry's name without its ".bz2" suffix; other paths unchanged
// (".bz2" inside a folder name is part of that name).
std::string cutCompressedSuffix(const std::string& path);

bool sameMarker(const std::string& s, const char* marker);   // ignores letter case

// Builds the byte form above one string at a time.
struct ScriptWriter {
    std::string bytes;
    void add(const std::string& s) { bytes.append(s); bytes.push_back('\0'); }
};

struct FailureList {
    std::vector<std::string> files;
    std::vector<std::string> directories;
};
// Reads a failure list; stops at the end of the data when a marker is missing.
FailureList parseFailureList(const char* data, size_t size);
inline FailureList parseFailureList(const std::string& data) {
    return parseFailureList(data.data(), data.size());
}

}  // namespace uninstaller
