// The delivery options page (dialog 141), the second page the option hub may
// run: a program of the package with its command line for each of three
// moments (before and after the installation, before the uninstallation) and
// what the installer does when it is done (nothing, log off, restart).
// The page has no working file; it offers the programs of list.txt.
#pragma once

#include <string>

#include "wizard/page_base.h"

namespace pages {

class CDeliveryOptionsDlg : public wizard::PageBase {
public:
    explicit CDeliveryOptionsDlg(wizard::Chain& chain, ui::Dialog* owner = nullptr);

    // The commit: the three programs, command lines and list rows and the
    // finish action into the record. -1 (the page stays) for a text the
    // project file cannot carry, and on Next for a program that is not one
    // of the package's.
    int store(int interactive) override;

    // One moment: its group box's name, its controls and its record fields.
    struct Moment {
        const char* name;
        int list;
        int cmdline;
        wizard::PathText wizard::ProjectRecord::*file;
        wizard::PathText wizard::ProjectRecord::*command;
        int wizard::ProjectRecord::*choice;
    };

protected:
    void initPage() override;
    int focusControl() const override;
    bool onCommand(int id, int code) override;
    void onBack() override;

private:
    void fillLists();
    void restore(const Moment& m);

    bool backing_ = false;   // the commit runs for Back
};

}  // namespace pages
