// Start-up of Tarnwick: where the installation lives, which program opens help
// pages, the working-file paths, what the command line asks for, and the panel
// flags in config.mnu. Plain functions over strings so the welcome page's
// initialisation stays a short sequence of calls.
#pragma once

#include "platform/os/text.h"
#include "wizard/project_record.h"

#include <string>

namespace wizard {

inline constexpr char kInstallDirVariable[] = "TWKINSTDIR";
inline constexpr char kSystemEnvironmentKey[] =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

// M1, caption "Bundlewright", OK only; followed by exit code 1.
inline constexpr char kInstallDirMissing[] =
    "Environment variable is not set. Restart your computer before continuing with Bundlewright.";

inline constexpr int kPanelFlagCount = 7;
inline constexpr int kDefaultPanelFlags[kPanelFlagCount] = {1, 0, 1, 1, 0, 0, 0};
inline constexpr char kDefaultPanelConfig[] = "1011000";

// The installation folder: the process's TWKINSTDIR when set, else the value of
// that name under the system Environment key (open and read each tried twice).
// False when neither is there.
bool findInstallDir(std::string& install_dir);

// The program that opens .html pages (the file class of ".html", else ".htm";
// its shell\opennew\command, else shell\open\command). Empty when not found.
std::string findBrowserCommand();

// A registered command reduced to its program: cut right after the first ".exe"
// (case-sensitive; the whole text when there is none), then one leading double
// quote dropped.
std::string trimBrowserCommand(const std::string& command);

// The six working paths, install_dir and a fixed suffix each, joined as they are
// (an install_dir ending in '\' gives a doubled backslash).
struct WorkingPaths {
    std::string list_file;       // \temp\list.txt
    std::string registry_file;   // \temp\registry.txt
    std::string shortcuts_file;  // \temp\shortcuts.txt
    std::string option_file;     // \temp\option.txt
    std::string panel_config;    // \bin\config.mnu
    std::string lang_dir;        // \lang\ (trailing backslash)
};
WorkingPaths workingPaths(const std::string& install_dir);

// Removes the four working files: what an earlier run or an earlier project
// of this run left there belongs to another project, and a package carries
// only what this project's pages write.
void removeWorkingFiles(const ProjectRecord& r);

// The longest working path must fit its 259-character slot: a longer folder
// would be cut into other paths than the ones it names. Shown with caption
// "Bundlewright", then exit code 1.
inline constexpr std::size_t kInstallDirMaxChars = os::kPathSlot - sizeof("\\temp\\shortcuts.txt");
std::string installDirTooLongMessage(const std::string& install_dir);

// What the command line asks for, by its colons: none gives mode 0; one gives
// mode 2 (the program path alone); a second one gives mode 1 and the project
// path from the character before that colon (its drive letter) to the end.
struct LaunchRequest {
    int project_opened = 0;
    std::string project_path;
};
LaunchRequest parseLaunchCommandLine(const std::string& command_line);

// The seven panel flags from config.mnu: its first 7 bytes, each a digit's value
// or 0 for any other byte (a longer file is left as it is). A missing or shorter
// file is recreated as "1011000" and gives 1,0,1,1,0,0,0; so does a file that can
// neither be read nor created.
void readPanelFlags(const std::string& config_path, int flags[kPanelFlagCount]);

}  // namespace wizard
