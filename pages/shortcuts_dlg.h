// The shortcuts page (dialog 149), third page of the option hub: folders and
// shortcuts in a tree under the four fixed shell places, and the uninstall
// shortcut. Next and Back write shortcuts.txt and keep its folder and
// shortcut lines in the record's shortcuts_text.
#pragma once

#include <string>

#include "pages/shortcut_tree.h"
#include "wizard/page_base.h"

namespace pages {

class CShortcutsDlg : public wizard::PageBase {
public:
    explicit CShortcutsDlg(wizard::Chain& chain, ui::Dialog* owner = nullptr);

    // 0 stored; -1 when shortcuts.txt cannot be opened (the page stays).
    int store(int interactive) override;

    const ShortcutTree& entries() const { return tree_; }

protected:
    void initPage() override;
    int focusControl() const override;
    bool onCommand(int id, int code) override;
    bool onNotify(int id, const ui::Notify& n) override;
    void doDataExchange(Exchange& dx) override;

private:
    void insertRoots();
    void rebuild(const std::string& text);
    void createClicked();
    void rightClick();
    void menuCommand(int command);
    void newItem(int kind);
    void deleteSelected();
    void showSelection();
    void set();
    bool endLabelEdit(const ui::Notify& n);
    void enableInputs(bool on);
    void clearInputs();
    int selectedEntry() const;

    ShortcutTree tree_;
    int defaultFolder_ = -1;
    std::string name_, target_, arguments_;
    ui::TreeItem refusedItem_ = 0;   // the last label edit refused, and its text
    std::string refusedText_;
};

}  // namespace pages
