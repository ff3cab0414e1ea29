// The project record: every value of one wizard run that outlives a page.
// CTarnwickDlg derives from it; pages reach it through their owner chain and
// read and write the fields directly. Widths are those of the record's slots.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "platform/os/text.h"
#include "wizard/fixed_text.h"

namespace wizard {

// A text the record owns on the heap; the record tells "null" (never
// allocated, or freed after a build) from an empty text.
using HeapText = std::optional<std::string>;

// A table of fixed capacity with a count. Deleted entries keep their slot
// (the page marks them with kind or state -1).
template <typename Entry, std::size_t Capacity>
struct FixedTable {
    static constexpr std::size_t capacity = Capacity;
    Entry entries[Capacity]{};
    int count = 0;

    bool full() const { return count >= static_cast<int>(Capacity); }
    // Appends and returns the new entry, or nullptr when the table is full.
    Entry* add() { return full() ? nullptr : &entries[count++]; }
    Entry& operator[](std::size_t i) { return entries[i]; }
    const Entry& operator[](std::size_t i) const { return entries[i]; }
};

constexpr std::size_t kPanelCount = 7;
constexpr std::size_t kRegistryRows = 40;
constexpr std::size_t kRegistryCellWidth = 100;
constexpr std::size_t kEnvironmentEntries = 100;
constexpr std::size_t kShortcutEntries = 50;
constexpr std::size_t kServiceEntries = 20;
constexpr std::size_t kServicesTextSize = 8000;
constexpr int kDone = 3;   // a done marker after the page's store routine ran

// Panel flag order.
enum PanelIndex {
    kPanelOptions = 0,
    kPanelDelivery,
    kPanelShortcuts,
    kPanelEnvironment,
    kPanelRegistry,
    kPanelServices,
    kPanelLanguage,
};

using PathText = FixedText<os::kPathSlot>;
using RegistryCell = FixedText<kRegistryCellWidth>;

struct ProjectRecord {
    // ---- start-up and launch
    int project_opened = 0;        // start-up: 1 project named, 2 otherwise; later 1 opened, 0 new
    PathText launch_project_path;
    int project_start_done = 0;
    PathText install_dir;
    PathText browser_path;
    PathText list_file_path;
    PathText registry_file_path;
    PathText shortcuts_file_path;
    PathText option_file_path;
    PathText panel_config_path;
    PathText lang_dir;
    int panel_flags[kPanelCount] = {};

    // ---- product information (explicit maxima: 50, 50, 10, 50, 250, 250, 250)
    int product_page_done = 0;
    FixedText<51> company_name;
    FixedText<51> product_name;
    FixedText<11> product_version;
    FixedText<51> email;
    FixedText<251> comments;
    FixedText<251> description;
    FixedText<251> copyright_notice;

    // ---- source and files
    int source_page_done = 0;
    PathText source_folder;
    PathText default_destination;
    int include_subfolders = 0;
    HeapText stored_file_list;

    // ---- installation options
    int options_page_done = 0;
    int prompt_enabled = 0;
    int welcome_enabled = 0;
    int license_enabled = 0;
    int password_enabled = 0;
    int readme_enabled = 0;
    int register_product = 0;
    PathText prompt_text;          // the page keeps at most 100 characters
    PathText welcome_file;         // a path or the word "Default"
    PathText license_file;
    FixedText<16> password;
    PathText readme_file;
    int welcome_default = 0;

    // ---- shortcuts, environment variables, registry
    int shortcuts_page_done = 0;
    int shortcuts_enabled = 0;
    int uninstall_shortcut = 0;
    HeapText shortcuts_text;
    int environment_page_done = 0;
    int env_vars_enabled = 0;
    HeapText env_registry_text;
    int registry_page_done = 0;
    HeapText registry_text;        // the opened project's rows, raw, until the registry page stores
    RegistryCell registry_root[kRegistryRows];      // an empty root ends the table
    RegistryCell registry_key_name[kRegistryRows];
    RegistryCell registry_key_value[kRegistryRows];
    RegistryCell registry_action[kRegistryRows];    // "Create Key" or "Set Key Value"
    RegistryCell registry_subkey_name[kRegistryRows];

    // ---- output location
    int output_page_done = 0;
    PathText output_file_path;
    PathText project_file_path;

    // ---- delivery options
    int delivery_page_done = 0;
    // The row of each program list, -1 for none. A new project has none: a 0
    // here would be saved and, on the next open, pick the list's first program.
    int post_install_choice = -1;
    int pre_uninstall_choice = -1;
    int pre_install_choice = -1;
    int finish_action = 0;         // 0 nothing, 1 log off, 2 restart
    PathText post_install_file;
    PathText pre_uninstall_file;
    PathText pre_install_file;
    PathText post_install_cmdline;
    PathText pre_uninstall_cmdline;
    PathText pre_install_cmdline;

    // ---- services and language
    HeapText services_text;        // loaded into a fresh buffer of kServicesTextSize bytes
    int services_page_done = 0;
    int language_index = 0;        // 0 English, 1 French, 2 German, 3 Spanish

    // Opening a project starts from its file: every value of the project
    // goes back to a new record's (a page's done marker, a program text the
    // file does not carry), so nothing an earlier project of this run left
    // reaches this one. The start-up and launch values stay.
    void startProject() {
        auto fresh = std::make_unique<ProjectRecord>();
        fresh->project_opened = project_opened;
        fresh->launch_project_path = launch_project_path;
        fresh->project_start_done = project_start_done;
        fresh->install_dir = install_dir;
        fresh->browser_path = browser_path;
        fresh->list_file_path = list_file_path;
        fresh->registry_file_path = registry_file_path;
        fresh->shortcuts_file_path = shortcuts_file_path;
        fresh->option_file_path = option_file_path;
        fresh->panel_config_path = panel_config_path;
        fresh->lang_dir = lang_dir;
        for (std::size_t i = 0; i < kPanelCount; ++i) fresh->panel_flags[i] = panel_flags[i];
        *this = *fresh;
    }

    // Frees the heap texts the Build handler releases after a build
    // (services_text stays).
    void freeBuildTexts() {
        stored_file_list.reset();
        shortcuts_text.reset();
        env_registry_text.reset();
        registry_text.reset();
    }
};

}  // namespace wizard
