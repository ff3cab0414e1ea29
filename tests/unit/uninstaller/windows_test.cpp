// UnBundlewright's two windows on the headless host, driven by scenarios, with
// C: mapped to the test's own temporary folder and the emulated registry.
#include "uninstaller/uninstall_dlg.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/os/os.h"
#include "platform/os/registry.h"
#include "platform/os/services.h"
#include "platform/ui/resources.h"
#include "platform/ui/scenario.h"
#include "resources/uninstaller/resource.h"

using namespace uninstaller;
namespace fs = std::filesystem;

namespace {

class Windows : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        static const fs::path base = fs::temp_directory_path();   // before TMP names C:
        root_ = base / ("bw_unwin_" + std::string(info->name()) + "_" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_ / "c");
        ::setenv("BUNDLEWRIGHT_DRIVES", ("C=" + (root_ / "c").string()).c_str(), 1);
        ::setenv("TMP", "C:\\Users\\u\\Temp", 1);
        fs::create_directories(root_ / "c/Users/u/Temp");
        ::unsetenv("BUNDLEWRIGHT_REGISTRY");
        os::resetEmulatedRegistry();
        os::resetEmulatedServices();
        os::setExitTrap(true);
        ui::setProgramName(kCaption);
    }
    void TearDown() override {
        os::setExitTrap(false);
        fs::remove_all(root_);
    }
    fs::path host(std::string rel) {
        for (char& c : rel)
            if (c == '\\') c = '/';
        return root_ / "c" / rel;
    }
    void file(const std::string& rel, const std::string& text = "x") {
        fs::create_directories(host(rel).parent_path());
        std::ofstream(host(rel), std::ios::binary) << text;
    }
    void script(std::initializer_list<std::string> strings) {
        ScriptWriter w;
        for (const std::string& s : strings) w.add(s);
        file("P\\Uninstall.wzu", w.bytes);
    }
    // Runs the main window under `steps`; the exit code when the program
    // ended through exitProcess, else -1. The scenario must be used up.
    int run(CUninstallDlg& dlg, const std::string& steps) {
        ui::ScenarioRun r(ui::Scenario::parse(steps, info()));
        int code = -1;
        try {
            dlg.runModal();
        } catch (const os::ExitRequest& e) {
            code = e.code;
        }
        r.finish();
        messages = r.messages();
        return code;
    }
    static std::string info() { return ::testing::UnitTest::GetInstance()->current_test_info()->name(); }
    // Nothing the removal did left a file in the user's temp folder.
    bool tempFolderEmpty() { return !fs::exists(host("Users/u/Temp")) || fs::is_empty(host("Users/u/Temp")); }

    fs::path root_;
    std::vector<ui::RecordedMessage> messages;
    const std::string line = "C:\\Prog\\UnBundlewright.exe -fC:\\P\\Uninstall.wzu";
};

TEST_F(Windows, AllRemovedHidesDetails) {
    file("P\\a.txt");
    file("P\\sub\\b.dll");
    file("S\\svc.exe");
    ASSERT_TRUE(os::createService({"BwTestUninst_Win", "Svc", "C:\\S\\svc.exe", os::ServiceStart::Demand}));
    script({" ", " ", "C:\\P\\a.txt", "C:\\P\\sub\\b.dll.bz2", "C:\\S\\svc.exe", kNoRegistry, kNoShortcuts,
            kServicesBegin, "BwTestUninst_Win", kServicesEnd, "C:\\P\\sub", "C:\\P", "C:\\S", kScriptEnd});
    CUninstallDlg dlg(line);
    EXPECT_EQ(run(dlg, R"(
answer message yes
on dialog IDD_UNINSTALL
expect text IDC_RESULT ""
expect visible IDC_DETAILS 0
expect visible IDC_CHECK_SHARED 1 ; expect visible IDC_CHECK_STANDARD 1 ; expect visible IDC_CHECK_FOLDER_ITEMS 1
expect visible IDC_CHECK_FOLDERS 1 ; expect visible IDC_CHECK_DIRECTORIES 1 ; expect visible IDC_CHECK_REGISTRY 1
expect text IDC_LABEL_SHARED Shared Program Files....
expect text IDC_LABEL_REGISTRY Program Registry Entries....
expect text IDC_WELCOME Welcome to the Uninstallation wizard. This program will permenantly remove the installed product from your computer.
click IDOK
expect closed
)"),
              -1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, kConfirmQuestion);
    EXPECT_EQ(messages[0].caption, "UnBundlewright");
    EXPECT_EQ(messages[0].buttons, ui::Buttons::YesNo);
    EXPECT_EQ(messages[0].icon, ui::Icon::Question);
    EXPECT_EQ(dlg.text(IDC_STATUS), "\nPlease wait, system is uninstalling the software.");
    EXPECT_FALSE(fs::exists(host("P")));
    EXPECT_FALSE(fs::exists(host("S")));
    EXPECT_FALSE(os::serviceExists("BwTestUninst_Win"));
    EXPECT_EQ(dlg.report().failureCount, 0);
    EXPECT_TRUE(tempFolderEmpty());
    EXPECT_EQ(dlg.stagesMarked(), (std::vector<Stage>{Stage::Program, Stage::Services, Stage::Files, Stage::Registry,
                                                      Stage::Shortcuts, Stage::Directories}));
}

TEST_F(Windows, FailuresShowResultAndDetailsListsThemSorted) {
    file("P\\a.txt");
    file("P\\keep\\user.txt");
    file("Q\\mine.txt");
    script({" ", " ", "C:\\P\\a.txt", "C:\\P\\zz missing.txt", "C:\\P\\b missing.txt", kNoRegistry, kNoShortcuts,
            kNoServices, "C:\\P\\keep", "C:\\Q", "C:\\P", kScriptEnd});
    CUninstallDlg dlg(line);
    EXPECT_EQ(run(dlg, R"(
answer message yes
on dialog IDD_UNINSTALL
expect text IDC_RESULT Uninstall completed. Some elements could not be removed. You should manually remove items related to the application.
expect visible IDC_DETAILS 1
click IDC_DETAILS
on dialog IDD_DETAILS
expect rows IDC_FAILURES 5
expect row IDC_FAILURES 0 Unable to remove directory : 'C:\P'
expect row IDC_FAILURES 1 Unable to remove directory : 'C:\P\keep'
expect row IDC_FAILURES 2 Unable to remove directory : 'C:\Q'
expect row IDC_FAILURES 3 "Unable to remove file : 'C:\\P\\b missing.txt'"
expect row IDC_FAILURES 4 "Unable to remove file : 'C:\\P\\zz missing.txt'"
expect selected IDC_FAILURES -1
click IDOK
expect closed
on dialog IDD_UNINSTALL
click IDC_DETAILS
on dialog IDD_DETAILS
expect rows IDC_FAILURES 5
esc
on dialog IDD_UNINSTALL
click IDOK
)"),
              -1);
    EXPECT_EQ(dlg.report().failureCount, 5);
    EXPECT_FALSE(fs::exists(host("P/a.txt")));
    EXPECT_TRUE(fs::exists(host("P/keep/user.txt")));
    EXPECT_TRUE(fs::exists(host("Q/mine.txt")));
    EXPECT_TRUE(tempFolderEmpty()) << "the failure list stays in memory";
}


TEST_F(Windows, RefusalsEndTheProgramWithCodeOneBeforeTheWindowShows) {
    file("P\\a.txt");
    script({" ", " ", "C:\\P\\a.txt", kNoRegistry, kNoShortcuts, kNoServices, "C:\\P", kScriptEnd});
    struct Row {
        std::string line, steps;
        std::vector<std::string> texts;
        bool scriptKept;
    } rows[] = {
        {"C:\\Prog\\UnBundlewright.exe", "expect message Supporting file not found, Uninstallation will not continue\nexpect caption Bundlewright\n",
         {kNoScriptMessage}, true},
        {line, "answer message no\n", {kConfirmQuestion}, true},
        {"C:\\Prog\\UnBundlewright.exe -f\"C:\\P\\Uninstall.wzu\"", "answer message yes\n",
         {kConfirmQuestion, kNoScriptMessage}, true},
    };
    for (const Row& r : rows) {
        CUninstallDlg dlg(r.line);
        EXPECT_EQ(run(dlg, r.steps), kExitCode) << r.line;
        ASSERT_EQ(messages.size(), r.texts.size()) << r.line;
        for (size_t i = 0; i < r.texts.size(); ++i) EXPECT_EQ(messages[i].text, r.texts[i]) << r.line;
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_TRUE(fs::exists(host("P/a.txt"))) << r.line;
        EXPECT_EQ(fs::exists(host("P/Uninstall.wzu")), r.scriptKept) << r.line;
    }
}

TEST_F(Windows, ProgramTakesItsCommandLineAndExitsWithOne) {
    file("My Prod\\a.txt");
    ScriptWriter w;
    for (const char* s : {" ", " ", "C:\\My Prod\\a.txt", kNoRegistry, kNoShortcuts, kNoServices, kScriptEnd}) w.add(s);
    file("My Prod\\Uninstall.wzu", w.bytes);
    os::setCommandLine("\"C:\\My Prod\\UnBundlewright.exe\" -fC:\\My Prod\\Uninstall.wzu");
    ui::ScenarioRun r(ui::Scenario::parse("answer message yes\non dialog IDD_UNINSTALL\nexpect visible IDC_DETAILS 0\nclick IDOK\n"));
    EXPECT_EQ(runUnBundlewright(), kExitCode);
    r.finish();
    EXPECT_EQ(ui::programName(), "UnBundlewright");
    EXPECT_FALSE(fs::exists(host("My Prod/a.txt")));
    EXPECT_FALSE(fs::exists(host("My Prod/Uninstall.wzu")));
}

// The templates both hosts build from: the Details list sorts and never selects.
TEST(UninstallerResources, DetailsListSortsWithoutSelectionAndWindowsHaveTheirCaptions) {
    const auto& set = ui::res::resources();
    ASSERT_TRUE(set.dialogs.count(IDD_DETAILS));
    ASSERT_TRUE(set.dialogs.count(IDD_UNINSTALL));
    const auto& details = set.dialogs.at(IDD_DETAILS);
    EXPECT_EQ(details.caption, "Details");
    EXPECT_EQ(details.cx, 341);
    EXPECT_EQ(details.cy, 162);
    bool found = false;
    for (const auto& c : details.controls)
        if (c.id == IDC_FAILURES) {
            found = true;
            EXPECT_EQ(c.cls, "ListBox");
            EXPECT_TRUE(c.style & 0x0002) << "LBS_SORT";
            EXPECT_TRUE(c.style & 0x4000) << "LBS_NOSEL";
        }
    EXPECT_TRUE(found);
    const auto& main = set.dialogs.at(IDD_UNINSTALL);
    EXPECT_EQ(main.caption, "Bundlewright");
    EXPECT_EQ(main.cx, 320);
    EXPECT_EQ(main.cy, 201);
    EXPECT_TRUE(set.icons.count(IDI_MAIN));
    EXPECT_TRUE(set.bitmaps.count(IDB_CHECK));
}

}  // namespace
