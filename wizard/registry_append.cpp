// The registry append step (layout in registry_append.h).
#include "wizard/registry_append.h"

#include <cctype>
#include <cstdio>
#include <string_view>

#include "platform/os/os.h"
#include "wizard/project_file_format.h"

namespace wizard {
namespace {

using namespace wzp;

bool sameRoot(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

void line(std::string& out, std::initializer_list<std::string_view> fields) {
    bool first = true;
    for (std::string_view f : fields) {
        if (!first) out += kFieldSeparator;
        out += f;
        first = false;
    }
    out += "\r\n";
}

enum class Form { Page, File };

// Both forms walk the table the same way; they differ only in a row's lines.
std::string render(const ProjectRecord& r, Form form) {
    std::string out;
    if (r.registry_root[0].empty()) return out;
    line(out, {kDefaultRootTag, r.registry_root[0].view()});
    for (std::size_t i = 0; i < kRegistryRows && !r.registry_root[i].empty(); ++i) {
        if (i > 0 && !sameRoot(r.registry_root[i].view(), r.registry_root[i - 1].view()))
            line(out, {kDefaultRootTag, r.registry_root[i].view()});
        const std::string_view key = r.registry_key_name[i].view();
        const std::string_view subkey = r.registry_subkey_name[i].view();
        const std::string_view value = r.registry_key_value[i].view();
        if (r.registry_action[i] == kCreateKeyAction) {
            if (form == Form::Page) {
                line(out, {kAddKeyTag, key, subkey, value});
            } else {
                line(out, {kAddKeyTag, key});
                if (!subkey.empty()) line(out, {kSetValueTag, key, subkey, value});
            }
        } else if (r.registry_action[i] == kSetValueAction) {
            line(out, {kSetValueTag, key, subkey, value});
        }
    }
    return out;
}

}  // namespace

std::string registryPageText(const ProjectRecord& r) { return render(r, Form::Page); }

std::string registryFileSection(const ProjectRecord& r) { return render(r, Form::File); }

bool registryHasRows(const ProjectRecord& r) { return r.registry_root[0].size() > 5; }

bool appendRegistryRows(const ProjectRecord& r) {
    if (!registryHasRows(r)) return true;
    FILE* f = os::openFile(r.registry_file_path.str(), "ab");
    if (!f) return false;
    const std::string section = registryFileSection(r);
    const bool ok = std::fwrite(section.data(), 1, section.size(), f) == section.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace wizard
