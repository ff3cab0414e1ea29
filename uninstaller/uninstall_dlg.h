// UnBundlewright's two windows. The main window (dialog 102) does the whole
// removal in its initialisation, before it is first shown, then reports the
// outcome; its Details button opens the Details window (dialog 135), which
// lists the failures the main window's removal kept.
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
    // report: the main window's removal, whose failures it lists.
    CDetailsDlg(ui::Dialog* owner, const RemovalReport& report);

protected:
    bool onInitDialog() override;

private:
    const RemovalReport& report_;
};

// The program: the main window on the process's command line. Returns the
// exit code (every way out of the program ends with kExitCode).
int runUnBundlewright();

}  // namespace uninstaller
