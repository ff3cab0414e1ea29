// The operating-system layer: everything the programs ask of the system.
// Paths are Windows paths as the user typed them ("C:\Prod\a.txt"). The Win32
// build hands them to the system unchanged; the native build maps drive
// letters to host folders (drive_map.h) and emulates the registry and the
// service manager.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace os {

// A path the native drive map cannot resolve (unmapped drive, UNC path).
struct PathError : std::runtime_error {
    explicit PathError(const std::string& what) : std::runtime_error(what) {}
};

// ---- files -----------------------------------------------------------------

// Buffered stdio on a Windows path; modes as fopen ("rb", "wb", "ab", "r", "w").
// Returns nullptr on failure (an unmappable path fails too, with errno ENOENT).
FILE* openFile(const std::string& path, const char* mode);
// Creates `path` as a new file open for writing ("wb"): nullptr when a file
// (or a link) of that name is already there, so nothing planted is followed
// or overwritten.
FILE* createNewFile(const std::string& path);

struct FileStat {
    bool isDirectory = false;
    bool isRegular = false;
    uint64_t size = 0;
    unsigned linkCount = 1;     // hard links (1 where the system cannot tell)
    int64_t modified = 0;       // seconds since 1970
};
bool statPath(const std::string& path, FileStat& out);   // false when absent
bool fileExists(const std::string& path);
bool directoryExists(const std::string& path);

struct DirEntry {
    std::string name;           // as the system returns it, "." and ".." included
    bool isDirectory = false;
    uint64_t size = 0;
    // False when the ANSI code page cannot hold the system's name: `name` then
    // only shows it (each missing character as <U+65E5>), and no call opens it.
    bool nameHeld = true;
};
// Every entry of a folder in the order the file system returns it (no sorting).
// False when the folder cannot be opened.
bool listFolder(const std::string& folder, std::vector<DirEntry>& out);

std::string currentDirectory();                     // Windows form, no trailing '\' except at a root
bool setCurrentDirectory(const std::string& path);

bool copyFile(const std::string& from, const std::string& to, bool failIfExists);
bool deleteFile(const std::string& path);
bool moveFile(const std::string& from, const std::string& to);   // replaces the target
// Renames a folder, with everything in it, on its volume; false when `to` exists.
bool renameFolder(const std::string& from, const std::string& to);
bool createDirectory(const std::string& path);      // one level
bool createDirectories(const std::string& path);    // every missing level
bool removeDirectory(const std::string& path);      // empty folders only

// Free bytes for the caller on the drive of `root` ("C:\"); false when unknown.
bool freeDiskSpace(const std::string& root, uint64_t& freeBytes);
// Creates (or replaces) a file of `size` zero bytes that takes no disk space
// where the file system allows, whatever the free space; false when it cannot.
bool createSparseFile(const std::string& path, uint64_t size);

std::string tempFolder();                           // the user's temp folder, with trailing '\'
// The Windows folder: the system's on Win32; natively BUNDLEWRIGHT_WINDIR
// (a Windows path) when set, else "C:\windows".
std::string windowsFolder();
// The system folder (System32 as this program sees it): where the programs
// the installer and the uninstaller start by name are taken from. Natively
// the Windows folder's "system32".
std::string systemFolder();
std::string executablePath();                       // the running program, Windows form

// Native only: the host path behind a Windows path (throws PathError naming
// the path). A component missing in the exact case is looked up
// case-insensitively, as Windows would find it.
// On Win32 returns the path unchanged.
std::string hostPath(const std::string& winPath);
// Native only: the Windows form of a host path (longest mapped prefix, else
// Z: while Z: is "/"; PathError when nothing maps it).
// On Win32 both return the path unchanged.
std::string windowsPath(const std::string& hostPath);

// ---- code page -------------------------------------------------------------

// Paths and texts are bytes of the Windows ANSI code page. Its name
// ("Windows-1252"): on Win32 the system's; natively BUNDLEWRIGHT_CODEPAGE,
// else 1252 (PathError when the setting is not one the C library converts).
std::string codePageName();
// Native only: a host text (UTF-8, as command-line arguments come) as ANSI
// bytes, PathError naming it when the code page cannot hold it; and ANSI
// text as the terminal shows it (UTF-8; <U+65E5> as its character).
// On Win32 both return the text unchanged.
std::string ansiFromHost(const std::string& text);
std::string terminalText(const std::string& ansi);
// ANSI text as UTF-8 on both hosts (for documents such as JSON); a byte the
// code page does not know as <0x81>.
std::string utf8Text(const std::string& ansi);
// UTF-8 text (a JSON document's) as ANSI bytes on both hosts; PathError
// naming it when the code page cannot hold it.
std::string ansiFromUtf8(const std::string& utf8);
// Whether ANSI bytes are valid in the code page (a text made with another
// code page may not be, and then names no file).
bool validInCodePage(const std::string& ansi);

// ---- environment, command line, time, exit ---------------------------------

bool getEnv(const std::string& name, std::string& value);
void setEnv(const std::string& name, const std::string& value);
void unsetEnv(const std::string& name);

// The whole command line as one string, program path first (GetCommandLineA).
std::string commandLine();
// Set by main() natively (and by tests); Win32 reads the system's.
void setCommandLine(const std::string& line);

// Splits a command line as Windows programs do: the first token (the program)
// runs to the closing quote or the first blank, unchanged; the arguments
// follow the C runtime's rules (blanks separate, quotes group, backslashes
// escape only before a quote).
std::vector<std::string> splitCommandLine(const std::string& line);
// Quotes one argument so that splitCommandLine gives it back unchanged.
std::string quoteArgument(const std::string& arg);

void sleepMs(unsigned ms);

// Thrown instead of ending the process while the exit trap is set (tests).
struct ExitRequest {
    int code;
};
// Ends the process with `code`; under test throws ExitRequest{code}.
[[noreturn]] void exitProcess(int code);
void setExitTrap(bool on);
bool exitTrapped();

// ---- processes -------------------------------------------------------------

// Starts a program from a command line (first token the program, quoted when
// it holds blanks). With wait, blocks without limit and stores the exit code.
// False when the program could not be started.
// Natively the line is split with splitCommandLine; a program named with a
// drive letter or a backslash goes through the drive map, one with '/' only
// is a host path, a bare name is searched on PATH. Arguments pass unchanged;
// a program killed by a signal reports 128 + the signal.
bool startProcess(const std::string& commandLine, bool wait, int* exitCode = nullptr,
                  bool inheritHandles = false);

// Starts a program as startProcess does, in `folder` (the caller's own when
// empty), and waits without limit, calling `idle` about every 50 ms while
// it runs, so the caller's window keeps painting. False when it could not
// be started.
bool runAndWait(const std::string& commandLine, const std::string& folder, int* exitCode,
                const std::function<void()>& idle);

// Whether this process may change machine-wide places (the Windows folder,
// HKLM, services): on Win32 a member of the Administrators group whose token
// is not an administrator's limited one; natively false only when the Windows
// folder exists and cannot be written.
bool hasAdministratorRights();

// ---- threads ---------------------------------------------------------------

// The processors this program may run on (at least 1).
unsigned processorCount();

// Runs work(0) ... work(count - 1) at the same time, each on a thread of its
// own, and returns when all have returned, calling `idle` on the calling
// thread about every 50 ms meanwhile (when set). A thread that cannot be
// started has its work run on the calling thread after the others started.
void runOnThreads(unsigned count, const std::function<void(unsigned)>& work, const std::function<void()>& idle);

}  // namespace os
