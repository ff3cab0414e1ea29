// The installation engine: checks the whole package, then installs it into
// the destination and writes the uninstall script. Every name the package
// gives (entries, programs, services, shortcut locations) is checked before
// the first byte is written; a failure midway still leaves an uninstall
// script for what was installed until then.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "platform/os/shared_file.h"
#include "stub/language.h"
#include "stub/package_reader.h"
#include "stub/texts.h"
#include "stub/uninstall_script.h"

namespace stub {

// Long work reports through this (the progress window, or nothing when silent).
struct InstallProgress {
    virtual ~InstallProgress() = default;
    virtual void onStatus(const std::string& text) { (void)text; }
    virtual void onProgress(size_t done, size_t total) { (void)done; (void)total; }
    // Called about every 50 ms while a program of the package runs.
    virtual void onWait() {}
};

class Installer {
public:
    ~Installer();
    // Opens and checks the package at `packagePath`.
    bool open(const std::string& packagePath, std::string& error);
    // Whether the package opened is the running program's own file (install.exe
    // refuses to run from anything else).
    bool openedOwnImage() const { return file_.isOwnImage(); }
    const Package& package() const { return pkg_; }
    const Options& options() const { return options_; }

    bool passwordMatches(const std::string& password) const;
    // The installer's text `key` in the package's language (English until
    // the package is read), with its placeholders filled from `values`.
    std::string say(const char* key, std::initializer_list<std::pair<const char*, std::string>> values) const;
    // The proposed destination: the default destination, else Program Files\<product>.
    std::string defaultDestination() const;

    // Installs into `destination` (see destinationFolder). Every entry is
    // unpacked into a staging folder inside the destination first, which
    // checks every stream and the declared size; only then are the files
    // moved into place. False with a message: when the check failed nothing
    // is left behind (changedSomething() is false); a later failure leaves
    // the uninstall script of what was installed so far.
    bool install(const std::string& destination, InstallProgress& progress, std::string& error);
    bool changedSomething() const { return changed_; }
    // The failure was the package's own: a damaged stream or more data than it declares.
    bool foundDamage() const { return damaged_; }
    // After a successful install: what the user should still hear of (the
    // post-installation program did not start), or "".
    const std::string& warning() const { return warning_; }

    const UninstallScript& script() const { return script_; }
    // What the installation left undone on purpose (an append to a value
    // that is not a text), for the user to read; empty when all was done.
    const std::vector<std::string>& notices() const { return notices_; }
    std::string scriptPath() const;
    // The readme's installed path ("" when the package offers none).
    std::string readmePath() const;

private:
    bool check(std::string& error);
    bool checkPlaces(std::string& error) const;
    bool makeFolders(const std::string& folder, std::string& error, bool protect = false);
    bool checkDestination(std::string& error);
    std::string freeFolderName() const;
    bool stageAll(InstallProgress& progress, std::string& error);
    bool placeAll(size_t skip, std::string& error);
    bool unpack(const os::SharedFile& in, const Entry& e, const std::string& path, bool compressed, std::atomic<uint64_t>* total,
                class DecoderMemory& memory, bool& damaged, std::string& error) const;
    bool place(size_t i, std::string& error);
    void discardStage();
    void undoFolders();
    bool runProgram(const std::string& file, const std::string& cmdline, InstallProgress& progress,
                    std::string& error);
    bool applyRegistry(std::string& error);
    bool applyShortcuts(std::string& error);
    bool applyServices(std::string& error);
    bool registerProduct(std::string& error);
    bool writeScript(std::string& error);
    std::string resolve(const std::string& text) const;

    os::SharedFile file_;                // the package, open once: every read goes through it
    Language text_;                      // the package's language, for the messages
    Package pkg_;
    Options options_;
    std::string dest_;
    UninstallScript script_;
    std::vector<std::string> notices_;
    std::vector<std::string> targets_;   // per entry: relative path ("" for the uninstaller)
    std::vector<int> kinds_;             // per entry: 0 stored, 1 compressed, 2 folder, 3 uninstaller
    uint64_t spaceLimit_ = 0;            // the declared space: the files may not need more
    std::string stage_;                  // the staging folder, while it exists
    std::string loose_;                  // entries staged by number (too long for the shape), or ""
    std::vector<std::string> staged_;    // per entry: its unpacked copy ("" when none or placed)
    std::vector<char> inTree_;           // per entry: staged at its own path below stage_
    std::vector<int> entryFolder_;       // per entry: its folder's index in folders_ (-1: the destination)
    std::vector<std::string> folders_;   // relative folders of the package, parents first
    std::vector<int> folderParent_;      // per folder: its parent's index (-1: the destination)
    std::vector<char> folderStaged_;     // per folder: made below stage_
    std::vector<char> moved_;            // per folder: moved into place whole
    std::vector<std::string> made_;      // folders this run created, in order
    bool changed_ = false, damaged_ = false;
    std::string warning_;
};

// True for "1"/"2": the finish actions that end the session.
inline bool endsSession(int finishAction) { return finishAction == 1 || finishAction == 2; }

}  // namespace stub
