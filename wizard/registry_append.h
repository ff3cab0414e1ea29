// The registry append step of the build: the registry table of the record
// becomes the project file's registry rows (page format) and, once the
// project file is written, the second section of registry.txt.
//
// Page format, one line per entry, CR LF each, fields split by one backquote:
//   *Default_Root`ROOT                 before row 1 and at every change of root
//   *Addkey`KEY`SUBKEY`VALUE           "Create Key"
//   *SetKeyValue`KEY`SUBKEY`VALUE      "Set Key Value"
// registry.txt's second section has the same root lines, and per row:
//   "Create Key":    *Addkey`KEY  (then *SetKeyValue`KEY`SUBKEY`VALUE when SUBKEY is not empty)
//   "Set Key Value": *SetKeyValue`KEY`SUBKEY`VALUE
// Rows run from the first slot to the first slot whose root is empty (at most
// 40); a row with any other action gives no line. Roots are compared without
// regard to case, so only runs of equal roots share a root line.
#pragma once

#include <string>

#include "wizard/project_record.h"

namespace wizard {

// The table's rows in page format (the registry page keeps this text too).
std::string registryPageText(const ProjectRecord& r);

// The table's rows as registry.txt's second section.
std::string registryFileSection(const ProjectRecord& r);

// True when the build writes rows at all: the first root holds more than
// five characters (every stored row does); otherwise the project file gets
// one blank in their place.
bool registryHasRows(const ProjectRecord& r);

// The step itself, once per Build: appends the second section to
// registry.txt (r.registry_file_path, created when missing) when the table
// has rows, and leaves it alone otherwise. False when it
// could not be opened or written, so the build stops instead of packing a
// registry file without its rows.
bool appendRegistryRows(const ProjectRecord& r);

}  // namespace wizard
