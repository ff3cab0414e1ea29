#include "pages/option_file.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/unit/pages/pages_tree.h"

namespace {

using pagestest::Tree;
using pagestest::readFile;

const std::string kAllOff =
    "NO_PROMPT_SECTION\r\n\r\nNO_WELCOME_SECTION\r\n\r\nNO_LICENSE_SECTION\r\n\r\n"
    "NO_PASSWORD_SECTION\r\n\r\nNO_README_SECTION\r\n\r\n";

TEST(OptionFile, AllOffExactBytes) {
    Tree t;
    EXPECT_EQ(pages::allOffOptionText(), kAllOff);
    pagestest::writeFile(t.path("option.txt"), "something much longer than the markers ... " + kAllOff);
    pages::writeAllOffOptionFile(t.path("option.txt"));
    EXPECT_EQ(readFile(t.path("option.txt")), kAllOff);
    pages::writeAllOffOptionFile(t.path("missing\\option.txt"));   // silent
    pages::OptionCommit c = pages::commitOptionFile(t.path("option.txt"), {}, "C:\\Prod");
    EXPECT_TRUE(c.ok);
    EXPECT_EQ(readFile(t.path("option.txt")), kAllOff);
}

TEST(OptionFile, EverySectionOn) {
    Tree t;
    t.mkdir("Prod\\docs");
    t.write("welcome.txt", std::string("Hello\r\n\0hidden", 14));
    t.write("license.txt", "Terms");
    t.write("Prod\\docs\\readme.txt", "r");
    pages::InstallOptions v;
    v.prompt_enabled = v.welcome_enabled = v.license_enabled = v.password_enabled = v.readme_enabled = 1;
    v.prompt_text = std::string(300, 'p');
    v.welcome_file = t.path("welcome.txt");
    v.license_file = t.path("license.txt");
    v.password = "0123456789abcdefXYZ";
    v.readme_file = t.path("prod\\DOCS\\readme.txt");
    ASSERT_TRUE(pages::commitOptionFile(t.path("option.txt"), v, t.path("Prod")).ok);
    // The welcome file ends in CR LF, which leaves three line breaks before the next marker.
    EXPECT_EQ(readFile(t.path("option.txt")),
              "YES_PROMPT_SECTION\r\n" + std::string(259, 'p') + "\r\n\r\n"
              "YES_WELCOME_SECTION\r\nHello\r\n\r\n\r\n"
              "YES_LICENSE_SECTION\r\nTerms\r\n\r\n"
              "YES_PASSWORD_SECTION\r\n0123456789abcde\r\n\r\n"
              "YES_README_SECTION\r\n\\DOCS\\README.TXT\r\n\r\n");
}

TEST(OptionFile, DefaultWelcomeInAnyCase) {
    Tree t;
    for (const char* entry : {"Default", "DEFAULT", "default"}) {
        pages::InstallOptions v;
        v.welcome_enabled = 1;
        v.welcome_file = entry;
        ASSERT_TRUE(pages::commitOptionFile(t.path("option.txt"), v, "C:\\").ok) << entry;
        EXPECT_EQ(readFile(t.path("option.txt")).substr(21, 36),
                  "YES_WELCOME_SECTION\r\ndefault\r\n\r\nNO_L") << entry;
    }
    pages::InstallOptions other;
    other.welcome_enabled = 1;
    other.welcome_file = "Defaults";   // taken as a file name
    EXPECT_EQ(pages::commitOptionFile(t.path("option.txt"), other, "C:\\").message, pages::kMsgWelcomeMissing);
}

TEST(OptionFile, ReadmeIsAContainmentTestNotAPrefixTest) {
    struct Case { std::string source, readme, value; };
    Tree t;
    t.mkdir("Prod\\docs");
    t.mkdir("Prod2");
    t.write("Prod\\docs\\readme.txt", "r");
    t.write("Prod2\\r.txt", "r");
    t.write("outside.txt", "o");
    const std::string root = t.root();   // "C:" natively
    const Case cases[] = {
        {t.path("Prod"), t.path("prod\\docs\\readme.txt"), "\\DOCS\\README.TXT"},
        {t.path("Prod"), t.path("Prod2\\r.txt"), "2\\R.TXT"},
        {root + "\\", t.path("Prod\\docs\\readme.txt"), "PROD\\DOCS\\README.TXT"},
    };
    for (const Case& c : cases) {
        pages::InstallOptions v;
        v.readme_enabled = 1;
        v.readme_file = c.readme;
        ASSERT_TRUE(pages::commitOptionFile(t.path("option.txt"), v, c.source).ok) << c.readme;
        std::string text = readFile(t.path("option.txt"));
        EXPECT_EQ(text.substr(text.find("YES_README")), "YES_README_SECTION\r\n" + c.value + "\r\n\r\n");
    }
    pages::InstallOptions v;
    v.readme_enabled = 1;
    v.readme_file = t.path("outside.txt");
    EXPECT_EQ(pages::commitOptionFile(t.path("option.txt"), v, t.path("Prod")).message, pages::kMsgReadmeOutside);
}

TEST(OptionFile, FirstFailingCheckInSectionOrder) {
    Tree t;
    t.write("w.txt", "W");
    struct Case { const char* name; pages::InstallOptions v; std::string message; std::string written; };
    auto with = [](auto change) { pages::InstallOptions v; change(v); return v; };
    const std::string promptOn = "YES_PROMPT_SECTION\r\nhi\r\n\r\n";
    const Case cases[] = {
        {"prompt", with([](auto& v) { v.prompt_enabled = 1; v.welcome_enabled = 1; }), pages::kMsgNeedPrompt, ""},
        {"welcome", with([](auto& v) { v.welcome_enabled = 1; v.license_enabled = 1; }), pages::kMsgNeedWelcome,
         "NO_PROMPT_SECTION\r\n\r\n"},
        {"welcome file", with([&](auto& v) { v.welcome_enabled = 1; v.welcome_file = t.path("none.txt"); }),
         pages::kMsgWelcomeMissing, "NO_PROMPT_SECTION\r\n\r\n"},
        {"licence", with([&](auto& v) {
             v.prompt_enabled = 1; v.prompt_text = "hi"; v.welcome_enabled = 1; v.welcome_file = t.path("w.txt");
             v.license_enabled = 1; v.password_enabled = 1;
         }),
         pages::kMsgNeedLicense, promptOn + "YES_WELCOME_SECTION\r\nW\r\n\r\n"},
        {"licence file", with([&](auto& v) {
             v.prompt_enabled = 1; v.prompt_text = "hi"; v.welcome_enabled = 1; v.welcome_file = "Default";
             v.license_enabled = 1; v.license_file = t.path("vanished.txt");
         }),
         pages::kMsgLicenseMissing, promptOn + "YES_WELCOME_SECTION\r\ndefault\r\n\r\n"},
        {"password", with([](auto& v) { v.password_enabled = 1; v.readme_enabled = 1; }), pages::kMsgNeedPassword,
         "NO_PROMPT_SECTION\r\n\r\nNO_WELCOME_SECTION\r\n\r\nNO_LICENSE_SECTION\r\n\r\n"},
        {"readme", with([](auto& v) { v.readme_enabled = 1; }), pages::kMsgNeedReadme,
         kAllOff.substr(0, kAllOff.find("NO_README"))},
        {"readme file", with([&](auto& v) { v.readme_enabled = 1; v.readme_file = t.path("gone.txt"); }),
         pages::kMsgReadmeMissing, kAllOff.substr(0, kAllOff.find("NO_README"))},
        {"long licence path", with([&](auto& v) {
             v.license_enabled = 1; v.license_file = "C:\\" + std::string(257, 'n');
         }),
         pages::optionFileTooLongMessage("C:\\" + std::string(257, 'n')),
         "NO_PROMPT_SECTION\r\n\r\nNO_WELCOME_SECTION\r\n\r\n"},
    };
    for (const Case& c : cases) {
        pagestest::writeFile(t.path("option.txt"), kAllOff);
        pages::OptionCommit r = pages::commitOptionFile(t.path("option.txt"), c.v, t.root());
        EXPECT_FALSE(r.ok) << c.name;
        EXPECT_EQ(r.message, c.message) << c.name;
        EXPECT_EQ(readFile(t.path("option.txt")), c.written) << c.name;
    }
}

TEST(OptionFile, FixedLicenceRewritesTheWholeFile) {
    Tree t;
    pages::InstallOptions v;
    v.prompt_enabled = 1;
    v.prompt_text = "Install?";
    v.welcome_enabled = 1;
    v.welcome_file = "Default";
    v.license_enabled = 1;
    v.license_file = t.path("license.txt");
    ASSERT_FALSE(pages::commitOptionFile(t.path("option.txt"), v, "C:\\").ok);
    t.write("license.txt", std::string("L\0rest", 6));
    ASSERT_TRUE(pages::commitOptionFile(t.path("option.txt"), v, "C:\\").ok);
    EXPECT_EQ(readFile(t.path("option.txt")),
              "YES_PROMPT_SECTION\r\nInstall?\r\n\r\nYES_WELCOME_SECTION\r\ndefault\r\n\r\n"
              "YES_LICENSE_SECTION\r\nL\r\n\r\nNO_PASSWORD_SECTION\r\n\r\nNO_README_SECTION\r\n\r\n");
}

TEST(OptionFile, UnwritableOptionFileIsAFailure) {
    Tree t;
    pages::InstallOptions v;
    v.password_enabled = 1;
    v.password = "secret";
    pages::OptionCommit r = pages::commitOptionFile(t.path("no\\option.txt"), v, "C:\\");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, pages::optionFileNotWritableMessage(t.path("no\\option.txt")));
}

}  // namespace
