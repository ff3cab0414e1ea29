#include "cli/project_text.h"

#include <cstdio>
#include <memory>
#include <set>

#include <nlohmann/json.hpp>

#include "cli/record_fields.h"
#include "platform/os/os.h"
#include "platform/os/text.h"
#include "wizard/project_file.h"

namespace twk {

namespace {
constexpr char kFormat[] = "bundlewright-project";

struct Quiet : wizard::Messages {
    void show(const std::string&, const std::string&) override {}
};

// The line of the document where `name` is given, for messages.
int lineOf(const std::string& text, const std::string& name) {
    const size_t at = text.find("\"" + name + "\"");
    if (at == std::string::npos) return 1;
    int line = 1;
    for (size_t i = 0; i < at; ++i) line += text[i] == '\n';
    return line;
}

}  // namespace

bool isProjectText(const std::string& bytes) {
    for (char c : bytes) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
        return c == '{';
    }
    return false;
}

bool projectToText(const std::string& projectBytes, std::string& text, std::string& why) {
    auto r = std::make_unique<wizard::ProjectRecord>();
    Quiet quiet;
    if (wizard::loadProjectBytes(*r, projectBytes, quiet) != wizard::kLoaded) {
        why = "not a valid project file";
        return false;
    }
    nlohmann::ordered_json fields = nlohmann::ordered_json::object();
    bool exact = true;
    visitFields(*r, [&](const char* name, const auto& m) {
        using T = std::decay_t<decltype(m)>;
        // A text must come back as the same bytes: one the code page does not hold cannot.
        auto held = [&](std::string_view t) {
            if (exact && !os::validInCodePage(std::string(t))) {
                why = std::string("field ") + name + " holds bytes the code page (" + os::codePageName() + ") does not know";
                exact = false;
            }
        };
        if constexpr (std::is_same_v<T, wizard::HeapText>) { if (m) held(*m); }
        else if constexpr (!std::is_same_v<T, int> && !std::is_array_v<std::remove_reference_t<decltype(m)>>) held(m.view());
        if constexpr (std::is_same_v<T, int>) fields[name] = m;
        else if constexpr (std::is_same_v<T, wizard::HeapText>) fields[name] = m ? nlohmann::ordered_json(os::utf8Text(*m)) : nullptr;
        else if constexpr (std::is_array_v<std::remove_reference_t<decltype(m)>>) {
            fields[name] = nlohmann::ordered_json::array();
            for (int v : m) fields[name].push_back(v);
        } else fields[name] = os::utf8Text(std::string(m.view()));
    });
    if (!exact) return false;
    nlohmann::ordered_json doc = {{"format", kFormat}, {"version", 1}, {"fields", fields}};
    text = doc.dump(2) + "\n";
    return true;
}

bool projectFromText(const std::string& text, std::string& projectBytes, std::string& why) {
    nlohmann::json doc;
    try {
        doc = nlohmann::json::parse(text);
    } catch (const nlohmann::json::parse_error& e) {
        why = std::string("not a JSON document: ") + e.what();
        return false;
    }
    if (!doc.is_object() || doc.value("format", "") != kFormat || !doc.contains("fields") || !doc["fields"].is_object()) {
        why = std::string("not a project's text form (\"format\": \"") + kFormat + "\" and \"fields\" are needed)";
        return false;
    }
    if (doc.value("version", 0) != 1) {
        why = "version " + doc["version"].dump() + " of the text form is not known (1 is)";
        return false;
    }
    const nlohmann::json& fields = doc["fields"];
    auto r = std::make_unique<wizard::ProjectRecord>();
    std::set<std::string> known;
    bool ok = true;
    auto refuse = [&](const std::string& name, const std::string& what) {
        if (ok) why = "field " + name + " (line " + std::to_string(lineOf(text, name)) + "): " + what;
        ok = false;
    };
    auto ansi = [&](const std::string& name, const std::string& utf8, std::string& out) {
        try {
            out = os::ansiFromUtf8(utf8);
            return true;
        } catch (const std::exception&) {
            refuse(name, "a text the code page (" + os::codePageName() + ") cannot hold");
            return false;
        }
    };
    visitFields(*r, [&](const char* name, auto& m) {
        known.insert(name);
        if (!ok) return;
        if (!fields.contains(name)) return refuse(name, "missing");
        const nlohmann::json& v = fields[name];
        using T = std::decay_t<decltype(m)>;
        if constexpr (std::is_same_v<T, int>) {
            if (!v.is_number_integer()) return refuse(name, "not a whole number");
            m = v.get<int>();
        } else if constexpr (std::is_same_v<T, wizard::HeapText>) {
            if (v.is_null()) return void(m.reset());
            if (!v.is_string()) return refuse(name, "not a text or null");
            std::string s;
            if (ansi(name, v.get<std::string>(), s)) m = s;
        } else if constexpr (std::is_array_v<std::remove_reference_t<decltype(m)>>) {
            constexpr size_t n = std::extent_v<std::remove_reference_t<decltype(m)>>;
            if (!v.is_array() || v.size() != n) return refuse(name, "not an array of " + std::to_string(n) + " numbers");
            for (size_t i = 0; i < n; ++i) {
                if (!v[i].is_number_integer() || v[i].get<int>() < 0 || v[i].get<int>() > 9)
                    return refuse(name, "a flag is not a digit");
                m[i] = v[i].get<int>();
            }
        } else {
            if (!v.is_string()) return refuse(name, "not a text");
            std::string s;
            if (!ansi(name, v.get<std::string>(), s)) return;
            if (s.size() > T::capacity || s.find('\0') != std::string::npos)
                return refuse(name, std::to_string(s.size()) + " characters, more than its " +
                                        std::to_string(T::capacity) + " (or a NUL)");
            m = s;
        }
    });
    if (!ok) return false;
    for (const auto& item : fields.items())
        if (!known.count(item.key())) {
            refuse(item.key(), "not a field of the project file");
            return false;
        }
    // Loaded, never stored by a page: the writer takes every text as it stands.
    std::string content = wizard::projectFileContent(*r);
    projectBytes.clear();
    for (char c : content) {
        if (c == '\n') projectBytes += '\r';
        projectBytes += c;
    }
    return true;
}

}  // namespace twk
