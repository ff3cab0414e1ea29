// The environment variables page (dialog 161): system environment variables
// the installer creates (Add) or extends (Append). Its store routine writes
// registry.txt's first section, the product's own key first when the
// installation options page asked to register the product, and keeps a copy
// in env_registry_text, from which the page refills itself.
#pragma once

#include <string>
#include <vector>

#include "wizard/registry_lines.h"
#include "wizard/page_base.h"

namespace pages {

class CEnvironmentDlg : public wizard::PageBase {
public:
    static constexpr int kMaxEntries = 100;

    explicit CEnvironmentDlg(wizard::Chain& chain, ui::Dialog* owner = nullptr);

    // 0 stored; -1 when registry.txt cannot be written (the page stays).
    int store(int interactive) override;

    // The entry table in creation order, deleted ones (kind -1) included.
    const std::vector<wizard::EnvEntry>& entries() const { return entries_; }

protected:
    void initPage() override;
    bool onCommand(int id, int code) override;
    int focusControl() const override;
    void doDataExchange(Exchange& dx) override;

private:
    void enableEntries(bool on);
    void toggle();
    void set();
    void selectionChanged();
    void remove();
    void clearEntry();
    void emptyEdits();

    std::vector<wizard::EnvEntry> entries_;   // at most kMaxEntries; never shrinks while open
    std::string name_, value_;
    int enabled_ = 0;
};

}  // namespace pages
