#include "wizard/page_list.h"

namespace wizard {

const PageRow* PageList::find(int dialog) const {
    for (const PageRow& row : rows_)
        if (row.dialog == dialog) return &row;
    return nullptr;
}

std::unique_ptr<ui::Dialog> PageList::make(int dialog, Chain& chain, ui::Dialog* owner) const {
    const PageRow* row = find(dialog);
    return row && row->make ? row->make(chain, owner) : nullptr;
}

bool PageList::has(int dialog) const {
    const PageRow* row = find(dialog);
    return row && row->make;
}

int PageList::next(int dialog) const {
    const PageRow* row = find(dialog);
    return row ? row->next : 0;
}

std::string PageList::title(int dialog) const {
    const PageRow* row = find(dialog);
    return row ? row->title : "";
}

PageFactory PageList::replace(int dialog, PageFactory factory) {
    for (PageRow& row : rows_) {
        if (row.dialog != dialog) continue;
        std::swap(row.make, factory);
        return factory;
    }
    rows_.push_back({dialog, "", std::move(factory), 0});
    return {};
}

}  // namespace wizard
