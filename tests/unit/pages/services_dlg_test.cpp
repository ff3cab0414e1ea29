// The services page on the headless host: the executables offered from
// list.txt, the typing and selection rules, Set / Clear / Delete with their
// messages, the 20-entry rule, the services text and its restore.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "pages/service_table.h"
#include "pages/services_dlg.h"
#include "platform/ui/dialog.h"
#include "platform/ui/scenario.h"
#include "resources/tarnwick/resource.h"
#include "tests/unit/pages/pages_chain.h"

namespace {

using pagestest::PagesEnv;

const char* kCancelHere = "answer message yes\nesc\n";

struct Shown {
    int result = -1;
    std::vector<std::string> combo, list;
};

// list.txt with the source folder Prod: a text file, two programs inside and
// one added from outside the source folder.
void startAtServices(PagesEnv& env, std::vector<Shown>& shown, bool withList = true) {
    env.rec.source_folder = env.tree.path("Prod");
    if (withList)
        pagestest::writeFile(env.listFile(), env.tree.path("Prod\\setup.ini") + "\r\n" +
                                                 env.tree.path("Prod\\bin\\svc.exe") + "\r\n" +
                                                 env.tree.path("Prod\\bin\\Tool.EXE") + "\r\n" +
                                                 env.tree.path("Prod\\bin\\a.exe.txt") + "\r\n" +
                                                 env.tree.path("Other\\agent.exe") + "\r\n");
    env.root.next = [&shown](pagestest::CTestRoot& root) {
        pages::CServicesDlg page(pagestest::afterSource(root), &root);
        Shown s;
        s.result = page.runModal();
        for (int i = 0; i < page.rowCount(IDC_SERVICES_EXECUTABLE); ++i)
            s.combo.push_back(page.rowText(IDC_SERVICES_EXECUTABLE, i));
        for (int i = 0; i < page.rowCount(IDC_SERVICES_LIST); ++i)
            s.list.push_back(page.rowText(IDC_SERVICES_LIST, i));
        shown.push_back(s);
    };
}

std::string opening() { return "on dialog IDD_PAGES_ROOT; click IDC_PAGES_NEXT\non dialog IDD_SERVICES\n"; }
std::string next() { return "click IDC_SERVICES_NEXT\non dialog IDD_PAGES_ROOT\n"; }
std::string set(const std::string& exe, const std::string& name, const std::string& display) {
    return "pick IDC_SERVICES_EXECUTABLE " + exe + "\nset IDC_SERVICES_NAME " + name +
           "\nset IDC_SERVICES_DISPLAY_NAME " + display + "\nclick IDC_SERVICES_SET\n";
}

TEST(ServicesPage, ComboOffersTheProgramsOfListTxtUnderTheirPackedNames) {
    PagesEnv env;
    std::vector<Shown> shown;
    startAtServices(env, shown);
    env.run(opening() + "expect enabled IDC_SERVICES_SET 0\nexpect enabled IDC_SERVICES_NAME 0\n"
                        "expect enabled IDC_SERVICES_CLEAR 0\nexpect enabled IDC_SERVICES_DELETE 0\n" +
            next() + kCancelHere);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].combo, (std::vector<std::string>{"\\bin\\svc.exe", "\\bin\\Tool.EXE", "\\agent.exe"}));
    EXPECT_EQ(env.rec.services_text, std::string());
    EXPECT_EQ(env.rec.services_page_done, 3);
}

TEST(ServicesPage, TypingTwoCharactersEnablesTheControlsPickingEnablesThem) {
    PagesEnv env;
    std::vector<Shown> shown;
    startAtServices(env, shown);
    env.run(opening() +
            "set IDC_SERVICES_EXECUTABLE a\nexpect enabled IDC_SERVICES_SET 0\nexpect enabled IDC_SERVICES_NAME 0\n"
            "set IDC_SERVICES_EXECUTABLE ab\nexpect enabled IDC_SERVICES_SET 1\n"
            "expect enabled IDC_SERVICES_DISPLAY_NAME 1\n"
            // A typed name is no item of the combo: Set refuses it.
            "set IDC_SERVICES_NAME S\nset IDC_SERVICES_DISPLAY_NAME D\nclick IDC_SERVICES_SET\n"
            "expect message You must select the Service Executable File name.\n"
            "click IDC_SERVICES_CLEAR\nexpect enabled IDC_SERVICES_SET 0\nexpect text IDC_SERVICES_NAME \n"
            "pick IDC_SERVICES_EXECUTABLE \\bin\\svc.exe\nexpect enabled IDC_SERVICES_DELETE 1\n"
            "click IDC_SERVICES_SET\nexpect message You must enter the Service Name.\n"
            "set IDC_SERVICES_NAME S\nclick IDC_SERVICES_SET\nexpect message You must enter the Service Display Name.\n" +
            next() + kCancelHere);
    EXPECT_EQ(env.rec.services_text, std::string());
}

TEST(ServicesPage, SetAddsUpdatesByExactNameAndWritesTheText) {
    PagesEnv env;
    std::vector<Shown> shown;
    startAtServices(env, shown);
    std::vector<ui::RecordedMessage> messages;
    env.run(opening() + set("\\bin\\svc.exe", "WidgetSvc", "Widget Service") +
                set("\\bin\\Tool.EXE", "widgetsvc", "Lower case is another service") +
                set("\\agent.exe", "WidgetSvc", "Widget Agent") + "expect message This will update the value.\n" +
                "expect rows IDC_SERVICES_LIST 2\n" + next() + kCancelHere,
            &messages);
    ASSERT_EQ(shown.size(), 1u);
    // Names equal but for case sort in either order (the system's list box puts the later first).
    EXPECT_TRUE(std::is_permutation(shown[0].list.begin(), shown[0].list.end(),
                                    std::vector<std::string>{"WidgetSvc", "widgetsvc"}.begin()));
    EXPECT_EQ(shown[0].list.size(), 2u);
    EXPECT_EQ(env.rec.services_text,
              std::string("\\agent.exe~WidgetSvc~Widget Agent\r\n\\bin\\Tool.EXE~widgetsvc~Lower case is another service"));
    bool info = false;
    for (const auto& m : messages)
        if (m.text == pages::kMsgServiceUpdate) info = m.icon == ui::Icon::Information && m.caption == "Bundlewright";
    EXPECT_TRUE(info);
}

TEST(ServicesPage, DeleteFindsTheShownEntryOnlyWhileItsFieldsAreUnchanged) {
    PagesEnv env;
    std::vector<Shown> shown;
    startAtServices(env, shown);
    env.run(opening() + set("\\bin\\svc.exe", "One", "First") + set("\\bin\\Tool.EXE", "Two", "Second") +
            "pick IDC_SERVICES_EXECUTABLE \\bin\\svc.exe\nclick IDC_SERVICES_DELETE\nexpect message Select the item first\n"
            "expect enabled IDC_SERVICES_DELETE 0\n"
            "pick IDC_SERVICES_LIST Two\nexpect text IDC_SERVICES_EXECUTABLE \\bin\\Tool.EXE\n"
            "expect text IDC_SERVICES_DISPLAY_NAME Second\n"
            "set IDC_SERVICES_DISPLAY_NAME Changed\nclick IDC_SERVICES_DELETE\n"
            "expect message Desired match not found for deletion.\nexpect rows IDC_SERVICES_LIST 2\n"
            "pick IDC_SERVICES_LIST Two\nclick IDC_SERVICES_DELETE\nexpect rows IDC_SERVICES_LIST 1\n" +
            next() + kCancelHere);
    // The deleted entry was in the last slot: the text ends with CR LF.
    EXPECT_EQ(env.rec.services_text, std::string("\\bin\\svc.exe~One~First\r\n"));
}

TEST(ServicesPage, TwentySetsWithDeletionsFillTheTable) {
    PagesEnv env;
    std::vector<Shown> shown;
    startAtServices(env, shown);
    std::string steps = opening();
    for (int i = 0; i < 20; ++i) {
        const std::string name = "S" + std::to_string(i);
        steps += set("\\bin\\svc.exe", name, "D");
        if (i % 5 == 0) steps += "pick IDC_SERVICES_LIST " + name + "\nclick IDC_SERVICES_DELETE\n";
    }
    // Full: neither a new entry nor an update of a live one.
    steps += set("\\bin\\svc.exe", "S21", "D") + "expect message You can not create service installations anymore.\n" +
             set("\\bin\\svc.exe", "S1", "New") +
             "expect message You can not create service installations anymore.\n"
             "expect enabled IDC_SERVICES_SET 0\nexpect rows IDC_SERVICES_LIST 16\n" + next() + kCancelHere;
    env.run(steps);
    std::string want;
    for (int i = 1; i < 20; ++i) {
        if (i % 5 == 0) continue;
        want += "\\bin\\svc.exe~S" + std::to_string(i) + "~D";
        if (i != 19) want += "\r\n";
    }
    EXPECT_EQ(env.rec.services_text, want);
}

TEST(ServicesPage, FieldsPastTheirSlotsOrHoldingSeparatorsAreRefused) {
    PagesEnv env;
    std::vector<Shown> shown;
    startAtServices(env, shown);
    const std::string n49(49, 'n'), d49(49, 'd');
    env.run(opening() + set("\\bin\\svc.exe", n49 + "n", "D") + "expect message " + pages::kMsgServiceNameTooLong +
            "\n" + set("\\bin\\svc.exe", "N", d49 + "d") + "expect message " + pages::kMsgServiceDisplayTooLong +
            "\n" + set("\\bin\\svc.exe", "a~b", "D") + "expect message " + pages::kMsgServiceBadChar + "\n" +
            set("\\bin\\svc.exe", "N", "a`b") + "expect message " + pages::kMsgServiceBadChar + "\n" +
            "expect rows IDC_SERVICES_LIST 0\n" + set("\\bin\\svc.exe", n49, d49) + next() + kCancelHere);
    EXPECT_EQ(env.rec.services_text, "\\bin\\svc.exe~" + n49 + "~" + d49);
}

TEST(ServicesPage, ShownAgainTheEntriesComeBackAndWithoutListTxtTheyAreKept) {
    PagesEnv env;
    std::vector<Shown> shown;
    startAtServices(env, shown, false);
    env.rec.project_opened = 1;
    env.rec.services_text = std::string("\\bin\\svc.exe~Beta~B\r\n\\gone.exe~alpha~A\r\n");
    env.run(opening() + "expect message Supporting file not found\nexpect rows IDC_SERVICES_LIST 2\n"
                        "pick IDC_SERVICES_LIST alpha\nexpect text IDC_SERVICES_EXECUTABLE \\gone.exe\n"
                        "expect text IDC_SERVICES_NAME alpha\n" +
            next() + kCancelHere);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].combo.empty());
    EXPECT_EQ(shown[0].list, (std::vector<std::string>{"alpha", "Beta"}));
    EXPECT_EQ(env.rec.services_text, std::string("\\bin\\svc.exe~Beta~B\r\n\\gone.exe~alpha~A"));
}

TEST(ServicesPage, EscEndsAtOnceCancelAsks) {
    PagesEnv env;
    std::vector<Shown> shown;
    startAtServices(env, shown);
    std::vector<ui::RecordedMessage> messages;
    env.run(opening() + "esc\non dialog IDD_PAGES_ROOT\nclick IDC_PAGES_NEXT\non dialog IDD_SERVICES\n"
                        "answer message no\nclick IDC_SERVICES_CANCEL\n" + next() + kCancelHere,
            &messages);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].result, ui::IdCancel);
    EXPECT_EQ(shown[1].result, 1);
    ASSERT_EQ(messages.size(), 2u);   // the page's Cancel question, then the root's
    EXPECT_EQ(messages[0].text, wizard::kCancelQuestion);
}

}  // namespace
