// The scenario of tests/scenarios/pages/chain.scn: a real folder walked, the
// list edited, the options committed, back and forth through the hub. The
// same file drives the headless host natively and real windows under Wine,
// and both must leave the same list.txt and option.txt bytes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/os/os.h"
#include "platform/ui/scenario.h"
#include "resources/tarnwick/resource.h"
#include "tests/unit/pages/pages_chain.h"
#include "tests/support/host_path.h"

namespace {

std::string scenarioPath() { return bwtest::buildPath("BW_SOURCE_DIR", "tests/scenarios/pages/chain.scn"); }

std::string withFolder(std::string text, const std::string& folder) {
    for (std::size_t at = 0; (at = text.find('@', at)) != std::string::npos; at += folder.size())
        text.replace(at, 1, folder);
    return text;
}

TEST(ChainScenario, SourceFileListAndOptionsBackAndForth) {
    pagestest::PagesEnv env;
    env.tree.write("Prod\\a.txt", "readme and file");
    env.tree.write("Prod\\b.txt", "removed again");
    env.tree.write("Prod\\sub\\c.txt", std::string(5000, 'c'));
    env.tree.mkdir("Prod\\sub\\empty");
    env.tree.write("extra.txt", "added from outside");
    env.standIns({IDD_DELIVERY_OPTIONS, IDD_SHORTCUTS,
                                  IDD_ENVIRONMENT, IDD_REGISTRY,
                                  IDD_SERVICES, IDD_OUTPUT_LANGUAGE,
                                  IDD_OUTPUT_LOCATION});
    std::string text = pagestest::readFile(scenarioPath());
    ASSERT_NE(text, "<missing>") << scenarioPath();
    const std::string root = env.tree.root();
    EXPECT_EQ(env.run(withFolder(text, root)), 0);   // Cancel on output location ends with 0

    EXPECT_EQ(pagestest::readFile(env.listFile()),
              root + "\\Prod\\a.txt\r\n" + root + "\\Prod\\sub\\c.txt\r\n" + root + "\\extra.txt\r\n" + root +
                  "\\Prod\\sub\\empty\\temp$\r\n");
    EXPECT_EQ(pagestest::readFile(env.optionFile()),
              "YES_PROMPT_SECTION\r\nInstall the product?\r\n\r\nYES_WELCOME_SECTION\r\ndefault\r\n\r\n"
              "NO_LICENSE_SECTION\r\n\r\nNO_PASSWORD_SECTION\r\n\r\nYES_README_SECTION\r\n\\A.TXT\r\n\r\n");
    EXPECT_EQ(pagestest::stepLog(), (std::vector<std::string>{"shortcuts", "environment", "shortcuts",
                                                              "shortcuts", "environment", "output"}));
    EXPECT_EQ(env.rec.default_destination.str(), "C:\\Program Files\\Prod");
    EXPECT_EQ(env.rec.register_product, 1);
}

}  // namespace
