#include "wizard/page_base.h"

#include "wizard/help_launcher.h"
#include "platform/ui/prompter.h"
#include "resources/tarnwick/resource.h"

namespace wizard {

ui::Fatal fatalFor(const std::string& code) {
    if (code == "p1 3 1") return ui::exitsWith(0);
    if (code == "p1 2 2") return ui::continues();
    if (code == "p1 m7") return ui::emptyCaption();
    return {};
}

PageBase::PageBase(Chain& chain, PageInfo info, PageRole role, PageButtons buttons, ui::Dialog* owner,
                   int templateId)
    : Dialog(templateId ? templateId : info.dialog, owner),
      chain_(chain),
      info_(info),
      role_(role),
      buttons_(buttons) {}

bool PageBase::confirmCancel() { return ui::Prompter().ask(kCancelQuestion); }

bool PageBase::onInitDialog() {
    guardedCode(initCode(), [&] {
        setIcons(IDI_MAIN);
        initPage();
        const bool hidesOwner = role_ == PageRole::MainChain || role_ == PageRole::HubPage ||
                                role_ == PageRole::OutputLocation || role_ == PageRole::Summary;
        if (hidesOwner && owner()) owner()->hide();
    });
    return true;
}

bool PageBase::onCommand(int id, int code) {
    if (code == ui::BnClicked && id != 0) {
        if (id == buttons_.next) { onNext(); return true; }
        if (id == buttons_.back) { onBack(); return true; }
        if (id == buttons_.help) { onHelp(); return true; }
        if (id == buttons_.cancel && id != ui::IdCancel) {
            if (confirmCancel()) end(ui::IdCancel);
            return true;
        }
    }
    return Dialog::onCommand(id, code);
}

void PageBase::onCancel() {
    if (role_ == PageRole::Plain || confirmCancel()) end(ui::IdCancel);
}

void PageBase::onPaint() {
    const int id = focusControl();
    if (id && hasControl(id)) focus(id);
}

bool PageBase::runPage(std::unique_ptr<ui::Dialog> page) {
    if (!page) return false;
    const int result = page->runModal();
    if (!chain_.ended() && result == ui::IdCancel) chain_.end(kExitCancelled);
    if (chain_.ended()) end(ui::IdCancel);
    return true;
}

void PageBase::onNext() {
    guardedCode(mainCode(), [&] {
        switch (role_) {
        case PageRole::MainChain:
        case PageRole::OutputLocation:
            if (store(1) == -1) return;
            runNextPage();
            return;
        case PageRole::HubPage:
            if (store(1) != -1) end(1);
            return;
        default:
            return;
        }
    });
}

void PageBase::storeForBack() {
    const ProjectRecord& r = record();
    if (info_.dialog == IDD_PROJECT_START && r.project_start_done == kDone) return;
    if (info_.dialog == IDD_PRODUCT_INFO && r.product_page_done == kDone) return;
    (void)store(0);
}

void PageBase::onBack() {
    guardedCode(mainCode(), [&] {
        switch (role_) {
        case PageRole::MainChain:
            storeForBack();
            if (owner()) owner()->show();
            end(kBackResult);
            return;
        case PageRole::HubPage:
        case PageRole::OutputLocation:
            if (store(role_ == PageRole::OutputLocation ? 0 : 1) == -1) return;
            hub().back_requested = 1;
            end(kBackResult);
            return;
        case PageRole::Summary:
            if (owner()) owner()->show();
            end(kBackResult);
            return;
        default:
            return;
        }
    });
}

void PageBase::onHelp() {
    if (!*info_.helpPage) return;
    const ProjectRecord& r = record();
    wizard::HelpLauncher(r.install_dir.str(), r.browser_path.str()).open(info_.helpPage);
}

}  // namespace wizard
