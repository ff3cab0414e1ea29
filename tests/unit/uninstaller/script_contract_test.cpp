// The installer stub writes the uninstall script and UnBundlewright reads it:
// two independent pieces of code held to one format here, without Wine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "stub/uninstall_script.h"
#include "uninstaller/uninstall_script.h"

namespace {

using Strings = std::vector<std::string>;

uninstaller::UninstallScript readBack(const stub::UninstallScript& written) {
    return uninstaller::parseUninstallScript(written.render());
}

}  // namespace

TEST(ScriptContract, EveryPartWrittenByTheStubIsReadByUnBundlewright) {
    stub::UninstallScript w;
    w.setPreUninstall("C:\\Acme\\stop.exe", "/all \"C:\\Acme\\data\"");
    w.createdDirectory("C:\\Acme");
    w.createdDirectory("C:\\Acme\\bin");
    w.createdDirectory("C:\\Acme\\bin\\x86");
    w.addFile("C:\\Acme\\bin\\tool.exe");
    w.addFile("C:\\Acme\\data\\archive.bz2");   // a file whose own name ends in the entries' suffix
    w.addFile("C:\\Acme\\bin\\tool.exe");        // listed once
    w.createdKey("HKEY_LOCAL_MACHINE", "Software\\Acme");
    w.createdValue("HKEY_LOCAL_MACHINE", "Software\\Acme", "Path");
    w.appendedText("HKEY_CURRENT_USER", "Environment", "Path", "C:\\Acme\\bin");
    w.addShortcut("C:\\Menu\\Acme\\Tool.lnk");
    w.addService("AcmeSvc");

    uninstaller::UninstallScript r = readBack(w);
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(r.program, "C:\\Acme\\stop.exe");
    EXPECT_EQ(r.commandLine, "/all \"C:\\Acme\\data\"");
    EXPECT_EQ(r.files, (Strings{"C:\\Acme\\bin\\tool.exe", "C:\\Acme\\data\\archive.bz2"}));
    // Last change first, each root named where it changes.
    EXPECT_EQ(r.registryRecords, (Strings{"!HKEY_CURRENT_USER", "~Environment~Path~C:\\Acme\\bin", "!HKEY_LOCAL_MACHINE",
                                          "Software\\Acme`Path", "Software\\Acme"}));
    EXPECT_EQ(r.shortcuts, (Strings{"C:\\Menu\\Acme\\Tool.lnk"}));
    EXPECT_TRUE(r.hasServices);
    EXPECT_EQ(r.services, (Strings{"AcmeSvc"}));
    // Deepest first: every folder is empty when its turn comes.
    EXPECT_EQ(r.directories, (Strings{"C:\\Acme\\bin\\x86", "C:\\Acme\\bin", "C:\\Acme"}));
}

TEST(ScriptContract, EmptyPartsAndNoProgram) {
    stub::UninstallScript w;
    w.addFile("C:\\Acme\\readme.txt");
    uninstaller::UninstallScript r = readBack(w);
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(r.program, " ");
    EXPECT_EQ(r.commandLine, " ");
    EXPECT_EQ(r.files, (Strings{"C:\\Acme\\readme.txt"}));
    EXPECT_TRUE(r.registryRecords.empty());
    EXPECT_TRUE(r.shortcuts.empty());
    EXPECT_FALSE(r.hasServices);
    EXPECT_TRUE(r.directories.empty());
}

// Paths that look like the script's own markers stay paths on both sides.
TEST(ScriptContract, PathsThatLookLikeMarkers) {
    stub::UninstallScript w;
    w.addFile("C:\\Acme\\**EndEndEnd**.txt");
    w.addFile("C:\\Acme\\noregistryupdationdetails");
    w.createdDirectory("C:\\Acme");
    uninstaller::UninstallScript r = readBack(w);
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(r.files, (Strings{"C:\\Acme\\**EndEndEnd**.txt", "C:\\Acme\\noregistryupdationdetails"}));
    EXPECT_EQ(r.directories, (Strings{"C:\\Acme"}));
}
