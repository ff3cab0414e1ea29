// A project record's fields by their names, in the project file's order:
// twk show prints them (as lines or JSON), twk diff compares two records by
// them, twk export writes them and twk import reads them back.
#pragma once

#include <string>
#include <string_view>
#include <type_traits>

#include "wizard/project_record.h"

namespace twk {

// Calls f(name, member) for every field of the file, `r` const or not; the
// panel flags come as one array, "panel_flags".
template <class Record, class F>
void visitFields(Record& r, F&& f) {
    f("company_name", r.company_name);
    f("product_name", r.product_name);
    f("product_version", r.product_version);
    f("email", r.email);
    f("comments", r.comments);
    f("description", r.description);
    f("copyright_notice", r.copyright_notice);
    f("source_folder", r.source_folder);
    f("default_destination", r.default_destination);
    f("include_subfolders", r.include_subfolders);
    f("stored_file_list", r.stored_file_list);
    f("prompt_enabled", r.prompt_enabled);
    f("prompt_text", r.prompt_text);
    f("welcome_enabled", r.welcome_enabled);
    f("welcome_default", r.welcome_default);
    f("welcome_file", r.welcome_file);
    f("license_enabled", r.license_enabled);
    f("license_file", r.license_file);
    f("password_enabled", r.password_enabled);
    f("password", r.password);
    f("readme_enabled", r.readme_enabled);
    f("readme_file", r.readme_file);
    f("register_product", r.register_product);
    f("shortcuts_enabled", r.shortcuts_enabled);
    f("uninstall_shortcut", r.uninstall_shortcut);
    f("shortcuts_text", r.shortcuts_text);
    f("env_vars_enabled", r.env_vars_enabled);
    f("env_registry_text", r.env_registry_text);
    f("registry_text", r.registry_text);
    f("output_file_path", r.output_file_path);
    f("project_file_path", r.project_file_path);
    f("post_install_choice", r.post_install_choice);
    f("pre_uninstall_choice", r.pre_uninstall_choice);
    f("pre_install_choice", r.pre_install_choice);
    f("post_install_cmdline", r.post_install_cmdline);
    f("pre_uninstall_cmdline", r.pre_uninstall_cmdline);
    f("pre_install_cmdline", r.pre_install_cmdline);
    f("finish_action", r.finish_action);
    f("services_text", r.services_text);
    f("panel_flags", r.panel_flags);
    f("language_index", r.language_index);
}

struct Fields {
    virtual ~Fields() = default;
    virtual void text(const char* name, std::string_view value) = 0;
    virtual void number(const char* name, int value) = 0;
    virtual void missing(const char* name) = 0;   // a heap text that is absent
};

// Every field of `r` to `f`, the panel flags as "panel_flags[i]".
void eachField(const wizard::ProjectRecord& r, Fields& f);

}  // namespace twk
