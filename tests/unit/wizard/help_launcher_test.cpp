#include "wizard/help_launcher.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "platform/os/os.h"
#include "tests/support/test_folder.h"

namespace {

TEST(HelpLauncher, CommandLineHasThreeBlanksAndAnUnquotedPage) {
    const wizard::HelpLauncher h("C:\\Program Files\\Tw", "C:\\Web\\browse.exe");
    EXPECT_EQ(h.arguments("Bundlewright.html"), "   C:\\Program Files\\Tw\\help\\Bundlewright.html");
    EXPECT_EQ(h.commandLine("Bundlewright4.html"),
              "\"C:\\Web\\browse.exe\"   C:\\Program Files\\Tw\\help\\Bundlewright4.html");
}

TEST(HelpLauncher, NoBrowserOpensNothing) {
    EXPECT_FALSE(wizard::HelpLauncher("C:\\Tw", "").open("Bundlewright.html"));
    bwtest::TestFolder dir;
    EXPECT_FALSE(wizard::HelpLauncher("C:\\Tw", dir.file("absent.exe")).open("Bundlewright.html"));
}

#ifndef _WIN32
// A stand-in browser that records its arguments, one a line.
TEST(HelpLauncher, StartsTheBrowserWithThePage) {
    bwtest::TestFolder dir;
    const std::string browser = dir.file("browser.sh");
    const std::string record = os::hostPath(dir.file("args.txt"));
    bwtest::TestFolder::write(browser, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + record + ".part'\nmv '" +
                                           record + ".part' '" + record + "'\n");
    ASSERT_EQ(::chmod(os::hostPath(browser).c_str(), 0755), 0);
    ASSERT_TRUE(wizard::HelpLauncher("C:\\Tw", browser).open("Bundlewright3.html"));
    std::string got;
    for (int i = 0; i < 100 && got.empty(); ++i) {
        os::sleepMs(50);
        got = bwtest::TestFolder::read(dir.file("args.txt"));
    }
    EXPECT_EQ(got, "C:\\Tw\\help\\Bundlewright3.html\n");
}
#endif

}  // namespace
