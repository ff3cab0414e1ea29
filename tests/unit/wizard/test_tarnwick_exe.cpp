// Tarnwick.exe itself under Wine, driven by a scenario through its real
// windows: the splash is waited out, the welcome page is cancelled, and the
// program ends with 0 after creating config.mnu and the splash bitmap.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/os/os.h"
#include "tests/unit/wizard/test_folder.h"

namespace {

// The Windows form of a host path (Wine shows / as Z:).
std::string fromHost(const char* hostPath) {
    std::string p = std::string("Z:") + hostPath;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

TEST(TarnwickExe, SplashThenWelcomeThenCancelEndsWithZero) {
    const char* dist = std::getenv("BW_DIST_DIR");
    ASSERT_NE(dist, nullptr);
    const std::string exe = fromHost(dist) + "\\bin\\Tarnwick.exe";
    ASSERT_TRUE(os::fileExists(exe)) << exe;

    bwtest::TestFolder inst;
    os::createDirectories(inst.path() + "\\bin");
    os::createDirectories(inst.path() + "\\image");
    ASSERT_TRUE(os::copyFile(fromHost(dist) + "\\image\\bundlewright.jpg",
                             inst.path() + "\\image\\bundlewright.jpg", false));
    const char* source = std::getenv("BW_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    // The same scenario the headless welcome test runs.
    const std::string scenario = fromHost(source) + "\\tests\\scenarios\\tarnwick_welcome_cancel.scn";
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
