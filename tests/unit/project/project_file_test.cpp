// Project file: round trip of a full record, the written bytes, and the
// loader's edge cases.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/os/os.h"
#include "tests/unit/project/project_test_folder.h"
#include "wizard/project_file.h"

using namespace wizard;
namespace fs = std::filesystem;

namespace {

struct Recorder : Messages {
    std::vector<std::string> texts;
    void show(const std::string& text, const std::string&) override { texts.push_back(text); }
};

class ProjectFile : public ProjectTestFolder {};

const std::string SEP = "~!@#$%^&*()*&^%$#@!~";

std::unique_ptr<ProjectRecord> fullRecord() {
    auto r = std::make_unique<ProjectRecord>();
    r->company_name = "Acme";
    r->product_name = "Widget";
    r->product_version = "1.2";
    r->email = "a@b.c";
    r->comments = "some comments";
    r->description = "a description";
    r->copyright_notice = "(c) Acme";
    r->source_folder = "C:\\src";
    r->default_destination = "C:\\Program Files\\Widget";
    r->include_subfolders = 1;
    r->prompt_enabled = 1;
    r->prompt_text = "Install?";
    r->welcome_enabled = 1;
    r->welcome_file = "Default";
    r->license_enabled = 1;
    r->license_file = "C:\\lic.txt";
    r->password_enabled = 1;
    r->password = "secret";
    r->readme_enabled = 1;
    r->readme_file = "C:\\readme.txt";
    r->register_product = 1;
    r->shortcuts_enabled = 1;
    r->uninstall_shortcut = 1;
    r->shortcuts_text = "Restart6`a`b\r\nline2`x\r\n";
    r->output_file_path = "C:\\out\\setup.exe";
    r->project_file_path = "C:\\out\\p.wzp";
    r->post_install_choice = 2;
    r->pre_uninstall_choice = -1;
    r->pre_install_choice = 0;
    r->post_install_cmdline = "-a";
    r->pre_uninstall_cmdline = "-b";
    r->pre_install_cmdline = "-c";
    r->finish_action = 2;
    r->services_text = "svc1 text";
    int flags[7] = {1, 0, 1, 1, 0, 1, 0};
    for (int i = 0; i < 7; ++i) r->panel_flags[i] = flags[i];
    r->language_index = 3;
    r->registry_root[0] = "HKEY_LOCAL_MACHINE";
    r->registry_key_name[0] = "Software\\Acme";
    r->registry_subkey_name[0] = "Ver";
    r->registry_key_value[0] = "1";
    r->registry_action[0] = "Create Key";
    return r;
}

}  // namespace

TEST_F(ProjectFile, FullRecordRoundTripsFieldByField) {
    auto r = fullRecord();
    put("list.txt", "C:\\src\\a\r\nC:\\src\\b\r\nC:\\src\\c\r\n");
    put("registry.txt", "*env`x\r\n");
    r->list_file_path = win("list.txt");
    r->registry_file_path = win("registry.txt");
    r->env_vars_enabled = 1;
    r->environment_page_done = wizard::kDone;   // the page wrote registry.txt in this run
    ASSERT_TRUE(writeProjectFile(*r, win("p.wzp")));
    const std::string bytes = get("p.wzp");
    EXPECT_NE(bytes.find("start3`C:\\src\\a\r\r\nC:\\src\\b\r\r\nC:\\src\\c\r\r\n`start4`"), std::string::npos);
    EXPECT_EQ(bytes.substr(bytes.size() - 26), "`start11`1011010`start12`3");
    EXPECT_EQ(bytes.rfind("`start1`Acme`Widget`1.2`a@b.c`", 0), 0u);
    EXPECT_NE(bytes.find("start7`*Default_Root`HKEY_LOCAL_MACHINE\r\r\n*Addkey`Software\\Acme`Ver`1\r\r\n`start8`"),
              std::string::npos);
    EXPECT_NE(bytes.find("`2?-1?0`-a" + SEP + "-b" + SEP + "-c`2`start10`svc1 text`start11`"), std::string::npos);

    auto back = std::make_unique<ProjectRecord>();
    back->launch_project_path = win("p.wzp");
    Recorder m;
    ASSERT_EQ(loadProjectFile(*back, m), kLoaded);
    EXPECT_TRUE(m.texts.empty());
    EXPECT_EQ(back->company_name, "Acme");
    EXPECT_EQ(back->product_name, "Widget");
    EXPECT_EQ(back->product_version, "1.2");
    EXPECT_EQ(back->email, "a@b.c");
    EXPECT_EQ(back->comments, "some comments");
    EXPECT_EQ(back->description, "a description");
    EXPECT_EQ(back->copyright_notice, "(c) Acme");
    EXPECT_EQ(back->source_folder, "C:\\src");
    EXPECT_EQ(back->default_destination, "C:\\Program Files\\Widget");
    EXPECT_EQ(back->include_subfolders, 1);
    EXPECT_EQ(*back->stored_file_list, "C:\\src\\a\r\nC:\\src\\b\r\nC:\\src\\c\r\n");
    EXPECT_EQ(back->prompt_enabled, 1);
    EXPECT_EQ(back->prompt_text, "Install?");
    EXPECT_EQ(back->welcome_enabled, 1);
    EXPECT_EQ(back->welcome_default, 1);
    EXPECT_EQ(back->welcome_file, "Default");
    EXPECT_EQ(back->license_file, "C:\\lic.txt");
    EXPECT_EQ(back->password, "secret");
    EXPECT_EQ(back->readme_file, "C:\\readme.txt");
    EXPECT_EQ(back->register_product, 1);
    EXPECT_EQ(back->shortcuts_enabled, 1);
    EXPECT_EQ(back->uninstall_shortcut, 1);
    EXPECT_EQ(*back->shortcuts_text, *r->shortcuts_text);
    EXPECT_EQ(back->env_vars_enabled, 1);
    EXPECT_EQ(*back->env_registry_text, "*env`x\r\n");
    EXPECT_EQ(*back->registry_text, "*Default_Root`HKEY_LOCAL_MACHINE\r\n*Addkey`Software\\Acme`Ver`1\r\n");
    EXPECT_EQ(back->output_file_path, "C:\\out\\setup.exe");
    EXPECT_EQ(back->project_file_path, "C:\\out\\p.wzp");
    EXPECT_EQ(back->post_install_choice, 2);
    EXPECT_EQ(back->pre_uninstall_choice, -1);
    EXPECT_EQ(back->pre_install_choice, 0);
    EXPECT_EQ(back->post_install_cmdline, "-a");
    EXPECT_EQ(back->pre_uninstall_cmdline, "-b");
    EXPECT_EQ(back->pre_install_cmdline, "-c");
    EXPECT_EQ(back->finish_action, 2);
    EXPECT_EQ(*back->services_text, "svc1 text");
    for (int i = 0; i < 7; ++i) EXPECT_EQ(back->panel_flags[i], r->panel_flags[i]) << i;
    EXPECT_EQ(back->language_index, 3);
}

TEST_F(ProjectFile, OpenSaveRepeatedNeverGrows) {
    auto r = fullRecord();
    r->list_file_path = win("missing-list.txt");
    ASSERT_TRUE(writeProjectFile(*r, win("p.wzp")));
    const std::string first = get("p.wzp");
    for (int i = 0; i < 3; ++i) {
        Recorder m;
        ASSERT_EQ(loadProjectBytes(*r, get("p.wzp"), m), kLoaded);
        EXPECT_EQ(*r->shortcuts_text, "Restart6`a`b\r\nline2`x\r\n");
        ASSERT_TRUE(writeProjectFile(*r, win("p.wzp")));
        EXPECT_EQ(get("p.wzp"), first);
    }
}

TEST_F(ProjectFile, LoaderEdgeCases) {
    struct Case { const char* name; std::string bytes; LoadStatus want; std::vector<std::string> messages; };
    const std::string head = "`start1`A`P`1` ` ` ` `start2`";
    std::vector<Case> cases = {
        {"start2 with nothing after", "`start1`A`P`1`start2`", kInvalid, {"Not a valid project file"}},
        {"empty file", "", kInvalid, {"Not a valid project file"}},
        {"ends in section 4", head + "C:\\s`1`start3` `start4`1`x", kInvalid, {"Not a valid project file"}},
        {"raw section without closing marker", head + "C:\\s`0`start3` `start4`0` `0`0` `0` `0` `0` `0`start5`1`0`text",
         kLoaded, {"p1 2 2"}},
    };
    for (const auto& c : cases) {
        auto r = std::make_unique<ProjectRecord>();
        Recorder m;
        EXPECT_EQ(loadProjectBytes(*r, c.bytes, m), c.want) << c.name;
        EXPECT_EQ(m.texts, c.messages) << c.name;
    }
}

TEST_F(ProjectFile, NoDestinationAndOldFileDefaults) {
    auto r = std::make_unique<ProjectRecord>();
    r->product_name = "P";
    r->product_version = "1";
    r->source_folder = "C:\\s";
    r->list_file_path = win("none.txt");
    std::string content = projectFileContent(*r);
    EXPECT_EQ(content.rfind("`start1` `P`1` ` ` ` `start2`C:\\s" + SEP + "`0`start3` `", 0), 0u);
    // Cut after section 10, as files written before panel flags existed.
    content.resize(content.find("`start11`"));
    auto back = std::make_unique<ProjectRecord>();
    back->default_destination = "stale";
    Recorder m;
    ASSERT_EQ(loadProjectBytes(*back, content, m), kLoaded);
    EXPECT_TRUE(m.texts.empty());
    EXPECT_EQ(back->default_destination, "");
    EXPECT_EQ(back->company_name, " ");
    for (int f : back->panel_flags) EXPECT_EQ(f, 1);
    EXPECT_EQ(back->language_index, 0);
}

TEST_F(ProjectFile, MissingFileIsReported) {
    auto r = std::make_unique<ProjectRecord>();
    r->launch_project_path = win("nope.wzp");
    Recorder m;
    EXPECT_EQ(loadProjectFile(*r, m), kNotFound);
    EXPECT_EQ(m.texts, std::vector<std::string>{"The specified project file is not found"});

    fs::create_directories(dir / "folder.wzp");
    r->launch_project_path = win("folder.wzp");
    EXPECT_EQ(loadProjectFile(*r, m), kNotFound);
    EXPECT_EQ(m.texts.size(), 2u);
}

TEST_F(ProjectFile, WidthsBlanksAndEmbeddedFilesInTheWrittenBytes) {
    auto r = std::make_unique<ProjectRecord>();
    r->company_name = "Acme";
    r->product_name = "P";
    r->product_version = "1";
    r->comments = std::string(250, 'm');
    r->list_file_path = win("list.txt");
    r->registry_file_path = win("registry.txt");
    r->env_vars_enabled = 1;
    r->environment_page_done = wizard::kDone;   // the page wrote registry.txt in this run
    put("list.txt", "no line break at all");             // yields no whole line
    put("registry.txt", "*Default_Root`HKEY_LOCAL_MACHINE\r\n*SetKeyValue`K`N`V\r\ncut");
    ASSERT_TRUE(writeProjectFile(*r, win("p.wzp")));
    const std::string bytes = get("p.wzp");
    // Email, description and copyright empty: single blanks; comments whole.
    EXPECT_EQ(bytes.rfind("`start1`Acme`P`1` `" + std::string(250, 'm') + "` ` `start2`", 0), 0u);
    EXPECT_NE(bytes.find("`start3` `start4`"), std::string::npos);
    EXPECT_NE(bytes.find("`start6`1`*Default_Root`HKEY_LOCAL_MACHINE\r\r\n*SetKeyValue`K`N`V\r\r\n`start7`"),
              std::string::npos);

    // A field longer than its slot in the file is cut to the slot when read.
    std::string longer = bytes;
    longer.replace(longer.find(std::string(250, 'm')), 250, std::string(300, 'm'));
    auto back = std::make_unique<ProjectRecord>();
    Recorder m;
    ASSERT_EQ(loadProjectBytes(*back, longer, m), kLoaded);
    EXPECT_EQ(back->comments, std::string(250, 'm'));
    EXPECT_EQ(back->email, " ");
    EXPECT_EQ(*back->stored_file_list, " ");
    EXPECT_EQ(*back->env_registry_text, "*Default_Root`HKEY_LOCAL_MACHINE\r\n*SetKeyValue`K`N`V\r\n");
}

TEST_F(ProjectFile, BackquoteInThePlainFieldsNeverOverruns) {
    // The format has no escape: whatever the loader assigns, it stays within
    // the slots and ends in one of its outcomes.
    auto r = fullRecord();
    r->list_file_path = win("none.txt");
    const std::string cases[] = {"C:\\a`b", "`", "C:\\x``start3`", std::string(259, '`')};
    for (const std::string& folder : cases) {
        r->source_folder = folder;
        const std::string content = projectFileContent(*r);
        auto back = std::make_unique<ProjectRecord>();
        Recorder m;
        const LoadStatus s = loadProjectBytes(*back, content, m);
        EXPECT_TRUE(s == kLoaded || s == kInvalid) << folder;
        EXPECT_LE(back->source_folder.size(), 259u);
        EXPECT_LE(back->company_name.size(), 50u);
    }
}

TEST_F(ProjectFile, FailedWriteKeepsThePreviousProjectFile) {
#ifdef _WIN32
    GTEST_SKIP() << "needs a device whose writes fail (/dev/full)";
#else
    put("p.wzp", "the previous project");
    auto r = fullRecord();
    r->list_file_path = win("none.txt");
    // The temporary file opens but its bytes cannot be written out.
    fs::create_symlink("/dev/full", dir / "p.wzp.tmp");
    EXPECT_FALSE(writeProjectFile(*r, win("p.wzp")));
    EXPECT_EQ(get("p.wzp"), "the previous project");
    EXPECT_FALSE(fs::exists(dir / "p.wzp.tmp"));
#endif
}

// A project opened and saved again while its environment and registry pages
// are switched off (they never run, so registry.txt holds none of their
// lines and the registry table stays empty): the saved file keeps what it held.
TEST_F(ProjectFile, PagesThatDidNotRunKeepTheirTextsInTheSavedProject) {
    auto r = fullRecord();
    put("registry.txt", "*env`x\r\n");
    r->list_file_path = win("list.txt");
    r->registry_file_path = win("registry.txt");
    r->env_vars_enabled = 1;
    r->environment_page_done = kDone;
    ASSERT_TRUE(writeProjectFile(*r, win("first.wzp")));
    const std::string first = get("first.wzp");

    auto back = std::make_unique<ProjectRecord>();
    back->launch_project_path = win("first.wzp");
    Recorder m;
    ASSERT_EQ(loadProjectFile(*back, m), kLoaded);
    std::filesystem::remove(dir / "registry.txt");   // the next run's pages wrote none
    back->list_file_path = win("list.txt");
    back->registry_file_path = win("registry.txt");
    ASSERT_TRUE(writeProjectFile(*back, win("second.wzp")));
    const std::string second = get("second.wzp");
    for (const char* section : {"`start5`", "`start6`", "`start7`", "`start8`"}) {
        const std::size_t a = first.find(section), b = second.find(section);
        ASSERT_NE(a, std::string::npos);
        ASSERT_NE(b, std::string::npos);
        EXPECT_EQ(first.substr(a, first.find("`start", a + 1) - a), second.substr(b, second.find("`start", b + 1) - b))
            << section;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "registry.txt")) << "rows appended that no page produced";
}
