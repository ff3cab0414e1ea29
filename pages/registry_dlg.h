// The registry page (dialog 167) and its key dialog (dialog 168). The page
// lists up to 40 registry operations, each entered through the key dialog;
// its store routine copies the rows into the record's five tables, from which
// the page refills itself (an opened project's rows come from registry_text
// until then). The project file and the build's append step
// (wizard/registry_append.h) write the tables.
#pragma once

#include <string>

#include "wizard/registry_lines.h"
#include "wizard/page_base.h"

namespace pages {

// A field that travels between backquotes in registry.txt and inside the
// project file's raw registry and environment sections, in a slot of
// maxChars characters: the message refusing it ("" when it fits) when it
// would not fit, would split its line or would end that section early.
std::string lineFieldMessage(const std::string& label, const std::string& text, std::size_t maxChars);

// A key name under a root, or a variable name, that the uninstall script
// would read back as another kind of record (it begins with "~" or "!"), so
// the uninstall could never undo it.
bool uninstallMarkerFirst(const std::string& name);
inline constexpr char kMsgKeyNameMarker[] =
    "The Key name cannot begin with ~ or !: the uninstaller could not remove such a key.";
inline constexpr char kMsgEnvNameMarker[] =
    "The Environment Variable name cannot begin with ~ or !: the uninstaller could not remove such a variable.";

class CRegistryKeyDlg : public wizard::PageBase {
public:
    explicit CRegistryKeyDlg(wizard::Chain& chain, ui::Dialog* owner = nullptr);

    // What OK handed over (valid after IDOK).
    const wizard::RegistryRow& row() const { return row_; }

protected:
    void initPage() override;
    void onOk() override;
    void doDataExchange(Exchange& dx) override;

private:
    bool accept();

    std::string key_, subkey_, value_;
    int rootIndex_ = -1;
    int action_ = 0;   // 0 Add, 1 Update, -1 none
    wizard::RegistryRow row_;
};

class CRegistryDlg : public wizard::PageBase {
public:
    static constexpr int kMaxRows = 40;

    explicit CRegistryDlg(wizard::Chain& chain, ui::Dialog* owner = nullptr);

    // Always 0: the rows were checked when they were entered.
    int store(int interactive) override;

protected:
    void initPage() override;
    bool onCommand(int id, int code) override;

private:
    void add();
    void remove();
    void appendRow(const wizard::RegistryRow& row);

    int rowCounter_ = 0;   // rows inserted since the page opened; never goes down
};

}  // namespace pages
