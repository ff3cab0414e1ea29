// option.txt, the installation options for the installer stub. Raw bytes,
// five sections always in this order: PROMPT, WELCOME, LICENSE, PASSWORD, README.
//   off: "NO_<NAME>_SECTION" CR LF CR LF
//   on:  "YES_<NAME>_SECTION" CR LF, the value bytes, CR LF CR LF
// Values: the prompt (259 characters at most); "default" or the welcome file's
// bytes up to its first NUL; the licence file's bytes up to its first NUL; the
// password (15 characters at most); the readme path after the source folder
// text, upper-cased. Nothing else separates the sections.
#pragma once

#include "platform/os/text.h"

#include <functional>
#include <string>

namespace pages {

inline constexpr std::size_t kPromptFileChars = os::kPathSlot - 1;
inline constexpr std::size_t kPromptRecordChars = 100;
inline constexpr std::size_t kPasswordChars = 15;
inline constexpr std::size_t kOptionPathChars = os::kPathSlot - 1;

inline constexpr const char* kMsgNeedPrompt = "You must enter the value for prompting";
inline constexpr const char* kMsgNeedWelcome = "You must enter the filename for the welcome dialog";
inline constexpr const char* kMsgWelcomeMissing = "File for Welcome dialog does not exist";
inline constexpr const char* kMsgNeedLicense = "You must enter the filename for the license dialog";
inline constexpr const char* kMsgLicenseMissing = "File for License agreement does not exist";
inline constexpr const char* kMsgNeedPassword = "You must enter the password value";
inline constexpr const char* kMsgNeedReadme = "You must enter the readme file name";
inline constexpr const char* kMsgReadmeMissing = "Enter the valid filename for readme";
inline constexpr const char* kMsgReadmeOutside = "Readme file must be from source folder only.";
inline constexpr const char* kMsgMaximumLimit = "You reached the maximum limit";

// The all-off form: the five "NO_" markers run together.
std::string allOffOptionText();
// Writes the all-off form; a file that cannot be opened is skipped silently.
void writeAllOffOptionFile(const std::string& optionFilePath);

// The installation options page's values as they stand in its controls.
struct InstallOptions {
    int prompt_enabled = 0;
    int welcome_enabled = 0;
    int license_enabled = 0;
    int password_enabled = 0;
    int readme_enabled = 0;
    int register_product = 0;
    std::string prompt_text;
    std::string password;
    std::string welcome_file;   // a path, or "Default" in any letter case
    std::string license_file;
    std::string readme_file;
};

bool isDefaultWelcome(const std::string& entry);

// A welcome or licence file's bytes up to its first NUL; false when it
// cannot be read.
bool readOptionText(const std::string& path, std::string& text);

struct OptionCommit {
    bool ok = true;
    std::string message;   // the first failing check's text when !ok
};

// The section-by-section commit: validates in section order and writes
// option.txt. On a failure the file holds the sections before the failing
// one. A file entry longer than its 259-character slot is refused, and an
// option.txt that cannot be created is a failure, never a silent success.
// The file copies (welcome, licence) go through copyText, which the page
// runs under its own fatal code.
using TextCopy = std::function<bool(const std::string& path, std::string& text)>;
OptionCommit commitOptionFile(const std::string& optionFilePath, const InstallOptions& values,
                              const std::string& sourceFolderText, const TextCopy& copyText = readOptionText);

std::string optionFileTooLongMessage(const std::string& path);
std::string optionFileNotWritableMessage(const std::string& path);

}  // namespace pages
