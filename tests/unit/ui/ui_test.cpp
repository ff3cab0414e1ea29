// The framework's own dialogs driven by scenarios: a three-page modal chain,
// lists, combo, list view, progress and a tree with a context menu.
#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>

#include "platform/os/os.h"
#include "platform/ui/dialog.h"
#include "platform/ui/guarded.h"
#include "platform/ui/prompter.h"
#include "platform/ui/resources.h"
#include "platform/ui/scenario.h"
#include "tests/support/host_path.h"
#include "tests/support/test_folder.h"
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
        if (id == IDC_HELP && code == ui::BnClicked) throw std::runtime_error("no help here");   // unguarded
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
on dialog IDD_FIRST: set IDC_NAME Ann; click IDC_NEXT
on dialog IDD_SECOND
click IDC_NEXT                 # empty name: the page stays
expect message Please enter your name.
expect caption Bundlewright
set IDC_NAME Bob ; click IDC_BACK # Back
on dialog IDD_FIRST: expect visible IDC_NEXT 1; click IDC_NEXT
on dialog IDD_SECOND: set IDC_NAME Cy; click IDC_NEXT
on dialog IDD_THIRD
answer message no ; esc        # No: stays
answer message yes ; click IDCANCEL # Yes: cancels the project
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
    ui::ScenarioRun run(ui::Scenario::parse("on dialog IDD_FIRST\n")
                            .then([](ui::Dialog& d) { d.setText(IDC_NAME, "x"); d.setText(IDC_NAME, "x"); })
                            .add("set IDC_NAME y\nexpect text IDC_NAME y\nclick IDCANCEL\nanswer message yes"));
    // The answer comes after the click here, so the question finds none.
    EXPECT_THROW(first.runModal(), ui::ScenarioError);
    EXPECT_EQ(first.changes_, 2);   // "x" once (unchanged text sends nothing), then "y"
}

TEST(UiScenario, MalformedLinesAndUnknownControlsNameTheLine) {
    struct Case { const char* text; const char* want; } cases[] = {
        {"on dialog IDD_FIRST\nfrobnicate 3", "s:2: expected a step"},
        {"click", "s:1: expected a control id after 'click'"},
        {"answer message maybe", "s:1: expected ok, cancel, yes, no or retry"},
        {"\n\nexpect checked IDC_AGREE x", "s:3: expected a number, found 'x'"},
        {"pick IDC_SORTED #x", "s:1: expected a row number"},
        {"on screen 3", "s:1: expected 'on dialog ID'"},
        {"click IDC_NEXT now", "s:1: unexpected 'now'"},
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
    ui::ScenarioRun run(ui::Scenario::parse("on dialog IDD_FIRST\nset IDC_NAME a\nclick 1099", "m.scn"));
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
    ui::ScenarioRun run(ui::Scenario::parse("on dialog IDD_FIRST\non dialog IDD_THIRD", "w.scn"), 500);
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
    ui::ScenarioRun run(ui::Scenario::parse("on dialog IDD_LISTS\n" + bwtest::shotStep("ui", "lists") + R"(
expect row IDC_SORTED 0 Apple
expect row IDC_SORTED 2 pear
click IDC_ADD             # disabled: ignored
pick IDC_COMBO two
set IDC_COMBO three
pick IDC_SORTED fig
click IDC_ADD ; click IDC_ADD
expect text IDC_STATUS step 2
pick IDC_FILES file2
expect selected IDC_FILES 2
expect rows IDC_FILES 3
click IDOK
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
on dialog IDD_TREE
select IDC_TREE Programs/Mid
answer menu ID_TREE_RENAME ; rclick IDC_TREE Programs/Mid
label IDC_TREE Middle
)" + bwtest::shotStep("ui", "tree") + R"(
answer menu none ; rclick IDC_TREE Programs
answer menu ID_TREE_ADD ; rclick IDC_TREE Programs/Alpha
click IDOK
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
    ui::ScenarioRun grayed(ui::Scenario::parse("on dialog IDD_TREE\nanswer menu ID_TREE_DELETE\nrclick IDC_TREE Programs", "g.scn"));
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

    {   // a comment after a value is not part of it
        ui::res::ResourceSet out;
        ui::res::parseRc({{"a.h", "#define IDC_A 1000  // note\n#define IDC_B (1001) /* x */\n"}}, {"a.h"}, out);
        EXPECT_EQ(out.symbols.at("IDC_A"), 1000);
        EXPECT_EQ(out.symbols.at("IDC_B"), 1001);
    }
    {   // CR LF scenario files; quoted Windows paths keep their backslashes
        ui::Scenario sc = ui::Scenario::parse("answer file \"C:\\Temp\\a b.wzp\"\r\nanswer folder \"C:\\src\\\\\"\r\n", "crlf.scn");
        ASSERT_EQ(sc.steps().size(), 2u);
        EXPECT_EQ(sc.steps()[0].text, "C:\\Temp\\a b.wzp");
        EXPECT_EQ(sc.steps()[1].text, "C:\\src\\");
    }

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

using TempFolder = bwtest::TestFolder;

TEST(UiGuarded, AFaultInANestedPageClosesItAndEndsWithTheOuterPagesCode) {
    ExitTrap trap;
    std::vector<std::string> log;
    CChainDlg first(0, log);
    ui::ScenarioRun run(ui::Scenario::parse("on dialog IDD_FIRST: set IDC_NAME Ann; click IDC_NEXT\non dialog IDD_SECOND: click IDC_HELP", "f.scn"));
    try {
        first.runModal();
        ADD_FAILURE() << "the fault must end the process";
    } catch (const os::ExitRequest& e) {
        EXPECT_EQ(e.code, 1);
    }
    run.finish();
    ASSERT_EQ(run.messages().size(), 1u);
    EXPECT_EQ(run.messages()[0].text, "t 0 2");   // page 1 let it out: page 0's code
    EXPECT_EQ(run.messages()[0].ownerDialog, 200);
    EXPECT_FALSE(first.isOpen());

    // Unguarded at the top: runModal itself rethrows it.
    CChainDlg alone(0, log);
    ui::ScenarioRun again(ui::Scenario::parse("on dialog IDD_FIRST: click IDC_HELP"));
    EXPECT_THROW(alone.runModal(), std::runtime_error);
    EXPECT_FALSE(alone.isOpen());
}

class CControlsDlg : public ui::Dialog {
public:
    CControlsDlg() : Dialog(IDD_CONTROLS) {}
    std::vector<std::string> events;
    std::string password;
    int tri = 0, radio = -1, pick = -1;
protected:
    bool onInitDialog() override {
        setText(IDC_READONLY, "fixed");
        setLimitText(IDC_LIMITED, 5);
        for (const char* t : {"gamma", "alpha", "beta"}) addRow(IDC_DROPLIST, t);
        for (const char* t : {"one", "two"}) addRow(IDC_PLAIN, t);
        for (const char* t : {"b", "a"}) addRow(IDC_NOSEL, t);
        setRowData(IDC_PLAIN, 1, 42);
        checkRadio(IDC_R1, IDC_R3, IDC_R1);
        setDefaultButton(IDC_TOGGLE);
        setIcons(IDI_MAIN);
        focus(IDC_LIMITED);
        return false;   // the focus stays where it was put
    }
    bool onCommand(int id, int code) override {
        if (code == ui::EnUpdate) events.push_back("update " + std::to_string(id));
        if (code == ui::EnChange) events.push_back("change " + std::to_string(id) + " " + text(id));
        if (id == IDC_PLAIN && code == ui::LbnSelChange) events.push_back("plain " + text(IDC_PLAIN));
        if (id == IDC_DROPLIST && code == ui::CbnSelChange) events.push_back("drop " + text(IDC_DROPLIST));
        if (id == IDC_TOGGLE && code == ui::BnClicked) {
            showControl(IDC_LABEL, false);
            enable(IDC_PLAIN, false);
            events.push_back("toggle");
        }
        return Dialog::onCommand(id, code);
    }
    void doDataExchange(Exchange& dx) override {
        dx.text(IDC_PASSWORD, password);
        dx.check(IDC_TRI, tri);
        dx.radio(IDC_R1, IDC_R3, radio);
        dx.row(IDC_DROPLIST, pick);
    }
    void onOk() override {
        updateData(true);
        end(ui::IdOk);
    }
};

TEST(UiControls, EditsButtonsListsAndDataExchangeAlikeOnBothHosts) {
    CControlsDlg dlg;
    ui::ScenarioRun run(ui::Scenario::parse(R"(
on dialog IDD_CONTROLS
expect text IDC_READONLY fixed
set IDC_READONLY typed          # read-only: the user cannot type
expect text IDC_READONLY fixed
set IDC_LIMITED abcdefgh
expect text IDC_LIMITED abcde
set IDC_PASSWORD s3cret
set IDC_MULTI "two; words"
check IDC_TRI ; expect checked IDC_TRI 1
click IDC_TRI ; expect checked IDC_TRI 2
check IDC_R2 ; expect checked IDC_R1 0 ; expect checked IDC_R2 1
check IDC_R3 ; expect checked IDC_R2 0 ; expect checked IDC_R3 1
expect row IDC_DROPLIST 0 alpha
pick IDC_DROPLIST beta ; expect text IDC_DROPLIST beta ; expect selected IDC_DROPLIST 1
pick IDC_PLAIN two ; expect selected IDC_PLAIN 1
expect row IDC_NOSEL 0 a
)" + bwtest::shotStep("ui", "controls") + R"(expect visible IDC_LABEL 1
click IDC_TOGGLE
expect visible IDC_LABEL 0 ; expect enabled IDC_PLAIN 0
pick IDC_PLAIN one              # disabled: ignored
expect selected IDC_PLAIN 1
clear IDC_R3
)", "controls.scn"));
    try {
        dlg.runModal();
        ADD_FAILURE() << "clearing a radio button must fail";
    } catch (const ui::ScenarioError& e) {
        EXPECT_STREQ(e.what(), "controls.scn:24: radio button 1037 of dialog 240 cannot be cleared, check another");
    }
    std::vector<std::string> want = {
        "update 1031", "change 1031 fixed", "update 1032", "change 1032 abcde", "update 1030",
        "change 1030 s3cret", "update 1033", "change 1033 two; words", "drop beta", "plain two", "toggle"};
    EXPECT_EQ(dlg.events, want);
    EXPECT_EQ(dlg.rowData(IDC_PLAIN, 1), 42);
    EXPECT_EQ(dlg.findRow(IDC_DROPLIST, "GAMMA"), 2);
    EXPECT_EQ(dlg.findRow(IDC_DROPLIST, "delta"), -1);

    CControlsDlg ok;
    ui::ScenarioRun second(ui::Scenario::parse("on dialog IDD_CONTROLS\nset IDC_PASSWORD pw\ncheck IDC_TRI\ncheck IDC_R2\npick IDC_DROPLIST gamma\nclick IDOK")
                               .then([](ui::Dialog&) { ADD_FAILURE() << "the dialog ended"; }));
    EXPECT_EQ(ok.runModal(), ui::IdOk);
    EXPECT_EQ(ok.password, "pw");
    EXPECT_EQ(ok.tri, 1);
    EXPECT_EQ(ok.radio, 1);
    EXPECT_EQ(ok.pick, 2);
    EXPECT_THROW(second.finish(), ui::ScenarioError);   // the C++ step never ran
}

TEST(UiControls, FocusAndDefaultButtonFromInitialisation) {
    CControlsDlg dlg;
    int focused = 0;
    ui::ScenarioRun run(ui::Scenario::parse("on dialog IDD_CONTROLS\n")
                            .then([&](ui::Dialog& d) { focused = d.focused(); })
                            .add("esc"));
    EXPECT_EQ(dlg.runModal(), ui::IdCancel);
    run.finish();
    EXPECT_EQ(focused, IDC_LIMITED);
}

// A splash-like window: an 8-bit picture stretched over the client area,
// ended by its own timer's second tick.
class CSplashDlg : public ui::Dialog {
public:
    explicit CSplashDlg(unsigned ms) : Dialog(IDD_SPLASH), ms_(ms) {}
    int paints = 0, ticks = 0;
    ui::Dialog::Size size;
protected:
    bool onInitDialog() override {
        setTimer(IDT_SPLASH_TICK, ms_);
        return true;
    }
    void onPaint() override {
        ui::Dib dib;
        dib.width = 2;
        dib.height = 2;
        dib.bitsPerPixel = 8;
        dib.palette = {0x00FF0000, 0x000000FF};     // red, blue
        dib.bits = {0, 0, 0, 0, 0, 0, 0, 0};        // two rows of 4 bytes: all red
        size = clientSize();
        drawDibStretched(0, 0, size.width, size.height, dib);
        ++paints;
    }
    void onTimer(int id) override {
        if (id == IDT_SPLASH_TICK && ++ticks == 2) { killTimer(IDT_SPLASH_TICK); end(ui::IdOk); }
    }
private:
    unsigned ms_;
};

TEST(UiPaint, SplashPaintsItsPaletteImageStretchedAndEndsOnItsTimer) {
    TempFolder tmp;
    std::string shot = tmp.file("splash.bmp");
    CSplashDlg dlg(60000);
    ui::ScenarioRun run(ui::Scenario::parse("on dialog IDD_SPLASH\nshot " + shot + "\ntimer IDT_SPLASH_TICK\ntimer IDT_SPLASH_TICK\nexpect closed", "splash.scn"));
    EXPECT_EQ(dlg.runModal(), ui::IdOk);
    run.finish();
    EXPECT_GE(dlg.paints, 1);
    EXPECT_EQ(dlg.ticks, 2);
    EXPECT_GT(dlg.size.width, 160);     // dialog units are wider than pixels
    EXPECT_GT(dlg.size.height, 100);
#ifdef BW_UI_WIN32_HOST
    // The window as the user saw it: red in the middle of the client area.
    std::string bmp = TempFolder::read(shot);
    ASSERT_GT(bmp.size(), 54u);
    auto u32 = [&](size_t at) { return static_cast<std::uint32_t>(static_cast<unsigned char>(bmp[at])) | static_cast<std::uint32_t>(static_cast<unsigned char>(bmp[at + 1])) << 8 |
                                       static_cast<std::uint32_t>(static_cast<unsigned char>(bmp[at + 2])) << 16 | static_cast<std::uint32_t>(static_cast<unsigned char>(bmp[at + 3])) << 24; };
    ASSERT_EQ(bmp.substr(0, 2), "BM");
    std::uint32_t off = u32(10), w = u32(18), h = u32(22);
    size_t stride = (w * 3 + 3) & ~3u;
    size_t at = off + (h / 2) * stride + (w / 2) * 3;
    ASSERT_LT(at + 2, bmp.size());
    EXPECT_EQ(static_cast<unsigned char>(bmp[at + 2]), 0xFF) << "red";
    EXPECT_EQ(static_cast<unsigned char>(bmp[at]), 0x00) << "blue";
#else
    EXPECT_FALSE(os::fileExists(shot));   // the headless host takes no pictures
#endif

    // Real time: with no steps left the dialog runs until its timer ends it.
    CSplashDlg timed(20);
    ui::ScenarioRun wait(ui::Scenario::parse("on dialog IDD_SPLASH"));
    EXPECT_EQ(timed.runModal(), ui::IdOk);
    wait.finish();
    EXPECT_EQ(timed.ticks, 2);

    CSplashDlg bad(60000);
    ui::ScenarioRun none(ui::Scenario::parse("on dialog IDD_SPLASH\ntimer 2", "t.scn"));
    try {
        bad.runModal();
        ADD_FAILURE();
    } catch (const ui::ScenarioError& e) {
        EXPECT_STREQ(e.what(), "t.scn:2: dialog 250 has no timer 2");
    }
}

TEST(UiPrompter, BoxesAndPickersBeforeAnyDialogTakeTheLeadingAnswers) {
    ui::setProgramName("UnBundlewright");
    ui::ScenarioRun run(ui::Scenario::parse(R"(answer message yes
answer file C:\p\proj
answer folder C:\src\
answer file cancel
answer message retry
expect message Remove it?
expect caption UnBundlewright
)", "p.scn"));
    EXPECT_TRUE(ui::Prompter(ui::programName()).ask("Remove it?"));
    ui::FileDialog how;
    how.filter = "Projects (*.wzp)|*.wzp|All files (*.*)|*.*||";
    how.defaultExt = "wzp";
    std::string path;
    EXPECT_TRUE(ui::saveFileDialog(how, path));
    EXPECT_EQ(path, "C:\\p\\proj.wzp");
    std::string folder;
    EXPECT_TRUE(ui::browseForFolder("Source", folder));
    EXPECT_EQ(folder, "C:\\src");
    EXPECT_FALSE(ui::openFileDialog(how, path));
    EXPECT_THROW(ui::messageBox("Go on?", std::nullopt, ui::Buttons::YesNo, ui::Icon::Question), ui::ScenarioError);
    ui::messageBox("Done.", "", ui::Buttons::Ok, ui::Icon::Information);
    run.finish();
    ASSERT_EQ(run.messages().size(), 2u);
    EXPECT_EQ(run.messages()[1].caption, "");
    EXPECT_EQ(run.messages()[1].icon, ui::Icon::Information);
    ui::setProgramName("Bundlewright");
}

#ifdef BW_UI_WIN32_HOST
// The automation mode: this very program run again with BUNDLEWRIGHT_SCENARIO
// set plays the chain on its real windows.
TEST(UiAutomationChild, RunsTheChainFromTheEnvironment) {
    std::string path;
    if (!os::getEnv("BUNDLEWRIGHT_SCENARIO", path)) GTEST_SKIP() << "run by UiAutomation only";
    std::vector<std::string> log;
    CChainDlg first(0, log);
    EXPECT_EQ(first.runModal(), 1);     // Back on the first page ends it with 1
}

TEST(UiAutomation, AScenarioInTheEnvironmentDrivesTheProgramAndFailuresExitWith97) {
    TempFolder tmp;
    struct Case { const char* scenario; int exitCode; const char* stderrText; } cases[] = {
        {"on dialog IDD_FIRST: set IDC_NAME Ann; click IDC_NEXT\non dialog IDD_SECOND: shot SHOT; click IDC_BACK\non dialog IDD_FIRST: click IDC_BACK\nexpect closed\n", 0, ""},
        {"on dialog IDD_FIRST\nclick 1099\n", 97, ":2: dialog 200 has no control 1099"},
        {"on dialog IDD_FIRST: click IDC_BACK\nexpect message Never shown.\n", 97, ":2: expected the message \"Never shown.\", none was shown"},
        {"on dialog IDD_FIRST: click IDC_NEXT\n", 97, ": the scenario ended while dialog 200 is open"},
        {"on dialog IDD_FIRST\nfrobnicate\n", 97, ":2: expected a step"},
    };
    int n = 0;
    for (const auto& c : cases) {
        std::string scn = tmp.file("case" + std::to_string(n) + ".scn"), err = tmp.file("case" + std::to_string(n) + ".err");
        std::string shot = tmp.file("page.bmp");
        std::string text = c.scenario;
        if (size_t at = text.find("SHOT"); at != std::string::npos) text.replace(at, 4, shot);
        TempFolder::write(scn, text);
        os::setEnv("BUNDLEWRIGHT_SCENARIO", scn);
        os::setEnv("BUNDLEWRIGHT_SCENARIO_TIMEOUT", "2000");
        int code = -1;
        std::string line = "cmd /c \"\"" + os::executablePath() + "\" --gtest_filter=UiAutomationChild.* 2>\"" + err + "\" >nul\"";
        ASSERT_TRUE(os::startProcess(line, true, &code)) << line;
        os::unsetEnv("BUNDLEWRIGHT_SCENARIO");
        os::unsetEnv("BUNDLEWRIGHT_SCENARIO_TIMEOUT");
        EXPECT_EQ(code, c.exitCode) << c.scenario;
        std::string got = TempFolder::read(err);
        if (c.exitCode) {
            EXPECT_EQ(got.rfind("scenario: " + scn, 0), 0u) << got;
            EXPECT_NE(got.find(c.stderrText), std::string::npos) << got;
        } else {
            EXPECT_TRUE(os::fileExists(shot));
        }
        ++n;
    }
}
#endif

}  // namespace
