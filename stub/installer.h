// The installation engine, all or nothing. open() checks the whole package;
// install() then checks everything the installation needs (names, places,
// free space, the destination and the product's earlier installation,
// services, registry keys) before the first write, unpacks every entry into
// a staging folder, and only then changes the machine, recording each change
// in a journal. A failure after the first change undoes them all, last
// first: the machine is as it was, and the message says nothing was
// installed. What was there before and was not the product's own (a file, a
// shortcut, a registry value) is kept aside and given back by the uninstall,
// through the installation record beside the uninstall script.
//
// Files: staging.cpp (unpacking), system_changes.cpp (each change and its
// undo record), this file's .cpp (the checks and the sequence).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "platform/os/install_record.h"
#include "platform/os/registry.h"
#include "platform/os/shared_file.h"
#include "stub/install_journal.h"
#include "stub/language.h"
#include "stub/package_reader.h"
#include "stub/staging.h"
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
    std::string say(const char* key, std::initializer_list<std::pair<const char*, std::string>> values) const {
        return text_(key, values);
    }
    // The proposed destination: where the product is installed already,
    // else the default destination, else Program Files\<product>.
    std::string defaultDestination() const;
    // Why `folder` (a full path) cannot take the product, asked before the
    // install: it is installed in another folder already. "" when it can.
    std::string folderRefusal(const std::string& folder) const;

    // Installs into `destination` (see destinationFolder). False with a
    // message; the machine is then as it was (changedSomething() false)
    // unless putting something back failed too, which the message names.
    bool install(const std::string& destination, InstallProgress& progress, std::string& error);
    bool changedSomething() const { return changed_; }
    // After a failure past the first change: that everything was put back
    // ("nothing was installed"), or what could not be; "" otherwise.
    const std::string& outcome() const { return outcome_; }
    // The failure was the package's own: a damaged stream or more data than it declares.
    bool foundDamage() const { return damaged_; }
    // After a successful install: what the user should still hear of (the
    // post-installation program did not start), or "".
    const std::string& warning() const { return warning_; }
    // Test builds: the k-th change of the next install fails (0: none).
    void failAtChange(int k) { journal_.failAt(k); }

    const UninstallScript& script() const { return script_; }
    // What the installation left undone on purpose or should be told (an
    // append to a value that is not a text; an earlier record that could not
    // be read); empty when all was done.
    const std::vector<std::string>& notices() const { return notices_; }
    std::string scriptPath() const;
    // The readme's installed path ("" when the package offers none).
    std::string readmePath() const;

private:
    // installer.cpp: the checks and the sequence.
    bool check(std::string& error);
    bool checkPlaces(std::string& error) const;
    bool checkDestination(std::string& error);
    bool checkEarlier(std::string& error);
    bool checkSystem(std::string& error);
    bool registeredAt(std::string& folder) const;
    bool runProgram(const std::string& file, const std::string& cmdline, InstallProgress& progress,
                    std::string& error);
    bool undo();
    std::string resolve(const std::string& text) const;
    std::string productName() const;
    std::string companyName() const;   // "" when the package names none
    std::string entryKey() const;      // the product's entry in the list of installed programs

    // system_changes.cpp: each change, with its undo record in the journal.
    bool makeFolders(const std::string& folder, std::string& error, bool protect = false);
    bool keepAside(const std::string& path, bool productsOwn, bool copy, std::string& kept, std::string& error);
    bool placeAll(size_t skip, std::string& error);
    bool place(size_t i, std::string& error);
    bool placeUninstaller(StagedEntry& e, std::string& error);
    bool setValue(os::RegKey& key, os::RegRoot root, const std::string& rootName, const std::string& subKey,
                  const std::string& name, const os::RegValue& value, std::string& error);
    bool createKey(os::RegRoot root, const std::string& rootName, const std::string& key, os::RegKey& out);
    bool applyRegistry(std::string& error);
    bool applyShortcuts(std::string& error);
    bool applyServices(std::string& error);
    bool registerProduct(std::string& error);
    bool writeWhole(const std::string& path, const std::string& bytes, bool existed, const std::string& before,
                    const char* failure, std::string& error);
    bool writeRecords(std::string& error);

    os::SharedFile file_;                // the package, open once: every read goes through it
    Language text_;                      // the package's language, for the messages
    Package pkg_;
    Options options_;
    std::string dest_;
    UninstallScript script_;
    wzr::InstallRecord record_;
    Journal journal_;
    std::vector<std::string> notices_;
    std::vector<StagedEntry> plan_;      // per entry: its target and kind, from the check
    Staging* staging_ = nullptr;         // while an installation runs
    uint64_t spaceLimit_ = 0;            // the declared space: the files may not need more
    std::string aside_;                  // folder of copies kept for a rollback only, or ""
    int keptCount_ = 0;                  // copies kept for the uninstall so far
    bool hadScript_ = false, hadRecord_ = false;
    std::string scriptBefore_, recordBefore_;   // the earlier installation's files, as read
    os::RegRoot entryRoot_ = os::RegRoot::LocalMachine;
    bool changed_ = false, damaged_ = false;
    std::string warning_, outcome_;
};

// True for "1"/"2": the finish actions that end the session.
inline bool endsSession(int finishAction) { return finishAction == 1 || finishAction == 2; }

}  // namespace stub
