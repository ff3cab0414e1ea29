#include "pages/shortcuts_dlg.h"

#include <cstdio>

#include "platform/os/text.h"
#include "platform/os/os.h"
#include "platform/ui/prompter.h"
#include "resources/tarnwick/resource.h"

namespace pages {

namespace {

constexpr int kTree = IDC_SHORTCUTS_TREE;
constexpr int kInputs[] = {IDC_SHORTCUTS_NAME, IDC_SHORTCUTS_TARGET, IDC_SHORTCUTS_ARGUMENTS, IDC_SHORTCUTS_SET};
constexpr char kMsgFileNotOpened[] = "Shortcut file cant be opened";
constexpr char kRightClickCode[] = "p1 8 2 1";

int imageOf(int kind) { return kind == kKindShortcut ? 1 : 0; }

}  // namespace

CShortcutsDlg::CShortcutsDlg(wizard::Chain& chain, ui::Dialog* owner)
    : PageBase(chain, {IDD_SHORTCUTS, "", "p1 8 2", "Bundlewright6.html"}, wizard::PageRole::HubPage,
               {IDC_SHORTCUTS_NEXT, IDC_SHORTCUTS_BACK, ui::IdCancel, IDC_SHORTCUTS_HELP}, owner) {}

void CShortcutsDlg::doDataExchange(Exchange& dx) {
    dx.text(IDC_SHORTCUTS_NAME, name_);
    dx.text(IDC_SHORTCUTS_TARGET, target_);
    dx.text(IDC_SHORTCUTS_ARGUMENTS, arguments_);
}

int CShortcutsDlg::focusControl() const { return IDC_SHORTCUTS_CREATE; }

void CShortcutsDlg::enableInputs(bool on) {
    for (int id : kInputs) enable(id, on);
}

void CShortcutsDlg::clearInputs() {
    name_.clear();
    target_.clear();
    arguments_.clear();
}

int CShortcutsDlg::selectedEntry() const { return tree_.findItem(tvSelected(kTree)); }

void CShortcutsDlg::insertRoots() {
    for (int i = 0; i < kRootCount; ++i)
        tree_[i].item = tvInsert(kTree, i ? tree_[i - 1].item : 0, tree_[i].label.str(), 0, 0);
}

void CShortcutsDlg::initPage() {
    tvSetImages(kTree, IDI_TREE_FOLDER, IDI_TREE_SHORTCUT);
    insertRoots();
    enableInputs(false);
    const wizard::ProjectRecord& r = record();
    if (r.project_opened == 1 || r.shortcuts_page_done == wizard::kDone) {
        if (r.uninstall_shortcut == 1) setCheck(IDC_SHORTCUTS_UNINSTALL, 1);
        if (r.shortcuts_enabled == 1) {
            for (int i = 0; i < kRootCount; ++i) tvExpand(kTree, tree_[i].item);
            rebuild(r.shortcuts_text.value_or(std::string()));
            setCheck(IDC_SHORTCUTS_CREATE, 1);
            return;
        }
    }
    // The default folder, named after the product, under "Programs".
    defaultFolder_ = tree_.add(kRootPrograms, kKindFolder, r.product_name.str());
    tree_[defaultFolder_].item = tvInsert(kTree, tree_[kRootPrograms].item, r.product_name.str(), 0, 0);
    enable(kTree, false);
}

void CShortcutsDlg::rebuild(const std::string& text) {
    for (int i : tree_.restore(text)) {
        ShortcutEntry& e = tree_[i];
        const ui::TreeItem parent = tree_[e.parent].item;
        e.item = tvInsert(kTree, parent, e.label.str(), imageOf(e.kind), imageOf(e.kind), ui::TreeInsert::Sorted);
        tvExpand(kTree, parent);
    }
}

void CShortcutsDlg::createClicked() {
    updateData(true);
    if (checked(IDC_SHORTCUTS_CREATE) == 1) {
        for (int i = 0; i < kRootCount; ++i) tvExpand(kTree, tree_[i].item);
        if (tree_.isLive(defaultFolder_)) tvExpand(kTree, tree_[defaultFolder_].item);
        enable(kTree);
        setDefaultButton(IDC_SHORTCUTS_SET);
    } else {
        setDefaultButton(IDC_SHORTCUTS_NEXT);
        tvExpand(kTree, tree_[kRootDesktop].item, false);
        enable(kTree, false);
    }
    updateData(false);
}

void CShortcutsDlg::rightClick() {
    const ui::TreeItem item = tvHitTest(kTree);
    if (!item) return;
    tvSelect(kTree, item);
    const int e = tree_.findItem(item);
    if (e < 0) return;
    std::vector<int> grayed;
    if (tree_[e].fixed) grayed = {ID_SHORTCUTS_DELETE, ID_SHORTCUTS_RENAME};
    if (tree_[e].kind == kKindShortcut) grayed = {ID_SHORTCUTS_NEW_FOLDER, ID_SHORTCUTS_NEW_SHORTCUT};
    if (const int command = popupMenu(IDR_SHORTCUTS_MENU, 0, grayed)) menuCommand(command);
}

void CShortcutsDlg::menuCommand(int command) {
    switch (command) {
    case ID_SHORTCUTS_NEW_FOLDER: newItem(kKindFolder); return;
    case ID_SHORTCUTS_NEW_SHORTCUT: newItem(kKindShortcut); return;
    case ID_SHORTCUTS_DELETE: deleteSelected(); return;
    case ID_SHORTCUTS_RENAME: {
        const int e = selectedEntry();
        // The roots keep their labels: the written paths name shell places by them.
        if (e >= 0 && !tree_[e].fixed) tvEditLabel(kTree, tree_[e].item);
        return;
    }
    default: return;
    }
}

void CShortcutsDlg::newItem(int kind) {
    updateData(true);
    const ui::TreeItem parentItem = tvSelected(kTree);
    const int parent = tree_.findItem(parentItem);
    if (parent < 0 || tree_[parent].kind != kKindFolder) return;
    if (tree_.full()) {
        ui::Prompter().message(kMsgTreeFull);
        return;
    }
    clearInputs();
    const bool shortcut = kind == kKindShortcut;
    const int e = shortcut ? tree_.add(parent, kKindShortcut, kNewShortcutLabel, kNewShortcutTarget)
                           : tree_.add(parent, kKindFolder, kNewFolderLabel);
    tree_[e].item = tvInsert(kTree, parentItem, tree_[e].label.str(), imageOf(kind), imageOf(kind),
                             shortcut ? ui::TreeInsert::Sorted : ui::TreeInsert::Last);
    if (shortcut) {
        enableInputs(true);
        name_ = kNewShortcutLabel;
        target_ = kNewShortcutTarget;
        focus(IDC_SHORTCUTS_TARGET);
    }
    tvExpand(kTree, parentItem);
    tvSelect(kTree, tree_[e].item);
    tvEditLabel(kTree, tree_[e].item);
    updateData(false);
}

void CShortcutsDlg::deleteSelected() {
    const int e = selectedEntry();
    if (e < 0 || tree_[e].fixed) return;
    const ui::TreeItem item = tree_[e].item;
    tree_.remove(e);
    tvDelete(kTree, item);
    // The fields must not stay filled from an entry that is gone.
    showSelection();
}

void CShortcutsDlg::showSelection() {
    const int e = selectedEntry();
    const bool shortcut = e >= 0 && tree_[e].kind == kKindShortcut;
    enableInputs(shortcut);
    if (shortcut) {
        name_ = tree_[e].name.str();
        target_ = tree_[e].target.str();
        arguments_ = tree_[e].arguments.str();
    } else {
        clearInputs();
    }
    updateData(false);
}

void CShortcutsDlg::set() {
    updateData(true);
    if (const char* fault = shortcutFieldsFault(name_, target_, arguments_)) {
        ui::Prompter().message(fault);
        return;
    }
    const int e = selectedEntry();
    if (e >= 0 && tree_[e].kind == kKindShortcut) {
        tree_[e].name = name_;
        tree_[e].target = target_;
        tree_[e].arguments = arguments_;
    }
    clearInputs();
    enableInputs(false);
    focus(kTree);
    updateData(false);
}

bool CShortcutsDlg::endLabelEdit(const ui::Notify& n) {
    if (n.cancelled) return false;
    // A tree may end a refused edit once more (when it loses the focus) with
    // the same text: that end is refused without a second message.
    if (refusedItem_ && refusedItem_ == n.item && refusedText_ == n.text) return false;
    const int e = tree_.findItem(n.item);
    if (e < 0) return false;
    const char* fault = tree_[e].fixed ? kMsgRootLabel : labelFault(n.text);
    if (fault) {
        refusedItem_ = n.item;
        refusedText_ = n.text;
        ui::Prompter().message(fault);
        return false;
    }
    refusedItem_ = 0;
    tree_[e].label = n.text;
    return true;
}

bool CShortcutsDlg::onNotify(int id, const ui::Notify& n) {
    if (id != kTree) return PageBase::onNotify(id, n);
    bool result = false;
    switch (n.code) {
    case ui::Notify::RightClick:
        wizard::guardedCode(kRightClickCode, [&] { rightClick(); });
        return true;
    case ui::Notify::Click:
        wizard::guardedCode(mainCode(), [&] {
            if (const ui::TreeItem item = tvHitTest(kTree)) tvSelect(kTree, item);
            showSelection();
        });
        return false;
    case ui::Notify::SelChanged:
        wizard::guardedCode(mainCode(), [&] { showSelection(); });
        return false;
    case ui::Notify::BeginLabelEdit: {
        refusedItem_ = 0;
        // true cancels the edit: the roots keep their labels.
        const int e = tree_.findItem(n.item);
        return e >= 0 && tree_[e].fixed;
    }
    case ui::Notify::EndLabelEdit:
        wizard::guardedCode(mainCode(), [&] { result = endLabelEdit(n); });
        return result;
    default:
        return false;
    }
}

bool CShortcutsDlg::onCommand(int id, int code) {
    if (id == IDC_SHORTCUTS_CREATE && code == ui::BnClicked) {
        wizard::guardedCode(mainCode(), [&] { createClicked(); });
        return true;
    }
    if (id == IDC_SHORTCUTS_SET && code == ui::BnClicked) {
        wizard::guardedCode(mainCode(), [&] { set(); });
        return true;
    }
    if (id >= ID_SHORTCUTS_NEW_FOLDER && id <= ID_SHORTCUTS_RENAME) {
        wizard::guardedCode(mainCode(), [&] { menuCommand(id); });
        return true;
    }
    return PageBase::onCommand(id, code);
}

int CShortcutsDlg::store(int interactive) {
    (void)interactive;   // the file message shows in both modes
    updateData(true);
    wizard::ProjectRecord& r = record();
    const std::string path = r.shortcuts_file_path.str();
    FILE* f = os::openFile(path, "wb");
    if (!f) {
        ui::Prompter().message(kMsgFileNotOpened);
        return -1;
    }
    const bool create = checked(IDC_SHORTCUTS_CREATE) == 1;
    const bool uninstall = checked(IDC_SHORTCUTS_UNINSTALL) == 1;
    std::string firstFolder;
    bool written = true;
    if (create) {
        const std::string lines = tree_.linesText(&firstFolder);
        written = std::fwrite(lines.data(), 1, lines.size(), f) == lines.size();
    }
    written = std::fclose(f) == 0 && written;
    if (!written) {
        ui::Prompter().message(kMsgFileNotOpened);
        return -1;
    }
    if (!create) os::deleteFile(path);
    r.shortcuts_page_done = wizard::kDone;
    r.shortcuts_enabled = create ? 1 : 0;
    r.uninstall_shortcut = uninstall ? 1 : 0;
    std::string bytes;
    if (os::readWholeFile(path, bytes)) r.shortcuts_text = bytes;
    if (uninstall) {
        const std::string lines = uninstallLines(uninstallFolder(firstFolder, record().product_name.str()));
        if (FILE* a = os::openFile(path, "ab")) {
            std::fwrite(lines.data(), 1, lines.size(), a);
            std::fclose(a);
        }
    }
    hide();
    return 0;
}

}  // namespace pages
