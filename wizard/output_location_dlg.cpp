#include "wizard/output_location_dlg.h"

#include "pages/file_list_dlg.h"
#include "pages/source_folder_dlg.h"
#include "platform/ui/prompter.h"
#include "resources/tarnwick/resource.h"
#include "wizard/product_info_dlg.h"
#include "wizard/project_start_dlg.h"

namespace {
constexpr const char* kPackageFilter = "Selfextracting executable|*.exe||";
constexpr const char* kProjectFilter = "Bundlewright project files|*.wzp||";
}  // namespace

COutputLocationDlg::COutputLocationDlg(ui::Dialog* owner)
    : PageBase(wizard::PageSlot::OutputLocation, wizard::PageRole::OutputLocation,
               {IDC_OUTPUT_LOCATION_NEXT, IDC_OUTPUT_LOCATION_BACK, ui::IdCancel, IDC_OUTPUT_LOCATION_HELP},
               owner) {}

void COutputLocationDlg::doDataExchange(Exchange& dx) {
    dx.text(IDC_OUTPUT_FILE_EDIT, output_text);
    dx.text(IDC_OUTPUT_PROJECT_EDIT, project_text);
}

std::string COutputLocationDlg::projectName() const { return start_ ? start_->new_project_name : std::string(); }

void COutputLocationDlg::initPage() {
    // The hub hands this page the file list page as owner; the others stand below it.
    fileList_ = ownerPage<pages::CFileListDlg>();
    source_ = ownerPage<pages::CSourceFolderDlg>(8);
    product_ = ownerPage<CProductInfoDlg>(8);
    start_ = ownerPage<CProjectStartDlg>(8);
    const wizard::ProjectRecord& r = record();
    if (r.project_opened == 1 || r.output_page_done == wizard::kDone) {
        output_text = r.output_file_path.str();
        project_text = r.project_file_path.str();
    } else {
        const std::string base = r.install_dir.str() + "\\";
        output_text = base + "output\\" + projectName() + ".exe";
        project_text = base + "projects\\" + projectName() + ".wzp";
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
        browse(output_text, "exe", kPackageFilter);
        return true;
    }
    if (code == ui::BnClicked && id == IDC_OUTPUT_PROJECT_BROWSE) {
        browse(project_text, "wzp", kProjectFilter);
        return true;
    }
    return PageBase::onCommand(id, code);
}

int COutputLocationDlg::store(int) {
    updateData(true);
    wizard::ProjectRecord& r = record();
    r.output_page_done = wizard::kDone;
    r.output_file_path = output_text;
    r.project_file_path = project_text;
    return 0;
}

