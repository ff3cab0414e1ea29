// twk show PROJECT.wzp: loads a project file with the wizard's own loader and
// prints what the record then holds, one `name = value` line per field in the
// file's order, then the outcome. Texts are quoted with C escapes (octal for
// bytes outside printable ASCII); heap texts are printed whole, or as null.
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "cli/command.h"
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

void put(const char* name, std::string_view text) { std::printf("%s = %s\n", name, quoted(std::string(text)).c_str()); }
void put(const char* name, int value) { std::printf("%s = %d\n", name, value); }
void put(const char* name, const wizard::HeapText& text) {
    if (text) put(name, std::string_view(*text));
    else std::printf("%s = null\n", name);
}

// The loader's messages, for the publisher's terminal.
struct ToStderr : wizard::Messages {
    bool faulted = false;
    void show(const std::string& text, const std::string&) override {
        if (text == wizard::wzp::kLoadFaultCode) faulted = true;
        std::fprintf(stderr, "twk show: %s\n", text.c_str());
    }
};

void printRecord(const wizard::ProjectRecord& r) {
    put("company_name", r.company_name.view());
    put("product_name", r.product_name.view());
    put("product_version", r.product_version.view());
    put("email", r.email.view());
    put("comments", r.comments.view());
    put("description", r.description.view());
    put("copyright_notice", r.copyright_notice.view());
    put("source_folder", r.source_folder.view());
    put("default_destination", r.default_destination.view());
    put("include_subfolders", r.include_subfolders);
    put("stored_file_list", r.stored_file_list);
    put("prompt_enabled", r.prompt_enabled);
    put("prompt_text", r.prompt_text.view());
    put("welcome_enabled", r.welcome_enabled);
    put("welcome_default", r.welcome_default);
    put("welcome_file", r.welcome_file.view());
    put("license_enabled", r.license_enabled);
    put("license_file", r.license_file.view());
    put("password_enabled", r.password_enabled);
    put("password", r.password.view());
    put("readme_enabled", r.readme_enabled);
    put("readme_file", r.readme_file.view());
    put("register_product", r.register_product);
    put("shortcuts_enabled", r.shortcuts_enabled);
    put("uninstall_shortcut", r.uninstall_shortcut);
    put("shortcuts_text", r.shortcuts_text);
    put("env_vars_enabled", r.env_vars_enabled);
    put("env_registry_text", r.env_registry_text);
    put("registry_text", r.registry_text);
    put("output_file_path", r.output_file_path.view());
    put("project_file_path", r.project_file_path.view());
    put("post_install_choice", r.post_install_choice);
    put("pre_uninstall_choice", r.pre_uninstall_choice);
    put("pre_install_choice", r.pre_install_choice);
    put("post_install_cmdline", r.post_install_cmdline.view());
    put("pre_uninstall_cmdline", r.pre_uninstall_cmdline.view());
    put("pre_install_cmdline", r.pre_install_cmdline.view());
    put("finish_action", r.finish_action);
    put("services_text", r.services_text);
    for (std::size_t i = 0; i < wizard::kPanelCount; ++i) {
        const std::string name = "panel_flags[" + std::to_string(i) + "]";
        put(name.c_str(), r.panel_flags[i]);
    }
    put("language_index", r.language_index);
}

int show(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: twk show PROJECT.wzp\n");
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
    if (status != wizard::kNotFound) printRecord(*record);
    switch (status) {
        case wizard::kLoaded:
            std::printf("outcome = %s\n", messages.faulted ? "loaded after fault p1 2 2 (later fields not read)" : "loaded");
            return 0;
        case wizard::kInvalid:
            std::printf("outcome = not a valid project file (fields after the fault not read)\n");
            break;
        case wizard::kNotFound:
            std::printf("outcome = not found\n");
            break;
    }
    return status;
}

const Command command("show", "PROJECT.wzp   load a project file and print what it holds", show);

}  // namespace
}  // namespace twk
