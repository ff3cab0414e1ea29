#include "pages/install_options_dlg.h"

#include "platform/ui/prompter.h"
#include "resources/tarnwick/resource.h"
#include "wizard/project_file_texts.h"

namespace pages {

namespace {

using S = CInstallOptionsDlg::Section;
// Top to bottom, as the page shows them.
const S kSections[] = {
    {IDC_INSTALL_PROMPT_CHECK, IDC_INSTALL_PROMPT_EDIT, 0, &InstallOptions::prompt_enabled,
     &InstallOptions::prompt_text},
    {IDC_INSTALL_PASSWORD_CHECK, IDC_INSTALL_PASSWORD_EDIT, 0, &InstallOptions::password_enabled,
     &InstallOptions::password},
    {IDC_INSTALL_WELCOME_CHECK, IDC_INSTALL_WELCOME_EDIT, IDC_INSTALL_WELCOME_BROWSE,
     &InstallOptions::welcome_enabled, &InstallOptions::welcome_file},
    {IDC_INSTALL_LICENSE_CHECK, IDC_INSTALL_LICENSE_EDIT, IDC_INSTALL_LICENSE_BROWSE,
     &InstallOptions::license_enabled, &InstallOptions::license_file},
    {IDC_INSTALL_README_CHECK, IDC_INSTALL_README_EDIT, IDC_INSTALL_README_BROWSE,
     &InstallOptions::readme_enabled, &InstallOptions::readme_file},
};

constexpr const char* kTextFilter = "Text files|*.txt||";
constexpr const char* kReadmeFilter = "Text files|*.txt|Web files|*.htm;*.html||";

}  // namespace

CInstallOptionsDlg::CInstallOptionsDlg(wizard::Chain& chain, ui::Dialog* owner)
    : PageBase(chain, {IDD_INSTALL_OPTIONS, "p1 6 1", "p1 6 2", "Bundlewright5.html"}, wizard::PageRole::HubPage,
               {IDC_INSTALL_OPTIONS_NEXT, IDC_INSTALL_OPTIONS_BACK, ui::IdCancel, IDC_INSTALL_OPTIONS_HELP},
               owner) {}

const CInstallOptionsDlg::Section* CInstallOptionsDlg::sectionOf(int checkId) {
    for (const Section& s : kSections)
        if (s.check == checkId) return &s;
    return nullptr;
}

void CInstallOptionsDlg::doDataExchange(Exchange& dx) {
    for (const Section& s : kSections) {
        dx.check(s.check, values_.*s.enabled);
        dx.text(s.edit, values_.*s.entry);
    }
    dx.check(IDC_INSTALL_REGISTER_CHECK, values_.register_product);
}

void CInstallOptionsDlg::fill() {
    // Refilling an edit notifies like typing; only typing may show the limit message.
    filling_ = true;
    struct Reset { bool& f; ~Reset() { f = false; } } reset{filling_};
    updateData(false);
}

void CInstallOptionsDlg::initPage() {
    for (const Section& s : kSections) {
        enable(s.edit, false);
        if (s.browse) enable(s.browse, false);
    }
    const wizard::ProjectRecord& r = record();
    if (r.project_opened == 1 || r.options_page_done == wizard::kDone) {
        values_.prompt_enabled = r.prompt_enabled;
        values_.password_enabled = r.password_enabled;
        values_.welcome_enabled = r.welcome_enabled;
        values_.license_enabled = r.license_enabled;
        values_.readme_enabled = r.readme_enabled;
        values_.register_product = r.register_product;
        if (r.prompt_enabled) values_.prompt_text = r.prompt_text.str();
        if (r.password_enabled) values_.password = r.password.str();
        if (r.welcome_enabled) values_.welcome_file = r.welcome_default == 1 ? "Default" : r.welcome_file.str();
        if (r.license_enabled) values_.license_file = r.license_file.str();
        if (r.readme_enabled) values_.readme_file = r.readme_file.str();
        for (const Section& s : kSections) {
            if (!(values_.*s.enabled)) continue;
            enable(s.edit);
            // "Default" needs no file to browse for.
            if (s.browse && !(s.check == IDC_INSTALL_WELCOME_CHECK && r.welcome_default == 1))
                enable(s.browse);
        }
        fill();
    }
}

void CInstallOptionsDlg::toggle(const Section& s) {
    updateData(true);
    const bool on = values_.*s.enabled != 0;
    enable(s.edit, on);
    if (s.browse) enable(s.browse, on);
    if (!on) (values_.*s.entry).clear();
    else if (s.check == IDC_INSTALL_WELCOME_CHECK) values_.welcome_file = "Default";
    fill();
    if (!on) return;
    if (!s.browse) {
        focus(s.edit);
    } else if (s.check == IDC_INSTALL_WELCOME_CHECK) {
        focus(IDC_INSTALL_LICENSE_CHECK);
    } else {
        setDefaultButton(s.browse);
        focus(s.browse);
    }
}

void CInstallOptionsDlg::browse(int browseId) {
    const Section* s = nullptr;
    for (const Section& each : kSections)
        if (each.browse == browseId) s = &each;
    if (!s) return;
    ui::FileDialog how;
    how.filter = browseId == IDC_INSTALL_README_BROWSE ? kReadmeFilter : kTextFilter;
    std::string path;
    if (ui::openFileDialog(how, path)) setText(s->edit, path);
    switch (browseId) {
    case IDC_INSTALL_WELCOME_BROWSE:
        focus(IDC_INSTALL_LICENSE_CHECK);
        break;
    case IDC_INSTALL_LICENSE_BROWSE:
        setDefaultButton(IDC_INSTALL_OPTIONS_NEXT);
        focus(IDC_INSTALL_README_CHECK);
        keepFocus_ = true;
        break;
    case IDC_INSTALL_README_BROWSE:
        setDefaultButton(IDC_INSTALL_OPTIONS_NEXT);
        focus(IDC_INSTALL_REGISTER_CHECK);
        keepFocus_ = true;
        break;
    }
}

void CInstallOptionsDlg::textChanged() {
    if (filling_) return;
    updateData(true);
    if (values_.prompt_text.size() == kPromptFileChars || values_.password.size() == kPasswordChars)
        ui::Prompter().message(kMsgMaximumLimit);
}

bool CInstallOptionsDlg::onCommand(int id, int code) {
    if (code == ui::BnClicked) {
        if (const Section* s = sectionOf(id)) {
            wizard::guardedCode(mainCode(), [&] { toggle(*s); });
            return true;
        }
        if (id == IDC_INSTALL_WELCOME_BROWSE || id == IDC_INSTALL_LICENSE_BROWSE ||
            id == IDC_INSTALL_README_BROWSE) {
            wizard::guardedCode(mainCode(), [&] { browse(id); });
            return true;
        }
    }
    if (code == ui::EnUpdate && (id == IDC_INSTALL_PROMPT_EDIT || id == IDC_INSTALL_PASSWORD_EDIT)) {
        wizard::guardedCode(mainCode(), [&] { textChanged(); });
        return true;
    }
    return PageBase::onCommand(id, code);
}

void CInstallOptionsDlg::onPaint() {
    if (keepFocus_) {
        keepFocus_ = false;
        return;
    }
    focus(IDC_INSTALL_PROMPT_CHECK);
}

int CInstallOptionsDlg::store(int interactive) {
    (void)interactive;   // the commit always shows its messages
    updateData(true);
    wizard::ProjectRecord& r = record();
    // Each is a field of its own in the project file: a backquote or a marker
    // word would shift the fields after it on the next open.
    const std::pair<const std::string*, const char*> fields[] = {
        {&values_.prompt_text, "Prompt"},       {&values_.password, "Password"},
        {&values_.welcome_file, "Welcome file"}, {&values_.license_file, "License file"},
        {&values_.readme_file, "Readme file"}};
    for (const auto& [text, label] : fields) {
        const wizard::TextFault fault = wizard::plainFieldFault(*text);
        if (fault != wizard::TextFault::None && fault != wizard::TextFault::TooLong) {
            ui::Prompter().message(wizard::plainFieldMessage(label, fault));
            return -1;
        }
    }
    auto copy = [](const std::string& path, std::string& text) {
        bool ok = false;
        wizard::guardedCode("p1 6 2 1", [&] { ok = readOptionText(path, text); });
        return ok;
    };
    OptionCommit commit = commitOptionFile(r.option_file_path.str(), values_, chain().source_text, copy);
    if (!commit.ok) {
        ui::Prompter().message(commit.message);
        return -1;
    }
    r.options_page_done = wizard::kDone;
    hub().register_flag = values_.register_product;
    r.prompt_enabled = values_.prompt_enabled;
    r.welcome_enabled = values_.welcome_enabled;
    r.license_enabled = values_.license_enabled;
    r.password_enabled = values_.password_enabled;
    r.readme_enabled = values_.readme_enabled;
    r.register_product = values_.register_product;
    r.welcome_default = isDefaultWelcome(values_.welcome_file) ? 1 : 0;
    if (values_.prompt_text.size() > kPromptRecordChars) {
        values_.prompt_text.resize(kPromptRecordChars);
        fill();
    }
    r.prompt_text = values_.prompt_text;
    r.welcome_file = values_.welcome_file;
    r.license_file = values_.license_file;
    r.password = values_.password;
    r.readme_file = values_.readme_file;
    hide();
    return 0;
}


}  // namespace pages
