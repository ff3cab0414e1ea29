// The file list page (dialog 138): list.txt as rows of File, Path and Size.
// Add takes single files from anywhere, Remove drops the selected rows; Next
// writes the list back with the space the installation needs and runs the
// option hub, Back writes it too and returns to the source folder page.
#pragma once

#include <string>

#include "pages/file_list.h"
#include "wizard/page_base.h"

namespace pages {

class CSourceFolderDlg;

class CFileListDlg : public wizard::PageBase {
public:
    explicit CFileListDlg(ui::Dialog* owner = nullptr);

    // Writing the list: 0 when list.txt holds the rows, -1 when it stays as
    // it was (no rows, or it cannot be written). The empty-list message shows
    // in both modes, as Back writes the list too.
    int store(int interactive) override;

    // Read by later pages through the chain.
    int file_count() const { return model_.file_count(); }
    double required_space() const { return required_space_; }
    const FileListModel& model() const { return model_; }
    CSourceFolderDlg* sourceFolderPage() const { return source_; }

protected:
    void initPage() override;
    bool onCommand(int id, int code) override;

private:
    void showRow(int index);
    void add();
    void remove();

    FileListModel model_;
    double required_space_ = 0;
    CSourceFolderDlg* source_ = nullptr;
};

}  // namespace pages
