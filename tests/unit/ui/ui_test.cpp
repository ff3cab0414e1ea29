// The framework's own dialogs driven by scenarios: a three-page modal chain,
// lists, combo, list view, progress and a tree with a context menu.
#include <gtest/gtest.h>

#include "platform/os/os.h"
#include "platform/ui/dialog.h"
#include "platform/ui/guarded.h"
#include "platform/ui/prompter.h"
#include "platform/ui/resources.h"
#include "platform/ui/scenario.h"
#include "tests/unit/ui/resources/resource.h"

namespace {

const char kCancelQuestion[] = "Are you sure to cancel?";

// Page n of the chain: Next runs page n+1 modally, Back shows the owner and
// ends with 1, Cancel asks and ends with IdCancel, which makes the page
// below end the process with exit code 0.
class CChainDlg : public ui::Dialog {
public:
    CChainDlg(int page, std::vector<std::string>& log)
        : Dialog(IDD_FIRST + page), page_(page), log_(log) {}
protected:
    bool onInitDialog() override {
        ui::guarded("t " + std::to_string(page_) + " 1", [&] {
            setIcons(IDI_MAIN);
            if (owner()) owner()->hide();
            log_.push_back("init " + std::to_string(page_));
        });
        return true;
    }
    bool onCommand(int id, int code) override {
        if (id == IDC_NEXT && code == ui::BnClicked) {
            ui::guarded("t " + std::to_string(page_) + " 2", [&] {
                if (text(IDC_NAME).empty()) { ui::Prompter().message("Please enter your name."); return; }
                log_.push_back("next " + std::to_string(page_) + " " + text(IDC_NAME));
                if (page_ == 2) { end(ui::IdOk); return; }
                CChainDlg next(page_ + 1, log_);
                if (next.runModal() == ui::IdCancel) os::exitProcess(0);
            });
            return true;
        }
        if (id == IDC_BACK && code == ui::BnClicked) {
            if (owner()) owner()->show();
            end(1);
            return true;
        }
        if (id == IDC_NAME && code == ui::EnChange) changes_++;
        return Dialog::onCommand(id, code);
    }
    void onCancel() override {
        if (ui::Prompter().ask(kCancelQuestion)) end(ui::IdCancel);
    }
public:
    int changes_ = 0;
private:
    int page_;
    std::vector<std::string>& log_;
};

struct ExitTrap {
    ExitTrap() { os::setExitTrap(true); }
    ~ExitTrap() { os::setExitTrap(false); }
};

TEST(UiChain, NextBackNextAndConfirmedCancelEndsTheProcessWithZero) {
    ExitTrap trap;
    std::vector<std::string> log;
    ui::ScenarioRun run(ui::Scenario::parse(R"(
on dialog 200: set 1001 Ann; click 1004
on dialog 201
click 1004                     # empty name: the page stays
expect message Please enter your name.
expect caption Bundlewright
set 1001 Bob ; click 1003      # Back
on dialog 200: expect visible 1004 1; click 1004
on dialog 201: set IDC_NAME Cy; click IDC_NEXT
on dialog 202
answer message no ; esc        # No: stays
answer message yes ; click 2   # Yes: cancels the project
)", "chain.scn"));
    CChainDlg first(0, log);
    try {
        first.runModal();
        FAIL() << "the confirmed cancel must end the process";
    } catch (const os::ExitRequest& e) {
        EXPECT_EQ(e.code, 0);
    }
    run.finish();
    std::vector<std::string> want = {"init 0", "next 0 Ann", "init 1", "next 0 Ann", "init 1",
                                     "next 1 Cy", "init 2"};
    EXPECT_EQ(log, want);
    ASSERT_EQ(run.messages().size(), 3u);
    EXPECT_EQ(run.messages()[1].text, kCancelQuestion);
    EXPECT_EQ(run.messages()[1].buttons, ui::Buttons::YesNo);
    EXPECT_EQ(run.messages()[1].icon, ui::Icon::Question);
    EXPECT_EQ(run.messages()[1].answer, ui::IdNo);
    EXPECT_EQ(run.messages()[2].ownerDialog, 202);
}

TEST(UiChain, EditsNotifyOnEveryChangeFromCodeAndUser) {
    std::vector<std::string> log;
    CChainDlg first(0, log);
    ui::ScenarioRun run(ui::Scenario::parse("on dialog 200\n")
                            .then([](ui::Dialog& d) { d.setText(IDC_NAME, "x"); d.setText(IDC_NAME, "x"); })
                            .add("set 1001 y\nexpect text 1001 y\nclick 2\nanswer message yes"));
    // The answer comes after the click here, so the question finds none.
    EXPECT_THROW(first.runModal(), ui::ScenarioError);
    EXPECT_EQ(first.changes_, 2);   // "x" once (unchanged text sends nothing), then "y"
}

TEST(UiScenario, MalformedLinesAndUnknownControlsNameTheLine) {
    struct Case { const char* text; const char* want; } cases[] = {
        {"on dialog 200\nfrobnicate 3", "s:2: expected a step"},
        {"click", "s:1: expected a control id after 'click'"},
        {"answer message maybe", "s:1: expected ok, cancel, yes, no or retry"},
        {"\n\nexpect checked 1002 x", "s:3: expected a number, found 'x'"},
        {"pick 1010 #x", "s:1: expected a row number"},
        {"on screen 3", "s:1: expected 'on dialog ID'"},
        {"click 1004 now", "s:1: unexpected 'now'"},
    };
    for (const auto& c : cases) {
        try {
            ui::Scenario::parse(c.text, "s");
            ADD_FAILURE() << c.text;
        } catch (const ui::ScenarioError& e) {
            EXPECT_NE(std::string(e.what()).find(c.want), std::string::npos) << e.what();
        }
    }
    std::vector<std::string> log;
    CChainDlg first(0, log);
    ui::ScenarioRun run(ui::Scenario::parse("on dialog 200\nset 1001 a\nclick 1099", "m.scn"));
    try {
        first.runModal();
        ADD_FAILURE();
    } catch (const ui::ScenarioError& e) {
        EXPECT_STREQ(e.what(), "m.scn:3: dialog 200 has no control 1099");
    }
}

TEST(UiScenario, WaitingForADialogThatNeverComesFails) {
    std::vector<std::string> log;
    CChainDlg first(0, log);
    ui::ScenarioRun run(ui::Scenario::parse("on dialog 200\non dialog 202", "w.scn"));
    try {
        first.runModal();
        ADD_FAILURE();
    } catch (const ui::ScenarioError& e) {
        EXPECT_STREQ(e.what(), "w.scn:2: waiting for dialog 202, but dialog 200 is active");
    }
}

class CListsDlg : public ui::Dialog {
public:
    CListsDlg() : Dialog(IDD_LISTS) {}
    std::vector<std::string> events;
protected:
    bool onInitDialog() override {
        for (const char* t : {"pear", "Apple", "fig"}) addRow(IDC_SORTED, t);
        for (const char* t : {"one", "two"}) addRow(IDC_COMBO, t);
        lvAddColumn(IDC_FILES, "Name", 120);
        lvAddColumn(IDC_FILES, "Size", 60);
        for (int i = 0; i < 3; ++i) {
            int row = lvInsertRow(IDC_FILES, -1, "file" + std::to_string(i));
            lvSetCell(IDC_FILES, row, 1, std::to_string(i * 10));
        }
        progressRange(IDC_PROGRESS, 0, 3);
        progressSetStep(IDC_PROGRESS, 1);
        return true;
    }
    bool onCommand(int id, int code) override {
        if (id == IDC_COMBO && code == ui::CbnEditChange) events.push_back("typed " + text(IDC_COMBO) + " " + std::to_string(selectedRow(IDC_COMBO)));
        if (id == IDC_COMBO && code == ui::CbnSelChange) events.push_back("picked " + std::to_string(selectedRow(IDC_COMBO)));
        if (id == IDC_SORTED && code == ui::LbnSelChange) { events.push_back("list " + text(IDC_SORTED)); enable(IDC_ADD); }
        if (id == IDC_ADD && code == ui::BnClicked) {
            events.push_back("add");
            progressStepIt(IDC_PROGRESS);
            setText(IDC_STATUS, "step " + std::to_string(progressPos(IDC_PROGRESS)));
        }
        return Dialog::onCommand(id, code);
    }
    bool onNotify(int id, const ui::Notify& n) override {
        if (id == IDC_FILES && n.code == ui::Notify::ItemChanged) events.push_back("row " + lvCell(IDC_FILES, n.row, 1));
        return false;
    }
};

TEST(UiControls, SortedListComboListViewProgressAndDisabledButtons) {
    CListsDlg dlg;
    ui::ScenarioRun run(ui::Scenario::parse(R"(
on dialog 210
expect row 1010 0 Apple
expect row 1010 2 pear
click 1013                # disabled: ignored
pick 1011 two
set 1011 three
pick 1010 fig
click 1013 ; click 1013
expect text 1015 step 2
pick 1012 file2
expect selected 1012 2
expect rows 1012 3
click 1
)", "lists.scn"));
    EXPECT_EQ(dlg.runModal(), ui::IdOk);
    run.finish();
    std::vector<std::string> want = {"picked 1", "typed three -1", "list fig", "add", "add", "row 20"};
    EXPECT_EQ(dlg.events, want);
    EXPECT_EQ(dlg.text(IDC_COMBO), "three");
    EXPECT_EQ(dlg.lvSelectedRows(IDC_FILES), std::vector<int>{2});
}

class CTreeDlg : public ui::Dialog {
public:
    CTreeDlg() : Dialog(IDD_TREE) {}
    std::vector<std::string> events;
protected:
    bool onInitDialog() override {
        tvSetImages(IDC_TREE, IDI_FOLDER, IDI_FILE);
        ui::TreeItem root = tvInsert(IDC_TREE, 0, "Programs", 0, 0);
        for (const char* t : {"Zeta", "Alpha", "Mid"}) tvInsert(IDC_TREE, root, t, 1, 1, ui::TreeInsert::Sorted);
        tvExpand(IDC_TREE, root);
        return true;
    }
    bool onNotify(int id, const ui::Notify& n) override {
        if (id != IDC_TREE) return false;
        if (n.code == ui::Notify::SelChanged) events.push_back("sel " + tvText(id, n.item));
        if (n.code == ui::Notify::RightClick) {
            ui::TreeItem hit = tvHitTest(id);
            int cmd = popupMenu(IDR_TREE_MENU, 0);
            if (cmd == ID_TREE_RENAME && hit) tvEditLabel(id, hit);
            if (cmd == ID_TREE_ADD && hit) tvInsert(id, hit, "New", 0, 0);
            events.push_back("menu " + std::to_string(cmd));
        }
        if (n.code == ui::Notify::EndLabelEdit) return !n.text.empty();
        return false;
    }
};

TEST(UiControls, TreeSortedInsertContextMenuAndLabelEditing) {
    CTreeDlg dlg;
    ui::ScenarioRun run(ui::Scenario::parse(R"(
on dialog 220
select 1020 Programs/Mid
answer menu ID_TREE_RENAME ; rclick 1020 Programs/Mid
label 1020 Middle
answer menu none ; rclick 1020 Programs
answer menu 32771 ; rclick 1020 Programs/Alpha
click 1
)", "tree.scn"));
    EXPECT_EQ(dlg.runModal(), ui::IdOk);
    run.finish();
    ui::TreeItem root = dlg.tvRoot(IDC_TREE);
    std::vector<std::string> names;
    for (auto i = dlg.tvChild(IDC_TREE, root); i; i = dlg.tvNext(IDC_TREE, i)) names.push_back(dlg.tvText(IDC_TREE, i));
    EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "Middle", "Zeta"}));
    auto alpha = dlg.tvChild(IDC_TREE, root);
    EXPECT_EQ(dlg.tvText(IDC_TREE, dlg.tvChild(IDC_TREE, alpha)), "New");
    EXPECT_EQ(dlg.tvParent(IDC_TREE, alpha), root);
    EXPECT_EQ(dlg.events, (std::vector<std::string>{"sel Mid", "menu 32772", "menu 0", "menu 32771"}));

    CTreeDlg again;
    ui::ScenarioRun grayed(ui::Scenario::parse("on dialog 220\nanswer menu 32773\nrclick 1020 Programs", "g.scn"));
    try {
        again.runModal();
        ADD_FAILURE();
    } catch (const ui::ScenarioError& e) {
        EXPECT_STREQ(e.what(), "g.scn:2: command 32773 of menu 230 is grayed");
    }
}

TEST(UiGuarded, CodesAreTheWholeTextAndExitAsTold) {
    ExitTrap trap;
    ui::setProgramName("Tarnwick");
    ui::ScenarioRun run(ui::Scenario::parse(""));
    auto thrower = [] { throw std::runtime_error("boom"); };
    try {
        ui::guarded("p1 5 2", thrower);
        ADD_FAILURE();
    } catch (const os::ExitRequest& e) {
        EXPECT_EQ(e.code, 1);
    }
    try {
        ui::guarded("p1 3 1", [] { throw 7; }, ui::exitsWith(0));
        ADD_FAILURE();
    } catch (const os::ExitRequest& e) {
        EXPECT_EQ(e.code, 0);
    }
    EXPECT_FALSE(ui::guarded("p1 2 2", thrower, ui::continues()));
    EXPECT_TRUE(ui::guarded("p1 2 2", [] {}, ui::continues()));
    EXPECT_THROW(ui::guarded("p1 m7", [] { os::exitProcess(4); }, ui::emptyCaption()), os::ExitRequest);
    ASSERT_EQ(run.messages().size(), 3u);
    EXPECT_EQ(run.messages()[0].text, "p1 5 2");
    EXPECT_EQ(run.messages()[0].caption, "Tarnwick");
    EXPECT_EQ(run.messages()[2].text, "p1 2 2");
    ui::setProgramName("Bundlewright");
}

TEST(UiResources, TemplatesComeFromTheSameRcFiles) {
    const auto& set = ui::res::resources();
    const auto& d = set.dialogs.at(IDD_LISTS);
    EXPECT_EQ(d.caption, "Bundlewright");
    EXPECT_EQ(d.cx, 320);
    EXPECT_EQ(d.cy, 201);
    EXPECT_EQ(d.font, "MS Shell Dlg");
    EXPECT_EQ(d.controls.at(2).cls, "SysListView32");
    EXPECT_TRUE(d.controls.at(3).style & 0x08000000L);   // WS_DISABLED on Add
    EXPECT_TRUE(set.menus.at(IDR_TREE_MENU).items.at(0).popup.at(3).grayed);
    EXPECT_EQ(ui::res::symbol("IDC_TREE"), 1020);

    struct Case { const char* rc; const char* want; } bad[] = {
        {"1 DIALOGEX 0, 0, 10, 10\nBEGIN\n  FROB 1, 2\nEND\n", "a.rc:3: expected a control, found 'FROB'"},
        {"1 DIALOG 0, 0, 10\nBEGIN\nEND\n", "a.rc:2: unknown name BEGIN"},
        {"1 DIALOG 0,0,1,1\nBEGIN\n  EDITTEXT IDC_NOPE, 1,1,1,1\nEND\n", "a.rc:3: unknown name IDC_NOPE"},
        {"#include \"missing.h\"\n", "a.rc:1: cannot find"},
    };
    for (const auto& c : bad) {
        ui::res::ResourceSet out;
        try {
            ui::res::parseRc({{"a.rc", c.rc}}, {"a.rc"}, out);
            ADD_FAILURE() << c.rc;
        } catch (const ui::res::ResourceError& e) {
            EXPECT_NE(std::string(e.what()).find(c.want), std::string::npos) << e.what();
        }
    }
}

}  // namespace
