// The option hub and the panel configuration on the headless host: the
// hub's history with its flags, option.txt reset on every forward pass,
// Cancel inside the hub, and the panel dialog's OK, Set Default and Cancel.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pages/file_list_dlg.h"
#include "pages/option_file.h"
#include "platform/ui/dialog.h"
#include "resources/tarnwick/resource.h"
#include "tests/unit/pages/pages_chain.h"

namespace {

using pagestest::PagesEnv;
using pagestest::readFile;

const char* kCancelHere = "answer message yes\nesc\n";

// The file list page straight from the root, on a list of one file.
void startAtFileList(PagesEnv& env) {
    env.tree.write("Prod\\a.txt", "a");
    pagestest::writeFile(env.listFile(), env.tree.path("Prod\\a.txt") + "\r\n");
    env.root.next = [](pagestest::CTestRoot& root) {
        pages::CFileListDlg page(root.chain());
        root.lastResult = page.runModal();
    };
}

const std::vector<int> kLaterPages = {IDD_DELIVERY_OPTIONS, IDD_SHORTCUTS,
                                           IDD_ENVIRONMENT, IDD_REGISTRY,
                                           IDD_SERVICES, IDD_OUTPUT_LANGUAGE,
                                           IDD_OUTPUT_LOCATION};

TEST(OptionHub, DefaultFlagsRunOptionsShortcutsEnvironmentAndBackRetracesThem) {
    PagesEnv env;
    startAtFileList(env);
    env.standIns(kLaterPages);
    env.run("on dialog IDD_PAGES_ROOT; click IDC_PAGES_NEXT\n"
            "on dialog IDD_FILE_LIST; click IDC_FILE_LIST_NEXT\n"
            "on dialog IDD_INSTALL_OPTIONS; click IDC_INSTALL_OPTIONS_NEXT\n"
            "on dialog IDD_PAGES_STEP; click IDC_PAGES_NEXT\n" // shortcuts
            "on dialog IDD_PAGES_STEP; click IDC_PAGES_NEXT\n" // environment
            "on dialog IDD_PAGES_STEP; click IDC_PAGES_BACK\n" // output location
            "on dialog IDD_PAGES_STEP; click IDC_PAGES_BACK\n" // environment
            "on dialog IDD_PAGES_STEP; click IDC_PAGES_BACK\n" // shortcuts
            "on dialog IDD_INSTALL_OPTIONS; click IDC_INSTALL_OPTIONS_NEXT\n"
            "on dialog IDD_PAGES_STEP; click IDC_PAGES_BACK\n" // shortcuts again
            "on dialog IDD_INSTALL_OPTIONS; click IDC_INSTALL_OPTIONS_BACK\n"
            "on dialog IDD_FILE_LIST\n" + std::string(kCancelHere) + "on dialog IDD_PAGES_ROOT\n" + kCancelHere);
    EXPECT_EQ(pagestest::stepLog(), (std::vector<std::string>{"shortcuts", "environment", "output",
                                                              "environment", "shortcuts", "shortcuts"}));
}

TEST(OptionHub, NoFlagsGoStraightToOutputLocationAndBackToTheFileList) {
    PagesEnv env;
    env.setFlags("0000000");
    startAtFileList(env);
    env.standIns(kLaterPages);
    env.run("on dialog IDD_PAGES_ROOT; click IDC_PAGES_NEXT\n"
            "on dialog IDD_FILE_LIST; click IDC_FILE_LIST_NEXT\n"
            "on dialog IDD_PAGES_STEP; click IDC_PAGES_BACK\n"
            "on dialog IDD_FILE_LIST\n"
            "expect rows IDC_FILE_LIST_FILES 1\n" + std::string(kCancelHere) + "on dialog IDD_PAGES_ROOT\n" + kCancelHere);
    EXPECT_EQ(pagestest::stepLog(), std::vector<std::string>{"output"});
    EXPECT_EQ(readFile(env.optionFile()), pages::allOffOptionText());
}

TEST(OptionHub, FirstFlagTwoIsSkippedButShownCheckedAndOkMakesItOne) {
    PagesEnv env;
    env.setFlags("2000000");
    startAtFileList(env);
    env.standIns(kLaterPages);
    pagestest::writeFile(env.configFile(), "2000000");
    env.run("on dialog IDD_PAGES_ROOT; click IDC_PAGES_NEXT\n"
            "on dialog IDD_FILE_LIST; click IDC_FILE_LIST_NEXT\n"
            "on dialog IDD_PAGES_STEP; click IDC_PAGES_BACK\n"
            "on dialog IDD_FILE_LIST\n" + std::string(kCancelHere) +
            "on dialog IDD_PAGES_ROOT; click IDC_PAGES_CONFIGURE\n"
            "on dialog IDD_PANEL_CONFIG\n"
            "expect checked IDC_PANEL_OPTIONS 1\n"
            "expect checked IDC_PANEL_DELIVERY 0\n"
            "click IDOK\n"
            "on dialog IDD_PAGES_ROOT\n" + kCancelHere);
    EXPECT_EQ(pagestest::stepLog(), std::vector<std::string>{"output"});
    EXPECT_EQ(env.rec.panel_flags[0], 1);
    EXPECT_EQ(readFile(env.configFile()), "2000000");   // OK lasts for this run only
}

TEST(OptionHub, EveryForwardPassResetsOptionFileBeforeTheOptionsPage) {
    PagesEnv env;
    env.setFlags("1000000");
    startAtFileList(env);
    env.standIns(kLaterPages);
    ui::Scenario s = ui::Scenario::parse(
        "on dialog IDD_PAGES_ROOT; click IDC_PAGES_NEXT\n"
        "on dialog IDD_FILE_LIST; click IDC_FILE_LIST_NEXT\n"
        "on dialog IDD_INSTALL_OPTIONS\n"
        "check IDC_INSTALL_PROMPT_CHECK\n"
        "set IDC_INSTALL_PROMPT_EDIT Hello\n"
        "check IDC_INSTALL_REGISTER_CHECK\n"
        "click IDC_INSTALL_OPTIONS_NEXT\n"
        "on dialog IDD_PAGES_STEP; click IDC_PAGES_BACK\n"
        "on dialog IDD_INSTALL_OPTIONS\n"
        "expect checked IDC_INSTALL_PROMPT_CHECK 1\n"
        "expect text IDC_INSTALL_PROMPT_EDIT Hello\n"
        "click IDC_INSTALL_OPTIONS_BACK\n"
        "on dialog IDD_FILE_LIST; click IDC_FILE_LIST_NEXT\n"
        "on dialog IDD_INSTALL_OPTIONS\n", "passes");
    std::string seen;
    s.then([&](ui::Dialog&) { seen = readFile(env.optionFile()); });
    s.add(kCancelHere);
    ui::ScenarioRun run(std::move(s));
    int code = -1;
    try {
        env.root.runModal();
    } catch (const os::ExitRequest& e) {
        code = e.code;
    }
    run.finish();
    EXPECT_EQ(code, 0);   // Cancel on a hub page ends the program with 0
    EXPECT_EQ(seen, pages::allOffOptionText());
    EXPECT_EQ(env.rec.register_product, 1);
}

TEST(PanelConfig, OkKeepsTheFileSetDefaultWritesItCancelAsksItsOwnQuestion) {
    PagesEnv env;
    pagestest::writeFile(env.configFile(), "1011000");
    std::vector<ui::RecordedMessage> messages;
    ui::Scenario s = ui::Scenario::parse(
        "on dialog IDD_PAGES_ROOT; click IDC_PAGES_CONFIGURE\n"
        "on dialog IDD_PANEL_CONFIG\n"
        "expect checked IDC_PANEL_OPTIONS 1\n"
        "expect checked IDC_PANEL_DELIVERY 0\n"
        "expect checked IDC_PANEL_SHORTCUTS 1\n"
        "expect checked IDC_PANEL_ENVIRONMENT 1\n"
        "expect checked IDC_PANEL_LANGUAGE 0\n", "panel");
    s.then([](ui::Dialog& d) { EXPECT_FALSE(d.owner()->isVisible()); });
    s.add("check IDC_PANEL_LANGUAGE\n"
          "clear IDC_PANEL_OPTIONS\n"
          "click IDOK\n"
          "on dialog IDD_PAGES_ROOT\n");
    s.then([&](ui::Dialog& d) {
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(readFile(env.configFile()), "1011000");
        EXPECT_EQ(env.rec.panel_flags[0], 0);
        EXPECT_EQ(env.rec.panel_flags[6], 1);
    });
    s.add("click IDC_PAGES_CONFIGURE\n"
          "on dialog IDD_PANEL_CONFIG\n"
          "clear IDC_PANEL_SHORTCUTS\n"
          "answer message no\n"
          "click IDCANCEL\n"
          "expect message Are you sure to cancel the changes? Press Yes to cancel, press No to continue with Installation Panel Configuration Options.\n"
          "answer message yes\n"
          "esc\n"
          "on dialog IDD_PAGES_ROOT\n");
    s.then([&](ui::Dialog&) { EXPECT_EQ(env.rec.panel_flags[2], 1); });   // Cancel changed nothing
    s.add("click IDC_PAGES_CONFIGURE\n"
          "on dialog IDD_PANEL_CONFIG\n"
          "check IDC_PANEL_OPTIONS; check IDC_PANEL_DELIVERY; check IDC_PANEL_SHORTCUTS\n"
          "check IDC_PANEL_ENVIRONMENT; check IDC_PANEL_REGISTRY; check IDC_PANEL_SERVICES\n"
          "check IDC_PANEL_LANGUAGE\n"
          "click IDC_PANEL_SET_DEFAULT\n"
          "on dialog IDD_PAGES_ROOT\n" + std::string(kCancelHere));
    ui::ScenarioRun run(std::move(s));
    env.root.runModal();
    messages = run.messages();
    run.finish();
    EXPECT_EQ(readFile(env.configFile()), "1111111");
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].caption, "Bundlewright");
    EXPECT_EQ(messages[0].buttons, ui::Buttons::YesNo);
    EXPECT_EQ(messages[0].icon, ui::Icon::Question);
}

}  // namespace
