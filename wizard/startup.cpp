#include "wizard/startup.h"

#include <cstdio>

#include "platform/os/os.h"
#include "platform/os/registry.h"

namespace wizard {
namespace {

// A key opened for reading, tried twice as a slow system may refuse the first time.
os::RegKey openTwice(os::RegRoot root, const std::string& sub_key) {
    os::RegKey key = os::RegKey::open(root, sub_key);
    if (!key.valid()) key = os::RegKey::open(root, sub_key);
    return key;
}

bool readTwice(const os::RegKey& key, const std::string& name, std::string& out) {
    os::RegValue value;
    if (!key.query(name, value) && !key.query(name, value)) return false;
    out = value.asString();
    return true;
}

// The default value of HKCR\<first>, else of HKCR\<second>; false when neither key
// opens or its value cannot be read.
bool readClassesDefault(const std::string& first, const std::string& second, std::string& out) {
    os::RegKey key = os::RegKey::open(os::RegRoot::ClassesRoot, first);
    if (!key.valid()) key = os::RegKey::open(os::RegRoot::ClassesRoot, second);
    if (!key.valid()) return false;
    return readTwice(key, "", out);
}

}  // namespace

bool findInstallDir(std::string& install_dir) {
    if (os::getEnv(kInstallDirVariable, install_dir)) return true;
    const os::RegKey key = openTwice(os::RegRoot::LocalMachine, kSystemEnvironmentKey);
    if (!key.valid()) return false;
    return readTwice(key, kInstallDirVariable, install_dir);
}

std::string trimBrowserCommand(const std::string& command) {
    std::string program = command;
    const size_t exe = program.find(".exe");
    if (exe != std::string::npos) program.resize(exe + 4);
    if (!program.empty() && program[0] == '"') program.erase(0, 1);
    return program;
}

std::string findBrowserCommand() {
    std::string file_class;
    if (!readClassesDefault(".html", ".htm", file_class) || file_class.empty()) return "";
    std::string command;
    if (!readClassesDefault(file_class + "\\shell\\opennew\\command",
                            file_class + "\\shell\\open\\command", command))
        return "";
    return trimBrowserCommand(command);
}

WorkingPaths workingPaths(const std::string& install_dir) {
    WorkingPaths p;
    p.list_file = install_dir + "\\temp\\list.txt";
    p.registry_file = install_dir + "\\temp\\registry.txt";
    p.shortcuts_file = install_dir + "\\temp\\shortcuts.txt";
    p.option_file = install_dir + "\\temp\\option.txt";
    p.panel_config = install_dir + "\\bin\\config.mnu";
    p.lang_dir = install_dir + "\\lang\\";
    return p;
}

std::string installDirTooLongMessage(const std::string& install_dir) {
    return "The installation folder's path is longer than " + std::to_string(kInstallDirMaxChars) +
           " characters; install Bundlewright in a shorter folder: " + install_dir;
}

LaunchRequest parseLaunchCommandLine(const std::string& command_line) {
    LaunchRequest r;
    const size_t first = command_line.find(':');
    if (first == std::string::npos) return r;
    const size_t second = command_line.find(':', first + 1);
    if (second == std::string::npos) {
        r.project_opened = 2;
        return r;
    }
    r.project_opened = 1;
    r.project_path = command_line.substr(second - 1);
    // The shell quotes a project path that holds blanks; a Windows path never ends
    // in a quote, so the closing one is not part of the name.
    if (r.project_path.size() > 1 && r.project_path.back() == '"') r.project_path.pop_back();
    return r;
}

void readPanelFlags(const std::string& config_path, int flags[kPanelFlagCount]) {
    if (FILE* f = os::openFile(config_path, "rb")) {
        unsigned char bytes[kPanelFlagCount];
        const size_t got = std::fread(bytes, 1, sizeof bytes, f);
        std::fclose(f);
        if (got == sizeof bytes) {
            for (int i = 0; i < kPanelFlagCount; ++i)
                flags[i] = bytes[i] >= '0' && bytes[i] <= '9' ? bytes[i] - '0' : 0;
            return;
        }
    }
    for (int i = 0; i < kPanelFlagCount; ++i) flags[i] = kDefaultPanelFlags[i];
    if (FILE* f = os::openFile(config_path, "wb")) {
        std::fwrite(kDefaultPanelConfig, 1, kPanelFlagCount, f);
        std::fclose(f);
    }
}

void removeWorkingFiles(const ProjectRecord& r) {
    for (const PathText* f : {&r.list_file_path, &r.registry_file_path, &r.shortcuts_file_path, &r.option_file_path})
        os::deleteFile(f->str());
}

}  // namespace wizard
