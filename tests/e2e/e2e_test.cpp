// End to end under Wine: the builder packs a tree with every section,
// install.exe installs it unattended and through its windows, the test
// checks files, registry, shortcuts, service and uninstall script, then
// UnBundlewright.exe removes it and the machine is as it was before.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "builder/package_builder.h"
#include "platform/os/os.h"
#include "platform/os/registry.h"
#include "platform/os/services.h"
#include "platform/os/shortcuts.h"
#include "tests/unit/builder/test_tree.h"
#include "tests/support/host_path.h"

namespace {

using bwtest::readFile;

std::string dist(const std::string& rel) {
    const char* d = std::getenv("BW_DIST_DIR");
    return bwtest::hostPath(d ? d : "/nonexistent") + "\\" + rel;
}

const char kProductKey[] = "SOFTWARE\\BwTestStubE2E\\Widget\\1.0";
const char kValuesKey[] = "SOFTWARE\\BwTestStubE2EValues";
const char kEnvKey[] = "Environment";
const char kPathVar[] = "BwTestStubE2E_Path";
const char kService[] = "BwTestStubE2ESvc";

// Every key and value below `key`, one line each, sorted.
void dumpKey(os::RegRoot root, const std::string& key, std::vector<std::string>& out) {
    os::RegKey k = os::RegKey::open(root, key);
    if (!k.valid()) return;
    out.push_back("[" + key + "]");
    for (const std::string& n : k.valueNames()) {
        os::RegValue v;
        k.query(n, v);
        out.push_back(key + "`" + n + "=" + v.asString());
    }
    for (const std::string& s : k.subKeys()) dumpKey(root, key + "\\" + s, out);
}

class RoundTrip : public ::testing::Test {
protected:
    void SetUp() override {
        // The test builds, which a scenario can drive.
        installer_ = bwtest::buildPath("BW_DRIVEN_DIR", "install.exe");
        uninstaller_ = bwtest::buildPath("BW_DRIVEN_DIR", "UnBundlewright.exe");
        ASSERT_TRUE(os::fileExists(installer_)) << installer_;
        if (!os::fileExists(uninstaller_)) {
            // Packed unchanged: any program does for what needs no removal.
            uninstaller_ = bwtest::hostPath(BW_E2E_MARKER);
            realUninstaller_ = false;
        }
        programs_ = os::shellFolder(os::ShellFolder::Programs) + "\\BwTestStubE2E";
        desktop_ = os::shellFolder(os::ShellFolder::Desktop);
        cleanUp();
        os::RegKey::create(os::RegRoot::CurrentUser, kEnvKey)
            .set(kPathVar, os::RegValue::string("C:\\Orig\\bin;C:\\Origin", os::RegType::ExpandString));
        makeTree();
    }
    void TearDown() override { cleanUp(); }
    void cleanUp() {
        os::RegKey::open(os::RegRoot::CurrentUser, kEnvKey).deleteValue(kPathVar);
        for (const char* k : {kProductKey, "SOFTWARE\\BwTestStubE2E\\Widget", "SOFTWARE\\BwTestStubE2E",
                              "SOFTWARE\\BwTestStubE2EValues\\Sub", kValuesKey}) {
            std::string key = k, parent = key.substr(0, key.rfind('\\'));
            os::RegKey::open(os::RegRoot::CurrentUser, parent).deleteSubKey(key.substr(key.rfind('\\') + 1));
        }
        if (os::serviceExists(kService)) os::deleteService(kService);
        os::RegKey::open(os::RegRoot::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall")
            .deleteSubKey("Widget");
        bwtest::removeTree(programs_);
        os::deleteFile(desktop_ + "\\BwTestStubE2E Tool.lnk");
    }

    void put(bwtest::TempTree& t, const std::string& rel, const std::string& bytes) {
        size_t cut = rel.rfind('\\');
        if (cut != std::string::npos) t.mkdir(rel.substr(0, cut));
        t.write(rel, bytes);
    }
    // The publisher's tree and working files, as the wizard leaves them.
    void makeTree() {
        std::string marker = readFile(bwtest::hostPath(BW_E2E_MARKER));
        big_.assign(300000, 'x');
        for (size_t i = 0; i < big_.size(); i += 13) big_[i] = static_cast<char>('a' + i % 26);
        files_ = {{"a.txt", "alpha\r\n"},
                  {"docs\\guide\\deep.txt", "deep inside"},
                  {"docs\\big.bin", big_},
                  {"zero.dat", ""},
                  {"data.bz2", "not a bzip2 stream"},
                  {"bin\\clean.exe", marker},
                  {"bin\\svc.exe", marker}};
        writeProject();
    }
    // The source tree of files_ and the working files, which a build consumes.
    void writeProject() {
        std::string list;
        for (const auto& f : files_) {
            put(t_, "src\\" + f.first, f.second);
            list += t_.path("src\\" + f.first) + "\r\n";
        }
        t_.mkdir("src\\emptydir");
        list += t_.path("src\\emptydir\\temp$") + "\r\n";
        put(t_, "inst\\temp\\list.txt", list);
        put(t_, "inst\\temp\\option.txt",
                 "NO_PROMPT_SECTION\r\n\r\nYES_WELCOME_SECTION\r\ndefault\r\n\r\nYES_LICENSE_SECTION\r\nBe kind to the "
                 "end user.\r\nSecond line of the licence.\r\n\r\nYES_PASSWORD_SECTION\r\ne2e\r\n\r\n"
                 "YES_README_SECTION\r\n\\A.TXT\r\n\r\n");
        put(t_, "inst\\temp\\registry.txt",
                 std::string("*Default_Root`HKEY_CURRENT_USER\r\n*AddKey`") + kProductKey + "\r\n" +
                     "*Default_Root`HKEY_CURRENT_USER\r\n*AppendKeyValue`" + kEnvKey + "`" + kPathVar +
                     "`C:\\Orig\r\n" + "*Addkey`" + kValuesKey + "\\Sub\r\n*SetKeyValue`" + kValuesKey +
                     "`Colour`blue\r\n");
        put(t_, "inst\\temp\\shortcuts.txt",
                 "create_shortcut_dir`Desktop\\Start Menu\\Programs\\BwTestStubE2E\r\n"
                 "add_shortcut`<<TARGETDIR>>\\a.txt`Desktop\\Start Menu\\Programs\\BwTestStubE2E\\Alpha.lnk`"
                 "Shortcut to Alpha`-x\r\n"
                 "add_shortcut`<<TARGETDIR>>\\bin\\svc.exe`Desktop\\BwTestStubE2E Tool.lnk`Shortcut to Tool`\r\n"
                 "add_shortcut`%WINDIR%\\UnBundlewright.exe`Desktop\\Start Menu\\Programs\\BwTestStubE2E\\"
                 "Uninstall.lnk`Shortcut to UnBundlewright`-f<<TARGETDIR>>\\Uninstall.wzu\r\n");
        builder::BuildRequest& r = request_;
        r.stub_path = installer_;
        r.uninstaller_path = uninstaller_;
        r.source_folder = t_.path("src");
        r.output_path = t_.path("setup.exe");
        r.company_name = "BwTestStubE2E";
        r.product_name = "Widget";
        r.product_version = "1.0";
        r.email = "support@example.com";
        r.description = "A widget for the end-to-end test.";
        r.copyright_notice = "(c) 2026 BwTestStubE2E";
        r.list_file_path = t_.path("inst\\temp\\list.txt");
        r.option_file_path = t_.path("inst\\temp\\option.txt");
        r.registry_file_path = t_.path("inst\\temp\\registry.txt");
        r.shortcuts_file_path = t_.path("inst\\temp\\shortcuts.txt");
        r.lang_dir = dist("lang\\");
        r.pre_uninstall_choice = 0;
        r.pre_uninstall_file = "\\bin\\clean.exe";
        r.pre_uninstall_cmdline = scratch_.path("uninstalled.txt") + " <<TARGETDIR>>";
        r.services_text = std::string("\\bin\\svc.exe~") + kService + "~Bw Test Stub E2E Service";
        r.file_count = static_cast<int>(files_.size());
        r.required_space = 1234567;
        r.threads = 1;
    }
    void build() {
        bwtest::QuietProgress quiet;
        builder::PackageBuilder b(quiet);
        builder::BuildResult res = b.build(request_);
        ASSERT_TRUE(res.ok()) << res.failure.text;
    }
    int run(const std::string& args, const std::string& scenario = "") {
        if (!scenario.empty()) {
            put(scratch_, "run.scn", scenario);
            os::setEnv("BUNDLEWRIGHT_SCENARIO", scratch_.path("run.scn"));
        }
        int code = -1;
        bool started = os::startProcess(os::quoteArgument(request_.output_path) + " " + args, true, &code);
        os::unsetEnv("BUNDLEWRIGHT_SCENARIO");
        EXPECT_TRUE(started);
        return code;
    }
    std::vector<std::string> machine() {
        std::vector<std::string> m = bwtest::snapshot(t_.root());
        for (const std::string& s : bwtest::snapshot(programs_)) m.push_back("programs:" + s);
        std::string link;
        m.push_back(bwtest::readFile(desktop_ + "\\BwTestStubE2E Tool.lnk", link) ? "desktop link=" + link : "no desktop link");
        dumpKey(os::RegRoot::CurrentUser, "SOFTWARE\\BwTestStubE2E", m);
        dumpKey(os::RegRoot::CurrentUser, kValuesKey, m);
        os::RegValue v;
        if (os::RegKey::open(os::RegRoot::CurrentUser, kEnvKey).query(kPathVar, v)) m.push_back("path=" + v.asString());
        m.push_back(os::serviceExists(kService) ? "service" : "no service");
        return m;
    }
    std::vector<std::string> scriptStrings(const std::string& dest) {
        std::string s = readFile(dest + "\\Uninstall.wzu");
        std::vector<std::string> out;
        size_t pos = 0;
        for (size_t at; (at = s.find('\0', pos)) != std::string::npos; pos = at + 1) out.push_back(s.substr(pos, at - pos));
        return out;
    }
    // Everything the package installs, checked in place.
    void checkInstalled(const std::string& dest) {
        for (const auto& f : files_) {
            std::string installed = f.first;
            std::string got;
            ASSERT_TRUE(bwtest::readFile(dest + "\\" + installed, got)) << installed;
            EXPECT_TRUE(got == f.second) << installed << " differs";
        }
        EXPECT_TRUE(os::directoryExists(dest + "\\emptydir"));
        EXPECT_TRUE(os::fileExists(os::windowsFolder() + "\\UnBundlewright.exe"));
        EXPECT_TRUE(os::RegKey::open(os::RegRoot::CurrentUser, kProductKey).valid());
        EXPECT_TRUE(os::RegKey::open(os::RegRoot::CurrentUser, std::string(kValuesKey) + "\\Sub").valid());
        os::RegValue v;
        ASSERT_TRUE(os::RegKey::open(os::RegRoot::CurrentUser, kValuesKey).query("Colour", v));
        EXPECT_EQ("blue", v.asString());
        ASSERT_TRUE(os::RegKey::open(os::RegRoot::CurrentUser, kEnvKey).query(kPathVar, v));
        EXPECT_EQ("C:\\Orig\\bin;C:\\Origin;C:\\Orig", v.asString());
        os::Shortcut link;
        ASSERT_TRUE(os::readShortcut(programs_ + "\\Alpha.lnk", link));
        EXPECT_EQ(dest + "\\a.txt", link.target);
        EXPECT_EQ("-x", link.arguments);
        EXPECT_EQ("Shortcut to Alpha", link.description);
        ASSERT_TRUE(os::readShortcut(programs_ + "\\Uninstall.lnk", link));
        EXPECT_EQ(os::windowsFolder() + "\\UnBundlewright.exe", link.target);
        EXPECT_EQ("-f" + dest + "\\Uninstall.wzu", link.arguments);
        ASSERT_TRUE(os::readShortcut(desktop_ + "\\BwTestStubE2E Tool.lnk", link));
        EXPECT_EQ(dest + "\\bin\\svc.exe", link.target);
        EXPECT_TRUE(os::serviceExists(kService));

        std::vector<std::string> s = scriptStrings(dest);
        ASSERT_GE(s.size(), 3u);
        EXPECT_EQ(dest + "\\bin\\clean.exe", s[0]);
        EXPECT_EQ(scratch_.path("uninstalled.txt") + " " + dest, s[1]);
        EXPECT_EQ("**EndEndEnd**", s.back());
        for (const auto& f : files_) {
            // A file whose own name ends in ".bz2" is listed with the suffix twice:
            // UnBundlewright cuts one.
            std::string listed = dest + "\\" + f.first;
            if (listed.size() > 4 && listed.compare(listed.size() - 4, 4, ".bz2") == 0) listed += ".bz2";
            EXPECT_NE(s.end(), std::find(s.begin(), s.end(), listed)) << f.first;
        }
        for (const std::string& want : {std::string("~") + kEnvKey + "~" + kPathVar + "~;C:\\Orig",
                                        std::string(kProductKey), std::string(kValuesKey) + "`Colour",
                                        programs_ + "\\Alpha.lnk", std::string(kService), dest + "\\emptydir",
                                        dest + "\\docs\\guide"})
            EXPECT_NE(s.end(), std::find(s.begin(), s.end(), want)) << want;
        EXPECT_EQ(s.end(), std::find(s.begin(), s.end(), std::string(kEnvKey))) << "an existing key is never removed";
    }
    // UnBundlewright on the script, its question answered yes. False when its
    // windows cannot be played yet (no Win32 host to run the scenario).
    bool uninstall(const std::string& dest) {
#ifndef BW_E2E_WINDOWS_PLAYED
        (void)dest;
        return false;
#endif
        put(scratch_, "uninstall.scn", "answer message yes\non dialog IDD_UNINSTALL\nclick IDOK\n");
        os::setEnv("BUNDLEWRIGHT_SCENARIO", scratch_.path("uninstall.scn"));
        int code = -1;
        bool started = os::startProcess(os::quoteArgument(uninstaller_) + " -f" + dest + "\\Uninstall.wzu", true, &code);
        os::unsetEnv("BUNDLEWRIGHT_SCENARIO");
        EXPECT_TRUE(started);
        std::string trace;
        EXPECT_TRUE(bwtest::readFile(scratch_.path("uninstalled.txt"), trace));
        EXPECT_EQ("ran " + dest, trace) << "the pre-uninstallation program ran";
        os::deleteFile(scratch_.path("uninstalled.txt"));
        return true;
    }

    bool realUninstaller_ = true;
    bwtest::TempTree t_;
    bwtest::TempTree scratch_;   // scenarios and the trace, outside what is compared
    builder::BuildRequest request_;
    std::string installer_, uninstaller_, programs_, desktop_, big_;
    std::vector<std::pair<std::string, std::string>> files_;
};

TEST_F(RoundTrip, SilentInstallThenUninstallLeavesTheMachineAsItWas) {
    if (!realUninstaller_) GTEST_SKIP() << "UnBundlewright.exe is not built";
    build();
    std::vector<std::string> before = machine();
    std::string dest = t_.path("Dest Folder\\Widget");
    EXPECT_EQ(3, run("/S /D=" + dest)) << "no password: refused";
    EXPECT_EQ(3, run("/S /P=wrong /D=" + dest));
    EXPECT_FALSE(os::directoryExists(t_.path("Dest Folder")));
    ASSERT_EQ(0, run("/S /P=e2e /D=" + dest));
    checkInstalled(dest);
    if (!uninstall(dest)) GTEST_SKIP() << "installed and checked; UnBundlewright's windows cannot be played here";
    EXPECT_FALSE(os::directoryExists(t_.path("Dest Folder")));
    EXPECT_EQ(before, machine());
}

const char kUninstallEntry[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Widget";

// A repair: the same package installed again over itself, then removed
// without a window through the installed-programs entry's quiet command.
TEST_F(RoundTrip, InstallTwiceThenUninstallSilentlyLeavesTheMachineAsItWas) {
    if (!realUninstaller_) GTEST_SKIP() << "UnBundlewright.exe is not built";
    build();
    std::vector<std::string> before = machine();
    ASSERT_FALSE(os::RegKey::open(os::RegRoot::LocalMachine, kUninstallEntry).valid()) << "left by another run";
    std::string dest = t_.path("Twice\\Widget");
    ASSERT_EQ(0, run("/S /P=e2e /D=" + dest));
    ASSERT_EQ(0, run("/S /P=e2e /D=" + dest)) << "the second install stops";
    for (const auto& f : files_) EXPECT_EQ(f.second, readFile(dest + "\\" + f.first)) << f.first;
    EXPECT_TRUE(os::serviceExists(kService));

    os::RegKey entry = os::RegKey::open(os::RegRoot::LocalMachine, kUninstallEntry);
    ASSERT_TRUE(entry.valid()) << "no entry in the list of installed programs";
    os::RegValue v;
    ASSERT_TRUE(entry.query("DisplayName", v));
    EXPECT_EQ("Widget", v.asString());
    ASSERT_TRUE(entry.query("Publisher", v));
    EXPECT_EQ("BwTestStubE2E", v.asString());
    ASSERT_TRUE(entry.query("InstallLocation", v));
    EXPECT_EQ(dest, v.asString());
    ASSERT_TRUE(entry.query("QuietUninstallString", v));
    std::string quiet = v.asString();
    EXPECT_EQ("\"" + os::windowsFolder() + "\\UnBundlewright.exe\" /S -f" + dest + "\\Uninstall.wzu", quiet);

    // The quiet command, with the uninstaller the test built.
    std::string command = os::quoteArgument(uninstaller_) + quiet.substr(quiet.find("\" /S") + 1);
    int code = -1;
    ASSERT_TRUE(os::startProcess(command, true, &code));
    EXPECT_EQ(0, code) << "something listed stayed";
    EXPECT_EQ("ran " + dest, readFile(scratch_.path("uninstalled.txt")));
    os::deleteFile(scratch_.path("uninstalled.txt"));
    EXPECT_FALSE(os::RegKey::open(os::RegRoot::LocalMachine, kUninstallEntry).valid());
    EXPECT_FALSE(os::directoryExists(t_.path("Twice")));
    EXPECT_EQ(before, machine());
}

// An upgrade over look-alikes of what the package writes, each kind of
// change failing in turn on the way: the user's own file of a packed name
// and another beside it, the user's value under a key the package writes,
// the user's part of the PATH-like value, the user's own shortcut of the
// same name, another product's shortcut in the shared Programs folder. A
// foreign service of the same name is refused before anything is written;
// so is a second folder for the same product. After every failure, and
// after version 1, version 2 and the uninstall, the machine is as before.
TEST_F(RoundTrip, UpgradeOverLookAlikesIsAllOrNothingAndGivesBackWhatWasThere) {
    if (!realUninstaller_) GTEST_SKIP() << "UnBundlewright.exe is not built";
    build();
    const std::string v1 = request_.output_path;
    files_[0].second = "alpha, version 2\r\n";
    os::deleteFile(t_.path("src\\zero.dat"));
    files_.erase(std::find_if(files_.begin(), files_.end(), [](const auto& f) { return f.first == "zero.dat"; }));
    files_.push_back({"docs\\added.txt", "new in version 2"});
    writeProject();
    request_.product_version = "2.0";
    request_.output_path = t_.path("setup2.exe");
    build();
    const std::string v2 = request_.output_path;

    const std::string dest = t_.path("Up\\Widget");
    put(t_, "Up\\Widget\\mine.txt", "the user's own");
    put(t_, "Up\\Widget\\a.txt", "the user's a.txt");
    os::RegKey::create(os::RegRoot::CurrentUser, kValuesKey).set("Colour", os::RegValue::string("red"));
    bwtest::writeFile(desktop_ + "\\BwTestStubE2E Tool.lnk", "the user's own shortcut");
    os::createDirectory(programs_);
    bwtest::writeFile(programs_ + "\\Uninstall.lnk", "another product's uninstall shortcut");
    const std::vector<std::string> before = machine();
    auto install = [&](const std::string& package, const std::string& where, int failAt) {
        if (failAt) os::setEnv("BUNDLEWRIGHT_FAIL_AT", std::to_string(failAt));
        int code = -1;
        EXPECT_TRUE(os::startProcess(os::quoteArgument(package) + " /S /P=e2e /D=" + where, true, &code));
        os::unsetEnv("BUNDLEWRIGHT_FAIL_AT");
        return code;
    };

    ASSERT_TRUE(os::createService({kService, "taken", "C:\\x.exe", os::ServiceStart::Demand}));
    EXPECT_EQ(4, install(v1, dest, 0)) << "a service of that name is another program's";
    os::deleteService(kService);
    EXPECT_EQ(before, machine()) << "refused before anything was written";

    auto everyFailure = [&](const std::string& package, const std::vector<std::string>& state) {
        int k = 1;
        for (; k < 200; ++k) {
            int code = install(package, dest, k);
            if (code == 0) break;
            EXPECT_EQ(4, code) << k;
            EXPECT_EQ(state, machine()) << "after a failure at change " << k;
        }
        EXPECT_GT(k, 20) << "the package's changes, counted";
    };
    everyFailure(v1, before);
    const std::vector<std::string> afterV1 = machine();
    EXPECT_EQ(4, install(v1, t_.path("Elsewhere"), 0)) << "installed in " << dest << " already";
    EXPECT_EQ(afterV1, machine());
    everyFailure(v2, afterV1);
    EXPECT_EQ("alpha, version 2\r\n", readFile(dest + "\\a.txt"));
    os::RegValue v;
    ASSERT_TRUE(os::RegKey::open(os::RegRoot::CurrentUser, kEnvKey).query(kPathVar, v));
    EXPECT_EQ("C:\\Orig\\bin;C:\\Origin;C:\\Orig", v.asString()) << "an upgrade appends no part twice";
    ASSERT_TRUE(os::RegKey::open(os::RegRoot::LocalMachine, kUninstallEntry).query("DisplayVersion", v));
    EXPECT_EQ("2.0", v.asString());

    int code = -1;
    ASSERT_TRUE(os::startProcess(os::quoteArgument(uninstaller_) + " /S -f" + dest + "\\Uninstall.wzu", true, &code));
    EXPECT_EQ(0, code);
    os::deleteFile(scratch_.path("uninstalled.txt"));
    EXPECT_EQ(before, machine());
}

// The installer's windows step by step, each pictured; `welcome` and
// `password` are the steps taken on those windows.
std::string windowsScenario(const std::string& language, const std::string& welcome, const std::string& password,
                            const std::string& dest) {
    return "on dialog IDD_WELCOME\n" + welcome + bwtest::shotStep("installer-" + language, "1-welcome") + "click IDC_NEXT\n"
           "on dialog IDD_LICENSE\nclick IDC_ACCEPT\n" + bwtest::shotStep("installer-" + language, "2-licence") + "click IDC_NEXT\n"
           "on dialog IDD_PASSWORD\n" + password + "set IDC_PASSWORD e2e\nclick IDC_NEXT\n"
           "on dialog IDD_FOLDER\nexpect text IDC_FOLDER C:\\Program Files\\Widget\nset IDC_FOLDER " + dest + "\n" +
           bwtest::shotStep("installer-" + language, "3-folder") + "click IDC_NEXT\n"
           "on dialog IDD_PROGRESS\n" + bwtest::shotStep("installer-" + language, "4-progress") +
           "on dialog IDD_FINISH\n" + bwtest::shotStep("installer-" + language, "5-finish") + "clear IDC_SHOW_README\nclick IDC_NEXT\n";
}

TEST_F(RoundTrip, TheWindowsInstallWhatTheUserChose) {
    if (!realUninstaller_) GTEST_SKIP() << "UnBundlewright.exe is not built";
    build();
    std::vector<std::string> before = machine();
    std::string dest = t_.path("Chosen\\Widget");
    ASSERT_EQ(0, run("", windowsScenario("English", "", "set IDC_PASSWORD nope\nanswer message ok\nclick IDC_NEXT\n"
                                         "expect message The password is not correct. Please try again.\n", dest)));
    checkInstalled(dest);
    if (!uninstall(dest)) GTEST_SKIP() << "installed and checked; UnBundlewright's windows cannot be played here";
    EXPECT_EQ(before, machine());
}

// The same steps in the package's language: the windows take their texts
// from lang/French.txt.
TEST_F(RoundTrip, TheWindowsSpeakThePackagesLanguage) {
    if (!realUninstaller_) GTEST_SKIP() << "UnBundlewright.exe is not built";
    request_.language_index = 1;
    build();
    std::vector<std::string> before = machine();
    std::string dest = t_.path("Choisi\\Widget");
    ASSERT_EQ(0, run("", windowsScenario("French", "expect text IDC_NEXT &Suivant >\n", "", dest)));
    checkInstalled(dest);
    if (uninstall(dest)) {
        EXPECT_EQ(before, machine());
    }
}

TEST_F(RoundTrip, DamagedPackagesInstallNothing) {
    build();
    std::string good = readFile(request_.output_path);
    std::vector<std::string> before = machine();
    std::string dest = t_.path("Never");
    // A hand-made entry name that climbs out of the destination.
    std::string evil = good;
    size_t at = evil.find("\\a.txt.bz2\r\n");
    ASSERT_NE(std::string::npos, at);
    evil.replace(at, 6, "\\..\\..");   // same length: "\..\..bz2"-like names keep the layout intact
    bwtest::writeFile(request_.output_path, evil);
    EXPECT_EQ(2, run("/S /P=e2e /D=" + dest)) << "refused before anything is written";
    // Truncated copies that still start (the program itself whole), a few sizes across the layout.
    size_t payload = 541200;
    for (size_t n : {payload, payload + 1, payload + (good.size() - payload) / 2, good.size() - 41, good.size() - 1}) {
        bwtest::writeFile(request_.output_path, good.substr(0, n));
        EXPECT_EQ(2, run("/S /P=e2e /D=" + dest)) << n;
    }
    EXPECT_FALSE(os::directoryExists(dest));
    os::deleteFile(request_.output_path);
    std::vector<std::string> after = machine();
    before.erase(std::remove_if(before.begin(), before.end(), [](const std::string& s) { return s.rfind("setup.exe=", 0) == 0; }),
                 before.end());
    EXPECT_EQ(before, after);
}

}  // namespace
