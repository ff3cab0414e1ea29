#include "pages/panel_config_dlg.h"

#include "pages/panel_config.h"
#include "platform/ui/prompter.h"
#include "resources/tarnwick/resource.h"

namespace pages {

namespace {
// The check boxes lie in panel flag order.
constexpr int kFirstBox = IDC_PANEL_OPTIONS;
static_assert(IDC_PANEL_LANGUAGE - IDC_PANEL_OPTIONS + 1 == kPanelCount);
}  // namespace

CPanelConfigDlg::CPanelConfigDlg(wizard::Chain& chain, ui::Dialog* owner)
    : PageBase(chain, {IDD_PANEL_CONFIG, "", "", "Bundlewright5.html"}, wizard::PageRole::Plain,
               {0, 0, 0, IDC_PANEL_HELP}, owner) {}

void CPanelConfigDlg::initPage() {
    const wizard::ProjectRecord& r = record();
    for (int i = 0; i < kPanelCount; ++i) setCheck(kFirstBox + i, r.panel_flags[i] != 0 ? 1 : 0);
    if (owner()) owner()->hide();
}

void CPanelConfigDlg::takeFlags() {
    wizard::ProjectRecord& r = record();
    for (int i = 0; i < kPanelCount; ++i) r.panel_flags[i] = checked(kFirstBox + i) ? 1 : 0;
}

void CPanelConfigDlg::close(int result) {
    if (owner()) owner()->show();
    end(result);
}

bool CPanelConfigDlg::onCommand(int id, int code) {
    if (id == IDC_PANEL_SET_DEFAULT && code == ui::BnClicked) {
        takeFlags();
        const wizard::ProjectRecord& r = record();
        writePanelConfig(r.panel_config_path.str(), r.panel_flags);
        close(ui::IdOk);
        return true;
    }
    return PageBase::onCommand(id, code);
}

void CPanelConfigDlg::onOk() {
    takeFlags();
    close(ui::IdOk);
}

void CPanelConfigDlg::onCancel() {
    if (ui::Prompter().ask(kMsgCancelPanelConfig)) close(ui::IdCancel);
}


}  // namespace pages
