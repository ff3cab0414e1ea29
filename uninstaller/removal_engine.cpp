#include "uninstaller/removal_engine.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "platform/os/os.h"
#include "platform/os/registry.h"
#include "platform/os/security.h"
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
// No component may climb out again.
bool plainPath(const std::string& p) {
    return p.find("\\..") == std::string::npos && p.find("\\.\\") == std::string::npos &&
           p.find('/') == std::string::npos;
}
}  // namespace

namespace {
// An entry of the machine's list of installed programs ends its uninstall
// command with "-f" and this path. The machine's list only: a user's own
// list is the user's to write.
bool namedByInstalledEntry(const std::string& path) {
    os::RegKey list = os::RegKey::open(os::RegRoot::LocalMachine, wzu::kInstalledProgramsKey);
    for (const std::string& name : list.valid() ? list.subKeys() : std::vector<std::string>{}) {
        os::RegKey entry = os::RegKey::open(os::RegRoot::LocalMachine, std::string(wzu::kInstalledProgramsKey) + "\\" + name);
        for (const char* command : {"UninstallString", "QuietUninstallString"}) {
            os::RegValue v;
            if (entry.valid() && entry.query(command, v) && os::endsWithNoCase(v.asString(), "-f" + path)) return true;
        }
    }
    return false;
}
}  // namespace

bool scriptTrusted(const std::string& path) {
    if (namedByInstalledEntry(path)) return true;
    const std::string folder = folderOf(path);
    return !folder.empty() && !os::othersMayChange(folder) && !os::othersMayChange(path);
}

bool scriptStaysInItsFolder(const UninstallScript& script, const std::string& path) {
    const std::string folder = folderOf(path);
    if (folder.empty()) return false;
    auto inside = [&](const std::string& p) { return plainPath(p) && os::startsWithNoCase(p, folder + "\\"); };
    auto above = [&](const std::string& p) {
        return plainPath(p) && (os::equalsNoCase(p, folder) || os::startsWithNoCase(folder, p + "\\"));
    };
    // The folders made for its shortcuts, in the shell's folders.
    auto holdsShortcut = [&](const std::string& d) {
        for (const std::string& link : script.shortcuts)
            if (plainPath(d) && os::startsWithNoCase(link, d + "\\")) return true;
        return false;
    };
    if (!script.program.empty() && script.program != kNone && !inside(script.program)) return false;
    for (const std::string& f : script.files)
        if (!inside(f)) return false;
    for (const std::string& d : script.directories)
        if (!inside(d) && !above(d) && !holdsShortcut(d)) return false;
    return true;
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

std::optional<SideRecord> readSideRecord(const std::string& scriptPath) {
    const std::string folder = folderOf(scriptPath);
    if (folder.empty()) return std::nullopt;
    const std::string path = folder + "\\" + wzr::kRecordName;
    std::optional<std::string> bytes = readScript(path);
    SideRecord out;
    if (!bytes || !wzr::parseRecord(*bytes, out.record)) return std::nullopt;
    out.keptFolder = folder + "\\" + wzr::kKeptFolder;
    // As far as its script: one an installation's entry names (whose
    // registry records the removal follows anyway), or one only
    // administrators could have written.
    out.trusted = namedByInstalledEntry(scriptPath) || !os::othersMayChange(path);
    return out;
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

std::optional<os::RegRoot> recordRoot(const std::string& name) {
    std::optional<ScriptRoot> r = scriptRootNamed(name);
    return r ? systemRoot(*r) : std::nullopt;
}

// The value as it was before the installation, into a key that is still
// there (a key the installation created went with the script's records).
void writeBack(const wzr::KeptValue& kept) {
    std::optional<os::RegRoot> root = recordRoot(kept.root);
    if (!root) return;
    os::RegKey key = os::RegKey::open(*root, kept.key);
    if (!key.valid()) return;
    os::RegValue v;
    v.type = static_cast<os::RegType>(kept.type);
    v.data.assign(kept.data.begin(), kept.data.end());
    key.set(kept.name, v);
}

// The script's "~" record took the product's part out; a text left with
// nothing else was made by the append.
void dropIfEmptied(const wzr::AppendedValue& appended) {
    std::optional<os::RegRoot> root = recordRoot(appended.root);
    if (!root) return;
    os::RegKey key = os::RegKey::open(*root, appended.key);
    os::RegValue v;
    if (!key.valid() || !key.query(appended.name, v)) return;
    if (v.type != os::RegType::String && v.type != os::RegType::ExpandString) return;
    if (v.asString().find_first_not_of(';') == std::string::npos) key.deleteValue(appended.name);
}

bool listedIn(const std::vector<std::string>& paths, const std::string& path) {
    for (const std::string& p : paths)
        if (os::equalsNoCase(p, path)) return true;
    return false;
}

// Whether the record may name this copy at all: below the kept folder, and
// for a file or shortcut the installation itself put there.
bool restorable(const wzr::KeptFile& k, const UninstallScript& script, const std::string& keptFolder) {
    return plainPath(k.copy) && k.copy.size() > keptFolder.size() + 1 &&
           os::startsWithNoCase(k.copy, keptFolder + "\\") &&
           (listedIn(script.files, k.original) || listedIn(script.shortcuts, k.original));
}

// The copy is a file reached without a junction or link on the way: one
// planted in an open folder would have the elevated removal move some other
// file into the product's place.
bool reachedDirectly(const std::string& copy, const std::string& keptFolder) {
    for (size_t at = keptFolder.size(); at != std::string::npos; at = copy.find('\\', at + 1))
        if (os::isReparsePoint(copy.substr(0, at))) return false;
    os::FileStat st;
    return !os::isReparsePoint(copy) && os::statPath(copy, st) && st.isRegular;
}

}  // namespace

RemovalReport removeInstalled(const UninstallScript& script, const std::optional<SideRecord>& record,
                              const StageDone& done) {
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
    for (const std::string& r : script.registryRecords) applyRegistryRecord(r, root);
    const bool recordValues = record && record->trusted;
    if (recordValues) {
        for (const wzr::KeptValue& v : record->record.values) writeBack(v);
        for (const wzr::AppendedValue& v : record->record.appended) dropIfEmptied(v);
    }
    // Running programs learn that an environment variable they hold is gone or shorter.
    if (!script.registryRecords.empty() ||
        (recordValues && (!record->record.values.empty() || !record->record.appended.empty())))
        os::broadcastEnvironmentChange();
    ended(Stage::Registry);

    for (const std::string& shortcut : script.shortcuts) os::deleteFile(shortcut);
    ended(Stage::Shortcuts);

    // What was there before the installation, back in its place.
    if (recordValues) {
        for (const wzr::KeptFile& k : record->record.kept) {
            if (!restorable(k, script, record->keptFolder)) continue;
            if (!reachedDirectly(k.copy, record->keptFolder) || !os::moveFile(k.copy, k.original)) {
                ++report.failureCount;
                report.failedFiles.push_back(k.original);
            }
        }
    }

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

namespace {

struct TakenScript {
    UninstallScript script;
    std::optional<SideRecord> record;
};
// What both starts do with the script at `path`: nullptr once it is accepted
// (read, with the record beside it, and deleted before anything else), or
// the refusal's text; nothing is removed then.
const char* takeScript(const std::string& path, TakenScript& out) {
    if (!os::fileExists(path)) return kNoScriptMessage;
    if (!scriptTrusted(path)) return kScriptNotTrusted;
    std::optional<std::string> data = readScript(path);
    if (!data) return kNoScriptMessage;
    out.script = parseUninstallScript(*data);
    if (!scriptStaysInItsFolder(out.script, path)) return kProgramOutside;
    out.record = readSideRecord(path);
    os::deleteFile(path);
    return nullptr;
}

}  // namespace

RemovalReport runUninstall(const std::string& commandLine, const Questions& questions, const StageDone& done) {
    std::optional<std::string> path = scriptPathFromCommandLine(commandLine);
    if (!path) {
        questions.message(kNoScriptMessage, kMessageCaption);
        os::exitProcess(kExitCode);
    }
    if (!questions.ask(kConfirmQuestion, kCaption)) os::exitProcess(kExitCode);
    TakenScript taken;
    if (const char* refusal = takeScript(*path, taken)) {
        questions.message(refusal, kMessageCaption);
        os::exitProcess(kExitCode);
    }
    return removeInstalled(taken.script, taken.record, done);
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
    if (!path) return 1;
    TakenScript taken;
    if (const char* refusal = takeScript(*path, taken)) {
        if (refusal == kNoScriptMessage) return 1;
        std::fputs(refusal, stderr);
        std::fputc('\n', stderr);
        return 4;
    }
    RemovalReport r = removeInstalled(taken.script, taken.record);
    return r.failureCount == 0 ? 0 : 2;
}

}  // namespace uninstaller
