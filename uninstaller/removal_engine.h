// UnBundlewright's removal: the command line, reading the script and the
// installation's record beside it, and removing what the script lists in the
// fixed order (pre-uninstallation program, services, files, registry,
// shortcuts, directories), putting back what the record kept aside, with the
// failure list.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/os/install_record.h"
#include "uninstaller/uninstall_script.h"

namespace uninstaller {

inline constexpr char kCaption[] = "UnBundlewright";
inline constexpr char kMessageCaption[] = "Bundlewright";
inline constexpr char kNoScriptMessage[] = "Supporting file not found, Uninstallation will not continue";
inline constexpr char kConfirmQuestion[] =
    "Are you surely want to uninstall this product from your computer? This will remove all the program "
    "and supporting files. Press Yes to continue and No to exit from the Uninstallation wizard.";
inline constexpr char kStatusText[] = "\nPlease wait, system is uninstalling the software.";
inline constexpr char kResultWithFailures[] =
    "Uninstall completed. Some elements could not be removed. You should manually remove items related to "
    "the application.";
inline constexpr char kRightsMissing[] =
    "UnBundlewright removes programs only with administrator rights: the installations it removes changed the "
    "Windows folder and the list of installed programs for every user. Start it again as an administrator "
    "(\"Run as administrator\"). Nothing was removed.";
inline constexpr char kScriptNotTrusted[] =
    "This uninstall script is not one an installation on this computer left: no entry in the list of installed "
    "programs names it, and users other than administrators can change its folder. Nothing was removed.";
inline constexpr char kProgramOutside[] =
    "The uninstall script names a program or a file outside its own folder, which UnBundlewright does not touch. "
    "Nothing was removed.";
inline constexpr int kExitCode = 1;   // every way out of the program

// The script path: everything after the first "-f" that starts an argument
// after the program's own path, unchanged (quotes and blanks kept). The
// program path is skipped so a folder named like "C:\my-files\" cannot mislead.
std::optional<std::string> scriptPathFromCommandLine(const std::string& commandLine);

// Largest script read into memory; a bigger one is refused like a missing one.
inline constexpr uint64_t kMaxScriptBytes = 64ull << 20;

// Reads the whole script; nullopt when it cannot be opened, read or held in
// memory. The removal deletes it once it is accepted, before anything else.
std::optional<std::string> readScript(const std::string& path, uint64_t maxBytes = kMaxScriptBytes);

// An uninstall runs as administrator: it takes a script only when an entry of
// the machine's list of installed programs names it (its uninstall commands
// end in "-f" and the script's path), or when only administrators can change
// the script's folder (and the script itself).
bool scriptTrusted(const std::string& path);
// Whether what the script names on disk lies where its installation put it:
// the pre-uninstallation program (when it names one) and every file inside
// the script's own folder, every folder inside it or above it (the levels
// the installation made for its destination) or holding one of its shortcuts.
// (The record's copies come back only from inside the folder, and only to a
// file or shortcut the script lists.)
bool scriptStaysInItsFolder(const UninstallScript& script, const std::string& path);

// The installation's record (wzr::kRecordName beside the script), read whole
// once the script is accepted, before anything is deleted (the script lists
// the record among its files).
struct SideRecord {
    wzr::InstallRecord record;
    // "<script folder>\Uninstall.kept": copies come back only from inside it,
    // and only to a file or a shortcut the script lists.
    std::string keptFolder;
    // An installed-programs entry names the script, or only administrators
    // could change the record file: its registry values may be written, its
    // appended values deleted and its copies put back. A forged record must
    // not have the elevated removal touch any value, nor put a file a user
    // planted onto a listed path.
    bool trusted = false;
};
// The record beside the script at `scriptPath`; nullopt when it is missing,
// too large or damaged: the removal then follows the script alone.
std::optional<SideRecord> readSideRecord(const std::string& scriptPath);

// The registry roots a "!" record can name; the last two have no key the
// system lets us change, so records under them do nothing.
enum class ScriptRoot { Unset, LocalMachine, ClassesRoot, CurrentUser, Users, PerformanceData, DynData, CurrentConfig };
// The root a "!" record names, or nullopt for an unknown name.
std::optional<ScriptRoot> scriptRootNamed(const std::string& name);

// Removes one whole ';'-delimited occurrence of `text` from `value`: the
// match must start at the value's start or a ';' (or begin with ';' itself)
// and end at the value's end or a ';' (or end with ';' itself). False when
// there is none (value unchanged).
bool removeAppendedText(std::string& value, const std::string& text);

// Applies one registry record under `root` (updated by "!" records).
void applyRegistryRecord(const std::string& record, ScriptRoot& root);

// The removal's steps in their order; the main window marks each as it ends.
enum class Stage { Program, Services, Files, Registry, Shortcuts, Directories };
using StageDone = std::function<void(Stage)>;

// What could not be removed: the failure list, kept in memory (both windows
// are in one process), so no file of a name the user controls is ever
// written by the elevated uninstaller.
struct RemovalReport {
    int failureCount = 0;
    std::vector<std::string> failedFiles;
    std::vector<std::string> failedDirectories;
    bool programStarted = false;
};

// Steps after the confirmation: runs the pre-uninstallation program (waiting
// without limit; skipped when it cannot start; it inherits no handle of
// ours), then removes everything in order. `done` hears of each stage as it ends.
// With a record: the registry stage then writes back its kept values whose
// key still exists and deletes its appended values left holding nothing but
// ';' (all only when `trusted`); after the shortcuts stage its kept
// copies move back to their places (one that cannot is a failed file, named
// by its original path), so the directories stage finds Uninstall.kept empty.
RemovalReport removeInstalled(const UninstallScript& script, const std::optional<SideRecord>& record = std::nullopt,
                              const StageDone& done = {});

// The main window's result text and whether Details stays visible.
inline std::string resultText(const RemovalReport& r) { return r.failureCount > 0 ? kResultWithFailures : ""; }
inline bool detailsVisible(const RemovalReport& r) { return r.failureCount > 0; }

// The Details window's lines for the failures of a removal.
std::vector<std::string> detailsLines(const RemovalReport& report);

}  // namespace uninstaller

namespace uninstaller {

// How the removal talks to the user before its window is shown; the program
// passes its message boxes, so the texts and captions here are the boxes'.
struct Questions {
    std::function<void(const std::string& text, const std::string& caption)> message;   // OK box
    std::function<bool(const std::string& text, const std::string& caption)> ask;       // Yes/No, true = Yes
};

// Everything the main window's initialisation does: the script path from the
// command line, the confirmation, taking the script, the removal. Ends the
// process with kExitCode (os::exitProcess) when there is no script or the
// user answers No; nothing is removed then.
RemovalReport runUninstall(const std::string& commandLine, const Questions& questions,
                           const StageDone& done = {});

// "/S" as an argument before "-f": remove without a question or a window
// (the installed-programs entry's quiet uninstall command).
bool silentRequested(const std::string& commandLine);

// The silent removal: 0 when everything the script lists was removed, 1
// without a script (nothing removed), 2 when something stayed, 4 a script
// refused (not trusted, or its program outside its folder: nothing removed). (3: no administrator rights, nothing removed, told by
// runUnBundlewright before it gets here.)
int runSilentUninstall(const std::string& commandLine);

}  // namespace uninstaller
