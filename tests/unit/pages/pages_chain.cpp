#include "tests/unit/pages/pages_chain.h"

#include <memory>

#include "platform/os/os.h"
#include "platform/ui/prompter.h"
#include "tests/unit/pages/resources/resource.h"

namespace pagestest {

CTestRoot::CTestRoot()
    : PageBase(wizard::PageSlot::Welcome, wizard::PageRole::Welcome, {IDC_PAGES_NEXT, 0, 0, 0}, nullptr,
               IDD_PAGES_ROOT) {}

void CTestRoot::onNext() {
    hide();
    if (next) {
        next(*this);
    } else {
        std::unique_ptr<ui::Dialog> page = wizard::createPage(wizard::PageSlot::SourceFolder);
        lastResult = page->runModal();
        if (lastResult == ui::IdCancel) os::exitProcess(wizard::kExitCancelled);
    }
    show();
}

bool CTestRoot::onCommand(int id, int code) {
    if (id == IDC_PAGES_CONFIGURE && code == ui::BnClicked) {
        std::unique_ptr<ui::Dialog> panel = wizard::createPage(wizard::PageSlot::PanelConfig, this);
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
    CStepPage(wizard::PageSlot slot, ui::Dialog* owner)
        : PageBase(slot, wizard::PageRole::HubPage, {IDC_PAGES_NEXT, IDC_PAGES_BACK, ui::IdCancel, 0}, owner,
                   IDD_PAGES_STEP) {}
protected:
    void initPage() override { stepLog().push_back(pageName()); }
    std::string pageName() const {
        switch (slot()) {
        case wizard::PageSlot::InstallOptions: return "options";
        case wizard::PageSlot::DeliveryOptions: return "delivery";
        case wizard::PageSlot::Shortcuts: return "shortcuts";
        case wizard::PageSlot::Environment: return "environment";
        case wizard::PageSlot::Registry: return "registry";
        case wizard::PageSlot::Services: return "services";
        case wizard::PageSlot::OutputLanguage: return "language";
        case wizard::PageSlot::OutputLocation: return "output";
        default: return "?";
        }
    }
};
}  // namespace

StandIns::StandIns(const std::vector<wizard::PageSlot>& slots) {
    stepLog().clear();
    for (wizard::PageSlot slot : slots)
        overrides_.push_back(std::make_unique<wizard::PageOverride>(
            slot, [slot](ui::Dialog* owner) -> std::unique_ptr<ui::Dialog> {
                return std::make_unique<CStepPage>(slot, owner);
            }));
}

PagesEnv::PagesEnv() : savedDirectory(os::currentDirectory()) {
    os::setExitTrap(true);
    ui::setProgramName("Tarnwick");
    tree.mkdir("inst\\temp");
    tree.mkdir("inst\\bin");
    const std::string inst = tree.path("inst");
    root.install_dir = inst;
    root.list_file_path = inst + "\\temp\\list.txt";
    root.registry_file_path = inst + "\\temp\\registry.txt";
    root.shortcuts_file_path = inst + "\\temp\\shortcuts.txt";
    root.option_file_path = inst + "\\temp\\option.txt";
    root.panel_config_path = inst + "\\bin\\config.mnu";
    root.lang_dir = inst + "\\lang\\";
    root.project_opened = 0;
    setFlags("1011000");
}

PagesEnv::~PagesEnv() {
    os::setCurrentDirectory(savedDirectory);
    os::setExitTrap(false);
}

void PagesEnv::setFlags(const char* digits) {
    for (int i = 0; i < 7; ++i) root.panel_flags[i] = digits[i] - '0';
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
