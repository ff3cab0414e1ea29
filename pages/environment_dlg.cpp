#include "pages/environment_dlg.h"

#include "pages/registry_dlg.h"
#include "platform/os/text.h"
#include "platform/os/os.h"
#include "platform/ui/prompter.h"
#include "resources/tarnwick/resource.h"

namespace pages {

namespace {

constexpr const char* kNoName = "Enter the Environment Variable name";
constexpr const char* kNoValue = "Enter the value to be set";
constexpr const char* kNoKind = "Select whether the value is to be added or appended";
constexpr const char* kUpdates = "This will update the value";
constexpr const char* kSelectFirst = "Select the item first";
constexpr const char* kCannotWrite = "Shortcut file cant be opened";
constexpr const char* kTableFull =
    "At most 100 environment variables can be entered. Delete one or change an existing one instead.";

// The controls the check box switches; the radio buttons stay enabled.
constexpr int kEntryControls[] = {IDC_ENV_NAMES, IDC_ENV_NAME, IDC_ENV_VALUE,
                                  IDC_ENV_SET,   IDC_ENV_DELETE, IDC_ENV_CLEAR};

}  // namespace

CEnvironmentDlg::CEnvironmentDlg(wizard::Chain& chain, ui::Dialog* owner)
    : PageBase(chain, {IDD_ENVIRONMENT, "p1 9 1", "p1 9 2", "Bundlewright7.html"}, wizard::PageRole::HubPage,
               {IDC_ENV_NEXT, IDC_ENV_BACK, ui::IdCancel, IDC_ENV_HELP}, owner) {}

int CEnvironmentDlg::focusControl() const { return IDC_ENV_ENABLE; }

void CEnvironmentDlg::doDataExchange(Exchange& dx) {
    dx.check(IDC_ENV_ENABLE, enabled_);
    dx.text(IDC_ENV_NAME, name_);
    dx.text(IDC_ENV_VALUE, value_);
}

void CEnvironmentDlg::enableEntries(bool on) {
    for (int id : kEntryControls) enable(id, on);
}

void CEnvironmentDlg::initPage() {
    const wizard::ProjectRecord& r = record();
    if ((r.project_opened == 1 || r.environment_page_done == wizard::kDone) && r.env_vars_enabled == 1) {
        updateData(true);
        if (r.env_registry_text) {
            for (const wizard::EnvEntry& e : wizard::parseEnvironmentEntries(*r.env_registry_text, kMaxEntries)) {
                entries_.push_back(e);
                if (findRow(IDC_ENV_NAMES, e.name) < 0) addRow(IDC_ENV_NAMES, e.name);
            }
        }
        enabled_ = 1;
        updateData(false);
        return;
    }
    enableEntries(false);
}

void CEnvironmentDlg::toggle() {
    updateData(true);
    const bool on = enabled_ == 1;
    enableEntries(on);
    if (on) {
        setDefaultButton(IDC_ENV_SET);
        checkRadio(IDC_ENV_ADD, IDC_ENV_APPEND, IDC_ENV_ADD);
    } else {
        setDefaultButton(IDC_ENV_NEXT);
    }
    updateData(false);
}

void CEnvironmentDlg::emptyEdits() {
    name_.clear();
    value_.clear();
    setCheck(IDC_ENV_ADD, 0);
    setCheck(IDC_ENV_APPEND, 0);
}

void CEnvironmentDlg::set() {
    updateData(true);
    ui::Prompter say;
    if (name_.empty()) return say.message(kNoName);
    if (uninstallMarkerFirst(name_)) return say.message(kMsgEnvNameMarker);
    if (value_.empty()) return say.message(kNoValue);
    const bool add = checked(IDC_ENV_ADD) == 1, append = checked(IDC_ENV_APPEND) == 1;
    if (!add && !append) return say.message(kNoKind);
    // Both travel between backquotes in registry.txt and the project file,
    // in slots of 25 and 260 bytes.
    for (const auto& [text, label, chars] : {std::tuple{&name_, "Variable Name", wizard::kEnvNameChars},
                                              std::tuple{&value_, "Variable Value", wizard::kEnvValueChars}}) {
        const std::string why = lineFieldMessage(label, *text, chars);
        if (!why.empty()) return say.message(why);
    }
    const int kind = add ? 0 : 1;
    wizard::EnvEntry* found = nullptr;
    for (wizard::EnvEntry& e : entries_)
        if (e.kind != -1 && os::equalsNoCase(e.name, name_)) {
            found = &e;
            break;
        }
    if (found) {
        say.message(kUpdates);
        found->name = name_;
        found->value = value_;
        found->kind = kind;
    } else {
        if (entries_.size() >= static_cast<std::size_t>(kMaxEntries)) return say.message(kTableFull);
        addRow(IDC_ENV_NAMES, name_);
        entries_.push_back({kind, name_, value_});
    }
    emptyEdits();
    updateData(false);
}

void CEnvironmentDlg::selectionChanged() {
    updateData(true);
    emptyEdits();
    const int at = selectedRow(IDC_ENV_NAMES);
    if (at >= 0) {
        name_ = rowText(IDC_ENV_NAMES, at);
        for (const wizard::EnvEntry& e : entries_) {
            if (e.kind == -1 || !os::equalsNoCase(e.name, name_)) continue;
            value_ = e.value;
            checkRadio(IDC_ENV_ADD, IDC_ENV_APPEND, e.kind != 0 ? IDC_ENV_APPEND : IDC_ENV_ADD);
        }
    }
    updateData(false);
}

void CEnvironmentDlg::remove() {
    const int at = selectedRow(IDC_ENV_NAMES);
    if (at < 0) return ui::Prompter().message(kSelectFirst);
    const std::string name = rowText(IDC_ENV_NAMES, at);
    deleteRow(IDC_ENV_NAMES, at);
    for (wizard::EnvEntry& e : entries_)
        if (os::equalsNoCase(e.name, name)) e.kind = -1;
    updateData(true);
    emptyEdits();
    updateData(false);
}

void CEnvironmentDlg::clearEntry() {
    updateData(true);
    name_.clear();
    value_.clear();
    updateData(false);
    focus(IDC_ENV_NAME);
    checkRadio(IDC_ENV_ADD, IDC_ENV_APPEND, IDC_ENV_ADD);
}

bool CEnvironmentDlg::onCommand(int id, int code) {
    if (code == ui::BnClicked) {
        switch (id) {
        case IDC_ENV_ENABLE: wizard::guardedCode(mainCode(), [&] { toggle(); }); return true;
        case IDC_ENV_SET: wizard::guardedCode("p1 9 2 1", [&] { set(); }); return true;
        case IDC_ENV_DELETE: wizard::guardedCode(mainCode(), [&] { remove(); }); return true;
        case IDC_ENV_CLEAR: wizard::guardedCode(mainCode(), [&] { clearEntry(); }); return true;
        default: break;
        }
    }
    if (code == ui::LbnSelChange && id == IDC_ENV_NAMES) {
        wizard::guardedCode(mainCode(), [&] { selectionChanged(); });
        return true;
    }
    return PageBase::onCommand(id, code);
}

int CEnvironmentDlg::store(int interactive) {
    (void)interactive;
    updateData(true);
    wizard::ProjectRecord& r = record();
    const bool registerProduct = hub().register_flag == 1;
    const std::string path = r.registry_file_path.str();
    const std::string section =
        wizard::environmentSection(registerProduct, r.company_name.str(), r.product_name.str(), r.product_version.str(),
                           enabled_ == 1, entries_);
    if (section.empty()) {
        os::deleteFile(path);
    } else if (!os::writeWholeFile(path, section)) {
        ui::Prompter().message(kCannotWrite);
        return -1;
    }
    r.environment_page_done = wizard::kDone;
    r.env_vars_enabled = enabled_ == 1 ? 1 : 0;
    std::string written;
    if (!section.empty() && os::readWholeFile(path, written)) r.env_registry_text = written;
    hide();
    return 0;
}

}  // namespace pages
