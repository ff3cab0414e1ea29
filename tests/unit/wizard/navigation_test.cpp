// The page base on the headless host: Next, Back and Cancel on main-chain
// pages, hub pages, the output location page and the summary; owner hiding;
// the silent store on Back; the cancel question and exit codes; fatal codes
// with their two exceptions. Test pages stand on templates of their own and
// are put into the chain's page list at the dialogs of the real pages.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "pages/page_list.h"
#include "platform/os/os.h"
#include "platform/ui/prompter.h"
#include "platform/ui/resources.h"
#include "platform/ui/scenario.h"
#include "resources/tarnwick/resource.h"
#include "tests/unit/wizard/resources/resource.h"
#include "wizard/chain.h"
#include "wizard/tarnwick_dlg.h"
#include "wizard/page_base.h"
#include "wizard/project_record.h"

namespace {

using wizard::PageRole;

const wizard::PageButtons kButtons{IDC_NAV_NEXT, IDC_NAV_BACK, IDC_NAV_CANCEL, IDC_NAV_HELP};

struct ExitTrap {
    ExitTrap() {
        os::setExitTrap(true);
        ui::setProgramName("Tarnwick");
    }
    ~ExitTrap() { os::setExitTrap(false); }
};

// The real pages the test pages stand in for: their names and fatal codes.
struct Stand {
    int dialog;
    const char* name;
    const char* initCode;
    const char* mainCode;
};
constexpr Stand kStands[] = {
    {IDD_PROJECT_START, "CProjectStartDlg", "p1 2 1", "p1 2 2"},
    {IDD_PRODUCT_INFO, "CProductInfoDlg", "p1 3 1", "p1 3 2"},
    {IDD_SOURCE_FOLDER, "CSourceFolderDlg", "p1 4 1", "p1 4 2"},
    {IDD_FILE_LIST, "CFileListDlg", "p1 5 1", "p1 5 2"},
    {IDD_INSTALL_OPTIONS, "CInstallOptionsDlg", "p1 6 1", "p1 6 2"},
    {IDD_SHORTCUTS, "CShortcutsDlg", "", "p1 8 2"},
    {IDD_OUTPUT_LOCATION, "COutputLocationDlg", "p1 11 1", ""},
    {IDD_SUMMARY, "CSummaryDlg", "p1 12 1", "p1 12 2"},
};
const Stand& standAt(int dialog) {
    for (const Stand& s : kStands)
        if (s.dialog == dialog) return s;
    throw std::out_of_range("no such stand");
}

// What each test page does, by the dialog it stands at, and what it saw.
struct Script {
    std::map<int, int> storeResult;       // default 0
    std::map<int, bool> throwInInit;
    std::map<int, bool> throwInStore;
    std::vector<std::string> log;
};

class CTestPage : public wizard::PageBase {
public:
    CTestPage(wizard::Chain& chain, int dialog, PageRole role, int tpl, ui::Dialog* owner, Script& script)
        : PageBase(chain, {dialog, standAt(dialog).initCode, standAt(dialog).mainCode, ""}, role, kButtons, owner,
                   tpl),
          script_(script) {}
    int store(int interactive) override {
        script_.log.push_back(name() + " store " + std::to_string(interactive));
        if (script_.throwInStore[info().dialog]) throw std::runtime_error("store");
        return script_.storeResult[info().dialog];
    }
protected:
    void initPage() override {
        if (script_.throwInInit[info().dialog]) throw std::runtime_error("init");
        script_.log.push_back(name() + " init");
    }
    int focusControl() const override { return IDC_NAV_NAME; }
private:
    std::string name() const { return standAt(info().dialog).name; }
    Script& script_;
};

// The root of the chain, standing where the welcome page stands, with the
// chain of Tarnwick's page list.
class CTestRoot : private wizard::ChainOwner, public wizard::PageBase {
public:
    CTestRoot()
        : ChainOwner(pages::pageList(), wizard::RunEnd::ExitProcess),
          PageBase(ownedChain_, {IDD_WELCOME, "", "", ""}, PageRole::Welcome, kButtons, nullptr, IDD_NAV_ROOT) {}
    wizard::ProjectRecord& rec() { return record(); }
protected:
    void onNext() override {
        hide();
        if (!runNextPage()) show();
    }
};

// Test pages put into the root's page list: main chain 901..905 for the
// dialogs after the root, the hub's pages and the summary as asked.
class PageSet {
public:
    PageSet(CTestRoot& root, Script& script) : root_(root), script_(script) {}
    void put(int dialog, PageRole role, int tpl) {
        Script* s = &script_;
        root_.chain().pages.replace(dialog, [=](wizard::Chain& c, ui::Dialog* owner) -> std::unique_ptr<ui::Dialog> {
            return std::make_unique<CTestPage>(c, dialog, role, tpl, owner, *s);
        });
    }
private:
    CTestRoot& root_;
    Script& script_;
};

int runExpectingExit(ui::Dialog& root) {
    try {
        root.runModal();
    } catch (const os::ExitRequest& e) {
        return e.code;
    }
    return -1;
}

// A check run as a scenario step on the active dialog.
ui::Scenario& expectOwnerHidden(ui::Scenario& s, bool hidden) {
    return s.then([hidden](ui::Dialog& d) {
        ASSERT_NE(d.owner(), nullptr);
        EXPECT_EQ(!d.owner()->isVisible(), hidden) << "dialog " << d.templateId();
    });
}

TEST(NavigationMainChain, NextBackAndConfirmedCancelEndTheRunWithZero) {
    ExitTrap trap;
    Script script;
    CTestRoot root;
    PageSet pages(root, script);
    pages.put(IDD_PROJECT_START, PageRole::MainChain, IDD_NAV_PAGE1);
    pages.put(IDD_PRODUCT_INFO, PageRole::MainChain, IDD_NAV_PAGE2);
    ui::Scenario s = ui::Scenario::parse("on dialog IDD_NAV_ROOT: click IDC_NAV_NEXT\non dialog IDD_NAV_PAGE1");
    expectOwnerHidden(s, true);
    s.add("click IDC_NAV_NEXT\non dialog IDD_NAV_PAGE2");
    expectOwnerHidden(s, true);
    s.add("click IDC_NAV_BACK\non dialog IDD_NAV_PAGE1"); // Back: shows 901, which stays in its loop
    s.then([](ui::Dialog& d) { EXPECT_TRUE(d.isVisible()); });
    s.add("answer message no\nclick IDC_NAV_CANCEL\n" // No: nothing happens
          "answer message yes\nesc");               // Esc asks too; Yes cancels the run
    ui::ScenarioRun run(std::move(s));
    EXPECT_EQ(runExpectingExit(root), wizard::kExitCancelled);
    run.finish();
    const std::vector<std::string> want = {
        "CProjectStartDlg init", "CProjectStartDlg store 1", "CProductInfoDlg init",
        "CProductInfoDlg store 0"};
    EXPECT_EQ(script.log, want);
    ASSERT_EQ(run.messages().size(), 2u);
    for (const auto& m : run.messages()) {
        EXPECT_EQ(m.text, wizard::kCancelQuestion);
        EXPECT_EQ(m.caption, "Bundlewright");
        EXPECT_EQ(m.buttons, ui::Buttons::YesNo);
        EXPECT_EQ(m.icon, ui::Icon::Question);
        EXPECT_EQ(m.ownerDialog, 901);
    }
}

TEST(NavigationMainChain, RefusedStoreKeepsThePageAndBackStoresOnlyWhileNotDone) {
    ExitTrap trap;
    Script script;
    script.storeResult[IDD_PROJECT_START] = -1;
    CTestRoot root;
    PageSet pages(root, script);
    pages.put(IDD_PROJECT_START, PageRole::MainChain, IDD_NAV_PAGE1);
    pages.put(IDD_PRODUCT_INFO, PageRole::MainChain, IDD_NAV_PAGE2);
    root.rec().project_start_done = wizard::kDone;
    ui::ScenarioRun run(ui::Scenario::parse(
        "on dialog IDD_NAV_ROOT: click IDC_NAV_NEXT\n"
        "on dialog IDD_NAV_PAGE1: click IDC_NAV_NEXT\n" // refused: still on 901
        "on dialog IDD_NAV_PAGE1: click IDC_NAV_BACK\n" // Back with the marker at 3: no store
        "on dialog IDD_NAV_ROOT: expect visible IDC_NAV_NEXT 1\n"
        "answer message yes\nclick IDC_NAV_CANCEL"));
    EXPECT_EQ(root.runModal(), ui::IdCancel);   // the welcome page's own loop ends
    run.finish();
    const std::vector<std::string> want = {"CProjectStartDlg init", "CProjectStartDlg store 1"};
    EXPECT_EQ(script.log, want);
}

TEST(NavigationMainChain, FileListHidesItselfAndComesBackWhenTheHubReturns) {
    ExitTrap trap;
    Script script;
    CTestRoot root;
    PageSet pages(root, script);
    pages.put(IDD_PROJECT_START, PageRole::MainChain, IDD_NAV_PAGE1);
    pages.put(IDD_PRODUCT_INFO, PageRole::MainChain, IDD_NAV_PAGE2);
    pages.put(IDD_SOURCE_FOLDER, PageRole::MainChain, IDD_NAV_PAGE3);
    pages.put(IDD_FILE_LIST, PageRole::MainChain, IDD_NAV_PAGE4);
    // No hub: Next stores, hides the file list page and shows it again.
    root.chain().pages.replace(IDD_OPTION_HUB, nullptr);
    ui::Scenario s = ui::Scenario::parse(
        "on dialog IDD_NAV_ROOT: click IDC_NAV_NEXT\non dialog IDD_NAV_PAGE1: click IDC_NAV_NEXT\non dialog IDD_NAV_PAGE2: click IDC_NAV_NEXT\n"
        "on dialog IDD_NAV_PAGE3: click IDC_NAV_NEXT\non dialog IDD_NAV_PAGE4: click IDC_NAV_NEXT");
    s.then([](ui::Dialog& d) { EXPECT_TRUE(d.isVisible()); });
    s.add("answer message yes\nesc");
    ui::ScenarioRun run(std::move(s));
    EXPECT_EQ(runExpectingExit(root), 0);
    run.finish();
    EXPECT_EQ(script.log.back(), "CFileListDlg store 1");
}

// A hub standing in for the option hub: runs the pages at the given hub
// indexes in order with the history rule, inside its initialisation.
class CTestHub : public wizard::PageBase {
public:
    CTestHub(wizard::Chain& chain, ui::Dialog* owner, std::vector<int> order, std::vector<int>& shown)
        : PageBase(chain, {IDD_OPTION_HUB, "", "", ""}, PageRole::Plain, {}, owner, IDD_NAV_PAGE5),
          order_(order), shown_(shown) {}
protected:
    void initPage() override {
        ui::Dialog* fileList = owner();
        size_t i = 0;
        while (true) {
            hub().back_requested = 0;
            auto page = chain().pages.make(pages::kHubPages[order_[i]], chain(), fileList);
            shown_.push_back(order_[i]);
            if (page->runModal() == ui::IdCancel) os::exitProcess(wizard::kExitCancelled);
            if (hub().back_requested) {
                if (i == 0) break;
                --i;
            } else {
                ++i;
            }
        }
        fileList->show();
        end(16);
    }
private:
    std::vector<int> order_;
    std::vector<int>& shown_;
};

TEST(NavigationHub, NextBackRefusalAndTheOutputLocationsSilentBack) {
    ExitTrap trap;
    Script script;
    CTestRoot root;
    PageSet pages(root, script);
    pages.put(IDD_PROJECT_START, PageRole::MainChain, IDD_NAV_PAGE1);
    pages.put(IDD_INSTALL_OPTIONS, PageRole::HubPage, IDD_NAV_PAGE2);
    pages.put(IDD_OUTPUT_LOCATION, PageRole::OutputLocation, IDD_NAV_PAGE3);
    pages.put(IDD_SUMMARY, PageRole::Summary, IDD_NAV_PAGE4);
    std::vector<int> shown;
    // The hub sits where the project start page's successor would be.
    root.chain().pages.replace(IDD_PRODUCT_INFO,
                               [&](wizard::Chain& c, ui::Dialog* owner) -> std::unique_ptr<ui::Dialog> {
                                   return std::make_unique<CTestHub>(c, owner, std::vector<int>{0, 7}, shown);
                               });
    ui::Scenario s = ui::Scenario::parse(
        "on dialog IDD_NAV_ROOT: click IDC_NAV_NEXT\n"
        "on dialog IDD_NAV_PAGE1: click IDC_NAV_NEXT\n"
        "on dialog IDD_NAV_PAGE2: click IDC_NAV_NEXT\n" // installation options: Next
        "on dialog IDD_NAV_PAGE3: click IDC_NAV_NEXT\n" // output location: Next runs the summary
        "on dialog IDD_NAV_PAGE4");
    expectOwnerHidden(s, true);
    s.add("click IDC_NAV_BACK\n"            // summary Back shows the output location page
          "on dialog IDD_NAV_PAGE3");
    s.then([](ui::Dialog& d) { EXPECT_TRUE(d.isVisible()); });
    s.add("click IDC_NAV_BACK\n"            // output location Back: store(0), back to 902
          "on dialog IDD_NAV_PAGE2: click IDC_NAV_BACK\n" // Back from the first hub page: to 901
          "on dialog IDD_NAV_PAGE1: answer message yes\nclick IDC_NAV_CANCEL");
    ui::ScenarioRun run(std::move(s));
    EXPECT_EQ(runExpectingExit(root), 0);
    run.finish();
    const std::vector<std::string> want = {
        "CProjectStartDlg init",        "CProjectStartDlg store 1",
        "CInstallOptionsDlg init",      "CInstallOptionsDlg store 1",
        "COutputLocationDlg init",      "COutputLocationDlg store 1",
        "CSummaryDlg init",             "COutputLocationDlg store 0",
        "CInstallOptionsDlg init",      "CInstallOptionsDlg store 1"};
    EXPECT_EQ(script.log, want);
    EXPECT_EQ(shown, (std::vector<int>{0, 7, 0}));
}

TEST(NavigationHub, RefusedStoreKeepsAHubPageOnNextAndOnBack) {
    ExitTrap trap;
    Script script;
    script.storeResult[IDD_SHORTCUTS] = -1;
    // The root runs the page when it first paints, as the hub runs its pages.
    int result = 0;
    class CRunner : public CTestRoot {
    public:
        explicit CRunner(int& r) : result_(r) {}
    protected:
        void onPaint() override {
            if (ran_) return;
            ran_ = true;
            result_ = chain().pages.make(IDD_SHORTCUTS, chain(), this)->runModal();
        }
    private:
        int& result_;
        bool ran_ = false;
    } runner(result);
    PageSet pages(runner, script);
    pages.put(IDD_SHORTCUTS, PageRole::HubPage, IDD_NAV_PAGE2);
    ui::ScenarioRun run(ui::Scenario::parse(
        "on dialog IDD_NAV_PAGE2: click IDC_NAV_NEXT ; click IDC_NAV_BACK\n" // both refused: the page stays
        "expect visible IDC_NAV_NEXT 1\n"
        "answer message yes ; esc\n"
        "on dialog IDD_NAV_ROOT: answer message yes ; esc"));
    EXPECT_EQ(runner.runModal(), ui::IdCancel);
    run.finish();
    EXPECT_EQ(result, ui::IdCancel);
    EXPECT_EQ(runner.chain().hub.back_requested, 0);
    const std::vector<std::string> want = {"CShortcutsDlg init", "CShortcutsDlg store 1",
                                           "CShortcutsDlg store 1"};
    EXPECT_EQ(script.log, want);
}

TEST(NavigationFatal, CodesShowTheirTextAndEndWithTheirExitCodes) {
    struct Case {
        int dialog;
        bool inInit;
        const char* code;
        int exitCode;   // -1: the run goes on
    } cases[] = {
        {IDD_PROJECT_START, true, "p1 2 1", 1},
        {IDD_PROJECT_START, false, "p1 2 2", -1},   // the loader's code continues
        {IDD_PRODUCT_INFO, true, "p1 3 1", 0},      // exits with 0
        {IDD_PRODUCT_INFO, false, "p1 3 2", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        ExitTrap trap;
        Script script;
        (c.inInit ? script.throwInInit : script.throwInStore)[c.dialog] = true;
        CTestRoot root;
        PageSet pages(root, script);
        pages.put(IDD_PROJECT_START, PageRole::MainChain, IDD_NAV_PAGE1);
        pages.put(IDD_PRODUCT_INFO, PageRole::MainChain, IDD_NAV_PAGE2);
        std::string steps = "on dialog IDD_NAV_ROOT: click IDC_NAV_NEXT\n";
        if (c.dialog == IDD_PRODUCT_INFO) steps += "on dialog IDD_NAV_PAGE1: click IDC_NAV_NEXT\n";
        if (!c.inInit) steps += "on dialog " + std::to_string(c.dialog == IDD_PROJECT_START ? 901 : 902) + ": click IDC_NAV_NEXT\n";
        steps += std::string("expect message ") + c.code + "\nexpect caption Tarnwick\n";
        if (c.exitCode == -1) steps += "on dialog IDD_NAV_PAGE1: answer message yes ; esc\n";
        ui::ScenarioRun run(ui::Scenario::parse(steps));
        EXPECT_EQ(runExpectingExit(root), c.exitCode == -1 ? 0 : c.exitCode);
        run.finish();
    }
}

// Every page the list makes runs on its own dialog template with the buttons
// it navigates by; every page template Tarnwick carries has its page in the
// list (a template without one would be a page lost from the chain).
TEST(PageList, EveryListedPageMatchesItsTemplateAndEveryTemplateHasItsPage) {
    const ui::res::ResourceSet& res = ui::res::resources();
    wizard::Chain chain(pages::pageList());
    for (const wizard::PageRow& row : chain.pages.rows()) {
        SCOPED_TRACE(row.title);
        const auto t = res.dialogs.find(row.dialog);
        ASSERT_NE(t, res.dialogs.end()) << "no template " << row.dialog;
        std::unique_ptr<ui::Dialog> page = chain.pages.make(row.dialog, chain);
        if (!page) continue;
        EXPECT_EQ(page->templateId(), row.dialog);
        EXPECT_EQ(t->second.caption, "Bundlewright");
        auto* base = dynamic_cast<wizard::PageBase*>(page.get());
        ASSERT_NE(base, nullptr);
        EXPECT_EQ(base->info().dialog, row.dialog);
        auto hasControl = [&](int id) {
            for (const auto& c : t->second.controls)
                if (c.id == id) return true;
            return false;
        };
        const wizard::PageButtons& b = base->buttons();
        for (int id : {b.next, b.back, b.cancel, b.help}) {
            if (id) {
                EXPECT_TRUE(hasControl(id)) << "dialog " << row.dialog << " has no button " << id;
            }
        }
        if (base->info().helpPage[0]) {
            EXPECT_NE(b.help, 0) << "a help page but no Help button";
        }
    }
    // Only the pages their own callers make have no factory; any other row
    // without one would be a page lost from the chain.
    for (const wizard::PageRow& row : chain.pages.rows()) {
        const bool madeElsewhere = row.dialog == IDD_WELCOME || row.dialog == IDD_FINISH ||
                                   row.dialog == IDD_REGISTRY_KEY || row.dialog == IDD_SPLASH;
        EXPECT_EQ(static_cast<bool>(row.make), !madeElsewhere) << row.title;
    }
}

TEST(PageList, TheChainAndTheHubRunInTheirOrderAndAStandInReplacesARow) {
    wizard::PageList list = pages::pageList();
    std::vector<int> chain;
    for (int d = list.next(IDD_WELCOME); d; d = list.next(d)) chain.push_back(d);
    EXPECT_EQ(chain, (std::vector<int>{IDD_PROJECT_START, IDD_PRODUCT_INFO, IDD_SOURCE_FOLDER, IDD_FILE_LIST,
                                       IDD_OPTION_HUB}));
    EXPECT_EQ(list.next(IDD_OUTPUT_LOCATION), IDD_SUMMARY);
    EXPECT_EQ(pages::kHubPages[0], IDD_INSTALL_OPTIONS);
    EXPECT_EQ(pages::kHubPages[pages::kHubPageCount - 1], IDD_OUTPUT_LOCATION);
    EXPECT_TRUE(list.has(IDD_SUMMARY));
    wizard::PageFactory old = list.replace(IDD_SUMMARY, nullptr);
    EXPECT_TRUE(old);
    EXPECT_FALSE(list.has(IDD_SUMMARY));
    wizard::Chain c(std::move(list));
    EXPECT_EQ(c.pages.make(IDD_SUMMARY, c), nullptr);
    EXPECT_EQ(c.pages.title(IDD_SUMMARY), "summary page");
}

}  // namespace
