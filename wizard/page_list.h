// The pages a program is made of, by dialog: which class makes the page of a
// dialog and which dialog follows it on the main chain. The wizard runs "the
// next page" through it without knowing the classes; Tarnwick's own list is
// pages/page_list.h. A test puts a stand-in (or "no page") at a dialog of
// its own chain's list.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/dialog.h"

namespace wizard {

class Chain;

// Makes the page; owner nullptr lets the page be owned by the active dialog
// when it runs (the system's rule).
using PageFactory = std::function<std::unique_ptr<ui::Dialog>(Chain& chain, ui::Dialog* owner)>;

struct PageRow {
    int dialog = 0;          // the page's DIALOG template
    const char* title = "";  // how messages name the page ("product information page")
    PageFactory make;        // empty: the program has no page there
    int next = 0;            // the dialog its Next runs on the main chain (0: none)
};

class PageList {
public:
    PageList() = default;
    explicit PageList(std::vector<PageRow> rows) : rows_(std::move(rows)) {}

    // nullptr when the list has no page for the dialog.
    std::unique_ptr<ui::Dialog> make(int dialog, Chain& chain, ui::Dialog* owner = nullptr) const;
    bool has(int dialog) const;
    // The dialog the main chain runs after `dialog` (0: none).
    int next(int dialog) const;
    // How messages name the page of a dialog ("" when unlisted).
    std::string title(int dialog) const;
    const std::vector<PageRow>& rows() const { return rows_; }

    // Puts a stand-in at a dialog (an empty factory: no page there) and
    // returns the factory it replaces.
    PageFactory replace(int dialog, PageFactory factory);

private:
    const PageRow* find(int dialog) const;
    std::vector<PageRow> rows_;
};

}  // namespace wizard
