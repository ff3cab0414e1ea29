#include "uninstaller/uninstall_dlg.h"

#include <cstdio>
#include <utility>

#include "platform/os/os.h"
#include "platform/ui/guarded.h"
#include "platform/ui/prompter.h"
#include "resources/uninstaller/resource.h"

namespace uninstaller {

namespace {

// The check-mark pictures beside the six category labels, and the stage
// whose end each one marks.
const struct {
    int picture;
    Stage stage;
} kChecks[] = {
    {IDC_CHECK_SHARED, Stage::Files},        {IDC_CHECK_STANDARD, Stage::Files},
    {IDC_CHECK_FOLDER_ITEMS, Stage::Shortcuts}, {IDC_CHECK_FOLDERS, Stage::Directories},
    {IDC_CHECK_DIRECTORIES, Stage::Directories}, {IDC_CHECK_REGISTRY, Stage::Registry},
};

Questions systemBoxes() {
    Questions q;
    q.message = [](const std::string& text, const std::string& caption) {
        ui::messageBox(text, caption, ui::Buttons::Ok, ui::Icon::None);
    };
    q.ask = [](const std::string& text, const std::string& caption) {
        return ui::messageBox(text, caption, ui::Buttons::YesNo, ui::Icon::Question) == ui::IdYes;
    };
    return q;
}

}  // namespace

CUninstallDlg::CUninstallDlg(std::string commandLine)
    : Dialog(IDD_UNINSTALL, nullptr), commandLine_(std::move(commandLine)) {}

bool CUninstallDlg::onInitDialog() {
    ui::guarded("u1 1", [&] {
        setIcons(IDI_MAIN);
        for (const auto& c : kChecks) showControl(c.picture, false);
        report_ = runUninstall(commandLine_, systemBoxes(), [&](Stage s) { markStage(s); });
        setText(IDC_STATUS, kStatusText);
        setText(IDC_RESULT, resultText(report_));
        showControl(IDC_DETAILS, detailsVisible(report_));
    });
    return true;
}

void CUninstallDlg::markStage(Stage s) {
    marked_.push_back(s);
    for (const auto& c : kChecks)
        if (c.stage == s) showControl(c.picture, true);
}

bool CUninstallDlg::onCommand(int id, int code) {
    if (id == IDC_DETAILS && code == ui::BnClicked) {
        ui::guarded("u1 2", [&] {
            CDetailsDlg details(this, report_);
            details.runModal();
        });
        return true;
    }
    return Dialog::onCommand(id, code);
}

void CUninstallDlg::onOk() { end(ui::IdOk); }

void CUninstallDlg::onCancel() { end(ui::IdCancel); }

CDetailsDlg::CDetailsDlg(ui::Dialog* owner, const RemovalReport& report) : Dialog(IDD_DETAILS, owner), report_(report) {}

bool CDetailsDlg::onInitDialog() {
    ui::guarded("u2 1", [&] {
        setIcons(IDI_MAIN);
        for (const std::string& line : detailsLines(report_)) addRow(IDC_FAILURES, line);
    });
    return true;
}

int runUnBundlewright() {
    const bool silent = silentRequested(os::commandLine());
    if (!os::hasAdministratorRights()) {
        std::fputs(kRightsMissing, stderr);
        std::fputc('\n', stderr);
        if (silent) return 3;
        ui::messageBox(kRightsMissing, std::string(kMessageCaption), ui::Buttons::Ok, ui::Icon::Error);
        return kExitCode;
    }
    if (silent) return runSilentUninstall(os::commandLine());
    ui::setProgramName(kCaption);
    CUninstallDlg main(os::commandLine());
    main.runModal();
    return kExitCode;
}

}  // namespace uninstaller
