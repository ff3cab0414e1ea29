// The registry and environment pages' texts read back: what the pages wrote,
// and damaged texts from project files (missing fields, unknown tags, a root
// line only, more rows than the table holds).
#include <gtest/gtest.h>

#include <string>

#include "wizard/registry_lines.h"

namespace {

using wizard::EnvEntry;
using wizard::RegistryRow;

TEST(RegistryRows, RootRunsAndActionsComeBackFromPageFormat) {
    const std::string text =
        "*Default_Root`HKEY_CURRENT_USER\r\n*Addkey`Software\\Acme``\r\n*addkey`Software\\Acme\\A`Ver`1.0\r\n"
        "*Default_Root`HKEY_USERS\r\n*SetKeyValue`S`N`V\r\n*Default_Root`HKEY_CURRENT_USER\r\n*ADDKEY`K``kept\r\n";
    const auto rows = wizard::parseRegistryRows(text, 40);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].root, "HKEY_CURRENT_USER");
    EXPECT_EQ(rows[0].action, "Create Key");
    EXPECT_EQ(rows[1].subkey, "Ver");
    EXPECT_EQ(rows[1].value, "1.0");
    EXPECT_EQ(rows[2].root, "HKEY_USERS");
    EXPECT_EQ(rows[2].action, "Set Key Value");
    EXPECT_EQ(rows[3].root, "HKEY_CURRENT_USER");
    // An empty subkey with a value keeps the value in its column.
    EXPECT_EQ(rows[3].subkey, "");
    EXPECT_EQ(rows[3].value, "kept");
}

TEST(RegistryRows, DamagedTextsGiveWhatCanBeRead) {
    struct Case {
        const char* name;
        std::string text;
        std::size_t rows;
    };
    std::string many = "*Default_Root`HKEY_USERS\r\n";
    for (int i = 0; i < 200; ++i) many += "*SetKeyValue`K" + std::to_string(i) + "`N`V\r\n";
    const Case cases[] = {
        {"a single blank", " ", 0},
        {"empty", "", 0},
        {"a root line only", "*Default_Root`HKEY_USERS\r\n", 0},
        {"rows before any root", "*Addkey`K``\r\n*Default_Root`HKEY_USERS\r\n*Addkey`L``\r\n", 1},
        {"unknown tags", "*Default_Root`HKEY_USERS\r\n*Frobnicate`K`N`V\r\nplain words\r\n*Addkey`K\r\n", 1},
        {"missing fields", "*Default_Root`HKEY_USERS\r\n*SetKeyValue\r\n*SetKeyValue`K`N", 2},
        {"CR without LF at the end", "*Default_Root`HKEY_USERS\r\n*Addkey`K\r", 1},
        {"200 rows", many, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(wizard::parseRegistryRows(c.text, 40).size(), c.rows);
    }
    const auto cut = wizard::parseRegistryRows("*Default_Root`HKEY_USERS\r\n*Addkey`" + std::string(150, 'k'), 40);
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_EQ(cut[0].key.size(), 99u);
}

TEST(EnvironmentSection, ProductKeyFirstThenTheLiveEntriesInTableOrder) {
    const std::vector<EnvEntry> entries = {{1, "PATH", "C:\\Tools"}, {-1, "GONE", "x"}, {0, "MYVAR", "1"}};
    EXPECT_EQ(wizard::environmentSection(true, "Acme", "Widget", "1.0", true, entries),
              "*Default_Root`HKEY_CURRENT_USER\r\n*AddKey`SOFTWARE\\Acme\\Widget\\1.0\r\n"
              "*Default_Root`HKEY_LOCAL_MACHINE\r\n"
              "*AppendKeyValue`SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment`PATH`C:\\Tools\r\n"
              "*SetKeyValue`SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment`MYVAR`1\r\n");
    EXPECT_EQ(wizard::environmentSection(false, "Acme", "Widget", "1.0", false, entries), "");
    EXPECT_EQ(wizard::environmentSection(false, "A", "W", "1", true, {}), "*Default_Root`HKEY_LOCAL_MACHINE\r\n");
}

TEST(EnvironmentSection, EntriesComeBackWithoutTheProductKeyAndDamageIsPassedOver) {
    const std::vector<EnvEntry> entries = {{1, "PATH", "C:\\Tools"}, {0, "MYVAR", "a b"}};
    const std::string text = wizard::environmentSection(true, "Acme", "Widget", "1.0", true, entries) +
                             "*Default_Root`HKEY_LOCAL_MACHINE\r\n*SetKeyValue`K\r\n*Bogus`K`N`V\r\n";
    const auto back = wizard::parseEnvironmentEntries(text, 100);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].kind, 1);
    EXPECT_EQ(back[0].name, "PATH");
    EXPECT_EQ(back[0].value, "C:\\Tools");
    EXPECT_EQ(back[1].kind, 0);
    EXPECT_EQ(back[1].value, "a b");

    std::string many;
    for (int i = 0; i < 150; ++i) many += "*SetKeyValue`E`V" + std::to_string(i) + "`" + std::string(300, 'v') + "\r\n";
    const auto capped = wizard::parseEnvironmentEntries(many, 100);
    ASSERT_EQ(capped.size(), 100u);
    EXPECT_EQ(capped[0].value.size(), 259u);
    EXPECT_EQ(wizard::parseEnvironmentEntries("*SetKeyValue`E`" + std::string(40, 'n') + "`v", 100)[0].name.size(), 24u);
}

}  // namespace
