// The panel configuration dialog (dialog 332), opened by the welcome page's
// Configure: seven check boxes that switch the optional pages on or off for
// this run; "&Set Default" also writes them to config.mnu.
#pragma once

#include "wizard/page_base.h"

namespace pages {

class CPanelConfigDlg : public wizard::PageBase {
public:
    explicit CPanelConfigDlg(wizard::Chain& chain, ui::Dialog* owner = nullptr);

protected:
    void initPage() override;
    bool onCommand(int id, int code) override;
    void onOk() override;
    void onCancel() override;   // its own question, Esc and the close box too
    int focusControl() const override { return 0; }

private:
    void takeFlags();
    void close(int result);
};

}  // namespace pages
