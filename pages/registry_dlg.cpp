#include "pages/registry_dlg.h"

#include "platform/os/uninstall_script_format.h"
#include "platform/ui/prompter.h"
#include "resources/tarnwick/resource.h"
#include "wizard/project_file_format.h"
#include "wizard/project_file_texts.h"
#include "wizard/registry_lines.h"

namespace pages {

namespace {

enum Column { kRootColumn, kKeyColumn, kSubkeyColumn, kValueColumn, kActionColumn };

constexpr const char* kNoRoot = "You must select the root key value";
constexpr const char* kNoKeyName = "You must enter the keyname";
constexpr const char* kNoSubkey = "You must enter the subkey name";
constexpr const char* kNoValue = "You must enter the key value";
constexpr const char* kTooManyRows = "Maximum 40 entries allowed, get the latest version for more entries";

}  // namespace

std::string lineFieldMessage(const std::string& label, const std::string& text, std::size_t maxChars) {
    if (text.find_first_of("\r\n") != std::string::npos)
        return "The " + label + " cannot contain a line break.";
    const wizard::TextFault fault = wizard::plainFieldFault(text, maxChars);
    return wizard::plainFieldMessage(label, fault, maxChars);
}

bool uninstallMarkerFirst(const std::string& name) {
    return !name.empty() && (name[0] == wzu::kRootRecord || name[0] == wzu::kAppendRecord);
}

// ---- the key dialog

CRegistryKeyDlg::CRegistryKeyDlg(wizard::Chain& chain, ui::Dialog* owner)
    : PageBase(chain, {IDD_REGISTRY_KEY, "p1 10.1 1", "p1 10.1 2", ""}, wizard::PageRole::Plain, {}, owner) {}

void CRegistryKeyDlg::initPage() {
    for (int i = 0; i < 6; ++i) insertRow(IDC_REGISTRY_KEY_ROOT, i, wizard::kRegistryRoots[i]);
    checkRadio(IDC_REGISTRY_KEY_ADD, IDC_REGISTRY_KEY_UPDATE, IDC_REGISTRY_KEY_ADD);
}

void CRegistryKeyDlg::doDataExchange(Exchange& dx) {
    dx.row(IDC_REGISTRY_KEY_ROOT, rootIndex_);
    dx.text(IDC_REGISTRY_KEY_NAME, key_);
    dx.text(IDC_REGISTRY_KEY_SUBKEY, subkey_);
    dx.text(IDC_REGISTRY_KEY_VALUE, value_);
    dx.radio(IDC_REGISTRY_KEY_ADD, IDC_REGISTRY_KEY_UPDATE, action_);
}

bool CRegistryKeyDlg::accept() {
    updateData(true);
    ui::Prompter say;
    // Typed into the combo's edit field without choosing: no selection.
    if (rootIndex_ < 0) {
        say.message(kNoRoot);
        return false;
    }
    if (key_.empty()) {
        say.message(kNoKeyName);
        return false;
    }
    if (uninstallMarkerFirst(key_)) {
        say.message(kMsgKeyNameMarker);
        return false;
    }
    const bool create = action_ == 0;
    if (!create) {
        if (subkey_.empty()) {
            say.message(kNoSubkey);
            return false;
        }
        if (value_.empty()) {
            say.message(kNoValue);
            return false;
        }
    }
    const std::pair<const std::string*, const char*> fields[] = {
        {&key_, "Key name"}, {&subkey_, "Subkey name"}, {&value_, "Key value"}};
    for (const auto& [text, label] : fields) {
        const std::string why = lineFieldMessage(label, *text, wizard::kRegistryFieldChars);
        if (!why.empty()) {
            say.message(why);
            return false;
        }
    }
    row_.root = text(IDC_REGISTRY_KEY_ROOT);
    row_.key = key_;
    row_.subkey = subkey_;
    row_.value = value_;
    row_.action = create ? wizard::kCreateKeyAction : wizard::kSetValueAction;
    return true;
}

void CRegistryKeyDlg::onOk() {
    bool ok = false;
    wizard::guardedCode(mainCode(), [&] { ok = accept(); });
    if (ok) end(ui::IdOk);
}

// ---- the page

CRegistryDlg::CRegistryDlg(wizard::Chain& chain, ui::Dialog* owner)
    : PageBase(chain, {IDD_REGISTRY, "p1 10 1", "p1 10 2", "Bundlewright8.html"}, wizard::PageRole::HubPage,
               {IDC_REGISTRY_NEXT, IDC_REGISTRY_BACK, ui::IdCancel, IDC_REGISTRY_HELP}, owner) {}

void CRegistryDlg::appendRow(const wizard::RegistryRow& row) {
    const int at = lvInsertRow(IDC_REGISTRY_ROWS, rowCounter_, row.root);
    lvSetCell(IDC_REGISTRY_ROWS, at, kKeyColumn, row.key);
    lvSetCell(IDC_REGISTRY_ROWS, at, kSubkeyColumn, row.subkey);
    lvSetCell(IDC_REGISTRY_ROWS, at, kValueColumn, row.value);
    lvSetCell(IDC_REGISTRY_ROWS, at, kActionColumn, row.action);
    ++rowCounter_;
}

void CRegistryDlg::initPage() {
    rowCounter_ = 0;
    lvAddColumn(IDC_REGISTRY_ROWS, "Root Key Value", 100);
    lvAddColumn(IDC_REGISTRY_ROWS, "Key Name", 100);
    lvAddColumn(IDC_REGISTRY_ROWS, "Subkey Name", 150);
    lvAddColumn(IDC_REGISTRY_ROWS, "Key Value", 150);
    lvAddColumn(IDC_REGISTRY_ROWS, "Comment", 100);
    lvSetFullRowSelect(IDC_REGISTRY_ROWS);
    // The stored rows, or those of the opened project until the page stores.
    const wizard::ProjectRecord& r = record();
    std::vector<wizard::RegistryRow> rows;
    if (r.registry_page_done == wizard::kDone) rows = wizard::tableRows(r);
    else if (r.registry_text && r.project_opened == 1 && r.registry_text->size() > 5)
        rows = wizard::parseRegistryRows(*r.registry_text, kMaxRows);
    for (const wizard::RegistryRow& row : rows) appendRow(row);
}

void CRegistryDlg::add() {
    if (lvRowCount(IDC_REGISTRY_ROWS) >= kMaxRows) {
        ui::Prompter().message(kTooManyRows);
        return;
    }
    CRegistryKeyDlg key(chain(), this);
    if (key.runModal() == ui::IdOk) appendRow(key.row());
}

void CRegistryDlg::remove() {
    const std::vector<int> selected = lvSelectedRows(IDC_REGISTRY_ROWS);
    if (!selected.empty()) lvDeleteRow(IDC_REGISTRY_ROWS, selected.front());
}

bool CRegistryDlg::onCommand(int id, int code) {
    if (code == ui::BnClicked && id == IDC_REGISTRY_ADD) {
        wizard::guardedCode(mainCode(), [&] { add(); });
        return true;
    }
    if (code == ui::BnClicked && id == IDC_REGISTRY_REMOVE) {
        wizard::guardedCode(mainCode(), [&] { remove(); });
        return true;
    }
    return PageBase::onCommand(id, code);
}

int CRegistryDlg::store(int interactive) {
    (void)interactive;
    wizard::ProjectRecord& r = record();
    // From here the table holds the rows; the opened project's text is done with.
    r.registry_text.reset();
    std::vector<wizard::RegistryRow> rows;
    const int n = lvRowCount(IDC_REGISTRY_ROWS);
    for (int i = 0; i < n && i < kMaxRows; ++i)
        rows.push_back({lvCell(IDC_REGISTRY_ROWS, i, kRootColumn), lvCell(IDC_REGISTRY_ROWS, i, kKeyColumn),
                        lvCell(IDC_REGISTRY_ROWS, i, kSubkeyColumn), lvCell(IDC_REGISTRY_ROWS, i, kValueColumn),
                        lvCell(IDC_REGISTRY_ROWS, i, kActionColumn)});
    wizard::setTableRows(r, rows);
    if (n > 0) r.registry_page_done = wizard::kDone;
    hide();
    return 0;
}

}  // namespace pages
