#include "uninstaller/removal_engine.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "platform/os/os.h"
#include "platform/os/registry.h"
#include "platform/os/security.h"
#include "platform/os/text.h"
#include "platform/os/services.h"
#include "platform/os/shortcuts.h"
#include "platform/os/text.h"
#include "platform/os/uninstall_script_format.h"

namespace uninstaller {

std::optional<std::string> scriptPathFromCommandLine(const std::string& line) {
    size_t pos = 0;
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
    if (pos < line.size() && line[pos] == '"') {
        size_t close = line.find('"', pos + 1);
        pos = close == std::string::npos ? line.size() : close + 1;
    } else {
        while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t') ++pos;
    }
    for (size_t at = line.find("-f", pos); at != std::string::npos; at = line.find("-f", at + 1)) {
        if (at == pos || line[at - 1] == ' ' || line[at - 1] == '\t') return line.substr(at + 2);
    }
    return std::nullopt;
}

std::optional<std::string> readScript(const std::string& path, uint64_t maxBytes) {
    FILE* f = os::openFile(path, "rb");
    if (!f) return std::nullopt;
    std::optional<std::string> out;
    os::FileStat st;
    if (os::statPath(path, st) && st.isRegular && st.size <= maxBytes) {
        try {
            std::string data(static_cast<size_t>(st.size), '\0');
            size_t got = data.empty() ? 0 : std::fread(data.data(), 1, data.size(), f);
            if (got == data.size() && !std::ferror(f)) out = std::move(data);
        } catch (const std::bad_alloc&) {
        }
    }
    std::fclose(f);
    return out;
}



namespace {
std::string folderOf(const std::string& path) {
    size_t cut = path.find_last_of('\\');
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}
}  // namespace

bool scriptTrusted(const std::string& path) {
    // The machine's list only: a user's own list is the user's to write.
    const char kUninstallKeys[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    os::RegKey list = os::RegKey::open(os::RegRoot::LocalMachine, kUninstallKeys);
    for (const std::string& name : list.valid() ? list.subKeys() : std::vector<std::string>{}) {
        os::RegKey entry = os::RegKey::open(os::RegRoot::LocalMachine, std::string(kUninstallKeys) + "\\" + name);
        for (const char* command : {"UninstallString", "QuietUninstallString"}) {
            os::RegValue v;
            if (entry.valid() && entry.query(command, v) && os::endsWithNoCase(v.asString(), "-f" + path)) return true;
        }
    }
    const std::string folder = folderOf(path);
    return !folder.empty() && !os::othersMayChange(folder) && !os::othersMayChange(path);
}

bool programInsideScriptFolder(const UninstallScript& script, const std::string& path) {
    if (script.program.empty() || script.program == kNone) return true;
    const std::string& p = script.program;
    const std::string folder = folderOf(path) + "\\";
    // No component may climb out again.
    return os::startsWithNoCase(p, folder) && p.find("\\..\\") == std::string::npos &&
           p.find("\\.\\") == std::string::npos && p.find('/') == std::string::npos;
}

std::optional<ScriptRoot> scriptRootNamed(const std::string& name) {
    static const struct {
        const char* name;
        ScriptRoot root;
    } roots[] = {
        {"HKEY_LOCAL_MACHINE", ScriptRoot::LocalMachine}, {"HKEY_CLASSES_ROOT", ScriptRoot::ClassesRoot},
        {"HKEY_CURRENT_USER", ScriptRoot::CurrentUser},   {"HKEY_USERS", ScriptRoot::Users},
        {"HKEY_PERFORMANCE_DATA", ScriptRoot::PerformanceData}, {"HKEY_DYN_DATA", ScriptRoot::DynData},
        {"HKEY_CURRENT_CONFIG", ScriptRoot::CurrentConfig},
    };
    for (const auto& r : roots)
        if (os::equalsNoCase(name, r.name)) return r.root;
    return std::nullopt;
}

bool removeAppendedText(std::string& value, const std::string& text) {
    if (text.empty() || text.size() > value.size()) return false;
    const bool leads = text.front() == ';', trails = text.back() == ';';
    // From the end: an installation appends its part after what was there,
    // so an equal part earlier in the value is the user's own.
    for (size_t at = value.rfind(text); at != std::string::npos; at = at ? value.rfind(text, at - 1) : std::string::npos) {
        size_t end = at + text.size();
        bool startOk = leads || at == 0 || value[at - 1] == ';';
        bool endOk = trails || end == value.size() || value[end] == ';';
        if (startOk && endOk) {
            value.erase(at, text.size());
            return true;
        }
    }
    return false;
}

namespace {

std::optional<os::RegRoot> systemRoot(ScriptRoot r) {
    switch (r) {
    case ScriptRoot::LocalMachine: return os::RegRoot::LocalMachine;
    case ScriptRoot::ClassesRoot: return os::RegRoot::ClassesRoot;
    case ScriptRoot::CurrentUser: return os::RegRoot::CurrentUser;
    case ScriptRoot::Users: return os::RegRoot::Users;
    case ScriptRoot::CurrentConfig: return os::RegRoot::CurrentConfig;
    default: return std::nullopt;
    }
}

void removeText(os::RegRoot root, const std::string& record) {
    // "~" subkey "~" value name "~" text
    size_t a = record.find('~', 1);
    if (a == std::string::npos) return;
    size_t b = record.find('~', a + 1);
    if (b == std::string::npos) return;
    std::string subKey = record.substr(1, a - 1), name = record.substr(a + 1, b - a - 1), text = record.substr(b + 1);
    os::RegKey key = os::RegKey::open(root, subKey);
    os::RegValue v;
    if (!key.valid() || !key.query(name, v)) return;
    if (v.type != os::RegType::String && v.type != os::RegType::ExpandString) return;
    // The text up to its NUL loses the part; the type and every other byte
    // stay, and a value without the part is not written at all.
    std::string raw(v.data.begin(), v.data.end());
    std::string s = raw.substr(0, std::min(raw.find('\0'), raw.size()));
    const size_t rest = s.size();
    if (!removeAppendedText(s, text)) return;
    s += raw.substr(rest);
    v.data.assign(s.begin(), s.end());
    key.set(name, v);
}

void deleteKey(os::RegRoot root, std::string path) {
    while (!path.empty() && path.back() == '\\') path.pop_back();
    size_t cut = path.rfind('\\');
    std::string parent = cut == std::string::npos ? "" : path.substr(0, cut);
    std::string last = cut == std::string::npos ? path : path.substr(cut + 1);
    if (last.empty()) return;   // never the root itself
    os::RegKey key = os::RegKey::open(root, parent);
    if (key.valid()) key.deleteSubKey(last);
}

}  // namespace

void applyRegistryRecord(const std::string& record, ScriptRoot& root) {
    if (!record.empty() && record[0] == wzu::kRootRecord) {
        if (auto r = scriptRootNamed(record.substr(1))) root = *r;
        return;
    }
    std::optional<os::RegRoot> sys = systemRoot(root);
    if (!sys || record.empty()) return;
    if (record[0] == wzu::kAppendRecord) {
        removeText(*sys, record);
        return;
    }
    size_t tick = record.find('`');
    if (tick != std::string::npos) {
        os::RegKey key = os::RegKey::open(*sys, record.substr(0, tick));
        if (key.valid()) key.deleteValue(record.substr(tick + 1));
        return;
    }
    deleteKey(*sys, record);
}

namespace {

std::string quoted(const std::string& path) {
    return path.find_first_of(" \t") == std::string::npos ? path : "\"" + path + "\"";
}

}  // namespace

RemovalReport removeInstalled(const UninstallScript& script, const StageDone& done) {
    auto ended = [&](Stage s) {
        if (done) done(s);
    };
    RemovalReport report;

    if (script.program != kNone && !script.program.empty()) {
        std::string line = quoted(script.program);
        if (script.commandLine != kNone && !script.commandLine.empty()) line += " " + script.commandLine;
        report.programStarted = os::startProcess(line, true, nullptr, false);
    }
    ended(Stage::Program);

    // Services before files: a running service holds its program open, and
    // that file and its folder would stay.
    for (const std::string& name : script.services) {
        os::stopService(name);
        os::deleteService(name);
    }
    ended(Stage::Services);

    for (const std::string& file : script.files) {
        if (!os::deleteFile(file)) {
            ++report.failureCount;
            report.failedFiles.push_back(file);
        }
    }
    ended(Stage::Files);

    ScriptRoot root = ScriptRoot::Unset;
    for (const std::string& record : script.registryRecords) applyRegistryRecord(record, root);
    // Running programs learn that an environment variable they hold is gone or shorter.
    if (!script.registryRecords.empty()) os::broadcastEnvironmentChange();
    ended(Stage::Registry);

    for (const std::string& shortcut : script.shortcuts) os::deleteFile(shortcut);
    ended(Stage::Shortcuts);

    for (const std::string& dir : script.directories) {
        if (!os::removeDirectory(dir)) {
            ++report.failureCount;
            report.failedDirectories.push_back(dir);
        }
    }
    ended(Stage::Directories);
    return report;
}

std::vector<std::string> detailsLines(const RemovalReport& report) {
    std::vector<std::string> lines;
    for (const std::string& p : report.failedFiles) lines.push_back("Unable to remove file : '" + p + "'");
    for (const std::string& p : report.failedDirectories) lines.push_back("Unable to remove directory : '" + p + "'");
    return lines;
}

RemovalReport runUninstall(const std::string& commandLine, const Questions& questions, const StageDone& done) {
    std::optional<std::string> path = scriptPathFromCommandLine(commandLine);
    if (!path) {
        questions.message(kNoScriptMessage, kMessageCaption);
        os::exitProcess(kExitCode);
    }
    if (!questions.ask(kConfirmQuestion, kCaption)) os::exitProcess(kExitCode);
    if (!os::fileExists(*path)) {
        questions.message(kNoScriptMessage, kMessageCaption);
        os::exitProcess(kExitCode);
    }
    if (!scriptTrusted(*path)) {
        questions.message(kScriptNotTrusted, kMessageCaption);
        os::exitProcess(kExitCode);
    }
    std::optional<std::string> data = readScript(*path);
    if (!data) {
        questions.message(kNoScriptMessage, kMessageCaption);
        os::exitProcess(kExitCode);
    }
    UninstallScript script = parseUninstallScript(*data);
    if (!programInsideScriptFolder(script, *path)) {
        questions.message(kProgramOutside, kMessageCaption);
        os::exitProcess(kExitCode);
    }
    os::deleteFile(*path);
    return removeInstalled(script, done);
}

bool silentRequested(const std::string& commandLine) {
    std::vector<std::string> args = os::splitCommandLine(commandLine);
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i].rfind("-f", 0) == 0) return false;   // the script path runs to the end
        if (args[i] == "/S" || args[i] == "/s") return true;
    }
    return false;
}

int runSilentUninstall(const std::string& commandLine) {
    std::optional<std::string> path = scriptPathFromCommandLine(commandLine);
    if (!path || !os::fileExists(*path)) return 1;
    if (!scriptTrusted(*path)) {
        std::fputs(kScriptNotTrusted, stderr);
        std::fputc('\n', stderr);
        return 4;
    }
    std::optional<std::string> data = readScript(*path);
    if (!data) return 1;
    UninstallScript script = parseUninstallScript(*data);
    if (!programInsideScriptFolder(script, *path)) {
        std::fputs(kProgramOutside, stderr);
        std::fputc('\n', stderr);
        return 4;
    }
    os::deleteFile(*path);
    RemovalReport r = removeInstalled(script);
    return r.failureCount == 0 ? 0 : 2;
}

}  // namespace uninstaller
