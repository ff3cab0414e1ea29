// The installation engine: checks the whole package, then installs it into
// the destination and writes the uninstall script. Every name the package
// gives (entries, programs, services, shortcut locations) is checked before
// the first byte is written; a failure midway still leaves an uninstall
// script for what was installed until then.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "stub/package_reader.h"
#include "stub/texts.h"
#include "stub/uninstall_script.h"

namespace stub {

// Long work reports through this (the progress window, or nothing when silent).
struct InstallProgress {
    virtual ~InstallProgress() = default;
    virtual void onStatus(const std::string& text) { (void)text; }
    virtual void onProgress(size_t done, size_t total) { (void)done; (void)total; }
};

class Installer {
public:
    ~Installer();
    // Opens and checks the package at `packagePath`.
    bool open(const std::string& packagePath, std::string& error);
    const Package& package() const { return pkg_; }
    const Options& options() const { return options_; }

    bool passwordMatches(const std::string& password) const;
    // The proposed destination: the default destination, else Program Files\<product>.
    std::string defaultDestination() const;

    // Checks every name against `destination`, then installs. False with a
    // message; the script then lists what was installed so far.
    bool install(const std::string& destination, InstallProgress& progress, std::string& error);

    const UninstallScript& script() const { return script_; }
    // What the installation left undone on purpose (an append to a value
    // that is not a text), for the user to read; empty when all was done.
    const std::vector<std::string>& notices() const { return notices_; }
    std::string scriptPath() const;
    // The readme's installed path ("" when the package offers none).
    std::string readmePath() const;

private:
    bool check(std::string& error);
    bool makeFolders(const std::string& folder, std::string& error);
    bool extract(const Entry& e, const std::string& path, bool compressed, std::string& error);
    bool installEntry(const Entry& e, std::string& error);
    bool runProgram(const std::string& file, const std::string& cmdline, std::string& error);
    bool applyRegistry(std::string& error);
    bool applyShortcuts(std::string& error);
    bool applyServices(std::string& error);
    bool writeScript(std::string& error);
    std::string resolve(const std::string& text) const;

    FILE* file_ = nullptr;
    Package pkg_;
    Options options_;
    std::string dest_;
    UninstallScript script_;
    std::vector<std::string> notices_;
    std::vector<std::string> targets_;   // per entry: relative path ("" for the uninstaller)
    std::vector<int> kinds_;             // per entry: 0 stored, 1 compressed, 2 folder, 3 uninstaller
};

// True for "1"/"2": the finish actions that end the session.
inline bool endsSession(int finishAction) { return finishAction == 1 || finishAction == 2; }

}  // namespace stub
