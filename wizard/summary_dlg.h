// The summary and build page (dialog 143), run by the output location page's
// Next: the project at a glance and Build, which checks the target folders
// and the source folder, writes the project file, runs the package builder
// with this page's status line and progress bar, and shows the Finish page.
#pragma once

#include <string>
#include <vector>

#include "wizard/page_base.h"

namespace wizard {
inline constexpr char kNoSpaceMessage[] =
    "Space required to create the installation program is not available, delete unnecessary or temperory files "
    "and try again.";
inline constexpr char kNoOutputFolderMessage[] =
    "The directory where you have selected to create the output file does not exist.";
inline constexpr char kNoProjectFolderMessage[] =
    "The directory where you have selected to create the project file does not exist.";
inline constexpr char kNoSourceFolderMessage[] =
    "The source folder does not exist. You need to navigate to the source dialog and choose the existing source "
    "folder.";
inline constexpr char kSamePathMessage[] =
    "The project file and the output file are the same file. Choose another name for one of them.";
// The project file or registry.txt could not be written although their
// folders exist (the checks before passed): another program may hold it.
std::string notWrittenMessage(const std::string& what, const std::string& path);
// Listed files that are not there: how many, what the build does with them
// and their names: for the wizard one line with the first kMissingNamesShown,
// for twk build (`all`) each on a line of its own.
inline constexpr std::size_t kMissingNamesShown = 5;
std::string missingFilesMessage(const std::vector<std::string>& missing, bool stopped, bool all);
}  // namespace wizard

class CSummaryDlg : public wizard::PageBase {
public:
    explicit CSummaryDlg(wizard::Chain& chain, ui::Dialog* owner = nullptr);

    std::string summary_text;
    std::string status_text;

    // Build's checks, in order; the message of the first that fails, "" when
    // all pass. Nothing that exists is changed by them.
    std::string checkTargets();

protected:
    void initPage() override;
    bool onCommand(int id, int code) override;
    void doDataExchange(Exchange& dx) override;
    int focusControl() const override;
    void onPaint() override;

private:
    class Progress;
    void build();
    void enableButtons(bool on);

    // What the earlier pages published in the chain.
    const std::string& outputText() const { return chain().output_text; }
    const std::string& projectText() const { return chain().project_text; }
    const std::string& sourceFolder() const { return chain().source_text; }
    double requiredSpace() const { return chain().required_space; }
    int fileCount() const { return chain().file_count; }
};

// The Finish page (dialog 157): two pictures and "&Finish", which ends the
// run with exit code 1; Esc ends it with 0.
class CFinishDlg : public wizard::PageBase {
public:
    explicit CFinishDlg(wizard::Chain& chain, ui::Dialog* owner = nullptr);

protected:
    void initPage() override;
    bool onCommand(int id, int code) override;
    void onCancel() override;
};
