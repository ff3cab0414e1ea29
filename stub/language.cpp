#include "stub/language.h"

#include "platform/os/text.h"

namespace stub {

namespace {

std::string trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
    return s.substr(b, e - b);
}

// The English texts: every key the installer shows.
const char* const kEnglish[][2] = {
    {"Caption", "{product} Setup"},
    {"Back", "< &Back"},
    {"Next", "&Next >"},
    {"Install", "&Install"},
    {"Cancel", "Cancel"},
    {"Finish", "&Finish"},
    {"Browse", "B&rowse..."},
    {"WelcomeTitle", "Welcome to the {product} Setup Wizard"},
    {"DefaultWelcome",
     "This wizard installs {product} {version} on your computer.\n\nIt is recommended that you close all other "
     "applications before continuing.\n\nClick Next to continue, or Cancel to exit Setup."},
    {"Publisher", "Publisher:"},
    {"Version", "Version:"},
    {"Contact", "Contact:"},
    {"LicenseTitle", "License Agreement"},
    {"LicenseIntro", "Please read the following license agreement. You must accept its terms to continue."},
    {"LicenseAccept", "I &accept the agreement"},
    {"LicenseDecline", "I &do not accept the agreement"},
    {"PasswordTitle", "Password"},
    {"PasswordIntro", "This installation is protected by a password. Please enter the password, then click Next."},
    {"PasswordLabel", "&Password:"},
    {"PasswordWrong", "The password is not correct. Please try again."},
    {"FolderTitle", "Destination Folder"},
    {"FolderIntro",
     "Setup will install {product} into the following folder. To install into a different folder, type its name or "
     "click Browse."},
    {"FolderLabel", "&Destination folder:"},
    {"SpaceRequired", "Space required: {space}"},
    {"FolderEmpty", "Please enter the destination folder."},
    {"FolderInvalid", "The folder \"{folder}\" cannot be used. Please enter a full path on an existing drive."},
    {"BrowseTitle", "Choose the folder to install {product} into:"},
    {"ProgressTitle", "Installing"},
    {"ProgressIntro", "Please wait while Setup installs {product} on your computer."},
    {"FinishTitle", "Setup Complete"},
    {"FinishText", "Setup has finished installing {product} on your computer.\n\nClick Finish to exit Setup."},
    {"FinishReadme", "&Show the readme file now"},
    {"ReadmeFailed", "The readme file {file} cannot be opened."},
    {"CancelAsk", "Setup is not complete. Are you sure you want to exit Setup?"},
    {"Failed", "The installation of {product} did not complete:\n\n{error}"},
    {"FailedNothing", "The installation of {product} did not complete:\n\n{error}\n\nNothing was changed on your computer."},
    {"PostInstallFailed", "{product} is installed, but the program to run after the installation did not start:\n\n{error}"},
    // The installation's own failures, shown as {error}.
    {"PackageUnreadable", "The package {file} cannot be opened."},
    {"OptionsDamaged", "The package is damaged or incomplete: its option sections are damaged."},
    {"NameLeaves", "The package is refused: the name \"{name}\" would leave the destination folder ({reason}). Nothing was installed."},
    {"NameUnusable", "The package is refused: the name \"{name}\" cannot be used ({reason}). Nothing was installed."},
    {"SpaceNotNumber", "The package is damaged or incomplete: its required space \"{space}\" is not a number."},
    {"SpaceExceeded", "The package is damaged: its files need more than the {space} bytes it declares."},
    {"SpaceExceededAt", "The package is damaged: its files need more than the {space} bytes it declares (at {file})."},
    {"DataDamaged", "The package is damaged: the data of {file} cannot be unpacked."},
    {"PathTooLong", "The path {file}... would be {length} characters long, more than Windows allows ({limit}). Choose a shorter destination folder. Nothing was installed."},
    {"DestinationUnusable", "The destination folder \"{folder}\" cannot be used: give a full path on an existing local drive, such as {example}. Nothing was installed."},
    {"DestinationLink", "The destination folder {folder} cannot be used: {file} is a link to another place. Choose another folder. Nothing was installed."},
    {"DestinationOpen", "The destination folder {folder} can be changed by users other than administrators, and its permissions cannot be set. Choose another folder. Nothing was installed."},
    {"NoFreeSpace", "There is not enough free space on {drive}: the installation needs {space} bytes, {free} are free. Nothing was installed."},
    {"FolderNotCreated", "The folder {folder} cannot be created."},
    {"FileNotWritten", "The file {file} cannot be written."},
    {"FileIncomplete", "The file {file} cannot be written completely (the disk may be full)."},
    {"FileInUse", "The file {file} cannot be written (it may be in use)."},
    {"UninstallerNotWritten", "The uninstaller {file} cannot be written."},
    {"ProgramNotStarted", "The program {file} cannot be started."},
    {"RegistryKeyFailed", "The registry key {key} cannot be created."},
    {"RegistryValueFailed", "The registry value {name} of {key} cannot be set."},
    {"RegistryNotText", "The registry value {name} of {key} is not a text; {value} was not appended to it."},
    {"ShortcutPlaceMissing", "The shortcut place {folder} is not available."},
    {"ShortcutFailed", "The shortcut {file} cannot be created."},
    {"ServiceExists", "The service {name} already exists."},
    {"ServiceFailed", "The service {name} cannot be created."},
    {"ServiceNotUpdated", "The service {name} cannot be updated."},
    {"EntryFailed", "The entry of {name} in the list of installed programs cannot be written."},
    {"ScriptFailed", "The uninstall script {file} cannot be written."},
    {"NothingChanged", "Nothing was installed."},
    {"NothingInstalled", "Everything the installation had changed was put back: nothing was installed."},
    {"RollbackIncomplete", "Not everything the installation had changed could be put back: {file}."},
    {"FolderHoldsOther", "The folder {folder} holds another product ({name}). Choose another folder. Nothing was installed."},
    {"FolderRecordUnreadable", "The folder {folder} holds an installation whose record cannot be read ({file}). Choose another folder. Nothing was installed."},
    {"RecordRestarted", "The record of the earlier installation in {folder} could not be read; a new one was started, and the uninstall removes only what this installation put there."},
    {"InstalledElsewhere", "{product} is installed in {folder} already. Install it there, or remove it first. Nothing was installed."},
    {"RightsMissing",
     "{product} can be installed only with administrator rights: it writes to the Windows folder and to the list of "
     "installed programs for every user. Start the package again as an administrator (\"Run as administrator\"). "
     "Nothing was installed."},
    {"LogoffAsk", "To complete the installation of {product}, you must log off. Do you want to log off now?"},
    {"RestartAsk",
     "To complete the installation of {product}, the computer must be restarted. Do you want to restart now?"},
    {"EndSessionFailed", "Windows did not allow this. Please do it yourself later."},
};

}  // namespace

Language::Language() {
    for (const auto& t : kEnglish) texts_[os::lowerAscii(t[0])] = t[1];
}

bool Language::known(const std::string& key) const { return texts_.count(os::lowerAscii(key)) != 0; }

int Language::load(const std::string& text) {
    int taken = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        std::string t = trim(line);
        if (t.empty() || t[0] == '#') continue;
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = os::lowerAscii(trim(line.substr(0, eq)));
        auto it = texts_.find(key);
        if (it == texts_.end()) continue;
        std::string raw = trim(line.substr(eq + 1)), value;
        for (size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '\\' && i + 1 < raw.size() && (raw[i + 1] == 'n' || raw[i + 1] == '\\')) {
                value += raw[i + 1] == 'n' ? '\n' : '\\';
                ++i;
            } else {
                value += raw[i];
            }
        }
        if (value.empty()) continue;   // an empty text would leave a control blank
        it->second = value;
        ++taken;
    }
    return taken;
}

std::string Language::operator()(const std::string& key) const {
    auto it = texts_.find(os::lowerAscii(key));
    if (it == texts_.end()) return key;
    const std::string& t = it->second;
    std::string out;
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i] == '{') {
            size_t close = t.find('}', i);
            if (close != std::string::npos) {
                auto v = values_.find(t.substr(i + 1, close - i - 1));
                if (v != values_.end()) {
                    out += v->second;   // values are never scanned again
                    i = close;
                    continue;
                }
            }
        }
        out += t[i];
    }
    return out;
}

}  // namespace stub
