// The option hub (dialog 330), run by the file list page's Next and never
// shown: its initialisation resets option.txt to the all-off form, then runs
// the enabled optional pages and the output location page one after another,
// with the history that lets Back return to the page shown before. Back past
// the first page shown ends the hub with 16 and shows the file list page.
// What it shares with its pages is the chain's hub state.
#pragma once

#include "wizard/page_base.h"

namespace pages {

class COptionHubDlg : public wizard::PageBase {
public:
    static constexpr int kBackToFileList = 16;

    explicit COptionHubDlg(wizard::Chain& chain, ui::Dialog* owner = nullptr);

protected:
    void initPage() override;
};

}  // namespace pages
