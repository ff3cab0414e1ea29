// Tarnwick.exe itself under Wine, driven by a scenario through its real
// windows: the splash is waited out, the welcome page is cancelled, and the
// program ends with 0 after creating config.mnu and the splash bitmap.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/os/os.h"
#include "tests/unit/wizard/test_folder.h"
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
