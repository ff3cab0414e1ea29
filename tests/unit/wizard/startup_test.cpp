#include "wizard/startup.h"

#include <gtest/gtest.h>

#include "platform/os/os.h"
#include "platform/os/registry.h"
#include "tests/support/test_folder.h"

namespace {

using wizard::parseLaunchCommandLine;
using wizard::trimBrowserCommand;

TEST(LaunchCommandLine, ModesFollowTheColons) {
    struct Case {
        const char* line;
        int mode;
        const char* path;
    } cases[] = {
        {"\"C:\\Tw\\bin\\Tarnwick.exe\" D:\\Projects\\demo.wzp", 1, "D:\\Projects\\demo.wzp"},
        {"C:\\Tw\\bin\\Tarnwick.exe C:\\My Projects\\a b.wzp", 1, "C:\\My Projects\\a b.wzp"},
        {"\"C:\\Tw\\bin\\Tarnwick.exe\" \"C:\\My Projects\\a.wzp\"", 1, "C:\\My Projects\\a.wzp"},
        {"\"C:\\Tw\\bin\\Tarnwick.exe\"", 2, ""},
        {"\"C:\\Tw\\bin\\Tarnwick.exe\" demo.wzp", 2, ""},
        {"Tarnwick.exe", 0, ""},
        {"bin\\Tarnwick.exe projects\\demo.wzp", 0, ""},
    };
    for (const Case& c : cases) {
        const wizard::LaunchRequest r = parseLaunchCommandLine(c.line);
        EXPECT_EQ(r.project_opened, c.mode) << c.line;
        EXPECT_EQ(r.project_path, c.path) << c.line;
    }
}

TEST(BrowserCommand, TrimmedToTheProgram) {
    struct Case {
        const char* command;
        const char* program;
    } cases[] = {
        {"\"C:\\Program Files\\Web\\browse.exe\" -nohome \"%1\"", "C:\\Program Files\\Web\\browse.exe"},
        {"C:\\Web\\browse.exe %1", "C:\\Web\\browse.exe"},
        {"C:\\Web\\browse.EXE %1", "C:\\Web\\browse.EXE %1"},     // the search is case-sensitive
        {"\"C:\\a.exe\\b.exe\" %1", "C:\\a.exe"},                // first occurrence
        {"\"C:\\Web\\browse\" %1", "C:\\Web\\browse\" %1"},       // no .exe: only the quote goes
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(trimBrowserCommand(c.command), c.program) << c.command;
}

TEST(WorkingPaths, PlainConcatenation) {
    const wizard::WorkingPaths p = wizard::workingPaths("C:\\Tw");
    EXPECT_EQ(p.list_file, "C:\\Tw\\temp\\list.txt");
    EXPECT_EQ(p.registry_file, "C:\\Tw\\temp\\registry.txt");
    EXPECT_EQ(p.shortcuts_file, "C:\\Tw\\temp\\shortcuts.txt");
    EXPECT_EQ(p.option_file, "C:\\Tw\\temp\\option.txt");
    EXPECT_EQ(p.panel_config, "C:\\Tw\\bin\\config.mnu");
    EXPECT_EQ(p.lang_dir, "C:\\Tw\\lang\\");

    const wizard::WorkingPaths d = wizard::workingPaths("C:\\Tw\\");
    EXPECT_EQ(d.list_file, "C:\\Tw\\\\temp\\list.txt");
    EXPECT_EQ(d.panel_config, "C:\\Tw\\\\bin\\config.mnu");
    EXPECT_EQ(d.lang_dir, "C:\\Tw\\\\lang\\");
}

class PanelFlags : public ::testing::Test {
protected:
    bwtest::TestFolder dir;
    std::string config() const { return dir.file("config.mnu"); }
    std::vector<int> read() {
        int flags[wizard::kPanelFlagCount] = {9, 9, 9, 9, 9, 9, 9};
        wizard::readPanelFlags(config(), flags);
        return std::vector<int>(flags, flags + wizard::kPanelFlagCount);
    }
    const std::vector<int> defaults{1, 0, 1, 1, 0, 0, 0};
};

TEST_F(PanelFlags, FileContents) {
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<int> flags;
        std::string after;  // file afterwards
    } cases[] = {
        {"seven", "0110101", {0, 1, 1, 0, 1, 0, 1}, "0110101"},
        {"longer kept whole", "1111111\r\nextra", {1, 1, 1, 1, 1, 1, 1}, "1111111\r\nextra"},
        {"letters give 0", "1a1b1c9", {1, 0, 1, 0, 1, 0, 9}, "1a1b1c9"},
        {"four bytes replaced", "1111", defaults, "1011000"},
        {"empty replaced", "", defaults, "1011000"},
    };
    for (const Case& c : cases) {
        bwtest::TestFolder::write(config(), c.bytes);
        EXPECT_EQ(read(), c.flags) << c.name;
        EXPECT_EQ(bwtest::TestFolder::read(config()), c.after) << c.name;
    }
}

TEST_F(PanelFlags, MissingFileIsCreated) {
    EXPECT_EQ(read(), defaults);
    EXPECT_EQ(bwtest::TestFolder::read(config()), "1011000");
}

TEST_F(PanelFlags, NeitherReadableNorCreatableGivesDefaults) {
    const std::string nowhere = dir.file("absent\\bin\\config.mnu");
    int flags[wizard::kPanelFlagCount] = {9, 9, 9, 9, 9, 9, 9};
    wizard::readPanelFlags(nowhere, flags);
    EXPECT_EQ(std::vector<int>(flags, flags + 7), defaults);
    EXPECT_FALSE(os::fileExists(nowhere));
}

#ifndef _WIN32
// The registry is emulated natively; the Win32 suite must not touch the shared
// prefix's Environment key or file classes.
class InstallDir : public ::testing::Test {
protected:
    void SetUp() override {
        os::resetEmulatedRegistry();
        os::unsetEnv(wizard::kInstallDirVariable);
    }
    void TearDown() override {
        os::resetEmulatedRegistry();
        os::unsetEnv(wizard::kInstallDirVariable);
    }
    static void setRegistryValue(const std::string& value) {
        os::RegKey key = os::RegKey::create(os::RegRoot::LocalMachine, wizard::kSystemEnvironmentKey);
        ASSERT_TRUE(key.valid());
        ASSERT_TRUE(key.set(wizard::kInstallDirVariable, os::RegValue::string(value)));
    }
};

TEST_F(InstallDir, EnvironmentWinsOverRegistry) {
    setRegistryValue("C:\\FromRegistry");
    os::setEnv(wizard::kInstallDirVariable, "C:\\FromEnvironment");
    std::string dir;
    ASSERT_TRUE(wizard::findInstallDir(dir));
    EXPECT_EQ(dir, "C:\\FromEnvironment");
}

TEST_F(InstallDir, RegistryWhenEnvironmentUnset) {
    setRegistryValue("C:\\FromRegistry");
    std::string dir;
    ASSERT_TRUE(wizard::findInstallDir(dir));
    EXPECT_EQ(dir, "C:\\FromRegistry");
}

TEST_F(InstallDir, NeitherFound) {
    std::string dir;
    EXPECT_FALSE(wizard::findInstallDir(dir));
    os::RegKey::create(os::RegRoot::LocalMachine, wizard::kSystemEnvironmentKey);  // key, no value
    EXPECT_FALSE(wizard::findInstallDir(dir));
}

class BrowserRegistry : public ::testing::Test {
protected:
    void SetUp() override { os::resetEmulatedRegistry(); }
    void TearDown() override { os::resetEmulatedRegistry(); }
    static void setDefault(const std::string& key, const std::string& value) {
        os::RegKey k = os::RegKey::create(os::RegRoot::ClassesRoot, key);
        ASSERT_TRUE(k.valid());
        ASSERT_TRUE(k.set("", os::RegValue::string(value)));
    }
};

TEST_F(BrowserRegistry, OpenNewBeforeOpenAndHtmlBeforeHtm) {
    setDefault(".htm", "htmfile");
    setDefault("htmfile\\shell\\open\\command", "\"C:\\Htm\\view.exe\" %1");
    EXPECT_EQ(wizard::findBrowserCommand(), "C:\\Htm\\view.exe");

    setDefault(".html", "htmlfile");
    setDefault("htmlfile\\shell\\open\\command", "\"C:\\Web\\open.exe\" -nohome \"%1\"");
    EXPECT_EQ(wizard::findBrowserCommand(), "C:\\Web\\open.exe");

    setDefault("htmlfile\\shell\\opennew\\command", "C:\\Web\\new.exe \"%1\"");
    EXPECT_EQ(wizard::findBrowserCommand(), "C:\\Web\\new.exe");
}

TEST_F(BrowserRegistry, NothingRegisteredLeavesItEmpty) {
    EXPECT_EQ(wizard::findBrowserCommand(), "");
    setDefault(".html", "htmlfile");  // class without a command
    EXPECT_EQ(wizard::findBrowserCommand(), "");
}
#endif

}  // namespace
