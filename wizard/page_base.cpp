#include "wizard/page_base.h"

#include <stdexcept>

#include "wizard/help_launcher.h"
#include "platform/os/os.h"
#include "platform/ui/prompter.h"
#include "resources/tarnwick/resource.h"

namespace wizard {

ui::Fatal fatalFor(const std::string& code) {
    if (code == "p1 3 1") return ui::exitsWith(0);
    if (code == "p1 2 2") return ui::continues();
    if (code == "p1 m7") return ui::emptyCaption();
    return {};
}

PageBase::PageBase(PageSlot slot, PageRole role, PageButtons buttons, ui::Dialog* owner,
                   int templateId)
    : Dialog(templateId ? templateId : pageInfo(slot).resource, owner),
      slot_(slot),
      role_(role),
      buttons_(buttons) {}

ProjectRecord& PageBase::record() {
    if (!record_) {
        if (auto* self = dynamic_cast<ProjectRecord*>(this)) {
            record_ = self;
        } else {
            for (ui::Dialog* d = owner(); d && !record_; d = d->owner())
                record_ = dynamic_cast<ProjectRecord*>(d);
        }
        if (!record_) throw std::logic_error("a page runs without the project record");
    }
    return *record_;
}

bool PageBase::confirmCancel() { return ui::Prompter().ask(kCancelQuestion); }

bool PageBase::onInitDialog() {
    guardedCode(initCode(), [&] {
        setIcons(IDI_MAIN);
        if (role_ != PageRole::Plain && role_ != PageRole::Welcome) record();
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

bool PageBase::runNextPage(PageSlot slot) {
    std::unique_ptr<ui::Dialog> next = createPage(slot);
    if (!next) return false;
    if (next->runModal() == ui::IdCancel) os::exitProcess(kExitCancelled);
    return true;
}

void PageBase::onNext() {
    guardedCode(mainCode(), [&] {
        switch (role_) {
        case PageRole::MainChain:
        case PageRole::OutputLocation:
            if (store(1) == -1) return;
            // The file list page hides itself: the hub that follows never shows.
            if (slot_ == PageSlot::FileList) hide();
            if (!runNextPage(nextSlot(slot_)) && slot_ == PageSlot::FileList) show();
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
    if (slot_ == PageSlot::ProjectStart && r.project_start_done == kDone) return;
    if (slot_ == PageSlot::ProductInfo && r.product_page_done == kDone) return;
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
            if (hub_) hub_->back_requested = 1;
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
    const char* page = pageInfo(slot_).helpPage;
    if (!*page) return;
    const ProjectRecord& r = record();
    wizard::HelpLauncher(r.install_dir.str(), r.browser_path.str()).open(page);
}

}  // namespace wizard
