// The registry lines, written and read in this one place: the page format
// (the registry section of the project file, kept raw in registry_text
// from the opening until the registry page stores its rows in the table),
// env_registry_text (registry.txt's first section as the environment
// variables page wrote it) and registry.txt's second section (the rows, as
// the Build appends them). Lines end with CR LF; the readers end a line at
// each CR, the next one starting two characters later (after the LF); fields
// are split at each backquote; tags are compared without regard to case.
//
// Page format, one line per entry:
//   *Default_Root`ROOT                 before row 1 and at every change of root
//   *Addkey`KEY`SUBKEY`VALUE           "Create Key"
//   *SetKeyValue`KEY`SUBKEY`VALUE      "Set Key Value"
// registry.txt's second section has the same root lines, and per row:
//   "Create Key":    *Addkey`KEY  (then *SetKeyValue`KEY`SUBKEY`VALUE when SUBKEY is not empty)
//   "Set Key Value": *SetKeyValue`KEY`SUBKEY`VALUE
// Rows run from the first slot to the first slot whose root is empty (at most
// 40); a row with any other action gives no line. Roots are compared without
// regard to case, so only runs of equal roots share a root line.
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

#include "platform/os/text.h"
#include "platform/os/package_format.h"
#include "wizard/project_record.h"

namespace wizard {

// The tags are the package's (platform/os/package_format.h); the two actions.
constexpr const char* kCreateKeyAction = "Create Key";
constexpr const char* kSetValueAction = "Set Key Value";

constexpr const char* kEnvironmentKey = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr const char* kProductRoot = "HKEY_CURRENT_USER";
constexpr const char* kEnvironmentRoot = "HKEY_LOCAL_MACHINE";

// The six roots in the key dialog's order.
extern const char* const kRegistryRoots[6];

// What a registry cell (100-byte slot) and an environment entry hold.
constexpr std::size_t kRegistryFieldChars = 99;
constexpr std::size_t kEnvNameChars = 24;
constexpr std::size_t kEnvValueChars = os::kPathSlot - 1;

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

// The rows of the record's table, up to the first empty root.
std::vector<RegistryRow> tableRows(const ProjectRecord& r);
// Fills the record's table with `rows` (at most kRegistryRows, cut to a
// cell's width); the slots after them are cleared.
void setTableRows(ProjectRecord& r, const std::vector<RegistryRow>& rows);

// The record's table in page format: the project file's registry section.
std::string registryPageText(const ProjectRecord& r);

// The record's table as registry.txt's second section.
std::string registryFileSection(const ProjectRecord& r);

// True when the build writes rows at all: the first root holds more than
// five characters (every stored row does); otherwise the project file gets
// one blank in their place.
bool registryHasRows(const ProjectRecord& r);

}  // namespace wizard
