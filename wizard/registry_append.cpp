#include "wizard/registry_append.h"

#include <cstdio>
#include <string>

#include "platform/os/os.h"
#include "wizard/registry_lines.h"

namespace wizard {

bool appendRegistryRows(const ProjectRecord& r) {
    if (!registryHasRows(r)) return true;
    FILE* f = os::openFile(r.registry_file_path.str(), "ab");
    if (!f) return false;
    const std::string section = registryFileSection(r);
    const bool ok = std::fwrite(section.data(), 1, section.size(), f) == section.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace wizard
