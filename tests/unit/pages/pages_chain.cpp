#include "tests/unit/pages/pages_chain.h"

#include <memory>

#include "platform/os/os.h"
#include "platform/ui/prompter.h"
#include "resources/tarnwick/resource.h"
#include "tests/unit/pages/resources/resource.h"

namespace pagestest {

CTestRoot::CTestRoot(wizard::Chain& chain)
    : PageBase(chain, {IDD_PAGES_ROOT, "", "", ""}, wizard::PageRole::Welcome, {IDC_PAGES_NEXT, 0, 0, 0}) {}

void CTestRoot::onNext() {
    hide();
    if (next) {
        next(*this);
    } else {
        std::unique_ptr<ui::Dialog> page = chain().pages.make(IDD_SOURCE_FOLDER, chain());
        lastResult = page->runModal();
        if (lastResult == ui::IdCancel) os::exitProcess(wizard::kExitCancelled);
    }
    show();
}

bool CTestRoot::onCommand(int id, int code) {
    if (id == IDC_PAGES_CONFIGURE && code == ui::BnClicked) {
        std::unique_ptr<ui::Dialog> panel = chain().pages.make(IDD_PANEL_CONFIG, chain(), this);
        lastResult = panel->runModal();
        return true;
    }
    return PageBase::onCommand(id, code);
}

std::vector<std::string>& stepLog() {
    static std::vector<std::string> log;
    return log;
}

namespace {
class CStepPage : public wizard::PageBase {
public:
    CStepPage(wizard::Chain& chain, std::string name, ui::Dialog* owner)
        : PageBase(chain, {IDD_PAGES_STEP, "", "", ""}, wizard::PageRole::HubPage,
                   {IDC_PAGES_NEXT, IDC_PAGES_BACK, ui::IdCancel, 0}, owner),
          name_(std::move(name)) {}
protected:
    void initPage() override { stepLog().push_back(name_); }
private:
    std::string name_;
};

const char* stepName(int dialog) {
    switch (dialog) {
    case IDD_INSTALL_OPTIONS: return "options";
    case IDD_DELIVERY_OPTIONS: return "delivery";
    case IDD_SHORTCUTS: return "shortcuts";
    case IDD_ENVIRONMENT: return "environment";
    case IDD_REGISTRY: return "registry";
    case IDD_SERVICES: return "services";
    case IDD_OUTPUT_LANGUAGE: return "language";
    case IDD_OUTPUT_LOCATION: return "output";
    default: return "?";
    }
}
}  // namespace

void PagesEnv::standIns(const std::vector<int>& dialogs) {
    stepLog().clear();
    for (int dialog : dialogs)
        chain.pages.replace(dialog, [dialog](wizard::Chain& c, ui::Dialog* owner) -> std::unique_ptr<ui::Dialog> {
            return std::make_unique<CStepPage>(c, stepName(dialog), owner);
        });
}

PagesEnv::PagesEnv() : savedDirectory(os::currentDirectory()) {
    os::setExitTrap(true);
    ui::setProgramName("Tarnwick");
    tree.mkdir("inst\\temp");
    tree.mkdir("inst\\bin");
    const std::string inst = tree.path("inst");
    rec.install_dir = inst;
    rec.list_file_path = inst + "\\temp\\list.txt";
    rec.registry_file_path = inst + "\\temp\\registry.txt";
    rec.shortcuts_file_path = inst + "\\temp\\shortcuts.txt";
    rec.option_file_path = inst + "\\temp\\option.txt";
    rec.panel_config_path = inst + "\\bin\\config.mnu";
    rec.lang_dir = inst + "\\lang\\";
    rec.project_opened = 0;
    setFlags("1011000");
}

PagesEnv::~PagesEnv() {
    os::setCurrentDirectory(savedDirectory);
    os::setExitTrap(false);
}

void PagesEnv::setFlags(const char* digits) {
    for (int i = 0; i < 7; ++i) rec.panel_flags[i] = digits[i] - '0';
}

int PagesEnv::run(const std::string& scenario, std::vector<ui::RecordedMessage>* messages) {
    ui::ScenarioRun run(ui::Scenario::parse(scenario, "test"));
    int result = 0;
    try {
        result = root.runModal();
    } catch (const os::ExitRequest& e) {
        result = e.code;
    }
    if (messages) *messages = run.messages();
    run.finish();
    return result;
}

std::string messageTexts(const std::vector<ui::RecordedMessage>& messages) {
    std::string all;
    for (const auto& m : messages) all += m.text + "|";
    return all;
}

}  // namespace pagestest
