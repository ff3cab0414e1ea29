// The output location page (dialog 142), always the last page the option hub
// runs: where the package and the project file are written. A new project
// gets defaults under the installation folder named after the project; an
// opened project, or a revisit, shows the stored paths. Next runs the
// summary page. Both paths are the chain's, which the summary page reads.
#pragma once

#include <string>

#include "wizard/page_base.h"

class COutputLocationDlg : public wizard::PageBase {
public:
    explicit COutputLocationDlg(wizard::Chain& chain, ui::Dialog* owner = nullptr);

    // Takes both paths into the record; they are checked when building.
    int store(int interactive) override;

protected:
    void initPage() override;
    bool onCommand(int id, int code) override;
    void doDataExchange(Exchange& dx) override;

private:
    // The save dialog for one of the two paths; a cancelled one changes nothing.
    void browse(std::string& target, const char* defaultExt, const char* filter);
    std::string projectName() const { return chain().new_project_name; }
};
