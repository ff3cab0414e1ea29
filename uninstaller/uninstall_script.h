// The uninstall script (".wzu") that the installer stub writes and
// UnBundlewright executes.
//
// The format is platform/os/uninstall_script_format.h.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/os/uninstall_script_format.h"

namespace uninstaller {

using wzu::kFailedDirectories;
using wzu::kFailedEnd;
using wzu::kNoRegistry;
using wzu::kNone;
using wzu::kNoServices;
using wzu::kNoShortcuts;
using wzu::kRegistryBegin;
using wzu::kRegistryEnd;
using wzu::kScriptEnd;
using wzu::kServicesBegin;
using wzu::kServicesEnd;
using wzu::kShortcutsEnd;

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
