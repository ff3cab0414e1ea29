// The shortcut tree's and the services table's texts without a page: damaged
// texts restore without overrunning a table, and what is restored writes back.
#include <gtest/gtest.h>

#include <string>

#include "pages/service_table.h"
#include "pages/shortcut_tree.h"

namespace {

using pages::ServiceTable;
using pages::ShortcutTree;

TEST(ShortcutTreeText, TwoFoldersOfOneNameKeepTheirOwnChildren) {
    ShortcutTree t;
    const int a = t.add(pages::kRootPrograms, pages::kKindFolder, "Tools");
    const int b = t.add(pages::kRootStartup, pages::kKindFolder, "Tools");
    t.add(b, pages::kKindShortcut, "Late", "x.exe", "-a");
    t.add(a, pages::kKindShortcut, "Early", "y.exe");
    const std::string text = t.linesText();
    ShortcutTree back;
    back.restore(text);
    ASSERT_EQ(back.count(), t.count());
    for (int i = pages::kRootCount; i < t.count(); ++i) {
        EXPECT_EQ(back.location(i), t.location(i));
        EXPECT_EQ(back.location(back[i].parent), t.location(t[i].parent)) << i;
    }
    EXPECT_EQ(back.linesText(), text);
}

TEST(ShortcutTreeText, DamagedLinesRestoreUnderProgramsAndNeverPastTheTable) {
    std::string text;
    for (int i = 0; i < 300; ++i) {
        switch (i % 5) {
        case 0: text += "create_shortcut_dir`Unknown\\Parent\\F" + std::to_string(i) + "\r\n"; break;
        case 1: text += "add_shortcut\r\n"; break;                                  // no fields
        case 2: text += "add_shortcut`t`S" + std::to_string(i) + ".lnk\r\n"; break;  // no parent, no arguments
        case 3: text += "CREATE_SHORTCUT_DIR`" + std::string(600, 'x') + "\r"; break;  // CR alone, long
        default: text += "create_shortcut_dir`Desktop\\\r\n"; break;                // empty name
        }
    }
    ShortcutTree t;
    t.restore(text);
    EXPECT_EQ(t.count(), 50);
    for (int i = pages::kRootCount; i < t.count(); ++i) {
        EXPECT_EQ(t[i].parent, pages::kRootPrograms) << i;
        EXPECT_LE(t[i].label.size(), 259u);
    }
    // What came back writes as lines the next restore takes whole.
    ShortcutTree again;
    again.restore(t.linesText());
    EXPECT_EQ(again.linesText(), t.linesText());
}

// The system's label edit stops at 259 characters itself; the check holds
// for any host.
TEST(ShortcutTreeText, LabelsAndFieldsPastTheirSlotsAreRefused) {
    EXPECT_EQ(pages::labelFault(std::string(255, 'x')), nullptr);
    EXPECT_STREQ(pages::labelFault(std::string(256, 'x')), pages::kMsgLabelNotAName);   // a name's own limit
    EXPECT_STREQ(pages::labelFault(std::string(260, 'x')), pages::kMsgLabelTooLong);
    EXPECT_STREQ(pages::shortcutFieldsFault("n", std::string(260, 't'), ""), pages::kMsgTargetTooLong);
    EXPECT_EQ(pages::shortcutFieldsFault(std::string(251, 'n'), std::string(259, 't'), std::string(499, 'a')), nullptr);
    EXPECT_STREQ(pages::shortcutFieldsFault(std::string(252, 'n'), "t", ""), pages::kMsgNameNotAName);   // + ".lnk"
    EXPECT_STREQ(pages::serviceFieldsFault(std::string(260, 'e'), "n", "d"), pages::kMsgServiceExecutableTooLong);
    EXPECT_EQ(pages::serviceFieldsFault(std::string(259, 'e'), std::string(49, 'n'), std::string(49, 'd')), nullptr);
}

TEST(ShortcutTreeText, LocationsCutEachLabelAndRemoveTakesTheSubtree) {
    ShortcutTree t;
    const int f = t.add(pages::kRootDesktop, pages::kKindFolder, std::string(30, 'L'));
    const int g = t.add(f, pages::kKindFolder, "Inner");
    const int s = t.add(g, pages::kKindShortcut, "Doc");
    EXPECT_EQ(t.location(g), "Desktop\\" + std::string(24, 'L') + "\\Inner");
    t.remove(f);
    EXPECT_FALSE(t.isLive(g));
    EXPECT_FALSE(t.isLive(s));
    EXPECT_EQ(t.linesText(), "");
    EXPECT_EQ(t.count(), 7);   // deleted entries keep their slots
}

TEST(ServiceTableText, DamagedTextsRestoreAtMostTwentyEntries) {
    std::string text;
    for (int i = 0; i < 300; ++i) text += "\\p" + std::to_string(i) + ".exe~N" + std::to_string(i) + "\r\n";
    text += "~~\r\n";
    ServiceTable t;
    EXPECT_EQ(t.restore(text).size(), 20u);
    EXPECT_TRUE(t.full());
    EXPECT_EQ(t[19].display.str(), "");
    ServiceTable u;
    u.restore("\r\n\r\nonly-executable\r\n" + std::string(300, 'e') + "~" + std::string(300, 'n') + "~d~extra");
    ASSERT_EQ(u.count(), 1);
    EXPECT_EQ(u[0].executable.size(), 259u);
    EXPECT_EQ(u[0].name.size(), 49u);
    EXPECT_EQ(u[0].display.str(), "d");
}

TEST(ServiceTableText, ExecutableNamesAsTheBuilderPacksThem) {
    EXPECT_EQ(pages::serviceExecutableName("C:\\Prod\\bin\\svc.exe", "C:\\Prod"), "\\bin\\svc.exe");
    EXPECT_EQ(pages::serviceExecutableName("c:\\prod\\svc.exe", "C:\\Prod"), "\\svc.exe");
    EXPECT_EQ(pages::serviceExecutableName("C:\\Production\\svc.exe", "C:\\Prod"), "\\svc.exe");
    EXPECT_EQ(pages::serviceExecutableName("D:\\tools\\agent.exe", "C:\\Prod"), "\\agent.exe");
    EXPECT_EQ(pages::serviceExecutableName("C:\\a\\svc.exe", "C:\\"), "a\\svc.exe");
    EXPECT_TRUE(pages::isExecutableLine("C:\\p\\Tool.EXE"));
    EXPECT_FALSE(pages::isExecutableLine("C:\\p\\a.exe.txt"));
    EXPECT_FALSE(pages::isExecutableLine("C:\\p.exe\\b.exe"));   // the first ".EXE" must end the line
}

}  // namespace
