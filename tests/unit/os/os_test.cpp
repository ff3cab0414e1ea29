// The operating-system layer, the same cases natively (drive map, emulated
// registry and services) and on Win32 (the real system under Wine).
// The program doubles as its own child process: "--bw-child ...".
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/os/os.h"
#include "platform/os/registry.h"
#include "platform/os/services.h"

#ifndef _WIN32
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <process.h>
#endif

namespace {

int pid() {
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<int>(::getpid());
#endif
}

std::string unique(const std::string& what) { return "BwTestOs_" + what + "_" + std::to_string(pid()); }

std::string readAll(const std::string& path) {
    FILE* f = os::openFile(path, "rb");
    if (!f) return "<absent>";
    std::string s;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    std::fclose(f);
    return s;
}

bool writeAll(const std::string& path, const std::string& text) {
    FILE* f = os::openFile(path, "wb");
    if (!f) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

void removeTree(const std::string& dir) {
    std::vector<os::DirEntry> entries;
    if (!os::listFolder(dir, entries)) return;
    for (const os::DirEntry& e : entries) {
        if (e.name == "." || e.name == "..") continue;
        std::string p = dir + "\\" + e.name;
        if (e.isDirectory)
            removeTree(p);
        else
            os::deleteFile(p);
    }
    os::removeDirectory(dir);
}

std::string selfCommand(const std::string& args) {
    return os::quoteArgument(os::executablePath()) + " --bw-child " + args;
}

// Every test works in a folder of its own: natively C: is mapped to a fresh
// host folder; on Win32 the folder is under the user's temp folder.
class OsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
#ifndef _WIN32
        char tmpl[] = "/tmp/bwtestos_XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        hostDir_ = tmpl;
        os::setEnv("BUNDLEWRIGHT_DRIVES", "C=" + hostDir_);
        os::unsetEnv("BUNDLEWRIGHT_REGISTRY");
        os::resetEmulatedRegistry();
        os::resetEmulatedServices();
        root_ = "C:\\" + unique(name);
#else
        root_ = os::tempFolder() + unique(name);
#endif
        removeTree(root_);
        ASSERT_TRUE(os::createDirectory(root_)) << root_;
    }
    void TearDown() override {
        removeTree(root_);
#ifndef _WIN32
        ::rmdir(hostDir_.c_str());
#endif
    }
    std::string root_;
    std::string hostDir_;
};

// ---- registry ----------------------------------------------------------------

TEST_F(OsTest, RegistryValuesRoundTripWithCaseInsensitiveNames) {
    const std::string base = "Software\\" + unique("Reg");
    {
        os::RegKey k = os::RegKey::create(os::RegRoot::CurrentUser, base);
        ASSERT_TRUE(k.valid());
        EXPECT_TRUE(k.set("Name", os::RegValue::string("first")));
        EXPECT_TRUE(k.set("Count", os::RegValue::dword(0x01020304)));
        EXPECT_TRUE(k.set("", os::RegValue::string("default")));
        EXPECT_TRUE(k.set("NAME", os::RegValue::string("second")));   // the same value

        os::RegValue v;
        ASSERT_TRUE(k.query("name", v));
        EXPECT_EQ(v.type, os::RegType::String);
        EXPECT_EQ(v.asString(), "second");
        ASSERT_TRUE(k.query("count", v));
        EXPECT_EQ(v.type, os::RegType::Dword);
        EXPECT_EQ(v.data, (std::vector<uint8_t>{4, 3, 2, 1}));
        ASSERT_TRUE(k.query("", v));
        EXPECT_EQ(v.asString(), "default");
        EXPECT_EQ(k.valueNames().size(), 3u);

        EXPECT_TRUE(k.deleteValue("nAmE"));
        EXPECT_FALSE(k.query("Name", v));
        EXPECT_FALSE(k.deleteValue("Name"));
    }
    // Reopening with another case finds the same key and its values.
    os::RegKey again = os::RegKey::open(os::RegRoot::CurrentUser, "SOFTWARE\\" + unique("REG"));
    ASSERT_TRUE(again.valid());
    os::RegValue v;
    EXPECT_TRUE(again.query("Count", v));
    os::RegKey::open(os::RegRoot::CurrentUser, "Software").deleteSubKey(unique("Reg"));
    EXPECT_FALSE(os::RegKey::open(os::RegRoot::CurrentUser, base).valid());
}

TEST_F(OsTest, RegistryRefusesToDeleteKeysWithSubkeys) {
    const std::string base = "Software\\" + unique("Tree");
    ASSERT_TRUE(os::RegKey::create(os::RegRoot::CurrentUser, base + "\\Outer\\Inner").valid());
    ASSERT_TRUE(os::RegKey::create(os::RegRoot::CurrentUser, base + "\\Second").valid());
    os::RegKey k = os::RegKey::open(os::RegRoot::CurrentUser, base);
    ASSERT_TRUE(k.valid());
    std::vector<std::string> kids = k.subKeys();
    std::sort(kids.begin(), kids.end());
    EXPECT_EQ(kids, (std::vector<std::string>{"Outer", "Second"}));

    EXPECT_FALSE(k.deleteSubKey("Outer"));                        // still holds Inner
    EXPECT_TRUE(os::RegKey::open(os::RegRoot::CurrentUser, base + "\\Outer\\Inner").valid());
    EXPECT_TRUE(k.deleteSubKey("Outer\\Inner"));
    EXPECT_TRUE(k.deleteSubKey("outer"));
    EXPECT_FALSE(k.deleteSubKey("Outer"));                        // already gone
    EXPECT_TRUE(k.deleteSubKey("Second"));
    EXPECT_TRUE(k.subKeys().empty());
    k = os::RegKey();
    EXPECT_TRUE(os::RegKey::open(os::RegRoot::CurrentUser, "Software").deleteSubKey(unique("Tree")));
    EXPECT_FALSE(os::RegKey::open(os::RegRoot::CurrentUser, base).valid());
}

TEST_F(OsTest, RegistryAndServicesAreSharedWithAnotherProcess) {
#ifndef _WIN32
    std::string regDir = hostDir_ + "/registry";
    os::setEnv("BUNDLEWRIGHT_REGISTRY", regDir);
    os::resetEmulatedRegistry();
#endif
    const std::string sub = "Software\\" + unique("Shared");
    {
        os::RegKey k = os::RegKey::create(os::RegRoot::CurrentUser, sub);
        ASSERT_TRUE(k.valid());
        ASSERT_TRUE(k.set("Greeting", os::RegValue::string("hello there")));
    }
    int code = -1;
    ASSERT_TRUE(os::startProcess(selfCommand("regswap " + os::quoteArgument(sub)), true, &code));
    EXPECT_EQ(code, 0);
    os::RegKey k = os::RegKey::open(os::RegRoot::CurrentUser, sub);
    os::RegValue v;
    ASSERT_TRUE(k.query("Greeting", v));
    EXPECT_EQ(v.asString(), "written by the child");
    k = os::RegKey();

    os::ServiceConfig c;
    c.name = unique("SharedSvc");
    c.binaryPath = root_ + "\\svc.exe";
    ASSERT_TRUE(os::createService(c));
    ASSERT_TRUE(os::startProcess(selfCommand("svcdelete " + c.name), true, &code));
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(os::serviceExists(c.name));
    os::RegKey::open(os::RegRoot::CurrentUser, "Software").deleteSubKey(unique("Shared"));
#ifndef _WIN32
    os::resetEmulatedRegistry();
    os::unsetEnv("BUNDLEWRIGHT_REGISTRY");
    std::remove((regDir + "/registry.txt").c_str());
    std::remove((regDir + "/services.txt").c_str());
    std::remove((regDir + "/lock").c_str());
    ::rmdir(regDir.c_str());
#endif
}

// ---- services ------------------------------------------------------------------

TEST_F(OsTest, ServicesCreateStopDelete) {
    os::ServiceConfig c;
    c.name = unique("Svc");
    c.displayName = "Bundlewright test service";
    c.binaryPath = root_ + "\\no-such-service.exe";
    ASSERT_TRUE(os::createService(c));
    EXPECT_TRUE(os::serviceExists(c.name));
    EXPECT_FALSE(os::createService(c));          // a second one of the name
    EXPECT_FALSE(os::startService(c.name));      // its program does not exist
    EXPECT_FALSE(os::stopService(c.name));       // not running
    EXPECT_TRUE(os::deleteService(c.name));
    EXPECT_FALSE(os::serviceExists(c.name));
    EXPECT_FALSE(os::deleteService(c.name));
    EXPECT_FALSE(os::stopService(c.name));
}

// ---- files ---------------------------------------------------------------------

TEST_F(OsTest, FolderListingHoldsDotEntriesAndEveryChild) {
    ASSERT_TRUE(writeAll(root_ + "\\a.txt", "12345"));
    ASSERT_TRUE(os::createDirectory(root_ + "\\sub"));
    EXPECT_FALSE(os::createDirectory(root_ + "\\sub"));   // exists already
    std::vector<os::DirEntry> entries;
    ASSERT_TRUE(os::listFolder(root_, entries));
    std::vector<std::string> names;
    for (const os::DirEntry& e : entries) {
        names.push_back(e.name);
        if (e.name == "a.txt") {
            EXPECT_FALSE(e.isDirectory);
            EXPECT_EQ(e.size, 5u);
        }
        if (e.name == "sub" || e.name == "." || e.name == "..") {
            EXPECT_TRUE(e.isDirectory) << e.name;
        }
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".", "..", "a.txt", "sub"}));
    EXPECT_FALSE(os::listFolder(root_ + "\\missing", entries));
}

TEST_F(OsTest, CopyMoveDeleteAndRemoveDirectory) {
    const std::string a = root_ + "\\a.txt", b = root_ + "\\b.txt", c = root_ + "\\sub\\c.txt";
    ASSERT_TRUE(writeAll(a, "alpha"));
    ASSERT_TRUE(writeAll(b, "bravo"));
    EXPECT_FALSE(os::copyFile(a, b, true));
    EXPECT_EQ(readAll(b), "bravo");
    EXPECT_TRUE(os::copyFile(a, b, false));
    EXPECT_EQ(readAll(b), "alpha");
    EXPECT_FALSE(os::copyFile(a, a, false));      // onto itself: must not empty it
    EXPECT_EQ(readAll(a), "alpha");
    EXPECT_FALSE(os::copyFile(root_ + "\\none", b, false));
    // A file made new never opens what is there, nor follows a link there.
    EXPECT_EQ(nullptr, os::createNewFile(b));
    EXPECT_EQ(readAll(b), "alpha");
#ifndef _WIN32
    ASSERT_EQ(0, ::symlink(os::hostPath(b).c_str(), os::hostPath(root_ + "\\link").c_str()));
    EXPECT_EQ(nullptr, os::createNewFile(root_ + "\\link"));
    EXPECT_EQ(readAll(b), "alpha");
#endif
    FILE* fresh = os::createNewFile(root_ + "\\fresh.txt");
    ASSERT_NE(nullptr, fresh);
    std::fclose(fresh);
    EXPECT_TRUE(os::fileExists(root_ + "\\fresh.txt"));

    ASSERT_TRUE(os::createDirectories(root_ + "\\sub\\deeper\\deepest"));
    EXPECT_TRUE(os::directoryExists(root_ + "\\sub\\deeper\\deepest"));
    ASSERT_TRUE(writeAll(c, "charlie"));
    EXPECT_TRUE(os::moveFile(c, a));               // replaces a
    EXPECT_EQ(readAll(a), "charlie");
    EXPECT_FALSE(os::fileExists(c));
    EXPECT_FALSE(os::moveFile(c, a));

    os::FileStat st;
    ASSERT_TRUE(os::statPath(a, st));
    EXPECT_TRUE(st.isRegular);
    EXPECT_EQ(st.size, 7u);
    EXPECT_EQ(st.linkCount, 1u);
    EXPECT_GT(st.modified, 1500000000);
    ASSERT_TRUE(os::statPath(root_ + "\\sub", st));
    EXPECT_TRUE(st.isDirectory);

    EXPECT_FALSE(os::removeDirectory(root_ + "\\sub"));   // not empty
    EXPECT_TRUE(os::removeDirectory(root_ + "\\sub\\deeper\\deepest"));
    EXPECT_TRUE(os::removeDirectory(root_ + "\\sub\\deeper"));
    EXPECT_TRUE(os::removeDirectory(root_ + "\\sub"));
    EXPECT_FALSE(os::deleteFile(root_));                  // a folder is no file
    EXPECT_TRUE(os::deleteFile(a));
    EXPECT_FALSE(os::deleteFile(a));
    EXPECT_FALSE(os::fileExists(a));
}

// A folder moves with everything in it, and never onto something there.
TEST_F(OsTest, FoldersRenameWholeButNeverOntoAnother) {
    ASSERT_TRUE(os::createDirectories(root_ + "\\from\\inner"));
    ASSERT_TRUE(writeAll(root_ + "\\from\\inner\\x.txt", "x"));
    ASSERT_TRUE(os::createDirectory(root_ + "\\taken"));
    EXPECT_FALSE(os::renameFolder(root_ + "\\from", root_ + "\\taken"));   // even an empty one
    EXPECT_EQ(readAll(root_ + "\\from\\inner\\x.txt"), "x");
    ASSERT_TRUE(writeAll(root_ + "\\file", "f"));
    EXPECT_FALSE(os::renameFolder(root_ + "\\from", root_ + "\\file"));
    EXPECT_FALSE(os::renameFolder(root_ + "\\none", root_ + "\\to"));
    EXPECT_TRUE(os::renameFolder(root_ + "\\from", root_ + "\\taken\\to"));
    EXPECT_EQ(readAll(root_ + "\\taken\\to\\inner\\x.txt"), "x");
    EXPECT_FALSE(os::directoryExists(root_ + "\\from"));
}

// Every piece of work runs once, all at the same time, while the caller's
// idle function keeps being called.
TEST(OsThreads, EveryWorkRunsOnceAndAllRunAtOnce) {
    EXPECT_GE(os::processorCount(), 1u);
    for (unsigned count : {1u, 3u, 8u}) {
        std::vector<std::atomic<int>> runs(count);
        std::atomic<unsigned> started{0};
        std::atomic<bool> allMet{true};
        std::atomic<int> idles{0};
        os::runOnThreads(
            count,
            [&](unsigned k) {
                ++runs[k];
                ++started;
                // Each waits for all the others: only threads of their own get past this.
                for (int i = 0; i < 2000 && started.load() < count; ++i) os::sleepMs(5);
                if (started.load() < count) allMet = false;
                if (k == 0) os::sleepMs(200);   // long enough for the caller to idle
            },
            [&] { ++idles; });
        for (unsigned k = 0; k < count; ++k) EXPECT_EQ(1, runs[k].load()) << count << " " << k;
        EXPECT_TRUE(allMet.load()) << count;
        EXPECT_GE(idles.load(), 1) << count;
    }
    std::atomic<int> ran{0};
    os::runOnThreads(2, [&](unsigned k) { ran += static_cast<int>(k) + 1; }, {});   // no idle function
    EXPECT_EQ(3, ran.load());
}

TEST_F(OsTest, NamesMatchWhateverTheirCase) {
    ASSERT_TRUE(os::createDirectory(root_ + "\\MixedCase"));
    ASSERT_TRUE(writeAll(root_ + "\\MixedCase\\ReadMe.TXT", "text"));
    EXPECT_EQ(readAll(root_ + "\\mixedcase\\README.txt"), "text");
    EXPECT_TRUE(os::fileExists(root_ + "/MIXEDCASE/readme.txt"));   // forward slashes too
    EXPECT_TRUE(os::deleteFile(root_ + "\\MIXEDCASE\\readme.txt"));
    EXPECT_FALSE(os::fileExists(root_ + "\\MixedCase\\ReadMe.TXT"));
}

TEST_F(OsTest, CurrentDirectoryAndRelativePaths) {
    const std::string before = os::currentDirectory();
    ASSERT_TRUE(os::createDirectory(root_ + "\\here"));
    ASSERT_TRUE(os::setCurrentDirectory(root_ + "\\HERE\\"));
    std::string cwd = os::currentDirectory();
    EXPECT_NE(cwd.back(), '\\');
    EXPECT_TRUE(writeAll("rel.txt", "relative"));
    EXPECT_EQ(readAll(root_ + "\\here\\rel.txt"), "relative");
    EXPECT_EQ(readAll("..\\here\\.\\rel.txt"), "relative");
    EXPECT_FALSE(os::setCurrentDirectory(root_ + "\\absent"));
    EXPECT_EQ(os::currentDirectory(), cwd);
    ASSERT_TRUE(os::setCurrentDirectory(before));
    EXPECT_EQ(os::currentDirectory(), before);
}

TEST_F(OsTest, FreeSpaceAndSystemFolders) {
    uint64_t freeBytes = 0;
    ASSERT_TRUE(os::freeDiskSpace(root_.substr(0, 3), freeBytes));
    EXPECT_GT(freeBytes, 0u);
    std::string temp = os::tempFolder();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), '\\');
    EXPECT_TRUE(os::directoryExists(temp)) << temp;
    std::string exe = os::executablePath();
    EXPECT_TRUE(os::fileExists(exe)) << exe;
    EXPECT_NE(exe.find("os_test"), std::string::npos);
    EXPECT_FALSE(os::windowsFolder().empty());
}

#ifndef _WIN32
TEST_F(OsTest, UnresolvablePathsFailNamingThePath) {
    const char* bad[] = {"Q:\\file.txt", "\\\\server\\share\\file.txt", "//server/share/f", "C:\\a:b"};
    for (const char* p : bad) {
        try {
            os::hostPath(p);
            ADD_FAILURE() << p << " resolved";
        } catch (const os::PathError& e) {
            EXPECT_NE(std::string(e.what()).find(p), std::string::npos) << e.what();
        }
        EXPECT_EQ(os::openFile(p, "wb"), nullptr) << p;
        EXPECT_FALSE(os::fileExists(p));
        EXPECT_FALSE(os::createDirectory(p));
    }
    // Nothing landed anywhere else: the mapped folder holds only the test's own.
    std::vector<os::DirEntry> entries;
    ASSERT_TRUE(os::listFolder("C:\\", entries));
    EXPECT_EQ(entries.size(), 3u);
}

TEST_F(OsTest, DriveMapTranslatesBothWays) {
    os::setEnv("BUNDLEWRIGHT_DRIVES", "C=" + hostDir_ + "/;d=" + hostDir_ + "/d");
    EXPECT_EQ(os::hostPath("C:\\x\\..\\y\\.\\z"), hostDir_ + "/y/z");
    EXPECT_EQ(os::hostPath("c:/y"), hostDir_ + "/y");
    EXPECT_EQ(os::hostPath("D:\\f"), hostDir_ + "/d/f");
    EXPECT_EQ(os::hostPath("C:\\..\\..\\q"), hostDir_ + "/q");   // never above the drive's root
    EXPECT_EQ(os::hostPath("Z:\\etc"), "/etc");
    EXPECT_EQ(os::windowsPath(hostDir_ + "/d/f"), "D:\\f");      // the longest mapping wins
    EXPECT_EQ(os::windowsPath(hostDir_), "C:\\");
    EXPECT_EQ(os::windowsPath("/usr/bin"), "Z:\\usr\\bin");
    os::setEnv("BUNDLEWRIGHT_DRIVES", "Z=" + hostDir_);
    EXPECT_THROW(os::windowsPath("/usr"), os::PathError);
}

// A name is the code page's bytes in the product and UTF-8 on the host, both
// ways, in the code page the setting names; what does not convert fails.
TEST_F(OsTest, NamesAreTheCodePageBytesAndTheHostsUtf8) {
    struct Case {
        const char* page;   // BUNDLEWRIGHT_CODEPAGE, "" for the default
        std::string ansi;
        std::string host;   // "" where the bytes are not valid in the code page
    };
    const std::vector<Case> cases = {
        {"", "Caf\xe9 \x80", "Caf\xc3\xa9 \xe2\x82\xac"},
        {"1250", "\xa3\xf3" "d\x9f", "\xc5\x81\xc3\xb3" "d\xc5\xba"},
        {"1251", "\xcf\xf0\xe8\xe2\xe5\xf2", "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82"},
        {"932", "\x93\xfa\x96{", "\xe6\x97\xa5\xe6\x9c\xac"},
        {"", "bad\x81", ""},
    };
    for (const Case& c : cases) {
        if (*c.page) os::setEnv("BUNDLEWRIGHT_CODEPAGE", c.page);
        const std::string file = root_ + "\\" + c.ansi;
        FILE* f = os::openFile(file, "wb");
        if (c.host.empty()) {
            EXPECT_EQ(f, nullptr) << c.ansi;
            EXPECT_FALSE(os::validInCodePage(c.ansi)) << c.ansi;
            EXPECT_THROW(os::hostPath(file), os::PathError) << c.ansi;
        } else {
            ASSERT_NE(f, nullptr) << c.page;
            std::fclose(f);
            EXPECT_TRUE(os::validInCodePage(c.ansi)) << c.page;
            const std::string host = os::hostPath(file);
            EXPECT_EQ(host.substr(host.size() - c.host.size()), c.host) << c.page;
            struct stat st;
            EXPECT_EQ(::stat(host.c_str(), &st), 0) << c.page;
            EXPECT_EQ(os::windowsPath(host), file) << c.page;
            EXPECT_EQ(os::ansiFromHost(c.host), c.ansi) << c.page;
            std::vector<os::DirEntry> entries;
            ASSERT_TRUE(os::listFolder(root_, entries));
            EXPECT_TRUE(std::any_of(entries.begin(), entries.end(),
                                    [&](const os::DirEntry& e) { return e.name == c.ansi && e.nameHeld; }))
                << c.page;
            // Relative to a current folder whose own name is beyond ASCII.
            const std::string saved = os::currentDirectory();
            const std::string folder = root_ + "\\in " + c.ansi;
            ASSERT_TRUE(os::createDirectory(folder)) << c.page;
            ASSERT_TRUE(os::setCurrentDirectory(folder)) << c.page;
            EXPECT_EQ(os::currentDirectory(), folder) << c.page;
            EXPECT_TRUE(os::moveFile(file, c.ansi)) << c.page;
            EXPECT_TRUE(os::deleteFile(c.ansi)) << c.page;
            ASSERT_TRUE(os::setCurrentDirectory(saved));
            EXPECT_TRUE(os::removeDirectory(folder)) << c.page;
        }
        os::unsetEnv("BUNDLEWRIGHT_CODEPAGE");
    }
    // A host name beyond the code page fails by its name, never as a '?'.
    EXPECT_THROW(os::ansiFromHost("\xe6\x97\xa5"), os::PathError);
    try {
        os::windowsPath(hostDir_ + "/\xe6\x97\xa5\xe6\x9c\xac.txt");
        ADD_FAILURE() << "converted";
    } catch (const os::PathError& e) {
        EXPECT_NE(std::string(e.what()).find("<U+65E5><U+672C>.txt"), std::string::npos) << e.what();
    }
    // The terminal gets UTF-8: the missing characters back, an unknown byte shown.
    EXPECT_EQ(os::terminalText("Caf\xe9 <U+65E5><U+672C>.txt \x81"), "Caf\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac.txt <0x81>");
    // A setting that is no code page fails every call, not just some.
    for (const char* wrong : {"abc", "1", "65000x"}) {
        os::setEnv("BUNDLEWRIGHT_CODEPAGE", wrong);
        EXPECT_THROW(os::codePageName(), os::PathError) << wrong;
        EXPECT_EQ(os::openFile(root_ + "\\plain.txt", "wb"), nullptr) << wrong;
    }
    os::unsetEnv("BUNDLEWRIGHT_CODEPAGE");
    EXPECT_EQ(os::codePageName(), "Windows-1252");
}
#endif

// ---- processes, environment, command line, exit --------------------------------

TEST_F(OsTest, ProcessExitCodesComeBack) {
#ifdef _WIN32
    const std::string exit3 = "cmd /c exit 3";
#else
    const std::string exit3 = "/bin/sh -c \"exit 3\"";
#endif
    int code = -1;
    ASSERT_TRUE(os::startProcess(exit3, true, &code));
    EXPECT_EQ(code, 3);
    ASSERT_TRUE(os::startProcess(selfCommand("exit 42"), true, &code));
    EXPECT_EQ(code, 42);
    EXPECT_FALSE(os::startProcess(os::quoteArgument(root_ + "\\missing program.exe") + " x", true, &code));
    EXPECT_FALSE(os::startProcess("", true, &code));
}

TEST_F(OsTest, ChildSeesTheArgumentsAsQuoted) {
    const std::vector<std::string> args = {"plain", "with blank", "quote\"inside", "trail\\", "a\\\\b", ""};
    const std::string out = root_ + "\\args.txt";
    std::string line = selfCommand("args " + os::quoteArgument(out));
    for (const std::string& a : args) line += " " + os::quoteArgument(a);
    int code = -1;
    ASSERT_TRUE(os::startProcess(line, true, &code));
    EXPECT_EQ(code, 0);
    std::string expected;
    for (const std::string& a : args) expected += "[" + a + "]\n";
    EXPECT_EQ(readAll(out), expected);
}

TEST_F(OsTest, NoWaitStartsAndReturns) {
    const std::string out = root_ + "\\late.txt";
    ASSERT_TRUE(os::startProcess(selfCommand("args " + os::quoteArgument(out) + " later"), false));
    for (int i = 0; i < 200 && readAll(out) != "[later]\n"; ++i) os::sleepMs(50);
    EXPECT_EQ(readAll(out), "[later]\n");
}

TEST(OsCommandLine, SplitsAsWindowsPrograms) {
    struct Case {
        const char* line;
        std::vector<std::string> want;
    } cases[] = {
        {"prog", {"prog"}},
        {"  \"C:\\Program Files\\x.exe\" a b", {"C:\\Program Files\\x.exe", "a", "b"}},
        {"C:\\dir\\x.exe \"two words\" three", {"C:\\dir\\x.exe", "two words", "three"}},
        {"x a\\\\\\\"b c", {"x", "a\\\"b", "c"}},
        {"x \"a\\\\\" b", {"x", "a\\", "b"}},
        {"x a\\b\\c", {"x", "a\\b\\c"}},
        {"x \"\" y", {"x", "", "y"}},
        {"C:\\a\\\"b c", {"C:\\a\\b c"}},
        {"", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(os::splitCommandLine(c.line), c.want) << c.line;
    for (const char* a : {"", "x y", "\"", "a\\", "a\\\"b", "tab\there"}) {
        std::vector<std::string> back = os::splitCommandLine("p " + os::quoteArgument(a));
        ASSERT_EQ(back.size(), 2u) << a;
        EXPECT_EQ(back[1], a);
    }
}

TEST(OsEnvironment, SetGetUnset) {
    const std::string name = unique("ENV");
    std::string v;
    EXPECT_FALSE(os::getEnv(name, v));
    os::setEnv(name, "value one");
    ASSERT_TRUE(os::getEnv(name, v));
    EXPECT_EQ(v, "value one");
    os::unsetEnv(name);
    EXPECT_FALSE(os::getEnv(name, v));

    os::setCommandLine("\"C:\\x y\\prog.exe\" /S");
    EXPECT_EQ(os::commandLine(), "\"C:\\x y\\prog.exe\" /S");
}

TEST(OsExit, TrapTurnsExitIntoAnException) {
    os::setExitTrap(true);
    EXPECT_TRUE(os::exitTrapped());
    try {
        os::exitProcess(7);
        ADD_FAILURE() << "exitProcess returned";
    } catch (const os::ExitRequest& r) {
        EXPECT_EQ(r.code, 7);
    }
    os::setExitTrap(false);
    EXPECT_FALSE(os::exitTrapped());
    EXPECT_EXIT(os::exitProcess(5), ::testing::ExitedWithCode(5), "");
}

// The child side: "exit N", "args FILE ARG...", "regswap SUBKEY", "svcdelete NAME".
int child(int argc, char** argv) {
    std::string what = argc > 2 ? argv[2] : "";
    if (what == "exit" && argc > 3) return std::atoi(argv[3]);
    if (what == "args" && argc > 3) {
        std::string text;
        for (int i = 4; i < argc; ++i) text += std::string("[") + argv[i] + "]\n";
        return writeAll(argv[3], text) ? 0 : 1;
    }
    if (what == "regswap" && argc > 3) {
        os::RegKey k = os::RegKey::open(os::RegRoot::CurrentUser, argv[3]);
        os::RegValue v;
        if (!k.query("greeting", v) || v.asString() != "hello there") return 2;
        return k.set("Greeting", os::RegValue::string("written by the child")) ? 0 : 3;
    }
    if (what == "svcdelete" && argc > 3) return os::serviceExists(argv[3]) && os::deleteService(argv[3]) ? 0 : 4;
    return 99;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--bw-child") return child(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
