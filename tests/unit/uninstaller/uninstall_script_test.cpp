#include "uninstaller/uninstall_script.h"

#include <gtest/gtest.h>

using namespace uninstaller;

namespace {

std::string script(std::initializer_list<std::string> parts) {
    ScriptWriter w;
    for (const auto& p : parts) w.add(p);
    return w.bytes;
}

}  // namespace

TEST(UninstallScript, EveryPartInOrder) {
    UninstallScript s = parseUninstallScript(script({
        "C:\\P\\pre.exe", "/quiet", "C:\\P\\a.txt", "C:\\P\\b.dll.bz2", kRegistryBegin, "!HKEY_LOCAL_MACHINE",
        "Software\\Acme", kRegistryEnd, "Shortcuts header", "C:\\Menu\\A.lnk", kShortcutsEnd, kServicesBegin,
        "AcmeSvc", kServicesEnd, "C:\\P\\sub", "C:\\P", kScriptEnd}));
    EXPECT_TRUE(s.complete);
    EXPECT_EQ(s.program, "C:\\P\\pre.exe");
    EXPECT_EQ(s.commandLine, "/quiet");
    EXPECT_EQ(s.files, (std::vector<std::string>{"C:\\P\\a.txt", "C:\\P\\b.dll"}));
    EXPECT_EQ(s.registryRecords, (std::vector<std::string>{"!HKEY_LOCAL_MACHINE", "Software\\Acme"}));
    EXPECT_EQ(s.shortcuts, (std::vector<std::string>{"C:\\Menu\\A.lnk"}));
    EXPECT_TRUE(s.hasServices);
    EXPECT_EQ(s.services, (std::vector<std::string>{"AcmeSvc"}));
    EXPECT_EQ(s.directories, (std::vector<std::string>{"C:\\P\\sub", "C:\\P"}));
}

TEST(UninstallScript, EmptyPartsAndMarkersInAnyCase) {
    UninstallScript s = parseUninstallScript(script({" ", " ", "NOREGISTRYUPDATIONDETAILS", "NoShortcutsDetails",
                                                     "**NOSERVICESSECTION**", "C:\\P", "**endendend**"}));
    EXPECT_TRUE(s.complete);
    EXPECT_EQ(s.program, " ");
    EXPECT_TRUE(s.files.empty());
    EXPECT_TRUE(s.registryRecords.empty());
    EXPECT_TRUE(s.shortcuts.empty());
    EXPECT_FALSE(s.hasServices);
    EXPECT_EQ(s.directories, (std::vector<std::string>{"C:\\P"}));
}

TEST(UninstallScript, AbsentServicesPartStartsTheDirectories) {
    UninstallScript s =
        parseUninstallScript(script({" ", " ", kNoRegistry, kNoShortcuts, "C:\\P\\x", "C:\\P", kScriptEnd}));
    EXPECT_TRUE(s.complete);
    EXPECT_FALSE(s.hasServices);
    EXPECT_EQ(s.directories, (std::vector<std::string>{"C:\\P\\x", "C:\\P"}));
}

TEST(UninstallScript, CompressedSuffixIsCutOnlyAtTheEnd) {
    struct Row {
        const char* in;
        const char* out;
    } rows[] = {
        {"C:\\P\\a.txt.bz2", "C:\\P\\a.txt"},
        {"C:\\P\\A.TXT.BZ2", "C:\\P\\A.TXT"},
        {"C:\\my.bz2files\\a.txt", "C:\\my.bz2files\\a.txt"},
        {"C:\\my.bz2files\\a.txt.bz2", "C:\\my.bz2files\\a.txt"},
        {"C:\\P\\a.bz2x", "C:\\P\\a.bz2x"},
        {".bz2", ".bz2"},
    };
    for (const Row& r : rows) EXPECT_EQ(cutCompressedSuffix(r.in), r.out) << r.in;
}

// A script cut at any byte never yields a string it did not hold whole.
TEST(UninstallScript, TruncatedAtEveryOffset) {
    std::string full = script({"C:\\P\\pre.exe", " ", "C:\\P\\long-name.txt", kRegistryBegin, "!HKEY_CURRENT_USER",
                               "Software\\Acme`Ver", kRegistryEnd, "h", "C:\\M\\a.lnk", kShortcutsEnd,
                               kServicesBegin, "Svc", kServicesEnd, "C:\\P\\deep", "C:\\P", kScriptEnd});
    UninstallScript whole = parseUninstallScript(full);
    ASSERT_TRUE(whole.complete);
    for (size_t n = 0; n < full.size(); ++n) {
        std::string cut = full.substr(0, n);
        UninstallScript s = parseUninstallScript(cut);
        EXPECT_FALSE(s.complete) << n;
        auto prefixOf = [&](const std::vector<std::string>& part, const std::vector<std::string>& all) {
            ASSERT_LE(part.size(), all.size()) << n;
            for (size_t i = 0; i < part.size(); ++i) EXPECT_EQ(part[i], all[i]) << n;
        };
        prefixOf(s.files, whole.files);
        prefixOf(s.registryRecords, whole.registryRecords);
        prefixOf(s.shortcuts, whole.shortcuts);
        prefixOf(s.services, whole.services);
        prefixOf(s.directories, whole.directories);
    }
}

TEST(UninstallScript, MissingRegistryMarkerMakesEverythingFiles) {
    UninstallScript s = parseUninstallScript(script({" ", " ", "C:\\a", "C:\\b"}));
    EXPECT_FALSE(s.complete);
    EXPECT_EQ(s.files.size(), 2u);
    EXPECT_TRUE(s.directories.empty());
}

TEST(FailureList, ReadsBothPartsAndStopsAtTheEnd) {
    FailureList l = parseFailureList(script({"C:\\a", kFailedDirectories, "C:\\d", kFailedEnd, "C:\\ignored"}));
    EXPECT_EQ(l.files, (std::vector<std::string>{"C:\\a"}));
    EXPECT_EQ(l.directories, (std::vector<std::string>{"C:\\d"}));
    FailureList cut = parseFailureList(script({"C:\\a", kFailedDirectories, "C:\\d"}));
    EXPECT_EQ(cut.directories, (std::vector<std::string>{"C:\\d"}));
    std::string noEnd = script({"C:\\a", kFailedDirectories}) + "C:\\par";
    EXPECT_TRUE(parseFailureList(noEnd).directories.empty());
}
