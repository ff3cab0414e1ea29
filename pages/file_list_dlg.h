// The file list page (dialog 138): list.txt as rows of File, Path and Size.
// Add takes single files from anywhere, Remove drops the selected rows; Next
// writes the list back with the space the installation needs and runs the
// option hub, Back writes it too and returns to the source folder page.
#pragma once

#include <string>

#include "pages/file_list.h"
#include "wizard/page_base.h"

namespace pages {

class CFileListDlg : public wizard::PageBase {
public:
    explicit CFileListDlg(wizard::Chain& chain, ui::Dialog* owner = nullptr);

    // Writing the list: 0 when list.txt holds the rows, -1 when it stays as
    // it was (no rows, or it cannot be written). The empty-list message shows
    // in both modes, as Back writes the list too.
    int store(int interactive) override;

    // The rows' count and the space they need go to the chain when stored.
    int file_count() const { return model_.file_count(); }

protected:
    void initPage() override;
    bool onCommand(int id, int code) override;
    // The page hides itself: the hub that follows never shows.
    void onNext() override;

private:
    void showRow(int index);
    void add();
    void remove();

    FileListModel model_;
};

}  // namespace pages
