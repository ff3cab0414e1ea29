// twk build PROJECT.wzp: the wizard on autopilot. The project is opened on
// the project start page and every page the project switches on runs in
// order, with its own initialisation and store routine, on the headless host;
// the summary page's Build makes the package. Because the pages are the
// wizard's own, a project gives the same package here as in Tarnwick. A page
// that refuses (its message) stops the build with exit code 1.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "builder/compression_cache.h"
#include "builder/status_line.h"
#include "platform/os/text.h"
#include "cli/build_progress.h"
#include "cli/build_support.h"
#include "cli/command.h"
#include "cli/project_text.h"
#include "platform/os/text.h"
#include "platform/os/os.h"
#include "platform/ui/prompter.h"
#include "platform/ui/scenario.h"
#include "resources/tarnwick/resource.h"
#include "pages/page_list.h"
#include "wizard/page_base.h"
#include "wizard/project_file.h"
#include "wizard/tarnwick_dlg.h"

namespace twk {
namespace {

constexpr const char* kUsage =
    "usage: twk build PROJECT.wzp [--output FILE] [--project-out FILE] [--source DIR] [-j N] [-q]\n"
    "                 [--cache DIR | --no-cache] [--cache-size SIZE] [--allow-missing] [--set NAME=VALUE]...";

// What --set may change, by the record's names, and the page and control
// that take it: the value goes through the page, so the page's own checks
// apply to it.
struct Settable {
    const char* name;
    int dialog, control;
};
constexpr Settable kSettable[] = {
    {"company_name", IDD_PRODUCT_INFO, IDC_PRODUCT_COMPANY},
    {"product_name", IDD_PRODUCT_INFO, IDC_PRODUCT_NAME},
    {"product_version", IDD_PRODUCT_INFO, IDC_PRODUCT_VERSION},
    {"email", IDD_PRODUCT_INFO, IDC_PRODUCT_EMAIL},
    {"description", IDD_PRODUCT_INFO, IDC_PRODUCT_DESCRIPTION},
    {"comments", IDD_PRODUCT_INFO, IDC_PRODUCT_COMMENTS},
    {"copyright_notice", IDD_PRODUCT_INFO, IDC_PRODUCT_COPYRIGHT},
    {"default_destination", IDD_SOURCE_FOLDER, IDC_SOURCE_FOLDER_DESTINATION},
    {"language_index", IDD_OUTPUT_LANGUAGE, IDC_LANGUAGE_LIST},
    {"output_file_path", IDD_OUTPUT_LOCATION, IDC_OUTPUT_FILE_EDIT},
};

const Settable* settable(const std::string& name) {
    for (const Settable& s : kSettable)
        if (name == s.name) return &s;
    return nullptr;
}

struct BuildOptions {
    std::string project;
    std::string output;        // the package; default: the project's own output path
    std::string projectOut;    // where the saved project goes; default: nowhere
    std::string source;        // replaces the project's source folder
    unsigned threads = 0;
    bool quiet = false;
    std::string cache;         // the compression cache; default: the user's cache folder
    bool noCache = false;
    uint64_t cacheSize = builder::kDefaultCacheLimit;
    bool allowMissing = false;   // build without the listed files that are not there
    std::vector<std::pair<const Settable*, std::string>> sets;   // --set, in order
};

// Parses the arguments; false (with the reason) on a usage error.
bool parseOptions(const std::vector<std::string>& args, BuildOptions& o, std::string& why) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size()) {
                why = a + " needs a value";
                return false;
            }
            into = args[++i];
            return true;
        };
        if (a == "--output" || a == "-o") {
            if (!value(o.output)) return false;
        } else if (a == "--project-out") {
            if (!value(o.projectOut)) return false;
        } else if (a == "--source") {
            if (!value(o.source)) return false;
        } else if (a == "-j" || a.rfind("-j", 0) == 0) {
            std::string n = a.size() > 2 ? a.substr(2) : std::string();
            if (n.empty() && !value(n)) return false;
            char* end = nullptr;
            const long v = std::strtol(n.c_str(), &end, 10);
            if (n.empty() || *end || v < 1 || v > 256) {
                why = "-j takes a number of threads from 1 to 256";
                return false;
            }
            o.threads = static_cast<unsigned>(v);
        } else if (a == "-q" || a == "--quiet") {
            o.quiet = true;
        } else if (a == "--cache") {
            if (!value(o.cache)) return false;
            if (o.cache.empty()) {
                why = "--cache needs a folder";
                return false;
            }
        } else if (a == "--no-cache") {
            o.noCache = true;
        } else if (a == "--allow-missing") {
            o.allowMissing = true;
        } else if (a == "--set") {
            std::string pair;
            if (!value(pair)) return false;
            const std::size_t eq = pair.find('=');
            const Settable* target = eq == std::string::npos ? nullptr : settable(pair.substr(0, eq));
            if (!target) {
                why = "--set takes NAME=VALUE, NAME one of";
                for (const Settable& t : kSettable) why += std::string(" ") + t.name;
                why += ": " + pair;
                return false;
            }
            if (target->control == IDC_OUTPUT_FILE_EDIT) o.output = pair.substr(eq + 1);   // as --output
            else o.sets.push_back({target, pair.substr(eq + 1)});
        } else if (a == "--cache-size") {
            std::string size;
            if (!value(size)) return false;
            if (!parseSize(size, o.cacheSize)) {
                why = "--cache-size takes a size in bytes, or with K, M or G: " + size;
                return false;
            }
        } else if (!a.empty() && a[0] == '-' && a != "-") {
            why = "unknown option " + a;
            return false;
        } else if (o.project.empty()) {
            o.project = a;
        } else {
            why = "one project at a time";
            return false;
        }
    }
    if (!o.cache.empty() && o.noCache) {
        why = "--cache and --no-cache exclude each other";
        return false;
    }
    if (o.project.empty()) why = "no project named";
    return !o.project.empty();
}

// The welcome page (no splash step: no splash) with this run's own working
// files; the run ends with a result, not by ending the process.
class CAutopilotDlg : public wizard::CTarnwickDlg {
public:
    explicit CAutopilotDlg(const std::string& workFolder)
        : CTarnwickDlg(pages::pageList(), nullptr, nullptr, wizard::RunEnd::Result), work_(workFolder) {}
protected:
    wizard::WorkingPaths workingFilePaths() const override {
        wizard::WorkingPaths p = CTarnwickDlg::workingFilePaths();
        p.list_file = work_ + "\\list.txt";
        p.registry_file = work_ + "\\registry.txt";
        p.shortcuts_file = work_ + "\\shortcuts.txt";
        p.option_file = work_ + "\\option.txt";
        return p;
    }
private:
    std::string work_;
};

// The button that moves a page on, from the page object itself.
int nextButton(wizard::Chain& chain, int dialog) {
    std::unique_ptr<ui::Dialog> page = chain.pages.make(dialog, chain);
    auto* base = dynamic_cast<wizard::PageBase*>(page.get());
    return base ? base->buttons().next : 0;
}

std::string step(long dialog, int click) {
    return "on dialog " + std::to_string(dialog) + "\nclick " + std::to_string(click) + "\n";
}

// A path below `from`, moved below `to`; any other path unchanged.
std::string moved(const std::string& path, const std::string& from, const std::string& to) {
    if (from.empty() || path.size() <= from.size() || os::findNoCase(path, from) != 0 || path[from.size()] != '\\')
        return path;
    return to + path.substr(from.size());
}

// Moves the project to another source folder: lines of the stored list and
// the installation options' files below the old folder move with it, so the
// publisher's edits of the list stay.
void moveSource(wizard::ProjectRecord& r, const std::string& to) {
    const std::string from = r.source_folder.str();
    for (wizard::PathText* f : {&r.welcome_file, &r.license_file, &r.readme_file}) *f = moved(f->str(), from, to);
    if (r.stored_file_list && !from.empty()) {
        std::string out;
        const std::string& list = *r.stored_file_list;
        for (std::size_t at = 0; at < list.size();) {
            std::size_t end = list.find('\n', at);
            end = end == std::string::npos ? list.size() : end + 1;
            out += moved(list.substr(at, end - at), from, to);
            at = end;
        }
        r.stored_file_list = out;
    }
    r.source_folder = to;
}

// What the run asks of the pages, as the steps a user would take.
ui::Scenario autopilot(const BuildOptions& o, const std::string& projectOut, const wizard::ProjectRecord& loaded,
                       wizard::Chain& chain) {
    ui::Scenario s = ui::Scenario::parse(step(IDD_WELCOME, IDC_WELCOME_NEXT) + "on dialog " +
                                             std::to_string(IDD_PROJECT_START) + "\nclick " +
                                             std::to_string(IDC_PROJECT_OPEN) + "\n",
                                         "twk build");
    const std::string project = o.project;
    s.then([project](ui::Dialog& d) { d.setText(IDC_PROJECT_PATH, project); });
    s.add("click " + std::to_string(IDC_PROJECT_NEXT) + "\non dialog " + std::to_string(IDD_PRODUCT_INFO) + "\n");
    if (!o.source.empty()) {
        const std::string source = o.source;
        s.then([source, &chain](ui::Dialog&) { moveSource(chain.record, source); });
    }
    // The --set values of one page, typed in (or, for a list, chosen) as a user would.
    auto setValues = [&](int dialog) {
        for (const auto& [target, value] : o.sets) {
            if (target->dialog != dialog) continue;
            const int control = target->control;
            const std::string v = value;
            if (control != IDC_LANGUAGE_LIST) {
                s.then([control, v](ui::Dialog& d) { d.setText(control, v); });
                continue;
            }
            s.then([control, v](ui::Dialog& d) {
                for (int row = 0; row < 16; ++row) {
                    const std::string text = d.rowText(control, row);
                    if (text.empty()) break;
                    if (os::equalsNoCase(text, v) || std::to_string(row) == v) return d.selectRow(control, row);
                }
                throw ui::ScenarioError("--set language_index: no language " + v + " on the output language page");
            });
        }
    };
    setValues(IDD_PRODUCT_INFO);
    s.add("click " + std::to_string(nextButton(chain, IDD_PRODUCT_INFO)) + "\n");
    s.add("on dialog " + std::to_string(IDD_SOURCE_FOLDER) + "\n");
    setValues(IDD_SOURCE_FOLDER);
    s.add("click " + std::to_string(nextButton(chain, IDD_SOURCE_FOLDER)) + "\n");
    s.add(step(IDD_FILE_LIST, nextButton(chain, IDD_FILE_LIST)));
    for (int e = 0; e + 1 < pages::kHubPageCount; ++e) {
        const int dialog = pages::kHubPages[e];
        if (loaded.panel_flags[e] != 1 || !chain.pages.has(dialog)) continue;
        s.add("on dialog " + std::to_string(dialog) + "\n");
        setValues(dialog);
        s.add("click " + std::to_string(nextButton(chain, dialog)) + "\n");
    }
    s.add("on dialog " + std::to_string(IDD_OUTPUT_LOCATION) + "\n");
    const std::string output = o.output;
    s.then([output, projectOut](ui::Dialog& d) {
        if (!output.empty()) d.setText(IDC_OUTPUT_FILE_EDIT, output);
        d.setText(IDC_OUTPUT_PROJECT_EDIT, projectOut);
    });
    s.add("click " + std::to_string(nextButton(chain, IDD_OUTPUT_LOCATION)) + "\n");
    s.add(step(IDD_SUMMARY, nextButton(chain, IDD_SUMMARY)));
    s.add(step(IDD_FINISH, IDC_FINISH_FINISH));
    return s;
}

std::string pageTitle(const wizard::PageList& pages, long dialog) {
    const std::string title = pages.title(static_cast<int>(dialog));
    if (!title.empty()) return title;
    return dialog ? "dialog " + std::to_string(dialog) : "start-up";
}

// The loader's messages while the flags are read ahead of the run.
struct Quiet : wizard::Messages {
    void show(const std::string&, const std::string&) override {}
};

// Ctrl-C: the partial files of this run go (the package's spill files are
// in the run's folder, named "spill" + a number; the cache's half-written entries carry
// this process's tag), then the process.
std::vector<std::string>* g_partial = nullptr;
std::string g_spillPrefix;
std::string g_cacheFolder;
std::string g_cacheTag;
void onInterrupt(int) {
    if (!g_cacheFolder.empty()) {
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(g_cacheFolder, ec)) {
            const std::string name = e.path().filename().string();
            if (name.find(g_cacheTag) != std::string::npos && name.size() > 4 &&
                name.compare(name.size() - 4, 4, ".tmp") == 0)
                std::filesystem::remove(e.path(), ec);
        }
    }
    if (!g_spillPrefix.empty()) {
        const std::filesystem::path prefix(g_spillPrefix);
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(prefix.parent_path(), ec))
            if (e.path().filename().string().rfind(prefix.filename().string(), 0) == 0)
                std::filesystem::remove(e.path(), ec);
    }
    if (g_partial)
        for (const std::string& host : *g_partial) std::remove(host.c_str());
    static const char msg[] = "twk build: interrupted; no package was written\n";
    (void)!std::fwrite(msg, 1, sizeof msg - 1, stderr);
    std::_Exit(130);
}

int build(const std::vector<std::string>& args) {
    BuildOptions o;
    std::string why;
    if (!parseOptions(args, o, why)) {
        std::fprintf(stderr, "twk build: %s\n%s\n", why.c_str(), kUsage);
        return 2;
    }
    // The package as the user named it, for the summary line.
    const std::string shownOutput = o.output;
    try {
        o.project = userPath(o.project);
        if (!o.output.empty()) o.output = userPath(o.output);
        if (!o.projectOut.empty()) o.projectOut = userPath(o.projectOut);
        if (!o.source.empty()) o.source = userPath(o.source);
        if (!o.cache.empty()) o.cache = userPath(o.cache);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "twk build: %s\n", os::terminalText(e.what()).c_str());
        return 2;
    }
    for (const std::string* p : {&o.project, &o.output, &o.projectOut, &o.source})
        if (p->size() >= os::kPathSlot) {
            std::fprintf(stderr, "twk build: the path is longer than %zu characters: %s\n", os::kPathSlot - 1,
                         p->c_str());
            return 2;
        }
    if (!os::fileExists(o.project)) {
        std::fprintf(stderr, "twk build: cannot open the project %s\n", os::terminalText(o.project).c_str());
        return 1;
    }
    if (!o.source.empty() && !os::directoryExists(o.source)) {
        std::fprintf(stderr, "twk build: the source folder %s does not exist\n",
                     os::terminalText(o.source).c_str());
        return 1;
    }
    std::string install, installWhy;
    if (!findInstallFolder(install, installWhy)) {
        std::fprintf(stderr, "twk build: %s\n", installWhy.c_str());
        return 1;
    }

    // The flags decide which pages run; the pages themselves load the project again.
    auto loaded = std::make_unique<wizard::ProjectRecord>();
    loaded->launch_project_path = o.project;
    Quiet quiet;
    std::string projectBytes;
    os::readWholeFile(o.project, projectBytes);
    // The text form (twk export) builds as the project file it stands for.
    const bool textForm = isProjectText(projectBytes);
    if (textForm) {
        std::string bytes, textWhy;
        if (!projectFromText(projectBytes, bytes, textWhy)) {
            std::fprintf(stderr, "twk build: %s: %s\n", os::terminalText(o.project).c_str(), textWhy.c_str());
            return 1;
        }
        projectBytes = bytes;
    }
    if (wizard::loadProjectBytes(*loaded, projectBytes, quiet) == wizard::kInvalid) {
        std::fprintf(stderr, "twk build: %s: Not a valid project file\n", os::terminalText(o.project).c_str());
        return 1;
    }

    // A value goes through its page: a page the project does not show cannot take it.
    for (const auto& [target, value] : o.sets)
        for (int e = 0; e + 1 < pages::kHubPageCount; ++e)   // the last is the output page: always shown
            if (pages::kHubPages[e] == target->dialog && loaded->panel_flags[e] != 1) {
                std::fprintf(stderr, "twk build: --set %s: the project does not show the %s\n", target->name,
                             pageTitle(pages::pageList(), target->dialog).c_str());
                return 1;
            }

    RunFolder work;
    if (!work.ok()) {
        std::fprintf(stderr, "twk build: cannot make a working folder in %s\n", os::tempFolder().c_str());
        return 1;
    }
    if (textForm) {   // the pages open a project file: the one the text stands for
        o.project = work.path() + "\\text-project.wzp";
        if (!os::writeWholeFile(o.project, projectBytes)) {
            std::fprintf(stderr, "twk build: cannot write %s\n", o.project.c_str());
            return 1;
        }
        loaded->launch_project_path = o.project;
    }
    const std::string projectOut = o.projectOut.empty() ? work.path() + "\\project.wzp" : o.projectOut;
    std::string packagePath = o.output.empty() ? loaded->output_file_path.str() : o.output;

    std::vector<std::string> partial;
    for (const std::string& p : {packagePath + builder::kPartSuffix, projectOut + wizard::kProjectTempSuffix}) {
        try {
            partial.push_back(os::hostPath(p));
        } catch (const os::PathError&) {
        }
    }
    for (const std::string& p : work.hostFiles()) partial.push_back(p);
    try {
        g_spillPrefix = os::hostPath(work.path() + "\\" + builder::kSpillName);
    } catch (const os::PathError&) {
    }
    g_partial = &partial;
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);

    os::setEnv(wizard::kInstallDirVariable, install);
    os::setCommandLine("twk");
    os::setExitTrap(true);
    ui::setProgramName("twk");
    BuildProgressLine progress(o.quiet, work.path() + "\\list.txt");
    CAutopilotDlg dlg(work.path());
    wizard::Chain& chain = dlg.chain();
    wizard::BuildSettings& settings = chain.build;
    settings.observer = &progress;
    settings.threads = o.threads;
    settings.pauseAtEnd = false;
    settings.stopOnMissing = !o.allowMissing;
    settings.cacheLimit = o.cacheSize;
    if (o.noCache) {
        settings.cacheFolder = std::string();
    } else if (!o.cache.empty()) {
        settings.cacheFolder = o.cache;
    } else {
        std::string folder, cacheWhy;
        if (!defaultCacheFolder(folder, cacheWhy)) {
            progress.onNote("no compression cache (" + cacheWhy + "); the build goes on without one");
            folder.clear();
        }
        settings.cacheFolder = folder;
    }
    g_cacheTag = builder::cacheTempTag();
    try {
        const std::string cacheFolder = settings.cacheFolder.value_or(std::string());
        if (!cacheFolder.empty()) g_cacheFolder = os::hostPath(cacheFolder);
    } catch (const os::PathError&) {
    }

    std::string failure;
    std::vector<ui::RecordedMessage> messages;
    {
        ui::ScenarioRun run(autopilot(o, projectOut, *loaded, chain));
        try {
            dlg.runModal();
        } catch (const os::ExitRequest&) {
            // A page's fatal code or a refused project: its message says why.
        } catch (const ui::ScenarioError& e) {
            failure = e.what();
        }
        messages = run.messages();
    }
    // The summary page ends the run with the build's outcome.
    const bool finished = chain.ended() == wizard::kExitFinished;
    g_partial = nullptr;
    g_spillPrefix.clear();
    g_cacheFolder.clear();
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);

    progress.finish(finished && messages.empty());
    if (!messages.empty() || !finished) {
        for (const ui::RecordedMessage& m : messages)
            std::fprintf(stderr, "twk build: %s: %s\n", pageTitle(chain.pages, m.ownerDialog).c_str(),
                         os::terminalText(m.text).c_str());
        if (messages.empty())
            std::fprintf(stderr, "twk build: the build stopped: %s\n", failure.empty() ? "no package" : failure.c_str());
        for (const std::string& p : partial) std::remove(p.c_str());
        return 1;
    }
    if (!o.quiet) progress.summary(shownOutput.empty() ? packagePath : shownOutput);
    return 0;
}

const Command command("build", "PROJECT.wzp [--output FILE] [--project-out FILE] [--source DIR] [-j N] [-q]\n"
                               "                 [--cache DIR | --no-cache] [--cache-size SIZE] [--allow-missing]\n"
                               "                 [--set NAME=VALUE]...\n"
                               "                 build the project's package with the wizard's own pages;\n"
                               "                 --set gives a record's value to the page that owns it\n"
                               "                 (company_name, product_name, product_version, email,\n"
                               "                 description, comments, copyright_notice,\n"
                               "                 default_destination, language_index, output_file_path);\n"
                               "                 compressed files are kept in a cache (default: the user's\n"
                               "                 cache folder, 1G), so a rebuild compresses only what changed;\n"
                               "                 a listed file that is missing stops the build unless\n"
                               "                 --allow-missing (then it is left out, with a warning)",
                      build);

}  // namespace
}  // namespace twk
