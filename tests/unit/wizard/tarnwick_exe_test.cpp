// Tarnwick.exe itself under Wine, driven by a scenario through its real
// windows: the splash is waited out, the welcome page is cancelled, and the
// program ends with 0 after creating config.mnu and the splash bitmap; and
// the main road from the welcome page to Finish, whose package installs.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "pages/file_walk.h"
#include "platform/os/os.h"
#include "tests/support/install_folder.h"
#include "tests/support/test_folder.h"
#include "tests/support/host_path.h"

namespace {

TEST(TarnwickExe, SplashThenWelcomeThenCancelEndsWithZero) {
    const std::string dist = bwtest::buildPath("BW_DIST_DIR");
    ASSERT_FALSE(dist.empty());
    const std::string exe = dist + "\\bin\\Tarnwick.exe";
    ASSERT_TRUE(os::fileExists(exe)) << exe;

    bwtest::TestFolder inst;
    os::createDirectories(inst.path() + "\\bin");
    os::createDirectories(inst.path() + "\\image");
    ASSERT_TRUE(os::copyFile(dist + "\\image\\bundlewright.jpg",
                             inst.path() + "\\image\\bundlewright.jpg", false));
    // The same scenario the headless welcome test runs.
    const std::string scenario = bwtest::buildPath("BW_SOURCE_DIR", "tests/scenarios/tarnwick_welcome_cancel.scn");
    int code = -1;
    const bool started = bwtest::runWithScenario(exe, inst.path(), scenario, code);
    ASSERT_TRUE(started);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(bwtest::TestFolder::read(inst.path() + "\\bin\\config.mnu"), "1011000");
    EXPECT_EQ(bwtest::TestFolder::read(inst.path() + "\\image\\bundlewright.bmp").substr(0, 2), "BM");
}

}  // namespace

namespace {

// A scenario text kept whole: quoted, with its quotes and backslashes escaped.
std::string quoted(const std::string& text) {
    std::string q = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') q += '\\';
        q += c;
    }
    return q + "\"";
}

// The wizard's main road through its real windows: welcome to Finish builds a
// package and a project file; the package installs silently and UnBundlewright
// removes what it installed.
TEST(TarnwickExe, WelcomeToFinishBuildsAPackageThatInstallsAndUninstalls) {
    const std::string dist = bwtest::buildPath("BW_DIST_DIR");
    ASSERT_FALSE(dist.empty());
    bwtest::TestFolder root;
    const std::string inst = root.path() + "\\inst";
    ASSERT_NO_FATAL_FAILURE(bwtest::makeInstallFolder(dist, inst, "1000000"));
    os::createDirectories(root.path() + "\\Prod\\docs");
    os::createDirectories(root.path() + "\\Prod\\empty");
    bwtest::TestFolder::write(root.path() + "\\Prod\\a.txt", "alpha");
    bwtest::TestFolder::write(root.path() + "\\Prod\\docs\\b.txt", std::string(5000, 'b'));

    const std::string shots = bwtest::buildPath("BW_BINARY_DIR", "shots/wizard-build");
    os::createDirectories(shots);
    const std::string scenario = bwtest::prepareScenario("tarnwick_build.scn", shots, root.path());
    ASSERT_FALSE(scenario.empty());

    int code = -1;
    const bool started = bwtest::runWithScenario(dist + "\\bin\\Tarnwick.exe", inst, scenario, code);
    ASSERT_TRUE(started);
    EXPECT_EQ(code, 1) << "Finish ends the run with exit code 1";
    const std::string package = inst + "\\output\\Demo.exe";
    ASSERT_TRUE(os::fileExists(package));
    EXPECT_TRUE(os::fileExists(inst + "\\projects\\Demo.wzp"));

    const std::string dest = root.path() + "\\installed";
    ASSERT_TRUE(bwtest::runWaiting("\"" + package + "\" /S /D=" + dest, code));
    EXPECT_EQ(code, 0);
    EXPECT_EQ(bwtest::TestFolder::read(dest + "\\a.txt"), "alpha");
    EXPECT_EQ(bwtest::TestFolder::read(dest + "\\docs\\b.txt"), std::string(5000, 'b'));
    EXPECT_TRUE(os::directoryExists(dest + "\\empty"));

    bwtest::TestFolder::write(root.path() + "\\uninstall.scn", "answer message yes\non dialog IDD_UNINSTALL\nclick IDOK\n");
    os::setEnv("BUNDLEWRIGHT_SCENARIO", root.path() + "\\uninstall.scn");
    ASSERT_TRUE(bwtest::runWaiting("\"" + os::windowsFolder() + "\\UnBundlewright.exe\" -f" + dest + "\\Uninstall.wzu", code));
    os::unsetEnv("BUNDLEWRIGHT_SCENARIO");
    EXPECT_FALSE(os::directoryExists(dest)) << "UnBundlewright left the destination behind";
}

}  // namespace

namespace {

// A package made in the wizard's real windows with a program before the
// installation, one after it and one before the uninstallation (each the
// probe, logging its order, its arguments and whether the product's files
// are there), "Restart computer." and French: the silent installation runs
// the first two in order and leaves the session alone; the installer's
// windows speak French and ask before restarting; UnBundlewright runs the
// third before it removes anything.
TEST(TarnwickExe, DeliveryProgramsRunAroundTheInstallationAndTheUninstallation) {
    const std::string dist = bwtest::buildPath("BW_DIST_DIR");
    ASSERT_FALSE(dist.empty());
    bwtest::TestFolder root;
    const std::string inst = root.path() + "\\inst";
    ASSERT_NO_FATAL_FAILURE(bwtest::makeInstallFolder(dist, inst, "0100001"));
    ASSERT_TRUE(os::copyFile(dist + "\\lang\\French.txt", inst + "\\lang\\French.txt", false));
    os::createDirectories(root.path() + "\\Prod\\bin");
    bwtest::TestFolder::write(root.path() + "\\Prod\\a.txt", "alpha");
    for (const char* probe : {"pre.exe", "post.exe", "clean.exe"})
        ASSERT_TRUE(os::copyFile(bwtest::hostPath(BW_DELIVERY_PROBE), root.path() + "\\Prod\\bin\\" + probe, false));

    const std::string log = root.path() + "\\order.log";
    const std::string files = "<<TARGETDIR>>\\a.txt;<<TARGETDIR>>\\bin\\post.exe";
    const std::string shots = bwtest::buildPath("BW_BINARY_DIR", "shots/wizard-delivery");
    os::createDirectories(shots);
    const std::string scenario =
        "on dialog IDD_SPLASH\non dialog IDD_WELCOME\nclick IDC_WELCOME_NEXT\n"
        "on dialog IDD_PROJECT_START\nset IDC_PROJECT_NAME Delivery\nclick IDC_PROJECT_NEXT\n"
        "on dialog IDD_PRODUCT_INFO\nset IDC_PRODUCT_COMPANY Acme Tools\nset IDC_PRODUCT_NAME Widget\n"
        "set IDC_PRODUCT_VERSION 1.0\nclick IDC_PRODUCT_NEXT\n"
        "on dialog IDD_SOURCE_FOLDER\nset IDC_SOURCE_FOLDER_EDIT " + root.path() + "\\Prod\ncheck IDC_SOURCE_FOLDER_SUBFOLDERS\n"
        "click IDC_SOURCE_FOLDER_NEXT\n"
        "on dialog IDD_FILE_LIST\nclick IDC_FILE_LIST_NEXT\n"
        "on dialog IDD_DELIVERY_OPTIONS\n"
        "expect rows IDC_DELIVERY_PRE_INSTALL_FILE 3\n"
        "pick IDC_DELIVERY_PRE_INSTALL_FILE \\bin\\pre.exe\n"
        "set IDC_DELIVERY_PRE_INSTALL_CMD " + quoted("\"" + log + "\" pre \"" + files + "\" \"two words\"") + "\n"
        "pick IDC_DELIVERY_POST_INSTALL_FILE \\bin\\post.exe\n"
        "set IDC_DELIVERY_POST_INSTALL_CMD " + quoted("\"" + log + "\" post \"" + files + "\" --first-run") + "\n"
        "set IDC_DELIVERY_PRE_UNINSTALL_FILE \\bin\\clean.exe\n"
        "expect enabled IDC_DELIVERY_PRE_UNINSTALL_CMD 1\n"
        "set IDC_DELIVERY_PRE_UNINSTALL_CMD " + quoted("\"" + log + "\" clean \"" + files + "\" bye") + "\n"
        "check IDC_DELIVERY_RESTART\n"
        "shot " + shots + "\\delivery-options.bmp\n"
        "click IDC_DELIVERY_NEXT\n"
        "on dialog IDD_OUTPUT_LANGUAGE\nexpect text IDC_LANGUAGE_LIST English\npick IDC_LANGUAGE_LIST French\n"
        "shot " + shots + "\\output-language.bmp\n"
        "click IDC_LANGUAGE_NEXT\n"
        "on dialog IDD_OUTPUT_LOCATION\nclick IDC_OUTPUT_LOCATION_NEXT\n"
        "on dialog IDD_SUMMARY\nclick IDC_SUMMARY_BUILD\n"
        "on dialog IDD_FINISH\nclick IDC_FINISH_FINISH\n";
    bwtest::TestFolder::write(root.path() + "\\build.scn", scenario);
    int code = -1;
    const bool started = bwtest::runWithScenario(dist + "\\bin\\Tarnwick.exe", inst, root.path() + "\\build.scn", code);
    ASSERT_TRUE(started);
    ASSERT_EQ(code, 1) << "Finish ends the run with exit code 1";
    const std::string package = inst + "\\output\\Delivery.exe";
    ASSERT_TRUE(os::fileExists(package));

    // Silent, without /R: both programs in order, the session left alone.
    const std::string quiet = root.path() + "\\quiet";
    auto probeFiles = [&](const std::string& dest) { return bwtest::replaceAll(files, "<<TARGETDIR>>", dest); };
    ASSERT_TRUE(bwtest::runWaiting("\"" + package + "\" /S /D=" + quiet, code));
    EXPECT_EQ(code, 0);
    EXPECT_EQ(bwtest::TestFolder::read(log), "pre 1 absent [" + probeFiles(quiet) + "] [two words]\n"
                                             "post 2 present [" + probeFiles(quiet) + "] [--first-run]\n");
    EXPECT_EQ(bwtest::TestFolder::read(quiet + "\\a.txt"), "alpha");
    // One folder to a product: that installation goes before the next.
    ASSERT_TRUE(bwtest::runWaiting("\"" + os::windowsFolder() + "\\UnBundlewright.exe\" /S -f" + quiet + "\\Uninstall.wzu", code));
    EXPECT_EQ(code, 0);
    os::deleteFile(log);

    // Through the windows, in French; the restart is asked and declined.
    const std::string shown = root.path() + "\\shown";
    const std::string installShots = bwtest::buildPath("BW_BINARY_DIR", "shots/installer-delivery");
    os::createDirectories(installShots);
    const std::string install =
        // The package's welcome section is off: the folder window comes first.
        "on dialog IDD_FOLDER\nexpect text IDC_NEXT &Installer\nset IDC_FOLDER " + shown + "\nshot " + installShots +
        "\\2-folder.bmp\nclick IDC_NEXT\n"
        "on dialog IDD_FINISH\nshot " + installShots + "\\3-finish.bmp\n"
        "answer message no\nclick IDC_NEXT\n"
        "expect message Pour terminer l'installation de Widget, l'ordinateur doit \xeatre red\xe9marr\xe9. "
        "Voulez-vous red\xe9marrer maintenant ?\n";
    bwtest::TestFolder::write(root.path() + "\\install.scn", install);
    os::setEnv("BUNDLEWRIGHT_SCENARIO", root.path() + "\\install.scn");
    ASSERT_TRUE(bwtest::runWaiting("\"" + package + "\"", code));
    os::unsetEnv("BUNDLEWRIGHT_SCENARIO");
    EXPECT_EQ(code, 0);
    EXPECT_EQ(bwtest::TestFolder::read(log), "pre 1 absent [" + probeFiles(shown) + "] [two words]\n"
                                             "post 2 present [" + probeFiles(shown) + "] [--first-run]\n");

    // UnBundlewright runs the third program while everything is still there.
    bwtest::TestFolder::write(root.path() + "\\uninstall.scn", "answer message yes\non dialog IDD_UNINSTALL\nclick IDOK\n");
    os::setEnv("BUNDLEWRIGHT_SCENARIO", root.path() + "\\uninstall.scn");
    ASSERT_TRUE(bwtest::runWaiting("\"" + os::windowsFolder() + "\\UnBundlewright.exe\" -f" + shown + "\\Uninstall.wzu", code));
    os::unsetEnv("BUNDLEWRIGHT_SCENARIO");
    EXPECT_EQ(bwtest::TestFolder::read(log), "pre 1 absent [" + probeFiles(shown) + "] [two words]\n"
                                             "post 2 present [" + probeFiles(shown) + "] [--first-run]\n"
                                             "clean 3 present [" + probeFiles(shown) + "] [bye]\n");
    EXPECT_FALSE(os::directoryExists(shown)) << "UnBundlewright left the destination behind";
}

}  // namespace

namespace {

// Names beyond ASCII through the real windows: the walk writes list.txt in the
// code page's bytes, the very bytes the headless host writes for such a folder
// natively (the pages' walk test holds both hosts to them), and a name the
// code page cannot hold stops the source folder page with its name.
TEST(TarnwickExe, SourceFolderNamesBeyondAsciiListAsTheCodePageBytes) {
    const std::string dist = bwtest::buildPath("BW_DIST_DIR");
    ASSERT_FALSE(dist.empty());
    bwtest::TestFolder root;
    const std::string inst = root.path() + "\\inst";
    ASSERT_NO_FATAL_FAILURE(bwtest::makeInstallFolder(dist, inst, "0000000"));
    const std::string prod = root.path() + "\\Prod";
    os::createDirectories(prod + "\\\xd1" "and\xfa");
    os::createDirectories(prod + "\\\xdc" "ber");
    bwtest::TestFolder::write(prod + "\\Caf\xe9.txt", "c");
    bwtest::TestFolder::write(prod + "\\\xd1" "and\xfa\\L\xe9" "ame.txt", "l");
    // 日本.txt, made by its UTF-16 name.
    const std::string far = root.path() + "\\Far";
    os::createDirectories(far);
    std::wstring wide;
    for (char c : far) wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
    FILE* f = _wfopen((wide + L"\\\u65e5\u672c.txt").c_str(), L"wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);

    const std::string scenario =
        "on dialog IDD_SPLASH\non dialog IDD_WELCOME\nclick IDC_WELCOME_NEXT\n"
        "on dialog IDD_PROJECT_START\nset IDC_PROJECT_NAME Names\nclick IDC_PROJECT_NEXT\n"
        "on dialog IDD_PRODUCT_INFO\nset IDC_PRODUCT_COMPANY Acme Tools\nset IDC_PRODUCT_NAME Widget\n"
        "set IDC_PRODUCT_VERSION 1.0\nclick IDC_PRODUCT_NEXT\n"
        "on dialog IDD_SOURCE_FOLDER\nset IDC_SOURCE_FOLDER_EDIT " + far + "\ncheck IDC_SOURCE_FOLDER_SUBFOLDERS\n"
        "click IDC_SOURCE_FOLDER_NEXT\n"
        "expect message " + pages::nameNotHeldMessage(far + "\\<U+65E5><U+672C>.txt") + "\n"
        "set IDC_SOURCE_FOLDER_EDIT " + prod + "\nclick IDC_SOURCE_FOLDER_NEXT\n"
        "on dialog IDD_FILE_LIST\nexpect rows IDC_FILE_LIST_FILES 2\n"
        "answer message yes\nclick IDCANCEL\n";
    bwtest::TestFolder::write(root.path() + "\\names.scn", scenario);
    int code = -1;
    ASSERT_TRUE(bwtest::runWithScenario(dist + "\\bin\\Tarnwick.exe", inst, root.path() + "\\names.scn", code));
    EXPECT_EQ(code, 0) << "a confirmed Cancel ends the run with 0";

    std::vector<os::DirEntry> entries;
    ASSERT_TRUE(os::listFolder(prod, entries));
    std::string expected = prod + "\\Caf\xe9.txt\r\n";
    for (const os::DirEntry& e : entries) {
        if (e.name == "\xd1" "and\xfa") expected += prod + "\\\xd1" "and\xfa\\L\xe9" "ame.txt\r\n";
        if (e.name == "\xdc" "ber") expected += prod + "\\\xdc" "ber\\temp$\r\n";
    }
    EXPECT_EQ(bwtest::TestFolder::read(inst + "\\temp\\list.txt"), expected);
    _wremove((wide + L"\\\u65e5\u672c.txt").c_str());
}

}  // namespace
