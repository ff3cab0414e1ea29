// install.exe: the front of every package. Reads its own file, checks it
// whole, then installs through its windows in the package's language, or
// without windows with "/S" ("/R": and logs off or restarts when the
// package asks). Exit codes: 0 installed, 1 cancelled by the
// user, 2 damaged package, 3 wrong or missing password (silent), 4 the
// installation stopped (or never started: no administrator rights), 5 bad
// command line, 6 a scenario step failed (test builds only); the reason
// goes to the error stream. Test builds also take BUNDLEWRIGHT_FAIL_AT.
#include <cstdio>
#include <cstdlib>

#include "platform/os/app_start.h"
#include "platform/os/os.h"
#include "platform/os/shortcuts.h"
#include "platform/ui/prompter.h"
#include "platform/ui/scenario.h"
#include "stub/command_line.h"
#include "stub/installer.h"
#include "stub/language.h"
#include "stub/paths.h"
#include "stub/wizard.h"

#ifdef _WIN32
#include <cstdlib>

// install.exe only decompresses; the compressor's block coder (and its block
// sort) would cost 27 KB of the 541200 every package starts with.
extern "C" void BZ2_compressBlock(void*, unsigned char) { std::abort(); }

// The default handler of an escaped exception names its type through the
// demangler, 46 KB; install.exe catches everything in its handlers anyway.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
#endif

namespace {

void report(const std::string& text) {
    std::fputs(text.c_str(), stderr);
    std::fputc('\n', stderr);
}

int silent(stub::Installer& installer, const stub::Arguments& args) {
    if (!installer.passwordMatches(args.hasPassword ? args.password : std::string())) {
        report(args.hasPassword ? "The password is not correct." : "This package needs a password: give it with /P=.");
        return stub::kExitPassword;
    }
    // The checks of the folder window: without them a relative folder would
    // install below the current one and its uninstall would run elsewhere.
    std::string given = args.hasDestination ? args.destination : installer.defaultDestination();
    std::string destination;
    if (!stub::destinationFolder(given, destination)) {
        const std::string& product = installer.package().product;
        report(installer.say("DestinationUnusable",
                             {{"folder", given},
                              {"example", "/D=C:\\Program Files\\" + (product.empty() ? std::string("Product") : product)}}));
        return args.hasDestination ? stub::kExitUsage : stub::kExitFailed;
    }
    std::string error;
    stub::InstallProgress quiet;
    if (!installer.install(destination, quiet, error)) {
        report(installer.outcome().empty() ? error : error + " " + installer.outcome());
        return installer.foundDamage() ? stub::kExitDamaged : stub::kExitFailed;
    }
    for (const std::string& notice : installer.notices()) report(notice);
    if (!installer.warning().empty()) report(installer.warning());   // installed all the same
    const int action = installer.package().finishAction;
    if (stub::endsSession(action)) {
        const std::string what = action == 1 ? "log off" : "restart the computer";
        // Unattended, the session ends only when whoever started us said so.
        if (!args.endSession)
            report("The package asks to " + what + "; unattended installations leave that to the user (/R allows it).");
        else if (!os::endSession(action == 2))
            report("The package asks to " + what + ", which the system refused.");
    }
    return stub::kExitOk;
}

int run() {
    stub::Arguments args = stub::parseArguments(os::commandLine());
    stub::Installer installer;
    std::string error;
    ui::setProgramName("Setup");
    if (!installer.open(os::executablePath(), error) || !installer.openedOwnImage()) {
        if (error.empty()) error = "The package cannot be read as the program that is running.";
        report(error);
        if (!args.silent) ui::messageBox(error, std::nullopt, ui::Buttons::Ok, ui::Icon::Error);
        return stub::kExitDamaged;
    }
    // Every package writes the Windows folder and the machine's list of
    // installed programs: without the rights it would stop halfway.
    if (!os::hasAdministratorRights()) {
        error = installer.say("RightsMissing", {});
        report(error);
        if (!args.silent) ui::messageBox(error, std::nullopt, ui::Buttons::Ok, ui::Icon::Error);
        return stub::kExitFailed;
    }
#ifdef BW_AUTOMATION
    // Test builds: BUNDLEWRIGHT_FAIL_AT=k makes the installation's k-th change fail.
    std::string failAt;
    if (os::getEnv("BUNDLEWRIGHT_FAIL_AT", failAt) && !failAt.empty()) installer.failAtChange(std::atoi(failAt.c_str()));
#endif
    if (args.silent) return silent(installer, args);

    const stub::Package& p = installer.package();
    stub::Language text;
    text.load(p.language);
    text.set("product", p.product.empty() ? std::string("Setup") : p.product);
    text.set("version", p.version);
    text.set("company", p.company);
    return stub::runWizard(installer, text, args);
}

#if defined(BW_AUTOMATION) && defined(BW_HEADLESS_UI)
// The test build without real windows: a scenario plays the user
// (BUNDLEWRIGHT_SCENARIO); a failing step ends the program with its message.
int runDriven() {
    std::string path;
    try {
        if (!os::getEnv("BUNDLEWRIGHT_SCENARIO", path) || path.empty()) return run();
        ui::ScenarioRun scenario(ui::Scenario::load(path));
        int code = run();
        scenario.finish();
        return code;
    } catch (const ui::ScenarioError& e) {
        report(e.what());   // also: a window with no scenario to play it
        return 6;
    }
}
#else
int runDriven() { return run(); }
#endif

}  // namespace

int main(int argc, char** argv) {
    os::loadLibrariesFromSystemOnly();
#ifndef _WIN32
    std::string line;
    for (int i = 0; i < argc; ++i) line += (i ? " " : "") + os::quoteArgument(argv[i]);
    os::setCommandLine(line);
#else
    (void)argc;
    (void)argv;
#endif
    return runDriven();
}
