#include "wizard/project_start_dlg.h"

#include "platform/os/os.h"
#include "platform/ui/prompter.h"
#include "resources/tarnwick/resource.h"
#include "wizard/project_file.h"
#include "wizard/project_file_format.h"
#include "wizard/project_file_texts.h"
#include "wizard/startup.h"

namespace {

constexpr char kNoName[] = "You must enter the project name";
constexpr char kNoPath[] = "You must select the project name";
constexpr char kFilter[] = "Bundlewright project files|*.wzp||";

// The loader's messages as the page shows them: the fault code as a fatal
// code box that lets the page go on, the others as user messages.
struct PageMessages : wizard::Messages {
    void show(const std::string& text, const std::string& caption) override {
        if (text == wizard::wzp::kLoadFaultCode) ui::reportFatal(text, ui::continues());
        else ui::messageBox(text, caption);
    }
};

}  // namespace

CProjectStartDlg::CProjectStartDlg(wizard::Chain& chain, ui::Dialog* owner)
    : PageBase(chain, {IDD_PROJECT_START, "p1 2 1", "p1 2 2", "Bundlewright1.html"}, wizard::PageRole::MainChain,
               {IDC_PROJECT_NEXT, IDC_PROJECT_BACK, IDC_PROJECT_CANCEL, IDC_PROJECT_HELP}, owner) {}

void CProjectStartDlg::doDataExchange(Exchange& dx) {
    dx.text(IDC_PROJECT_NAME, chain().new_project_name);
    dx.text(IDC_PROJECT_PATH, open_project_path);
}

void CProjectStartDlg::initPage() {
    wizard::ProjectRecord& r = record();
    if (r.project_opened == 1) {
        setCheck(IDC_PROJECT_OPEN, 1);
        setCheck(IDC_PROJECT_NEW, 0);
        enable(IDC_PROJECT_NAME, false);
        setText(IDC_PROJECT_PATH, r.launch_project_path.str());
    } else {
        setCheck(IDC_PROJECT_NEW, 1);
        setCheck(IDC_PROJECT_OPEN, 0);
        if (r.project_start_done == wizard::kDone) setText(IDC_PROJECT_NAME, r.launch_project_path.str());
        enable(IDC_PROJECT_BROWSE, false);
        enable(IDC_PROJECT_PATH, false);
    }
}

bool CProjectStartDlg::newSelected() const { return checked(IDC_PROJECT_NEW) == 1; }

int CProjectStartDlg::focusControl() const { return newSelected() ? IDC_PROJECT_NAME : IDC_PROJECT_PATH; }

bool CProjectStartDlg::onCommand(int id, int code) {
    if (code == ui::BnClicked) {
        if (id == IDC_PROJECT_OPEN) { selectOpen(); return true; }
        if (id == IDC_PROJECT_NEW) { selectNew(); return true; }
        if (id == IDC_PROJECT_BROWSE) { browse(); return true; }
    }
    return PageBase::onCommand(id, code);
}

void CProjectStartDlg::selectOpen() {
    setCheck(IDC_PROJECT_OPEN, 1);
    setCheck(IDC_PROJECT_NEW, 0);
    enable(IDC_PROJECT_PATH, true);
    enable(IDC_PROJECT_BROWSE, true);
    setText(IDC_PROJECT_NAME, "");
    enable(IDC_PROJECT_NAME, false);
    focus(IDC_PROJECT_PATH);
}

void CProjectStartDlg::selectNew() {
    setCheck(IDC_PROJECT_NEW, 1);
    setCheck(IDC_PROJECT_OPEN, 0);
    setText(IDC_PROJECT_PATH, "");
    enable(IDC_PROJECT_PATH, false);
    enable(IDC_PROJECT_BROWSE, false);
    enable(IDC_PROJECT_NAME, true);
    focus(IDC_PROJECT_NAME);
}

void CProjectStartDlg::browse() {
    ui::FileDialog how;
    how.filter = kFilter;
    std::string path;
    if (!ui::openFileDialog(how, path)) path.clear();
    setText(IDC_PROJECT_PATH, path);
}

int CProjectStartDlg::store(int interactive) {
    updateData(true);
    const bool opening = !newSelected();
    const std::string& taken = opening ? open_project_path : chain().new_project_name;
    if (taken.empty()) {
        if (interactive) ui::Prompter().message(opening ? kNoPath : kNoName);
        return -1;
    }
    // The record's slot holds 259 characters: a longer path would open another
    // file, a longer name would give cut file names. A backquote in the name
    // would reach the output and project file paths, which the project file
    // cannot carry.
    wizard::TextFault fault = wizard::TextFault::None;
    if (taken.size() > wizard::kMaxLineLength) fault = wizard::TextFault::TooLong;
    else if (!opening && taken.find(wizard::wzp::kFieldSeparator) != std::string::npos) fault = wizard::TextFault::Backquote;
    if (fault != wizard::TextFault::None) {
        if (interactive)
            ui::Prompter().message(wizard::plainFieldMessage(opening ? "project file path" : "project name", fault));
        return -1;
    }
    wizard::ProjectRecord& r = record();
    r.project_opened = opening ? 1 : 0;
    r.launch_project_path = taken;
    r.project_start_done = wizard::kDone;
    if (!opening) return 0;
    // What an earlier project of this run left in the record and the
    // working files is not this project's.
    if (os::fileExists(taken)) {
        r.startProject();
        wizard::removeWorkingFiles(r);
    }
    PageMessages messages;
    const wizard::LoadStatus status = wizard::loadProjectFile(r, messages);
    if (status == wizard::kInvalid) os::exitProcess(1);
    return status == wizard::kNotFound ? -1 : 0;
}

