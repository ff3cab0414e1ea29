// The lines of the registry and environment variables pages' texts, as the
// pages read them back: registry_text (the registry page's rows in page
// format) and env_registry_text (registry.txt's first section as the
// environment variables page wrote it). Lines end at each CR, the next one
// starting two characters later (after the LF); fields are split at each
// backquote; tags are compared without regard to case.
//
// registry.txt's first section (the environment variables page):
//   *Default_Root`HKEY_CURRENT_USER                     when the product is registered
//   *AddKey`SOFTWARE\<company>\<product>\<version>
//   *Default_Root`HKEY_LOCAL_MACHINE                    when the entries are enabled
//   *SetKeyValue`<kEnvironmentKey>`NAME`VALUE           an Add entry
//   *AppendKeyValue`<kEnvironmentKey>`NAME`VALUE        an Append entry
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace pages {

constexpr const char* kEnvironmentKey = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr const char* kAppendValueTag = "*AppendKeyValue";
constexpr const char* kProductKeyTag = "*AddKey";
constexpr const char* kProductRoot = "HKEY_CURRENT_USER";
constexpr const char* kEnvironmentRoot = "HKEY_LOCAL_MACHINE";

// The six roots in the key dialog's order.
extern const char* const kRegistryRoots[6];

// What a registry cell (100-byte slot) and an environment entry hold.
constexpr std::size_t kRegistryFieldChars = 99;
constexpr std::size_t kEnvNameChars = 24;
constexpr std::size_t kEnvValueChars = 259;

// The lines of a text; a text without CR is one line.
std::vector<std::string> pageLines(const std::string& text);
// The fields of a line; an empty field stays in its place.
std::vector<std::string> lineFields(const std::string& line);

struct RegistryRow {
    std::string root, key, subkey, value, action;   // action "Create Key" / "Set Key Value"
};

// The rows of a page-format text. A row line takes the root of the last root
// line before it; rows before any root (they could never be installed and an
// empty root would end the record's table) and lines with other tags are
// passed over; fields are cut to a cell's width and at most maxRows rows are
// kept, as the record's table holds no more.
std::vector<RegistryRow> parseRegistryRows(const std::string& text, std::size_t maxRows);

struct EnvEntry {
    int kind = 0;            // 0 Add, 1 Append, -1 deleted
    std::string name, value;
};

// The entries of env_registry_text: the "*SetKeyValue" (Add) and
// "*AppendKeyValue" (Append) lines, the product key and root lines passed
// over; names and values cut to their slots, at most maxEntries entries.
std::vector<EnvEntry> parseEnvironmentEntries(const std::string& text, std::size_t maxEntries);

// registry.txt's first section; "" when neither part applies.
std::string environmentSection(bool registerProduct, const std::string& company, const std::string& product,
                               const std::string& version, bool entriesOn, const std::vector<EnvEntry>& entries);

}  // namespace pages
