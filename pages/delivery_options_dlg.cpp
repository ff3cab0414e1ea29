#include "pages/delivery_options_dlg.h"

#include <vector>

#include "pages/delivery_programs.h"
#include "platform/os/text.h"
#include "platform/ui/prompter.h"
#include "resources/tarnwick/resource.h"

namespace pages {

namespace {

using M = CDeliveryOptionsDlg::Moment;
using R = wizard::ProjectRecord;
// Top to bottom, as the page shows them.
const M kMoments[] = {
    {"Pre Installation", IDC_DELIVERY_PRE_INSTALL_FILE, IDC_DELIVERY_PRE_INSTALL_CMD, &R::pre_install_file,
     &R::pre_install_cmdline, &R::pre_install_choice},
    {"Post Installation", IDC_DELIVERY_POST_INSTALL_FILE, IDC_DELIVERY_POST_INSTALL_CMD, &R::post_install_file,
     &R::post_install_cmdline, &R::post_install_choice},
    {"Pre Uninstallation", IDC_DELIVERY_PRE_UNINSTALL_FILE, IDC_DELIVERY_PRE_UNINSTALL_CMD, &R::pre_uninstall_file,
     &R::pre_uninstall_cmdline, &R::pre_uninstall_choice},
};

// Finish action 0, 1, 2.
const int kActions[] = {IDC_DELIVERY_DO_NOTHING, IDC_DELIVERY_LOG_OFF, IDC_DELIVERY_RESTART};

const M* momentOfList(int id) {
    for (const M& m : kMoments)
        if (m.list == id) return &m;
    return nullptr;
}

// The project file stores an empty command line as one blank.
std::string shownCommandLine(const std::string& stored) { return stored == " " ? std::string() : stored; }

}  // namespace

CDeliveryOptionsDlg::CDeliveryOptionsDlg(wizard::Chain& chain, ui::Dialog* owner)
    : PageBase(chain, {IDD_DELIVERY_OPTIONS, "p1 7 1", "p1 7 2", "Bundlewright11.html"}, wizard::PageRole::HubPage,
               {IDC_DELIVERY_NEXT, IDC_DELIVERY_BACK, ui::IdCancel, IDC_DELIVERY_HELP}, owner) {}

int CDeliveryOptionsDlg::focusControl() const { return IDC_DELIVERY_PRE_INSTALL_FILE; }

void CDeliveryOptionsDlg::fillLists() {
    std::string bytes;
    if (!os::readWholeFile(record().list_file_path.str(), bytes)) {
        ui::Prompter().message(delivery::kMsgListMissing);
        return;
    }
    for (const std::string& row : delivery::programRows(bytes, chain().source_text))
        for (const M& m : kMoments) insertRow(m.list, -1, row);
}

// A program chosen before is found again by its text, so files added or
// removed since never make the page name another file; an opened project
// carries only the row. A text that is no row any more stays as typed.
void CDeliveryOptionsDlg::restore(const M& m) {
    const R& r = record();
    const std::string file = (r.*m.file).str();
    const int choice = r.*m.choice;
    int row = -1;
    if (!delivery::isNoProgram(file))
        row = findRow(m.list, file);
    else if (choice >= 0 && choice < rowCount(m.list))
        row = choice;
    if (row >= 0) selectRow(m.list, row);
    else if (!delivery::isNoProgram(file)) setText(m.list, file);
    setText(m.cmdline, shownCommandLine((r.*m.command).str()));
    enable(m.cmdline, row >= 0 || !delivery::isNoProgram(file));
}

void CDeliveryOptionsDlg::initPage() {
    checkRadio(IDC_DELIVERY_DO_NOTHING, IDC_DELIVERY_RESTART, IDC_DELIVERY_DO_NOTHING);
    for (const M& m : kMoments) enable(m.cmdline, false);
    fillLists();
    const R& r = record();
    if (r.delivery_page_done != wizard::kDone && r.project_opened != 1) return;
    // Also without list.txt: the stored choices stay what they were.
    for (const M& m : kMoments) restore(m);
    const int action = r.finish_action == 1 || r.finish_action == 2 ? r.finish_action : 0;
    checkRadio(IDC_DELIVERY_DO_NOTHING, IDC_DELIVERY_RESTART, kActions[action]);
}

bool CDeliveryOptionsDlg::onCommand(int id, int code) {
    if (const M* m = momentOfList(id)) {
        if (code == ui::CbnSelChange) {
            enable(m->cmdline, true);
            return true;
        }
        if (code == ui::CbnEditChange) {
            enable(m->cmdline, !delivery::isNoProgram(text(id)));
            return true;
        }
    }
    return PageBase::onCommand(id, code);
}

void CDeliveryOptionsDlg::onBack() {
    backing_ = true;
    struct Reset { bool& f; ~Reset() { f = false; } } reset{backing_};
    PageBase::onBack();
}

int CDeliveryOptionsDlg::store(int interactive) {
    (void)interactive;   // the commit always shows its messages
    struct Choice {
        std::string file, command;
        int row;
    } chosen[3];
    for (int i = 0; i < 3; ++i) {
        const M& m = kMoments[i];
        Choice& c = chosen[i];
        c.file = text(m.list);
        c.command = text(m.cmdline);
        // What the box shows is the program, picked or typed.
        c.row = delivery::isNoProgram(c.file) ? -1 : findRow(m.list, c.file);
        if (c.row >= 0) c.file = rowText(m.list, c.row);
        std::string fault = delivery::commandLineFault(m.name, c.command);
        // Back keeps a typed program for the visit after the list was changed.
        if (fault.empty()) fault = delivery::programFault(m.name, c.file, c.row >= 0 || backing_);
        if (!fault.empty()) {
            ui::Prompter().message(fault);
            focus(m.list);
            return -1;
        }
    }
    R& r = record();
    r.delivery_page_done = wizard::kDone;
    for (int i = 0; i < 3; ++i) {
        const M& m = kMoments[i];
        r.*m.file = chosen[i].file;
        r.*m.command = chosen[i].command;
        r.*m.choice = chosen[i].row;
    }
    r.finish_action = checked(IDC_DELIVERY_DO_NOTHING) ? 0 : checked(IDC_DELIVERY_LOG_OFF) ? 1
                      : checked(IDC_DELIVERY_RESTART) ? 2 : 0;
    hide();
    return 0;
}

}  // namespace pages
