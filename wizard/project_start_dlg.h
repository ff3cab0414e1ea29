// The project start page (dialog 166): a new project's name, or an existing
// project file to open. Its store routine puts the choice into the record and
// loads an existing project with the project file loader.
#pragma once

#include <string>

#include "wizard/page_base.h"

class CProjectStartDlg : public wizard::PageBase {
public:
    explicit CProjectStartDlg(wizard::Chain& chain, ui::Dialog* owner = nullptr);

    // 0 stored (and, for an existing project, loaded); -1 refused or the file
    // is not found. An invalid project file ends the process with exit code 1.
    // The loader's messages are shown in silent mode too.
    int store(int interactive) override;

    // The new project's name is the chain's (the output location page's
    // default file names).
    std::string open_project_path;

protected:
    void initPage() override;
    int focusControl() const override;
    bool onCommand(int id, int code) override;
    void doDataExchange(Exchange& dx) override;

private:
    bool newSelected() const;
    void selectOpen();
    void selectNew();
    void browse();
};
