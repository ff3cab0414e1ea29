// Under Wine: install.exe on hand-made packages that a careless installer
// would install wrongly — relative destinations, damaged or oversized
// streams, over-long names, shortcut names Windows trims — and what its
// windows show for packages without a welcome section or with a
// post-installation program that cannot start.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/os/os.h"
#include "platform/os/registry.h"
#include "platform/os/security.h"
#include "platform/os/services.h"
#include "platform/os/shortcuts.h"
#include "platform/testing/limited_rights.h"
#include "platform/testing/open_folder.h"
#include "platform/testing/setting_listener.h"
#include "tests/support/host_path.h"
#include "tests/unit/builder/test_tree.h"
#include "stub/language.h"
#include "tests/unit/stub/test_package.h"

namespace {

using bwtest::readFile;

std::string dist(const std::string& rel) {
    const char* d = std::getenv("BW_DIST_DIR");
    return bwtest::hostPath(d ? d : "/nonexistent") + "\\" + rel;
}

// Whether an access list in the system's text form lets Everyone (WD) write,
// delete or change permissions: the rights Wine can show.
bool everyoneMayChange(const std::string& sddl) {
    for (size_t at = sddl.find(";;;WD)"); at != std::string::npos; at = sddl.find(";;;WD)", at + 1)) {
        size_t open = sddl.rfind('(', at);
        std::string ace = sddl.substr(open + 1, at - open - 1);   // "A;OICI;0x1301ff"
        if (ace.compare(0, 2, "A;") != 0) continue;
        std::string mask = ace.substr(ace.rfind(';') + 1);
        if (mask.compare(0, 2, "0x") == 0) {
            const unsigned long m = std::strtoul(mask.c_str() + 2, nullptr, 16);
            if (m & 0x500d0156ul) return true;   // write, append, delete (child), attributes, permissions, owner, generic
        } else if (mask.find("FA") != std::string::npos || mask.find("FW") != std::string::npos ||
                   mask.find("GA") != std::string::npos || mask.find("GW") != std::string::npos ||
                   mask.find("WD") != std::string::npos || mask.find("WO") != std::string::npos ||
                   mask.find("SD") != std::string::npos) {
            return true;
        }
    }
    return false;
}

class StubChecks : public ::testing::Test {
protected:
    void SetUp() override {
        std::string stub = bwtest::buildPath("BW_DRIVEN_DIR", "install.exe");
        ASSERT_TRUE(os::fileExists(stub)) << stub;
        pkg_.front = readFile(stub);
        pkg_.space = "100000";
        pkg_.entries = {{"\\a.txt.bz2", stub::bz2("alpha")}, {"\\docs\\b.txt", "beta"}};
        windowsUninstaller_ = os::windowsFolder() + "\\UnBundlewright.exe";
        hadUninstaller_ = readFile(windowsUninstaller_, oldUninstaller_);
    }
    void TearDown() override {
        os::unsetEnv("BUNDLEWRIGHT_SCENARIO");
        if (hadUninstaller_) bwtest::writeFile(windowsUninstaller_, oldUninstaller_);
    }
    // Writes the package and runs it with `args` in `folder` (the test's own
    // when empty); returns its exit code.
    int run(const std::string& args, const std::string& scenario = "") {
        // Each run is a product of its own: an earlier run's folder is not
        // where this one must go.
        for (os::RegRoot root : {os::RegRoot::LocalMachine, os::RegRoot::CurrentUser})
            os::RegKey::open(root, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall").deleteSubKey(pkg_.product);
        bwtest::writeFile(t_.path("setup.exe"), pkg_.bytes());
        if (!scenario.empty()) {
            t_.write("run.scn", scenario);
            os::setEnv("BUNDLEWRIGHT_SCENARIO", t_.path("run.scn"));
        }
        int code = -1;
        EXPECT_TRUE(os::runAndWait(os::quoteArgument(t_.path("setup.exe")) + " " + args, work_.root(), &code, [] {}));
        os::unsetEnv("BUNDLEWRIGHT_SCENARIO");
        return code;
    }

    bwtest::TempTree t_, work_;   // the package; the folder it is started in
    stub::TestPackage pkg_;
    std::string windowsUninstaller_, oldUninstaller_;
    bool hadUninstaller_ = false;
};

// A relative destination would install below the folder Setup was started
// in and write relative paths into the uninstall script.
TEST_F(StubChecks, SilentDestinationMustBeAFullLocalPath) {
    for (const char* d : {"Acme", "Acme\\Sub", "\\Acme", "%BwStubNoSuchVar%\\Acme", "C:Acme", "\\\\server\\share\\Acme"}) {
        EXPECT_EQ(5, run("/S /D=" + std::string(d))) << d;
        EXPECT_TRUE(bwtest::snapshot(work_.root()).empty()) << d;
    }
    // The same from the package's default destination.
    pkg_.destination = "Acme";
    EXPECT_EQ(4, run("/S"));
    EXPECT_TRUE(bwtest::snapshot(work_.root()).empty());
    EXPECT_FALSE(os::directoryExists(work_.path("Acme")));

    // Environment references are expanded, as in the folder window.
    os::setEnv("BwStubTestBase", t_.path("Expanded"));
    pkg_.destination = "%BwStubTestBase%\\Acme";
    EXPECT_EQ(0, run("/S"));
    EXPECT_EQ("alpha", readFile(t_.path("Expanded\\Acme\\a.txt")));
    std::string script = readFile(t_.path("Expanded\\Acme\\Uninstall.wzu"));
    EXPECT_NE(std::string::npos, script.find(t_.path("Expanded\\Acme\\a.txt") + '\0'));
    EXPECT_EQ(0, run("/S /D=%BwStubTestBase%\\Other"));
    EXPECT_EQ("beta", readFile(t_.path("Expanded\\Other\\docs\\b.txt")));
    os::unsetEnv("BwStubTestBase");
}

// Nothing is written before every entry has been unpacked and checked: a
// damaged stream, a name too long for the system or a package that decodes
// to more than it declares leaves the machine as it was.
TEST_F(StubChecks, APackageThatFailsItsCheckLeavesNothingBehind) {
    std::string data(300000, 'z');
    for (size_t i = 0; i < data.size(); i += 11) data[i] = static_cast<char>('a' + i % 23);
    std::string damaged = stub::bz2(data);
    damaged[damaged.size() / 2] ^= 0x10;   // same length, wrong block checksum
    std::string longName = "\\" + std::string(120, 'd') + "\\" + std::string(120, 'e') + "\\" + std::string(60, 'f') + ".txt";
    const struct {
        const char* what;
        std::vector<std::pair<std::string, std::string>> entries;
        const char* space;
        int code;   // 2 damaged package, 4 the installation stopped
    } cases[] = {
        {"damaged stream", {{"\\first.txt", "1"}, {"\\sub\\bad.bin.bz2", damaged}, {"\\last.txt", "3"}}, "1000000", 2},
        {"name too long", {{"\\first.txt", "1"}, {longName, "x"}}, "1000", 4},
        {"more than declared", {{"\\first.txt", "1"}, {"\\zeros.bin.bz2", stub::bz2(std::string(4 << 20, '\0'))}}, "1000", 2},
        {"stored more than declared", {{"\\first.txt", std::string(2000, 's')}}, "1000", 2},
    };
    bwtest::writeFile(windowsUninstaller_, "the uninstaller of another product");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        pkg_.entries = c.entries;
        pkg_.space = c.space;
        std::string dest = t_.path("Dest\\Acme");
        EXPECT_EQ(c.code, run("/S /D=" + dest));
        EXPECT_FALSE(os::directoryExists(t_.path("Dest")));
        // Into a folder that exists: it stays, empty.
        t_.mkdir("Kept");
        EXPECT_EQ(c.code, run("/S /D=" + t_.path("Kept")));
        EXPECT_TRUE(os::directoryExists(t_.path("Kept")));
        EXPECT_TRUE(bwtest::snapshot(t_.path("Kept")).empty());
        std::vector<os::DirEntry> left;
        ASSERT_TRUE(os::listFolder(t_.path("Kept"), left));
        for (const os::DirEntry& e : left) EXPECT_TRUE(e.name == "." || e.name == "..") << e.name;
        EXPECT_EQ("the uninstaller of another product", readFile(windowsUninstaller_));
    }
}

// The space the package states is there before anything is written.
TEST_F(StubChecks, NotEnoughFreeSpaceInstallsNothing) {
    pkg_.space = "900000000000000";   // 900 TB
    EXPECT_EQ(4, run("/S /D=" + t_.path("Full\\Acme")));
    EXPECT_FALSE(os::directoryExists(t_.path("Full")));
}

// "Acme Inc." is the folder "Acme Inc" to Windows, and a folder label cut
// to 24 characters may end in a blank: both install, under the names
// Windows gives them; a real escape is still refused.
TEST_F(StubChecks, ShortcutNamesWindowsTrimsInstall) {
    std::string programs = os::shellFolder(os::ShellFolder::Programs);
    std::string folder = "BwStubChecks Acme Tools ";   // 24 characters, the last a blank
    ASSERT_EQ(24u, folder.size());
    pkg_.shortcuts = true;
    pkg_.shortcutsText = "create_shortcut_dir`Desktop\\Start Menu\\Programs\\" + folder + "\r\n" +
                         "add_shortcut`<<TARGETDIR>>\\a.txt`Desktop\\Start Menu\\Programs\\" + folder +
                         "\\Alpha.lnk`Alpha`\r\n" +
                         "add_shortcut`<<TARGETDIR>>\\a.txt`Desktop\\Start Menu\\Programs\\BwStubChecks Inc.\\A.lnk`A`\r\n";
    std::string dest = t_.path("Dest");
    ASSERT_EQ(0, run("/S /D=" + dest));
    std::string trimmed = programs + "\\BwStubChecks Acme Tools";
    os::Shortcut link;
    EXPECT_TRUE(os::readShortcut(trimmed + "\\Alpha.lnk", link));
    EXPECT_EQ(dest + "\\a.txt", link.target);
    EXPECT_TRUE(os::readShortcut(programs + "\\BwStubChecks Inc\\A.lnk", link));
    std::string script = readFile(dest + "\\Uninstall.wzu");
    EXPECT_NE(std::string::npos, script.find(trimmed + "\\Alpha.lnk" + '\0'));
    EXPECT_NE(std::string::npos, script.find(trimmed + '\0'));
    os::deleteFile(trimmed + "\\Alpha.lnk");
    os::deleteFile(programs + "\\BwStubChecks Inc\\A.lnk");
    os::removeDirectory(trimmed);
    os::removeDirectory(programs + "\\BwStubChecks Inc");

    for (const char* evil : {"Desktop\\Start Menu\\Programs\\..\\..\\BwStubChecks.lnk",
                             "Desktop\\Start Menu\\Programs\\ . \\BwStubChecks.lnk"}) {
        pkg_.shortcutsText = std::string("add_shortcut`<<TARGETDIR>>\\a.txt`") + evil + "`Evil`\r\n";
        EXPECT_EQ(2, run("/S /D=" + t_.path("Evil"))) << evil;
        EXPECT_FALSE(os::directoryExists(t_.path("Evil"))) << evil;
    }
}

// Every package puts UnBundlewright.exe into the Windows folder and its entry
// under HKLM, which only an administrator may change: both programs carry a
// manifest that asks for the rights when they start.
TEST_F(StubChecks, BothProgramsAskForAdministratorRights) {
    for (const char* program : {"bin\\install.exe", "bin\\UnBundlewright.exe"}) {
        const std::string image = readFile(dist(program));
        ASSERT_FALSE(image.empty()) << program;
        EXPECT_NE(image.find("<requestedExecutionLevel level=\"requireAdministrator\""), std::string::npos) << program;
    }
}

// Where Windows runs a program without the rights it asked for (a standard
// user with the prompt turned off, or an administrator's limited token),
// neither program starts its work: install.exe says why and writes nothing,
// UnBundlewright removes nothing.
TEST_F(StubChecks, WithoutAdministratorRightsNothingIsInstalledOrRemoved) {
    const std::string uninstaller = dist("bin\\UnBundlewright.exe");
    const std::string dest = t_.path("Rights");
    const std::string setup = t_.path("setup.exe");
    bwtest::writeFile(setup, pkg_.bytes());
    std::string before;
    readFile(windowsUninstaller_, before);
    for (bwtest::Rights how : {bwtest::Rights::Restricted, bwtest::Rights::Limited}) {
        SCOPED_TRACE(how == bwtest::Rights::Restricted ? "restricted" : "limited");
        int code = -1;
        std::string said;
        ASSERT_TRUE(bwtest::runWithoutAdministratorRights(os::quoteArgument(setup) + " /S /D=" + dest, how, code, said));
        EXPECT_EQ(4, code);
        EXPECT_NE(std::string::npos, said.find("Widget can be installed only with administrator rights")) << said;
        EXPECT_FALSE(os::directoryExists(dest));
        std::string now;
        readFile(windowsUninstaller_, now);
        EXPECT_TRUE(before == now) << "the Windows folder's uninstaller changed";
    }

    ASSERT_EQ(0, run("/S /D=" + dest));
    const std::string uninstall = os::quoteArgument(uninstaller) + " /S -f" + dest + "\\Uninstall.wzu";
    for (bwtest::Rights how : {bwtest::Rights::Restricted, bwtest::Rights::Limited}) {
        int code = -1;
        std::string said;
        ASSERT_TRUE(bwtest::runWithoutAdministratorRights(uninstall, how, code, said));
        EXPECT_EQ(3, code);
        EXPECT_NE(std::string::npos, said.find("only with administrator rights")) << said;
        EXPECT_EQ("alpha", readFile(dest + "\\a.txt"));
        EXPECT_TRUE(os::fileExists(dest + "\\Uninstall.wzu"));
    }
    int code = -1;
    ASSERT_TRUE(os::startProcess(uninstall, true, &code));
    EXPECT_EQ(0, code);
    EXPECT_FALSE(os::directoryExists(dest));
}

// A running service holds its program open: UnBundlewright stops and
// deletes the services before it removes the files.
TEST_F(StubChecks, UninstallStopsTheServiceBeforeRemovingItsProgram) {
    std::string uninstaller = dist("bin\\UnBundlewright.exe");
    if (!os::fileExists(uninstaller)) GTEST_SKIP() << "UnBundlewright.exe is not built";
    std::string marker = readFile(bwtest::hostPath(BW_E2E_MARKER));
    const char kName[] = "BwStubChecksRunning";
    pkg_.entries.push_back({"\\bin\\svc.exe", marker});
    pkg_.space = std::to_string(marker.size() + 100000);
    pkg_.services = std::string("\\bin\\svc.exe~") + kName + "~Bw stub checks";
    std::string dest = t_.path("Service");
    ASSERT_EQ(0, run("/S /D=" + dest));
    ASSERT_TRUE(os::startService(kName));
    for (int i = 0; i < 100 && !os::emulatedServiceRunning(kName); ++i) os::sleepMs(100);
    ASSERT_TRUE(os::emulatedServiceRunning(kName)) << "the service does not run";
    int code = -1;
    ASSERT_TRUE(os::startProcess(os::quoteArgument(uninstaller) + " /S -f" + dest + "\\Uninstall.wzu", true, &code));
    EXPECT_EQ(0, code);
    EXPECT_FALSE(os::fileExists(dest + "\\bin\\svc.exe"));
    EXPECT_FALSE(os::directoryExists(dest));
    EXPECT_FALSE(os::serviceExists(kName));
    if (os::serviceExists(kName)) {
        os::stopService(kName);
        os::deleteService(kName);
    }
}

// Running programs hold their environment: they learn that it changed when the
// package appends to it and again when UnBundlewright takes the part away.
TEST_F(StubChecks, RunningProgramsHearOfEveryEnvironmentChange) {
    const std::string uninstaller = dist("bin\\UnBundlewright.exe");
    pkg_.registry = true;
    pkg_.registryText = "*Default_Root`HKEY_CURRENT_USER\r\n*AppendKeyValue`Environment`BwStubChecksEnv`C:\\Bw\r\n";
    const std::string dest = t_.path("Environment");
    bwtest::EnvironmentListener listener;
    ASSERT_EQ(0, run("/S /D=" + dest));
    EXPECT_TRUE(listener.heard(1)) << "the installation did not tell";
    int code = -1;
    ASSERT_TRUE(os::startProcess(os::quoteArgument(uninstaller) + " /S -f" + dest + "\\Uninstall.wzu", true, &code));
    EXPECT_EQ(0, code);
    EXPECT_TRUE(listener.heard(2)) << "UnBundlewright did not tell";
}

// A service of that name that belongs to someone else is refused before
// anything is written.
TEST_F(StubChecks, AServiceOfAnotherProgramIsRefusedBeforeAnyWrite) {
    const char kName[] = "BwStubChecksTaken";
    ASSERT_TRUE(os::createService({kName, "taken", "C:\\windows\\system32\\notepad.exe", os::ServiceStart::Demand}));
    pkg_.services = std::string("\\docs\\b.txt~") + kName + "~Taken";
    std::string dest = t_.path("Made\\Deeper\\Acme");
    EXPECT_EQ(4, run("/S /D=" + dest));
    os::deleteService(kName);
    EXPECT_FALSE(os::directoryExists(t_.path("Made")));
}

// A folder the installation makes gets a descriptor that lets only
// administrators change it, and an existing one that anyone may change is
// given it (the uninstall runs, removes and writes back what it holds). (Wine keeps a
// descriptor as the file's permission bits: the access it grants "Everyone"
// (WD) is what it can show.) Program Files is the system's, whatever the
// environment says.
TEST_F(StubChecks, TheDestinationIsOnlyAdministratorsToChange) {
    const std::string made = t_.path("Made\\Acme");
    ASSERT_EQ(0, run("/S /D=" + made));
    for (const std::string& level : {made, t_.path("Made")})
        EXPECT_FALSE(everyoneMayChange(os::securityText(level))) << level << " " << os::securityText(level);

    t_.mkdir("Open");
    ASSERT_TRUE(bwtest::openToEveryone(t_.path("Open")));
    ASSERT_TRUE(everyoneMayChange(os::securityText(t_.path("Open")))) << os::securityText(t_.path("Open"));
    pkg_.preUninstall = "\\docs\\b.txt";   // a program the uninstall will run as administrator
    ASSERT_EQ(0, run("/S /D=" + t_.path("Open")));
    EXPECT_FALSE(everyoneMayChange(os::securityText(t_.path("Open")))) << os::securityText(t_.path("Open"));

    pkg_.preUninstall = " ";
    pkg_.destination = "%ProgramFiles%\\BwStubChecksPf";
    os::setEnv("ProgramFiles", t_.path("Planted"));
    const int code = run("/S");
    os::unsetEnv("ProgramFiles");
    const std::string real = os::programFilesFolder() + "\\BwStubChecksPf";
    EXPECT_EQ(0, code);
    EXPECT_FALSE(os::directoryExists(t_.path("Planted")));
    EXPECT_EQ("alpha", readFile(real + "\\a.txt"));
    int removed = -1;
    os::startProcess(os::quoteArgument(dist("bin\\UnBundlewright.exe")) + " /S -f" + real + "\\Uninstall.wzu", true, &removed);
    EXPECT_EQ(0, removed);
}

#ifdef BW_E2E_WINDOWS_PLAYED
// The package's welcome section off: the first window is the folder.
TEST_F(StubChecks, NoWelcomeWindowWhenTheSectionIsOff) {
    std::string dest = t_.path("Windowed");
    ASSERT_EQ(0, run("", "on dialog IDD_FOLDER\nexpect enabled IDC_BACK 0\nset IDC_FOLDER " + dest +
                             "\nclick IDC_NEXT\non dialog IDD_FINISH\nclick IDC_NEXT\n"));
    EXPECT_EQ("alpha", readFile(dest + "\\a.txt"));
    // On, it is the first window.
    pkg_.option = stub::optionText("", "default", "", "", "");
    ASSERT_EQ(0, run("", "on dialog IDD_WELCOME\nclick IDC_NEXT\non dialog IDD_FOLDER\nexpect enabled IDC_BACK 1\nset IDC_FOLDER " + dest +
                             "\nclick IDC_NEXT\non dialog IDD_FINISH\nclick IDC_NEXT\n"));
}

// Without the rights, the windowed Setup says why in a box before any window.
TEST_F(StubChecks, WithoutAdministratorRightsTheWindowedSetupSaysWhy) {
    stub::Language text;
    text.load(pkg_.language);
    text.set("product", "Widget");
    bwtest::writeFile(t_.path("setup.exe"), pkg_.bytes());
    t_.write("run.scn", "answer message ok\nexpect message " + text("RightsMissing") + "\n");
    os::setEnv("BUNDLEWRIGHT_SCENARIO", t_.path("run.scn"));
    int code = -1;
    std::string said;
    ASSERT_TRUE(bwtest::runWithoutAdministratorRights(os::quoteArgument(t_.path("setup.exe")),
                                                      bwtest::Rights::Limited, code, said));
    EXPECT_EQ(4, code) << said;
}

// Programs of the package start in the destination folder; one that cannot
// start after the installation is shown, and the installation stands.
TEST_F(StubChecks, ProgramsRunInTheDestinationAndAFailedOneIsShown) {
    std::string marker = readFile(bwtest::hostPath(BW_E2E_MARKER));
    pkg_.entries.push_back({"\\bin\\mark.exe", marker});
    pkg_.space = std::to_string(2 * marker.size() + 100000);
    pkg_.preInstall = "\\bin\\mark.exe";
    pkg_.preInstallCmd = "pre.txt";   // relative: lands in the folder it runs in
    pkg_.postInstall = "\\docs\\b.txt";   // not a program
    std::string dest = t_.path("Programs");
    EXPECT_EQ(0, run("/S /D=" + dest));
    EXPECT_EQ("ran", readFile(dest + "\\pre.txt"));
    EXPECT_FALSE(os::fileExists(work_.path("pre.txt")));
    os::deleteFile(dest + "\\pre.txt");
    // Through the windows: the box comes before the finish window.
    ASSERT_EQ(0, run("/D=" + dest, "on dialog IDD_FOLDER\nclick IDC_NEXT\nanswer message ok\non dialog IDD_FINISH\nclick IDC_NEXT\n"));
    EXPECT_NE(0, run("/D=" + dest, "on dialog IDD_FOLDER\nclick IDC_NEXT\non dialog IDD_FINISH\nexpect no message\nclick IDC_NEXT\n"))
        << "no box was shown before the finish window";
}

// The progress window keeps answering while the pre-installation program runs.
TEST_F(StubChecks, TheProgressWindowAnswersWhileAProgramRuns) {
    std::string marker = readFile(bwtest::hostPath(BW_E2E_MARKER));
    pkg_.entries.push_back({"\\bin\\mark.exe", marker});
    pkg_.space = std::to_string(marker.size() + 100000);
    pkg_.preInstall = "\\bin\\mark.exe";
    pkg_.preInstallCmd = "pre.txt probe";
    std::string dest = t_.path("Answering");
    ASSERT_EQ(0, run("/D=" + dest, "on dialog IDD_FOLDER\nclick IDC_NEXT\non dialog IDD_FINISH\nclick IDC_NEXT\n"));
    EXPECT_EQ("ran probe answered", readFile(dest + "\\pre.txt"));
}
// Programs and libraries beside the package (a Downloads folder holds
// whatever else was downloaded) never run in the installer: the readme viewer
// is started by its full path and the common controls come from the system
// folder, even where the system would prefer a library found beside the
// program (WINEDLLOVERRIDES "n,b", as Windows does for libraries it does not
// keep among its known ones).
TEST_F(StubChecks, NothingPlantedBesideThePackageRuns) {
    ASSERT_TRUE(os::copyFile(bwtest::hostPath(BW_E2E_MARKER), t_.path("notepad.exe"), false));
    const std::string library = bwtest::hostPath(BW_E2E_PLANTED_LIBRARY);
    ASSERT_TRUE(os::copyFile(library, t_.path("comctl32.dll"), false));
    pkg_.entries.push_back({"\\readme.txt", "read me"});
    pkg_.option = stub::optionText("", "", "", "", "readme.txt");
    const std::string dest = t_.path("Planted");
    std::string overrides;
    const bool hadOverrides = os::getEnv("WINEDLLOVERRIDES", overrides);
    os::setEnv("WINEDLLOVERRIDES", (hadOverrides ? overrides + ";" : std::string()) + "comctl32=n,b");
    const int code = run("/D=" + dest, "on dialog IDD_FOLDER\nclick IDC_NEXT\non dialog IDD_FINISH\n"
                                       "expect checked IDC_SHOW_README 1\nclick IDC_NEXT\n");
    if (hadOverrides) os::setEnv("WINEDLLOVERRIDES", overrides);
    else os::unsetEnv("WINEDLLOVERRIDES");
    int ignored = 0;
    os::startProcess(os::quoteArgument(os::systemFolder() + "\\taskkill.exe") + " /F /IM notepad.exe", true, &ignored);
    EXPECT_EQ(0, code);
    EXPECT_EQ("read me", readFile(dest + "\\readme.txt")) << "the planted notepad.exe ran on it";
    EXPECT_FALSE(os::fileExists(t_.path("comctl32.dll.loaded"))) << "the planted library was loaded";
}
#endif

}  // namespace
