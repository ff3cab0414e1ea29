// Under Wine: the real file system, registry, shell links and service manager.
// An installation is laid out under the test's own temp folder, its uninstall
// script written, and the removal run in-process on the main window and, where
// the program is built with real windows, as UnBundlewright.exe driven by a
// scenario. Exactly what the script names must go; everything else stays.
#include "uninstaller/uninstall_dlg.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "platform/os/os.h"
#include "platform/os/registry.h"
#include "platform/os/services.h"
#include "platform/os/shortcuts.h"
#include "platform/ui/scenario.h"
#include "resources/uninstaller/resource.h"
#include "tests/support/host_path.h"

using namespace uninstaller;
namespace fs = std::filesystem;

namespace {

void deleteTree(os::RegRoot root, const std::string& path) {
    {
        os::RegKey k = os::RegKey::open(root, path);
        if (!k.valid()) return;
        for (const std::string& sub : k.subKeys()) deleteTree(root, path + "\\" + sub);
    }
    size_t cut = path.rfind('\\');
    os::RegKey parent = os::RegKey::open(root, path.substr(0, cut));
    if (parent.valid()) parent.deleteSubKey(path.substr(cut + 1));
}

std::string value(const std::string& key, const std::string& name, os::RegType* type = nullptr) {
    os::RegValue v;
    os::RegKey k = os::RegKey::open(os::RegRoot::CurrentUser, key);
    if (!k.valid() || !k.query(name, v)) return "<absent>";
    if (type) *type = v.type;
    return v.asString();
}

class Installed : public ::testing::Test {
protected:
    void SetUp() override {
        tag_ = std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
               std::to_string(::getpid());
        base_ = os::tempFolder() + "BwTestUninst_" + tag_;
        fs::remove_all(base_);
        key_ = "Software\\BwTestUninst_" + tag_;
        service_ = "BwTestUninst_Svc_" + tag_;
        keptService_ = "BwTestUninst_Keep_" + tag_;
        entry_ = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\BwTestUninst_" + tag_;
        ui::setProgramName(kCaption);
    }
    void TearDown() override {
        fs::remove_all(base_);
        deleteTree(os::RegRoot::CurrentUser, key_);
        deleteTree(os::RegRoot::LocalMachine, entry_);
        os::deleteService(service_);
        os::deleteService(keptService_);
    }
    std::string at(const std::string& rel) const { return base_ + "\\" + rel; }
    void file(const std::string& rel, const std::string& text = "x") {
        fs::create_directories(fs::path(at(rel)).parent_path());
        std::ofstream(at(rel), std::ios::binary) << text;
    }
    void set(const std::string& key, const std::string& name, const std::string& text) {
        ASSERT_TRUE(os::RegKey::create(os::RegRoot::CurrentUser, key).set(name, os::RegValue::string(text)));
    }

    // Lays out the installation and its script; returns the script's path.
    std::string install() {
        file("P\\a.txt");
        file("P\\b.dll");
        file("P\\sub\\c.txt");
        file("my.bz2files\\d.txt");
        file("my");                     // what a cut inside the folder name would hit
        file("Data\\user.txt");         // the user's own: Data stays and is reported
        file("P2\\untouched.txt");
        set(key_ + "\\Prod", "Ver", "1");
        set(key_ + "\\Prod", "Keep", "1");
        set(key_ + "\\Gone", "x", "1");
        set(key_ + "\\Other", "x", "1");
        set(key_ + "\\Env", "Path", "C:\\Win;C:\\BwTools\\bin;C:\\BwTools");
        set(key_ + "\\Env", "Plain", "C:\\Win");
        fs::create_directories(at("Menu"));
        EXPECT_TRUE(os::createShortcut(at("Menu\\Prod.lnk"), {at("P\\a.txt"), "", "Prod", at("P")}));
        EXPECT_TRUE(os::createShortcut(at("Menu\\Other.lnk"), {at("P2\\untouched.txt"), "", "Other", at("P2")}));
        haveService_ = os::createService({service_, "BwTestUninst", "C:\\windows\\system32\\notepad.exe",
                                          os::ServiceStart::Demand});
        if (!haveService_) std::printf("the service manager refused a service: services not checked\n");
        if (haveService_) {
            EXPECT_TRUE(os::createService({keptService_, "BwTestUninst kept", "C:\\windows\\system32\\notepad.exe",
                                           os::ServiceStart::Demand}));
        }
        // The pre-uninstallation program lies in the script's folder, as the
        // installation put it there; it is removed after it ran.
        EXPECT_TRUE(os::copyFile(os::systemFolder() + "\\cmd.exe", at("P\\pre.exe"), false));
        ScriptWriter w;
        w.add(at("P\\pre.exe"));
        // Runs first: it sees the installed file still in place.
        w.add("/c if exist \"" + at("P\\a.txt") + "\" echo ran> \"" + at("ran.txt") + "\"");
        for (const std::string& f : {at("P\\pre.exe"), at("P\\a.txt"), at("P\\b.dll.bz2"), at("P\\sub\\c.txt"), at("my.bz2files\\d.txt")})
            w.add(f);
        w.add(kRegistryBegin);
        w.add("!HKEY_CURRENT_USER");
        w.add(key_ + "\\Prod`Ver");
        w.add(key_ + "\\Gone");
        w.add("~" + key_ + "\\Env~Path~;C:\\BwTools");
        w.add("~" + key_ + "\\Env~Plain~;C:\\BwTools");
        w.add(kRegistryEnd);
        w.add("[shortcuts]");
        w.add(at("Menu\\Prod.lnk"));
        w.add(kShortcutsEnd);
        w.add(kServicesBegin);
        w.add(service_);
        w.add(kServicesEnd);
        for (const std::string& d : {at("P\\sub"), at("my.bz2files"), at("Data"), at("P")}) w.add(d);
        w.add(kScriptEnd);
        file("P\\Uninstall.wzu", w.bytes);
        // The machine's list of installed programs names it, as an installation's entry does.
        EXPECT_TRUE(os::RegKey::create(os::RegRoot::LocalMachine, entry_)
                        .set("UninstallString", os::RegValue::string("UnBundlewright.exe -f" + at("P\\Uninstall.wzu"))));
        return at("P\\Uninstall.wzu");
    }

    // Exactly the listed items are gone; the rest is as it was.
    void checkRemoved() {
        EXPECT_TRUE(fs::exists(at("ran.txt"))) << "pre-uninstallation program";
        for (const char* gone : {"P", "my.bz2files", "Menu\\Prod.lnk"}) EXPECT_FALSE(fs::exists(at(gone))) << gone;
        for (const char* kept : {"my", "Data\\user.txt", "P2\\untouched.txt", "Menu\\Other.lnk"})
            EXPECT_TRUE(fs::exists(at(kept))) << kept;
        EXPECT_EQ(value(key_ + "\\Prod", "Ver"), "<absent>");
        EXPECT_EQ(value(key_ + "\\Prod", "Keep"), "1");
        EXPECT_FALSE(os::RegKey::open(os::RegRoot::CurrentUser, key_ + "\\Gone").valid());
        EXPECT_EQ(value(key_ + "\\Other", "x"), "1");
        os::RegType t = os::RegType::None;
        EXPECT_EQ(value(key_ + "\\Env", "Path", &t), "C:\\Win;C:\\BwTools\\bin");
        EXPECT_EQ(t, os::RegType::String) << "the part goes, the value keeps its type";
        EXPECT_EQ(value(key_ + "\\Env", "Plain", &t), "C:\\Win");
        if (haveService_) {
            EXPECT_FALSE(os::serviceExists(service_));
            EXPECT_TRUE(os::serviceExists(keptService_));
        }
    }
    std::string detailsLine() const { return "Unable to remove directory : '" + at("Data") + "'"; }

    std::string tag_, base_, key_, service_, keptService_, entry_;
    bool haveService_ = false;
};

TEST_F(Installed, MainWindowRemovesExactlyWhatTheScriptNames) {
    std::string scriptPath = install();
    CUninstallDlg dlg("UnBundlewright.exe -f" + scriptPath);
    {
        ui::ScenarioRun run(ui::Scenario::parse(R"(
answer message yes
on dialog IDD_UNINSTALL
expect visible IDC_DETAILS 1
expect text IDC_RESULT Uninstall completed. Some elements could not be removed. You should manually remove items related to the application.
click IDC_DETAILS
on dialog IDD_DETAILS
expect rows IDC_FAILURES 1
click IDOK
on dialog IDD_UNINSTALL
click IDOK
)", "in-process"));
        dlg.runModal();
        run.finish();
    }
    EXPECT_EQ(dlg.report().failedDirectories, std::vector<std::string>{at("Data")});
    EXPECT_EQ(dlg.report().failureCount, 1);
    checkRemoved();
}

// A script no entry of the machine's list names, in a folder users can change
// (every folder, to Wine): the program itself refuses it and removes nothing.
TEST_F(Installed, AScriptNoEntryNamesIsRefused) {
    const std::string script = install();
    deleteTree(os::RegRoot::LocalMachine, entry_);
    const std::string exe = bwtest::buildPath("BW_DIST_DIR", "bin/UnBundlewright.exe");
    int code = -1;
    ASSERT_TRUE(os::startProcess(os::quoteArgument(exe) + " /S -f" + script, true, &code)) << exe;
    EXPECT_EQ(4, code);
    EXPECT_TRUE(fs::exists(script));
    for (const char* kept : {"P\\a.txt", "P\\pre.exe", "Menu\\Prod.lnk"}) EXPECT_TRUE(fs::exists(at(kept))) << kept;
    EXPECT_FALSE(fs::exists(at("ran.txt"))) << "its program ran";
}

#ifdef BW_UNINSTALLER_PROGRAM_TEST
// The program's test build, its real windows driven by BUNDLEWRIGHT_SCENARIO; the
// screenshots of both windows are left beside the test's build folder.
TEST_F(Installed, ProgramRemovesExactlyWhatTheScriptNames) {
    const std::string exe = bwtest::buildPath("BW_DRIVEN_DIR", "UnBundlewright.exe");
    const std::string shots = bwtest::buildPath("BW_BINARY_DIR", "shots/uninstaller");
    ASSERT_FALSE(exe.empty() || shots.empty());
    fs::create_directories(shots);
    std::string scriptPath = install();
    std::string scn = at("run.scn");
    file("run.scn", "answer message yes\n"
                    "on dialog IDD_UNINSTALL\n"
                    "expect visible IDC_DETAILS 1\n"
                    "shot " + shots + "\\main.bmp\n"
                    "click IDC_DETAILS\n"
                    "on dialog IDD_DETAILS\n"
                    "expect rows IDC_FAILURES 1\n"
                    "expect row IDC_FAILURES 0 \"" + detailsLine() + "\"\n"
                    "shot " + shots + "\\details.bmp\n"
                    "click IDOK\n"
                    "on dialog IDD_UNINSTALL\n"
                    "click IDOK\n");
    os::setEnv("BUNDLEWRIGHT_SCENARIO", scn);
    int code = -1;
    bool started = os::startProcess(os::quoteArgument(exe) + " -f" + scriptPath, true, &code);
    os::unsetEnv("BUNDLEWRIGHT_SCENARIO");
    ASSERT_TRUE(started) << exe;
    EXPECT_EQ(code, kExitCode);
    checkRemoved();

    // A second start, confirmed, finds no script: the message, nothing else changes.
    file("run2.scn", "answer message yes\n"
                     "expect message " + std::string(kConfirmQuestion) + "\n"
                     "expect message Supporting file not found, Uninstallation will not continue\n");
    os::setEnv("BUNDLEWRIGHT_SCENARIO", at("run2.scn"));
    started = os::startProcess(os::quoteArgument(exe) + " -f" + scriptPath, true, &code);
    os::unsetEnv("BUNDLEWRIGHT_SCENARIO");
    ASSERT_TRUE(started);
    EXPECT_EQ(code, kExitCode);
}
#endif

}  // namespace
