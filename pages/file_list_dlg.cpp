#include "pages/file_list_dlg.h"

#include <algorithm>
#include <functional>

#include "pages/file_walk.h"
#include "platform/os/text.h"
#include "platform/ui/prompter.h"
#include "resources/tarnwick/resource.h"

namespace pages {

namespace {
enum Column { kFileColumn, kPathColumn, kSizeColumn };
}  // namespace

CFileListDlg::CFileListDlg(wizard::Chain& chain, ui::Dialog* owner)
    : PageBase(chain, {IDD_FILE_LIST, "p1 5 1", "p1 5 2", "Bundlewright4.html"}, wizard::PageRole::MainChain,
               {IDC_FILE_LIST_NEXT, IDC_FILE_LIST_BACK, ui::IdCancel, IDC_FILE_LIST_HELP}, owner) {}

void CFileListDlg::initPage() {
    lvAddColumn(IDC_FILE_LIST_FILES, "File", 130);
    lvAddColumn(IDC_FILE_LIST_FILES, "Path", 150);
    lvAddColumn(IDC_FILE_LIST_FILES, "Size", 70);
    lvSetFullRowSelect(IDC_FILE_LIST_FILES);
    if (model_.load(record().list_file_path.str()) == FileListModel::Load::Missing)
        ui::Prompter().message(kMsgListMissing);
    const std::vector<std::string> foreign = model_.linesNotInCodePage();
    if (!foreign.empty()) ui::Prompter().message(notInCodePageMessage(foreign));
    lvClear(IDC_FILE_LIST_FILES);
    for (int i = 0; i < model_.file_count(); ++i) showRow(i);
}

void CFileListDlg::showRow(int index) {
    const FileRow& row = model_.rows()[static_cast<std::size_t>(index)];
    int at = lvInsertRow(IDC_FILE_LIST_FILES, index, row.file);
    lvSetCell(IDC_FILE_LIST_FILES, at, kPathColumn, row.path);
    lvSetCell(IDC_FILE_LIST_FILES, at, kSizeColumn, row.size);
}

bool CFileListDlg::onCommand(int id, int code) {
    if (code == ui::BnClicked && id == IDC_FILE_LIST_ADD) {
        wizard::guardedCode(mainCode(), [&] { add(); });
        return true;
    }
    if (code == ui::BnClicked && id == IDC_FILE_LIST_REMOVE) {
        wizard::guardedCode(mainCode(), [&] { remove(); });
        return true;
    }
    return PageBase::onCommand(id, code);
}

void CFileListDlg::add() {
    ui::FileDialog how;
    std::string path;
    if (!ui::openFileDialog(how, path) || path.empty()) return;
    switch (model_.add(path)) {
    case FileListModel::Add::Duplicate:
        ui::Prompter().message(kMsgAlreadyListed);
        return;
    case FileListModel::Add::TooLong:
        ui::Prompter().message(pathTooLongMessage(path));
        return;
    case FileListModel::Add::Added:
        showRow(model_.file_count() - 1);
        return;
    }
}

void CFileListDlg::remove() {
    // Any number of rows: the model takes the whole selection, the view
    // drops the same rows from the bottom up so the indexes stay valid.
    std::vector<int> selected = lvSelectedRows(IDC_FILE_LIST_FILES);
    model_.removeRows(selected);
    std::sort(selected.begin(), selected.end(), std::greater<int>());
    selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
    for (int row : selected)
        if (row >= 0 && row < lvRowCount(IDC_FILE_LIST_FILES)) lvDeleteRow(IDC_FILE_LIST_FILES, row);
}

void CFileListDlg::onNext() {
    wizard::guardedCode(mainCode(), [&] {
        if (store(1) == -1) return;
        hide();
        if (!runNextPage()) show();
    });
}

int CFileListDlg::store(int interactive) {
    (void)interactive;
    wizard::ProjectRecord& r = record();
    const std::string listPath = r.list_file_path.str();
    FileListModel::Write written = model_.write(listPath);
    chain().file_count = model_.file_count();
    chain().required_space = model_.required_space();
    if (written == FileListModel::Write::Empty) {
        ui::Prompter().message(kMsgNeedOneFile);
        return -1;
    }
    if (written == FileListModel::Write::Failed) {
        ui::Prompter().message(listNotWritableMessage(listPath));
        return -1;
    }
    if (r.project_opened == 1) {
        std::string bytes;
        if (os::readWholeFile(listPath, bytes)) r.stored_file_list = bytes;
    }
    hide();
    return 0;
}


}  // namespace pages
