// The project file loader on any bytes: it never fails unsafely, and what it
// loads writes and reloads to the same record (the second write is the first,
// byte for byte), so opening and saving a project never drifts or grows it.
#include <cstdio>
#include <memory>

#include "cli/project_text.h"
#include "wizard/registry_lines.h"
#include "pages/service_table.h"
#include "pages/shortcut_tree.h"
#include "platform/os/os.h"
#include "tests/fuzz/common/fuzz.h"
#include "tests/fuzz/common/temp_folder.h"
#include "wizard/project_file.h"
#include "wizard/project_file_format.h"
#include "wizard/project_file_texts.h"
#include "wizard/registry_lines.h"

namespace {

struct Recorded : wizard::Messages {
    std::vector<std::string> shown;
    void show(const std::string& text, const std::string&) override { shown.push_back(text); }
};

const std::string& folder() {
    static const std::string f = os::windowsPath(bwfuzz::tempFolder().host());
    return f;
}

void writeFile(const std::string& path, const std::string& bytes) {
    FILE* f = os::openFile(path, "wb");
    BW_FUZZ_CHECK(f != nullptr);
    BW_FUZZ_CHECK(std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size());
    BW_FUZZ_CHECK(std::fclose(f) == 0);
}

std::string readFile(const std::string& path) {
    FILE* f = os::openFile(path, "rb");
    BW_FUZZ_CHECK(f != nullptr);
    std::string all;
    char buf[8192];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) all.append(buf, n);
    std::fclose(f);
    return all;
}

// A fresh record whose working files live in the fuzz folder.
void prepare(wizard::ProjectRecord& r) {
    r.list_file_path = folder() + "\\list.txt";
    r.registry_file_path = folder() + "\\registry.txt";
    os::deleteFile(r.list_file_path.str());
    os::deleteFile(r.registry_file_path.str());
}

// Saves `r` as the pages would: the file list and the environment page's
// text back in their working files, then the project file itself.
std::string save(const wizard::ProjectRecord& r) {
    if (r.stored_file_list) writeFile(r.list_file_path.str(), *r.stored_file_list);
    if (r.env_registry_text) writeFile(r.registry_file_path.str(), *r.env_registry_text);
    const std::string path = folder() + "\\project.wzp";
    BW_FUZZ_CHECK(wizard::writeProjectFile(r, path));
    return readFile(path);
}

// The registry and environment pages refill themselves from the loaded
// texts: whatever the text, they get at most a table's worth of rows and
// entries, each within its slots, and the registry rows, stored in the
// record's tables and written in page format again, read back unchanged.
void restorePages(const wizard::ProjectRecord& r) {
    if (r.registry_text) {
        const auto rows = wizard::parseRegistryRows(*r.registry_text, wizard::kRegistryRows);
        BW_FUZZ_CHECK(rows.size() <= wizard::kRegistryRows);
        auto table = std::make_unique<wizard::ProjectRecord>();
        for (size_t i = 0; i < rows.size(); ++i) {
            const wizard::RegistryRow& row = rows[i];
            BW_FUZZ_CHECK(!row.root.empty());
            for (const std::string* f : {&row.root, &row.key, &row.subkey, &row.value})
                BW_FUZZ_CHECK(f->size() <= wizard::kRegistryFieldChars);
            BW_FUZZ_CHECK(row.action == wizard::kCreateKeyAction || row.action == wizard::kSetValueAction);
            table->registry_root[i] = row.root;
            table->registry_key_name[i] = row.key;
            table->registry_subkey_name[i] = row.subkey;
            table->registry_key_value[i] = row.value;
            table->registry_action[i] = row.action;
        }
        size_t stored = 0;
        while (stored < wizard::kRegistryRows && !table->registry_root[stored].empty()) ++stored;
        const auto again = wizard::parseRegistryRows(wizard::registryPageText(*table), wizard::kRegistryRows);
        BW_FUZZ_CHECK(again.size() == stored);
        for (size_t i = 0; i < again.size(); ++i) {
            BW_FUZZ_CHECK(table->registry_root[i] == again[i].root);
            BW_FUZZ_CHECK(table->registry_key_name[i] == again[i].key);
            BW_FUZZ_CHECK(table->registry_subkey_name[i] == again[i].subkey);
            BW_FUZZ_CHECK(table->registry_key_value[i] == again[i].value);
            BW_FUZZ_CHECK(table->registry_action[i] == again[i].action);
        }
    }
    if (r.env_registry_text) {
        const auto entries = wizard::parseEnvironmentEntries(*r.env_registry_text, wizard::kEnvironmentEntries);
        BW_FUZZ_CHECK(entries.size() <= wizard::kEnvironmentEntries);
        for (const wizard::EnvEntry& e : entries) {
            BW_FUZZ_CHECK(!e.name.empty() && e.name.size() <= wizard::kEnvNameChars);
            BW_FUZZ_CHECK(e.value.size() <= wizard::kEnvValueChars);
            BW_FUZZ_CHECK(e.kind == 0 || e.kind == 1);
        }
    }
}

std::string blanked(const std::string& s) { return s.empty() ? std::string(wizard::wzp::kBlank) : s; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 256 * 1024) return 0;
    auto r1 = std::make_unique<wizard::ProjectRecord>();
    prepare(*r1);
    Recorded m1;
    wizard::LoadStatus s1 = wizard::loadProjectBytes(*r1, bwfuzz::bytes(data, size), m1);
    BW_FUZZ_CHECK(s1 == wizard::kLoaded || s1 == wizard::kInvalid);
    if (s1 == wizard::kInvalid) {
        BW_FUZZ_CHECK(m1.shown.size() == 1 && m1.shown[0] == wizard::wzp::kInvalidMessage);
        return 0;
    }
    restorePages(*r1);
    // The shortcuts and services pages rebuild their tables from the loaded
    // texts: never past a table, and what they rebuilt writes back unchanged.
    if (r1->shortcuts_text) {
        pages::ShortcutTree tree;
        tree.restore(*r1->shortcuts_text);
        BW_FUZZ_CHECK(tree.count() <= static_cast<int>(pages::kShortcutTableSize));
        pages::ShortcutTree again;
        again.restore(tree.linesText());
        BW_FUZZ_CHECK(again.linesText() == tree.linesText());
    }
    if (r1->services_text) {
        pages::ServiceTable services;
        services.restore(*r1->services_text);
        BW_FUZZ_CHECK(services.count() <= static_cast<int>(pages::kServiceTableSize));
        pages::ServiceTable again;
        again.restore(services.text());
        BW_FUZZ_CHECK(again.text() == services.text());
    }
    // A source folder holding '*' is no Windows path (the folder page never
    // takes one); only it can run into the separator that follows it.
    if (r1->source_folder.view().find('*') != std::string_view::npos) return 0;
    // A plain field that is a marker word ("start9") ends its section when
    // read again; the pages refuse such a text when it is typed.
    const std::string_view plain[] = {
        r1->company_name.view(), r1->product_name.view(), r1->product_version.view(), r1->email.view(),
        r1->comments.view(), r1->description.view(), r1->copyright_notice.view(), r1->source_folder.view(),
        r1->default_destination.view(), r1->prompt_text.view(), r1->welcome_file.view(),
        r1->license_file.view(), r1->password.view(), r1->readme_file.view(), r1->output_file_path.view(),
        r1->project_file_path.view(), r1->post_install_file.view(), r1->pre_uninstall_file.view(),
        r1->pre_install_file.view(), r1->post_install_cmdline.view(), r1->pre_uninstall_cmdline.view(),
        r1->pre_install_cmdline.view()};
    for (std::string_view t : plain)
        if (wizard::plainFieldFault(t, 1u << 20) == wizard::TextFault::MarkerWord) return 0;
    const std::string b2 = save(*r1);

    auto r2 = std::make_unique<wizard::ProjectRecord>();
    prepare(*r2);
    Recorded m2;
    BW_FUZZ_CHECK(wizard::loadProjectBytes(*r2, b2, m2) == wizard::kLoaded);
    BW_FUZZ_CHECK(m2.shown.empty());   // a file we wrote loads without a fault
    // Its text form gives back its bytes (refused only for bytes the code page does not know).
    std::string text, back, why;
    if (twk::projectToText(b2, text, why)) {
        BW_FUZZ_CHECK(twk::projectFromText(text, back, why));
        BW_FUZZ_CHECK(back == b2);
    } else {
        BW_FUZZ_CHECK(!os::validInCodePage(b2));
    }
    // The texts every project carries come back as they were loaded.
    BW_FUZZ_CHECK(blanked(r2->company_name.str()) == blanked(r1->company_name.str()));
    BW_FUZZ_CHECK(blanked(r2->product_name.str()) == blanked(r1->product_name.str()));
    BW_FUZZ_CHECK(blanked(r2->product_version.str()) == blanked(r1->product_version.str()));
    BW_FUZZ_CHECK(r2->source_folder == r1->source_folder.view());
    BW_FUZZ_CHECK(r2->default_destination == r1->default_destination.view());
    BW_FUZZ_CHECK(r2->include_subfolders == r1->include_subfolders);
    BW_FUZZ_CHECK(blanked(r2->output_file_path.str()) == blanked(r1->output_file_path.str()));
    BW_FUZZ_CHECK(blanked(r2->project_file_path.str()) == blanked(r1->project_file_path.str()));
    BW_FUZZ_CHECK(r2->finish_action == r1->finish_action);
    BW_FUZZ_CHECK(r2->language_index == r1->language_index);
    for (size_t k = 0; k < wizard::kPanelCount; ++k)
        BW_FUZZ_CHECK(r2->panel_flags[k] == (r1->panel_flags[k] >= 0 && r1->panel_flags[k] <= 9 ? r1->panel_flags[k] : 0));

    const std::string b3 = save(*r2);
    BW_FUZZ_CHECK(b3 == b2);
    return 0;
}

void bwfuzz::seeds(std::vector<std::string>& out) {
    auto full = std::make_unique<wizard::ProjectRecord>();
    wizard::ProjectRecord& r = *full;
    prepare(r);
    r.company_name = "Acme";
    r.product_name = "Rocket";
    r.product_version = "1.0";
    r.email = "a@acme.example";
    r.source_folder = "C:\\src";
    r.default_destination = "C:\\Program Files\\Rocket";
    r.include_subfolders = 1;
    r.stored_file_list = std::string("C:\\src\\a.txt\r\nC:\\src\\sub\\temp$\r\n");
    r.prompt_enabled = 1;
    r.prompt_text = "Install Rocket?";
    r.welcome_enabled = 1;
    r.welcome_file = "Default";
    r.password_enabled = 1;
    r.password = "secret";
    r.shortcuts_enabled = 1;
    r.shortcuts_text = std::string("create_shortcut_dir`Desktop\\Start Menu\\Programs\\Rocket\r\nRestart6 here\r\n");
    r.env_vars_enabled = 1;
    r.env_registry_text = std::string("*Default_Root`HKEY_CURRENT_USER\r\n*AppendKeyValue`Environment`PATH`;C:\\x\r\n");
    r.registry_root[0] = "HKEY_LOCAL_MACHINE";
    r.registry_action[0] = "Create Key";
    r.registry_key_name[0] = "Software\\Acme";
    r.registry_root[1] = "HKEY_LOCAL_MACHINE";
    r.registry_action[1] = "Set Key Value";
    r.registry_key_name[1] = "Software\\Acme";
    r.registry_subkey_name[1] = "Path";
    r.registry_key_value[1] = "C:\\Rocket";
    r.output_file_path = "C:\\out\\rocket.exe";
    r.project_file_path = "C:\\projects\\rocket.wzp";
    r.post_install_choice = 1;
    r.pre_uninstall_choice = -1;
    r.pre_install_choice = 0;
    r.post_install_cmdline = "-q";
    r.finish_action = 2;
    r.services_text = std::string("svc.exe~RocketSvc~Rocket service\r\n");
    int flags[7] = {1, 0, 1, 1, 0, 0, 1};
    for (int k = 0; k < 7; ++k) r.panel_flags[k] = flags[k];
    r.language_index = 2;
    out.push_back(save(r));

    auto empty = std::make_unique<wizard::ProjectRecord>();
    prepare(*empty);
    empty->product_name = "P";
    empty->product_version = "1";
    empty->source_folder = "C:\\s";
    empty->output_file_path = "C:\\o.exe";
    empty->project_file_path = "C:\\p.wzp";
    std::string minimal = save(*empty);
    out.push_back(minimal);
    // Older files end after the services text; damaged ones stop earlier.
    out.push_back(minimal.substr(0, minimal.find("`start11")));
    out.push_back(minimal.substr(0, minimal.find("start6")));
    out.push_back(minimal.substr(0, minimal.find("start3")));
    // Damaged page texts: unknown parents, missing fields, more lines than a table holds.
    std::string shortcuts, services;
    for (int i = 0; i < 300; ++i) {
        shortcuts += i % 3 ? "add_shortcut`t.exe`Nowhere\\S" + std::to_string(i) + ".lnk\r\n"
                           : "create_shortcut_dir`Lost\\F" + std::to_string(i) + "\r\n";
        services += i % 2 ? "\\svc.exe~S" + std::to_string(i) + "\r\n" : "x~\r\n";
    }
    empty->shortcuts_enabled = 1;
    empty->shortcuts_text = shortcuts;
    empty->services_text = services;
    out.push_back(save(*empty));
    out.push_back("`start1`");
    // Damaged registry and environment texts: a root line only, unknown tags,
    // missing fields, more rows than the table holds.
    std::string many = "*Default_Root`HKEY_USERS\r\n*Frob`x\r\n*SetKeyValue\r\n";
    for (int i = 0; i < 200; ++i) many += "*Addkey`K" + std::to_string(i) + "``v\r\n";
    auto damaged = std::make_unique<wizard::ProjectRecord>();
    prepare(*damaged);
    damaged->source_folder = "C:\\s";
    damaged->env_vars_enabled = 1;
    damaged->env_registry_text = std::string("*Default_Root`HKEY_LOCAL_MACHINE\r\n*AppendKeyValue`E\r\n*Bogus`a`b`c");
    damaged->registry_text = many;
    out.push_back(save(*damaged));
    damaged->registry_text = std::string("*Default_Root`HKEY_USERS\r\n");
    out.push_back(save(*damaged));
}
