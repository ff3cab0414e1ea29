// The registry append step of the build: once the project file is written,
// the record's registry table becomes registry.txt's second section (the
// lines are in registry_lines.h).
#pragma once

#include "wizard/project_record.h"

namespace wizard {

// The step itself, once per Build: appends the second section to
// registry.txt (r.registry_file_path, created when missing) when the table
// has rows, and leaves it alone otherwise. False when it could not be opened
// or written, so the build stops instead of packing a registry file without
// its rows.
bool appendRegistryRows(const ProjectRecord& r);

}  // namespace wizard
