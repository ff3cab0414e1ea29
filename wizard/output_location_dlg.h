// The output location page (dialog 142), always the last page the option hub
// runs: where the package and the project file are written. A new project
// gets defaults under the installation folder named after the project; an
// opened project, or a revisit, shows the stored paths. Next runs the
// summary page.
#pragma once

#include <string>

#include "wizard/page_base.h"

class CProjectStartDlg;
class CProductInfoDlg;
namespace pages {
class CFileListDlg;
class CSourceFolderDlg;
}  // namespace pages

class COutputLocationDlg : public wizard::PageBase {
public:
    explicit COutputLocationDlg(ui::Dialog* owner = nullptr);

    // Takes both paths into the record; they are checked when building.
    int store(int interactive) override;

    // Read by the summary page.
    std::string output_text;
    std::string project_text;
    pages::CFileListDlg* fileListPage() const { return fileList_; }
    pages::CSourceFolderDlg* sourceFolderPage() const { return source_; }
    CProductInfoDlg* productPage() const { return product_; }
    CProjectStartDlg* projectStartPage() const { return start_; }

protected:
    void initPage() override;
    bool onCommand(int id, int code) override;
    void doDataExchange(Exchange& dx) override;

private:
    // The save dialog for one of the two paths; a cancelled one changes nothing.
    void browse(std::string& target, const char* defaultExt, const char* filter);
    std::string projectName() const;

    pages::CFileListDlg* fileList_ = nullptr;
    pages::CSourceFolderDlg* source_ = nullptr;
    CProductInfoDlg* product_ = nullptr;
    CProjectStartDlg* start_ = nullptr;
};
