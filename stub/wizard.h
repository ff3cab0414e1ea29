// install.exe's windows: a prompt box, then one window per step (welcome,
// licence, password, destination folder, progress, finish) in the package's
// language, and the finish action, asked and never forced.
#pragma once

#include <string>

#include "platform/ui/dialog.h"
#include "stub/command_line.h"
#include "stub/installer.h"
#include "stub/language.h"

namespace stub {

// Exit codes of install.exe.
enum ExitCode { kExitOk = 0, kExitCancelled = 1, kExitDamaged = 2, kExitPassword = 3, kExitFailed = 4, kExitUsage = 5 };

// A page's result for "< Back" (IdOk goes on, IdCancel leaves Setup).
constexpr int kBack = 100;

// What the pages share while the windows run.
struct SetupState {
    Installer& installer;
    const Language& text;
    std::string destination;            // the folder page's choice
    bool passwordGiven = false;         // /P= matched: the password page is skipped
    std::string error;                  // why the installation stopped
    bool installed = false;
    bool firstStep = false;             // the window shown has none before it
};

// Runs the windows; returns install.exe's exit code.
int runWizard(Installer& installer, const Language& text, const Arguments& args);

// Texts for edit controls: every line break as CR LF.
std::string withCrLf(const std::string& text);
// "1.5 MB", "12 KB", from the package's space-required text (bytes).
std::string spaceText(const std::string& bytes);
// A destination the folder page accepts: a full path on an existing drive
// whose every part is a name Windows allows.
bool usableDestination(const std::string& folder);
// The progress line: a long path shortened to its drive and last parts.
std::string statusText(const std::string& path, size_t max = 70);

// The picture down the left of the welcome and finish windows (100 by 173
// dialog units at the usual font).
constexpr int kBannerWidth = 150, kBannerHeight = 281;
ui::Dib bannerPicture(int width, int height);

}  // namespace stub
