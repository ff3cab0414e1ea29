// The page base on the headless host: Next, Back and Cancel on main-chain
// pages, hub pages, the output location page and the summary; owner hiding;
// the silent store on Back; the cancel question and exit codes; fatal codes
// with their two exceptions. Test pages stand on templates of their own and
// are put into the page table for the length of a test.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/os/os.h"
#include "platform/ui/prompter.h"
#include "platform/ui/resources.h"
#include "platform/ui/scenario.h"
#include "tests/unit/wizard/resources/resource.h"
#include "wizard/page_base.h"
#include "wizard/page_table.h"
#include "wizard/project_record.h"

namespace {

using wizard::PageRole;
using wizard::PageSlot;

const wizard::PageButtons kButtons{IDC_NAV_NEXT, IDC_NAV_BACK, IDC_NAV_CANCEL, IDC_NAV_HELP};

struct ExitTrap {
    ExitTrap() {
        os::setExitTrap(true);
        ui::setProgramName("Tarnwick");
    }
    ~ExitTrap() { os::setExitTrap(false); }
};

// What each test page does, by position, and what it saw.
struct Script {
    std::map<PageSlot, int> storeResult;       // default 0
    std::map<PageSlot, bool> throwInInit;
    std::map<PageSlot, bool> throwInStore;
    std::vector<std::string> log;
};

std::string slotName(PageSlot s) { return wizard::pageInfo(s).className; }

class CTestPage : public wizard::PageBase {
public:
    CTestPage(PageSlot slot, PageRole role, int tpl, ui::Dialog* owner, Script& script)
        : PageBase(slot, role, kButtons, owner, tpl), script_(script) {}
    int store(int interactive) override {
        script_.log.push_back(slotName(slot()) + " store " + std::to_string(interactive));
        if (script_.throwInStore[slot()]) throw std::runtime_error("store");
        return script_.storeResult[slot()];
    }
protected:
    void initPage() override {
        if (script_.throwInInit[slot()]) throw std::runtime_error("init");
        script_.log.push_back(slotName(slot()) + " init");
    }
    int focusControl() const override { return IDC_NAV_NAME; }
private:
    Script& script_;
};

// The record at the root of the chain, standing where the welcome page stands.
class CTestRoot : public wizard::PageBase, public wizard::ProjectRecord {
public:
    CTestRoot() : PageBase(PageSlot::Welcome, PageRole::Welcome, kButtons, nullptr, IDD_NAV_ROOT) {}
protected:
    void onNext() override {
        hide();
        if (!runNextPage(PageSlot::ProjectStart)) show();
    }
};

// A page table of test pages: main chain 901..905 for the five positions
// after the root, the hub's pages and the summary as asked.
class PageSet {
public:
    explicit PageSet(Script& script) : script_(script) {}
    void put(PageSlot slot, PageRole role, int tpl) {
        Script* s = &script_;
        overrides_.push_back(std::make_unique<wizard::PageOverride>(
            slot, [=](ui::Dialog* owner) -> std::unique_ptr<ui::Dialog> {
                return std::make_unique<CTestPage>(slot, role, tpl, owner, *s);
            }));
    }
private:
    Script& script_;
    std::vector<std::unique_ptr<wizard::PageOverride>> overrides_;
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
    PageSet pages(script);
    pages.put(PageSlot::ProjectStart, PageRole::MainChain, IDD_NAV_PAGE1);
    pages.put(PageSlot::ProductInfo, PageRole::MainChain, IDD_NAV_PAGE2);
    CTestRoot root;
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
    script.storeResult[PageSlot::ProjectStart] = -1;
    PageSet pages(script);
    pages.put(PageSlot::ProjectStart, PageRole::MainChain, IDD_NAV_PAGE1);
    pages.put(PageSlot::ProductInfo, PageRole::MainChain, IDD_NAV_PAGE2);
    CTestRoot root;
    root.project_start_done = wizard::kDone;
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
    PageSet pages(script);
    pages.put(PageSlot::ProjectStart, PageRole::MainChain, IDD_NAV_PAGE1);
    pages.put(PageSlot::ProductInfo, PageRole::MainChain, IDD_NAV_PAGE2);
    pages.put(PageSlot::SourceFolder, PageRole::MainChain, IDD_NAV_PAGE3);
    pages.put(PageSlot::FileList, PageRole::MainChain, IDD_NAV_PAGE4);
    // No hub: Next stores, hides the file list page and shows it again.
    wizard::PageOverride noHub(PageSlot::OptionHub, nullptr);
    CTestRoot root;
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
class CTestHub : public wizard::PageBase, public wizard::HubState {
public:
    CTestHub(ui::Dialog* owner, std::vector<int> order, std::vector<int>& shown)
        : PageBase(PageSlot::OptionHub, PageRole::Plain, {}, owner, IDD_NAV_PAGE5),
          order_(order), shown_(shown) {}
protected:
    void initPage() override {
        ui::Dialog* fileList = owner();
        size_t i = 0;
        std::vector<size_t> history;
        while (true) {
            back_requested = 0;
            auto page = wizard::createPage(wizard::hubSlot(order_[i]), fileList);
            static_cast<wizard::PageBase&>(*page).attachHub(*this, record());
            shown_.push_back(order_[i]);
            if (page->runModal() == ui::IdCancel) os::exitProcess(wizard::kExitCancelled);
            if (back_requested) {
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
    PageSet pages(script);
    pages.put(PageSlot::ProjectStart, PageRole::MainChain, IDD_NAV_PAGE1);
    pages.put(PageSlot::InstallOptions, PageRole::HubPage, IDD_NAV_PAGE2);
    pages.put(PageSlot::OutputLocation, PageRole::OutputLocation, IDD_NAV_PAGE3);
    pages.put(PageSlot::Summary, PageRole::Summary, IDD_NAV_PAGE4);
    std::vector<int> shown;
    wizard::PageOverride hub(PageSlot::FileList, [&](ui::Dialog* owner) -> std::unique_ptr<ui::Dialog> {
        return std::make_unique<CTestHub>(owner, std::vector<int>{0, 7}, shown);
    });
    // The hub sits where the project start page's successor would be: put it
    // after ProductInfo by making ProjectStart's next (ProductInfo) the hub.
    wizard::PageOverride viaHub(PageSlot::ProductInfo, [](ui::Dialog* owner) -> std::unique_ptr<ui::Dialog> {
        return wizard::createPage(PageSlot::FileList, owner);
    });
    CTestRoot root;
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
    script.storeResult[PageSlot::Shortcuts] = -1;
    PageSet pages(script);
    pages.put(PageSlot::Shortcuts, PageRole::HubPage, IDD_NAV_PAGE2);
    wizard::HubState hub;
    // The root runs the page when it first paints, as the hub runs its pages.
    int result = 0;
    class CRunner : public CTestRoot {
    public:
        CRunner(wizard::HubState& h, int& r) : hub_(h), result_(r) {}
    protected:
        void onPaint() override {
            if (ran_) return;
            ran_ = true;
            auto page = wizard::createPage(PageSlot::Shortcuts, this);
            static_cast<wizard::PageBase&>(*page).attachHub(hub_, *this);
            result_ = page->runModal();
        }
    private:
        wizard::HubState& hub_;
        int& result_;
        bool ran_ = false;
    } runner(hub, result);
    ui::ScenarioRun run(ui::Scenario::parse(
        "on dialog IDD_NAV_PAGE2: click IDC_NAV_NEXT ; click IDC_NAV_BACK\n" // both refused: the page stays
        "expect visible IDC_NAV_NEXT 1\n"
        "answer message yes ; esc\n"
        "on dialog IDD_NAV_ROOT: answer message yes ; esc"));
    EXPECT_EQ(runner.runModal(), ui::IdCancel);
    run.finish();
    EXPECT_EQ(result, ui::IdCancel);
    EXPECT_EQ(hub.back_requested, 0);
    const std::vector<std::string> want = {"CShortcutsDlg init", "CShortcutsDlg store 1",
                                           "CShortcutsDlg store 1"};
    EXPECT_EQ(script.log, want);
}

TEST(NavigationFatal, CodesShowTheirTextAndEndWithTheirExitCodes) {
    struct Case {
        PageSlot slot;
        bool inInit;
        const char* code;
        int exitCode;   // -1: the run goes on
    } cases[] = {
        {PageSlot::ProjectStart, true, "p1 2 1", 1},
        {PageSlot::ProjectStart, false, "p1 2 2", -1},   // the loader's code continues
        {PageSlot::ProductInfo, true, "p1 3 1", 0},      // exits with 0
        {PageSlot::ProductInfo, false, "p1 3 2", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        ExitTrap trap;
        Script script;
        (c.inInit ? script.throwInInit : script.throwInStore)[c.slot] = true;
        PageSet pages(script);
        pages.put(PageSlot::ProjectStart, PageRole::MainChain, IDD_NAV_PAGE1);
        pages.put(PageSlot::ProductInfo, PageRole::MainChain, IDD_NAV_PAGE2);
        CTestRoot root;
        std::string steps = "on dialog IDD_NAV_ROOT: click IDC_NAV_NEXT\n";
        if (c.slot == PageSlot::ProductInfo) steps += "on dialog IDD_NAV_PAGE1: click IDC_NAV_NEXT\n";
        if (!c.inInit) steps += "on dialog " + std::to_string(wizard::pageInfo(c.slot).resource == 166 ? 901 : 902) + ": click IDC_NAV_NEXT\n";
        steps += std::string("expect message ") + c.code + "\nexpect caption Tarnwick\n";
        if (c.exitCode == -1) steps += "on dialog IDD_NAV_PAGE1: answer message yes ; esc\n";
        ui::ScenarioRun run(ui::Scenario::parse(steps));
        EXPECT_EQ(runExpectingExit(root), c.exitCode == -1 ? 0 : c.exitCode);
        run.finish();
    }
}

TEST(NavigationFatal, APageWithoutTheRecordEndsWithItsInitCode) {
    ExitTrap trap;
    Script script;
    CTestPage lonely(PageSlot::SourceFolder, PageRole::MainChain, IDD_NAV_PAGE3, nullptr, script);
    ui::ScenarioRun run(ui::Scenario::parse("expect message p1 4 1"));
    EXPECT_EQ(runExpectingExit(lonely), wizard::kExitFatal);
    run.finish();
    EXPECT_TRUE(script.log.empty());
}

// Every page the list makes runs on its own dialog template with the buttons
// it navigates by; every page template Tarnwick carries has its page in the
// list (a template without one would be a page lost from the chain).
TEST(PageTable, EveryListedPageMatchesItsTemplateAndEveryTemplateHasItsPage) {
    const ui::res::ResourceSet& res = ui::res::resources();
    for (int i = 0; i < static_cast<int>(PageSlot::Count); ++i) {
        const PageSlot slot = static_cast<PageSlot>(i);
        const wizard::PageInfo& info = wizard::pageInfo(slot);
        SCOPED_TRACE(info.className);
        const auto t = res.dialogs.find(info.resource);
        const bool madeByWelcome = slot == PageSlot::Welcome || slot == PageSlot::Splash;
        if (t != res.dialogs.end() && !madeByWelcome) {
            EXPECT_TRUE(wizard::listsPage(slot)) << "dialog " << info.resource << " has no page in the list";
        }
        std::unique_ptr<ui::Dialog> page = wizard::makeListedPage(slot, nullptr);
        if (!page) continue;
        ASSERT_NE(t, res.dialogs.end()) << "no template " << info.resource;
        EXPECT_EQ(page->templateId(), info.resource);
        EXPECT_EQ(t->second.caption, "Bundlewright");
        auto* base = dynamic_cast<wizard::PageBase*>(page.get());
        ASSERT_NE(base, nullptr);
        auto hasControl = [&](int id) {
            for (const auto& c : t->second.controls)
                if (c.id == id) return true;
            return false;
        };
        const wizard::PageButtons& b = base->buttons();
        for (int id : {b.next, b.back, b.cancel, b.help}) {
            if (id) {
                EXPECT_TRUE(hasControl(id)) << "dialog " << info.resource << " has no button " << id;
            }
        }
        if (info.helpPage[0]) {
            EXPECT_NE(b.help, 0) << "a help page but no Help button";
        }
    }
}

TEST(PageTable, TheChainAndTheHubRunInTheirOrder) {
    std::vector<PageSlot> chain;
    for (PageSlot s = PageSlot::ProjectStart; s != PageSlot::Count; s = wizard::nextSlot(s)) chain.push_back(s);
    EXPECT_EQ(chain, (std::vector<PageSlot>{PageSlot::ProjectStart, PageSlot::ProductInfo, PageSlot::SourceFolder,
                                            PageSlot::FileList, PageSlot::OptionHub}));
    EXPECT_EQ(wizard::nextSlot(PageSlot::OutputLocation), PageSlot::Summary);
    EXPECT_EQ(wizard::nextSlot(PageSlot::Summary), PageSlot::Finish);
    EXPECT_EQ(wizard::hubSlot(0), PageSlot::InstallOptions);
    EXPECT_EQ(wizard::hubSlot(wizard::kHubPageCount - 1), PageSlot::OutputLocation);
    EXPECT_THROW(wizard::hubSlot(wizard::kHubPageCount), std::out_of_range);
    EXPECT_THROW(wizard::hubSlot(-1), std::out_of_range);
    {
        wizard::PageOverride none(PageSlot::Finish, nullptr);
        EXPECT_FALSE(wizard::hasPage(PageSlot::Finish));
        EXPECT_EQ(wizard::createPage(PageSlot::Finish), nullptr);
    }
    EXPECT_TRUE(wizard::hasPage(PageSlot::Finish)) << "the override ends with its scope";
}

}  // namespace
