// Shortcuts and services end to end under Wine: Tarnwick.exe, driven through
// its real windows, lays out a shortcut tree with the uninstall shortcut and
// marks the demo's service program as a service; the package installs the
// .lnk files where the tree said, with their placeholders resolved, and
// registers the service, which starts and stops; the uninstall shortcut runs
// UnBundlewright on the installed script, after which the shortcuts, their
// folders and the service are gone.
#include <gtest/gtest.h>

#include <string>

#include "platform/os/os.h"
#include "platform/os/services.h"
#include "platform/os/shortcuts.h"
#include "tests/support/host_path.h"
#include "tests/support/install_folder.h"
#include "tests/support/test_folder.h"

namespace {

const char kService[] = "BwTestWizardSvc";

struct Places {
    std::string programs = os::shellFolder(os::ShellFolder::Programs) + "\\Gadget";
    std::string tools = os::shellFolder(os::ShellFolder::Desktop) + "\\Gadget Tools";
    void clean() const {
        for (const std::string& folder : {programs, tools}) {
            for (const char* link : {"\\Read Me.lnk", "\\Uninstall.lnk", "\\Service.lnk"})
                os::deleteFile(folder + link);
            os::removeDirectory(folder);
        }
        if (os::serviceExists(kService)) {
            os::stopService(kService);
            os::deleteService(kService);
        }
    }
};

TEST(ShortcutsServicesExe, WizardMadePackageCreatesAndItsUninstallShortcutRemovesThem) {
    const std::string dist = bwtest::buildPath("BW_DIST_DIR");
    ASSERT_FALSE(dist.empty());
    const Places places;
    places.clean();
    ASSERT_FALSE(os::serviceExists(kService));

    bwtest::TestFolder root;
    const std::string inst = root.path() + "\\inst";
    ASSERT_NO_FATAL_FAILURE(bwtest::makeInstallFolder(dist, inst, "0010010"));
    os::createDirectories(root.path() + "\\Prod\\bin");
    bwtest::TestFolder::write(root.path() + "\\Prod\\readme.txt", "read me");
    ASSERT_TRUE(os::copyFile(dist + "\\demo\\widgetsvc.exe", root.path() + "\\Prod\\bin\\widgetsvc.exe", false));

    const std::string shots = bwtest::buildPath("BW_BINARY_DIR", "shots/shortcuts-services");
    os::createDirectories(shots);
    const std::string scenario = bwtest::prepareScenario("tarnwick_shortcuts_services.scn", shots, root.path());
    ASSERT_FALSE(scenario.empty());

    int code = -1;
    const bool started = bwtest::runWithScenario(dist + "\\bin\\Tarnwick.exe", inst, scenario, code);
    ASSERT_TRUE(started);
    ASSERT_EQ(code, 1) << "Finish ends the run with exit code 1";
    const std::string package = inst + "\\output\\Gadget.exe";
    ASSERT_TRUE(os::fileExists(package));

    const std::string dest = root.path() + "\\installed";
    ASSERT_TRUE(bwtest::runWaiting("\"" + package + "\" /S /D=" + dest, code));
    ASSERT_EQ(code, 0);
    ASSERT_TRUE(os::fileExists(dest + "\\bin\\widgetsvc.exe"));

    os::Shortcut link;
    ASSERT_TRUE(os::readShortcut(places.programs + "\\Read Me.lnk", link));
    EXPECT_EQ(link.target, dest + "\\readme.txt");
    EXPECT_EQ(link.arguments, "/p \"two words\"");
    EXPECT_EQ(link.description, "Shortcut to Vornel");
    ASSERT_TRUE(os::readShortcut(places.tools + "\\Service.lnk", link));
    EXPECT_EQ(link.target, dest + "\\bin\\widgetsvc.exe");
    EXPECT_EQ(link.arguments, "");
    os::Shortcut uninstall;
    ASSERT_TRUE(os::readShortcut(places.programs + "\\Uninstall.lnk", uninstall));
    EXPECT_EQ(uninstall.target, os::windowsFolder() + "\\UnBundlewright.exe");
    EXPECT_EQ(uninstall.arguments, "-f" + dest + "\\Uninstall.wzu");
    EXPECT_EQ(uninstall.description, "shortcut to Vornel");

    // The service answers the service control manager.
    ASSERT_TRUE(os::serviceExists(kService));
    EXPECT_FALSE(os::serviceExists("BwTestWizardSvc2")) << "the deleted entry was installed";
    EXPECT_TRUE(os::startService(kService));
    os::sleepMs(500);
    EXPECT_TRUE(os::stopService(kService));
    os::sleepMs(500);

    // What the uninstall shortcut starts, as the shell would start it.
    bwtest::TestFolder::write(root.path() + "\\uninstall.scn", "answer message yes\non dialog IDD_UNINSTALL\nclick IDOK\n");
    os::setEnv("BUNDLEWRIGHT_SCENARIO", root.path() + "\\uninstall.scn");
    const bool ran = bwtest::runWaiting("\"" + uninstall.target + "\" " + uninstall.arguments, code);
    os::unsetEnv("BUNDLEWRIGHT_SCENARIO");
    ASSERT_TRUE(ran);
    EXPECT_FALSE(os::directoryExists(dest)) << "UnBundlewright left the destination behind";
    EXPECT_FALSE(os::directoryExists(places.programs));
    EXPECT_FALSE(os::directoryExists(places.tools));
    EXPECT_FALSE(os::serviceExists(kService));
    places.clean();
}

}  // namespace
