// The registry append step: the table in both forms, the append to
// registry.txt, and the writer's use of it for the registry rows section.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/os/os.h"
#include "tests/unit/project/project_test_folder.h"
#include "wizard/project_file.h"
#include "wizard/registry_append.h"
#include "wizard/registry_lines.h"

using namespace wizard;
namespace fs = std::filesystem;

namespace {

struct Row {
    const char* root;
    const char* key;
    const char* subkey;
    const char* value;
    const char* action;
};

std::unique_ptr<ProjectRecord> withRows(const std::vector<Row>& rows) {
    auto r = std::make_unique<ProjectRecord>();
    for (std::size_t i = 0; i < rows.size() && i < kRegistryRows; ++i) {
        r->registry_root[i] = rows[i].root;
        r->registry_key_name[i] = rows[i].key;
        r->registry_subkey_name[i] = rows[i].subkey;
        r->registry_key_value[i] = rows[i].value;
        r->registry_action[i] = rows[i].action;
    }
    return r;
}

const std::string HKLM = "*Default_Root`HKEY_LOCAL_MACHINE\r\n";
const std::string HKCU = "*Default_Root`HKEY_CURRENT_USER\r\n";
const std::string HKU = "*Default_Root`HKEY_USERS\r\n";

class RegistryAppend : public ProjectTestFolder {};

}  // namespace

TEST(RegistryForms, PageTextAndFileSection) {
    struct Case {
        const char* name;
        std::vector<Row> rows;
        std::string page;
        std::string file;
    };
    const std::vector<Case> cases = {
        {"create key without subkey",
         {{"HKEY_LOCAL_MACHINE", "Software\\Acme", "", "", "Create Key"}},
         HKLM + "*Addkey`Software\\Acme``\r\n",
         HKLM + "*Addkey`Software\\Acme\r\n"},
        {"create key with subkey sets the value too",
         {{"HKEY_LOCAL_MACHINE", "Software\\Acme", "Ver", "2", "Create Key"}},
         HKLM + "*Addkey`Software\\Acme`Ver`2\r\n",
         HKLM + "*Addkey`Software\\Acme\r\n*SetKeyValue`Software\\Acme`Ver`2\r\n"},
        {"create key keeps a value without subkey in page form only",
         {{"HKEY_LOCAL_MACHINE", "K", "", "v", "Create Key"}},
         HKLM + "*Addkey`K``v\r\n",
         HKLM + "*Addkey`K\r\n"},
        {"set key value",
         {{"HKEY_CURRENT_USER", "Software\\A", "Path", "C:\\A", "Set Key Value"}},
         HKCU + "*SetKeyValue`Software\\A`Path`C:\\A\r\n",
         HKCU + "*SetKeyValue`Software\\A`Path`C:\\A\r\n"},
        {"runs of roots, not sorted",
         {{"HKEY_CURRENT_USER", "a", "", "", "Create Key"},
          {"HKEY_CURRENT_USER", "b", "", "", "Create Key"},
          {"HKEY_USERS", "c", "", "", "Create Key"},
          {"HKEY_CURRENT_USER", "d", "", "", "Create Key"}},
         HKCU + "*Addkey`a``\r\n*Addkey`b``\r\n" + HKU + "*Addkey`c``\r\n" + HKCU + "*Addkey`d``\r\n",
         HKCU + "*Addkey`a\r\n*Addkey`b\r\n" + HKU + "*Addkey`c\r\n" + HKCU + "*Addkey`d\r\n"},
        {"roots compared without regard to case",
         {{"HKEY_USERS", "a", "", "", "Create Key"}, {"hkey_users", "b", "", "", "Create Key"}},
         HKU + "*Addkey`a``\r\n*Addkey`b``\r\n",
         HKU + "*Addkey`a\r\n*Addkey`b\r\n"},
        {"other action gives no row line but keeps its root line",
         {{"HKEY_USERS", "a", "", "", "Delete"}, {"HKEY_CURRENT_USER", "b", "s", "v", "Set Key Value"}},
         HKU + HKCU + "*SetKeyValue`b`s`v\r\n",
         HKU + HKCU + "*SetKeyValue`b`s`v\r\n"},
        {"an empty root ends the table",
         {{"HKEY_USERS", "a", "", "", "Create Key"}, {"", "x", "", "", "Create Key"},
          {"HKEY_USERS", "c", "", "", "Create Key"}},
         HKU + "*Addkey`a``\r\n",
         HKU + "*Addkey`a\r\n"},
        {"empty table", {}, "", ""},
    };
    for (const Case& c : cases) {
        auto r = withRows(c.rows);
        EXPECT_EQ(registryPageText(*r), c.page) << c.name;
        EXPECT_EQ(registryFileSection(*r), c.file) << c.name;
    }
}

TEST(RegistryForms, FullTableStopsAfterRowForty) {
    std::vector<Row> rows(kRegistryRows, Row{"HKEY_USERS", "k", "", "", "Create Key"});
    auto r = withRows(rows);
    const std::string page = registryPageText(*r);
    std::size_t lines = 0;
    for (std::size_t at = page.find("*Addkey"); at != std::string::npos; at = page.find("*Addkey", at + 1)) ++lines;
    EXPECT_EQ(lines, kRegistryRows);
}

TEST(RegistryForms, RowsOnlyWhenFirstRootIsLongerThanFive) {
    EXPECT_FALSE(registryHasRows(*withRows({})));
    EXPECT_FALSE(registryHasRows(*withRows({{"HKEY_", "k", "", "", "Create Key"}})));
    EXPECT_TRUE(registryHasRows(*withRows({{"HKEY_U", "k", "", "", "Create Key"}})));
}

TEST_F(RegistryAppend, AppendsAfterTheFirstSectionOrCreatesTheFile) {
    auto r = withRows({{"HKEY_LOCAL_MACHINE", "Software\\Acme", "Ver", "2", "Create Key"}});
    const std::string section1 = HKCU + "*AddKey`SOFTWARE\\Acme\\W\\1\r\n";
    put("registry.txt", section1);
    r->registry_file_path = win("registry.txt");
    EXPECT_TRUE(appendRegistryRows(*r));
    EXPECT_EQ(get("registry.txt"), section1 + registryFileSection(*r));

    r->registry_file_path = win("fresh.txt");
    EXPECT_TRUE(appendRegistryRows(*r));
    EXPECT_EQ(get("fresh.txt"), registryFileSection(*r));
}

TEST_F(RegistryAppend, UnopenableFileIsAFailureAndTheProjectFileKeepsItsRows) {
    auto r = withRows({{"HKEY_LOCAL_MACHINE", "Software\\Acme", "", "", "Create Key"}});
    r->registry_file_path = win("no-such-folder\\registry.txt");
    EXPECT_FALSE(appendRegistryRows(*r));
    EXPECT_FALSE(fs::exists(dir / "no-such-folder"));

    // The project file does not depend on registry.txt: its rows section is
    // the table's, and the loader finds the sections after it.
    r->product_name = "P";
    r->product_version = "1";
    r->output_file_path = "C:\\out.exe";
    ASSERT_TRUE(writeProjectFile(*r, win("p.wzp")));
    const std::string bytes = get("p.wzp");
    EXPECT_NE(bytes.find("`start8`C:\\out.exe`"), std::string::npos);
    auto back = std::make_unique<ProjectRecord>();
    back->launch_project_path = win("p.wzp");
    struct Silent : Messages {
        std::vector<std::string> texts;
        void show(const std::string& t, const std::string&) override { texts.push_back(t); }
    } m;
    ASSERT_EQ(loadProjectFile(*back, m), kLoaded);
    EXPECT_TRUE(m.texts.empty());
    EXPECT_NE(back->registry_text->find("*Addkey`Software\\Acme"), std::string::npos);
    EXPECT_EQ(back->output_file_path, "C:\\out.exe");
}

TEST_F(RegistryAppend, TheProjectFileEmbedsRegistryTxtAndTheAppendComesAfter) {
    auto r = withRows({{"HKEY_CURRENT_USER", "Software\\A", "", "", "Create Key"},
                       {"HKEY_USERS", "S", "n", "v", "Set Key Value"}});
    const std::string section1 = HKLM + "*SetKeyValue`SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment`X`1\r\n";
    put("registry.txt", section1);
    r->registry_file_path = win("registry.txt");
    r->list_file_path = win("list.txt");
    r->env_vars_enabled = 1;
    r->environment_page_done = wizard::kDone;   // the page wrote registry.txt in this run
    ASSERT_TRUE(writeProjectFile(*r, win("p.wzp")));
    EXPECT_EQ(get("registry.txt"), section1);
    ASSERT_TRUE(appendRegistryRows(*r));
    EXPECT_EQ(get("registry.txt"), section1 + HKCU + "*Addkey`Software\\A\r\n" + HKU + "*SetKeyValue`S`n`v\r\n");
    auto crcrlf = [](std::string s) {
        std::string out;
        for (char c : s) {
            if (c == '\n') out += '\r';
            out += c;
        }
        return out;
    };
    const std::string bytes = get("p.wzp");
    EXPECT_NE(bytes.find("`start6`1`" + crcrlf(section1) + "`start7`" + crcrlf(registryPageText(*r)) + "`start8`"),
              std::string::npos);
}

TEST_F(RegistryAppend, NoRowsOrNoProjectFileLeavesRegistryTxtAlone) {
    auto shortRoot = withRows({{"HKEY", "k", "", "", "Create Key"}});
    shortRoot->registry_file_path = win("registry.txt");
    ASSERT_TRUE(writeProjectFile(*shortRoot, win("p.wzp")));
    EXPECT_NE(get("p.wzp").find("`start7` `start8`"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "registry.txt"));

    // Writing the project file never appends: the Build does, once the
    // project file is in place, so a second Build never doubles the rows.
    auto rows = withRows({{"HKEY_USERS", "k", "", "", "Create Key"}});
    rows->registry_file_path = win("registry.txt");
    EXPECT_FALSE(writeProjectFile(*rows, win("missing\\p.wzp")));
    EXPECT_FALSE(fs::exists(dir / "registry.txt"));
}
