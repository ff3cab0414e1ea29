// The services page (dialog 331), sixth page of the option hub: programs of
// the package that the installer registers as Windows services, each with a
// service name and a display name. The entries live in the record's
// services_text; Next and Back write it.
#pragma once

#include <string>

#include "pages/service_table.h"
#include "wizard/page_base.h"

namespace pages {

class CServicesDlg : public wizard::PageBase {
public:
    explicit CServicesDlg(wizard::Chain& chain, ui::Dialog* owner = nullptr);

    // Always 0: the services text holds only what Set accepted.
    int store(int interactive) override;

    const ServiceTable& entries() const { return table_; }

protected:
    void initPage() override;
    int focusControl() const override;
    bool onCommand(int id, int code) override;
    void onCancel() override;       // Esc ends the page at once
    void doDataExchange(Exchange& dx) override;

private:
    void fillCombo();
    void enableInputs(bool on);
    void comboSelected();
    void comboTyped();
    void listSelected();
    void set();
    void remove();
    void clear();

    ServiceTable table_;
    std::string name_, display_;
};

}  // namespace pages
