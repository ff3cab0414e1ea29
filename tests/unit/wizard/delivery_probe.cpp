// A program for the delivery programs of a wizard-made package under Wine:
//   delivery_probe.exe LOG NAME WATCHED [ARG ...]
// appends one line to LOG: NAME, its place in the order of the runs (the
// lines LOG held before, plus one), whether the files WATCHED (separated by
// ";") exist right now: "present" all, "absent" none, else "partial" (so a
// run before the copy, after it, or before a removal shows), and WATCHED and
// the other arguments as it got them, each in brackets.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/os/os.h"

int main() {
    const std::vector<std::string> args = os::splitCommandLine(os::commandLine());
    if (args.size() < 4) return 2;
    int before = 0;
    if (FILE* in = os::openFile(args[1], "rb")) {
        for (int c; (c = std::fgetc(in)) != EOF;)
            if (c == '\n') ++before;
        std::fclose(in);
    }
    int present = 0, watched = 0;
    for (std::size_t at = 0; at <= args[3].size();) {
        std::size_t end = args[3].find(';', at);
        if (end == std::string::npos) end = args[3].size();
        ++watched;
        if (os::fileExists(args[3].substr(at, end - at))) ++present;
        at = end + 1;
    }
    std::string line = args[2] + " " + std::to_string(before + 1) + " " +
                       (present == watched ? "present" : present == 0 ? "absent" : "partial");
    for (std::size_t i = 3; i < args.size(); ++i) line += " [" + args[i] + "]";
    line += "\n";
    FILE* out = os::openFile(args[1], "ab");
    if (!out) return 1;
    const bool written = std::fwrite(line.data(), 1, line.size(), out) == line.size();
    return std::fclose(out) == 0 && written ? 0 : 1;
}
