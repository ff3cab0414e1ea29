// The removal on the emulated registry and service manager, with C: mapped to
// the test's own temporary folder.
#include "uninstaller/removal_engine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/os/os.h"
#include "platform/os/registry.h"
#include "platform/os/services.h"

using namespace uninstaller;
namespace fs = std::filesystem;

namespace {

class Removal : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        static const fs::path base = fs::temp_directory_path();   // before TMP names C:
        root_ = base / ("bw_uninstaller_" + std::string(info->name()) + "_" +
                                             std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_ / "c");
        fs::create_directories(root_ / "tmp");
        ::setenv("BUNDLEWRIGHT_DRIVES", ("C=" + (root_ / "c").string()).c_str(), 1);
        ::setenv("TMP", "C:\\", 1);
        ::unsetenv("BUNDLEWRIGHT_REGISTRY");
        os::resetEmulatedRegistry();
        os::resetEmulatedServices();
    }
    void TearDown() override { fs::remove_all(root_); }

    fs::path host(std::string rel) {
        for (char& c : rel)
            if (c == '\\') c = '/';
        return root_ / "c" / rel;
    }
    void file(const std::string& rel, const std::string& text = "x") {
        fs::create_directories(host(rel).parent_path());
        std::ofstream(host(rel)) << text;
    }
    static std::string value(os::RegRoot r, const std::string& key, const std::string& name, os::RegType* type = nullptr) {
        os::RegValue v;
        os::RegKey k = os::RegKey::open(r, key);
        if (!k.valid() || !k.query(name, v)) return "<absent>";
        if (type) *type = v.type;
        return v.asString();
    }
    static void setValue(os::RegRoot r, const std::string& key, const std::string& name, const std::string& text) {
        ASSERT_TRUE(os::RegKey::create(r, key).set(name, os::RegValue::string(text)));
    }
    UninstallScript withRecords(std::vector<std::string> records) {
        UninstallScript s;
        s.program = s.commandLine = kNone;
        s.registryRecords = std::move(records);
        return s;
    }

    fs::path root_;
};

TEST(CommandLine, ScriptPathAfterDashF) {
    struct Row {
        const char* line;
        const char* path;   // nullptr: none
    } rows[] = {
        {"UnBundlewright.exe -fC:\\P\\Uninstall.wzu", "C:\\P\\Uninstall.wzu"},
        {"\"C:\\my-files\\UnBundlewright.exe\" -fC:\\Program Files\\P\\Uninstall.wzu",
         "C:\\Program Files\\P\\Uninstall.wzu"},
        {"C:\\my-fx\\UnBundlewright.exe -f\"C:\\P\\U.wzu\"", "\"C:\\P\\U.wzu\""},
        {"UnBundlewright.exe -f C:\\P\\U.wzu ", " C:\\P\\U.wzu "},
        {"UnBundlewright.exe", nullptr},
        {"UnBundlewright.exe x-fC:\\a", nullptr},
    };
    for (const Row& r : rows) {
        auto got = scriptPathFromCommandLine(r.line);
        if (!r.path) {
            EXPECT_FALSE(got) << r.line;
        } else {
            ASSERT_TRUE(got) << r.line;
            EXPECT_EQ(*got, r.path);
        }
    }
}

// An administrator's uninstall touches only what lies where the script's
// installation put it: a script edited to name other files is refused whole.
TEST(ScriptFolder, ProgramFilesAndFoldersStayInsideOrAboveIt) {
    const std::string script = "C:\\Tools\\Widget\\Uninstall.wzu";
    struct Row {
        const char* what;
        std::string program;
        std::vector<std::string> files, directories;
        bool stays;
    } rows[] = {
        {"an installation's own", "C:\\Tools\\Widget\\pre.exe", {"C:\\Tools\\Widget\\a.txt", "C:\\tools\\widget\\b\\c.dll"},
         {"C:\\Tools\\Widget\\b", "C:\\Tools\\Widget", "C:\\Tools"}, true},
        {"no program", kNone, {}, {}, true},
        {"a file elsewhere", kNone, {"C:\\Windows\\system32\\drivers\\etc\\hosts"}, {}, false},
        {"a file climbing out", kNone, {"C:\\Tools\\Widget\\..\\Other\\x.exe"}, {}, false},
        {"a neighbour sharing the prefix", kNone, {"C:\\Tools\\Widget2\\x.txt"}, {}, false},
        {"a folder beside it", kNone, {}, {"C:\\Tools\\Other"}, false},
        {"its shortcuts' folder", kNone, {}, {"C:\\Users\\u\\Start Menu\\Programs\\Widget"}, true},
        {"a program elsewhere", "C:\\Users\\u\\Downloads\\evil.exe", {}, {}, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        UninstallScript s;
        s.program = r.program;
        s.files = r.files;
        s.directories = r.directories;
        s.shortcuts = {"C:\\Users\\u\\Start Menu\\Programs\\Widget\\Widget.lnk"};
        EXPECT_EQ(scriptStaysInItsFolder(s, script), r.stays);
    }
}

TEST(AppendedText, RemovesOneWholeOccurrence) {
    struct Row {
        const char* value;
        const char* text;
        const char* out;
    } rows[] = {
        {"C:\\Win;C:\\Tools\\bin;C:\\Tools", ";C:\\Tools", "C:\\Win;C:\\Tools\\bin"},
        {"C:\\Win;C:\\Tools;C:\\Tools\\bin", ";C:\\Tools", "C:\\Win;C:\\Tools\\bin"},
        {"C:\\Win;C:\\Tools\\bin", ";C:\\Tools", "C:\\Win;C:\\Tools\\bin"},
        {"C:\\Tools;C:\\Win", "C:\\Tools;", "C:\\Win"},
        {"X;C:\\Tools;C:\\Tools", ";C:\\Tools", "X;C:\\Tools"},
        // The part an installation appended is the last one; the user's own stays.
        {"C:\\a;C:\\Tools;C:\\b;C:\\Tools", ";C:\\Tools", "C:\\a;C:\\Tools;C:\\b"},
        {"C:\\Tools2;C:\\Tools\\bin;C:\\Tools", ";C:\\Tools", "C:\\Tools2;C:\\Tools\\bin"},
        {"C:\\a;", "C:\\Tools", "C:\\a;"},
        {"C:\\a;C:\\Tools", "C:\\Tools", "C:\\a;"},
        {"C:\\Tools", "C:\\Tools", ""},
        {"abc", "", "abc"},
    };
    for (const Row& r : rows) {
        std::string v = r.value;
        removeAppendedText(v, r.text);
        EXPECT_EQ(v, r.out) << r.value << " - " << r.text;
    }
}

TEST_F(Removal, FilesDeletedAndFailuresCountedAndListed) {
    file("P\\a.txt");
    file("P\\b.dll");
    file("my.bz2files\\c.txt");
    file("my");
    UninstallScript s;
    s.program = s.commandLine = kNone;
    s.files = {"C:\\P\\a.txt", cutCompressedSuffix("C:\\P\\b.dll.bz2"), "C:\\P\\gone.txt",
               cutCompressedSuffix("C:\\my.bz2files\\c.txt")};
    RemovalReport r = removeInstalled(s);
    EXPECT_FALSE(fs::exists(host("P/a.txt")));
    EXPECT_FALSE(fs::exists(host("P/b.dll")));
    EXPECT_FALSE(fs::exists(host("my.bz2files/c.txt")));
    EXPECT_TRUE(fs::exists(host("my")));
    EXPECT_EQ(r.failureCount, 1);
    EXPECT_EQ(r.failedFiles, (std::vector<std::string>{"C:\\P\\gone.txt"}));
    EXPECT_EQ(detailsLines(r), (std::vector<std::string>{"Unable to remove file : 'C:\\P\\gone.txt'"}));
}

TEST_F(Removal, DirectoriesInOrderAndNonEmptyOneListed) {
    file("P\\keep\\user.txt");
    fs::create_directories(host("P/empty/deeper"));
    UninstallScript s;
    s.program = s.commandLine = kNone;
    s.directories = {"C:\\P\\empty\\deeper", "C:\\P\\empty", "C:\\P\\keep", "C:\\P"};
    RemovalReport r = removeInstalled(s);
    EXPECT_FALSE(fs::exists(host("P/empty")));
    EXPECT_TRUE(fs::exists(host("P/keep/user.txt")));
    EXPECT_EQ(r.failureCount, 2);
    EXPECT_TRUE(detailsVisible(r));
    EXPECT_EQ(resultText(r), kResultWithFailures);
    EXPECT_EQ(detailsLines(r),
              (std::vector<std::string>{"Unable to remove directory : 'C:\\P\\keep'",
                                        "Unable to remove directory : 'C:\\P'"}));
}

TEST_F(Removal, AllRemovedWithServicesCountsNothing) {
    file("P\\a.txt");
    file("S\\svc.exe");
    ASSERT_TRUE(os::createService({"BwTestUn_Svc", "Svc", "C:\\S\\svc.exe", os::ServiceStart::Demand}));
    ASSERT_TRUE(os::startService("BwTestUn_Svc"));
    UninstallScript s;
    s.program = s.commandLine = kNone;
    s.files = {"C:\\P\\a.txt"};
    s.hasServices = true;
    s.services = {"BwTestUn_Svc", "BwTestUn_NoSuch"};
    s.directories = {"C:\\P"};
    RemovalReport r = removeInstalled(s);
    EXPECT_FALSE(os::serviceExists("BwTestUn_Svc"));
    EXPECT_FALSE(fs::exists(host("P")));
    EXPECT_EQ(r.failureCount, 0);
    EXPECT_FALSE(detailsVisible(r));
    EXPECT_EQ(resultText(r), "");
    EXPECT_TRUE(detailsLines(r).empty());
}

TEST_F(Removal, ShortcutsDeletedFailuresNotCounted) {
    file("Menu\\A.lnk");
    UninstallScript s;
    s.program = s.commandLine = kNone;
    s.shortcuts = {"C:\\Menu\\A.lnk", "C:\\Menu\\Missing.lnk"};
    RemovalReport r = removeInstalled(s);
    EXPECT_FALSE(fs::exists(host("Menu/A.lnk")));
    EXPECT_EQ(r.failureCount, 0);
}

// The part goes, everything else of the value stays as it was: its type,
// the bytes after its text, a value that does not hold the part, a number.
TEST_F(Removal, AppendedTextRemovedAndTheRestOfTheValueKeptByteForByte) {
    using os::RegRoot;
    setValue(RegRoot::CurrentUser, "Environment", "Path", "C:\\Win;C:\\Tools\\bin;C:\\Tools");
    setValue(RegRoot::CurrentUser, "Environment", "Other", "C:\\Win");
    std::string big(1500, 'a');
    os::RegKey env = os::RegKey::open(RegRoot::CurrentUser, "Environment");
    ASSERT_TRUE(env.set("Big", os::RegValue::string(big + ";C:\\Tools", os::RegType::ExpandString)));
    os::RegValue odd;
    odd.type = os::RegType::String;
    const std::string oddBytes("C:\\X;C:\\Tools\0tail", 18);
    odd.data.assign(oddBytes.begin(), oddBytes.end());
    ASSERT_TRUE(env.set("Odd", odd));
    ASSERT_TRUE(env.set("Number", os::RegValue::dword(7)));
    removeInstalled(withRecords({"!HKEY_CURRENT_USER", "~Environment~Path~;C:\\Tools",
                                 "~Environment~Other~;C:\\Tools", "~Environment~Big~;C:\\Tools",
                                 "~Environment~Odd~;C:\\Tools", "~Environment~Number~;C:\\Tools",
                                 "~Environment~Missing~;C:\\Tools"}));
    os::RegType t = os::RegType::None;
    EXPECT_EQ(value(RegRoot::CurrentUser, "Environment", "Path", &t), "C:\\Win;C:\\Tools\\bin");
    EXPECT_EQ(t, os::RegType::String);
    EXPECT_EQ(value(RegRoot::CurrentUser, "Environment", "Other", &t), "C:\\Win");
    EXPECT_EQ(t, os::RegType::String);
    EXPECT_EQ(value(RegRoot::CurrentUser, "Environment", "Big", &t), big);
    EXPECT_EQ(t, os::RegType::ExpandString);
    os::RegValue v;
    ASSERT_TRUE(env.query("Odd", v));
    EXPECT_EQ(std::string(v.data.begin(), v.data.end()), std::string("C:\\X\0tail", 9));
    ASSERT_TRUE(env.query("Number", v));
    EXPECT_EQ(v.type, os::RegType::Dword);
    EXPECT_EQ(value(RegRoot::CurrentUser, "Environment", "Missing"), "<absent>");
}

TEST_F(Removal, RegistryRecordForms) {
    using os::RegRoot;
    setValue(RegRoot::LocalMachine, "Software\\Acme\\Prod", "Ver", "1");
    setValue(RegRoot::LocalMachine, "Software\\Acme\\Prod", "Keep", "1");
    setValue(RegRoot::LocalMachine, "Software\\Acme\\Gone", "x", "1");
    setValue(RegRoot::CurrentUser, "AcmeTop", "x", "1");
    setValue(RegRoot::CurrentUser, "Early", "x", "1");
    setValue(RegRoot::LocalMachine, "Early", "x", "1");
    removeInstalled(withRecords({"Early",   // before any root: no effect
                                 "!HKEY_CLASSES_ROOT", "!HKEY_LOCAL_MACHINE", "Software\\Acme\\Prod`Ver",
                                 "Software\\Acme\\Gone", "!HKEY_NO_SUCH", "Software\\Acme\\Prod\\",
                                 "!HKEY_CURRENT_USER", "AcmeTop", "!HKEY_DYN_DATA", "Early"}));
    EXPECT_EQ(value(RegRoot::LocalMachine, "Software\\Acme\\Prod", "Ver"), "<absent>");
    EXPECT_EQ(value(RegRoot::LocalMachine, "Software\\Acme\\Prod", "Keep"), "<absent>");   // key deleted under HKLM
    EXPECT_FALSE(os::RegKey::open(RegRoot::LocalMachine, "Software\\Acme\\Gone").valid());
    EXPECT_TRUE(os::RegKey::open(RegRoot::LocalMachine, "Software\\Acme").valid());
    EXPECT_FALSE(os::RegKey::open(RegRoot::CurrentUser, "AcmeTop").valid());
    EXPECT_TRUE(os::RegKey::open(RegRoot::CurrentUser, "Early").valid());
    EXPECT_TRUE(os::RegKey::open(RegRoot::LocalMachine, "Early").valid());
}

TEST_F(Removal, PreUninstallProgramRunsFirstAndUnstartableIsSkipped) {
    file("P\\a.txt");
    UninstallScript s;
    s.program = "/bin/sh";
    s.commandLine = "-c \"test -f " + host("P/a.txt").string() + " && touch " + host("ran").string() + "\"";
    s.files = {"C:\\P\\a.txt"};
    RemovalReport r = removeInstalled(s);
    EXPECT_TRUE(r.programStarted);
    EXPECT_TRUE(fs::exists(host("ran")));   // ran while the file was still there
    EXPECT_FALSE(fs::exists(host("P/a.txt")));

    s.program = "C:\\P\\no such program.exe";
    s.files.clear();
    r = removeInstalled(s);
    EXPECT_FALSE(r.programStarted);
    EXPECT_EQ(r.failureCount, 0);
}

// An elevated uninstall takes a script only from where an installation left
// it: named by an entry of the machine's list of installed programs, or in a
// folder that only administrators can change; and it runs the script's
// program only from the script's own folder. A refused script removes
// nothing and stays where it is.
TEST_F(Removal, OnlyAScriptAnInstallationLeftIsRun) {
    const std::string uninstallKeys = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    const struct {
        const char* what;
        const char* program;
        bool openFolder;        // users may change the script's folder
        const char* entryRoot;  // "" none, "LM" or "CU": an entry naming the script
        int code;
    } cases[] = {
        {"a folder only administrators change", " ", false, "", 0},
        {"an open folder named by the machine's entry", " ", true, "LM", 0},
        {"an open folder, no entry", " ", true, "", 4},
        {"an open folder named by a user's own entry", " ", true, "CU", 4},
        {"its program in its folder", "C:\\P\\tools\\pre.exe", false, "", 0},
        {"its program outside its folder", "C:\\Windows\\System32\\cmd.exe", false, "", 4},
        {"its program climbing out", "C:\\P\\..\\evil.exe", false, "", 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        os::resetEmulatedRegistry();
        fs::remove_all(host("P"));
        file("P\\a.txt");
        ScriptWriter w;
        for (const char* str : {c.program, " ", "C:\\P\\a.txt", kNoRegistry, kNoShortcuts, kNoServices, kScriptEnd})
            w.add(str);
        file("P\\Uninstall.wzu", w.bytes);
        fs::permissions(host("P"), c.openFolder ? fs::perms::all : fs::perms::owner_all | fs::perms::group_read |
                                                                       fs::perms::group_exec | fs::perms::others_read |
                                                                       fs::perms::others_exec);
        if (*c.entryRoot)
            setValue(std::string(c.entryRoot) == "LM" ? os::RegRoot::LocalMachine : os::RegRoot::CurrentUser,
                     uninstallKeys + "Widget", "UninstallString", "\"C:\\Windows\\UnBundlewright.exe\" -fC:\\P\\Uninstall.wzu");
        EXPECT_EQ(c.code, runSilentUninstall("UnBundlewright.exe /S -fC:\\P\\Uninstall.wzu"));
        EXPECT_EQ(c.code != 0, fs::exists(host("P/a.txt")));
        EXPECT_EQ(c.code != 0, fs::exists(host("P/Uninstall.wzu")));
    }
}

TEST_F(Removal, ScriptReadWholeTooLargeRefused) {
    file("P\\U.wzu", std::string("a\0b", 3));
    auto got = readScript("C:\\P\\U.wzu");
    ASSERT_TRUE(got);
    EXPECT_EQ(*got, std::string("a\0b", 3));
    EXPECT_FALSE(readScript("\"C:\\P\\U.wzu\""));

    file("P\\Big.wzu", std::string(100, 'x'));
    EXPECT_FALSE(readScript("C:\\P\\Big.wzu", 99));
    fs::resize_file(host("P/Big.wzu"), kMaxScriptBytes + 1);   // sparse
    EXPECT_FALSE(readScript("C:\\P\\Big.wzu"));
}

// The quiet command: no question, and the exit code says whether all went.
TEST_F(Removal, SilentRemovalAsksNothingAndReportsByItsExitCode) {
    EXPECT_TRUE(silentRequested("UnBundlewright.exe /S -fC:\\P\\U.wzu"));
    EXPECT_TRUE(silentRequested("\"C:\\a b\\UnBundlewright.exe\" /s -fC:\\P\\U.wzu"));
    EXPECT_FALSE(silentRequested("UnBundlewright.exe -fC:\\My /S Folder\\U.wzu")) << "part of the path";
    EXPECT_FALSE(silentRequested("C:\\S\\UnBundlewright.exe -fC:\\P\\U.wzu"));
    std::string script = std::string(" \0 \0C:\\P\\a.txt\0noregistryupdationdetails\0noshortcutsdetails\0"
                                      "**noservicessection**\0C:\\P\0**EndEndEnd**\0", 101);
    file("P\\a.txt");
    file("P\\U.wzu", script);
    EXPECT_EQ(0, runSilentUninstall("UnBundlewright.exe /S -fC:\\P\\U.wzu"));
    EXPECT_FALSE(fs::exists(host("P")));
    EXPECT_EQ(1, runSilentUninstall("UnBundlewright.exe /S -fC:\\P\\U.wzu")) << "no script any more";
    file("Q\\kept.txt");
    file("P\\U.wzu", script);
    os::createDirectories("C:\\P\\sub");   // the folder cannot go
    EXPECT_EQ(2, runSilentUninstall("UnBundlewright.exe /S -fC:\\P\\U.wzu"));
}

}  // namespace

namespace {

struct Box {
    std::string text, caption;
};

class Run : public Removal {
protected:
    void SetUp() override {
        Removal::SetUp();
        os::setExitTrap(true);
    }
    void TearDown() override {
        os::setExitTrap(false);
        Removal::TearDown();
    }
    // Runs the whole start; the exit code, or -1 when the removal ran to its end.
    int start(const std::string& line, bool yes) {
        Questions q;
        q.message = [&](const std::string& t, const std::string& c) { boxes.push_back({t, c}); };
        q.ask = [&, yes](const std::string& t, const std::string& c) {
            boxes.push_back({t, c});
            return yes;
        };
        try {
            report = runUninstall(line, q);
            return -1;
        } catch (const os::ExitRequest& e) {
            return e.code;
        }
    }
    std::vector<Box> boxes;
    RemovalReport report;
};

TEST_F(Run, RefusalsEndWithCodeOneAndRemoveNothing) {
    file("P\\a.txt");
    ScriptWriter w;
    for (const char* s : {" ", " ", "C:\\P\\a.txt", kNoRegistry, kNoShortcuts, kNoServices, kScriptEnd}) w.add(s);
    file("P\\Uninstall.wzu", w.bytes);

    EXPECT_EQ(start("UnBundlewright.exe", true), kExitCode);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, kNoScriptMessage);
    EXPECT_EQ(boxes[0].caption, "Bundlewright");

    boxes.clear();
    EXPECT_EQ(start("UnBundlewright.exe -fC:\\P\\Uninstall.wzu", false), kExitCode);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, kConfirmQuestion);
    EXPECT_EQ(boxes[0].caption, "UnBundlewright");
    EXPECT_TRUE(fs::exists(host("P/a.txt")));
    EXPECT_TRUE(fs::exists(host("P/Uninstall.wzu")));

    boxes.clear();
    EXPECT_EQ(start("UnBundlewright.exe -f\"C:\\P\\Uninstall.wzu\"", true), kExitCode);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, kNoScriptMessage);
    EXPECT_TRUE(fs::exists(host("P/a.txt")));
}

TEST_F(Run, YesRemovesAndASecondStartFindsNoScript) {
    file("P\\a.txt");
    ScriptWriter w;
    for (const char* s : {" ", " ", "C:\\P\\a.txt", kNoRegistry, kNoShortcuts, "C:\\P", kScriptEnd}) w.add(s);
    file("P\\Uninstall.wzu", w.bytes);
    EXPECT_EQ(start("UnBundlewright.exe -fC:\\P\\Uninstall.wzu", true), -1);
    EXPECT_FALSE(fs::exists(host("P")));   // script deleted first, so its folder empties too
    EXPECT_EQ(report.failureCount, 0);
    EXPECT_EQ(start("UnBundlewright.exe -fC:\\P\\Uninstall.wzu", true), kExitCode);
    EXPECT_EQ(boxes.back().text, kNoScriptMessage);
}

}  // namespace

namespace {

// The record beside the script puts back what the installation replaced,
// only from its kept folder to a place the script lists, and only a record
// administrators alone could write is followed; a damaged one is not used
// at all.
TEST_F(Run, RecordPutsBackWhatTheInstallationReplaced) {
    using os::RegRoot;
    const std::string kept = "C:\\P\\Uninstall.kept\\";
    const std::vector<wzr::KeptFile> ownCopies = {{"C:\\P\\a.txt", kept + "1"}, {"C:\\Menu\\W.lnk", kept + "2"}};
    const char* absent = "<absent>";
    const struct {
        const char* what;
        std::vector<wzr::KeptFile> kept;
        bool openRecord, cutShort, keptFolderLeadsElsewhere;
        const char *a, *link;            // afterwards
        bool valuesBack, keptFolderGone;
        std::vector<std::string> failedFiles;
        int failures;
    } rows[] = {
        {"kept files, shortcuts and values come back", ownCopies, false, false, false,
         "old a", "old link", true, true, {}, 0},
        {"copies from elsewhere and places the script does not list stay",
         {{"C:\\P\\a.txt", "C:\\Windows\\system32\\drivers\\etc\\hosts"}, {"C:\\P\\a.txt", kept + "..\\notes.txt"},
          {"C:\\Windows\\win.ini", kept + "1"}, {"C:\\Menu\\W.lnk", "C:\\P\\Uninstall.kept/2"}}, false, false, false,
         absent, absent, true, false, {}, 1},
        {"a copy that cannot be put back", {{"C:\\P\\a.txt", kept + "9"}, {"C:\\Menu\\W.lnk", kept + "2"}}, false, false, false,
         absent, "old link", true, false, {"C:\\P\\a.txt"}, 2},
        {"a kept folder that leads elsewhere", {{"C:\\P\\a.txt", kept + "hosts"}}, false, false, true,
         absent, absent, true, false, {"C:\\P\\a.txt"}, 2},
        {"a record others may change writes no value and puts nothing back", ownCopies, true, false, false,
         absent, absent, false, false, {}, 1},
        {"a record cut short: the script alone", ownCopies, false, true, false,
         absent, absent, false, false, {}, 1},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        os::resetEmulatedRegistry();
        for (const char* d : {"P", "Menu", "Windows"}) fs::remove_all(host(d));
        file("P\\a.txt", "new a");
        file("P\\notes.txt", "user notes");
        file("Windows\\system32\\drivers\\etc\\hosts", "system's");
        file("Menu\\W.lnk", "new link");
        file("P\\Uninstall.kept\\1", "old a");
        file("P\\Uninstall.kept\\2", "old link");
        if (r.keptFolderLeadsElsewhere) {   // planted where users may change the folder
            fs::remove_all(host("P/Uninstall.kept"));
            fs::create_directory_symlink(host("Windows/system32/drivers/etc"), host("P/Uninstall.kept"));
        }
        setValue(RegRoot::LocalMachine, "Software\\Acme", "Mode", "product");
        setValue(RegRoot::LocalMachine, "Software\\Gone", "x", "product");
        setValue(RegRoot::CurrentUser, "Environment", "Path", "C:\\Old;C:\\P");
        setValue(RegRoot::CurrentUser, "Environment", "Only", ";C:\\P");
        ScriptWriter w;
        for (const char* s : {" ", " ", "C:\\P\\a.txt", "C:\\P\\Uninstall.wzr", kRegistryBegin, "!HKEY_CURRENT_USER",
                              "~Environment~Path~;C:\\P", "~Environment~Only~;C:\\P", "!HKEY_LOCAL_MACHINE",
                              "Software\\Gone", kRegistryEnd, wzu::kShortcutsHeader, "C:\\Menu\\W.lnk",
                              kShortcutsEnd, kNoServices, "C:\\P\\Uninstall.kept", kScriptEnd})
            w.add(s);
        file("P\\Uninstall.wzu", w.bytes);
        wzr::InstallRecord rec;
        rec.company = "Acme";
        rec.product = "Widget";
        rec.kept = r.kept;
        rec.values = {{"HKEY_LOCAL_MACHINE", "Software\\Acme", "Mode", 4, std::string("\5\0\0\0", 4)},
                      {"HKEY_LOCAL_MACHINE", "Software\\Gone", "x", 1, std::string("old\0", 4)}};
        rec.appended = {{"HKEY_CURRENT_USER", "Environment", "Path"}, {"HKEY_CURRENT_USER", "Environment", "Only"}};
        std::string bytes = wzr::renderRecord(rec);
        if (r.cutShort) bytes.resize(bytes.size() - sizeof wzr::kRecordEnd);   // every string whole, no end
        file("P\\Uninstall.wzr", bytes);
        const fs::perms shut = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                               fs::perms::others_read;
        fs::permissions(host("P"), shut | fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec);
        fs::permissions(host("P/Uninstall.wzu"), shut);
        fs::permissions(host("P/Uninstall.wzr"), r.openRecord ? shut | fs::perms::others_write : shut);

        ASSERT_EQ(start("UnBundlewright.exe -fC:\\P\\Uninstall.wzu", true), -1);
        auto text = [&](const char* rel) {
            std::ifstream in(host(rel));
            return in ? std::string(std::istreambuf_iterator<char>(in), {}) : std::string(absent);
        };
        EXPECT_EQ(text("P/a.txt"), r.a);
        EXPECT_EQ(text("Menu/W.lnk"), r.link);
        EXPECT_EQ(text("P/notes.txt"), "user notes");
        EXPECT_EQ(text("Windows/system32/drivers/etc/hosts"), "system's");
        EXPECT_FALSE(fs::exists(host("Windows/win.ini")));
        EXPECT_FALSE(fs::exists(host("P/Uninstall.wzr")));
        EXPECT_EQ(!fs::exists(host("P/Uninstall.kept")), r.keptFolderGone);
        EXPECT_EQ(report.failedFiles, r.failedFiles);
        EXPECT_EQ(report.failureCount, r.failures);

        os::RegValue mode;
        ASSERT_TRUE(os::RegKey::open(RegRoot::LocalMachine, "Software\\Acme").query("Mode", mode));
        EXPECT_EQ(mode.type, r.valuesBack ? os::RegType::Dword : os::RegType::String);
        EXPECT_EQ(std::string(mode.data.begin(), mode.data.end()),
                  r.valuesBack ? std::string("\5\0\0\0", 4) : std::string("product", 8));
        EXPECT_FALSE(os::RegKey::open(RegRoot::LocalMachine, "Software\\Gone").valid()) << "no key made again";
        EXPECT_EQ(value(RegRoot::CurrentUser, "Environment", "Path"), "C:\\Old");
        EXPECT_EQ(value(RegRoot::CurrentUser, "Environment", "Only"), r.valuesBack ? absent : "");
    }
}

}  // namespace
