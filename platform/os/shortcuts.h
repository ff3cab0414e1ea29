// The shell: the user's shell folders, shortcut (.lnk) files, the
// environment-change broadcast and the end of the session. Win32: the real
// shell (IShellLink, SHGetFolderPath, WM_SETTINGCHANGE, ExitWindowsEx).
// Native: the folders live under BUNDLEWRIGHT_SHELL (a Windows path; default
// the temp folder's "shell"), a shortcut is a small text file standing in for
// the .lnk, the broadcast does nothing and the session cannot be ended.
#pragma once

#include <string>

namespace os {

enum class ShellFolder { Desktop, StartMenu, Programs, Startup };

// The folder's path without a trailing backslash; "" when the system has none.
std::string shellFolder(ShellFolder which);

struct Shortcut {
    std::string target;
    std::string arguments;
    std::string description;
    std::string workingDirectory;
};
// Writes the shortcut file at `linkPath` (replacing one there).
bool createShortcut(const std::string& linkPath, const Shortcut& shortcut);
// Reads back what a shortcut file points to; false when it is not one.
bool readShortcut(const std::string& linkPath, Shortcut& out);

// Opens the document `path` (a full path) with the program the shell
// associates with its type; false when it cannot. Natively always false.
bool openDocument(const std::string& path);
// Starts `program` (a full path) with `commandLine` as the user whose
// desktop this is (the shell's own account), not as an elevated caller:
// what the user opens from an installer's last page runs with the user's
// rights. False when no shell or its account can be had; natively always.
bool startAsShellUser(const std::string& program, const std::string& commandLine);

// Tells running programs that the system environment changed.
void broadcastEnvironmentChange();

// Logs the user off (restart false) or restarts the computer; false when refused.
bool endSession(bool restart);

}  // namespace os
