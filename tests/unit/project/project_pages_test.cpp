// The project start and product information pages on the headless host:
// the radio rules, Browse, the store routines with their messages in both
// modes, the loader's outcomes seen from the page, the Back rules, and the
// run from the start of the chain to the source folder page.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "pages/page_list.h"
#include "platform/os/os.h"
#include "platform/ui/prompter.h"
#include "platform/ui/scenario.h"
#include "resources/tarnwick/resource.h"
#include "tests/unit/project/resources/resource.h"
#include "wizard/page_base.h"
#include "wizard/product_info_dlg.h"
#include "wizard/project_file.h"
#include "wizard/project_start_dlg.h"
#include "wizard/startup.h"
#include "wizard/splash_dlg.h"
#include "wizard/tarnwick_dlg.h"
#include "tests/support/host_path.h"
#include "tests/support/test_folder.h"

namespace fs = std::filesystem;
using wizard::PageRole;

namespace {

// The page after the product information page; it only shows that Next got there.
class CAfter : public wizard::PageBase {
public:
    CAfter(wizard::Chain& chain, ui::Dialog* owner)
        : PageBase(chain, {IDD_SOURCE_FOLDER, "", "", ""}, PageRole::MainChain,
                   {IDC_PP_NEXT, IDC_PP_BACK, IDC_PP_CANCEL, IDC_PP_HELP}, owner, IDD_PP_AFTER) {}
    int store(int) override { return 0; }
};

std::unique_ptr<ui::Dialog> after(wizard::Chain& c, ui::Dialog* owner) { return std::make_unique<CAfter>(c, owner); }

// Stands where the welcome page stands: holds the chain, Next runs the
// project start page, and the page after the product page is CAfter.
class CRoot : private wizard::ChainOwner, public wizard::PageBase {
public:
    CRoot()
        : ChainOwner(pages::pageList(), wizard::RunEnd::ExitProcess),
          PageBase(ownedChain_, {IDD_WELCOME, "", "", ""}, PageRole::Welcome,
                   {IDC_PP_NEXT, 0, IDC_PP_CANCEL, IDC_PP_HELP}, nullptr, IDD_PP_ROOT) {
        chain().pages.replace(IDD_SOURCE_FOLDER, after);
    }
protected:
    void onNext() override {
        hide();
        if (!runNextPage()) show();
    }
};

class ProjectPages : public ::testing::Test {
protected:
    void SetUp() override {
        os::setExitTrap(true);
        ui::setProgramName("Tarnwick");
        dir = fs::temp_directory_path() / bwtest::uniqueName("bw_pages_");
        fs::remove_all(dir);
        fs::create_directories(dir);
        root = std::make_unique<CRoot>();
    }
    void TearDown() override {
        os::setExitTrap(false);
        fs::remove_all(dir);
    }
    std::string win(const std::string& name) { return os::windowsPath((dir / name).string()); }
    void put(const std::string& name, const std::string& bytes) {
        std::ofstream(dir / name, std::ios::binary) << bytes;
    }

    // Runs the chain from the root under the scenario; the exit code when the
    // process was ended, -1 when the root closed normally.
    int run(ui::Scenario scenario, std::vector<ui::RecordedMessage>* messages = nullptr) {
        ui::ScenarioRun player(std::move(scenario));
        int code = -1;
        try {
            root->runModal();
        } catch (const os::ExitRequest& e) {
            code = e.code;
        }
        player.finish();
        if (messages) *messages = player.messages();
        return code;
    }
    int run(const std::string& text, std::vector<ui::RecordedMessage>* messages = nullptr) {
        return run(ui::Scenario::parse(text, "pages.scn"), messages);
    }

    // A saved project with the product texts of an earlier run.
    std::string savedProject() {
        auto r = std::make_unique<wizard::ProjectRecord>();
        r->company_name = "Acme";
        r->product_name = std::string(50, 'W');   // at the limit: filling the edit says nothing
        r->product_version = "2.0";
        r->description = "";          // written and read back as one blank
        r->comments = "Comment";
        r->copyright_notice = "(c) Acme";
        r->source_folder = "C:\\src";
        r->list_file_path = win("none.txt");
        for (int& f : r->panel_flags) f = 0;
        r->language_index = 1;
        const std::string path = win("saved.wzp");
        EXPECT_TRUE(wizard::writeProjectFile(*r, path));
        return path;
    }

    fs::path dir;
    std::unique_ptr<CRoot> root;
};

ui::Scenario& expectText(ui::Scenario& s, int id, const std::string& want) {
    return s.then([=](ui::Dialog& d) { EXPECT_EQ(d.text(id), want) << "dialog " << d.templateId() << " control " << id; });
}

const char kEnd[] = "\non dialog IDD_PP_ROOT: answer message yes ; esc";

}  // namespace

TEST_F(ProjectPages, NewProjectRunsOnToTheSourceFolderPageAndBack) {
    EXPECT_EQ(run(std::string(R"(
on dialog IDD_PP_ROOT: click IDC_PP_NEXT
on dialog IDD_PROJECT_START
expect checked IDC_PROJECT_NEW 1
expect checked IDC_PROJECT_OPEN 0
expect enabled IDC_PROJECT_NAME 1
expect enabled IDC_PROJECT_PATH 0
expect enabled IDC_PROJECT_BROWSE 0
click IDC_PROJECT_NEXT
expect message You must enter the project name
expect caption Bundlewright
set IDC_PROJECT_NAME MyProject ; click IDC_PROJECT_NEXT
on dialog IDD_PRODUCT_INFO
click IDC_PRODUCT_NEXT
expect message You must enter the company's name, product name and version
expect caption Bundlewright
set IDC_PRODUCT_COMPANY Acme ; set IDC_PRODUCT_NAME Widget ; set IDC_PRODUCT_VERSION 1.0
set IDC_PRODUCT_EMAIL sales@acme.co.uk ; click IDC_PRODUCT_NEXT
expect message Unrecognised Email-id format...
set IDC_PRODUCT_EMAIL sales@acme.com ; click IDC_PRODUCT_NEXT
on dialog IDD_PP_AFTER: click IDC_PP_BACK
on dialog IDD_PRODUCT_INFO: click IDC_PRODUCT_BACK
on dialog IDD_PROJECT_START: click IDC_PROJECT_BACK)") + kEnd), -1);
    EXPECT_EQ(root->record().project_opened, 0);
    EXPECT_EQ(root->record().launch_project_path, "MyProject");
    EXPECT_EQ(root->record().project_start_done, wizard::kDone);
    EXPECT_EQ(root->record().product_page_done, wizard::kDone);
    EXPECT_EQ(root->record().company_name, "Acme");
    EXPECT_EQ(root->record().product_name, "Widget");
    EXPECT_EQ(root->record().product_version, "1.0");
    EXPECT_EQ(root->record().email, "sales@acme.com");
}

TEST_F(ProjectPages, ProjectNamedOnTheCommandLineOpensAndFillsTheProductPage) {
    const std::string path = savedProject();
    root->record().project_opened = 1;
    root->record().launch_project_path = path;
    ui::Scenario s = ui::Scenario::parse(R"(
on dialog IDD_PP_ROOT: click IDC_PP_NEXT
on dialog IDD_PROJECT_START
expect checked IDC_PROJECT_OPEN 1
expect checked IDC_PROJECT_NEW 0
expect enabled IDC_PROJECT_NAME 0
expect enabled IDC_PROJECT_PATH 1
expect enabled IDC_PROJECT_BROWSE 1
expect text IDC_PROJECT_PATH )" + path + R"(
click IDC_PROJECT_NEXT
on dialog IDD_PRODUCT_INFO
expect text IDC_PRODUCT_COMPANY Acme
expect text IDC_PRODUCT_NAME )" + std::string(50, 'W') + R"(
expect text IDC_PRODUCT_VERSION 2.0
expect text IDC_PRODUCT_COMMENTS Comment
expect text IDC_PRODUCT_COPYRIGHT (c) Acme)");
    expectText(s, IDC_PRODUCT_EMAIL, "");     // the blank of an empty e-mail is not shown
    // Nor is an empty description's: it would reach the next package as " ".
    expectText(s, IDC_PRODUCT_DESCRIPTION, "");
    s.add("answer message yes ; esc");
    std::vector<ui::RecordedMessage> messages;
    EXPECT_EQ(run(std::move(s), &messages), 0);   // Cancel confirmed below the welcome page
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(root->record().project_opened, 1);
    EXPECT_EQ(root->record().source_folder, "C:\\src");
    EXPECT_EQ(root->record().language_index, 1);
    EXPECT_EQ(root->record().panel_flags[0], 0);
    EXPECT_EQ(root->record().product_page_done, 0);
}

// Project A's visit of the delivery options page, then project B opened in
// the same run: B's page state is B's, and A's working files are gone.
TEST_F(ProjectPages, OpeningAProjectDropsWhatTheProjectBeforeLeft) {
    const std::string path = savedProject();
    wizard::ProjectRecord& r = root->record();
    r.delivery_page_done = wizard::kDone;
    r.post_install_file = "C:\\A\\setup.exe";
    r.post_install_choice = 0;
    r.registry_page_done = wizard::kDone;
    r.registry_root[0] = "HKEY_LOCAL_MACHINE";
    r.registry_file_path = win("registry.txt");
    put("registry.txt", "*Default_Root`HKEY_CURRENT_USER\r\n");
    r.install_dir = "C:\\Inst";
    ui::Scenario s = ui::Scenario::parse("on dialog IDD_PP_ROOT: click IDC_PP_NEXT\n"
                                         "on dialog IDD_PROJECT_START: click IDC_PROJECT_OPEN\n");
    s.then([&](ui::Dialog& d) { d.setText(IDC_PROJECT_PATH, path); });
    s.add("click IDC_PROJECT_NEXT\non dialog IDD_PRODUCT_INFO: answer message yes ; esc");
    EXPECT_EQ(run(std::move(s)), 0);
    EXPECT_EQ(r.delivery_page_done, 0);
    EXPECT_EQ(r.post_install_file, "");
    EXPECT_EQ(r.post_install_choice, -1);   // the saved project chose none
    EXPECT_EQ(r.registry_page_done, 0);
    EXPECT_TRUE(r.registry_root[0].empty());
    EXPECT_EQ(r.company_name, "Acme");
    EXPECT_EQ(r.install_dir, "C:\\Inst");
    EXPECT_FALSE(fs::exists(dir / "registry.txt"));
}

TEST_F(ProjectPages, RadioButtonsAndBrowse) {
    ui::Scenario s = ui::Scenario::parse(R"(
on dialog IDD_PP_ROOT: click IDC_PP_NEXT
on dialog IDD_PROJECT_START
set IDC_PROJECT_NAME Left behind
click IDC_PROJECT_OPEN
expect enabled IDC_PROJECT_NAME 0
expect enabled IDC_PROJECT_PATH 1
expect enabled IDC_PROJECT_BROWSE 1)");
    expectText(s, IDC_PROJECT_NAME, "");
    s.add("answer file C:\\p\\a.wzp ; click IDC_PROJECT_BROWSE\nexpect text IDC_PROJECT_PATH C:\\p\\a.wzp\nanswer file cancel ; click IDC_PROJECT_BROWSE");
    expectText(s, IDC_PROJECT_PATH, "");
    s.add("set IDC_PROJECT_PATH C:\\p\\b.wzp\nclick IDC_PROJECT_NEW\nexpect enabled IDC_PROJECT_PATH 0\nexpect enabled IDC_PROJECT_BROWSE 0\nexpect enabled IDC_PROJECT_NAME 1");
    expectText(s, IDC_PROJECT_PATH, "");
    s.add("click IDC_PROJECT_BACK");
    s.add(kEnd);
    EXPECT_EQ(run(std::move(s)), -1);
}

TEST_F(ProjectPages, ProjectStartStoreOutcomes) {
    const std::string saved = savedProject();
    put("bad.wzp", "`start1`A`P`1`start2`");
    put("fault.wzp", "`start1`A`P`1` ` ` ` `start2`C:\\s`0`start3` `start4`0` `0`0` `0` `0` `0` `0`start5`1`0`text");
    struct Case {
        const char* name;
        std::string steps;          // on dialog 166, after the open radio button was clicked
        int exitCode;
        std::vector<std::string> messages;
        int opened;                 // project_opened after the run
        const char* company;        // company_name after the run
    };
    const std::string notFound = "The specified project file is not found";
    const std::vector<Case> cases = {
        {"Next without a path", "click IDC_PROJECT_NEXT\nclick IDC_PROJECT_BACK", -1, {"You must select the project name"}, 2, ""},
        {"Next on a missing file stays", "set IDC_PROJECT_PATH " + win("none.wzp") + "\nclick IDC_PROJECT_NEXT\non dialog IDD_PROJECT_START: click IDC_PROJECT_BACK", -1,
         {notFound}, 1, ""},
        {"Back on a missing file still shows the loader's message", "set IDC_PROJECT_PATH " + win("none.wzp") + "\nclick IDC_PROJECT_BACK", -1,
         {notFound}, 1, ""},
        {"Back with a valid file loads it silently", "set IDC_PROJECT_PATH " + saved + "\nclick IDC_PROJECT_BACK", -1, {}, 1, "Acme"},
        {"Back with an invalid file ends the run", "set IDC_PROJECT_PATH " + win("bad.wzp") + "\nclick IDC_PROJECT_BACK", 1,
         {"Not a valid project file"}, 1, "A"},
        {"Back without a path says nothing", "click IDC_PROJECT_BACK", -1, {}, 2, ""},
        {"a raw section fault shows its code and goes on", "set IDC_PROJECT_PATH " + win("fault.wzp") + "\nclick IDC_PROJECT_NEXT\non dialog IDD_PRODUCT_INFO: click IDC_PRODUCT_BACK\non dialog IDD_PROJECT_START: click IDC_PROJECT_BACK", -1,
         {"p1 2 2"}, 1, "A"},
        {"a path the record cannot hold", "set IDC_PROJECT_PATH C:\\" + std::string(260, 'p') + "\nclick IDC_PROJECT_NEXT\nclick IDC_PROJECT_BACK", -1,
         {"The project file path cannot be longer than 259 characters."}, 2, ""},
    };
    for (const Case& c : cases) {
        root = std::make_unique<CRoot>();
        root->record().project_opened = 2;   // as start-up leaves it without a project named
        std::vector<ui::RecordedMessage> messages;
        const std::string tail = c.exitCode == -1 ? std::string(kEnd) : std::string();
        EXPECT_EQ(run("on dialog IDD_PP_ROOT: click IDC_PP_NEXT\non dialog IDD_PROJECT_START: click IDC_PROJECT_OPEN\n" + c.steps + tail, &messages), c.exitCode)
            << c.name;
        std::vector<std::string> texts;
        for (const auto& m : messages) texts.push_back(m.text);
        if (c.exitCode == -1) texts.pop_back();   // the cancel question that ends the root
        EXPECT_EQ(texts, c.messages) << c.name;
        EXPECT_EQ(root->record().project_opened, c.opened) << c.name;
        EXPECT_EQ(root->record().company_name, c.company) << c.name;
        if (!messages.empty() && messages[0].text == "p1 2 2") {
            EXPECT_EQ(messages[0].caption, "Tarnwick") << c.name;
        }
    }
}

TEST_F(ProjectPages, BackStoresOnlyUntilTheMarkerIsSet) {
    // Next stored "First" on both pages; Back later leaves the record as Next stored it.
    EXPECT_EQ(run(std::string(R"(
on dialog IDD_PP_ROOT: click IDC_PP_NEXT
on dialog IDD_PROJECT_START: set IDC_PROJECT_NAME First ; click IDC_PROJECT_NEXT
on dialog IDD_PRODUCT_INFO: set IDC_PRODUCT_COMPANY First ; set IDC_PRODUCT_NAME P ; set IDC_PRODUCT_VERSION 1 ; click IDC_PRODUCT_NEXT
on dialog IDD_PP_AFTER: click IDC_PP_BACK
on dialog IDD_PRODUCT_INFO: set IDC_PRODUCT_COMPANY Second ; click IDC_PRODUCT_BACK
on dialog IDD_PROJECT_START: set IDC_PROJECT_NAME Second ; click IDC_PROJECT_BACK)") + kEnd), -1);
    EXPECT_EQ(root->record().launch_project_path, "First");
    EXPECT_EQ(root->record().company_name, "First");

    // Never stored: Back stores silently, and with an empty company nothing is
    // stored and nothing is said.
    root = std::make_unique<CRoot>();
    std::vector<ui::RecordedMessage> messages;
    EXPECT_EQ(run(std::string(R"(
on dialog IDD_PP_ROOT: click IDC_PP_NEXT
on dialog IDD_PROJECT_START: set IDC_PROJECT_NAME Name ; click IDC_PROJECT_NEXT
on dialog IDD_PRODUCT_INFO: set IDC_PRODUCT_NAME P ; set IDC_PRODUCT_VERSION 1 ; click IDC_PRODUCT_BACK
on dialog IDD_PROJECT_START: click IDC_PROJECT_NEXT
on dialog IDD_PRODUCT_INFO: set IDC_PRODUCT_COMPANY C ; set IDC_PRODUCT_NAME P ; set IDC_PRODUCT_VERSION 1 ; click IDC_PRODUCT_BACK
on dialog IDD_PROJECT_START: click IDC_PROJECT_BACK)") + kEnd, &messages), -1);
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(root->record().product_page_done, wizard::kDone);
    EXPECT_EQ(root->record().company_name, "C");
    EXPECT_EQ(root->record().product_name, "P");
}

TEST_F(ProjectPages, BackWithABadEmailSaysSoAndStillGoesBack) {
    std::vector<ui::RecordedMessage> messages;
    EXPECT_EQ(run(std::string(R"(
on dialog IDD_PP_ROOT: click IDC_PP_NEXT
on dialog IDD_PROJECT_START: set IDC_PROJECT_NAME N ; click IDC_PROJECT_NEXT
on dialog IDD_PRODUCT_INFO: set IDC_PRODUCT_COMPANY A ; set IDC_PRODUCT_NAME P ; set IDC_PRODUCT_VERSION 1 ; set IDC_PRODUCT_EMAIL me@example.org ; click IDC_PRODUCT_BACK
expect message Unrecognised Email-id format...
on dialog IDD_PROJECT_START: click IDC_PROJECT_BACK)") + kEnd, &messages), -1);
    EXPECT_EQ(root->record().product_page_done, 0);
    EXPECT_EQ(root->record().company_name, "");
}

TEST_F(ProjectPages, EmailRule) {
    struct Case { const char* email; bool accepted; };
    const Case cases[] = {
        {"me@acme.com", true},       {"me@acme.com.au", true},   {"me@mail.company.org", true},
        {"me@acme.org", false},      {"me@acme.co.uk", false},   {"acme.com", false},
        {"me.com@acme", false},      {"me@acme.COM", false},     {"a@b@c.com", true},
    };
    std::string steps = "on dialog IDD_PP_ROOT: click IDC_PP_NEXT\non dialog IDD_PROJECT_START: set IDC_PROJECT_NAME N ; click IDC_PROJECT_NEXT\n"
                        "on dialog IDD_PRODUCT_INFO: set IDC_PRODUCT_COMPANY A ; set IDC_PRODUCT_NAME P ; set IDC_PRODUCT_VERSION 1\n";
    for (const Case& c : cases) {
        steps += "on dialog IDD_PRODUCT_INFO: set IDC_PRODUCT_EMAIL " + std::string(c.email) + " ; click IDC_PRODUCT_NEXT\n";
        steps += c.accepted ? "on dialog IDD_PP_AFTER: click IDC_PP_BACK\n" : "expect message Unrecognised Email-id format...\n";
    }
    ui::Scenario s = ui::Scenario::parse(steps + "on dialog IDD_PRODUCT_INFO");
    s.then([](ui::Dialog& d) { d.setText(IDC_PRODUCT_EMAIL, ""); });   // empty is accepted
    s.add("click IDC_PRODUCT_NEXT\non dialog IDD_PP_AFTER: click IDC_PP_BACK\non dialog IDD_PRODUCT_INFO: click IDC_PRODUCT_BACK\non dialog IDD_PROJECT_START: click IDC_PROJECT_BACK");
    s.add(kEnd);
    EXPECT_EQ(run(std::move(s)), -1);
    EXPECT_EQ(root->record().email, "");
}

TEST_F(ProjectPages, LimitMessageAndCutTexts) {
    const std::string fifty(50, 'c');
    std::vector<ui::RecordedMessage> messages;
    ui::Scenario s = ui::Scenario::parse("on dialog IDD_PP_ROOT: click IDC_PP_NEXT\non dialog IDD_PROJECT_START: set IDC_PROJECT_NAME N ; click IDC_PROJECT_NEXT\non dialog IDD_PRODUCT_INFO\n"
                                         "set IDC_PRODUCT_COMPANY " + std::string(49, 'c') + "\nexpect no message\n"
                                         "set IDC_PRODUCT_COMPANY " + fifty + "\nexpect message You reached the maximum limit\n"
                                         "expect caption Bundlewright\n"
                                         "set IDC_PRODUCT_COMPANY " + fifty + "d\nexpect no message\n"
                                         "set IDC_PRODUCT_NAME P\nset IDC_PRODUCT_VERSION 1234567890X\nexpect no message\n"
                                         "set IDC_PRODUCT_COMMENTS " + std::string(300, 'm') + "\nexpect no message\n"
                                         "click IDC_PRODUCT_NEXT\non dialog IDD_PP_AFTER: click IDC_PP_BACK\non dialog IDD_PRODUCT_INFO: click IDC_PRODUCT_BACK\non dialog IDD_PROJECT_START: click IDC_PROJECT_BACK");
    s.add(kEnd);
    EXPECT_EQ(run(std::move(s), &messages), -1);
    EXPECT_EQ(root->record().company_name, fifty);
    EXPECT_EQ(root->record().product_version, "1234567890");
    EXPECT_EQ(root->record().comments, std::string(250, 'm'));
}

TEST_F(ProjectPages, TextsTheProjectFileCannotCarryAreRefused) {
    struct Case { const char* set; const char* message; };
    const Case cases[] = {
        {"set IDC_PRODUCT_COMPANY Ac`me", "The Company Name cannot contain the character ` (backquote), because the project file uses it to separate its fields."},
        {"set IDC_PRODUCT_DESCRIPTION a `quoted` word", "The Description cannot contain the character ` (backquote), because the project file uses it to separate its fields."},
        {"set IDC_PRODUCT_NAME start2", "The Product Name cannot be a word the project file uses to mark its sections (start1 to start12)."},
    };
    for (const Case& c : cases) {
        root = std::make_unique<CRoot>();
        std::vector<ui::RecordedMessage> messages;
        // Next refuses with the message; Back (silent) says it too and stores nothing.
        EXPECT_EQ(run(std::string("on dialog IDD_PP_ROOT: click IDC_PP_NEXT\non dialog IDD_PROJECT_START: set IDC_PROJECT_NAME N ; click IDC_PROJECT_NEXT\n"
                                  "on dialog IDD_PRODUCT_INFO: set IDC_PRODUCT_COMPANY A ; set IDC_PRODUCT_NAME P ; set IDC_PRODUCT_VERSION 1\n") +
                          c.set + "\nclick IDC_PRODUCT_NEXT\nexpect message " + c.message + "\nclick IDC_PRODUCT_BACK\nexpect message " + c.message +
                          "\non dialog IDD_PROJECT_START: click IDC_PROJECT_BACK" + kEnd,
                      &messages),
                  -1)
            << c.set;
        EXPECT_EQ(root->record().product_page_done, 0) << c.set;
    }
    // A backquote after the 250th character is cut off anyway and is no fault.
    root = std::make_unique<CRoot>();
    EXPECT_EQ(run(std::string("on dialog IDD_PP_ROOT: click IDC_PP_NEXT\non dialog IDD_PROJECT_START: set IDC_PROJECT_NAME N ; click IDC_PROJECT_NEXT\n"
                              "on dialog IDD_PRODUCT_INFO: set IDC_PRODUCT_COMPANY A ; set IDC_PRODUCT_NAME P ; set IDC_PRODUCT_VERSION 1 ; set IDC_PRODUCT_COMMENTS ") +
                      std::string(250, 'x') + "`\nclick IDC_PRODUCT_NEXT\non dialog IDD_PP_AFTER: click IDC_PP_BACK\non dialog IDD_PRODUCT_INFO: click IDC_PRODUCT_BACK\n"
                      "on dialog IDD_PROJECT_START: click IDC_PROJECT_BACK" + kEnd),
              -1);
    EXPECT_EQ(root->record().comments, std::string(250, 'x'));
}

TEST_F(ProjectPages, BackquoteInANewProjectNameIsRefused) {
    std::vector<ui::RecordedMessage> messages;
    EXPECT_EQ(run(std::string("on dialog IDD_PP_ROOT: click IDC_PP_NEXT\non dialog IDD_PROJECT_START: set IDC_PROJECT_NAME my`name ; click IDC_PROJECT_NEXT\n"
                              "expect message The project name cannot contain the character ` (backquote), because the project file uses it to separate its fields.\n"
                              "click IDC_PROJECT_BACK") + kEnd, &messages),
              -1);
    EXPECT_EQ(root->record().project_start_done, 0);
}

TEST_F(ProjectPages, WelcomePageToASavedProjectOnTheProductPage) {
    const std::string saved = savedProject();
    const std::string inst = win("inst");
    os::createDirectories(inst + "\\bin");
    os::createDirectories(inst + "\\image");
    std::string oldInstall;
    const bool hadInstall = os::getEnv(wizard::kInstallDirVariable, oldInstall);
    os::setEnv(wizard::kInstallDirVariable, inst);
    std::string steps = "on dialog IDD_SPLASH\non dialog IDD_WELCOME: click IDC_WELCOME_NEXT\non dialog IDD_PROJECT_START\n";
#ifdef _WIN32
    steps += "click IDC_PROJECT_OPEN ; set IDC_PROJECT_PATH " + saved + "\n"; // the test program's own command line names no project
#else
    const std::string oldLine = os::commandLine();
    os::setCommandLine("\"C:\\Tw\\bin\\Tarnwick.exe\" " + saved);
    steps += "expect checked IDC_PROJECT_OPEN 1\nexpect text IDC_PROJECT_PATH " + saved + "\n";
#endif
    steps += "click IDC_PROJECT_NEXT\non dialog IDD_PRODUCT_INFO\nexpect text IDC_PRODUCT_COMPANY Acme\nexpect text IDC_PRODUCT_COMMENTS Comment\nclick IDC_PRODUCT_NEXT\n"
             "on dialog IDD_PP_AFTER: click IDC_PP_BACK\non dialog IDD_PRODUCT_INFO: click IDC_PRODUCT_BACK\non dialog IDD_PROJECT_START: click IDC_PROJECT_BACK\n"
             "on dialog IDD_WELCOME: answer message yes ; esc";
    int result = 0;
    {
        auto welcome = std::make_unique<wizard::CTarnwickDlg>(pages::pageList(), nullptr, wizard::runSplashWindow);
        welcome->chain().pages.replace(IDD_SOURCE_FOLDER, after);
        ui::ScenarioRun player(ui::Scenario::parse(steps, "welcome.scn"));
        result = welcome->runModal();
        player.finish();
        EXPECT_EQ(welcome->record().project_opened, 1);
        EXPECT_EQ(welcome->record().company_name, "Acme");
        EXPECT_EQ(welcome->record().product_page_done, wizard::kDone);
        EXPECT_EQ(welcome->record().language_index, 1);
    }
    EXPECT_EQ(result, ui::IdCancel);
#ifndef _WIN32
    os::setCommandLine(oldLine);
#endif
    if (hadInstall) os::setEnv(wizard::kInstallDirVariable, oldInstall);
    else os::unsetEnv(wizard::kInstallDirVariable);
}

// The shared scenario Tarnwick.exe runs under Wine, here on the headless host.
TEST_F(ProjectPages, TheSharedProjectPagesScenarioPasses) {
    const std::string inst = win("inst");
    os::createDirectories(inst + "\\bin");
    os::createDirectories(inst + "\\image");
    std::string oldInstall;
    const bool hadInstall = os::getEnv(wizard::kInstallDirVariable, oldInstall);
    os::setEnv(wizard::kInstallDirVariable, inst);
    const std::string path = bwtest::buildPath("BW_SOURCE_DIR", "tests/scenarios/tarnwick_project_pages.scn");
    ASSERT_FALSE(path.empty());
    {
        auto welcome = std::make_unique<wizard::CTarnwickDlg>(pages::pageList(), nullptr, wizard::runSplashWindow);
        welcome->chain().pages.replace(IDD_SOURCE_FOLDER, after);
        ui::ScenarioRun player(ui::Scenario::load(path));
        EXPECT_EQ(welcome->runModal(), ui::IdCancel);
        player.finish();
        EXPECT_EQ(welcome->record().launch_project_path, "Demo");
        EXPECT_EQ(welcome->record().project_opened, 0);
        EXPECT_EQ(welcome->record().product_page_done, wizard::kDone);
        EXPECT_EQ(welcome->record().company_name, "Acme Tools");
        EXPECT_EQ(welcome->record().product_version, "1.0.0-beta");
        EXPECT_EQ(welcome->record().email, "sales@acme.com");
        EXPECT_EQ(welcome->record().copyright_notice, "(c) Acme Tools");
    }
    if (hadInstall) os::setEnv(wizard::kInstallDirVariable, oldInstall);
    else os::unsetEnv(wizard::kInstallDirVariable);
}

// The whole main chain with the real pages: welcome, a new project, the
// product texts, the source folder and its file on the file list page.
TEST(ProjectPagesChain, WelcomeToTheFileListPage) {
    os::setExitTrap(true);
    ui::setProgramName("Tarnwick");
    const fs::path dir = fs::temp_directory_path() / bwtest::uniqueName("bw_pages_chain_");
    fs::remove_all(dir);
    fs::create_directories(dir / "inst" / "bin");
    fs::create_directories(dir / "inst" / "image");
    fs::create_directories(dir / "inst" / "temp");
    fs::create_directories(dir / "src");
    std::ofstream(dir / "src" / "a.txt", std::ios::binary) << "a";
    std::string oldInstall;
    const bool hadInstall = os::getEnv(wizard::kInstallDirVariable, oldInstall);
    os::setEnv(wizard::kInstallDirVariable, os::windowsPath((dir / "inst").string()));
    int code = -1;
    {
        auto welcome = std::make_unique<wizard::CTarnwickDlg>(pages::pageList(), nullptr, wizard::runSplashWindow);
        ui::ScenarioRun player(ui::Scenario::parse(
            "on dialog IDD_SPLASH\non dialog IDD_WELCOME: click IDC_WELCOME_NEXT\n"
            "on dialog IDD_PROJECT_START: set IDC_PROJECT_NAME Demo ; click IDC_PROJECT_NEXT\n"
            "on dialog IDD_PRODUCT_INFO: set IDC_PRODUCT_COMPANY Acme ; set IDC_PRODUCT_NAME Widget ; set IDC_PRODUCT_VERSION 1.0 ; click IDC_PRODUCT_NEXT\n"
            "on dialog IDD_SOURCE_FOLDER: set IDC_SOURCE_FOLDER_EDIT " + os::windowsPath((dir / "src").string()) +
            " ; click IDC_SOURCE_FOLDER_NEXT\n"
            "on dialog IDD_FILE_LIST: expect rows IDC_FILE_LIST_FILES 1 ; answer message yes ; esc", "chain.scn"));
        try {
            welcome->runModal();
        } catch (const os::ExitRequest& e) {
            code = e.code;
        }
        player.finish();
        EXPECT_EQ(welcome->record().company_name, "Acme");
        EXPECT_EQ(welcome->record().launch_project_path, "Demo");
    }
    EXPECT_EQ(code, 0);   // Cancel confirmed on the file list page
    if (hadInstall) os::setEnv(wizard::kInstallDirVariable, oldInstall);
    else os::unsetEnv(wizard::kInstallDirVariable);
    os::setExitTrap(false);
    fs::remove_all(dir);
}
