// twk diff OLD NEW: what a release reviewer asks of a new package (or
// project). Two packages: the entries added, removed and changed by content
// (their installed bytes' SHA-256), then the header items and sections that
// changed. Two projects: each field whose value changed. One line each:
//   + entry NAME            - entry NAME            ~ entry NAME
//   ~ header ITEM: "OLD" -> "NEW"      ~ section NAME      ~ FIELD: "OLD" -> "NEW"
// Exit codes as diff(1): 0 the same, 1 different, 2 trouble.
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/package_reader.h"
#include "cli/record_fields.h"
#include "platform/os/os.h"
#include "wizard/project_file.h"

namespace twk {
namespace {

bool readPackageFile(const std::string& path, PackageContents& p) {
    FILE* f = os::openFile(path, "rb");
    if (!f) return false;
    FileSource source(f);
    std::string error;
    const bool ok = readPackage(source, p, error);
    std::fclose(f);
    return ok;
}

std::string quoted(const std::string& s) { return "\"" + os::terminalText(s) + "\""; }

int diffPackages(const PackageContents& a, const PackageContents& b) {
    std::vector<std::string> lines;
    std::map<std::string, const PackageEntry*> before, after;
    for (const PackageEntry& e : a.entries) before[e.name] = &e;
    for (const PackageEntry& e : b.entries) after[e.name] = &e;
    for (const PackageEntry& e : b.entries) {
        auto it = before.find(e.name);
        if (it == before.end()) lines.push_back("+ entry " + os::terminalText(e.name));
        else if (it->second->sha256 != e.sha256 || it->second->kind != e.kind) lines.push_back("~ entry " + os::terminalText(e.name));
    }
    for (const PackageEntry& e : a.entries)
        if (!after.count(e.name)) lines.push_back("- entry " + os::terminalText(e.name));
    for (size_t i = 0; i < a.texts.size() && i < b.texts.size(); ++i)
        if (a.texts[i] != b.texts[i])
            lines.push_back(std::string("~ header ") + kTextItemNames[i] + ": " + quoted(a.texts[i]) + " -> " + quoted(b.texts[i]));
    const struct {
        const char* name;
        const std::string &old, &now;
    } items[] = {{"file count", a.fileCount, b.fileCount}, {"finish action", a.finishAction, b.finishAction},
                 {"space required", a.requiredSpace, b.requiredSpace}};
    for (const auto& it : items)
        if (it.old != it.now) lines.push_back(std::string("~ header ") + it.name + ": " + quoted(it.old) + " -> " + quoted(it.now));
    const struct {
        const char* name;
        bool changed;
    } sections[] = {{"options", a.optionName != b.optionName || a.optionBody != b.optionBody},
                    {"services", a.services != b.services},
                    {"language", a.language != b.language},
                    {"registry", a.hasRegistry != b.hasRegistry || a.registry != b.registry},
                    {"shortcuts", a.hasShortcuts != b.hasShortcuts || a.shortcuts != b.shortcuts}};
    for (const auto& s : sections)
        if (s.changed) lines.push_back(std::string("~ section ") + s.name);
    for (const std::string& l : lines) std::printf("%s\n", l.c_str());
    return lines.empty() ? 0 : 1;
}

// A record's fields as texts, by name.
struct Collect : Fields {
    std::vector<std::pair<std::string, std::string>> values;
    void text(const char* name, std::string_view v) override { values.push_back({name, "\"" + std::string(v) + "\""}); }
    void number(const char* name, int v) override { values.push_back({name, std::to_string(v)}); }
    void missing(const char* name) override { values.push_back({name, "null"}); }
};

struct Silent : wizard::Messages {
    void show(const std::string&, const std::string&) override {}
};

bool loadProject(const std::string& path, Collect& out) {
    auto record = std::make_unique<wizard::ProjectRecord>();
    record->launch_project_path = path;
    Silent quiet;
    if (wizard::loadProjectFile(*record, quiet) != wizard::kLoaded) return false;
    eachField(*record, out);
    return true;
}

int diff(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: twk diff OLD NEW   (two packages or two projects)\n");
        return 2;
    }
    PackageContents a, b;
    const bool pa = readPackageFile(args[0], a), pb = readPackageFile(args[1], b);
    if (pa && pb) return diffPackages(a, b);
    Collect ra, rb;
    if (!pa && !pb && args[0].size() <= wizard::PathText::capacity && args[1].size() <= wizard::PathText::capacity &&
        loadProject(args[0], ra) && loadProject(args[1], rb)) {
        int changed = 0;
        for (size_t i = 0; i < ra.values.size() && i < rb.values.size(); ++i)
            if (ra.values[i].second != rb.values[i].second) {
                std::printf("~ %s: %s -> %s\n", ra.values[i].first.c_str(), os::terminalText(ra.values[i].second).c_str(),
                            os::terminalText(rb.values[i].second).c_str());
                changed = 1;
            }
        return changed;
    }
    std::fprintf(stderr, "twk diff: %s and %s are not two packages or two project files that read whole\n",
                 args[0].c_str(), args[1].c_str());
    return 2;
}

const Command command("diff", "OLD NEW   the entries, header items and sections (or the project fields)\n"
                              "                 that differ between two packages (or two projects)",
                      diff);

}  // namespace
}  // namespace twk
