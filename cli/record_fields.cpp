#include "cli/record_fields.h"

#include <string>

namespace twk {

void eachField(const wizard::ProjectRecord& r, Fields& f) {
    f.put("company_name", r.company_name.view());
    f.put("product_name", r.product_name.view());
    f.put("product_version", r.product_version.view());
    f.put("email", r.email.view());
    f.put("comments", r.comments.view());
    f.put("description", r.description.view());
    f.put("copyright_notice", r.copyright_notice.view());
    f.put("source_folder", r.source_folder.view());
    f.put("default_destination", r.default_destination.view());
    f.put("include_subfolders", r.include_subfolders);
    f.put("stored_file_list", r.stored_file_list);
    f.put("prompt_enabled", r.prompt_enabled);
    f.put("prompt_text", r.prompt_text.view());
    f.put("welcome_enabled", r.welcome_enabled);
    f.put("welcome_default", r.welcome_default);
    f.put("welcome_file", r.welcome_file.view());
    f.put("license_enabled", r.license_enabled);
    f.put("license_file", r.license_file.view());
    f.put("password_enabled", r.password_enabled);
    f.put("password", r.password.view());
    f.put("readme_enabled", r.readme_enabled);
    f.put("readme_file", r.readme_file.view());
    f.put("register_product", r.register_product);
    f.put("shortcuts_enabled", r.shortcuts_enabled);
    f.put("uninstall_shortcut", r.uninstall_shortcut);
    f.put("shortcuts_text", r.shortcuts_text);
    f.put("env_vars_enabled", r.env_vars_enabled);
    f.put("env_registry_text", r.env_registry_text);
    f.put("registry_text", r.registry_text);
    f.put("output_file_path", r.output_file_path.view());
    f.put("project_file_path", r.project_file_path.view());
    f.put("post_install_choice", r.post_install_choice);
    f.put("pre_uninstall_choice", r.pre_uninstall_choice);
    f.put("pre_install_choice", r.pre_install_choice);
    f.put("post_install_cmdline", r.post_install_cmdline.view());
    f.put("pre_uninstall_cmdline", r.pre_uninstall_cmdline.view());
    f.put("pre_install_cmdline", r.pre_install_cmdline.view());
    f.put("finish_action", r.finish_action);
    f.put("services_text", r.services_text);
    for (std::size_t i = 0; i < wizard::kPanelCount; ++i) {
        const std::string name = "panel_flags[" + std::to_string(i) + "]";
        f.put(name.c_str(), r.panel_flags[i]);
    }
    f.put("language_index", r.language_index);
}

}  // namespace twk
