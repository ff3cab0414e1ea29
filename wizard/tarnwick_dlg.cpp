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

CTarnwickDlg::CTarnwickDlg(PageList pages, ui::Dialog* owner, SplashStep splash, RunEnd how)
    : ChainOwner(std::move(pages), how),
      PageBase(ownedChain_, {IDD_WELCOME, "p1 1", "", "Bundlewright.html"}, PageRole::Welcome,
               {IDC_WELCOME_NEXT, 0, IDC_WELCOME_CANCEL, IDC_WELCOME_HELP}, owner),
      splash_(splash) {
    // Until config.mnu is read the flags hold the defaults, so a file that can
    // be neither read nor created still leaves them defined.
    for (int i = 0; i < kPanelFlagCount; ++i) record().panel_flags[i] = kDefaultPanelFlags[i];
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

WorkingPaths CTarnwickDlg::workingFilePaths() const { return workingPaths(record().install_dir.str()); }

int CTarnwickDlg::runSplash() { return splash_ ? splash_(chain(), this) : 0; }

void CTarnwickDlg::initPage() {
    ProjectRecord& r = record();
    std::string dir;
    auto refuse = [](const std::string& message) {
        ui::messageBox(message, "Bundlewright", ui::Buttons::Ok, ui::Icon::None);
        os::exitProcess(1);
    };
    if (!findInstallDir(dir)) refuse(kInstallDirMissing);
    if (dir.size() > kInstallDirMaxChars) refuse(installDirTooLongMessage(dir));
    r.install_dir = dir;
    r.browser_path = findBrowserCommand();

    const WorkingPaths paths = workingFilePaths();
    r.list_file_path = paths.list_file;
    r.registry_file_path = paths.registry_file;
    r.shortcuts_file_path = paths.shortcuts_file;
    r.option_file_path = paths.option_file;
    r.panel_config_path = paths.panel_config;
    r.lang_dir = paths.lang_dir;
    removeWorkingFiles(r);

    const LaunchRequest launch = parseLaunchCommandLine(os::commandLine());
    r.project_opened = launch.project_opened;
    if (launch.project_opened == 1) r.launch_project_path = launch.project_path;

    if (runSplash() == -1) {
        ui::messageBox(kSplashMissing, "Bundlewright", ui::Buttons::Ok, ui::Icon::None);
        os::exitProcess(0);
    }

    readPanelFlags(r.panel_config_path.str(), r.panel_flags);

    // The panel configuration dialog plugs in through the page list.
    enable(IDC_WELCOME_CONFIGURE, chain().pages.has(IDD_PANEL_CONFIG));
}

void CTarnwickDlg::onNext() {
    hide();
    if (!runNextPage()) show();
}

bool CTarnwickDlg::onCommand(int id, int code) {
    if (id == IDC_WELCOME_CONFIGURE && code == ui::BnClicked) {
        if (std::unique_ptr<ui::Dialog> panel = chain().pages.make(IDD_PANEL_CONFIG, chain(), this))
            panel->runModal();      // its result is not examined
        return true;
    }
    return PageBase::onCommand(id, code);
}

int CTarnwickDlg::focusControl() const { return IDC_WELCOME_NEXT; }

}  // namespace wizard
