// Reading and writing the registry and environment pages' lines (layout in registry_lines.h).
#include "pages/registry_lines.h"

#include "pages/text.h"

namespace pages {

const char* const kRegistryRoots[6] = {"HKEY_LOCAL_MACHINE", "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                       "HKEY_USERS",         "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"};

namespace {

constexpr char kSep = '`';

std::string cut(const std::string& s, std::size_t n) { return s.size() > n ? s.substr(0, n) : s; }

void addLine(std::string& out, std::initializer_list<std::string> fields) {
    bool first = true;
    for (const std::string& f : fields) {
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
        if (equalsNoCase(f[0], "*Default_Root")) {
            root = cut(f[1], kRegistryFieldChars);
            continue;
        }
        RegistryRow r;
        if (equalsNoCase(f[0], "*AddKey")) r.action = "Create Key";
        else if (equalsNoCase(f[0], "*SetKeyValue")) r.action = "Set Key Value";
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
        if (equalsNoCase(f[0], "*SetKeyValue")) e.kind = 0;
        else if (equalsNoCase(f[0], kAppendValueTag)) e.kind = 1;
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
        addLine(out, {"*Default_Root", kProductRoot});
        addLine(out, {kProductKeyTag, "SOFTWARE\\" + company + "\\" + product + "\\" + version});
    }
    if (entriesOn) {
        addLine(out, {"*Default_Root", kEnvironmentRoot});
        for (const EnvEntry& e : entries) {
            if (e.kind == -1) continue;
            addLine(out, {e.kind == 0 ? "*SetKeyValue" : kAppendValueTag, kEnvironmentKey, e.name, e.value});
        }
    }
    return out;
}

}  // namespace pages
