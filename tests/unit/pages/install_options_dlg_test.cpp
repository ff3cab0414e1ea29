// The installation options page on the headless host: enable and focus
// rules, Browse, the limit message while typing, the commit's messages in
// section order, the bytes of option.txt, the record, and the restore.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pages/install_options_dlg.h"
#include "pages/option_file.h"
#include "platform/ui/dialog.h"
#include "resources/tarnwick/resource.h"
#include "tests/unit/pages/pages_chain.h"

namespace {

using pagestest::PagesEnv;
using pagestest::readFile;

const char* kCancelHere = "answer message yes\nesc\n";

// Runs the page from the root as the hub would, with the root's hub state.
struct OptionsRun {
    int result = -1;
    std::string promptOnPage;
};
void startAtOptions(PagesEnv& env, OptionsRun& out) {
    env.tree.write("Prod\\welcome.txt", std::string("Welcome!\r\n\0hidden", 18));
    env.tree.write("Prod\\license.txt", "Licence text");
    env.tree.write("Prod\\docs\\readme.txt", "read me");
    env.tree.write("Prod2\\r.txt", "r");
    env.tree.write("Other\\r.txt", "r");
    env.rec.source_folder = env.tree.path("Prod");
    env.root.next = [&out](pagestest::CTestRoot& root) {
        pages::CInstallOptionsDlg page(pagestest::afterSource(root), &root);
        out.result = page.runModal();
        out.promptOnPage = page.text(IDC_INSTALL_PROMPT_EDIT);
    };
}

std::string opening(const std::string& rest) {
    return "on dialog IDD_PAGES_ROOT; click IDC_PAGES_NEXT\non dialog IDD_INSTALL_OPTIONS\n" + rest;
}

TEST(InstallOptionsPage, AllOffWritesTheFiveNoMarkersAndMarksThePage) {
    PagesEnv env;
    OptionsRun out;
    startAtOptions(env, out);
    env.run(opening("click IDC_INSTALL_OPTIONS_NEXT\non dialog IDD_PAGES_ROOT\n") + kCancelHere);
    EXPECT_EQ(out.result, 1);
    EXPECT_EQ(readFile(env.optionFile()),
              "NO_PROMPT_SECTION\r\n\r\nNO_WELCOME_SECTION\r\n\r\nNO_LICENSE_SECTION\r\n\r\n"
              "NO_PASSWORD_SECTION\r\n\r\nNO_README_SECTION\r\n\r\n");
    EXPECT_EQ(env.rec.options_page_done, 3);
    EXPECT_EQ(env.chain.hub.back_requested, 0);
}

TEST(InstallOptionsPage, CheckBoxesEnableFillAndFocusTheirControls) {
    PagesEnv env;
    OptionsRun out;
    startAtOptions(env, out);
    ui::Scenario s = ui::Scenario::parse(opening(
        "expect enabled IDC_INSTALL_PROMPT_EDIT 0\n"
        "expect enabled IDC_INSTALL_WELCOME_BROWSE 0\n"
        "check IDC_INSTALL_PROMPT_CHECK\n"
        "expect enabled IDC_INSTALL_PROMPT_EDIT 1\n"), "rules");
    auto focusIs = [&](int id) { s.then([id](ui::Dialog& d) { EXPECT_EQ(d.focused(), id); }); };
    focusIs(IDC_INSTALL_PROMPT_EDIT);
    s.add("set IDC_INSTALL_PROMPT_EDIT Hello\n"
          "clear IDC_INSTALL_PROMPT_CHECK\n"
          "expect text IDC_INSTALL_PROMPT_EDIT \n"
          "expect enabled IDC_INSTALL_PROMPT_EDIT 0\n"
          "check IDC_INSTALL_PASSWORD_CHECK\n"
          "expect enabled IDC_INSTALL_PASSWORD_EDIT 1\n");
    focusIs(IDC_INSTALL_PASSWORD_EDIT);
    s.add("check IDC_INSTALL_WELCOME_CHECK\n"
          "expect text IDC_INSTALL_WELCOME_EDIT Default\n"
          "expect enabled IDC_INSTALL_WELCOME_BROWSE 1\n");
    focusIs(IDC_INSTALL_LICENSE_CHECK);
    s.add("check IDC_INSTALL_LICENSE_CHECK\n"
          "expect enabled IDC_INSTALL_LICENSE_EDIT 1\n");
    focusIs(IDC_INSTALL_LICENSE_BROWSE);
    s.add("answer file " + env.tree.path("Prod\\license.txt") + "\n"
          "click IDC_INSTALL_LICENSE_BROWSE\n"
          "expect text IDC_INSTALL_LICENSE_EDIT " + env.tree.path("Prod\\license.txt") + "\n");
    focusIs(IDC_INSTALL_README_CHECK);
    s.add("check IDC_INSTALL_README_CHECK\n");
    focusIs(IDC_INSTALL_README_BROWSE);
    s.add("answer file cancel\n"
          "click IDC_INSTALL_README_BROWSE\n"
          "expect text IDC_INSTALL_README_EDIT \n");
    focusIs(IDC_INSTALL_REGISTER_CHECK);
    s.add("answer file " + env.tree.path("Prod\\welcome.txt") + "\n"
          "click IDC_INSTALL_WELCOME_BROWSE\n"
          "expect text IDC_INSTALL_WELCOME_EDIT " + env.tree.path("Prod\\welcome.txt") + "\n");
    focusIs(IDC_INSTALL_LICENSE_CHECK);
    s.add("clear IDC_INSTALL_WELCOME_CHECK\n"
          "expect text IDC_INSTALL_WELCOME_EDIT \n"
          "expect enabled IDC_INSTALL_WELCOME_EDIT 0\n"
          "expect enabled IDC_INSTALL_WELCOME_BROWSE 0\n" + std::string(kCancelHere) + "on dialog IDD_PAGES_ROOT\n" +
          kCancelHere);
    ui::ScenarioRun run(std::move(s));
    env.root.runModal();
    run.finish();
    EXPECT_EQ(out.result, ui::IdCancel);
}

TEST(InstallOptionsPage, LimitMessageAtExactly259PromptOr15PasswordCharacters) {
    PagesEnv env;
    OptionsRun out;
    startAtOptions(env, out);
    std::vector<ui::RecordedMessage> messages;
    env.run(opening("check IDC_INSTALL_PROMPT_CHECK\n"
                    "set IDC_INSTALL_PROMPT_EDIT " + std::string(258, 'p') + "\n"
                    "expect no message\n"
                    "set IDC_INSTALL_PROMPT_EDIT " + std::string(259, 'p') + "\n"
                    "expect message You reached the maximum limit\n"
                    "set IDC_INSTALL_PROMPT_EDIT " + std::string(260, 'p') + "\n"
                    "expect no message\n"
                    "check IDC_INSTALL_PASSWORD_CHECK\n"
                    "set IDC_INSTALL_PASSWORD_EDIT " + std::string(14, 'w') + "\n"
                    "expect no message\n"
                    "set IDC_INSTALL_PASSWORD_EDIT " + std::string(15, 'w') + "\n"
                    "expect message You reached the maximum limit\n") + kCancelHere + "on dialog IDD_PAGES_ROOT\n" +
                kCancelHere, &messages);
}

TEST(InstallOptionsPage, LongPromptIsCutTo259InTheFileAnd100InRecordAndPage) {
    PagesEnv env;
    OptionsRun out;
    startAtOptions(env, out);
    const std::string prompt(300, 'q');
    const std::string password = "0123456789abcdefXYZ";
    env.run(opening("check IDC_INSTALL_PROMPT_CHECK\n"
                    "set IDC_INSTALL_PROMPT_EDIT " + prompt + "\n"
                    "check IDC_INSTALL_PASSWORD_CHECK\n"
                    "set IDC_INSTALL_PASSWORD_EDIT " + password + "\n"
                    "click IDC_INSTALL_OPTIONS_NEXT\n"
                    "on dialog IDD_PAGES_ROOT\n") + kCancelHere);
    EXPECT_EQ(readFile(env.optionFile()),
              "YES_PROMPT_SECTION\r\n" + std::string(259, 'q') + "\r\n\r\nNO_WELCOME_SECTION\r\n\r\n"
              "NO_LICENSE_SECTION\r\n\r\nYES_PASSWORD_SECTION\r\n0123456789abcde\r\n\r\n"
              "NO_README_SECTION\r\n\r\n");
    EXPECT_EQ(env.rec.prompt_text.str(), std::string(100, 'q'));
    EXPECT_EQ(out.promptOnPage, std::string(100, 'q'));
    EXPECT_EQ(env.rec.password.str(), "0123456789abcde");
    EXPECT_EQ(env.rec.prompt_enabled, 1);
    EXPECT_EQ(env.rec.password_enabled, 1);
}

// Each case turns on what it names; only the first failing section speaks.
struct CommitCase {
    const char* name;
    std::string steps;
    std::string message;
};

TEST(InstallOptionsPage, CommitMessagesInSectionOrder) {
    // "@" stands for the test folder.
    const std::string nope = "@\\nope.txt";
    const std::string other = "@\\Other\\r.txt";
    const std::vector<CommitCase> cases = {
        {"prompt", "check IDC_INSTALL_PROMPT_CHECK\n", pages::kMsgNeedPrompt},
        {"welcome empty", "check IDC_INSTALL_WELCOME_CHECK\nset IDC_INSTALL_WELCOME_EDIT \"\"\n", pages::kMsgNeedWelcome},
        {"welcome missing", "check IDC_INSTALL_WELCOME_CHECK\nset IDC_INSTALL_WELCOME_EDIT " + nope + "\n",
         pages::kMsgWelcomeMissing},
        {"license empty", "check IDC_INSTALL_LICENSE_CHECK\n", pages::kMsgNeedLicense},
        {"license missing", "check IDC_INSTALL_LICENSE_CHECK\nset IDC_INSTALL_LICENSE_EDIT " + nope + "\n",
         pages::kMsgLicenseMissing},
        {"password", "check IDC_INSTALL_PASSWORD_CHECK\n", pages::kMsgNeedPassword},
        {"readme empty", "check IDC_INSTALL_README_CHECK\n", pages::kMsgNeedReadme},
        {"readme missing", "check IDC_INSTALL_README_CHECK\nset IDC_INSTALL_README_EDIT " + nope + "\n",
         pages::kMsgReadmeMissing},
        {"readme outside", "check IDC_INSTALL_README_CHECK\nset IDC_INSTALL_README_EDIT " + other + "\n",
         pages::kMsgReadmeOutside},
        {"first of two", "check IDC_INSTALL_PASSWORD_CHECK\ncheck IDC_INSTALL_LICENSE_CHECK\n",
         pages::kMsgNeedLicense},
        // Texts the project file cannot carry, refused before option.txt is written.
        {"backquote in the prompt", "check IDC_INSTALL_PROMPT_CHECK\nset IDC_INSTALL_PROMPT_EDIT Install `it`?\n",
         "The Prompt cannot contain the character ` (backquote), because the project file uses it to separate its "
         "fields."},
        {"marker word as password", "check IDC_INSTALL_PASSWORD_CHECK\nset IDC_INSTALL_PASSWORD_EDIT Start9\n",
         "The Password cannot be a word the project file uses to mark its sections (start1 to start12)."},
    };
    for (const CommitCase& c : cases) {
        SCOPED_TRACE(c.name);
        PagesEnv env;
        OptionsRun out;
        startAtOptions(env, out);
        // Back refuses with the same message as Next and keeps the page.
        std::string steps = c.steps;
        for (std::size_t at; (at = steps.find('@')) != std::string::npos;)
            steps.replace(at, 1, env.tree.root());
        env.run(opening(steps + "click IDC_INSTALL_OPTIONS_NEXT\n"
                                "expect message " + c.message + "\n"
                                "click IDC_INSTALL_OPTIONS_BACK\n"
                                "expect message " + c.message + "\n"
                                "expect enabled IDC_INSTALL_OPTIONS_NEXT 1\n") +
                kCancelHere + "on dialog IDD_PAGES_ROOT\n" + kCancelHere);
        EXPECT_EQ(out.result, ui::IdCancel);
        EXPECT_EQ(env.rec.options_page_done, 0);
        EXPECT_EQ(env.chain.hub.back_requested, 0);
    }
}

TEST(InstallOptionsPage, ReadmeIsFoundAnywhereInThePathAndUpperCased) {
    PagesEnv env;
    OptionsRun out;
    startAtOptions(env, out);
    const std::string readme = env.tree.path("Prod2\\r.txt");
    env.run(opening("check IDC_INSTALL_README_CHECK\n"
                    "set IDC_INSTALL_README_EDIT " + readme + "\n"
                    "check IDC_INSTALL_REGISTER_CHECK\n"
                    "click IDC_INSTALL_OPTIONS_BACK\n"
                    "on dialog IDD_PAGES_ROOT\n") + kCancelHere);
    const std::string text = readFile(env.optionFile());
    EXPECT_NE(text.find("YES_README_SECTION\r\n2\\R.TXT\r\n\r\n"), std::string::npos) << text;
    EXPECT_EQ(env.rec.readme_file.str(), readme);
    EXPECT_EQ(env.chain.hub.back_requested, 1);
    EXPECT_EQ(env.chain.hub.register_flag, 1);
    EXPECT_EQ(env.rec.register_product, 1);
}

TEST(InstallOptionsPage, FailedLicenceLeavesPromptAndWelcomeAndTheFixRewritesAll) {
    PagesEnv env;
    OptionsRun out;
    startAtOptions(env, out);
    std::string afterFailure;
    ui::Scenario s = ui::Scenario::parse(opening(
        "check IDC_INSTALL_PROMPT_CHECK\n"
        "set IDC_INSTALL_PROMPT_EDIT Hi\n"
        "check IDC_INSTALL_WELCOME_CHECK\n"
        "set IDC_INSTALL_WELCOME_EDIT DEFAULT\n"
        "check IDC_INSTALL_LICENSE_CHECK\n"
        "set IDC_INSTALL_LICENSE_EDIT " + env.tree.path("gone.txt") + "\n"
        "click IDC_INSTALL_OPTIONS_NEXT\n"
        "expect message File for License agreement does not exist\n"), "licence");
    s.then([&](ui::Dialog&) { afterFailure = readFile(env.optionFile()); });
    s.add("set IDC_INSTALL_LICENSE_EDIT " + env.tree.path("Prod\\license.txt") + "\n"
          "set IDC_INSTALL_WELCOME_EDIT " + env.tree.path("Prod\\welcome.txt") + "\n"
          "click IDC_INSTALL_OPTIONS_NEXT\n"
          "on dialog IDD_PAGES_ROOT\n" + kCancelHere);
    ui::ScenarioRun run(std::move(s));
    env.root.runModal();
    run.finish();
    EXPECT_EQ(afterFailure, "YES_PROMPT_SECTION\r\nHi\r\n\r\nYES_WELCOME_SECTION\r\ndefault\r\n\r\n");
    EXPECT_EQ(readFile(env.optionFile()),
              "YES_PROMPT_SECTION\r\nHi\r\n\r\nYES_WELCOME_SECTION\r\nWelcome!\r\n\r\n\r\n"
              "YES_LICENSE_SECTION\r\nLicence text\r\n\r\nNO_PASSWORD_SECTION\r\n\r\nNO_README_SECTION\r\n\r\n");
    EXPECT_EQ(env.rec.welcome_default, 0);
    EXPECT_EQ(env.rec.welcome_file.str(), env.tree.path("Prod\\welcome.txt"));
}

TEST(InstallOptionsPage, RestoresFromTheRecordWithoutTheLimitMessage) {
    PagesEnv env;
    OptionsRun out;
    startAtOptions(env, out);
    env.rec.options_page_done = 3;
    env.rec.password_enabled = 1;
    env.rec.password = "fifteen-chars!!";
    env.rec.welcome_enabled = 1;
    env.rec.welcome_default = 1;
    env.rec.welcome_file = "default";
    env.rec.license_enabled = 0;
    env.rec.license_file = "C:\\unused.txt";
    env.rec.register_product = 1;
    env.run(opening("expect no message\n"
                    "expect checked IDC_INSTALL_PASSWORD_CHECK 1\n"
                    "expect text IDC_INSTALL_PASSWORD_EDIT fifteen-chars!!\n"
                    "expect enabled IDC_INSTALL_PASSWORD_EDIT 1\n"
                    "expect text IDC_INSTALL_WELCOME_EDIT Default\n"
                    "expect enabled IDC_INSTALL_WELCOME_BROWSE 0\n"
                    "expect text IDC_INSTALL_LICENSE_EDIT \n"
                    "expect enabled IDC_INSTALL_LICENSE_EDIT 0\n"
                    "expect checked IDC_INSTALL_REGISTER_CHECK 1\n"
                    "click IDC_INSTALL_OPTIONS_NEXT\n"
                    "on dialog IDD_PAGES_ROOT\n") + kCancelHere);
    EXPECT_EQ(readFile(env.optionFile()),
              "NO_PROMPT_SECTION\r\n\r\nYES_WELCOME_SECTION\r\ndefault\r\n\r\nNO_LICENSE_SECTION\r\n\r\n"
              "YES_PASSWORD_SECTION\r\nfifteen-chars!!\r\n\r\nNO_README_SECTION\r\n\r\n");
}

}  // namespace
