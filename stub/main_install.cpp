// install.exe: the front of every package. Reads its own file, checks it
// whole, and installs; "/S" without windows. Exit code 0 on success,
// otherwise non-zero with the reason on the error stream.
#include <cstdio>

#include "platform/os/os.h"
#include "stub/command_line.h"
#include "stub/installer.h"

namespace {

enum ExitCode { kOk = 0, kDamaged = 2, kPassword = 3, kFailed = 4, kUsage = 5 };

int run() {
    stub::Arguments args = stub::parseArguments(os::commandLine());
    stub::Installer installer;
    std::string error;
    if (!installer.open(os::executablePath(), error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return kDamaged;
    }
    if (!args.silent) {
        std::fprintf(stderr, "This installer runs unattended only: start it with /S [/P=password] [/D=folder].\n");
        return kUsage;
    }
    if (!installer.passwordMatches(args.hasPassword ? args.password : std::string())) {
        std::fprintf(stderr, "%s\n",
                     args.hasPassword ? "The password is not correct." : "This package needs a password: give it with /P=.");
        return kPassword;
    }
    std::string destination = args.hasDestination ? args.destination : installer.defaultDestination();
    stub::InstallProgress quiet;
    if (!installer.install(destination, quiet, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return kFailed;
    }
    if (stub::endsSession(installer.package().finishAction))
        std::fprintf(stderr, "The package asks to %s; unattended installations leave that to the user.\n",
                     installer.package().finishAction == 1 ? "log off" : "restart the computer");
    return kOk;
}

}  // namespace

int main(int argc, char** argv) {
#ifndef _WIN32
    std::string line;
    for (int i = 0; i < argc; ++i) line += (i ? " " : "") + std::string(argv[i]);
    os::setCommandLine(line);
#else
    (void)argc;
    (void)argv;
#endif
    return run();
}
