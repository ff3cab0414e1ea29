// UnBundlewright's two windows. The main window (dialog 102) does the whole
// removal in its initialisation, before it is first shown, then reports the
// outcome; its Details button opens the Details window (dialog 135), which
// lists the failures from the failure list both windows locate through
// failureListPath().
#pragma once

#include <string>
#include <vector>

#include "platform/ui/dialog.h"
#include "uninstaller/removal_engine.h"

namespace uninstaller {

class CUninstallDlg : public ui::Dialog {
public:
    // commandLine: the whole line, program path first (os::commandLine()).
    explicit CUninstallDlg(std::string commandLine);

    const RemovalReport& report() const { return report_; }
    // The stages in the order the window marked them (for the tests' eyes).
    const std::vector<Stage>& stagesMarked() const { return marked_; }

protected:
    bool onInitDialog() override;
    bool onCommand(int id, int code) override;
    void onOk() override;
    void onCancel() override;

private:
    void markStage(Stage s);

    std::string commandLine_;
    RemovalReport report_;
    std::vector<Stage> marked_;
};

class CDetailsDlg : public ui::Dialog {
public:
    // failureList: where the main window's removal wrote its failures.
    CDetailsDlg(ui::Dialog* owner, std::string failureList);

protected:
    bool onInitDialog() override;

private:
    std::string failureList_;
};

// The program: the main window on the process's command line. Returns the
// exit code (every way out of the program ends with kExitCode).
int runUnBundlewright();

}  // namespace uninstaller
