#include "pages/services_dlg.h"

#include "pages/list_txt.h"
#include "platform/os/text.h"
#include "platform/ui/prompter.h"
#include "resources/tarnwick/resource.h"

namespace pages {

namespace {

constexpr int kCombo = IDC_SERVICES_EXECUTABLE;
constexpr int kList = IDC_SERVICES_LIST;
// "C&lear", "&Delete", "&Set" and the two edits.
constexpr int kInputs[] = {IDC_SERVICES_CLEAR, IDC_SERVICES_DELETE, IDC_SERVICES_SET, IDC_SERVICES_NAME,
                           IDC_SERVICES_DISPLAY_NAME};

}  // namespace

CServicesDlg::CServicesDlg(wizard::Chain& chain, ui::Dialog* owner)
    : PageBase(chain, {IDD_SERVICES, "", "", "Bundlewright6.html"}, wizard::PageRole::HubPage,
               {IDC_SERVICES_NEXT, IDC_SERVICES_BACK, IDC_SERVICES_CANCEL, IDC_SERVICES_HELP}, owner) {}

void CServicesDlg::doDataExchange(Exchange& dx) {
    dx.text(IDC_SERVICES_NAME, name_);
    dx.text(IDC_SERVICES_DISPLAY_NAME, display_);
}

int CServicesDlg::focusControl() const { return kCombo; }

void CServicesDlg::onCancel() { end(ui::IdCancel); }

void CServicesDlg::enableInputs(bool on) {
    for (int id : kInputs) enable(id, on);
}

void CServicesDlg::fillCombo() {
    std::string bytes;
    if (!os::readWholeFile(record().list_file_path.str(), bytes)) {
        ui::Prompter().message(kMsgSupportingFile);
        return;
    }
    const std::string source = chain().source_text;
    // The combo keeps file order.
    for (const std::string& line : list_txt::readLines(bytes))
        if (isExecutableLine(line)) insertRow(kCombo, -1, serviceExecutableName(line, source));
}

void CServicesDlg::initPage() {
    fillCombo();
    const wizard::ProjectRecord& r = record();
    if ((r.project_opened == 1 || r.services_page_done == wizard::kDone) && r.services_text &&
        r.services_text->size() > 1) {
        for (int i : table_.restore(*r.services_text)) addRow(kList, table_[i].name.str());
    }
    enableInputs(false);
}

void CServicesDlg::comboSelected() {
    setDefaultButton(selectedRow(kCombo) >= 0 ? IDC_SERVICES_SET : IDC_SERVICES_NEXT);
    enableInputs(true);
}

void CServicesDlg::comboTyped() {
    const std::string typed = text(kCombo);
    setDefaultButton(selectedRow(kCombo) < 0 && typed.empty() ? IDC_SERVICES_NEXT : IDC_SERVICES_SET);
    enableInputs(typed.size() > 1);
}

void CServicesDlg::listSelected() {
    const int row = selectedRow(kList);
    if (row < 0) return;
    const int e = table_.findName(rowText(kList, row));
    if (e < 0) return;
    enableInputs(true);
    const std::string executable = table_[e].executable.str();
    const int comboRow = findRow(kCombo, executable);
    selectRow(kCombo, comboRow);
    // A restored entry whose program left list.txt still shows its name.
    if (comboRow < 0) setText(kCombo, executable);
    name_ = table_[e].name.str();
    display_ = table_[e].display.str();
    updateData(false);
}

void CServicesDlg::clear() {
    selectRow(kCombo, -1);
    setText(kCombo, "");
    name_.clear();
    display_.clear();
    updateData(false);
    enableInputs(false);
    focus(kCombo);
}

void CServicesDlg::set() {
    updateData(true);
    ui::Prompter p;
    if (table_.full()) {
        p.message(kMsgServicesFull);
        clear();
        return;
    }
    if (selectedRow(kCombo) < 0) {
        p.message(kMsgNoExecutable);
        focus(kCombo);
        return;
    }
    if (name_.empty()) {
        p.message(kMsgNoServiceName);
        focus(IDC_SERVICES_NAME);
        return;
    }
    if (display_.empty()) {
        p.message(kMsgNoDisplayName);
        focus(IDC_SERVICES_DISPLAY_NAME);
        return;
    }
    const std::string executable = text(kCombo);
    if (const char* fault = serviceFieldsFault(executable, name_, display_)) {
        p.message(fault);
        return;
    }
    const int e = table_.findName(name_);
    if (e >= 0) {
        p.box(kMsgServiceUpdate, ui::Buttons::Ok, ui::Icon::Information);
        table_.update(e, executable, display_);
        clear();
        return;
    }
    table_.add(executable, name_, display_);
    addRow(kList, name_);
    clear();
}

void CServicesDlg::remove() {
    updateData(true);
    const int row = selectedRow(kList);
    if (row < 0) {
        ui::Prompter().message(kMsgSelectFirst);
        clear();
        return;
    }
    const int e = table_.find(text(kCombo), name_, display_);
    if (e >= 0) {
        table_.remove(e);
        deleteRow(kList, row);
    } else {
        ui::Prompter().message(kMsgNoMatch);
    }
    clear();
}

bool CServicesDlg::onCommand(int id, int code) {
    auto run = [&](auto fn) {
        wizard::guardedCode(mainCode(), fn);
        return true;
    };
    if (id == kCombo && code == ui::CbnSelChange) return run([&] { comboSelected(); });
    if (id == kCombo && code == ui::CbnEditChange) return run([&] { comboTyped(); });
    if (id == kList && code == ui::LbnSelChange) return run([&] { listSelected(); });
    if (code == ui::BnClicked) {
        if (id == IDC_SERVICES_SET) return run([&] { set(); });
        if (id == IDC_SERVICES_DELETE) return run([&] { remove(); });
        if (id == IDC_SERVICES_CLEAR) return run([&] { clear(); });
    }
    return PageBase::onCommand(id, code);
}

int CServicesDlg::store(int interactive) {
    (void)interactive;
    wizard::ProjectRecord& r = record();
    r.services_text = table_.text();
    r.services_page_done = wizard::kDone;
    return 0;
}

}  // namespace pages
