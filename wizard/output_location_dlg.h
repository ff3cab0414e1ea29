// The output location page (dialog 142), always the last page the option hub
// runs: where the package and the project file are written. A new project
// gets defaults under the installation folder named after the project; an
// opened project, or a revisit, shows the stored paths. Next runs the
// summary page. Both paths are the chain's, which the summary page reads.
#pragma once

#include <string>

#include "wizard/page_base.h"

namespace wizard {
// Build writes each file first under its name and a suffix (the package's
// ".part", the project's ".tmp"), which must fit the system's path width too:
// the message for a path of `what` ("output file", "project file") that is
// too long for that, "" when it fits.
std::string pathTooLongMessage(const std::string& what, const std::string& path, std::size_t suffixChars);
}  // namespace wizard

class COutputLocationDlg : public wizard::PageBase {
public:
    explicit COutputLocationDlg(wizard::Chain& chain, ui::Dialog* owner = nullptr);

    // Takes both paths into the record; Next refuses a path too long for
    // Build's side file, the rest is checked when building.
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
