// Writing and loading the project file (".wzp"); bytes in project_file_format.h.
#pragma once

#include <string>

#include "wizard/project_record.h"

namespace wizard {

// Where the loader's user messages go (the project start page, twk show).
struct Messages {
    virtual ~Messages() = default;
    virtual void show(const std::string& text, const std::string& caption) = 0;
};

// The project file's content before the text-stream translation.
std::string projectFileContent(const ProjectRecord& r);

// Writes the project file to `path` through a temporary name (`path` +
// kProjectTempSuffix) that replaces the file only when complete; registry.txt is left alone (the Build appends
// the rows once the project file is in place). False when it could not be
// written.
inline constexpr char kProjectTempSuffix[] = ".tmp";
bool writeProjectFile(const ProjectRecord& r, const std::string& path);

enum LoadStatus {
    kLoaded = 0,       // also after a "p1 2 2" fault: what was read is kept
    kNotFound = -1,    // the page stays
    kInvalid = 1,      // "Not a valid project file": the caller ends with this exit code
};

// Loads the file at r.launch_project_path into the record.
LoadStatus loadProjectFile(ProjectRecord& r, Messages& messages);
// The same on bytes already read (raw, CR LF still in them).
LoadStatus loadProjectBytes(ProjectRecord& r, const std::string& fileBytes, Messages& messages);

}  // namespace wizard
