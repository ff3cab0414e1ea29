// The whole wizard from the welcome page to Finish with every real page:
// the output location page's paths, the summary text, Build's checks (which
// must never damage what the user has), the package and project file it
// writes, and a second build from the saved project. Runs on the headless
// host natively and on real windows under Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/package_reader.h"
#include "platform/os/os.h"
#include "platform/ui/prompter.h"
#include "platform/ui/scenario.h"
#include "resources/tarnwick/resource.h"
#include "tests/support/host_path.h"
#include "tests/support/test_folder.h"
#include "tests/unit/wizard/tarnwick_run.h"
#include "wizard/page_base.h"
#include "wizard/output_location_dlg.h"
#include "wizard/startup.h"
#include "wizard/summary_dlg.h"
#include "wizard/summary_text.h"

namespace {

std::string replaceAll(std::string text, const std::string& what, const std::string& with) {
    for (std::size_t at = 0; (at = text.find(what, at)) != std::string::npos; at += with.size())
        text.replace(at, what.size(), with);
    return text;
}

// An installation folder with a stand-in stub and uninstaller (the package is
// read back here, not run), the English language file and a product tree.
class BuildChain : public ::testing::Test {
protected:
    void SetUp() override {
        os::setExitTrap(true);
        ui::setProgramName("Tarnwick");
        root = dir.path();
        inst = root + "\\inst";
        for (const char* sub : {"bin", "temp", "lang", "output", "projects", "image"})
            os::createDirectories(inst + "\\" + sub);
        std::string stub = "MZ stand-in stub\r\n";
        for (int i = 0; i < 4000; ++i) stub += static_cast<char>(i * 7);
        put(inst + "\\bin\\install.exe", stub);
        put(inst + "\\bin\\UnBundlewright.exe", "MZ stand-in uninstaller");
        put(inst + "\\lang\\English.txt", "Welcome\r\nto the setup\r\n");
        put(inst + "\\bin\\config.mnu", "1000000");
        put(root + "\\Prod\\a.txt", "alpha");
        put(root + "\\Prod\\docs\\b.txt", std::string(5000, 'b'));
        os::createDirectories(root + "\\Prod\\empty");
        had_ = os::getEnv(wizard::kInstallDirVariable, old_);
        os::setEnv(wizard::kInstallDirVariable, inst);
#ifndef _WIN32
        os::setCommandLine("\"C:\\Tw\\bin\\Tarnwick.exe\"");
#endif
        here_ = os::currentDirectory();
    }
    void TearDown() override {
        os::setCurrentDirectory(here_);
        if (had_) os::setEnv(wizard::kInstallDirVariable, old_);
        else os::unsetEnv(wizard::kInstallDirVariable);
        os::setExitTrap(false);
    }

    static void put(const std::string& path, const std::string& bytes) {
        const std::size_t cut = path.find_last_of('\\');
        os::createDirectories(path.substr(0, cut));
        bwtest::TestFolder::write(path, bytes);
    }
    static std::string get(const std::string& path) { return bwtest::TestFolder::read(path); }

    std::string scenarioFile(const std::string& name) {
        std::string text = get(bwtest::buildPath("BW_SOURCE_DIR", "tests/scenarios/" + name));
        EXPECT_FALSE(text.empty()) << name;
        return text;
    }
    std::string withFolders(std::string text) {
        const std::string shots = bwtest::buildPath("BW_BINARY_DIR", "shots/wizard-build");
        if (!shots.empty()) os::createDirectories(shots);
        text = replaceAll(std::move(text), "%SHOTS%", shots);
        return replaceAll(std::move(text), "@\\", root + "\\");
    }

    // Runs Tarnwick's welcome page under the scenario; the exit code.
    int runTarnwick(ui::Scenario scenario) { return bwtest::runTarnwick(std::move(scenario), messages, pauseAtEnd); }
    int runTarnwick(const std::string& text) { return runTarnwick(ui::Scenario::parse(withFolders(text), "chain")); }

    // The new project's way to the summary page, with the two paths chosen
    // through their Browse buttons.
    std::string toSummary(const std::string& output, const std::string& project) {
        return "on dialog IDD_SPLASH\non dialog IDD_WELCOME\nclick IDC_WELCOME_NEXT\n"
               "on dialog IDD_PROJECT_START\nset IDC_PROJECT_NAME Demo\nclick IDC_PROJECT_NEXT\n"
               "on dialog IDD_PRODUCT_INFO\nset IDC_PRODUCT_COMPANY Acme Tools\nset IDC_PRODUCT_NAME Widget\n"
               "set IDC_PRODUCT_VERSION 1.0\nclick IDC_PRODUCT_NEXT\n"
               "on dialog IDD_SOURCE_FOLDER\nset IDC_SOURCE_FOLDER_EDIT @\\Prod\ncheck IDC_SOURCE_FOLDER_SUBFOLDERS\n"
               "click IDC_SOURCE_FOLDER_NEXT\n"
               "on dialog IDD_FILE_LIST\nclick IDC_FILE_LIST_NEXT\n"
               "on dialog IDD_INSTALL_OPTIONS\nclick IDC_INSTALL_OPTIONS_NEXT\n"
               "on dialog IDD_OUTPUT_LOCATION\nanswer file " + output + "\nclick IDC_OUTPUT_FILE_BROWSE\n"
               "answer file " + project + "\nclick IDC_OUTPUT_PROJECT_BROWSE\nclick IDC_OUTPUT_LOCATION_NEXT\n"
               "on dialog IDD_SUMMARY\n";
    }
    static constexpr const char* kCancelRun = "answer message yes\nesc\n";

    twk::PackageContents readBack(const std::string& path) {
        twk::PackageContents out;
        FILE* f = os::openFile(path, "rb");
        EXPECT_NE(f, nullptr) << path;
        if (!f) return out;
        twk::FileSource source(f);
        std::string error;
        EXPECT_TRUE(twk::readPackage(source, out, error)) << error;
        std::fclose(f);
        return out;
    }

    bwtest::TestFolder dir;
    std::string root, inst;
    std::vector<ui::RecordedMessage> messages;
    bool pauseAtEnd = false;     // the builder's closing pause; one test keeps it

private:
    bool had_ = false;
    std::string old_, here_;
};

std::vector<std::string> entryNames(const twk::PackageContents& p) {
    std::vector<std::string> names;
    for (const auto& e : p.entries) names.push_back(e.name);
    std::sort(names.begin(), names.end());
    return names;
}

TEST(SummaryText, ByteCountsGetACommaBeforeEveryGroupOfThree) {
    EXPECT_EQ(wizard::formatByteCount(0), "0");
    EXPECT_EQ(wizard::formatByteCount(999), "999");
    EXPECT_EQ(wizard::formatByteCount(1000), "1,000");
    EXPECT_EQ(wizard::formatByteCount(1234567), "1,234,567");
    EXPECT_EQ(wizard::formatByteCount(4294967296.0), "4,294,967,296");
    EXPECT_EQ(wizard::formatByteCount(1125899906842624.0), "1,125,899,906,842,624");
    EXPECT_EQ(wizard::formatByteCount(999.6), "1,000");   // rounded first, then grouped
}

TEST_F(BuildChain, NewProjectFromWelcomeToFinishThenTheSavedProjectBuildsTheSameBytes) {
    // Working files another project left behind without a build.
    put(inst + "\\temp\\registry.txt", "*Default_Root`HKEY_CURRENT_USER\r\n*Addkey`Software\\Stale\r\n");
    put(inst + "\\temp\\shortcuts.txt", "stale shortcuts\r\n");
    put(inst + "\\temp\\list.txt", root + "\\Stale\\x.txt\r\n");

    EXPECT_EQ(runTarnwick(scenarioFile("tarnwick_build.scn")), wizard::kExitFinished);
    for (const auto& m : messages) ADD_FAILURE() << "unexpected message: " << m.text;
    const std::string package = inst + "\\output\\Demo.exe";
    const std::string project = inst + "\\projects\\Demo.wzp";
    const std::string packageBytes = get(package), projectBytes = get(project);
    ASSERT_FALSE(packageBytes.empty());
    ASSERT_FALSE(projectBytes.empty());

    const twk::PackageContents p = readBack(package);
    EXPECT_EQ(p.fileCount, "2");
    ASSERT_GE(p.texts.size(), 14u);
    EXPECT_EQ(p.texts[0], "Acme Tools");
    EXPECT_EQ(p.texts[1], "Widget");
    EXPECT_EQ(p.texts[2], "1.0");
    EXPECT_EQ(p.texts[13], "C:\\Program Files\\Widget");
    // Without the delivery page: no programs (a blank each), no command lines.
    for (int item : {7, 8, 9, 10, 11, 12}) EXPECT_EQ(p.texts[item], " ") << "item " << item + 8;
    EXPECT_EQ(p.finishAction, "0");
    EXPECT_NE(get(project).find("`start9`-1?-1?-1`"), std::string::npos);
    EXPECT_NE(p.optionBody.find("YES_PROMPT_SECTION\r\nInstall Widget?\r\n"), std::string::npos) << p.optionBody;
    EXPECT_EQ(p.requiredSpace, "145205");   // 5005 + the largest file + 135200
    EXPECT_EQ(p.language, "Welcome\nto the setup\n");
    EXPECT_EQ(entryNames(p), (std::vector<std::string>{"\\UnBundlewright.exe", "\\a.txt.bz2", "\\docs\\b.txt.bz2",
                                                       "\\empty\\temp$.bz2"}));
    EXPECT_FALSE(p.hasRegistry) << "a stale registry.txt reached the package";
    EXPECT_FALSE(p.hasShortcuts) << "a stale shortcuts.txt reached the package";
    for (const char* f : {"list.txt", "option.txt", "registry.txt", "shortcuts.txt"})
        EXPECT_FALSE(os::fileExists(inst + "\\temp\\" + f)) << f;
    EXPECT_FALSE(os::fileExists(package + ".probe"));
    EXPECT_FALSE(os::fileExists(project + ".probe"));

    // The compressed files stay in the installation's temp folder for the next
    // build; entries cut short there are compressed again, never packed.
    const std::string cache = inst + "\\temp\\cache";
    std::vector<os::DirEntry> cached;
    ASSERT_TRUE(os::listFolder(cache, cached));
    std::vector<std::string> entries;
    for (const os::DirEntry& e : cached)
        if (e.name.size() > 6 && e.name.compare(e.name.size() - 6, 6, ".entry") == 0) entries.push_back(e.name);
    EXPECT_EQ(entries.size(), 2u);
    const std::string whole = get(cache + "\\" + entries.at(0));
    put(cache + "\\" + entries[0], whole.substr(0, whole.size() / 2));

    // The saved project opened and built again, nothing changed.
    EXPECT_EQ(runTarnwick("on dialog IDD_SPLASH\non dialog IDD_WELCOME\nclick IDC_WELCOME_NEXT\n"
                          "on dialog IDD_PROJECT_START\nclick IDC_PROJECT_OPEN\nset IDC_PROJECT_PATH @\\inst\\projects\\Demo.wzp\n"
                          "click IDC_PROJECT_NEXT\n"
                          "on dialog IDD_PRODUCT_INFO\nexpect text IDC_PRODUCT_NAME Widget\nclick IDC_PRODUCT_NEXT\n"
                          "on dialog IDD_SOURCE_FOLDER\nclick IDC_SOURCE_FOLDER_NEXT\n"
                          "on dialog IDD_FILE_LIST\nclick IDC_FILE_LIST_NEXT\n"
                          "on dialog IDD_INSTALL_OPTIONS\nclick IDC_INSTALL_OPTIONS_NEXT\n"
                          "on dialog IDD_OUTPUT_LOCATION\nexpect text IDC_OUTPUT_FILE_EDIT @\\inst\\output\\Demo.exe\n"
                          "expect text IDC_OUTPUT_PROJECT_EDIT @\\inst\\projects\\Demo.wzp\n"
                          "click IDC_OUTPUT_LOCATION_NEXT\n"
                          "on dialog IDD_SUMMARY\nclick IDC_SUMMARY_BUILD\n"
                          "on dialog IDD_FINISH\nclick IDC_FINISH_FINISH\n"),
              wizard::kExitFinished);
    const std::string again = get(package);
    EXPECT_EQ(again.size(), packageBytes.size());
    EXPECT_TRUE(again == packageBytes) << "the second build's package differs";
    if (again != packageBytes) {
        const twk::PackageContents q = readBack(package);
        EXPECT_EQ(q.optionBody, p.optionBody);
        EXPECT_EQ(q.texts, p.texts);
        EXPECT_EQ(entryNames(q), entryNames(p));
        EXPECT_EQ(q.fileCount, p.fileCount);
        EXPECT_EQ(q.requiredSpace, p.requiredSpace);
    }
    EXPECT_EQ(get(project), projectBytes);
    EXPECT_EQ(get(cache + "\\" + entries[0]), whole);
}

TEST_F(BuildChain, ACacheFolderThatCannotBeMadeIsSaidOnceAfterTheBuild) {
    put(inst + "\\temp\\cache", "a file where the compression cache would be");
    EXPECT_EQ(runTarnwick(scenarioFile("tarnwick_build.scn")), wizard::kExitFinished);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text.rfind("The compression cache " + inst + "\\temp\\cache cannot be written", 0), 0u)
        << messages[0].text;
    const twk::PackageContents p = readBack(inst + "\\output\\Demo.exe");
    EXPECT_EQ(entryNames(p), (std::vector<std::string>{"\\UnBundlewright.exe", "\\a.txt.bz2", "\\docs\\b.txt.bz2",
                                                       "\\empty\\temp$.bz2"}));
}

// The environment variables and registry pages on the road to the package:
// registry.txt's two sections, in the pages' order, packed whole; the saved
// project keeps both pages' texts, also when it is opened and built again
// with both pages switched off.
TEST_F(BuildChain, EnvironmentAndRegistryPagesReachThePackageAndTheProject) {
    put(inst + "\\bin\\config.mnu", "1001100");
    EXPECT_EQ(runTarnwick(scenarioFile("tarnwick_registry_env.scn")), wizard::kExitFinished);
    const std::string package = inst + "\\output\\RegEnv.exe";
    const std::string project = inst + "\\projects\\RegEnv.wzp";
    const std::string env = "`SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment`";
    const std::string section1 = "*Default_Root`HKEY_CURRENT_USER\r\n*AddKey`SOFTWARE\\BwTestRegEnvCo\\Widget\\2.0\r\n"
                                 "*Default_Root`HKEY_LOCAL_MACHINE\r\n"
                                 "*AppendKeyValue" + env + "Path`C:\\BwTestRegEnv\\bin\r\n"
                                 "*AppendKeyValue" + env + "BwTestRegEnv_Look`C:\\Tools\r\n"
                                 "*SetKeyValue" + env + "BwTestRegEnv_Var`three\r\n";
    const std::string section2 =
        "*Default_Root`HKEY_LOCAL_MACHINE\r\n*Addkey`SOFTWARE\\BwTestRegEnv\\Created\r\n"
        "*Default_Root`HKEY_CURRENT_USER\r\n*Addkey`Software\\BwTestRegEnvPre\r\n"
        "*SetKeyValue`Software\\BwTestRegEnvPre`Fresh`yes\r\n"
        "*Default_Root`HKEY_CLASSES_ROOT\r\n*SetKeyValue`BwTestRegEnv.file`Kind`widget\r\n"
        "*Default_Root`HKEY_USERS\r\n*SetKeyValue`.DEFAULT\\Software\\BwTestRegEnv`N`V\r\n"
        "*Default_Root`HKEY_CURRENT_CONFIG\r\n*Addkey`Software\\BwTestRegEnv\r\n"
        "*Default_Root`HKEY_LOCAL_MACHINE\r\n*SetKeyValue`SOFTWARE\\BwTestRegEnv\\Created`Size`big\r\n"
        "*Default_Root`HKEY_DYN_DATA\r\n*Addkey`BwTestRegEnvDyn\r\n";
    const twk::PackageContents p = readBack(package);
    ASSERT_TRUE(p.hasRegistry);
    EXPECT_EQ(p.registry, section1 + section2);
    const std::string saved = get(project);
    auto sectionOf = [](const std::string& wzp, const char* from, const char* to) {
        const std::size_t a = wzp.find(from), b = wzp.find(to);
        return a == std::string::npos || b == std::string::npos ? std::string("<none>") : wzp.substr(a, b - a);
    };
    // The project file is a text stream: each line end is stored as CR CR LF.
    auto stored = [](std::string text) {
        for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 3) text.insert(at, "\r");
        return text;
    };
    EXPECT_EQ(sectionOf(saved, "`start6`", "`start7`"), "`start6`1`" + stored(section1));
    EXPECT_NE(sectionOf(saved, "`start7`", "`start8`").find(stored("*Addkey`Software\\BwTestRegEnvPre`Fresh`yes\r\n")),
              std::string::npos);

    // Opened with both pages switched off: they never run, the project keeps their texts.
    std::string off = saved;
    const std::size_t flags = off.find("`start11`");
    ASSERT_NE(flags, std::string::npos);
    off.replace(flags + 9, 7, "1000000");
    put(project, off);
    EXPECT_EQ(runTarnwick("on dialog IDD_SPLASH\non dialog IDD_WELCOME\nclick IDC_WELCOME_NEXT\n"
                          "on dialog IDD_PROJECT_START\nclick IDC_PROJECT_OPEN\nset IDC_PROJECT_PATH @\\inst\\projects\\RegEnv.wzp\n"
                          "click IDC_PROJECT_NEXT\n"
                          "on dialog IDD_PRODUCT_INFO\nclick IDC_PRODUCT_NEXT\non dialog IDD_SOURCE_FOLDER\nclick IDC_SOURCE_FOLDER_NEXT\n"
                          "on dialog IDD_FILE_LIST\nclick IDC_FILE_LIST_NEXT\non dialog IDD_INSTALL_OPTIONS\nclick IDC_INSTALL_OPTIONS_NEXT\n"
                          "on dialog IDD_OUTPUT_LOCATION\nclick IDC_OUTPUT_LOCATION_NEXT\n"
                          "on dialog IDD_SUMMARY\nclick IDC_SUMMARY_BUILD\non dialog IDD_FINISH\nclick IDC_FINISH_FINISH\n"),
              wizard::kExitFinished);
    const std::string again = get(project);
    EXPECT_EQ(sectionOf(again, "`start6`", "`start7`"), sectionOf(saved, "`start6`", "`start7`"));
    EXPECT_EQ(sectionOf(again, "`start7`", "`start8`"), sectionOf(saved, "`start7`", "`start8`"));
}

TEST_F(BuildChain, DeliveryProgramsAndLanguageReachThePackageAndComeBackWithTheProject) {
    put(inst + "\\bin\\config.mnu", "0100001");
    put(inst + "\\lang\\French.txt", "Bienvenue\r\n\x1a after the end");
    put(root + "\\Prod\\setup.exe", "MZ pre");
    put(root + "\\Prod\\bin\\post.exe", "MZ post");
    put(root + "\\Prod\\un.bat", "@echo off");
    put(root + "\\Prod\\bin\\tool.exe.bak", "old");

    EXPECT_EQ(runTarnwick(scenarioFile("tarnwick_delivery_language.scn")), wizard::kExitFinished);
    for (const auto& m : messages) ADD_FAILURE() << "unexpected message: " << m.text;
    const std::string package = inst + "\\output\\Demo.exe";
    const std::string project = inst + "\\projects\\Demo.wzp";
    const std::string packageBytes = get(package), projectBytes = get(project);
    const twk::PackageContents p = readBack(package);
    ASSERT_GE(p.texts.size(), 14u);
    // Items 15 to 20: post-installation, pre-uninstallation, pre-installation.
    EXPECT_EQ(p.texts[7], "\\bin\\post.exe");
    EXPECT_EQ(p.texts[8], "--first-run");
    EXPECT_EQ(p.texts[9], "\\un.bat");
    EXPECT_EQ(p.texts[10], "bye now");
    EXPECT_EQ(p.texts[11], "\\setup.exe");
    EXPECT_EQ(p.texts[12], "/check \"<<TARGETDIR>>\"");
    EXPECT_EQ(p.finishAction, "2");
    EXPECT_EQ(p.language, "Bienvenue\n");
    const std::string lines = "`--first-run~!@#$%^&*()*&^%$#@!~bye now~!@#$%^&*()*&^%$#@!~/check \"<<TARGETDIR>>\"`2`";
    EXPECT_NE(projectBytes.find(lines), std::string::npos) << projectBytes;
    EXPECT_EQ(projectBytes.substr(projectBytes.size() - 10), "`start12`1");

    // Opened again, the pages show the same choices and the build gives the same bytes.
    EXPECT_EQ(runTarnwick("on dialog IDD_SPLASH\non dialog IDD_WELCOME\nclick IDC_WELCOME_NEXT\n"
                          "on dialog IDD_PROJECT_START\nclick IDC_PROJECT_OPEN\nset IDC_PROJECT_PATH @\\inst\\projects\\Demo.wzp\n"
                          "click IDC_PROJECT_NEXT\n"
                          "on dialog IDD_PRODUCT_INFO\nclick IDC_PRODUCT_NEXT\n"
                          "on dialog IDD_SOURCE_FOLDER\nclick IDC_SOURCE_FOLDER_NEXT\n"
                          "on dialog IDD_FILE_LIST\nclick IDC_FILE_LIST_NEXT\n"
                          "on dialog IDD_DELIVERY_OPTIONS\nexpect text IDC_DELIVERY_PRE_INSTALL_FILE \\setup.exe\n"
                          "expect text IDC_DELIVERY_PRE_INSTALL_CMD /check \"<<TARGETDIR>>\"\n"
                          "expect text IDC_DELIVERY_POST_INSTALL_FILE \\bin\\post.exe\n"
                          "expect text IDC_DELIVERY_PRE_UNINSTALL_FILE \\un.bat\n"
                          "expect text IDC_DELIVERY_PRE_UNINSTALL_CMD bye now\n"
                          "expect enabled IDC_DELIVERY_PRE_UNINSTALL_CMD 1\n"
                          "expect checked IDC_DELIVERY_RESTART 1\n"
                          "click IDC_DELIVERY_NEXT\n"
                          "on dialog IDD_OUTPUT_LANGUAGE\nexpect text IDC_LANGUAGE_LIST French\nclick IDC_LANGUAGE_NEXT\n"
                          "on dialog IDD_OUTPUT_LOCATION\nclick IDC_OUTPUT_LOCATION_NEXT\n"
                          "on dialog IDD_SUMMARY\nclick IDC_SUMMARY_BUILD\n"
                          "on dialog IDD_FINISH\nclick IDC_FINISH_FINISH\n"),
              wizard::kExitFinished);
    EXPECT_TRUE(get(package) == packageBytes) << "the reopened project's package differs";
    EXPECT_EQ(get(project), projectBytes);
}

TEST_F(BuildChain, TheSummaryShowsTheProjectAndEscOnFinishEndsWithZero) {
    pauseAtEnd = true;
    const std::string out = root + "\\out\\Demo.exe", wzp = root + "\\out\\Demo.wzp";
    os::createDirectories(root + "\\out");
    std::string shown;
    ui::Scenario s = ui::Scenario::parse(withFolders(toSummary(out, wzp)), "chain");
    s.then([&](ui::Dialog& d) {
        shown = d.text(IDC_SUMMARY_TEXT);
        EXPECT_FALSE(d.isControlVisible(IDC_SUMMARY_STATUS));
        EXPECT_FALSE(d.isControlVisible(IDC_SUMMARY_PROGRESS));
        EXPECT_EQ(d.focused(), IDC_SUMMARY_BUILD);
    });
    s.add("click IDC_SUMMARY_BUILD\non dialog IDD_FINISH\n");
    s.then([](ui::Dialog& finish) {
        // The summary page below ends the build showing its last status and a full bar.
        ui::Dialog* summary = finish.owner();
        ASSERT_NE(summary, nullptr);
        EXPECT_TRUE(summary->isControlVisible(IDC_SUMMARY_STATUS));
        EXPECT_EQ(summary->text(IDC_SUMMARY_STATUS), "Please wait...");
        EXPECT_GE(summary->progressPos(IDC_SUMMARY_PROGRESS), 2 + 10);
        EXPECT_FALSE(summary->isEnabled(IDC_SUMMARY_BUILD));
    });
    s.add("esc\n");
    EXPECT_EQ(runTarnwick(std::move(s)), wizard::kExitCancelled);
    EXPECT_EQ(shown, "Summary for \t\tWidget\r\n\r\nOutput \t\t\t" + out + "\r\n\r\nProjectfile \t\t" + wzp +
                         "\r\n\r\nSource files folder \t\t" + root + "\\Prod\r\n\r\nSpace required \t\t145,205 Bytes.");
    EXPECT_FALSE(get(out).empty());
    EXPECT_FALSE(get(wzp).empty());
}

// Each refusal leaves the files that were there byte-identical and creates
// nothing; the page stays usable.
TEST_F(BuildChain, BuildChecksRefuseWithoutTouchingExistingFiles) {
    const std::string keep = root + "\\keep";
    const std::string oldPackage = "an earlier package", oldProject = "an earlier project";
    struct Case {
        const char* what;
        std::string output, project, message;
        bool removeSource = false;
    };
    const std::vector<Case> cases = {
        {"output folder missing", root + "\\nowhere\\Demo.exe", keep + "\\Demo.wzp", wizard::kNoOutputFolderMessage},
        {"output names a folder", root + "\\Prod.exe", keep + "\\Demo.wzp", wizard::kNoOutputFolderMessage},
        {"project folder missing", keep + "\\Demo.exe", root + "\\nowhere\\Demo.wzp", wizard::kNoProjectFolderMessage},
        {"one path for both", keep + "\\Demo.exe", keep + "\\DEMO.EXE", wizard::kSamePathMessage},
        {"source folder gone", keep + "\\Demo.exe", keep + "\\Demo.wzp", wizard::kNoSourceFolderMessage, true},
    };
    os::createDirectories(root + "\\Prod.exe");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        put(keep + "\\Demo.exe", oldPackage);
        put(keep + "\\Demo.wzp", oldProject);
        ui::Scenario s = ui::Scenario::parse(withFolders(toSummary(c.output, c.project)), "chain");
        if (c.removeSource)
            s.then([&](ui::Dialog&) {
                std::filesystem::rename(os::hostPath(root + "\\Prod"), os::hostPath(root + "\\Prod.away"));
            });
        s.add("click IDC_SUMMARY_BUILD\nexpect message " + c.message + "\nexpect caption Bundlewright\n"
              "expect enabled IDC_SUMMARY_BUILD 1\nexpect visible IDC_SUMMARY_PROGRESS 0\n" + kCancelRun);
        EXPECT_EQ(runTarnwick(std::move(s)), wizard::kExitCancelled);
        if (c.removeSource)
            std::filesystem::rename(os::hostPath(root + "\\Prod.away"), os::hostPath(root + "\\Prod"));
        EXPECT_EQ(get(keep + "\\Demo.exe"), oldPackage);
        EXPECT_EQ(get(keep + "\\Demo.wzp"), oldProject);
        EXPECT_FALSE(os::fileExists(root + "\\nowhere"));
        std::vector<os::DirEntry> left;
        ASSERT_TRUE(os::listFolder(keep, left));
        EXPECT_EQ(left.size(), 4u) << "only the two files (and . and ..) stay in the folder";
    }
}

TEST_F(BuildChain, TooLittleSpaceIsSaidWithTheProgramsNameAndBuildAgainGivesTheSamePackage) {
    // A sparse file larger than the disks here: the list's required space passes the free space.
    const std::string huge = root + "\\Prod\\huge.bin";
    ASSERT_TRUE(os::createSparseFile(huge, 1ull << 43));
    const std::string out = root + "\\out\\Demo.exe", wzp = root + "\\out\\Demo.wzp";
    os::createDirectories(root + "\\out");
    ui::Scenario s = ui::Scenario::parse(withFolders(toSummary(out, wzp)), "chain");
    s.add("click IDC_SUMMARY_BUILD\nexpect message " + std::string(wizard::kNoSpaceMessage) +
          "\nexpect caption Tarnwick\n" + kCancelRun);
    EXPECT_EQ(runTarnwick(std::move(s)), wizard::kExitCancelled);
    EXPECT_FALSE(os::fileExists(out));
    EXPECT_FALSE(os::fileExists(wzp));
    os::deleteFile(huge);

    // A refused press, then one that builds: the same package as one press,
    // with the registry rows appended once.
    auto addRows = [](ui::Dialog& d) {
        wizard::ProjectRecord& r = dynamic_cast<wizard::PageBase&>(d).record();
        r.registry_root[0] = "HKEY_LOCAL_MACHINE";
        r.registry_key_name[0] = "Software\\Acme";
        r.registry_action[0] = "Create Key";
    };
    ui::Scenario once = ui::Scenario::parse(withFolders(toSummary(out, wzp)), "chain");
    once.then(addRows).add("click IDC_SUMMARY_BUILD\non dialog IDD_FINISH\nclick IDC_FINISH_FINISH\n");
    EXPECT_EQ(runTarnwick(std::move(once)), wizard::kExitFinished);
    const std::string single = get(out);
    const twk::PackageContents p = readBack(out);
    EXPECT_TRUE(p.hasRegistry);
    EXPECT_EQ(p.registry, "*Default_Root`HKEY_LOCAL_MACHINE\r\n*Addkey`Software\\Acme\r\n");

    ui::Scenario twice = ui::Scenario::parse(withFolders(toSummary(out, wzp)), "chain");
    twice.then(addRows).then([&](ui::Dialog&) {
        std::filesystem::rename(os::hostPath(root + "\\Prod"), os::hostPath(root + "\\Prod.away"));
    });
    twice.add("click IDC_SUMMARY_BUILD\nexpect message " + std::string(wizard::kNoSourceFolderMessage) + "\n");
    twice.then([&](ui::Dialog&) {
        std::filesystem::rename(os::hostPath(root + "\\Prod.away"), os::hostPath(root + "\\Prod"));
    });
    twice.add("click IDC_SUMMARY_BUILD\non dialog IDD_FINISH\nclick IDC_FINISH_FINISH\n");
    EXPECT_EQ(runTarnwick(std::move(twice)), wizard::kExitFinished);
    EXPECT_TRUE(get(out) == single) << "a second press built another package";
}

// A listed file removed after the file list page: the package leaves it out
// and the wizard names it once before the Finish page.
TEST_F(BuildChain, AListedFileThatIsGoneIsNamedBeforeTheFinishPage) {
    const std::string out = root + "\\out\\Demo.exe", wzp = root + "\\out\\Demo.wzp";
    const std::string gone = root + "\\Prod\\docs\\b.txt";
    os::createDirectories(root + "\\out");
    ui::Scenario s = ui::Scenario::parse(withFolders(toSummary(out, wzp)), "chain");
    s.then([&](ui::Dialog&) { os::deleteFile(gone); });
    s.add("click IDC_SUMMARY_BUILD\nexpect message " + wizard::missingFilesMessage({gone}, false, false) +
          "\non dialog IDD_FINISH\nclick IDC_FINISH_FINISH\n");
    EXPECT_EQ(runTarnwick(std::move(s)), wizard::kExitFinished);
    EXPECT_EQ(entryNames(readBack(out)),
              (std::vector<std::string>{"\\UnBundlewright.exe", "\\a.txt.bz2", "\\empty\\temp$.bz2"}));
    EXPECT_EQ(wizard::missingFilesMessage({"a", "b", "c", "d", "e", "f", "g"}, false, false),
              "7 listed files were not found and left out of the package: a, b, c, d, e and 2 more. "
              "Restore them or remove them from the file list, then build again.");
}

// Paths as long as Build's side files allow build; one character more is
// refused on the output location page, which stays.
TEST_F(BuildChain, PathsAtTheLimitBuildAndLongerOnesAreRefusedOnTheOutputPage) {
    os::createDirectories(root + "\\out");
    auto pathOf = [&](std::size_t length, const char* ext) {
        const std::string folder = root + "\\out\\";
        return folder + std::string(length - folder.size() - std::strlen(ext), 'n') + ext;
    };
    const std::string out = pathOf(254, ".exe"), wzp = pathOf(255, ".wzp");
    ui::Scenario fits = ui::Scenario::parse(withFolders(toSummary(out, wzp)), "chain");
    fits.add("click IDC_SUMMARY_BUILD\non dialog IDD_FINISH\nclick IDC_FINISH_FINISH\n");
    EXPECT_EQ(runTarnwick(std::move(fits)), wizard::kExitFinished);
    EXPECT_FALSE(get(out).empty());
    EXPECT_FALSE(get(wzp).empty());

    struct Case {
        std::string output, project, refused;
    };
    const Case cases[] = {
        {pathOf(255, ".exe"), wzp, wizard::pathTooLongMessage("output file", pathOf(255, ".exe"), 5)},
        {out, pathOf(256, ".wzp"), wizard::pathTooLongMessage("project file", pathOf(256, ".wzp"), 4)},
    };
    for (const Case& c : cases) {
        ASSERT_FALSE(c.refused.empty());
        std::string steps = toSummary(c.output, c.project);
        steps.resize(steps.size() - std::strlen("on dialog IDD_SUMMARY\n"));
        EXPECT_EQ(runTarnwick(withFolders(steps) + "expect message " + c.refused + "\non dialog IDD_OUTPUT_LOCATION\n" +
                              kCancelRun),
                  wizard::kExitCancelled);
    }
}

#ifndef _WIN32
// The project file fails late (its bytes cannot be written out, after the
// file was opened): the page says what failed, and the press that builds
// then carries the registry rows once.
TEST_F(BuildChain, ABuildAfterAProjectFileThatFailedLateAppendsTheRowsOnce) {
    const std::string out = root + "\\out\\Demo.exe", wzp = root + "\\out\\Demo.wzp";
    os::createDirectories(root + "\\out");
    ui::Scenario s = ui::Scenario::parse(withFolders(toSummary(out, wzp)), "chain");
    s.then([&](ui::Dialog& d) {
        wizard::ProjectRecord& r = dynamic_cast<wizard::PageBase&>(d).record();
        r.registry_root[0] = "HKEY_LOCAL_MACHINE";
        r.registry_key_name[0] = "Software\\Acme";
        r.registry_action[0] = "Create Key";
        std::filesystem::create_symlink("/dev/full", os::hostPath(wzp + ".tmp"));
    });
    s.add("click IDC_SUMMARY_BUILD\nexpect message " + wizard::notWrittenMessage("project file", wzp) + "\n");
    s.add("click IDC_SUMMARY_BUILD\non dialog IDD_FINISH\nclick IDC_FINISH_FINISH\n");
    EXPECT_EQ(runTarnwick(std::move(s)), wizard::kExitFinished);
    const twk::PackageContents p = readBack(out);
    EXPECT_EQ(p.registry, "*Default_Root`HKEY_LOCAL_MACHINE\r\n*Addkey`Software\\Acme\r\n");
    EXPECT_NE(get(wzp).find("start8"), std::string::npos);
}
#endif

}  // namespace
