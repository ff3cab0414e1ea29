#include "wizard/tarnwick_dlg.h"

#include <string>

#include "platform/os/os.h"
#include "platform/ui/prompter.h"
#include "resources/tarnwick/resource.h"
#include "wizard/startup.h"

namespace wizard {

Point minimisedIconOrigin(int clientWidth, int clientHeight, int iconWidth, int iconHeight) {
    return {(clientWidth - iconWidth + 1) / 2, (clientHeight - iconHeight + 1) / 2};
}

CTarnwickDlg::CTarnwickDlg(ui::Dialog* owner, SplashStep splash)
    : PageBase(PageSlot::Welcome, PageRole::Welcome,
               {IDC_WELCOME_NEXT, 0, IDC_WELCOME_CANCEL, IDC_WELCOME_HELP}, owner),
      splash_(splash) {
    // Until config.mnu is read the flags hold the defaults, so a file that can
    // be neither read nor created still leaves them defined.
    for (int i = 0; i < kPanelFlagCount; ++i) panel_flags[i] = kDefaultPanelFlags[i];
}

void CTarnwickDlg::onPaint() {
    iconDrawn_ = isMinimized();
    if (iconDrawn_) {
        const Size client = clientSize(), icon = iconSize();
        iconAt_ = minimisedIconOrigin(client.width, client.height, icon.width, icon.height);
        drawProgramIcon(iconAt_.x, iconAt_.y);
    }
    focus(IDC_WELCOME_NEXT);
}

WorkingPaths CTarnwickDlg::workingFilePaths() const { return workingPaths(install_dir.str()); }

int CTarnwickDlg::runSplash() { return splash_ ? splash_(install_dir.str(), this) : 0; }

void CTarnwickDlg::initPage() {
    std::string dir;
    auto refuse = [](const std::string& message) {
        ui::messageBox(message, "Bundlewright", ui::Buttons::Ok, ui::Icon::None);
        os::exitProcess(1);
    };
    if (!findInstallDir(dir)) refuse(kInstallDirMissing);
    if (dir.size() > kInstallDirMaxChars) refuse(installDirTooLongMessage(dir));
    install_dir = dir;
    browser_path = findBrowserCommand();

    const WorkingPaths paths = workingFilePaths();
    list_file_path = paths.list_file;
    registry_file_path = paths.registry_file;
    shortcuts_file_path = paths.shortcuts_file;
    option_file_path = paths.option_file;
    panel_config_path = paths.panel_config;
    lang_dir = paths.lang_dir;
    // Working files an earlier run left behind without a build belong to
    // another project: a package carries only what this run's pages write.
    for (const PathText* f : {&list_file_path, &registry_file_path, &shortcuts_file_path, &option_file_path})
        os::deleteFile(f->str());

    const LaunchRequest launch = parseLaunchCommandLine(os::commandLine());
    project_opened = launch.project_opened;
    if (launch.project_opened == 1) launch_project_path = launch.project_path;

    if (runSplash() == -1) {
        ui::messageBox(kSplashMissing, "Bundlewright", ui::Buttons::Ok, ui::Icon::None);
        os::exitProcess(0);
    }

    readPanelFlags(panel_config_path.str(), panel_flags);

    // The panel configuration dialog plugs in through the page table.
    enable(IDC_WELCOME_CONFIGURE, hasPage(PageSlot::PanelConfig));
}

void CTarnwickDlg::onNext() {
    hide();
    if (!runNextPage(PageSlot::ProjectStart)) show();
}

bool CTarnwickDlg::onCommand(int id, int code) {
    if (id == IDC_WELCOME_CONFIGURE && code == ui::BnClicked) {
        if (std::unique_ptr<ui::Dialog> panel = createPage(PageSlot::PanelConfig, this))
            panel->runModal();      // its result is not examined
        return true;
    }
    return PageBase::onCommand(id, code);
}

int CTarnwickDlg::focusControl() const { return IDC_WELCOME_NEXT; }

}  // namespace wizard
