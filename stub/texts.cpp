#include "stub/texts.h"

#include "platform/os/package_format.h"

namespace stub {

std::string replaceNoCase(const std::string& s, const std::string& from, const std::string& to) {
    if (from.empty()) return s;
    std::string ls = os::lowerAscii(s), lf = os::lowerAscii(from), out;
    size_t pos = 0;
    for (size_t at; (at = ls.find(lf, pos)) != std::string::npos; pos = at + from.size())
        out += s.substr(pos, at - pos) + to;
    return out + s.substr(pos);
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t nl = text.find('\n', pos);
        std::string line = text.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        if (nl == std::string::npos) break;
        pos = nl + 1;
    }
    return lines;
}

std::vector<std::string> split(const std::string& line, char sep) {
    std::vector<std::string> fields;
    size_t pos = 0;
    for (size_t at; (at = line.find(sep, pos)) != std::string::npos; pos = at + 1)
        fields.push_back(line.substr(pos, at - pos));
    fields.push_back(line.substr(pos));
    return fields;
}

bool parseOptions(const std::string& text, Options& out) {
    static const char* const names[] = {"PROMPT", "WELCOME", "LICENSE", "PASSWORD", "README"};
    OptionSection* sections[] = {&out.prompt, &out.welcome, &out.license, &out.password, &out.readme};
    std::string lt = os::lowerAscii(text);
    size_t pos = 0;
    for (int i = 0; i < 5; ++i) {
        std::string off = os::lowerAscii(std::string("NO_") + names[i] + "_SECTION\r\n\r\n");
        std::string on = os::lowerAscii(std::string("YES_") + names[i] + "_SECTION\r\n");
        if (lt.compare(pos, off.size(), off) == 0) {
            *sections[i] = OptionSection{};
            pos += off.size();
            continue;
        }
        if (lt.compare(pos, on.size(), on) != 0) return false;
        pos += on.size();
        // The value may hold blank lines: it ends at the CR LF CR LF that the
        // next section's marker (or the end of the text) follows.
        size_t end;
        if (i == 4) {
            if (lt.size() < pos + 4 || lt.compare(lt.size() - 4, 4, "\r\n\r\n") != 0) return false;
            end = lt.size() - 4;
        } else {
            std::string next = std::string("_") + names[i + 1] + "_section\r\n";
            next = os::lowerAscii(next);
            end = std::string::npos;
            for (size_t at = lt.find("\r\n\r\n", pos); at != std::string::npos; at = lt.find("\r\n\r\n", at + 1)) {
                size_t m = at + 4;
                if ((lt.compare(m, 3, "yes") == 0 && lt.compare(m + 3, next.size(), next) == 0) ||
                    (lt.compare(m, 2, "no") == 0 && lt.compare(m + 2, next.size(), next) == 0)) {
                    end = at;
                    break;
                }
            }
            if (end == std::string::npos) return false;
        }
        sections[i]->on = true;
        sections[i]->value = text.substr(pos, end - pos);
        pos = end + 4;
    }
    return pos == text.size();
}

std::vector<RegInstruction> parseRegistry(const std::string& text) {
    std::vector<RegInstruction> out;
    std::string root;
    for (const std::string& line : splitLines(text)) {
        std::vector<std::string> f = split(line, '`');
        f.resize(f.size() < 4 ? 4 : f.size());
        if (equalsNoCase(f[0], package::kDefaultRootTag)) {
            root = f[1];
            continue;
        }
        RegInstruction r;
        if (equalsNoCase(f[0], package::kAddKeyTag)) r.op = RegOp::AddKey;
        else if (equalsNoCase(f[0], package::kSetValueTag)) r.op = RegOp::SetValue;
        else if (equalsNoCase(f[0], package::kAppendValueTag)) r.op = RegOp::AppendValue;
        else continue;
        if (root.empty() || f[1].empty()) continue;
        r.root = root;
        r.key = f[1];
        if (r.op != RegOp::AddKey) {
            r.name = f[2];
            r.data = f[3];
        }
        out.push_back(r);
    }
    return out;
}

std::vector<ShortcutLine> parseShortcuts(const std::string& text) {
    std::vector<ShortcutLine> out;
    for (const std::string& line : splitLines(text)) {
        std::vector<std::string> f = split(line, '`');
        f.resize(f.size() < 5 ? 5 : f.size());
        ShortcutLine s;
        if (equalsNoCase(f[0], "create_shortcut_dir")) {
            s.folder = true;
            s.location = f[1];
        } else if (equalsNoCase(f[0], "add_shortcut")) {
            s.target = f[1];
            s.location = f[2];
            s.description = f[3];
            s.arguments = f[4];
        } else {
            continue;
        }
        if (!s.location.empty()) out.push_back(s);
    }
    return out;
}

std::vector<ServiceLine> parseServices(const std::string& text) {
    std::vector<ServiceLine> out;
    for (const std::string& line : splitLines(text)) {
        std::vector<std::string> f = split(line, '~');
        if (f.size() < 3 || f[0].empty() || f[1].empty()) continue;
        out.push_back(ServiceLine{f[0], f[1], f[2]});
    }
    return out;
}

}  // namespace stub
