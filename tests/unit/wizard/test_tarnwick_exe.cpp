// Tarnwick.exe itself under Wine, driven by a scenario through its real
// windows: the splash is waited out, the welcome page is cancelled, and the
// program ends with 0 after creating config.mnu and the splash bitmap; and
// the main road from the welcome page to Finish, whose package installs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/os/os.h"
#include "tests/support/test_folder.h"
#include "tests/support/host_path.h"

namespace {

TEST(TarnwickExe, SplashThenWelcomeThenCancelEndsWithZero) {
    const std::string dist = bwtest::buildPath("BW_DIST_DIR");
    ASSERT_FALSE(dist.empty());
    const std::string exe = dist + "\\bin\\Tarnwick.exe";
    ASSERT_TRUE(os::fileExists(exe)) << exe;

    bwtest::TestFolder inst;
    os::createDirectories(inst.path() + "\\bin");
    os::createDirectories(inst.path() + "\\image");
    ASSERT_TRUE(os::copyFile(dist + "\\image\\bundlewright.jpg",
                             inst.path() + "\\image\\bundlewright.jpg", false));
    // The same scenario the headless welcome test runs.
    const std::string scenario = bwtest::buildPath("BW_SOURCE_DIR", "tests/scenarios/tarnwick_welcome_cancel.scn");
    os::setEnv("TWKINSTDIR", inst.path());
    os::setEnv("BUNDLEWRIGHT_SCENARIO", scenario);
    int code = -1;
    const bool started = os::startProcess("\"" + exe + "\"", true, &code);
    os::unsetEnv("BUNDLEWRIGHT_SCENARIO");
    os::unsetEnv("TWKINSTDIR");
    ASSERT_TRUE(started);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(bwtest::TestFolder::read(inst.path() + "\\bin\\config.mnu"), "1011000");
    EXPECT_EQ(bwtest::TestFolder::read(inst.path() + "\\image\\bundlewright.bmp").substr(0, 2), "BM");
}

}  // namespace

namespace {

std::string replaceAll(std::string text, const std::string& what, const std::string& with) {
    for (std::size_t at = 0; (at = text.find(what, at)) != std::string::npos; at += with.size())
        text.replace(at, what.size(), with);
    return text;
}

bool runWaiting(const std::string& line, int& code) { return os::startProcess(line, true, &code); }

// The wizard's main road through its real windows: welcome to Finish builds a
// package and a project file; the package installs silently and UnBundlewright
// removes what it installed.
TEST(TarnwickExe, WelcomeToFinishBuildsAPackageThatInstallsAndUninstalls) {
    const std::string dist = bwtest::buildPath("BW_DIST_DIR");
    ASSERT_FALSE(dist.empty());
    bwtest::TestFolder root;
    const std::string inst = root.path() + "\\inst";
    for (const char* sub : {"bin", "lang", "image", "output", "projects", "temp"})
        os::createDirectories(inst + "\\" + sub);
    for (const char* exe : {"install.exe", "UnBundlewright.exe"})
        ASSERT_TRUE(os::copyFile(dist + "\\bin\\" + exe, inst + "\\bin\\" + exe, false)) << exe;
    ASSERT_TRUE(os::copyFile(dist + "\\lang\\English.txt", inst + "\\lang\\English.txt", false));
    ASSERT_TRUE(os::copyFile(dist + "\\image\\bundlewright.jpg", inst + "\\image\\bundlewright.jpg", false));
    bwtest::TestFolder::write(inst + "\\bin\\config.mnu", "1000000");
    os::createDirectories(root.path() + "\\Prod\\docs");
    os::createDirectories(root.path() + "\\Prod\\empty");
    bwtest::TestFolder::write(root.path() + "\\Prod\\a.txt", "alpha");
    bwtest::TestFolder::write(root.path() + "\\Prod\\docs\\b.txt", std::string(5000, 'b'));

    const std::string shots = bwtest::buildPath("BW_BINARY_DIR", "shots/wizard-build");
    os::createDirectories(shots);
    std::string scenario =
        bwtest::TestFolder::read(bwtest::buildPath("BW_SOURCE_DIR", "tests/scenarios/tarnwick_build.scn"));
    ASSERT_FALSE(scenario.empty());
    scenario = replaceAll(replaceAll(scenario, "%SHOTS%", shots), "@\\", root.path() + "\\");
    bwtest::TestFolder::write(root.path() + "\\build.scn", scenario);

    os::setEnv("TWKINSTDIR", inst);
    os::setEnv("BUNDLEWRIGHT_SCENARIO", root.path() + "\\build.scn");
    int code = -1;
    const bool started = runWaiting("\"" + dist + "\\bin\\Tarnwick.exe\"", code);
    os::unsetEnv("BUNDLEWRIGHT_SCENARIO");
    os::unsetEnv("TWKINSTDIR");
    ASSERT_TRUE(started);
    EXPECT_EQ(code, 1) << "Finish ends the run with exit code 1";
    const std::string package = inst + "\\output\\Demo.exe";
    ASSERT_TRUE(os::fileExists(package));
    EXPECT_TRUE(os::fileExists(inst + "\\projects\\Demo.wzp"));

    const std::string dest = root.path() + "\\installed";
    ASSERT_TRUE(runWaiting("\"" + package + "\" /S /D=" + dest, code));
    EXPECT_EQ(code, 0);
    EXPECT_EQ(bwtest::TestFolder::read(dest + "\\a.txt"), "alpha");
    EXPECT_EQ(bwtest::TestFolder::read(dest + "\\docs\\b.txt"), std::string(5000, 'b'));
    EXPECT_TRUE(os::directoryExists(dest + "\\empty"));

    bwtest::TestFolder::write(root.path() + "\\uninstall.scn", "answer message yes\non dialog 102\nclick 1\n");
    os::setEnv("BUNDLEWRIGHT_SCENARIO", root.path() + "\\uninstall.scn");
    ASSERT_TRUE(runWaiting("\"" + os::windowsFolder() + "\\UnBundlewright.exe\" -f" + dest + "\\Uninstall.wzu", code));
    os::unsetEnv("BUNDLEWRIGHT_SCENARIO");
    EXPECT_FALSE(os::directoryExists(dest)) << "UnBundlewright left the destination behind";
}

}  // namespace
