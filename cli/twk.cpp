// twk: Bundlewright's command line.
#include "cli/command.h"

#include <cstdio>
#include <cstring>
#include <map>

#include "platform/os/os.h"

namespace twk {
namespace {
struct Entry {
    const char* usage;
    CommandMain run;
};
std::map<std::string, Entry>& commands() {
    static std::map<std::string, Entry> table;
    return table;
}
void usage(FILE* to) {
    std::fprintf(to, "usage: twk COMMAND [ARGS...]\n       twk help COMMAND\n       twk --version\n\ncommands:\n");
    for (const auto& [name, e] : commands()) std::fprintf(to, "  twk %s %s\n", name.c_str(), e.usage);
}
}  // namespace

Command::Command(const char* name, const char* usage, CommandMain run) { commands()[name] = {usage, run}; }

}  // namespace twk

int main(int argc, char** argv) {
    std::string line;
    for (int i = 0; i < argc; ++i) line += (i ? " " : "") + std::string(argv[i]);
    os::setCommandLine(line);
    if (argc >= 2 && (!std::strcmp(argv[1], "--version") || !std::strcmp(argv[1], "version"))) {
        std::printf("twk %s (Bundlewright)\n", BW_VERSION);
        return 0;
    }
    if (argc == 3 && !std::strcmp(argv[1], "help")) {
        // twk help COMMAND: that command's usage line.
        auto it = twk::commands().find(argv[2]);
        if (it == twk::commands().end()) {
            std::fprintf(stderr, "twk: unknown command '%s'\n", argv[2]);
            return 2;
        }
        std::printf("usage: twk %s %s\n", argv[2], it->second.usage);
        return 0;
    }
    if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "help")) {
        twk::usage(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    auto it = twk::commands().find(argv[1]);
    if (it == twk::commands().end()) {
        std::fprintf(stderr, "twk: unknown command '%s'\n", argv[1]);
        twk::usage(stderr);
        return 2;
    }
    return it->second.run(std::vector<std::string>(argv + 2, argv + argc));
}
