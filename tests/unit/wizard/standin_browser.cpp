// A stand-in browser for the Help tests under Wine: writes the command line
// it was started with, as the system gave it, into the file named by
// BW_STANDIN_RECORD (written aside and renamed, so a reader never sees half).
#include <cstdio>
#include <string>

#include "platform/os/os.h"

int main() {
    std::string record;
    if (!os::getEnv("BW_STANDIN_RECORD", record) || record.empty()) return 1;
    const std::string part = record + ".part", line = os::commandLine();
    FILE* f = os::openFile(part, "wb");
    if (!f) return 1;
    const bool written = std::fwrite(line.data(), 1, line.size(), f) == line.size();
    if (std::fclose(f) != 0 || !written) return 1;
    return os::moveFile(part, record) ? 0 : 1;
}
