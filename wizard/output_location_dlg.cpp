#include "wizard/output_location_dlg.h"

#include <cstring>

#include "builder/build_request.h"
#include "platform/os/text.h"
#include "platform/ui/prompter.h"
#include "wizard/project_file.h"
#include "resources/tarnwick/resource.h"

namespace {
constexpr const char* kPackageFilter = "Selfextracting executable|*.exe||";
constexpr const char* kProjectFilter = "Bundlewright project files|*.wzp||";
}  // namespace

namespace wizard {
std::string pathTooLongMessage(const std::string& what, const std::string& path, std::size_t suffixChars) {
    const std::size_t limit = os::kPathSlot - 1 - suffixChars;
    if (path.size() <= limit) return std::string();
    return "The " + what + " path has " + std::to_string(path.size()) + " characters, but Build can write at most " +
           std::to_string(limit) + ": it first writes the file under that path and a " +
           std::to_string(suffixChars) + "-character suffix. Choose a shorter folder or name.";
}
}  // namespace wizard

COutputLocationDlg::COutputLocationDlg(wizard::Chain& chain, ui::Dialog* owner)
    : PageBase(chain, {IDD_OUTPUT_LOCATION, "p1 11 1", "", "Bundlewright9.html"}, wizard::PageRole::OutputLocation,
               {IDC_OUTPUT_LOCATION_NEXT, IDC_OUTPUT_LOCATION_BACK, ui::IdCancel, IDC_OUTPUT_LOCATION_HELP},
               owner) {}

void COutputLocationDlg::doDataExchange(Exchange& dx) {
    dx.text(IDC_OUTPUT_FILE_EDIT, chain().output_text);
    dx.text(IDC_OUTPUT_PROJECT_EDIT, chain().project_text);
}

void COutputLocationDlg::initPage() {
    const wizard::ProjectRecord& r = record();
    wizard::Chain& c = chain();
    if (r.project_opened == 1 || r.output_page_done == wizard::kDone) {
        c.output_text = r.output_file_path.str();
        c.project_text = r.project_file_path.str();
    } else {
        const std::string base = r.install_dir.str() + "\\";
        c.output_text = base + "output\\" + projectName() + ".exe";
        c.project_text = base + "projects\\" + projectName() + ".wzp";
    }
    updateData(false);
}

void COutputLocationDlg::browse(std::string& target, const char* defaultExt, const char* filter) {
    updateData(true);
    ui::FileDialog how;
    how.defaultExt = defaultExt;
    how.filter = filter;
    if (record().project_opened != 1) how.initialPath = projectName();
    std::string chosen;
    if (!ui::saveFileDialog(how, chosen)) return;
    target = chosen;
    updateData(false);
}

bool COutputLocationDlg::onCommand(int id, int code) {
    if (code == ui::BnClicked && id == IDC_OUTPUT_FILE_BROWSE) {
        browse(chain().output_text, "exe", kPackageFilter);
        return true;
    }
    if (code == ui::BnClicked && id == IDC_OUTPUT_PROJECT_BROWSE) {
        browse(chain().project_text, "wzp", kProjectFilter);
        return true;
    }
    return PageBase::onCommand(id, code);
}

int COutputLocationDlg::store(int interactive) {
    updateData(true);
    if (interactive) {
        std::string refused =
            wizard::pathTooLongMessage("output file", chain().output_text, std::strlen(builder::kPartSuffix));
        if (refused.empty())
            refused = wizard::pathTooLongMessage("project file", chain().project_text,
                                                 std::strlen(wizard::kProjectTempSuffix));
        if (!refused.empty()) {
            ui::Prompter().message(refused);
            return -1;
        }
    }
    wizard::ProjectRecord& r = record();
    r.output_page_done = wizard::kDone;
    r.output_file_path = chain().output_text;
    r.project_file_path = chain().project_text;
    return 0;
}

