// Writing and reading the registry lines (layout in registry_lines.h).
#include "wizard/registry_lines.h"

#include <string_view>

#include "platform/os/text.h"

namespace wizard {

const char* const kRegistryRoots[6] = {"HKEY_LOCAL_MACHINE", "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                       "HKEY_USERS",         "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"};

namespace {

constexpr char kSep = '`';

std::string cut(const std::string& s, std::size_t n) { return s.size() > n ? s.substr(0, n) : s; }

void addLine(std::string& out, std::initializer_list<std::string_view> fields) {
    bool first = true;
    for (std::string_view f : fields) {
        if (!first) out += kSep;
        out += f;
        first = false;
    }
    out += "\r\n";
}

}  // namespace

std::vector<std::string> pageLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t cr = text.find('\r', pos);
        if (cr == std::string::npos) {
            lines.push_back(text.substr(pos));
            return lines;
        }
        lines.push_back(text.substr(pos, cr - pos));
        pos = cr + 2;
        if (pos >= text.size()) return lines;
    }
}

std::vector<std::string> lineFields(const std::string& line) {
    std::vector<std::string> f;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t at = line.find(kSep, pos);
        f.push_back(line.substr(pos, at == std::string::npos ? std::string::npos : at - pos));
        if (at == std::string::npos) return f;
        pos = at + 1;
    }
}

std::vector<RegistryRow> parseRegistryRows(const std::string& text, std::size_t maxRows) {
    std::vector<RegistryRow> rows;
    std::string root;
    for (const std::string& line : pageLines(text)) {
        if (rows.size() >= maxRows) break;
        std::vector<std::string> f = lineFields(line);
        f.resize(f.size() < 4 ? 4 : f.size());
        if (os::equalsNoCase(f[0], package::kDefaultRootTag)) {
            root = cut(f[1], kRegistryFieldChars);
            continue;
        }
        RegistryRow r;
        if (os::equalsNoCase(f[0], package::kAddKeyTag)) r.action = kCreateKeyAction;
        else if (os::equalsNoCase(f[0], package::kSetValueTag)) r.action = kSetValueAction;
        else continue;
        if (root.empty()) continue;
        r.root = root;
        r.key = cut(f[1], kRegistryFieldChars);
        r.subkey = cut(f[2], kRegistryFieldChars);
        r.value = cut(f[3], kRegistryFieldChars);
        rows.push_back(r);
    }
    return rows;
}

std::vector<EnvEntry> parseEnvironmentEntries(const std::string& text, std::size_t maxEntries) {
    std::vector<EnvEntry> entries;
    for (const std::string& line : pageLines(text)) {
        if (entries.size() >= maxEntries) break;
        std::vector<std::string> f = lineFields(line);
        f.resize(f.size() < 4 ? 4 : f.size());
        EnvEntry e;
        if (os::equalsNoCase(f[0], package::kSetValueTag)) e.kind = 0;
        else if (os::equalsNoCase(f[0], package::kAppendValueTag)) e.kind = 1;
        else continue;
        // A nameless entry could be neither shown nor chosen in the list.
        if (f[2].empty()) continue;
        e.name = cut(f[2], kEnvNameChars);
        e.value = cut(f[3], kEnvValueChars);
        entries.push_back(e);
    }
    return entries;
}

std::string environmentSection(bool registerProduct, const std::string& company, const std::string& product,
                               const std::string& version, bool entriesOn, const std::vector<EnvEntry>& entries) {
    std::string out;
    if (registerProduct) {
        addLine(out, {package::kDefaultRootTag, kProductRoot});
        addLine(out, {package::kProductKeyTag, "SOFTWARE\\" + company + "\\" + product + "\\" + version});
    }
    if (entriesOn) {
        addLine(out, {package::kDefaultRootTag, kEnvironmentRoot});
        for (const EnvEntry& e : entries) {
            if (e.kind == -1) continue;
            addLine(out, {e.kind == 0 ? package::kSetValueTag : package::kAppendValueTag, kEnvironmentKey, e.name, e.value});
        }
    }
    return out;
}

namespace {

enum class Form { Page, File };

// Both forms walk the table the same way; they differ only in a row's lines.
std::string render(const ProjectRecord& r, Form form) {
    std::string out;
    const std::vector<RegistryRow> rows = tableRows(r);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i == 0 || !os::equalsNoCase(rows[i].root, rows[i - 1].root))
            addLine(out, {package::kDefaultRootTag, rows[i].root});
        const std::string_view key = rows[i].key, subkey = rows[i].subkey, value = rows[i].value;
        if (rows[i].action == kCreateKeyAction) {
            if (form == Form::Page) {
                addLine(out, {package::kAddKeyTag, key, subkey, value});
            } else {
                addLine(out, {package::kAddKeyTag, key});
                if (!subkey.empty()) addLine(out, {package::kSetValueTag, key, subkey, value});
            }
        } else if (rows[i].action == kSetValueAction) {
            addLine(out, {package::kSetValueTag, key, subkey, value});
        }
    }
    return out;
}

}  // namespace

std::vector<RegistryRow> tableRows(const ProjectRecord& r) {
    std::vector<RegistryRow> rows;
    for (std::size_t i = 0; i < kRegistryRows && !r.registry_root[i].empty(); ++i)
        rows.push_back({r.registry_root[i].str(), r.registry_key_name[i].str(), r.registry_subkey_name[i].str(),
                        r.registry_key_value[i].str(), r.registry_action[i].str()});
    return rows;
}

void setTableRows(ProjectRecord& r, const std::vector<RegistryRow>& rows) {
    for (std::size_t i = 0; i < kRegistryRows; ++i) {
        const RegistryRow row = i < rows.size() ? rows[i] : RegistryRow{};
        r.registry_root[i] = row.root;
        r.registry_key_name[i] = row.key;
        r.registry_subkey_name[i] = row.subkey;
        r.registry_key_value[i] = row.value;
        r.registry_action[i] = row.action;
    }
}

std::string registryPageText(const ProjectRecord& r) { return render(r, Form::Page); }

std::string registryFileSection(const ProjectRecord& r) { return render(r, Form::File); }

bool registryHasRows(const ProjectRecord& r) { return r.registry_root[0].size() > 5; }

}  // namespace wizard
