// The shortcuts page on the headless host: the tree the user builds through
// the context menu, label editing and Set; the bytes of shortcuts.txt and of
// the record's copy; the tree rebuilt when the page is shown again; and the
// refusals of what the table or the line format cannot hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "pages/shortcut_tree.h"
#include "pages/shortcuts_dlg.h"
#include "platform/ui/dialog.h"
#include "platform/ui/scenario.h"
#include "resources/tarnwick/resource.h"
#include "tests/unit/pages/pages_chain.h"

namespace {

using pagestest::PagesEnv;
using pagestest::readFile;

const char* kCancelHere = "answer message yes\nesc\n";
const std::string kPrograms = "Desktop/Start Menu/Programs";
const std::string kDir = "create_shortcut_dir`Desktop\\Start Menu\\Programs\\";

// The tree as nested labels: "Desktop(Start Menu(Programs(Startup,Widget)))".
std::string dump(const ui::Dialog& d, ui::TreeItem item) {
    std::string out;
    for (; item; item = d.tvNext(IDC_SHORTCUTS_TREE, item)) {
        if (!out.empty()) out += ",";
        out += d.tvText(IDC_SHORTCUTS_TREE, item);
        if (ui::TreeItem child = d.tvChild(IDC_SHORTCUTS_TREE, item))
            out += "(" + dump(d, child) + ")";
    }
    return out;
}

// Each showing of the page: its result and its tree when it closed.
struct Shown {
    int result = -1;
    std::string tree;
};

void startAtShortcuts(PagesEnv& env, std::vector<Shown>& shown) {
    env.rec.product_name = "Widget";
    env.root.next = [&shown](pagestest::CTestRoot& root) {
        pages::CShortcutsDlg page(pagestest::afterSource(root), &root);
        Shown s;
        s.result = page.runModal();
        s.tree = dump(page, page.tvRoot(IDC_SHORTCUTS_TREE));
        shown.push_back(s);
    };
}

std::string opening() { return "on dialog IDD_PAGES_ROOT; click IDC_PAGES_NEXT\non dialog IDD_SHORTCUTS\n"; }
std::string next() { return "click IDC_SHORTCUTS_NEXT\non dialog IDD_PAGES_ROOT\n"; }
std::string again() { return "click IDC_PAGES_NEXT\non dialog IDD_SHORTCUTS\n"; }

std::string newFolder(const std::string& under, const std::string& label) {
    return "answer menu ID_SHORTCUTS_NEW_FOLDER\nrclick IDC_SHORTCUTS_TREE " + under +
           "\nlabel IDC_SHORTCUTS_TREE " + label + "\n";
}
std::string newShortcut(const std::string& under) {
    return "answer menu ID_SHORTCUTS_NEW_SHORTCUT\nrclick IDC_SHORTCUTS_TREE " + under +
           "\nlabel IDC_SHORTCUTS_TREE New Shortcut\n";
}
std::string setFields(const std::string& name, const std::string& target, const std::string& args) {
    return "set IDC_SHORTCUTS_NAME " + name + "\nset IDC_SHORTCUTS_TARGET " + target +
           "\nset IDC_SHORTCUTS_ARGUMENTS " + args + "\nclick IDC_SHORTCUTS_SET\n";
}
std::string line(const std::string& target, const std::string& place, const std::string& args) {
    return "add_shortcut`" + target + "`" + place + "`Shortcut to Vornel`" + args + "\r\n";
}

TEST(ShortcutsPage, NewProjectTickedWritesTheDefaultFolderOnly) {
    PagesEnv env;
    std::vector<Shown> shown;
    startAtShortcuts(env, shown);
    env.run(opening() +
            "expect enabled IDC_SHORTCUTS_TREE 0\n"
            "expect enabled IDC_SHORTCUTS_SET 0\n"
            "expect enabled IDC_SHORTCUTS_NAME 0\n"
            "check IDC_SHORTCUTS_CREATE\n"
            "expect enabled IDC_SHORTCUTS_TREE 1\n" +
            next() + kCancelHere);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].result, 1);
    EXPECT_EQ(shown[0].tree, "Desktop(Start Menu(Programs(Startup,Widget)))");
    const std::string want = kDir + "Widget\r\n";
    EXPECT_EQ(readFile(env.rec.shortcuts_file_path.str()), want);
    ASSERT_TRUE(env.rec.shortcuts_text.has_value());
    EXPECT_EQ(*env.rec.shortcuts_text, want);
    EXPECT_EQ(env.rec.shortcuts_page_done, 3);
    EXPECT_EQ(env.rec.shortcuts_enabled, 1);
    EXPECT_EQ(env.rec.uninstall_shortcut, 0);
}

TEST(ShortcutsPage, UninstallShortcutAloneNamesTheProductAndIsNotKeptInTheRecord) {
    PagesEnv env;
    std::vector<Shown> shown;
    startAtShortcuts(env, shown);
    env.run(opening() + "check IDC_SHORTCUTS_UNINSTALL\n" + next() + kCancelHere);
    EXPECT_EQ(readFile(env.rec.shortcuts_file_path.str()),
              kDir + "Widget\r\n"
                     "add_shortcut`%WINDIR%\\UnBundlewright.exe`Desktop\\Start Menu\\Programs\\Widget\\Uninstall.lnk`"
                     "shortcut to Vornel`-f<<TARGETDIR>>\\Uninstall.wzu\r\n");
    EXPECT_FALSE(env.rec.shortcuts_text.has_value());
    EXPECT_EQ(env.rec.shortcuts_enabled, 0);
    EXPECT_EQ(env.rec.uninstall_shortcut, 1);
}

TEST(ShortcutsPage, NeitherBoxLeavesNoFile) {
    PagesEnv env;
    std::vector<Shown> shown;
    startAtShortcuts(env, shown);
    pagestest::writeFile(env.rec.shortcuts_file_path.str(), "stale");
    env.run(opening() + next() + kCancelHere);
    EXPECT_EQ(readFile(env.rec.shortcuts_file_path.str()), "<missing>");
    EXPECT_EQ(env.rec.shortcuts_page_done, 3);
}

// Folders with long labels, under "Desktop" and under "Startup", two named
// Tools under different parents, shortcuts in them; written, then shown again
// and written again to the same bytes.
TEST(ShortcutsPage, TreeIsWrittenAndRebuiltUnderTheSavedParents) {
    PagesEnv env;
    std::vector<Shown> shown;
    startAtShortcuts(env, shown);
    const std::string longLabel = "A folder label of thirty chars";   // 30 characters
    ASSERT_EQ(longLabel.size(), 30u);
    const std::string cut = longLabel.substr(0, 24);
    const std::string widget = kPrograms + "/Widget";
    std::string steps = opening() + "check IDC_SHORTCUTS_CREATE\n" +
                        newFolder(widget, longLabel) + newShortcut(widget + "/" + longLabel) +
                        setFields("Run", "<<TARGETDIR>>\\run.exe", "-v") +
                        newFolder("Desktop", "Top") +
                        newFolder(widget, "Tools") +
                        newFolder(kPrograms + "/Startup", "Tools") +
                        newShortcut(kPrograms + "/Startup/Tools") +
                        setFields("Later", "%WINDIR%\\notepad.exe", "") + next();
    steps += again() + next() + kCancelHere;
    env.run(steps);
    ASSERT_EQ(shown.size(), 2u);
    const std::string programs = "Desktop\\Start Menu\\Programs\\";
    const std::string want = kDir + "Widget\r\n" + kDir + "Widget\\" + cut + "\r\n" +
                             "create_shortcut_dir`Desktop\\Top\r\n" + kDir + "Widget\\Tools\r\n" + kDir +
                             "Startup\\Tools\r\n" +
                             line("<<TARGETDIR>>\\run.exe", programs + "Widget\\" + cut + "\\Run.lnk", "-v") +
                             line("%WINDIR%\\notepad.exe", programs + "Startup\\Tools\\Later.lnk", "");
    EXPECT_EQ(*env.rec.shortcuts_text, want);
    EXPECT_EQ(readFile(env.rec.shortcuts_file_path.str()), want);
    EXPECT_EQ(shown[0].tree, "Desktop(Start Menu(Programs(Startup(Tools(New Shortcut)),Widget(" + longLabel +
                                 "(New Shortcut),Tools))),Top)");
    // Shown again: labels are the written names, each item under its own parent.
    EXPECT_EQ(shown[1].tree,
              "Desktop(Start Menu(Programs(Startup(Tools(Later)),Widget(" + cut + "(Run),Tools))),Top)");
}

TEST(ShortcutsPage, LabelEditKeepsTheOldNameUntilSet) {
    PagesEnv env;
    std::vector<Shown> shown;
    startAtShortcuts(env, shown);
    const std::string widget = kPrograms + "/Widget";
    const std::string place = "Desktop\\Start Menu\\Programs\\Widget\\";
    env.run(opening() + "check IDC_SHORTCUTS_CREATE\n" + newShortcut(widget) +
            "answer menu ID_SHORTCUTS_RENAME\nrclick IDC_SHORTCUTS_TREE " + widget + "/New Shortcut\n"
            "label IDC_SHORTCUTS_TREE Renamed\n" + next() +
            // Shown again: the label is the name; Set gives it a new one.
            again() + "select IDC_SHORTCUTS_TREE " + widget + "/New Shortcut\n"
            "expect text IDC_SHORTCUTS_NAME New Shortcut\n"
            "expect text IDC_SHORTCUTS_TARGET <<TARGETDIR>>\\\n" +
            setFields("Start", "<<TARGETDIR>>\\start.exe", "--go now") +
            "expect enabled IDC_SHORTCUTS_SET 0\n" + next() + again() + next() + kCancelHere);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].tree, "Desktop(Start Menu(Programs(Startup,Widget(Renamed))))");
    EXPECT_EQ(shown[1].tree, "Desktop(Start Menu(Programs(Startup,Widget(New Shortcut))))");
    EXPECT_EQ(shown[2].tree, "Desktop(Start Menu(Programs(Startup,Widget(Start))))");
    EXPECT_EQ(*env.rec.shortcuts_text,
              kDir + "Widget\r\n" + line("<<TARGETDIR>>\\start.exe", place + "Start.lnk", "--go now"));
}

TEST(ShortcutsPage, EmptiedTargetIsWrittenEmptyAndRebuiltWithNameAndArguments) {
    PagesEnv env;
    std::vector<Shown> shown;
    startAtShortcuts(env, shown);
    const std::string widget = kPrograms + "/Widget";
    env.run(opening() + "check IDC_SHORTCUTS_CREATE\n" + newShortcut(widget) + setFields("Doc", "", "/open") +
            next() + again() + "select IDC_SHORTCUTS_TREE " + widget + "/Doc\n"
            "expect text IDC_SHORTCUTS_TARGET \nexpect text IDC_SHORTCUTS_ARGUMENTS /open\n" + next() +
            kCancelHere);
    EXPECT_EQ(*env.rec.shortcuts_text,
              kDir + "Widget\r\n" + line("", "Desktop\\Start Menu\\Programs\\Widget\\Doc.lnk", "/open"));
}

TEST(ShortcutsPage, DeletingAFolderDropsItsShortcutAndTheFirstLiveFolderNamesTheUninstallPlace) {
    PagesEnv env;
    std::vector<Shown> shown;
    startAtShortcuts(env, shown);
    const std::string widget = kPrograms + "/Widget";
    env.run(opening() + "check IDC_SHORTCUTS_CREATE\ncheck IDC_SHORTCUTS_UNINSTALL\n" + newFolder(widget, "Sub") +
            newShortcut(widget + "/Sub") + setFields("Gone", "<<TARGETDIR>>\\gone.exe", "") +
            newFolder("Desktop", "Acme") +
            "answer menu ID_SHORTCUTS_DELETE\nrclick IDC_SHORTCUTS_TREE " + widget + "\n"
            // The fields were the deleted shortcut's; nothing is left to Set.
            "expect enabled IDC_SHORTCUTS_SET 0\n" + next() + kCancelHere);
    EXPECT_EQ(shown[0].tree, "Desktop(Start Menu(Programs(Startup)),Acme)");
    EXPECT_EQ(*env.rec.shortcuts_text, "create_shortcut_dir`Desktop\\Acme\r\n");
    EXPECT_EQ(readFile(env.rec.shortcuts_file_path.str()),
              "create_shortcut_dir`Desktop\\Acme\r\n" + kDir + "Acme\r\n"
              "add_shortcut`%WINDIR%\\UnBundlewright.exe`Desktop\\Start Menu\\Programs\\Acme\\Uninstall.lnk`"
              "shortcut to Vornel`-f<<TARGETDIR>>\\Uninstall.wzu\r\n");
}

TEST(ShortcutsPage, MenuGraysDeleteAndRenameOnRootsAndNewOnShortcuts) {
    for (const auto& [item, command, setup] : std::vector<std::tuple<std::string, std::string, std::string>>{
             {"Desktop", "ID_SHORTCUTS_DELETE", ""},
             {kPrograms, "ID_SHORTCUTS_RENAME", ""},
             {kPrograms + "/Widget/New Shortcut", "ID_SHORTCUTS_NEW_FOLDER", newShortcut(kPrograms + "/Widget")}}) {
        PagesEnv env;
        std::vector<Shown> shown;
        startAtShortcuts(env, shown);
        try {
            env.run(opening() + "check IDC_SHORTCUTS_CREATE\n" + setup + "answer menu " + command +
                    "\nrclick IDC_SHORTCUTS_TREE " + item + "\n" + next() + kCancelHere);
            ADD_FAILURE() << command << " on " << item << " was not grayed";
        } catch (const ui::ScenarioError& e) {
            EXPECT_NE(std::string(e.what()).find("is grayed"), std::string::npos) << e.what();
        }
    }
}

TEST(ShortcutsPage, RightClickBesideTheItemsShowsNoMenu) {
    PagesEnv env;
    std::vector<Shown> shown;
    startAtShortcuts(env, shown);
    // No menu answer is given: a menu would fail the run.
    env.run(opening() + "check IDC_SHORTCUTS_CREATE\nrclick IDC_SHORTCUTS_TREE\n" + next() + kCancelHere);
    EXPECT_EQ(shown[0].result, 1);
}

TEST(ShortcutsPage, LabelsTheLineFormatCannotCarryAreRefused) {
    PagesEnv env;
    std::vector<Shown> shown;
    startAtShortcuts(env, shown);
    const std::string widget = kPrograms + "/Widget";
    const std::string rename = "answer menu ID_SHORTCUTS_RENAME\nrclick IDC_SHORTCUTS_TREE " + widget + "\n";
    env.run(opening() + "check IDC_SHORTCUTS_CREATE\n" +
            rename + "label IDC_SHORTCUTS_TREE a`b\nexpect message " + pages::kMsgLabelBadChar + "\n" +
            rename + "label IDC_SHORTCUTS_TREE a\\b\nexpect message " + pages::kMsgLabelBadChar + "\n" +
            rename + "label IDC_SHORTCUTS_TREE \"\"\nexpect message " + pages::kMsgLabelEmpty + "\n" +
            next() + kCancelHere);
    EXPECT_EQ(shown[0].tree, "Desktop(Start Menu(Programs(Startup,Widget)))");
    EXPECT_EQ(*env.rec.shortcuts_text, kDir + "Widget\r\n");
}

TEST(ShortcutsPage, SetRefusesFieldsPastTheirSlotsOrHoldingSeparators) {
    PagesEnv env;
    std::vector<Shown> shown;
    startAtShortcuts(env, shown);
    const std::string widget = kPrograms + "/Widget";
    const std::string n251(251, 'n'), n259(259, 'n'), t259(259, 't'), a499(499, 'a');
    std::string steps = opening() + "check IDC_SHORTCUTS_CREATE\n" + newShortcut(widget);
    const std::vector<std::pair<std::string, const char*>> refused = {
        {setFields(n259 + "n", "t", ""), pages::kMsgNameTooLong},
        {setFields("n", t259 + "t", ""), pages::kMsgTargetTooLong},
        {setFields("n", "t", a499 + "a"), pages::kMsgArgumentsTooLong},
        {setFields("a\\b", "t", ""), pages::kMsgNameBadChar},
        {setFields("a`b", "t", ""), pages::kMsgNameBadChar},
        {setFields("n", "t`", ""), pages::kMsgTargetBadChar},
        {setFields("n", "t", "`"), pages::kMsgTargetBadChar},
        {setFields("\"\"", "t", ""), pages::kMsgNameEmpty},
    };
    for (const auto& [set, message] : refused)
        steps += set + "expect message " + message + "\nexpect enabled IDC_SHORTCUTS_SET 1\n";
    steps += setFields(n251, t259, a499) + next() + kCancelHere;   // with ".lnk", a name's 255
    env.run(steps);
    EXPECT_EQ(*env.rec.shortcuts_text,
              kDir + "Widget\r\n" + line(t259, "Desktop\\Start Menu\\Programs\\Widget\\" + n251 + ".lnk", a499));
}

TEST(ShortcutsPage, TheFiftyFirstEntryIsRefused) {
    PagesEnv env;
    std::vector<Shown> shown;
    startAtShortcuts(env, shown);
    // Four roots and the default folder, then 45 folders fill the table;
    // a deleted one keeps its slot.
    std::string steps = opening() + "check IDC_SHORTCUTS_CREATE\n";
    for (int i = 0; i < 44; ++i) steps += newFolder("Desktop", "F" + std::to_string(i));
    steps += newFolder("Desktop", "Last") + "answer menu ID_SHORTCUTS_DELETE\nrclick IDC_SHORTCUTS_TREE Desktop/Last\n";
    steps += "answer menu ID_SHORTCUTS_NEW_FOLDER\nrclick IDC_SHORTCUTS_TREE Desktop\nexpect message " +
             std::string(pages::kMsgTreeFull) + "\n";
    steps += "answer menu ID_SHORTCUTS_NEW_SHORTCUT\nrclick IDC_SHORTCUTS_TREE Desktop\nexpect message " +
             std::string(pages::kMsgTreeFull) + "\n" + next() + kCancelHere;
    env.run(steps);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].result, 1);
    const std::string text = *env.rec.shortcuts_text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 45);   // the default folder and F0..F43
    EXPECT_EQ(text.find("Last"), std::string::npos);
}

TEST(ShortcutsPage, AnOpenedProjectsDamagedTextIsPlacedUnderPrograms) {
    PagesEnv env;
    std::vector<Shown> shown;
    startAtShortcuts(env, shown);
    env.rec.project_opened = 1;
    env.rec.shortcuts_enabled = 1;
    env.rec.uninstall_shortcut = 1;
    env.rec.shortcuts_text = "create_shortcut_dir`Nowhere\\Lost\r\n"
                              "create_shortcut_dir`Loose\r\n"
                              "add_shortcut`x.exe`Desktop\\Missing\\Orphan.lnk\r\n"
                              "add_shortcut\r\n";
    env.run(opening() + "expect checked IDC_SHORTCUTS_CREATE 1\nexpect checked IDC_SHORTCUTS_UNINSTALL 1\n"
                        "expect enabled IDC_SHORTCUTS_TREE 1\n" +
            next() + kCancelHere);
    EXPECT_EQ(shown[0].tree, "Desktop(Start Menu(Programs(Loose,Lost,Orphan,Startup)))");
    EXPECT_EQ(*env.rec.shortcuts_text,
              kDir + "Lost\r\n" + kDir + "Loose\r\n" + line("x.exe", "Desktop\\Start Menu\\Programs\\Orphan.lnk", ""));
}

TEST(ShortcutsPage, CancelAndEscBothAsk) {
    PagesEnv env;
    std::vector<Shown> shown;
    startAtShortcuts(env, shown);
    std::vector<ui::RecordedMessage> messages;
    env.run(opening() + "answer message no\nesc\nanswer message yes\nclick IDCANCEL\non dialog IDD_PAGES_ROOT\n" + kCancelHere,
            &messages);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].result, ui::IdCancel);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].text, wizard::kCancelQuestion);
    EXPECT_EQ(messages[1].text, wizard::kCancelQuestion);
    EXPECT_EQ(env.rec.shortcuts_page_done, 0);
}

}  // namespace
