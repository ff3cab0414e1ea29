// The option hub (dialog 330), run by the file list page's Next and never
// shown: its initialisation resets option.txt to the all-off form, then runs
// the enabled optional pages and the output location page one after another,
// with the history that lets Back return to the page shown before. Back past
// the first page shown ends the hub with 16 and shows the file list page.
#pragma once

#include "wizard/page_base.h"

namespace pages {

class CFileListDlg;

class COptionHubDlg : public wizard::PageBase {
public:
    static constexpr int kBackToFileList = 16;

    explicit COptionHubDlg(ui::Dialog* owner = nullptr);

    // Shared with the pages it runs; the environment variables page reads
    // the register flag.
    wizard::HubState& state() { return state_; }
    int register_flag() const { return state_.register_flag; }
    CFileListDlg* fileListPage() const { return fileList_; }

protected:
    void initPage() override;

private:
    // Runs hub page e modally; false when no such page exists yet.
    bool runPage(int e);

    wizard::HubState state_;
    CFileListDlg* fileList_ = nullptr;
};

}  // namespace pages
