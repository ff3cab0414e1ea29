// demo/demo.wzp is what the wizard makes: the demo scenario runs every page
// on the demo product (C: mapped to a folder of the test's own) and the saved
// project must hold what the committed one holds. The list's lines come in
// the file system's order, so they are compared as a set (and the delivery
// programs by their lines).
// twk build of that project gives the wizard's package byte for byte.
// BW_UPDATE_DEMO=1 writes the new project over demo/demo.wzp.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/os/os.h"
#include "platform/ui/prompter.h"
#include "platform/ui/scenario.h"
#include "tests/support/host_path.h"
#include "tests/support/test_folder.h"
#include "tests/unit/wizard/tarnwick_run.h"
#include "wizard/startup.h"

namespace fs = std::filesystem;

namespace {

// The project's bytes with the lines of its file list (section 3) sorted.
std::string withSortedList(const std::string& wzp) {
    const std::size_t a = wzp.find("`start3`"), b = wzp.find("`start4`");
    if (a == std::string::npos || b == std::string::npos || b < a) return wzp;
    const std::string list = wzp.substr(a + 8, b - a - 8);
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < list.size();) {
        std::size_t end = list.find('\n', at);
        end = end == std::string::npos ? list.size() : end + 1;
        lines.push_back(list.substr(at, end - at));
        at = end;
    }
    // The delivery lists' row numbers follow that order too: name their lines instead.
    std::vector<std::string> programs;
    for (const auto& l : lines) {
        std::string name = l.substr(0, l.find('\r'));
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (name.size() > 4 && (name.ends_with(".exe") || name.ends_with(".bat"))) programs.push_back(l);
    }
    std::string rest = wzp.substr(b);
    const std::size_t c = rest.find("`start9`"), d = c == std::string::npos ? c : rest.find('`', c + 8);
    if (d != std::string::npos) {
        std::string named;
        for (std::size_t at = c + 8; at <= d;) {
            std::size_t end = std::min(rest.find('?', at), d);
            const int row = std::atoi(rest.substr(at, end - at).c_str());
            named += (row >= 0 && row < static_cast<int>(programs.size()) ? programs[row] : "none") + "?";
            at = end + 1;
        }
        rest = rest.substr(0, c + 8) + named + rest.substr(d);
    }
    std::sort(lines.begin(), lines.end());
    std::string sorted;
    for (const auto& l : lines) sorted += l;
    return wzp.substr(0, a + 8) + sorted + rest;
}

TEST(DemoProject, TheWizardMakesTheCommittedDemoProject) {
    const std::string source = bwtest::buildPath("BW_SOURCE_DIR");
    ASSERT_FALSE(source.empty());
    const fs::path repo = os::hostPath(source);
    bwtest::TestFolder dir;
    const fs::path c = os::hostPath(dir.path());
    fs::create_directories(c / "Demo" / "Widget");
    fs::copy(repo / "demo" / "Widget", c / "Demo" / "Widget", fs::copy_options::recursive);
    // What the build adds to the committed product: its programs and an empty folder.
    bwtest::TestFolder::write(dir.path() + "\\Demo\\Widget\\bin\\widget.exe", "MZ");
    // The demo product's own programs (demo/programs/NAME.cpp) are built for Windows only.
    for (const auto& p : fs::directory_iterator(repo / "demo" / "programs"))
        if (p.path().extension() == ".cpp")
            bwtest::TestFolder::write(dir.path() + "\\Demo\\Widget\\bin\\" + p.path().stem().string() + ".exe", "MZ");
    fs::create_directories(c / "Demo" / "Widget" / "logs");
    fs::create_directories(c / "Demo" / "output");
    const std::string inst = dir.path() + "\\inst";
    for (const char* sub : {"bin", "temp", "lang"}) os::createDirectories(inst + "\\" + sub);
    bwtest::TestFolder::write(inst + "\\bin\\install.exe", "MZ stand-in stub");
    bwtest::TestFolder::write(inst + "\\bin\\UnBundlewright.exe", "MZ stand-in uninstaller");
    bwtest::TestFolder::write(inst + "\\bin\\config.mnu", "1000000");
    fs::copy(repo / "resources" / "lang", os::hostPath(inst + "\\lang"));

    os::setEnv("BUNDLEWRIGHT_DRIVES", "C=" + c.string());
    os::setEnv(wizard::kInstallDirVariable, inst);
    os::setCommandLine("\"C:\\Tw\\bin\\Tarnwick.exe\"");
    os::setExitTrap(true);
    ui::setProgramName("Tarnwick");
    const std::string here = os::currentDirectory();
    std::vector<ui::RecordedMessage> messages;
    const int code = bwtest::runTarnwick(
        ui::Scenario::load(bwtest::buildPath("BW_SOURCE_DIR", "tests/scenarios/demo_project.scn")), messages);
    os::setCurrentDirectory(here);
    os::setExitTrap(false);
    os::unsetEnv(wizard::kInstallDirVariable);
    EXPECT_EQ(code, 1);
    for (const auto& m : messages) ADD_FAILURE() << m.text;

    const std::string made = bwtest::TestFolder::read("C:\\Demo\\demo.wzp");
    const std::string wizardPackage = bwtest::TestFolder::read("C:\\Demo\\output\\Widget-1.0-setup.exe");
    ASSERT_FALSE(wizardPackage.empty());

    // twk build of the saved project: the same pages, so the same bytes.
    os::deleteFile("C:\\Demo\\output\\Widget-1.0-setup.exe");
    const std::string line = std::string("TWKINSTDIR='") + os::hostPath(inst) + "' '" + BW_TWK_PATH +
                             "' build -q '" + os::hostPath("C:\\Demo\\demo.wzp") + "'";
    EXPECT_EQ(std::system(line.c_str()), 0) << line;
    EXPECT_TRUE(bwtest::TestFolder::read("C:\\Demo\\output\\Widget-1.0-setup.exe") == wizardPackage)
        << "twk build and the wizard's Build gave different packages";
    os::unsetEnv("BUNDLEWRIGHT_DRIVES");
    ASSERT_FALSE(made.empty());
    EXPECT_NE(made.find("C:\\Demo\\Widget\\logs\\temp$"), std::string::npos);
    const std::string committedPath = source + "\\demo\\demo.wzp";
    const char* update = std::getenv("BW_UPDATE_DEMO");
    if (update && *update == '1') bwtest::TestFolder::write(committedPath, made);
    EXPECT_EQ(withSortedList(made), withSortedList(bwtest::TestFolder::read(committedPath)))
        << "demo/demo.wzp is not what the demo scenario makes; run this test with BW_UPDATE_DEMO=1";
}

}  // namespace
