// The delivery options and output language pages on the headless host: the
// program lists from list.txt, the command-line boxes, the commit into the
// record on Next and Back, the refusals, the restore on a later visit or for
// an opened project, and the language list with its one message.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pages/delivery_options_dlg.h"
#include "pages/output_language_dlg.h"
#include "platform/os/os.h"
#include "platform/ui/dialog.h"
#include "resources/tarnwick/resource.h"
#include "tests/unit/pages/pages_chain.h"

namespace {

using pagestest::PagesEnv;
using pagestest::startAt;

const char* kCancelHere = "answer message yes\nesc\n";
const std::string kSeparator = "~!@#$%^&*()*&^%$#@!~";

std::string opening(int dialog, const std::string& rest) {
    return "on dialog IDD_PAGES_ROOT; click IDC_PAGES_NEXT\non dialog " + std::to_string(dialog) + "\n" + rest;
}
std::string delivery(const std::string& rest) { return opening(141, rest); }
std::string language(const std::string& rest) { return opening(333, rest); }

// A source folder C:\...\Prod with its list: two programs among other files.
void writeList(PagesEnv& env, const std::vector<std::string>& relative) {
    env.rec.source_folder = env.tree.path("Prod");
    std::string list;
    for (const std::string& r : relative) list += (r[0] == '\\' ? env.tree.path("Prod") + r : r) + "\r\n";
    pagestest::writeFile(env.listFile(), list);
}

TEST(DeliveryOptionsPage, OpensWithNothingChosenAndNextStoresNone) {
    PagesEnv env;
    writeList(env, {"\\setup.exe", "\\docs\\readme.txt", "\\bin\\install.BAT", "\\tool.exe.bak"});
    std::vector<int> results;
    startAt<pages::CDeliveryOptionsDlg>(env, &results);
    // Stored values of no visit: the page must not take them.
    env.rec.finish_action = 2;
    env.rec.post_install_choice = 0;
    env.rec.post_install_cmdline = "stale";
    env.run(delivery("expect checked IDC_DELIVERY_DO_NOTHING 1\n"
                     "expect checked IDC_DELIVERY_RESTART 0\n"
                     "expect rows IDC_DELIVERY_PRE_INSTALL_FILE 2\n"
                     "expect row IDC_DELIVERY_PRE_INSTALL_FILE 0 \\setup.exe\n"
                     "expect row IDC_DELIVERY_PRE_INSTALL_FILE 1 \\bin\\install.BAT\n"
                     "expect rows IDC_DELIVERY_POST_INSTALL_FILE 2\n"
                     "expect row IDC_DELIVERY_PRE_UNINSTALL_FILE 1 \\bin\\install.BAT\n"
                     "expect selected IDC_DELIVERY_POST_INSTALL_FILE -1\n"
                     "expect text IDC_DELIVERY_POST_INSTALL_CMD \n"
                     "expect enabled IDC_DELIVERY_PRE_INSTALL_CMD 0\n"
                     "expect enabled IDC_DELIVERY_POST_INSTALL_CMD 0\n"
                     "expect enabled IDC_DELIVERY_PRE_UNINSTALL_CMD 0\n"
                     "click IDC_DELIVERY_NEXT\n"
                     "on dialog IDD_PAGES_ROOT\n") + kCancelHere);
    EXPECT_EQ(results, std::vector<int>{1});
    const wizard::ProjectRecord& r = env.rec;
    EXPECT_EQ(r.delivery_page_done, 3);
    EXPECT_EQ(env.chain.hub.back_requested, 0);
    EXPECT_EQ(r.pre_install_choice, -1);
    EXPECT_EQ(r.post_install_choice, -1);
    EXPECT_EQ(r.pre_uninstall_choice, -1);
    EXPECT_EQ(r.post_install_file.str(), "");
    EXPECT_EQ(r.post_install_cmdline.str(), "");
    EXPECT_EQ(r.finish_action, 0);
}

TEST(DeliveryOptionsPage, PickingAndTypingDriveTheCommandLineBoxesAndBackStoresAsNext) {
    PagesEnv env;
    writeList(env, {"\\setup.exe", "\\bin\\post.exe", "\\un.bat"});
    std::vector<int> results;
    startAt<pages::CDeliveryOptionsDlg>(env, &results);
    ui::Scenario s = ui::Scenario::parse(delivery(""), "delivery");
    s.then([](ui::Dialog& d) { EXPECT_EQ(d.focused(), IDC_DELIVERY_PRE_INSTALL_FILE); });
    s.add("pick IDC_DELIVERY_PRE_INSTALL_FILE \\setup.exe\n"
          "expect enabled IDC_DELIVERY_PRE_INSTALL_CMD 1\n"
          "set IDC_DELIVERY_PRE_INSTALL_CMD /check \"<<TARGETDIR>>\"\n"
          "pick IDC_DELIVERY_POST_INSTALL_FILE #1\n"
          "set IDC_DELIVERY_POST_INSTALL_CMD --first-run\n"
          // Typing: a text enables the box, an empty one disables it and the box keeps its text.
          "set IDC_DELIVERY_PRE_UNINSTALL_FILE \\UN.BAT\n"
          "expect enabled IDC_DELIVERY_PRE_UNINSTALL_CMD 1\n"
          "set IDC_DELIVERY_PRE_UNINSTALL_CMD bye\n"
          "set IDC_DELIVERY_PRE_UNINSTALL_FILE \"\"\n"
          "expect enabled IDC_DELIVERY_PRE_UNINSTALL_CMD 0\n"
          "expect text IDC_DELIVERY_PRE_UNINSTALL_CMD bye\n"
          "set IDC_DELIVERY_PRE_UNINSTALL_FILE \\UN.BAT\n"
          "check IDC_DELIVERY_RESTART\n"
          "expect checked IDC_DELIVERY_DO_NOTHING 0\n"
          "click IDC_DELIVERY_BACK\n"
          "on dialog IDD_PAGES_ROOT\n" + std::string(kCancelHere));
    ui::ScenarioRun run(std::move(s));
    try {
        env.root.runModal();
    } catch (const os::ExitRequest&) {
    }
    run.finish();
    EXPECT_EQ(results, std::vector<int>{1});
    const wizard::ProjectRecord& r = env.rec;
    EXPECT_EQ(env.chain.hub.back_requested, 1);
    EXPECT_EQ(r.delivery_page_done, 3);
    EXPECT_EQ(r.pre_install_file.str(), "\\setup.exe");
    EXPECT_EQ(r.pre_install_cmdline.str(), "/check \"<<TARGETDIR>>\"");
    EXPECT_EQ(r.pre_install_choice, 0);
    EXPECT_EQ(r.post_install_file.str(), "\\bin\\post.exe");
    EXPECT_EQ(r.post_install_cmdline.str(), "--first-run");
    EXPECT_EQ(r.post_install_choice, 1);
    // A typed name of a row is that row, in the row's own letter case.
    EXPECT_EQ(r.pre_uninstall_file.str(), "\\un.bat");
    EXPECT_EQ(r.pre_uninstall_choice, 2);
    EXPECT_EQ(r.pre_uninstall_cmdline.str(), "bye");
    EXPECT_EQ(r.finish_action, 2);
}

TEST(DeliveryOptionsPage, ALaterVisitFindsTheChoicesByTextAfterTheListChanged) {
    PagesEnv env;
    writeList(env, {"\\a.exe", "\\b.exe", "\\c.exe"});
    startAt<pages::CDeliveryOptionsDlg>(env);
    std::string first = delivery("pick IDC_DELIVERY_PRE_INSTALL_FILE \\b.exe\n"
                                 "set IDC_DELIVERY_PRE_INSTALL_CMD -b\n"
                                 "pick IDC_DELIVERY_POST_INSTALL_FILE \\c.exe\n"
                                 "set IDC_DELIVERY_POST_INSTALL_CMD -c\n"
                                 "set IDC_DELIVERY_PRE_UNINSTALL_FILE \\later.exe\n"
                                 "set IDC_DELIVERY_PRE_UNINSTALL_CMD -l\n"
                                 "check IDC_DELIVERY_LOG_OFF\n"
                                 // Next refuses a program the package lacks; Back keeps it.
                                 "click IDC_DELIVERY_NEXT\n"
                                 "expect message The Pre Uninstallation program \\later.exe is not one of the "
                                 "package's programs. Choose it from the list, or add the file on the file list page.\n"
                                 "click IDC_DELIVERY_BACK\n"
                                 "on dialog IDD_PAGES_ROOT\n");
    ui::Scenario s = ui::Scenario::parse(first, "visits");
    // Meanwhile on the file list page: a.exe removed, a new file before c.exe, later.exe added.
    s.then([&](ui::Dialog&) { writeList(env, {"\\b.exe", "\\new.exe", "\\c.exe", "\\later.exe"}); });
    s.add("click IDC_PAGES_NEXT\non dialog IDD_DELIVERY_OPTIONS\n"
          "expect selected IDC_DELIVERY_PRE_INSTALL_FILE 0\n"
          "expect text IDC_DELIVERY_PRE_INSTALL_CMD -b\n"
          "expect selected IDC_DELIVERY_POST_INSTALL_FILE 2\n"
          "expect text IDC_DELIVERY_POST_INSTALL_FILE \\c.exe\n"
          "expect text IDC_DELIVERY_POST_INSTALL_CMD -c\n"
          "expect enabled IDC_DELIVERY_POST_INSTALL_CMD 1\n"
          "expect selected IDC_DELIVERY_PRE_UNINSTALL_FILE 3\n"
          "expect text IDC_DELIVERY_PRE_UNINSTALL_CMD -l\n"
          "expect checked IDC_DELIVERY_LOG_OFF 1\n"
          "click IDC_DELIVERY_NEXT\n"
          "on dialog IDD_PAGES_ROOT\n");
    // Then c.exe goes: its name stays on the page as typed, and Next says so.
    s.then([&](ui::Dialog&) { writeList(env, {"\\b.exe", "\\new.exe", "\\later.exe"}); });
    s.add("click IDC_PAGES_NEXT\non dialog IDD_DELIVERY_OPTIONS\n"
          "expect selected IDC_DELIVERY_POST_INSTALL_FILE -1\n"
          "expect text IDC_DELIVERY_POST_INSTALL_FILE \\c.exe\n"
          "expect enabled IDC_DELIVERY_POST_INSTALL_CMD 1\n"
          "click IDC_DELIVERY_NEXT\n"
          "expect message The Post Installation program \\c.exe is not one of the package's programs. Choose it "
          "from the list, or add the file on the file list page.\n"
          "set IDC_DELIVERY_POST_INSTALL_FILE \"\"\n"
          "click IDC_DELIVERY_NEXT\n"
          "on dialog IDD_PAGES_ROOT\n" + std::string(kCancelHere));
    ui::ScenarioRun run(std::move(s));
    try {
        env.root.runModal();
    } catch (const os::ExitRequest&) {
    }
    run.finish();
    const wizard::ProjectRecord& r = env.rec;
    EXPECT_EQ(r.pre_install_file.str(), "\\b.exe");
    EXPECT_EQ(r.pre_install_choice, 0);
    EXPECT_EQ(r.post_install_file.str(), "");
    EXPECT_EQ(r.post_install_choice, -1);
    EXPECT_EQ(r.post_install_cmdline.str(), "-c");   // a disabled box keeps its text
    EXPECT_EQ(r.pre_uninstall_file.str(), "\\later.exe");
    EXPECT_EQ(r.pre_uninstall_choice, 2);
    EXPECT_EQ(r.finish_action, 1);
}

TEST(DeliveryOptionsPage, AnOpenedProjectSelectsItsStoredRows) {
    PagesEnv env;
    writeList(env, {"\\a.exe", "\\b.exe", env.tree.path("Tools\\x.exe")});
    startAt<pages::CDeliveryOptionsDlg>(env);
    wizard::ProjectRecord& r = env.rec;
    r.project_opened = 1;
    r.pre_install_choice = 2;
    r.pre_install_cmdline = " ";      // the project file's blank of an empty text
    r.post_install_choice = -1;
    r.post_install_cmdline = "kept";
    r.pre_uninstall_choice = 7;       // no such row
    r.pre_uninstall_cmdline = "-u";
    r.finish_action = 9;
    env.run(delivery("expect selected IDC_DELIVERY_PRE_INSTALL_FILE 2\n"
                     "expect text IDC_DELIVERY_PRE_INSTALL_FILE \\x.exe\n"
                     "expect text IDC_DELIVERY_PRE_INSTALL_CMD \n"
                     "expect enabled IDC_DELIVERY_PRE_INSTALL_CMD 1\n"
                     "expect selected IDC_DELIVERY_POST_INSTALL_FILE -1\n"
                     "expect enabled IDC_DELIVERY_POST_INSTALL_CMD 0\n"
                     "expect text IDC_DELIVERY_POST_INSTALL_CMD kept\n"
                     "expect selected IDC_DELIVERY_PRE_UNINSTALL_FILE -1\n"
                     "expect checked IDC_DELIVERY_DO_NOTHING 1\n"
                     "click IDC_DELIVERY_NEXT\n"
                     "on dialog IDD_PAGES_ROOT\n") + kCancelHere);
    EXPECT_EQ(r.pre_install_file.str(), "\\x.exe");
    EXPECT_EQ(r.pre_install_choice, 2);
    EXPECT_EQ(r.pre_install_cmdline.str(), "");
    EXPECT_EQ(r.post_install_cmdline.str(), "kept");
    EXPECT_EQ(r.pre_uninstall_choice, -1);
    EXPECT_EQ(r.pre_uninstall_cmdline.str(), "-u");
    EXPECT_EQ(r.finish_action, 0);
}

TEST(DeliveryOptionsPage, WithoutListTxtTheMessageAndAUsablePageKeepingTheStoredChoices) {
    PagesEnv env;
    env.rec.source_folder = env.tree.path("Prod");
    startAt<pages::CDeliveryOptionsDlg>(env);
    wizard::ProjectRecord& r = env.rec;
    r.delivery_page_done = 3;
    r.finish_action = 2;
    r.post_install_cmdline = "-x";
    std::vector<ui::RecordedMessage> messages;
    env.run(delivery("expect message Supporting file not found\n"
                     "expect caption Bundlewright\n"
                     "expect rows IDC_DELIVERY_PRE_INSTALL_FILE 0\n"
                     "expect checked IDC_DELIVERY_RESTART 1\n"
                     "expect text IDC_DELIVERY_POST_INSTALL_CMD -x\n"
                     "set IDC_DELIVERY_PRE_INSTALL_FILE \\go.exe\n"
                     "click IDC_DELIVERY_NEXT\n"
                     "expect message The Pre Installation program \\go.exe is not one of the package's programs. "
                     "Choose it from the list, or add the file on the file list page.\n"
                     "set IDC_DELIVERY_PRE_INSTALL_FILE \"\"\n"
                     "click IDC_DELIVERY_NEXT\n"
                     "on dialog IDD_PAGES_ROOT\n") + kCancelHere, &messages);
    EXPECT_EQ(r.finish_action, 2);
    EXPECT_EQ(r.post_install_cmdline.str(), "-x");
    EXPECT_EQ(r.pre_install_choice, -1);
}

TEST(DeliveryOptionsPage, TextsTheRecordOrProjectFileCannotHoldAreRefusedOnNextAndBack) {
    struct Case {
        const char* name;
        std::string steps;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"command line past its slot",
         "pick IDC_DELIVERY_POST_INSTALL_FILE #0\nset IDC_DELIVERY_POST_INSTALL_CMD " + std::string(260, 'c') + "\n",
         "The Post Installation command line cannot be longer than 259 characters."},
        {"backquote", "pick IDC_DELIVERY_PRE_INSTALL_FILE #0\nset IDC_DELIVERY_PRE_INSTALL_CMD -a `x`\n",
         "The Pre Installation command line cannot contain the character ` (backquote), because the project file "
         "uses it to separate its fields."},
        {"separator in a disabled box", "set IDC_DELIVERY_PRE_UNINSTALL_FILE x\nset IDC_DELIVERY_PRE_UNINSTALL_CMD a" +
                                            kSeparator + "\nset IDC_DELIVERY_PRE_UNINSTALL_FILE \"\"\n",
         "The Pre Uninstallation command line cannot contain the characters " + kSeparator +
             " or end in the first of them, because the project file uses them to separate the command lines."},
        {"typed program past its slot", "set IDC_DELIVERY_PRE_INSTALL_FILE " + std::string(260, 'p') + "\n",
         "The Pre Installation program cannot be longer than 259 characters."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PagesEnv env;
        writeList(env, {"\\a.exe"});
        std::vector<int> results;
        startAt<pages::CDeliveryOptionsDlg>(env, &results);
        env.run(delivery(c.steps + "click IDC_DELIVERY_NEXT\nexpect message " + c.message +
                         "\nclick IDC_DELIVERY_BACK\nexpect message " + c.message + "\n") +
                kCancelHere + "on dialog IDD_PAGES_ROOT\n" + kCancelHere);
        EXPECT_EQ(results, std::vector<int>{ui::IdCancel});
        EXPECT_EQ(env.rec.delivery_page_done, 0);
        EXPECT_EQ(env.chain.hub.back_requested, 0);
    }
    // At the limit: 259 characters are kept whole.
    PagesEnv env;
    writeList(env, {"\\a.exe"});
    startAt<pages::CDeliveryOptionsDlg>(env);
    env.run(delivery("pick IDC_DELIVERY_POST_INSTALL_FILE #0\nset IDC_DELIVERY_POST_INSTALL_CMD " +
                     std::string(259, 'c') + "\nclick IDC_DELIVERY_NEXT\non dialog IDD_PAGES_ROOT\n") + kCancelHere);
    EXPECT_EQ(env.rec.post_install_cmdline.str(), std::string(259, 'c'));
}

TEST(OutputLanguagePage, ANewProjectOffersEnglishAndAChoiceComesBack) {
    PagesEnv env;
    std::vector<int> results;
    startAt<pages::COutputLanguageDlg>(env, &results);
    ui::Scenario s = ui::Scenario::parse(language("expect rows IDC_LANGUAGE_LIST 4\n"
                                                  "expect row IDC_LANGUAGE_LIST 0 English\n"
                                                  "expect row IDC_LANGUAGE_LIST 1 French\n"
                                                  "expect row IDC_LANGUAGE_LIST 2 German\n"
                                                  "expect row IDC_LANGUAGE_LIST 3 Spanish\n"
                                                  "expect selected IDC_LANGUAGE_LIST 0\n"
                                                  "click IDC_LANGUAGE_NEXT\n"
                                                  "on dialog IDD_PAGES_ROOT\n"),
                                         "language");
    s.then([&](ui::Dialog&) { EXPECT_EQ(env.rec.language_index, 0); });
    s.add("click IDC_PAGES_NEXT\non dialog IDD_OUTPUT_LANGUAGE\n"
          "pick IDC_LANGUAGE_LIST Spanish\n"
          "click IDC_LANGUAGE_BACK\n"
          "on dialog IDD_PAGES_ROOT\n"
          "click IDC_PAGES_NEXT\non dialog IDD_OUTPUT_LANGUAGE\n"
          "expect selected IDC_LANGUAGE_LIST 3\n"
          "expect text IDC_LANGUAGE_LIST Spanish\n"
          "set IDC_LANGUAGE_LIST french\n"
          "click IDC_LANGUAGE_NEXT\n"
          "on dialog IDD_PAGES_ROOT\n" + std::string(kCancelHere));
    ui::ScenarioRun run(std::move(s));
    try {
        env.root.runModal();
    } catch (const os::ExitRequest&) {
    }
    run.finish();
    EXPECT_EQ(results, (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(env.chain.hub.back_requested, 1);
    EXPECT_EQ(env.rec.language_index, 1);   // typed in full, in any letter case
}

TEST(OutputLanguagePage, AStoredIndexOutsideTheListSelectsNothingAndNextAndBackRefuse) {
    for (int stored : {7, -1, 4}) {
        SCOPED_TRACE(stored);
        PagesEnv env;
        std::vector<int> results;
        startAt<pages::COutputLanguageDlg>(env, &results);
        env.rec.language_index = stored;
        env.run(language("expect selected IDC_LANGUAGE_LIST -1\n"
                         "expect text IDC_LANGUAGE_LIST \n"
                         "click IDC_LANGUAGE_NEXT\n"
                         "expect message You must select the language.\n"
                         "expect caption Bundlewright\n"
                         "click IDC_LANGUAGE_BACK\n"
                         "expect message You must select the language.\n"
                         "set IDC_LANGUAGE_LIST Klingon\n"
                         "click IDC_LANGUAGE_NEXT\n"
                         "expect message You must select the language.\n"
                         "pick IDC_LANGUAGE_LIST German\n"
                         "click IDC_LANGUAGE_NEXT\n"
                         "on dialog IDD_PAGES_ROOT\n") + kCancelHere);
        EXPECT_EQ(results, std::vector<int>{1});
        EXPECT_EQ(env.rec.language_index, 2);
    }
}

TEST(OutputLanguagePage, CancelAsksAndYesEndsThePageWithCancel) {
    PagesEnv env;
    std::vector<int> results;
    startAt<pages::COutputLanguageDlg>(env, &results);
    env.run(language("answer message no\nclick IDCANCEL\n"
                     "expect message Are you sure to cancel the project? Press Yes to cancel, press No to continue "
                     "with Bundlewright\n"
                     "answer message yes\nesc\non dialog IDD_PAGES_ROOT\n") + kCancelHere);
    EXPECT_EQ(results, std::vector<int>{ui::IdCancel});
    EXPECT_EQ(env.rec.language_index, 0);
}

}  // namespace
