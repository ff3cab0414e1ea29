// The stub's reader and engine on hand-made packages (a small writer below).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/os/os.h"
#include "platform/os/registry.h"
#include "platform/os/services.h"
#include "platform/os/shortcuts.h"
#include "stub/command_line.h"
#include "stub/installer.h"
#include "stub/paths.h"
#include "tests/unit/stub/test_package.h"
#include "uninstaller/removal_engine.h"
#include "uninstaller/uninstall_script.h"

namespace fs = std::filesystem;
using namespace stub;

namespace {

class StubTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("bwstub_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "windows");
        setenv("BUNDLEWRIGHT_DRIVES", ("C=" + dir_.string()).c_str(), 1);
        setenv("BUNDLEWRIGHT_SHELL", "C:\\shell", 1);
        unsetenv("BUNDLEWRIGHT_WINDIR");
        os::resetEmulatedRegistry();
        os::resetEmulatedServices();
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string write(const std::string& bytes, const char* name = "pkg.exe") {
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
        return std::string("C:\\") + name;
    }
    std::string host(const std::string& rel) const { return (dir_ / rel).string(); }
    std::string read(const std::string& rel) const {
        std::ifstream in(dir_ / rel, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    fs::path dir_;
};

std::vector<std::string> strings(const std::string& script) {
    std::vector<std::string> out;
    size_t pos = 0;
    for (size_t at; (at = script.find('\0', pos)) != std::string::npos; pos = at + 1)
        out.push_back(script.substr(pos, at - pos));
    return out;
}

}  // namespace

TEST_F(StubTest, EveryTruncatedPrefixIsRefused) {
    TestPackage t;
    t.entries = {{"\\a.txt.bz2", bz2("hello")}, {"\\b.txt", "raw"}};
    t.registry = true;
    t.registryText = "*Default_Root`HKEY_CURRENT_USER\r\n*AddKey`SOFTWARE\\BwTestStub\r\n";
    std::string bytes = t.bytes();
    std::string path = write(bytes);
    FILE* f = os::openFile(path, "rb");
    ASSERT_NE(nullptr, f);
    Package p;
    std::string error;
    ASSERT_TRUE(readPackage(f, bytes.size(), p, error)) << error;
    EXPECT_EQ(3u, p.entries.size());
    EXPECT_EQ("Widget", p.product);
    // Each prefix is the package as a truncated copy would present it.
    for (uint64_t n = 0; n < bytes.size(); n += (n < package::kPayloadOffset - 64 ? 4096 : 1)) {
        EXPECT_FALSE(readPackage(f, n, p, error)) << n;
        EXPECT_NE(std::string::npos, error.find("damaged or incomplete")) << n;
    }
    std::fclose(f);
    // A real truncated file, and one with a wrong length field.
    Installer a, b;
    EXPECT_FALSE(a.open(write(bytes.substr(0, bytes.size() - 1), "cut.exe"), error));
    std::string wrong = bytes;
    wrong[wrong.size() - 1] = wrong[wrong.size() - 1] == '9' ? '8' : '9';
    EXPECT_FALSE(b.open(write(wrong, "wrong.exe"), error));
    EXPECT_NE(std::string::npos, error.find("length"));
}

TEST(StubNames, UnsafeNamesAreRefused) {
    const char* bad[] = {"..\\evil.txt", "\\a\\..\\..\\evil", "C:\\evil.txt", "\\\\server\\share\\x",
                         "\\a\\b:stream", "\\CON", "\\dir\\nul.txt", "\\com1", "\\LPT9.log", "\\COM\xB9", "\\lpt\xB2.txt", "\\COM\xB3.log", "\\a\\.\\b",
                         "\\a\\\\b", "\\a\\b.", "\\x ", "\\a/../../b", "\\a|b", ""};
    for (const char* name : bad) {
        std::string rel, why;
        EXPECT_FALSE(safeRelative(name, rel, why)) << name;
        EXPECT_FALSE(why.empty()) << name;
    }
    const struct {
        const char* name;
        const char* rel;
    } good[] = {{"\\a.txt", "a.txt"}, {"a\\b.txt", "a\\b.txt"}, {"\\console.txt", "console.txt"},
                {"\\COM0", "COM0"},   {"\\a..b", "a..b"},       {"\\my.bz2files\\x", "my.bz2files\\x"}};
    for (const auto& g : good) {
        std::string rel, why;
        EXPECT_TRUE(safeRelative(g.name, rel, why)) << g.name;
        EXPECT_EQ(g.rel, rel);
    }
    EXPECT_EQ("C:\\d\\a.txt", joinPath("C:\\d\\", "\\a.txt"));
    EXPECT_EQ("C:\\d\\a.txt", joinPath("C:\\d", "a.txt"));
}

TEST_F(StubTest, TraversalEntryInstallsNothing) {
    // The last: one file under two names that differ only in letter case.
    for (const char* name : {"\\..\\escaped.txt", "\\C:\\escaped.txt", "\\sub\\..\\..\\escaped.txt.bz2", "\\FINE.txt.bz2"}) {
        TestPackage t;
        t.entries = {{"\\fine.txt", "x"}, {name, "y"}};
        Installer in;
        InstallProgress quiet;
        std::string error;
        bool ok = in.open(write(t.bytes()), error) && in.install("C:\\dest", quiet, error);
        EXPECT_FALSE(ok) << name;
        EXPECT_NE(std::string::npos, error.find("refused")) << error;
        EXPECT_FALSE(fs::exists(dir_ / "dest")) << name;
        EXPECT_FALSE(fs::exists(dir_ / "escaped.txt")) << name;
        EXPECT_FALSE(fs::exists(dir_ / "windows" / "UnBundlewright.exe")) << name;
    }
}

TEST_F(StubTest, InstallsEverySectionAndWritesTheScript) {
    os::RegKey::create(os::RegRoot::LocalMachine, "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment")
        .set("BwTestStubPath", os::RegValue::string("C:\\Old", os::RegType::ExpandString));
    os::RegKey::create(os::RegRoot::CurrentUser, "SOFTWARE");   // existing levels are never listed
    os::RegKey::create(os::RegRoot::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
    TestPackage t;
    std::string big(200000, 'q');
    for (size_t i = 0; i < big.size(); i += 7) big[i] = static_cast<char>('a' + i % 26);
    t.entries = {{"\\docs\\readme.txt.bz2", bz2("read me")},
                 {"\\docs\\deep\\big.bin.bz2", bz2(big)},
                 {"\\empty.dat.bz2", bz2("")},
                 {"\\raw.bin", "stored"},
                 {"\\already.bz2.bz2", bz2("inner")},
                 {"\\emptydir\\temp$.bz2", "1"},
                 {"\\bin\\svc.exe", "MZ"}};
    t.space = "300000";
    t.preUninstall = "\\bin\\svc.exe";
    t.preUninstallCmd = "/clean";
    t.services = "\\bin\\svc.exe~BwTestStubSvc~Bw Test Service";
    t.registry = true;
    t.registryText =
        "*Default_Root`HKEY_CURRENT_USER\r\n*AddKey`SOFTWARE\\BwTestStubCo\\Widget\\1.0\r\n"
        "*Default_Root`HKEY_LOCAL_MACHINE\r\n"
        "*AppendKeyValue`SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment`BwTestStubPath`C:\\Tools\r\n"
        "*setkeyvalue`SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment`BwTestStubVar`on\r\n"
        "*Default_Root`HKEY_DYN_DATA\r\n*Addkey`Ignored\r\n";
    t.shortcuts = true;
    t.shortcutsText =
        "create_shortcut_dir`Desktop\\Start Menu\\Programs\\Widget\r\n"
        "add_shortcut`<<TARGETDIR>>\\raw.bin`Desktop\\Start Menu\\Programs\\Widget\\Raw.lnk`Shortcut to Vornel`-x\r\n"
        "add_shortcut`%WINDIR%\\UnBundlewright.exe`Desktop\\Start Menu\\Programs\\Widget\\Uninstall.lnk`"
        "shortcut to Vornel`-f<<TARGETDIR>>\\Uninstall.wzu\r\n";
    Installer in;
    std::string error;
    ASSERT_TRUE(in.open(write(t.bytes()), error)) << error;
    InstallProgress quiet;
    ASSERT_TRUE(in.install("C:\\dest\\Widget", quiet, error)) << error;

    EXPECT_EQ("read me", read("dest/Widget/docs/readme.txt"));
    EXPECT_EQ(big, read("dest/Widget/docs/deep/big.bin"));
    EXPECT_TRUE(fs::exists(dir_ / "dest/Widget/empty.dat"));
    EXPECT_EQ(0u, fs::file_size(dir_ / "dest/Widget/empty.dat"));
    EXPECT_EQ("stored", read("dest/Widget/raw.bin"));
    EXPECT_EQ("inner", read("dest/Widget/already.bz2"));
    EXPECT_TRUE(fs::is_directory(dir_ / "dest/Widget/emptydir"));
    EXPECT_EQ("MZ-uninstaller", read("windows/UnBundlewright.exe"));

    os::RegValue v;
    EXPECT_TRUE(os::RegKey::open(os::RegRoot::CurrentUser, "SOFTWARE\\BwTestStubCo\\Widget\\1.0").valid());
    os::RegKey env = os::RegKey::open(os::RegRoot::LocalMachine,
                                      "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment");
    ASSERT_TRUE(env.query("BwTestStubPath", v));
    EXPECT_EQ("C:\\Old;C:\\Tools", v.asString());
    ASSERT_TRUE(env.query("BwTestStubVar", v));
    EXPECT_EQ("on", v.asString());

    os::Shortcut link;
    ASSERT_TRUE(os::readShortcut("C:\\shell\\Start Menu\\Programs\\Widget\\Uninstall.lnk", link));
    EXPECT_EQ("C:\\windows\\UnBundlewright.exe", link.target);
    EXPECT_EQ("-fC:\\dest\\Widget\\Uninstall.wzu", link.arguments);
    ASSERT_TRUE(os::readShortcut("C:\\shell\\Start Menu\\Programs\\Widget\\Raw.lnk", link));
    EXPECT_EQ("C:\\dest\\Widget\\raw.bin", link.target);
    EXPECT_TRUE(os::serviceExists("BwTestStubSvc"));

    std::vector<std::string> s = strings(read("dest/Widget/Uninstall.wzu"));
    std::vector<std::string> expected = {
        "C:\\dest\\Widget\\bin\\svc.exe", "/clean",
        "C:\\dest\\Widget\\docs\\readme.txt", "C:\\dest\\Widget\\docs\\deep\\big.bin",
        "C:\\dest\\Widget\\empty.dat", "C:\\dest\\Widget\\raw.bin", "C:\\dest\\Widget\\already.bz2.bz2",
        "C:\\dest\\Widget\\bin\\svc.exe", "C:\\dest\\Widget\\Uninstall.wzr",
        "**REGISTRY_UPDATION_DETAILS**", "!HKEY_LOCAL_MACHINE",
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Widget",   // the installed-programs entry
        "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment`BwTestStubVar",
        "~SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment~BwTestStubPath~;C:\\Tools",
        "!HKEY_CURRENT_USER", "SOFTWARE\\BwTestStubCo\\Widget\\1.0", "SOFTWARE\\BwTestStubCo\\Widget",
        "SOFTWARE\\BwTestStubCo", "**END_REGISTRY**",
        "**SHORTCUTS**", "C:\\shell\\Start Menu\\Programs\\Widget\\Raw.lnk",
        "C:\\shell\\Start Menu\\Programs\\Widget\\Uninstall.lnk", "**END_SHORTCUTS**",
        "**ServiceSection**", "BwTestStubSvc", "**EndServices**"};
    ASSERT_GE(s.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(expected[i], s[i]) << i;
    // Then the folders this installation made, deepest first, and the end.
    std::vector<std::string> dirs(s.begin() + static_cast<long>(expected.size()), s.end() - 1);
    EXPECT_EQ("**EndEndEnd**", s.back());
    auto depth = [](const std::string& p) { return std::count(p.begin(), p.end(), '\\'); };
    for (size_t i = 1; i < dirs.size(); ++i) EXPECT_GE(depth(dirs[i - 1]), depth(dirs[i])) << dirs[i];
    for (const char* d : {"C:\\dest\\Widget\\docs\\deep", "C:\\dest\\Widget\\emptydir", "C:\\dest\\Widget",
                          "C:\\dest", "C:\\shell\\Start Menu\\Programs\\Widget"})
        EXPECT_NE(dirs.end(), std::find(dirs.begin(), dirs.end(), d)) << d;
}

TEST_F(StubTest, ADamagedStreamInstallsNothing) {
    TestPackage t;
    t.entries = {{"\\one.txt", "1"}, {"\\sub\\bad.txt.bz2", "not a bzip2 stream"}, {"\\three.txt", "3"}};
    Installer in;
    std::string error;
    ASSERT_TRUE(in.open(write(t.bytes()), error)) << error;
    InstallProgress quiet;
    EXPECT_FALSE(in.install("C:\\dest\\Widget", quiet, error));
    EXPECT_NE(std::string::npos, error.find("bad.txt.bz2")) << error;
    EXPECT_TRUE(in.foundDamage());
    EXPECT_FALSE(in.changedSomething());
    EXPECT_FALSE(fs::exists(dir_ / "dest"));
    EXPECT_FALSE(fs::exists(dir_ / "windows" / "UnBundlewright.exe"));
}

// A second installation into the same folder keeps what the first made
// listed, and updates the service it made instead of stopping.
TEST_F(StubTest, InstallingAgainMergesTheScriptAndUpdatesTheService) {
    TestPackage t;
    t.entries = {{"\\one.txt", "1"}, {"\\bin\\svc.exe", "MZ"}};
    t.services = "\\bin\\svc.exe~BwTestStubAgain~Again";
    t.registry = true;
    t.registryText = "*Default_Root`HKEY_CURRENT_USER\r\n*AddKey`SOFTWARE\\BwTestStubAgain\r\n";
    InstallProgress quiet;
    std::string error;
    Installer first;
    ASSERT_TRUE(first.open(write(t.bytes()), error)) << error;
    ASSERT_TRUE(first.install("C:\\dest\\Widget", quiet, error)) << error;
    t.entries = {{"\\two.txt", "2"}, {"\\bin\\svc.exe", "MZ2"}};
    Installer second;
    ASSERT_TRUE(second.open(write(t.bytes(), "pkg2.exe"), error)) << error;
    ASSERT_TRUE(second.install("C:\\dest\\Widget", quiet, error)) << error;
    std::vector<std::string> s = strings(read("dest/Widget/Uninstall.wzu"));
    auto count = [&](const std::string& x) { return std::count(s.begin(), s.end(), x); };
    for (const char* once : {"C:\\dest\\Widget\\one.txt", "C:\\dest\\Widget\\two.txt", "C:\\dest\\Widget\\bin\\svc.exe",
                             "SOFTWARE\\BwTestStubAgain", "BwTestStubAgain", "C:\\dest\\Widget\\bin",
                             "C:\\dest\\Widget", "C:\\dest", "**REGISTRY_UPDATION_DETAILS**", "**ServiceSection**"})
        EXPECT_EQ(1, count(once)) << once;
    EXPECT_EQ("**EndEndEnd**", s.back());
    EXPECT_EQ("MZ2", read("dest/Widget/bin/svc.exe"));
    EXPECT_TRUE(os::serviceExists("BwTestStubAgain"));
}

TEST_F(StubTest, DestinationsAreFullLocalPaths) {
    setenv("BwTestStubBase", "C:\\Base", 1);
    const struct {
        const char* given;
        const char* used;   // "" refused
    } cases[] = {{"C:\\Acme", "C:\\Acme"},
                 {"  C:\\Acme\\\\  ", "C:\\Acme"},
                 {"c:\\", ""},   // a drive's root
                 {"C:\\windows", ""},
                 {"%windir%\\Acme", ""},
                 {"C:\\Windows\\System32\\Acme", ""},
                 {"C:\\windowsApps", "C:\\windowsApps"},
                 {"%BwTestStubBase%\\Acme", "C:\\Base\\Acme"},
                 {"%BwTestStubBase%%BwTestStubBase%", ""},   // "C:\BaseC:\Base"
                 {"Acme", ""},
                 {"\\Acme", ""},
                 {"C:Acme", ""},
                 {"%BwTestStubNone%\\Acme", ""},
                 {"Q:\\Acme", ""},   // no such drive
                 {"\\\\server\\share", ""},
                 {"C:\\a\\..\\..\\b", ""},
                 {"C:\\a:b", ""},
                 // The system's folders whatever the environment says.
                 {"%ProgramFiles%\\Acme", "C:\\Program Files\\Acme"},
                 {"%SystemRoot%", ""}};
    setenv("ProgramFiles", "C:\\Base", 1);
    setenv("windir", "C:\\Base", 1);
    setenv("SystemRoot", "C:\\Base", 1);
    for (const auto& c : cases) {
        std::string used;
        EXPECT_EQ(*c.used != 0, destinationFolder(c.given, used)) << c.given;
        EXPECT_EQ(c.used, used) << c.given;
    }
    std::string longest = "C:\\" + std::string(200, 'x');
    std::string used;
    EXPECT_FALSE(destinationFolder(longest + std::string(50, 'y'), used)) << "no room below it";
    EXPECT_EQ("50% off C:\\Base %", expandEnvironment("50% off %BwTestStubBase% %"));
    for (const char* v : {"BwTestStubBase", "ProgramFiles", "windir", "SystemRoot"}) unsetenv(v);
}

TEST(StubNames, ShortcutPlacesLoseWhatWindowsTrims) {
    std::string rel, why;
    ASSERT_TRUE(shortcutRelative("Start Menu\\Programs\\Acme Inc.\\Tool .lnk", rel, why)) << why;
    EXPECT_EQ("Start Menu\\Programs\\Acme Inc\\Tool .lnk", rel);
    ASSERT_TRUE(shortcutRelative("Widget Tools For Every  \\A.lnk", rel, why)) << why;
    EXPECT_EQ("Widget Tools For Every\\A.lnk", rel);
    for (const char* bad : {"..\\x.lnk", "Programs\\..\\..\\x.lnk", "a\\ . \\x.lnk", "a\\...\\x.lnk", "C:\\x.lnk",
                            "a\\CON.\\x.lnk", "a\\x|y.lnk"}) {
        EXPECT_FALSE(shortcutRelative(bad, rel, why)) << bad;
        EXPECT_FALSE(why.empty()) << bad;
    }
}

TEST_F(StubTest, APackageMayNotDecodeToMoreThanItDeclares) {
    TestPackage t;
    t.space = "1000";
    t.entries = {{"\\small.txt", "s"}, {"\\zeros.bin.bz2", bz2(std::string(1 << 20, '\0'))}};
    Installer in;
    std::string error;
    ASSERT_TRUE(in.open(write(t.bytes()), error)) << error;
    InstallProgress quiet;
    EXPECT_FALSE(in.install("C:\\dest", quiet, error));
    EXPECT_NE(std::string::npos, error.find("1000 bytes it declares")) << error;
    EXPECT_FALSE(fs::exists(dir_ / "dest"));
    // Stored data is measured before anything else happens.
    t.entries = {{"\\big.txt", std::string(1001, 'b')}};
    Installer stored;
    EXPECT_FALSE(stored.open(write(t.bytes(), "stored.exe"), error));
    t.space = "1.5e3";
    Installer odd;
    EXPECT_FALSE(odd.open(write(t.bytes(), "odd.exe"), error));
}

TEST(StubTexts, OptionSectionsKeepBlankLinesInValues) {
    std::string text = std::string("NO_PROMPT_SECTION\r\n\r\nYES_WELCOME_SECTION\r\ndefault\r\n\r\n") +
                       "YES_LICENSE_SECTION\r\nTerms\r\n\r\nMore terms\r\n\r\n\r\n" +
                       "YES_PASSWORD_SECTION\r\nsecret\r\n\r\nYES_README_SECTION\r\n\\DOCS\\README.TXT\r\n\r\n";
    Options o;
    ASSERT_TRUE(parseOptions(text, o));
    EXPECT_FALSE(o.prompt.on);
    EXPECT_EQ("default", o.welcome.value);
    EXPECT_EQ("Terms\r\n\r\nMore terms\r\n", o.license.value);
    EXPECT_EQ("secret", o.password.value);
    EXPECT_EQ("\\DOCS\\README.TXT", o.readme.value);
    EXPECT_TRUE(parseOptions(kAllOff, o));
    EXPECT_FALSE(parseOptions(std::string(kAllOff).substr(0, 40), o));
}

TEST(StubTexts, CommandLine) {
    const struct {
        const char* line;
        bool silent;
        const char* dest;
        const char* password;
        bool endSession = false;
    } cases[] = {{"pkg.exe /S /D=C:\\Program Files\\Acme", true, "C:\\Program Files\\Acme", ""},
                 {"\"C:\\a b\\pkg.exe\" /s /P=pw /D=\"D:\\x y\"", true, "D:\\x y", "pw"},
                 {"pkg.exe", false, "", ""},
                 {"pkg.exe /r /S", true, "", "", true},
                 // After /D= everything is the folder, a /R too.
                 {"pkg.exe /S /D=C:\\x /R", true, "C:\\x /R", ""},
                 {"pkg.exe /S /RR /R=1", true, "", ""}};
    for (const auto& c : cases) {
        Arguments a = parseArguments(c.line);
        EXPECT_EQ(c.silent, a.silent) << c.line;
        EXPECT_EQ(c.endSession, a.endSession) << c.line;
        EXPECT_EQ(c.dest, a.destination) << c.line;
        EXPECT_EQ(c.password, a.password) << c.line;
    }
}

namespace {

const char* kEnvKey = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

// Every key, value type and value byte below `path`, one line each.
void snapshot(os::RegRoot root, const std::string& path, std::string& out) {
    os::RegKey k = os::RegKey::open(root, path);
    if (!k.valid()) return;
    out += "[" + path + "]\n";
    for (const std::string& name : k.valueNames()) {
        os::RegValue v;
        k.query(name, v);
        out += name + "=" + std::to_string(static_cast<int>(v.type)) + ":" + std::string(v.data.begin(), v.data.end()) +
               "\n";
    }
    for (const std::string& sub : k.subKeys()) snapshot(root, path + "\\" + sub, out);
}

std::string registryState() {
    std::string s;
    snapshot(os::RegRoot::LocalMachine, "SYSTEM", s);
    snapshot(os::RegRoot::CurrentUser, "Software", s);
    snapshot(os::RegRoot::Users, "BwTest", s);
    return s;
}

}  // namespace

// The install appends one ';' part and records exactly it; the uninstaller's
// records then give back the registry as it was: a long Path, look-alike
// parts, a value ending in ';', an empty one, a number left alone (and
// reported), a pre-existing key that stays.
TEST_F(StubTest, AppendedPartsAndCreatedEntriesComeOffAgainByteForByte) {
    os::RegKey env = os::RegKey::create(os::RegRoot::LocalMachine, kEnvKey);
    std::string longPath;
    while (longPath.size() < 5000) longPath += "C:\\Program Files\\Some Tool " + std::to_string(longPath.size()) + ";";
    longPath += "C:\\Tools2;C:\\Tools\\bin";
    ASSERT_TRUE(env.set("Path", os::RegValue::string(longPath, os::RegType::ExpandString)));
    ASSERT_TRUE(env.set("Semi", os::RegValue::string("C:\\a;")));
    ASSERT_TRUE(env.set("Empty", os::RegValue::string("")));
    ASSERT_TRUE(env.set("Count", os::RegValue::dword(3)));
    ASSERT_TRUE(os::RegKey::create(os::RegRoot::CurrentUser, "Software\\Acme").set("Keep", os::RegValue::string("1")));
    const std::string before = registryState();

    TestPackage t;
    t.entries = {{"\\a.txt", "a"}};
    t.registry = true;
    const std::string e = std::string("`") + kEnvKey + "`";
    t.registryText = "*Default_Root`HKEY_LOCAL_MACHINE\r\n*AppendKeyValue" + e + "Path`C:\\Tools\r\n"
                     "*AppendKeyValue" + e + "Semi`C:\\Tools\r\n*AppendKeyValue" + e + "Empty`C:\\Tools\r\n"
                     "*AppendKeyValue" + e + "Count`C:\\Tools\r\n*AppendKeyValue" + e + "Fresh`C:\\Tools\r\n"
                     "*Default_Root`HKEY_CURRENT_USER\r\n*Addkey`Software\\Acme\r\n*SetKeyValue`Software\\Acme`Ver`1.0\r\n"
                     "*Addkey`Software\\Acme\\Deep\\Er\r\n*Default_Root`HKEY_USERS\r\n*Addkey`BwTest\\Key\r\n";
    Installer in;
    std::string error;
    ASSERT_TRUE(in.open(write(t.bytes()), error)) << error;
    InstallProgress quiet;
    ASSERT_TRUE(in.install("C:\\dest", quiet, error)) << error;

    os::RegValue v;
    ASSERT_TRUE(env.query("Path", v));
    EXPECT_EQ(v.asString(), longPath + ";C:\\Tools");
    EXPECT_EQ(v.type, os::RegType::ExpandString);
    ASSERT_TRUE(env.query("Semi", v));
    EXPECT_EQ(v.asString(), "C:\\a;C:\\Tools");
    ASSERT_TRUE(env.query("Empty", v));
    EXPECT_EQ(v.asString(), "C:\\Tools");
    ASSERT_TRUE(env.query("Count", v));
    EXPECT_EQ(v.type, os::RegType::Dword);
    ASSERT_EQ(in.notices().size(), 1u);
    EXPECT_NE(in.notices()[0].find("Count"), std::string::npos);

    const std::string script = read("dest/Uninstall.wzu");
    std::vector<std::string> s = strings(script);
    const std::string k = kEnvKey;
    for (const std::string& record : {"~" + k + "~Path~;C:\\Tools", "~" + k + "~Semi~C:\\Tools",
                                      "~" + k + "~Empty~C:\\Tools", "~" + k + "~Fresh~C:\\Tools", std::string("Software\\Acme`Ver"),
                                      std::string("Software\\Acme\\Deep"), std::string("BwTest")})
        EXPECT_NE(std::find(s.begin(), s.end(), record), s.end()) << record;
    for (const std::string& s1 : s) {
        EXPECT_EQ(s1.find("Count"), std::string::npos) << s1;
        EXPECT_NE(s1, "Software\\Acme") << "a key that was there before is not the installation's";
    }

    // The value the append made goes with the product's part.
    EXPECT_EQ(0, uninstaller::runSilentUninstall("UnBundlewright.exe /S -fC:\\dest\\Uninstall.wzu"));
    EXPECT_EQ(registryState(), before);
}

// Folders the destination lacks arrive whole from the staging folder; folders
// it has keep what they hold and take the new files one by one, whatever the
// case of the names the package gives them. Many entries keep every worker
// busy. Only the new folders are the installation's to remove.
TEST_F(StubTest, NewFoldersArriveWholeAndExistingOnesKeepTheirFiles) {
    fs::create_directories(dir_ / "dest/Widget/docs");
    std::ofstream(dir_ / "dest/Widget/docs/mine.txt") << "mine";
    TestPackage t;
    t.entries = {{"\\docs\\readme.txt", "read me"},    {"\\docs\\new\\deep.txt.bz2", bz2("deep")},
                 {"\\Docs\\case.txt", "case"},         {"\\fresh\\a.txt", "a"},
                 {"\\fresh\\sub\\b.txt.bz2", bz2("b")}, {"\\FRESH\\c.txt", "c"},
                 {"\\fresh\\empty\\temp$.bz2", ""},    {"\\top.txt", "top"}};
    for (int i = 0; i < 60; ++i)
        t.entries.push_back({"\\many\\m" + std::to_string(i) + ".txt.bz2", bz2(std::string(1000 + i, 'a' + i % 26))});
    t.space = "200000";
    Installer in;
    std::string error;
    ASSERT_TRUE(in.open(write(t.bytes()), error)) << error;
    InstallProgress quiet;
    ASSERT_TRUE(in.install("C:\\dest\\Widget", quiet, error)) << error;

    EXPECT_EQ("mine", read("dest/Widget/docs/mine.txt"));
    EXPECT_EQ("read me", read("dest/Widget/docs/readme.txt"));
    EXPECT_EQ("deep", read("dest/Widget/docs/new/deep.txt"));
    EXPECT_EQ("case", read("dest/Widget/docs/case.txt"));
    EXPECT_EQ("a", read("dest/Widget/fresh/a.txt"));
    EXPECT_EQ("b", read("dest/Widget/fresh/sub/b.txt"));
    EXPECT_EQ("c", read("dest/Widget/fresh/c.txt"));
    EXPECT_TRUE(fs::is_directory(dir_ / "dest/Widget/fresh/empty"));
    EXPECT_EQ("top", read("dest/Widget/top.txt"));
    for (int i = 0; i < 60; ++i)
        EXPECT_EQ(std::string(1000 + i, 'a' + i % 26), read("dest/Widget/many/m" + std::to_string(i) + ".txt")) << i;
    std::vector<std::string> top;
    for (const auto& e : fs::directory_iterator(dir_ / "dest/Widget")) top.push_back(e.path().filename().string());
    std::sort(top.begin(), top.end());
    EXPECT_EQ((std::vector<std::string>{"Uninstall.wzr", "Uninstall.wzu", "docs", "fresh", "many", "top.txt"}), top)
        << "no staging folder stays";

    const std::string script = read("dest/Widget/Uninstall.wzu");
    std::vector<std::string> s = strings(script);
    for (const char* made : {"C:\\dest\\Widget\\fresh", "C:\\dest\\Widget\\fresh\\sub", "C:\\dest\\Widget\\fresh\\empty",
                             "C:\\dest\\Widget\\docs\\new", "C:\\dest\\Widget\\many", "C:\\dest\\Widget\\FRESH\\c.txt",
                             "C:\\dest\\Widget\\many\\m59.txt", "C:\\dest\\Widget\\Docs\\case.txt"})
        EXPECT_NE(s.end(), std::find(s.begin(), s.end(), std::string(made))) << made;
    EXPECT_EQ(s.end(), std::find(s.begin(), s.end(), "C:\\dest\\Widget\\docs")) << "it was there before";

    uninstaller::RemovalReport report =
        uninstaller::removeInstalled(uninstaller::parseUninstallScript(script));
    EXPECT_EQ(0, report.failureCount);
    EXPECT_EQ("mine", read("dest/Widget/docs/mine.txt"));
    EXPECT_FALSE(fs::exists(dir_ / "dest/Widget/fresh"));
    EXPECT_FALSE(fs::exists(dir_ / "dest/Widget/many"));
    EXPECT_FALSE(fs::exists(dir_ / "dest/Widget/docs/new"));
    EXPECT_FALSE(fs::exists(dir_ / "dest/Widget/docs/readme.txt"));
}

// An entry whose path fits the system's limit in the destination but not
// below the staging folder (a few characters longer) still installs.
TEST_F(StubTest, APathThatFitsOnlyInTheDestinationInstalls) {
    const std::string dest = "C:\\dest\\Widget";
    std::string folder(100, 'f'), name(kMaxPathChars - dest.size() - 2 - folder.size(), 'n');
    ASSERT_EQ(kMaxPathChars, (dest + "\\" + folder + "\\" + name).size());
    TestPackage t;
    t.entries = {{"\\" + folder + "\\" + name + ".bz2", bz2("long")}, {"\\" + folder + "\\short.txt", "short"}};
    Installer in;
    std::string error;
    ASSERT_TRUE(in.open(write(t.bytes()), error)) << error;
    InstallProgress quiet;
    ASSERT_TRUE(in.install(dest, quiet, error)) << error;
    EXPECT_EQ("long", read("dest/Widget/" + folder + "/" + name));
    EXPECT_EQ("short", read("dest/Widget/" + folder + "/short.txt"));
    size_t count = 0;
    for (const auto& e : fs::directory_iterator(dir_ / "dest/Widget")) count += e.path().filename() != "Uninstall.wzu" && e.path().filename() != "Uninstall.wzr";
    EXPECT_EQ(1u, count) << "no staging folder stays";
}

// Damage anywhere among many entries stops every worker and leaves nothing,
// and the message names the damaged entry.
TEST_F(StubTest, DamageAmongManyEntriesInstallsNothing) {
    for (int bad : {0, 17, 39}) {
        TestPackage t;
        for (int i = 0; i < 40; ++i)
            t.entries.push_back({"\\d" + std::to_string(i % 4) + "\\f" + std::to_string(i) + ".txt.bz2",
                                 i == bad ? std::string("BZh9 damaged") : bz2(std::string(5000, 'x'))});
        t.space = "1000000";
        Installer in;
        std::string error;
        ASSERT_TRUE(in.open(write(t.bytes()), error)) << error;
        InstallProgress quiet;
        EXPECT_FALSE(in.install("C:\\dest\\Widget", quiet, error)) << bad;
        EXPECT_NE(std::string::npos, error.find("f" + std::to_string(bad) + ".txt.bz2")) << error;
        EXPECT_TRUE(in.foundDamage());
        EXPECT_FALSE(in.changedSomething());
        EXPECT_FALSE(fs::exists(dir_ / "dest")) << bad;
        EXPECT_FALSE(fs::exists(dir_ / "windows" / "UnBundlewright.exe"));
    }
}

// The Windows folder's UnBundlewright.exe runs every later uninstall of any
// product: a package never replaces it with an older one (its version
// resource says which is newer); one without a version gives way.
TEST_F(StubTest, TheSharedUninstallerIsNeverDowngraded) {
    // The fixed part of a version resource: signature, structure version 1.0, version.
    auto program = [](uint32_t high, uint32_t low) {
        std::string v = "MZ-uninstaller";
        for (uint32_t w : {0xFEEF04BDu, 0x00010000u, high, low})
            for (int b = 0; b < 4; ++b) v.push_back(static_cast<char>((w >> (8 * b)) & 0xff));
        return v;
    };
    const std::string v2 = program(0x00020033, 0), v3 = program(0x00030000, 0), v2patch = program(0x00020033, 0x00010000);
    const struct {
        const char* what;
        std::string there, brought;
        bool replaced;
    } cases[] = {
        {"an older one there", v2, v3, true},
        {"the same there", v2, v2, true},
        {"a newer one there", v3, v2, false},
        {"a newer patch there", v2patch, v2, false},
        {"one with a version there, none brought", v2, "MZ-uninstaller", false},
        {"one without a version there", "MZ-old", v2, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::ofstream(dir_ / "windows" / "UnBundlewright.exe", std::ios::binary) << c.there;
        TestPackage t;
        t.uninstaller = c.brought;
        t.entries = {{"\\a.txt", "a"}};
        Installer in;
        std::string error;
        ASSERT_TRUE(in.open(write(t.bytes()), error)) << error;
        InstallProgress quiet;
        ASSERT_TRUE(in.install("C:\\dest\\Widget", quiet, error)) << error;
        EXPECT_EQ(c.replaced ? c.brought : c.there, read("windows/UnBundlewright.exe"));
        std::vector<std::string> left;
        for (const auto& e : fs::directory_iterator(dir_ / "windows")) left.push_back(e.path().filename().string());
        EXPECT_EQ(std::vector<std::string>{"UnBundlewright.exe"}, left) << "a temporary copy is left";
    }
}

// Every text of the package is read whole into memory: one larger than any
// package carries is refused as damage, never a reason to run out of memory.
TEST_F(StubTest, ATextLargerThanAnyPackageCarriesIsRefused) {
    TestPackage t;
    t.registry = true;
    t.registryText = "*Default_Root`HKEY_CURRENT_USER\r\n" + std::string(17u << 20, ' ');
    Installer in;
    std::string error;
    EXPECT_FALSE(in.open(write(t.bytes()), error));
    EXPECT_NE(std::string::npos, error.find("registry section is damaged")) << error;
}

// The package is read through the one handle that was checked: a file put in
// its place after the check (a re-pointed name) is not what is installed.
TEST_F(StubTest, WhatIsInstalledIsWhatWasChecked) {
    TestPackage checked, swapped;
    checked.entries = {{"\\a.txt", "alpha"}};
    swapped.entries = {{"\\a.txt", "omega"}};   // the same layout, other bytes
    const std::string path = write(checked.bytes());
    Installer in;
    std::string error;
    ASSERT_TRUE(in.open(path, error)) << error;
    write(swapped.bytes(), "swap.exe");
    fs::rename(dir_ / "swap.exe", dir_ / "pkg.exe");
    InstallProgress quiet;
    ASSERT_TRUE(in.install("C:\\dest\\Widget", quiet, error)) << error;
    EXPECT_EQ("alpha", read("dest/Widget/a.txt"));
}

namespace {

const char kUninstallEntries[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The machine as an installation can change it: every file below the test's
// drive but the Windows folder and the packages, every key and value the
// packages touch, the services they name.
std::string machineState(const fs::path& root) {
    std::string s;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        std::string rel = fs::relative(it->path(), root).generic_string();
        if (rel.rfind("windows", 0) == 0 || rel.rfind("pkg", 0) == 0) continue;
        s += rel + (it->is_directory() ? "/" : "=" + std::string(std::istreambuf_iterator<char>(
                                                          std::ifstream(it->path(), std::ios::binary).rdbuf()), {}));
        s += "\n";
    }
    s += registryState();
    snapshot(os::RegRoot::LocalMachine, "SOFTWARE", s);
    for (const char* name : {"BwTestSvc", "BwTestTaken"}) s += std::string(name) + (os::serviceExists(name) ? "+\n" : "-\n");
    return s;
}

// Version 1 or 2 of a product that uses every section, over look-alikes of
// what it writes: the user's file of the same name, the user's value, the
// user's part of a PATH-like value, the user's own Desktop shortcut of the
// same name, another product's uninstall shortcut in a shared folder.
TestPackage everySection(int version) {
    TestPackage t;
    t.version = version == 1 ? "1.0" : "2.0";
    t.entries = {{"\\docs\\readme.txt", version == 1 ? "v1 readme" : "v2 readme"},
                 {"\\bin\\svc.exe", "MZ"},
                 {version == 1 ? "\\old.txt" : "\\new\\fresh.txt.bz2", version == 1 ? "old" : bz2("fresh")},
                 {"\\empty\\temp$.bz2", "1"}};
    t.space = "1000";
    t.services = "\\bin\\svc.exe~BwTestSvc~Bw Test";
    t.registry = true;
    t.registryText = "*Default_Root`HKEY_CURRENT_USER\r\n*AddKey`Software\\Acme\\Widget\r\n"
                     "*SetKeyValue`Software\\Acme`Ver`" + t.version + "\r\n"
                     "*Default_Root`HKEY_LOCAL_MACHINE\r\n*AppendKeyValue`" + std::string(kEnvKey) + "`BwPath`C:\\UpTarget\\bin\r\n"
                     "*AppendKeyValue`" + std::string(kEnvKey) + "`BwFresh`C:\\UpTarget\r\n";
    t.shortcuts = true;
    t.shortcutsText = "add_shortcut`<<TARGETDIR>>\\bin\\svc.exe`Desktop\\Widget.lnk`Widget`\r\n"
                      "add_shortcut`%WINDIR%\\UnBundlewright.exe`Desktop\\Start Menu\\Programs\\Acme\\Uninstall.lnk`"
                      "Uninstall`-f<<TARGETDIR>>\\Uninstall.wzu\r\n";
    return t;
}

}  // namespace

// Every change of an install, and of an upgrade over it, fails in turn: each
// time the machine is as before and the message says nothing was
// installed. Then version 1, version 2 over it, and the uninstall give back
// the machine as it was, look-alikes and all.
TEST_F(StubTest, AnInstallIsAllOrNothingAndTheUninstallGivesBackWhatWasThere) {
    fs::create_directories(dir_ / "UpTarget/docs");
    std::ofstream(dir_ / "UpTarget/mine.txt") << "mine";
    std::ofstream(dir_ / "UpTarget/docs/readme.txt") << "the user's readme";
    fs::create_directories(dir_ / "shell/Desktop");
    std::ofstream(dir_ / "shell/Desktop/Widget.lnk") << "the user's own shortcut";
    fs::create_directories(dir_ / "shell/Start Menu/Programs/Acme");
    std::ofstream(dir_ / "shell/Start Menu/Programs/Acme/Uninstall.lnk") << "another product's";
    os::RegKey::create(os::RegRoot::CurrentUser, "Software\\Acme").set("Ver", os::RegValue::string("the user's"));
    os::RegKey::create(os::RegRoot::LocalMachine, kEnvKey).set("BwPath", os::RegValue::string("C:\\Mine"));
    const std::string before = machineState(dir_);
    const std::string v1 = write(everySection(1).bytes(), "pkg1.exe"), v2 = write(everySection(2).bytes(), "pkg2.exe");
    InstallProgress quiet;
    std::string error;

    auto everyFailure = [&](const std::string& package, const std::string& state) {
        int k = 1;
        for (;; ++k) {
            Installer in;
            ASSERT_TRUE(in.open(package, error)) << error;
            in.failAtChange(k);
            if (in.install("C:\\UpTarget", quiet, error)) break;
            EXPECT_NE(std::string::npos, in.outcome().find("nothing was installed")) << k << ": " << error;
            EXPECT_FALSE(in.changedSomething()) << k;
            EXPECT_EQ(state, machineState(dir_)) << "after a failure at change " << k << ": " << error;
        }
        EXPECT_GT(k, 20) << "the package's changes, counted";
    };
    everyFailure(v1, before);   // the last round installed version 1
    const std::string afterV1 = machineState(dir_);
    EXPECT_EQ("v1 readme", read("UpTarget/docs/readme.txt"));
    everyFailure(v2, afterV1);   // and this one version 2 over it

    EXPECT_EQ("v2 readme", read("UpTarget/docs/readme.txt"));
    os::RegValue v;
    ASSERT_TRUE(os::RegKey::open(os::RegRoot::LocalMachine, kEnvKey).query("BwPath", v));
    EXPECT_EQ("C:\\Mine;C:\\UpTarget\\bin", v.asString()) << "an upgrade appends no part twice";
    ASSERT_TRUE(os::RegKey::open(os::RegRoot::LocalMachine, std::string(kUninstallEntries) + "\\Widget")
                    .query("DisplayVersion", v));
    EXPECT_EQ("2.0", v.asString());

    EXPECT_EQ(0, uninstaller::runSilentUninstall("UnBundlewright.exe /S -fC:\\UpTarget\\Uninstall.wzu"));
    EXPECT_EQ(before, machineState(dir_));
}

// One product to a folder, one folder to a product; an earlier record that
// cannot be read is never merged. Each refusal writes nothing.
TEST_F(StubTest, AFolderHoldsOneProductAndAProductOneFolder) {
    InstallProgress quiet;
    std::string error;
    TestPackage first;
    first.entries = {{"\\a.txt", "a"}};
    {
        Installer in;
        ASSERT_TRUE(in.open(write(first.bytes(), "pkg1.exe"), error)) << error;
        ASSERT_TRUE(in.install("C:\\One", quiet, error)) << error;
    }
    TestPackage other = first, serviced = first;
    other.product = "Gadget";
    serviced.product = "Servant";
    serviced.services = "\\a.txt~BwTestTaken~Taken";
    os::createService({"BwTestTaken", "taken", "C:\\x.exe", os::ServiceStart::Demand});
    const struct {
        const TestPackage* package;
        const char* folder;
        const char* damage;    // written over the record first, or nullptr
        const char* message;
    } cases[] = {
        {&other, "C:\\One", nullptr, "holds another product (Widget)"},
        {&first, "C:\\Two", nullptr, "is installed in C:\\One already"},
        {&serviced, "C:\\Three", nullptr, "The service BwTestTaken already exists. Nothing was installed."},
        {&other, "C:\\One", "**BundlewrightRecord1**", "record cannot be read"},
    };
    for (const auto& c : cases) {
        if (c.damage) std::ofstream(dir_ / "One/Uninstall.wzr", std::ios::binary) << c.damage;
        const std::string state = machineState(dir_);
        Installer in;
        ASSERT_TRUE(in.open(write(c.package->bytes(), "pkg2.exe"), error)) << error;
        EXPECT_FALSE(in.install(c.folder, quiet, error)) << c.message;
        EXPECT_NE(std::string::npos, error.find(c.message)) << error;
        EXPECT_EQ(state, machineState(dir_)) << c.message;
    }
    // The first installation stays removable; a repair of it over a damaged
    // record starts a new one after saying so.
    Installer repair;
    ASSERT_TRUE(repair.open(write(first.bytes(), "pkg3.exe"), error)) << error;
    EXPECT_EQ("C:\\One", repair.defaultDestination());
    ASSERT_TRUE(repair.install("C:\\One", quiet, error)) << error;
    ASSERT_EQ(1u, repair.notices().size());
    EXPECT_NE(std::string::npos, repair.notices()[0].find("a new one was started"));
    EXPECT_EQ(0, uninstaller::runSilentUninstall("UnBundlewright.exe /S -fC:\\One\\Uninstall.wzu"));
    EXPECT_FALSE(fs::exists(dir_ / "One"));
}
