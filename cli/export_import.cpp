// twk export PROJECT.wzp [-o FILE] and twk import FILE -o PROJECT.wzp: the
// project's text form (cli/project_text.h) on the command line.
#include <cstdio>

#include "cli/command.h"
#include "cli/project_text.h"
#include "platform/os/os.h"
#include "platform/os/text.h"

namespace twk {
namespace {

int exportCommand(const std::vector<std::string>& given) {
    std::vector<std::string> args = given;
    std::string out;
    for (size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == "-o") {
            out = args[i + 1];
            args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i) + 2);
            break;
        }
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: twk export PROJECT.wzp [-o FILE]\n");
        return 2;
    }
    std::string bytes, text, why;
    if (!os::readWholeFile(args[0], bytes)) {
        std::fprintf(stderr, "twk export: cannot open the project %s\n", args[0].c_str());
        return 1;
    }
    if (!projectToText(bytes, text, why)) {
        std::fprintf(stderr, "twk export: %s: %s\n", args[0].c_str(), why.c_str());
        return 1;
    }
    if (out.empty()) {
        std::fputs(text.c_str(), stdout);
        return 0;
    }
    if (!os::writeWholeFile(out, text)) {
        std::fprintf(stderr, "twk export: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}

int importCommand(const std::vector<std::string>& args) {
    if (args.size() != 3 || args[1] != "-o") {
        std::fprintf(stderr, "usage: twk import FILE -o PROJECT.wzp\n");
        return 2;
    }
    std::string text, bytes, why;
    if (!os::readWholeFile(args[0], text)) {
        std::fprintf(stderr, "twk import: cannot open %s\n", args[0].c_str());
        return 1;
    }
    if (!projectFromText(text, bytes, why)) {
        std::fprintf(stderr, "twk import: %s: %s\n", args[0].c_str(), why.c_str());
        return 1;   // nothing written
    }
    if (!os::writeWholeFile(args[2], bytes)) {
        std::fprintf(stderr, "twk import: cannot write %s\n", args[2].c_str());
        return 1;
    }
    return 0;
}

const Command exportCmd("export", "PROJECT.wzp [-o FILE]   the project as a readable, diffable JSON text", exportCommand);
const Command importCmd("import", "FILE -o PROJECT.wzp   the project file of a text made by twk export", importCommand);

}  // namespace
}  // namespace twk
