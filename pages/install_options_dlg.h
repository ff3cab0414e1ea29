// The installation options page (dialog 139), the first page the option hub
// may run: prompt, password, welcome, licence and readme sections and the
// register-the-product box. Next and Back commit option.txt section by
// section and keep the choices in the record; a failed commit keeps the page.
#pragma once

#include <string>

#include "pages/option_file.h"
#include "wizard/page_base.h"

namespace pages {

class CInstallOptionsDlg : public wizard::PageBase {
public:
    explicit CInstallOptionsDlg(wizard::Chain& chain, ui::Dialog* owner = nullptr);

    // The page commit (always with messages): 0 when option.txt and the
    // record hold the page's values, -1 when the page stays.
    int store(int interactive) override;

    // One section's check box with its edit and its Browse (0: none).
    struct Section {
        int check;
        int edit;
        int browse;
        int InstallOptions::*enabled;
        std::string InstallOptions::*entry;
    };

protected:
    void initPage() override;
    bool onCommand(int id, int code) override;
    void onPaint() override;
    void doDataExchange(Exchange& dx) override;

private:
    static const Section* sectionOf(int checkId);
    void toggle(const Section& s);
    void browse(int browseId);
    void textChanged();
    // The controls from the members, without the limit message of a refill.
    void fill();

    InstallOptions values_;
    bool keepFocus_ = false;   // one-shot: the next repaint leaves the focus alone
    bool filling_ = false;
};

}  // namespace pages
