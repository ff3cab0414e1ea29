// The product information page (dialog 129): company, product and version
// (mandatory), e-mail, description, comments and copyright notice.
#pragma once

#include <string>

#include "wizard/page_base.h"

class CProductInfoDlg : public wizard::PageBase {
public:
    explicit CProductInfoDlg(wizard::Chain& chain, ui::Dialog* owner = nullptr);

    // 0 stored; -1 refused. The mandatory-field message is shown only when
    // interactive; the e-mail message and the refusal of a text the project
    // file cannot carry are shown in both modes.
    int store(int interactive) override;

    // The seven texts as typed (uncut).
    std::string company, product, version, email, description, comments, copyright;

    // The product texts, company to copyright notice.
    static constexpr int kFieldCount = 7;

protected:
    void initPage() override;
    int focusControl() const override;
    bool onCommand(int id, int code) override;
    void doDataExchange(Exchange& dx) override;

private:
    bool filling_ = false;   // the initialisation fills the edits: no limit message
};
