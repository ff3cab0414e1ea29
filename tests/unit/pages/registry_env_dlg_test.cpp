// The registry page, its key dialog and the environment variables page on the
// headless host: the key dialog's checks in their order, the 40-row limit,
// root runs, the record's tables and texts, registry.txt's two sections, the
// sorted name list against the file's creation order, and the refills.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pages/environment_dlg.h"
#include "pages/registry_dlg.h"
#include "platform/ui/dialog.h"
#include "resources/tarnwick/resource.h"
#include "tests/unit/pages/pages_chain.h"
#include "wizard/registry_append.h"
#include "wizard/registry_lines.h"

namespace {

using pagestest::PagesEnv;
using pagestest::startAt;
using pagestest::readFile;

const char* kCancelHere = "answer message yes\nesc\n";
const char* kBackToRoot = "on dialog IDD_PAGES_ROOT\nanswer message yes\nesc\n";
const std::string kEnvKey = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

std::string open(int dialog) { return "on dialog IDD_PAGES_ROOT; click IDC_PAGES_NEXT\non dialog " + std::to_string(dialog) + "\n"; }

// One Add through the key dialog. root "" picks none.
std::string addRow(const std::string& root, const std::string& key, const std::string& subkey,
                   const std::string& value, bool update) {
    std::string s = "click IDC_REGISTRY_ADD\non dialog IDD_REGISTRY_KEY\n";
    if (!root.empty()) s += "pick IDC_REGISTRY_KEY_ROOT " + root + "\n";
    s += "set IDC_REGISTRY_KEY_NAME \"" + key + "\"\n";
    s += "set IDC_REGISTRY_KEY_SUBKEY \"" + subkey + "\"\n";
    s += "set IDC_REGISTRY_KEY_VALUE \"" + value + "\"\n";
    if (update) s += "check IDC_REGISTRY_KEY_UPDATE\n";
    return s + "click IDOK\non dialog IDD_REGISTRY\n";
}

TEST(RegistryKeyDialog, ChecksInOrderAndKeepsItsEntries) {
    PagesEnv env;
    startAt<pages::CRegistryDlg>(env);
    std::vector<ui::RecordedMessage> messages;
    env.run(open(167) +
                "click IDC_REGISTRY_ADD\non dialog IDD_REGISTRY_KEY\n"
                "expect checked IDC_REGISTRY_KEY_ADD 1\n"
                "expect rows IDC_REGISTRY_KEY_ROOT 6\n"
                "expect row IDC_REGISTRY_KEY_ROOT 5 HKEY_DYN_DATA\n"
                "click IDOK\nexpect message You must select the root key value\n"
                // Typed, not chosen: still no root.
                "set IDC_REGISTRY_KEY_ROOT HKEY_USERS\n"
                "click IDOK\nexpect message You must select the root key value\n"
                "pick IDC_REGISTRY_KEY_ROOT HKEY_USERS\n"
                "click IDOK\nexpect message You must enter the keyname\n"
                "set IDC_REGISTRY_KEY_NAME Software\\Acme\n"
                "check IDC_REGISTRY_KEY_UPDATE\n"
                // Update with both empty names the subkey first.
                "click IDOK\nexpect message You must enter the subkey name\n"
                "set IDC_REGISTRY_KEY_SUBKEY Ver\n"
                "click IDOK\nexpect message You must enter the key value\n"
                "set IDC_REGISTRY_KEY_VALUE \"1`0\"\n"
                "click IDOK\nexpect message The Key value cannot contain the character ` (backquote), because the "
                "project file uses it to separate its fields.\n"
                "set IDC_REGISTRY_KEY_VALUE " + std::string(100, 'v') + "\n"
                "click IDOK\nexpect message The Key value cannot be longer than 99 characters.\n"
                "set IDC_REGISTRY_KEY_VALUE " + std::string(99, 'v') + "\n"
                "set IDC_REGISTRY_KEY_SUBKEY start8\n"
                "click IDOK\nexpect message The Subkey name cannot be a word the project file uses to mark its "
                "sections (start1 to start12).\n"
                "expect text IDC_REGISTRY_KEY_NAME Software\\Acme\n"
                "set IDC_REGISTRY_KEY_SUBKEY Ver\n"
                "click IDOK\n"
                "on dialog IDD_REGISTRY\nexpect rows IDC_REGISTRY_ROWS 1\n"
                // Esc hands nothing over.
                "click IDC_REGISTRY_ADD\non dialog IDD_REGISTRY_KEY\npick IDC_REGISTRY_KEY_ROOT HKEY_USERS\n"
                "set IDC_REGISTRY_KEY_NAME X\nesc\n"
                "on dialog IDD_REGISTRY\nexpect rows IDC_REGISTRY_ROWS 1\n"
                "click IDC_REGISTRY_NEXT\n" + kBackToRoot,
            &messages);
    EXPECT_EQ(env.rec.registry_root[0].str(), "HKEY_USERS");
    EXPECT_EQ(env.rec.registry_action[0].str(), "Set Key Value");
    EXPECT_EQ(env.rec.registry_key_value[0].str(), std::string(99, 'v'));
    EXPECT_TRUE(env.rec.registry_root[1].empty());
}

TEST(RegistryPage, RootRunsGiveARootLineAtEveryChangeInBothForms) {
    PagesEnv env;
    startAt<pages::CRegistryDlg>(env);
    env.run(open(167) + addRow("HKEY_CURRENT_USER", "Software\\Acme", "", "", false) +
            addRow("HKEY_CURRENT_USER", "Software\\Acme\\W", "Ver", "1.0", false) +
            addRow("HKEY_USERS", "S", "N", "V", true) +
            addRow("HKEY_CURRENT_USER", "Software\\Acme", "", "lonely", false) +
            "click IDC_REGISTRY_NEXT\n" + kBackToRoot);
    EXPECT_EQ(env.rec.registry_page_done, 3);
    const std::string page =
        "*Default_Root`HKEY_CURRENT_USER\r\n*Addkey`Software\\Acme``\r\n*Addkey`Software\\Acme\\W`Ver`1.0\r\n"
        "*Default_Root`HKEY_USERS\r\n*SetKeyValue`S`N`V\r\n"
        "*Default_Root`HKEY_CURRENT_USER\r\n*Addkey`Software\\Acme``lonely\r\n";
    // The table holds the rows: the project file's section, and section 2 for registry.txt.
    EXPECT_EQ(wizard::registryPageText(env.rec), page);
    EXPECT_TRUE(wizard::appendRegistryRows(env.rec));
    EXPECT_EQ(readFile(env.rec.registry_file_path.str()),
              "*Default_Root`HKEY_CURRENT_USER\r\n*Addkey`Software\\Acme\r\n*Addkey`Software\\Acme\\W\r\n"
              "*SetKeyValue`Software\\Acme\\W`Ver`1.0\r\n*Default_Root`HKEY_USERS\r\n*SetKeyValue`S`N`V\r\n"
              "*Default_Root`HKEY_CURRENT_USER\r\n*Addkey`Software\\Acme\r\n");
}

TEST(RegistryPage, FortyRowsRefuseAddUntilOneIsRemoved) {
    PagesEnv env;
    std::string text = "*Default_Root`HKEY_USERS\r\n";
    for (int i = 0; i < 40; ++i) text += "*Addkey`K" + std::to_string(i) + "``\r\n";
    env.rec.registry_text = text;
    env.rec.project_opened = 1;
    startAt<pages::CRegistryDlg>(env);
    env.run(open(167) + "expect rows IDC_REGISTRY_ROWS 40\n"
            "click IDC_REGISTRY_ADD\n"
            "expect message Maximum 40 entries allowed, get the latest version for more entries\n"
            "expect rows IDC_REGISTRY_ROWS 40\n"
            "click IDC_REGISTRY_REMOVE\nexpect rows IDC_REGISTRY_ROWS 40\n"   // nothing selected
            "pick IDC_REGISTRY_ROWS #7\nclick IDC_REGISTRY_REMOVE\nexpect rows IDC_REGISTRY_ROWS 39\n" +
            addRow("HKEY_LOCAL_MACHINE", "Last", "", "", false) + "expect rows IDC_REGISTRY_ROWS 40\n"
            "click IDC_REGISTRY_NEXT\n" + kBackToRoot);
    EXPECT_EQ(env.rec.registry_key_name[7].str(), "K8");
    EXPECT_EQ(env.rec.registry_key_name[39].str(), "Last");
    EXPECT_EQ(env.rec.registry_root[39].str(), "HKEY_LOCAL_MACHINE");
}

TEST(RegistryPage, RowsComeBackOnReturnAndAnEmptyListLeavesNoText) {
    PagesEnv env;
    startAt<pages::CRegistryDlg>(env);
    env.run(open(167) + addRow("HKEY_CLASSES_ROOT", ".wdg", "", "Widget.File", false) +
            "click IDC_REGISTRY_NEXT\n"
            "on dialog IDD_PAGES_ROOT; click IDC_PAGES_NEXT\non dialog IDD_REGISTRY\n"
            "expect rows IDC_REGISTRY_ROWS 1\n" +
            addRow("HKEY_CURRENT_CONFIG", "K", "", "", false) +
            "click IDC_REGISTRY_BACK\n"
            "on dialog IDD_PAGES_ROOT; click IDC_PAGES_NEXT\non dialog IDD_REGISTRY\n"
            "expect rows IDC_REGISTRY_ROWS 2\n"
            "pick IDC_REGISTRY_ROWS #0\nclick IDC_REGISTRY_REMOVE\npick IDC_REGISTRY_ROWS #0\n"
            "click IDC_REGISTRY_REMOVE\nclick IDC_REGISTRY_NEXT\n"
            "on dialog IDD_PAGES_ROOT; click IDC_PAGES_NEXT\non dialog IDD_REGISTRY\nexpect rows IDC_REGISTRY_ROWS 0\n"
            "click IDC_REGISTRY_NEXT\n" + kBackToRoot);
    EXPECT_FALSE(env.rec.registry_text);
    EXPECT_TRUE(env.rec.registry_root[0].empty());
    EXPECT_EQ(env.chain.hub.back_requested, 1);
    EXPECT_EQ(wizard::registryPageText(env.rec), "");
}

TEST(RegistryPage, AnOpenedProjectRefillsOnlyFromAUsableText) {
    struct Case {
        const char* name;
        std::string text;
        int rows;
    };
    const Case cases[] = {
        {"a single blank", " ", 0},
        {"a root line only", "*Default_Root`HKEY_USERS\r\n", 0},
        {"a value without a subkey", "*Default_Root`HKEY_USERS\r\n*Addkey`K``v\r\n", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PagesEnv env;
        env.rec.project_opened = 1;
        env.rec.registry_text = c.text;
        startAt<pages::CRegistryDlg>(env);
        std::string steps = open(167) + "expect rows IDC_REGISTRY_ROWS " + std::to_string(c.rows) + "\n";
        if (c.rows) steps += "expect row IDC_REGISTRY_ROWS 0 HKEY_USERS\n";
        env.run(steps + kCancelHere + kBackToRoot);
    }
}

// ---- the environment variables page

std::string setEntry(const std::string& name, const std::string& value, bool append) {
    return "set IDC_ENV_NAME \"" + name + "\"\nset IDC_ENV_VALUE \"" + value + "\"\ncheck " +
           (append ? "IDC_ENV_APPEND" : "IDC_ENV_ADD") + "\nclick IDC_ENV_SET\n";
}

std::string envLine(const char* tag, const std::string& name, const std::string& value) {
    return std::string(tag) + "`" + kEnvKey + "`" + name + "`" + value + "\r\n";
}

void productTexts(PagesEnv& env) {
    env.rec.company_name = "Acme";
    env.rec.product_name = "Widget";
    env.rec.product_version = "1.0";
}

TEST(EnvironmentPage, BoxClearWritesOnlyTheProductKeyOrNoFileAtAll) {
    for (int flag : {0, 1}) {
        SCOPED_TRACE(flag);
        PagesEnv env;
        productTexts(env);
        env.chain.hub.register_flag = flag;
        pagestest::writeFile(env.rec.registry_file_path.str(), "stale");
        startAt<pages::CEnvironmentDlg>(env);
        env.run(open(161) + "expect enabled IDC_ENV_NAMES 0\nexpect enabled IDC_ENV_SET 0\n"
                "expect enabled IDC_ENV_ADD 1\nclick IDC_ENV_NEXT\n" + kBackToRoot);
        EXPECT_EQ(env.rec.environment_page_done, 3);
        EXPECT_EQ(env.rec.env_vars_enabled, 0);
        if (flag == 0) {
            EXPECT_EQ(readFile(env.rec.registry_file_path.str()), "<missing>");
        } else {
            EXPECT_EQ(readFile(env.rec.registry_file_path.str()),
                      "*Default_Root`HKEY_CURRENT_USER\r\n*AddKey`SOFTWARE\\Acme\\Widget\\1.0\r\n");
        }
    }
}

TEST(EnvironmentPage, ListSortedFileInCreationOrderAndTheMessagesOfSet) {
    PagesEnv env;
    productTexts(env);
    env.chain.hub.register_flag = 1;
    startAt<pages::CEnvironmentDlg>(env);
    env.run(open(161) + "check IDC_ENV_ENABLE\n"
            "expect enabled IDC_ENV_NAMES 1\nexpect checked IDC_ENV_ADD 1\nexpect checked IDC_ENV_APPEND 0\n"
            "click IDC_ENV_SET\nexpect message Enter the Environment Variable name\n"
            "set IDC_ENV_NAME PATH\nclick IDC_ENV_SET\nexpect message Enter the value to be set\n" +
            setEntry("PATH", "C:\\Tools", true) +
            "expect text IDC_ENV_NAME \nexpect checked IDC_ENV_APPEND 0\n"
            "set IDC_ENV_NAME MYVAR\nset IDC_ENV_VALUE 1\nclick IDC_ENV_SET\n"
            "expect message Select whether the value is to be added or appended\n" +
            setEntry("MYVAR", "1", false) +
            "expect row IDC_ENV_NAMES 0 MYVAR\nexpect row IDC_ENV_NAMES 1 PATH\n"
            "pick IDC_ENV_NAMES PATH\nexpect text IDC_ENV_VALUE C:\\Tools\nexpect checked IDC_ENV_APPEND 1\n"
            "click IDC_ENV_CLEAR\nexpect text IDC_ENV_NAME \nexpect checked IDC_ENV_ADD 1\n"
            "click IDC_ENV_NEXT\n" + kBackToRoot);
    const std::string section = "*Default_Root`HKEY_CURRENT_USER\r\n*AddKey`SOFTWARE\\Acme\\Widget\\1.0\r\n"
                                "*Default_Root`HKEY_LOCAL_MACHINE\r\n" +
                                envLine("*AppendKeyValue", "PATH", "C:\\Tools") + envLine("*SetKeyValue", "MYVAR", "1");
    EXPECT_EQ(readFile(env.rec.registry_file_path.str()), section);
    ASSERT_TRUE(env.rec.env_registry_text);
    EXPECT_EQ(*env.rec.env_registry_text, section);
    EXPECT_EQ(env.rec.env_vars_enabled, 1);
}

TEST(EnvironmentPage, SetOverAnEntryUpdatesItAndDeleteThenSetAddsAtTheEnd) {
    PagesEnv env;
    std::vector<int> results;
    startAt<pages::CEnvironmentDlg>(env, &results);
    env.run(open(161) + "check IDC_ENV_ENABLE\n" + setEntry("PATH", "C:\\Tools", true) +
            setEntry("MYVAR", "1", false) + setEntry("path", "D:\\Bin", false) +
            "expect message This will update the value\n"
            "expect rows IDC_ENV_NAMES 2\nexpect row IDC_ENV_NAMES 1 PATH\n"
            "click IDC_ENV_DELETE\nexpect message Select the item first\n"
            "pick IDC_ENV_NAMES MYVAR\nclick IDC_ENV_DELETE\nexpect rows IDC_ENV_NAMES 1\n"
            "expect text IDC_ENV_NAME \n" +
            setEntry("MyVar", "2", true) + "expect rows IDC_ENV_NAMES 2\n"
            "click IDC_ENV_NEXT\n" + kBackToRoot);
    EXPECT_EQ(readFile(env.rec.registry_file_path.str()),
              "*Default_Root`HKEY_LOCAL_MACHINE\r\n" + envLine("*SetKeyValue", "path", "D:\\Bin") +
                  envLine("*AppendKeyValue", "MyVar", "2"));
}

TEST(EnvironmentPage, InputTheFilesCannotCarryIsRefusedWhenSet) {
    PagesEnv env;
    std::string steps = open(161) + "check IDC_ENV_ENABLE\n" +
                        setEntry(std::string(25, 'N'), "v", false) +
                        "expect message The Variable Name cannot be longer than 24 characters.\n" +
                        setEntry("NAME", std::string(260, 'v'), false) +
                        "expect message The Variable Value cannot be longer than 259 characters.\n" +
                        setEntry("NA`ME", "v", false) +
                        "expect message The Variable Name cannot contain the character ` (backquote), because the "
                        "project file uses it to separate its fields.\n" +
                        setEntry("START7", "v", false) +
                        "expect message The Variable Name cannot be a word the project file uses to mark its "
                        "sections (start1 to start12).\n" +
                        setEntry(std::string(24, 'N'), std::string(259, 'v'), false) + "expect rows IDC_ENV_NAMES 1\n";
    // Fill the table: 99 more, and the 101st is refused.
    for (int i = 1; i < 100; ++i) steps += setEntry("V" + std::to_string(i), "x", false);
    steps += setEntry("ONEMORE", "x", false) +
             "expect message At most 100 environment variables can be entered. Delete one or change an existing "
             "one instead.\n"
             "expect rows IDC_ENV_NAMES 100\n" +
             setEntry("V5", "changed", false) + "expect message This will update the value\n"
             "click IDC_ENV_NEXT\n" + kBackToRoot;
    startAt<pages::CEnvironmentDlg>(env);
    env.run(steps);
    const std::string file = readFile(env.rec.registry_file_path.str());
    EXPECT_NE(file.find(envLine("*SetKeyValue", std::string(24, 'N'), std::string(259, 'v'))), std::string::npos);
    EXPECT_NE(file.find(envLine("*SetKeyValue", "V5", "changed")), std::string::npos);
    EXPECT_EQ(file.find("ONEMORE"), std::string::npos);
}

TEST(EnvironmentPage, ReturningShowsTheEntriesButNotTheProductKey) {
    PagesEnv env;
    productTexts(env);
    env.chain.hub.register_flag = 1;
    startAt<pages::CEnvironmentDlg>(env);
    env.run(open(161) + "check IDC_ENV_ENABLE\n" + setEntry("PATH", "C:\\Tools", true) +
            setEntry("MYVAR", "1", false) + "click IDC_ENV_BACK\n"
            "on dialog IDD_PAGES_ROOT; click IDC_PAGES_NEXT\non dialog IDD_ENVIRONMENT\n"
            "expect checked IDC_ENV_ENABLE 1\nexpect enabled IDC_ENV_SET 1\nexpect rows IDC_ENV_NAMES 2\n"
            "pick IDC_ENV_NAMES MYVAR\nexpect text IDC_ENV_VALUE 1\nexpect checked IDC_ENV_ADD 1\n"
            "pick IDC_ENV_NAMES PATH\nexpect checked IDC_ENV_APPEND 1\nexpect checked IDC_ENV_ADD 0\n"
            // Switched off: the entries stay out of the file but the next return shows the box clear.
            "clear IDC_ENV_ENABLE\nexpect enabled IDC_ENV_NAMES 0\nclick IDC_ENV_NEXT\n"
            "on dialog IDD_PAGES_ROOT; click IDC_PAGES_NEXT\non dialog IDD_ENVIRONMENT\n"
            "expect checked IDC_ENV_ENABLE 0\nexpect rows IDC_ENV_NAMES 0\nclick IDC_ENV_NEXT\n" + kBackToRoot);
    EXPECT_EQ(readFile(env.rec.registry_file_path.str()),
              "*Default_Root`HKEY_CURRENT_USER\r\n*AddKey`SOFTWARE\\Acme\\Widget\\1.0\r\n");
    EXPECT_EQ(env.rec.env_vars_enabled, 0);
}

}  // namespace
