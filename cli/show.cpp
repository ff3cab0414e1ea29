// twk show PROJECT.wzp: loads a project file with the wizard's own loader and
// prints what the record then holds, one `name = value` line per field in the
// file's order, then the outcome. Texts are quoted with C escapes (octal for
// bytes outside printable ASCII); heap texts are printed whole, or as null.
// --json: {"format": 1, "fields": {NAME: VALUE, ..., "panel_flags": [...]},
// "outcome": "loaded" | ...}, texts as UTF-8 of the code-page bytes.
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "platform/os/os.h"

#include "cli/command.h"
#include "cli/record_fields.h"
#include "wizard/project_file.h"
#include "wizard/project_file_format.h"

namespace twk {
namespace {

std::string quoted(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20 || c >= 0x7f) {
                    char b[8];
                    std::snprintf(b, sizeof b, "\\%03o", c);
                    out += b;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

struct Lines : Fields {
    void text(const char* name, std::string_view value) override {
        std::printf("%s = %s\n", name, quoted(std::string(value)).c_str());
    }
    void number(const char* name, int value) override { std::printf("%s = %d\n", name, value); }
    void missing(const char* name) override { std::printf("%s = null\n", name); }
};

struct Json : Fields {
    nlohmann::json fields = nlohmann::json::object();
    void text(const char* name, std::string_view value) override { fields[name] = os::utf8Text(std::string(value)); }
    void number(const char* name, int value) override {
        const std::string n = name;
        if (n.rfind("panel_flags[", 0) == 0) fields["panel_flags"].push_back(value);
        else fields[n] = value;
    }
    void missing(const char* name) override { fields[name] = nullptr; }
};

// The loader's messages, for the publisher's terminal.
struct ToStderr : wizard::Messages {
    bool faulted = false;
    void show(const std::string& text, const std::string&) override {
        if (text == wizard::wzp::kLoadFaultCode) faulted = true;
        std::fprintf(stderr, "twk show: %s\n", text.c_str());
    }
};

int show(const std::vector<std::string>& given) {
    std::vector<std::string> args = given;
    const bool asJson = takeFlag(args, "--json");
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: twk show [--json] PROJECT.wzp\n");
        return 2;
    }
    if (args[0].size() > wizard::PathText::capacity) {
        // The record's path slot would cut it and open another file.
        std::fprintf(stderr, "twk show: the project path is longer than %zu characters\n",
                     wizard::PathText::capacity);
        return 2;
    }
    auto record = std::make_unique<wizard::ProjectRecord>();
    record->launch_project_path = args[0];
    ToStderr messages;
    const wizard::LoadStatus status = wizard::loadProjectFile(*record, messages);
    Lines lines;
    Json json;
    Fields& fields = asJson ? static_cast<Fields&>(json) : lines;
    if (status != wizard::kNotFound) eachField(*record, fields);
    const char* outcome = status == wizard::kLoaded
                              ? (messages.faulted ? "loaded after fault p1 2 2 (later fields not read)" : "loaded")
                          : status == wizard::kInvalid ? "not a valid project file (fields after the fault not read)"
                                                       : "not found";
    if (asJson) {
        nlohmann::json doc = {{"format", 1}, {"fields", json.fields}, {"outcome", outcome}};
        std::printf("%s\n", doc.dump(2).c_str());
    } else {
        std::printf("outcome = %s\n", outcome);
    }
    return status == wizard::kLoaded ? 0 : status;
}

const Command command("show", "[--json] PROJECT.wzp   load a project file and print what it holds", show);

}  // namespace
}  // namespace twk
