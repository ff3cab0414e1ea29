#include "pages/option_hub_dlg.h"

#include "pages/file_list_dlg.h"
#include "pages/option_file.h"
#include "pages/panel_config.h"
#include "platform/os/os.h"
#include "resources/tarnwick/resource.h"

namespace pages {

namespace {
// A page that is not built into this program is skipped as if its flag were off.
bool pageExists(int e) { return wizard::hasPage(wizard::hubSlot(e)); }
}  // namespace

COptionHubDlg::COptionHubDlg(ui::Dialog* owner)
    : PageBase(wizard::PageSlot::OptionHub, wizard::PageRole::Plain, {}, owner) {}

bool COptionHubDlg::runPage(int e) {
    // The pages are owned by the file list page, as the hub itself never becomes active.
    ui::Dialog* pageOwner = fileList_ ? static_cast<ui::Dialog*>(fileList_) : owner();
    std::unique_ptr<ui::Dialog> page = wizard::createPage(wizard::hubSlot(e), pageOwner);
    if (!page) return false;
    if (auto* p = dynamic_cast<wizard::PageBase*>(page.get())) p->attachHub(state_, record());
    if (page->runModal() == ui::IdCancel) os::exitProcess(wizard::kExitCancelled);
    return true;
}

void COptionHubDlg::initPage() {
    fileList_ = ownerPage<CFileListDlg>();
    wizard::ProjectRecord& r = record();
    writeAllOffOptionFile(r.option_file_path.str());
    state_ = wizard::HubState{};

    HubSequence sequence(r.panel_flags, &pageExists);
    int e = sequence.first();
    while (e != HubSequence::kFileList) {
        state_.back_requested = 0;
        if (!runPage(e)) {
            // No output location page in this program: the way on ends here.
            e = sequence.ended(false);
            continue;
        }
        e = sequence.ended(state_.back_requested == 1);
        state_.back_requested = 0;
    }
    if (fileList_) fileList_->show();
    else if (owner()) owner()->show();
    end(kBackToFileList);
}


}  // namespace pages
