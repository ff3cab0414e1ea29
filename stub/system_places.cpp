#include "stub/system_places.h"

#include <vector>

#include "platform/os/package_format.h"
#include "platform/os/shortcuts.h"
#include "platform/os/text.h"
#include "stub/paths.h"
#include "stub/texts.h"

namespace stub {

bool blank(const std::string& s) { return s.empty() || s == package::kBlank; }

bool rootOf(const std::string& name, os::RegRoot& root, std::string& canonical) {
    static const struct {
        const char* name;
        os::RegRoot root;
    } roots[] = {{"HKEY_LOCAL_MACHINE", os::RegRoot::LocalMachine}, {"HKEY_CLASSES_ROOT", os::RegRoot::ClassesRoot},
                 {"HKEY_CURRENT_USER", os::RegRoot::CurrentUser},   {"HKEY_USERS", os::RegRoot::Users},
                 {"HKEY_CURRENT_CONFIG", os::RegRoot::CurrentConfig}};
    for (const auto& r : roots)
        if (equalsNoCase(name, r.name)) {
            root = r.root;
            canonical = r.name;
            return true;
        }
    return false;
}

bool shellPlace(const std::string& location, std::string& base, std::string& rest) {
    std::vector<std::string> c = split(location, '\\');
    static const char* const chain[] = {"Desktop", "Start Menu", "Programs", "Startup"};
    static const os::ShellFolder folders[] = {os::ShellFolder::Desktop, os::ShellFolder::StartMenu,
                                              os::ShellFolder::Programs, os::ShellFolder::Startup};
    size_t n = 0;
    while (n < 4 && n < c.size() && equalsNoCase(c[n], chain[n])) ++n;
    if (n == 0) return false;
    base = os::shellFolder(folders[n - 1]);
    rest.clear();
    for (size_t i = n; i < c.size(); ++i) rest += (rest.empty() ? "" : "\\") + c[i];
    return !base.empty();
}
std::string linkPath(const std::string& base, const std::string& rest) {
    std::string rel, why;
    if (rest.empty() || !shortcutRelative(rest, rel, why)) return base;
    return joinPath(base, rel);
}
}  // namespace stub
