// The source folder page (dialog 130): the folder whose files are shipped,
// whether its subfolders count, and the default destination. Next writes
// list.txt from the folder (or, for an opened project whose folder and check
// box are unchanged, from the stored list) and runs the file list page.
#pragma once

#include <string>

#include "wizard/page_base.h"

namespace pages {

inline constexpr const char* kMsgSelectSourceFolder = "You must select the source folder";
inline constexpr const char* kBrowseSourceTitle = "Browse for source folder";

// Why the installer would refuse `destination` as its default folder, "" when
// it would not (or it is empty: the installer's own default). It must be a
// full path on a drive, or start with an environment reference such as
// %ProgramFiles%, and every part it names must be a name Windows allows.
std::string destinationMessage(const std::string& destination);

class CSourceFolderDlg : public wizard::PageBase {
public:
    explicit CSourceFolderDlg(wizard::Chain& chain, ui::Dialog* owner = nullptr);

    // The source validation: 0 when list.txt is written and the record holds
    // the page's values, -1 when the page stays. interactive 0 leaves out only
    // the empty-folder message.
    int store(int interactive) override;


protected:
    void initPage() override;
    int focusControl() const override;
    bool onCommand(int id, int code) override;
    void doDataExchange(Exchange& dx) override;
    // Once stored, Back keeps the folder value and the check box without a check.
    void storeForBack() override;

private:
    void browse();
    // The list.txt of an opened, unchanged project: its stored list, unchanged.
    bool restoreStoredList();

    // The folder as last taken from the controls is the chain's source_text.
    std::string& source_;
    std::string destination_;
    int include_subfolders_ = 0;
};

}  // namespace pages
