// The welcome page and the splash on the headless host: the start-up order
// (installation folder, browser, paths, launch mode, splash, panel flags),
// M1 and exit code 1, Next into the chain, Cancel, Help with a stand-in
// browser, Configure through the page table, the splash picture and its timer.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "platform/os/os.h"
#include "platform/os/registry.h"
#include "platform/ui/prompter.h"
#include "platform/ui/scenario.h"
#include "resources/tarnwick/resource.h"
#include "tests/unit/wizard/resources/resource.h"
#include "tests/support/test_folder.h"
#include "wizard/page_base.h"
#include "pages/page_list.h"
#include "wizard/splash_dlg.h"
#include "wizard/startup.h"
#include "wizard/tarnwick_dlg.h"
#include "tests/support/host_path.h"
#include "tests/unit/wizard/jpeg_writer.h"

namespace {


struct ExitTrap {
    ExitTrap() {
        os::setExitTrap(true);
        ui::setProgramName("Tarnwick");
    }
    ~ExitTrap() { os::setExitTrap(false); }
};

// Sets TWKINSTDIR for one test and takes it away again.
class InstallDirVariable {
public:
    explicit InstallDirVariable(const std::string* value) {
        had_ = os::getEnv(wizard::kInstallDirVariable, old_);
        if (value) os::setEnv(wizard::kInstallDirVariable, *value);
        else os::unsetEnv(wizard::kInstallDirVariable);
    }
    ~InstallDirVariable() {
        if (had_) os::setEnv(wizard::kInstallDirVariable, old_);
        else os::unsetEnv(wizard::kInstallDirVariable);
    }
private:
    bool had_ = false;
    std::string old_;
};

// The welcome page with a record the tests can read after the run.
class Installation {
public:
    Installation() {
        os::createDirectories(dir.path() + "\\bin");
        os::createDirectories(dir.path() + "\\image");
    }
    bwtest::TestFolder dir;
};

TEST(WelcomeStart, FillsTheRecordInOrderAndCreatesConfigMnu) {
    ExitTrap trap;
    Installation inst;
    const std::string root = inst.dir.path();
    InstallDirVariable var(&root);
#ifndef _WIN32
    os::setCommandLine("\"C:\\Tw\\bin\\Tarnwick.exe\" D:\\Projects\\demo.wzp");
#endif
    wizard::CTarnwickDlg dlg(pages::pageList(), nullptr, wizard::runSplashWindow);
    dlg.chain().pages.replace(IDD_PANEL_CONFIG, nullptr);
    ui::ScenarioRun run(ui::Scenario::parse(
        "on dialog IDD_SPLASH\n"            // the splash first; its timer closes it
        "on dialog IDD_WELCOME\n"
        "expect enabled IDC_WELCOME_CONFIGURE 0\n" // no panel configuration page
        "answer message no ; click IDC_WELCOME_CANCEL\n" // Cancel asks; No stays
        "answer message yes ; esc\n"));     // Esc asks too; Yes ends the run
    EXPECT_EQ(dlg.runModal(), ui::IdCancel);
    run.finish();
    EXPECT_EQ(dlg.record().install_dir, root);
    EXPECT_EQ(dlg.record().list_file_path, root + "\\temp\\list.txt");
    EXPECT_EQ(dlg.record().registry_file_path, root + "\\temp\\registry.txt");
    EXPECT_EQ(dlg.record().shortcuts_file_path, root + "\\temp\\shortcuts.txt");
    EXPECT_EQ(dlg.record().option_file_path, root + "\\temp\\option.txt");
    EXPECT_EQ(dlg.record().panel_config_path, root + "\\bin\\config.mnu");
    EXPECT_EQ(dlg.record().lang_dir, root + "\\lang\\");
#ifndef _WIN32
    EXPECT_EQ(dlg.record().project_opened, 1);
    EXPECT_EQ(dlg.record().launch_project_path, "D:\\Projects\\demo.wzp");
#endif
    EXPECT_EQ(bwtest::TestFolder::read(root + "\\bin\\config.mnu"), "1011000");
    EXPECT_EQ(std::vector<int>(dlg.record().panel_flags, dlg.record().panel_flags + 7), (std::vector<int>{1, 0, 1, 1, 0, 0, 0}));
    ASSERT_EQ(run.messages().size(), 2u);
    EXPECT_EQ(run.messages()[0].text, wizard::kCancelQuestion);
    EXPECT_EQ(run.messages()[0].icon, ui::Icon::Question);
    EXPECT_EQ(run.messages()[1].ownerDialog, 102);
}

// The scenario Tarnwick.exe runs under Wine, here on the headless host.
TEST(WelcomeStart, TheSharedStartScenarioPasses) {
    ExitTrap trap;
    Installation inst;
    const std::string root = inst.dir.path();
    InstallDirVariable var(&root);
    const std::string path = bwtest::buildPath("BW_SOURCE_DIR", "tests/scenarios/tarnwick_welcome_cancel.scn");
    ASSERT_FALSE(path.empty());
    wizard::CTarnwickDlg dlg(pages::pageList(), nullptr, wizard::runSplashWindow);
    ui::ScenarioRun run(ui::Scenario::load(path));
    EXPECT_EQ(dlg.runModal(), ui::IdCancel);
    run.finish();
}

// Minimised, the page draws the program's icon centred in its client area
// and gives Next the focus back; restored, it paints as usual. (Real windows
// are not painted while minimised: there only the state is checked.)
TEST(WelcomePaint, MinimisedItDrawsTheIconCentredAndFocusesNext) {
    ExitTrap trap;
    Installation inst;
    const std::string root = inst.dir.path();
    InstallDirVariable var(&root);
    wizard::CTarnwickDlg dlg(pages::pageList(), nullptr, wizard::runSplashWindow);
    ui::Scenario s = ui::Scenario::parse("on dialog IDD_SPLASH\non dialog IDD_WELCOME");
    s.then([&](ui::Dialog& d) {
        d.focus(1001);   // Cancel
        d.minimize(true);
        d.updateWindow();
        EXPECT_TRUE(d.isMinimized());
#ifndef BW_UI_WIN32_HOST
        const ui::Dialog::Size client = d.clientSize(), icon = d.iconSize();
        ASSERT_NE(dlg.iconDrawnAt(), nullptr);
        EXPECT_EQ(dlg.iconDrawnAt()->x, (client.width - icon.width + 1) / 2);
        EXPECT_EQ(dlg.iconDrawnAt()->y, (client.height - icon.height + 1) / 2);
        EXPECT_EQ(d.focused(), 1000);   // Next
#endif
        d.minimize(false);
        d.updateWindow();
        EXPECT_FALSE(d.isMinimized());
        EXPECT_EQ(dlg.iconDrawnAt(), nullptr);
    });
    s.add("answer message yes ; esc");
    ui::ScenarioRun run(std::move(s));
    EXPECT_EQ(dlg.runModal(), ui::IdCancel);
    run.finish();
}

TEST(WelcomeStart, ReadsTheFlagsConfigMnuHolds) {
    ExitTrap trap;
    Installation inst;
    const std::string root = inst.dir.path();
    InstallDirVariable var(&root);
    bwtest::TestFolder::write(root + "\\bin\\config.mnu", "01x1101extra");
    wizard::CTarnwickDlg dlg(pages::pageList(), nullptr, wizard::runSplashWindow);
    ui::ScenarioRun run(ui::Scenario::parse("on dialog IDD_WELCOME: answer message yes ; esc"));
    EXPECT_EQ(dlg.runModal(), ui::IdCancel);
    run.finish();
    EXPECT_EQ(std::vector<int>(dlg.record().panel_flags, dlg.record().panel_flags + 7), (std::vector<int>{0, 1, 0, 1, 1, 0, 1}));
    EXPECT_EQ(bwtest::TestFolder::read(root + "\\bin\\config.mnu"), "01x1101extra");
}

// Registers `browser` as the command of the class BwTestTarnwick.Page, presses
// Help on the welcome page and returns what the browser recorded in `record`.
std::string pressHelp(const std::string& browser, const std::string& record) {
    EXPECT_TRUE(os::RegKey::create(os::RegRoot::ClassesRoot, "BwTestTarnwick.Page\\shell\\open\\command")
                    .set("", os::RegValue::string("\"" + browser + "\" -nohome \"%1\"")));
    {
        wizard::CTarnwickDlg dlg(pages::pageList(), nullptr, wizard::runSplashWindow);
        ui::ScenarioRun run(ui::Scenario::parse("on dialog IDD_WELCOME: click IDC_WELCOME_HELP ; answer message yes ; esc"));
        EXPECT_EQ(dlg.runModal(), ui::IdCancel);
        run.finish();
        EXPECT_EQ(dlg.record().browser_path, browser);
    }
    std::string got;
    for (int i = 0; i < 100 && got.empty(); ++i) {
        os::sleepMs(50);
        got = bwtest::TestFolder::read(record);
    }
    return got;
}

#ifndef _WIN32
// The system's Environment key and the .html class live in the emulated
// registry natively; under Wine they belong to the whole prefix.
// Without a usable installation folder the start shows one message (caption
// "Bundlewright", OK) and ends with 1 before the splash or any page.
void expectRefusedStart(const std::string* dir, const std::string& message) {
    InstallDirVariable var(dir);
    wizard::CTarnwickDlg dlg(pages::pageList(), nullptr, wizard::runSplashWindow);
    ui::ScenarioRun run(ui::Scenario::parse("expect message \"" + message + "\"\nexpect caption Bundlewright"));
    try {
        dlg.runModal();
        ADD_FAILURE() << "the run must end";
    } catch (const os::ExitRequest& e) {
        EXPECT_EQ(e.code, 1);
    }
    run.finish();
    ASSERT_EQ(run.messages().size(), 1u);
    EXPECT_EQ(run.messages()[0].buttons, ui::Buttons::Ok);
}

TEST(WelcomeStart, NoInstallationFolderShowsM1AndExitsWithOne) {
    ExitTrap trap;
    os::resetEmulatedRegistry();
    expectRefusedStart(nullptr, wizard::kInstallDirMissing);
}

// A folder whose working paths would not fit their slots is refused before
// anything is read or written; the longest that fits is taken.
TEST(WelcomeStart, AnInstallationFolderTooLongForItsWorkingPathsIsRefused) {
    ExitTrap trap;
    const std::string fits = "C:\\" + std::string(wizard::kInstallDirMaxChars - 3, 'a');
    ASSERT_EQ(wizard::workingPaths(fits).shortcuts_file.size(), 259u);
    const std::string tooLong = fits + "b";
    expectRefusedStart(&tooLong, wizard::installDirTooLongMessage(tooLong));
}

TEST(WelcomeStart, EnvironmentWinsOverTheRegistryWhichStandsIn) {
    ExitTrap trap;
    os::resetEmulatedRegistry();
    Installation inst;
    const std::string fromEnv = inst.dir.path();
    const std::string fromRegistry = inst.dir.path() + "\\reg";
    os::createDirectories(fromRegistry + "\\bin");
    ASSERT_TRUE(os::RegKey::create(os::RegRoot::LocalMachine, wizard::kSystemEnvironmentKey)
                    .set(wizard::kInstallDirVariable, os::RegValue::string(fromRegistry)));
    for (const std::string* env : {&fromEnv, static_cast<const std::string*>(nullptr)}) {
        InstallDirVariable var(env);
        wizard::CTarnwickDlg dlg(pages::pageList(), nullptr, wizard::runSplashWindow);
        ui::ScenarioRun run(ui::Scenario::parse("on dialog IDD_WELCOME: answer message yes ; esc"));
        EXPECT_EQ(dlg.runModal(), ui::IdCancel);
        run.finish();
        EXPECT_EQ(dlg.record().install_dir, env ? fromEnv : fromRegistry);
    }
    os::resetEmulatedRegistry();
}

TEST(WelcomeHelp, StartsTheRegisteredBrowserWithThePage) {
    ExitTrap trap;
    os::resetEmulatedRegistry();
    Installation inst;
    const std::string root = inst.dir.path();
    InstallDirVariable var(&root);
    const std::string browser = inst.dir.file("browse.exe");
    const std::string record = os::hostPath(inst.dir.file("args.txt"));
    bwtest::TestFolder::write(browser, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + record + ".part'\nmv '" +
                                           record + ".part' '" + record + "'\n");
    ASSERT_EQ(::chmod(os::hostPath(browser).c_str(), 0755), 0);
    ASSERT_TRUE(os::RegKey::create(os::RegRoot::ClassesRoot, ".htm")
                    .set("", os::RegValue::string("BwTestTarnwick.Page")));
    const std::string got = pressHelp(browser, inst.dir.file("args.txt"));
    // Three blanks and an unquoted path: the browser sees the page as one word here.
    EXPECT_EQ(got, root + "\\help\\Bundlewright.html\n");
    os::resetEmulatedRegistry();
}
#endif

#ifdef BW_STANDIN_BROWSER
// Under Wine: the real registry names a stand-in as the .html browser, and
// Help starts it with three blanks and the unquoted page.
TEST(WelcomeHelp, StartsTheRegisteredBrowserUnderWine) {
    ExitTrap trap;
    Installation inst;
    const std::string root = inst.dir.path();
    InstallDirVariable var(&root);
    const std::string browser = bwtest::hostPath(BW_STANDIN_BROWSER);
    const std::string record = inst.dir.file("args.txt");
    os::setEnv("BW_STANDIN_RECORD", record);
    // The class of ".html" is ours for the test, then what it was.
    os::RegKey html = os::RegKey::create(os::RegRoot::ClassesRoot, ".html");
    ASSERT_TRUE(html.valid());
    os::RegValue before;
    const bool hadClass = html.query("", before);
    ASSERT_TRUE(html.set("", os::RegValue::string("BwTestTarnwick.Page")));
    const std::string got = pressHelp(browser, record);
    if (hadClass) html.set("", before);
    else html.deleteValue("");
    for (const char* k : {"BwTestTarnwick.Page\\shell\\open\\command", "BwTestTarnwick.Page\\shell\\open",
                          "BwTestTarnwick.Page\\shell", "BwTestTarnwick.Page"}) {
        std::string key = k, parent = key.find('\\') == std::string::npos ? "" : key.substr(0, key.rfind('\\'));
        os::RegKey::open(os::RegRoot::ClassesRoot, parent).deleteSubKey(key.substr(key.rfind('\\') + 1));
    }
    os::unsetEnv("BW_STANDIN_RECORD");
    EXPECT_EQ(got, "\"" + browser + "\"   " + root + "\\help\\Bundlewright.html");
}
#endif

// A page standing at a dialog of the page list, recording that it ran.
class CStandIn : public wizard::PageBase {
public:
    CStandIn(wizard::Chain& chain, const char* name, int tpl, ui::Dialog* owner, std::vector<std::string>& log)
        : PageBase(chain, {tpl, "", "", ""}, wizard::PageRole::MainChain,
                   {IDC_NAV_NEXT, IDC_NAV_BACK, IDC_NAV_CANCEL, IDC_NAV_HELP}, owner),
          name_(name),
          log_(log) {}
protected:
    void initPage() override {
        log_.push_back(name_ + " owner " +
                       std::to_string(owner() ? owner()->templateId() : 0) +
                       (owner() && !owner()->isVisible() ? " hidden" : " visible"));
    }
private:
    std::string name_;
    std::vector<std::string>& log_;
};

TEST(WelcomeNext, RunsTheProjectStartPageAndACancelThereEndsWithZero) {
    ExitTrap trap;
    Installation inst;
    const std::string root = inst.dir.path();
    InstallDirVariable var(&root);
    std::vector<std::string> log;
    wizard::CTarnwickDlg dlg(pages::pageList(), nullptr, wizard::runSplashWindow);
    dlg.chain().pages.replace(IDD_PROJECT_START, [&](wizard::Chain& c, ui::Dialog* owner) -> std::unique_ptr<ui::Dialog> {
        return std::make_unique<CStandIn>(c, "CProjectStartDlg", IDD_NAV_PAGE1, owner, log);
    });
    ui::ScenarioRun run(ui::Scenario::parse(
        "on dialog IDD_WELCOME: click IDC_WELCOME_NEXT\n"
        "on dialog IDD_NAV_PAGE1: click IDC_NAV_BACK\n" // Back shows the welcome page again
        "on dialog IDD_WELCOME: expect visible IDC_WELCOME_NEXT 1\n"
        "click IDC_WELCOME_NEXT\n"
        "on dialog IDD_NAV_PAGE1: answer message yes ; esc"));
    try {
        dlg.runModal();
        ADD_FAILURE() << "a cancel on a later page ends the process";
    } catch (const os::ExitRequest& e) {
        EXPECT_EQ(e.code, 0);
    }
    run.finish();
    EXPECT_EQ(log, (std::vector<std::string>{"CProjectStartDlg owner 102 hidden",
                                             "CProjectStartDlg owner 102 hidden"}));
}

TEST(WelcomeNext, WithoutAProjectStartPageTheWelcomePageStays) {
    ExitTrap trap;
    Installation inst;
    const std::string root = inst.dir.path();
    InstallDirVariable var(&root);
    wizard::CTarnwickDlg dlg(pages::pageList(), nullptr, wizard::runSplashWindow);
    dlg.chain().pages.replace(IDD_PROJECT_START, nullptr);
    ui::Scenario steps = ui::Scenario::parse("on dialog IDD_WELCOME: click IDC_WELCOME_NEXT");
    steps.then([](ui::Dialog& d) {
        EXPECT_EQ(d.templateId(), 102);
        EXPECT_TRUE(d.isVisible());
    });
    steps.add("answer message yes ; esc");
    ui::ScenarioRun run(std::move(steps));
    EXPECT_EQ(dlg.runModal(), ui::IdCancel);
    run.finish();
}

TEST(WelcomeConfigure, RunsThePanelConfigurationWhenOneIsRegistered) {
    ExitTrap trap;
    Installation inst;
    const std::string root = inst.dir.path();
    InstallDirVariable var(&root);
    std::vector<std::string> log;
    wizard::CTarnwickDlg dlg(pages::pageList(), nullptr, wizard::runSplashWindow);
    dlg.chain().pages.replace(IDD_PANEL_CONFIG, [&](wizard::Chain& c, ui::Dialog* owner) -> std::unique_ptr<ui::Dialog> {
        return std::make_unique<CStandIn>(c, "CPanelConfigDlg", IDD_NAV_PAGE5, owner, log);
    });
    ui::ScenarioRun run(ui::Scenario::parse(
        "on dialog IDD_WELCOME: expect enabled IDC_WELCOME_CONFIGURE 1 ; click IDC_WELCOME_CONFIGURE\n"
        "on dialog IDD_NAV_PAGE5: click IDC_NAV_BACK\n"
        "on dialog IDD_WELCOME: answer message yes ; esc"));
    EXPECT_EQ(dlg.runModal(), ui::IdCancel);
    run.finish();
    ASSERT_EQ(log.size(), 1u);
}

TEST(Splash, PaintsTheConvertedPictureAndClosesOnItsTimer) {
    ExitTrap trap;
    Installation inst;
    bwtest::writeJpeg(inst.dir.path() + "\\image\\bundlewright.jpg", 8, 5);
    wizard::Chain chain;
    chain.record.install_dir = inst.dir.path();
    wizard::CSplashDlg splash(chain);
    ui::ScenarioRun run(ui::Scenario::parse("on dialog IDD_SPLASH\ntimer IDT_SPLASH_CLOSE\nexpect closed"));
    EXPECT_EQ(splash.runModal(), ui::IdCancel);
    run.finish();
    EXPECT_EQ(splash.loadResult(), wizard::DibLoad::Loaded);
    ASSERT_TRUE(splash.hasPicture());
    EXPECT_EQ(splash.picture().width, 8);
    EXPECT_EQ(splash.picture().height, 5);
    EXPECT_EQ(splash.picture().bitsPerPixel, 24);
    EXPECT_EQ(splash.picture().bits.size(), 24u * 5);    // 8 * 3 = 24 bytes a row, already aligned
    EXPECT_TRUE(splash.picture().palette.empty());
    EXPECT_EQ(bwtest::TestFolder::read(inst.dir.path() + "\\image\\bundlewright.bmp").substr(0, 2), "BM");
}

TEST(Splash, APictureOfTheClientSizeIsCopiedAnyOtherIsStretched) {
    ExitTrap trap;
    Installation inst;
    ui::Dialog::Size client;
    for (int pass = 0; pass < 2; ++pass) {
        const int w = pass ? client.width : 8, h = pass ? client.height : 5;
        bwtest::writeJpeg(inst.dir.path() + "\\image\\bundlewright.jpg", w, h);
        wizard::Chain chain;
    chain.record.install_dir = inst.dir.path();
    wizard::CSplashDlg splash(chain);
        ui::Scenario s = ui::Scenario::parse("on dialog IDD_SPLASH");
        s.then([&](ui::Dialog& d) { client = d.clientSize(); });
        s.add("timer IDT_SPLASH_CLOSE");
        ui::ScenarioRun run(std::move(s));
        EXPECT_EQ(splash.runModal(), ui::IdCancel);
        run.finish();
        ASSERT_GT(client.width, 8);
        EXPECT_EQ(splash.stretched(), pass == 0) << w << " x " << h;
    }
}

TEST(Splash, WithoutThePictureItStaysEmptyAndStillCloses) {
    ExitTrap trap;
    Installation inst;
    bwtest::TestFolder::write(inst.dir.path() + "\\image\\bundlewright.bmp", "BM old picture");
    wizard::Chain chain;
    chain.record.install_dir = inst.dir.path();
    wizard::CSplashDlg splash(chain);
    ui::ScenarioRun run(ui::Scenario::parse("on dialog IDD_SPLASH\ntimer IDT_SPLASH_CLOSE"));
    EXPECT_EQ(splash.runModal(), ui::IdCancel);
    run.finish();
    EXPECT_EQ(splash.loadResult(), wizard::DibLoad::NoPicture);
    EXPECT_FALSE(splash.hasPicture());
    EXPECT_TRUE(run.messages().empty());
}

TEST(Splash, PicturesTheFrameworkCannotDrawAreRefused) {
    wizard::DibPicture p;
    p.width = 3;
    p.height = 2;
    p.bits_per_pixel = 8;
    p.bits_offset = 40;
    p.palette.resize(2);
    p.palette[1] = {0x10, 0x20, 0x30, 0};
    p.dib.assign(40 + 4 * 2, 1);
    ui::Dib d;
    ASSERT_TRUE(wizard::toDib(p, d));
    EXPECT_EQ(d.bits.size(), 8u);
    ASSERT_EQ(d.palette.size(), 256u);
    EXPECT_EQ(d.palette[1], 0x102030u);
    p.dib.resize(40 + 7);                   // one byte short of the last row
    EXPECT_FALSE(wizard::toDib(p, d));
    p.dib.resize(48);
    p.bits_per_pixel = 4;
    EXPECT_FALSE(wizard::toDib(p, d));
}

}  // namespace

namespace {

// A splash window that cannot be made (here: a template the program does not
// carry) is the welcome page's message and exit code 0, on both hosts.
class CNoSplash : public wizard::CTarnwickDlg {
public:
    CNoSplash() : CTarnwickDlg(pages::pageList()) {}
protected:
    int runSplash() override {
        ui::Dialog missing(59999, this);
        return missing.runModal();
    }
};

TEST(WelcomeStart, ASplashThatCannotBeMadeIsSaidAndEndsWithZero) {
    ExitTrap trap;
    Installation inst;
    const std::string root = inst.dir.path();
    InstallDirVariable var(&root);
    CNoSplash dlg;
    ui::ScenarioRun run(ui::Scenario::parse("expect message " + std::string(wizard::kSplashMissing) +
                                            "\nexpect caption Bundlewright\n"));
    int code = -1;
    try {
        dlg.runModal();
    } catch (const os::ExitRequest& e) {
        code = e.code;
    }
    run.finish();
    EXPECT_EQ(code, 0);
}

}  // namespace
