#include "wizard/summary_dlg.h"

#include <algorithm>
#include <chrono>
#include <cstdint>

#include "builder/package_builder.h"
#include "platform/os/os.h"
#include "platform/os/text.h"
#include "platform/ui/prompter.h"
#include "resources/tarnwick/resource.h"
#include "wizard/project_file.h"
#include "wizard/registry_append.h"
#include "wizard/summary_text.h"

namespace wizard {
std::string notWrittenMessage(const std::string& what, const std::string& path) {
    return "The " + what + " " + path +
           " could not be written. Close any program that has it open, then press Build again.";
}

std::string missingFilesMessage(const std::vector<std::string>& missing, bool stopped, bool all) {
    const std::size_t n = missing.size();
    std::string text = std::to_string(n) + (n == 1 ? " listed file was" : " listed files were") + " not found";
    text += stopped ? ", so no package was built:" : " and left out of the package:";
    if (all) {   // twk build: one name a line
        for (const std::string& name : missing) text += "\n  " + name;
        return text + (stopped ? "\nRestore them or remove them from the file list, or build with --allow-missing."
                               : "");
    }
    const std::size_t shown = std::min(n, kMissingNamesShown);
    for (std::size_t i = 0; i < shown; ++i) text += (i ? ", " : " ") + missing[i];
    if (shown < n) text += " and " + std::to_string(n - shown) + " more";
    return text + ". Restore them or remove them from the file list, then build again.";
}
}  // namespace wizard

namespace {

// The folder part of a path, with its trailing backslash ("" when none).
std::string folderOf(const std::string& path) {
    const std::size_t at = path.find_last_of('\\');
    return at == std::string::npos ? std::string() : path.substr(0, at + 1);
}

// Whether a file can be written at `path` without destroying anything: an
// existing file is opened for update (not truncated), the folder is tried
// with the side file Build writes first (`path` + `suffix`), removed again
// only when this check made it.
bool canWriteFile(const std::string& path, const char* suffix) {
    if (path.empty() || os::directoryExists(path)) return false;
    if (os::fileExists(path)) {
        FILE* f = os::openFile(path, "r+b");
        if (!f) return false;
        std::fclose(f);
    }
    const std::string probe = path + suffix;
    const bool existed = os::fileExists(probe);
    FILE* f = os::openFile(probe, "ab");
    if (!f) return false;
    std::fclose(f);
    if (!existed) os::deleteFile(probe);
    return true;
}

}  // namespace

// Shows the builder's work on the page: status line, bar, an immediate
// repaint of the two. Every value is kept, but they are repainted at most
// every kRepaintEvery: a forced repaint per file costs a window system more
// than compressing a small file, and nobody reads thousands of status lines
// a second. The first and the last values are always shown.
class CSummaryDlg::Progress : public builder::BuildProgress {
public:
    explicit Progress(CSummaryDlg& page, int lastPosition)
        : page_(page), settings_(page.chain().build), last_(lastPosition) {}
    void onStatus(const std::string& text) override {
        page_.status_text = text;
        textDue_ = true;
        show(false);
        if (auto* o = settings_.observer) o->onStatus(text);
    }
    void onProgress(int position) override {
        position_ = position;
        show(position <= 1 || position >= last_);
        if (auto* o = settings_.observer) o->onProgress(position);
    }
    void onWait(unsigned milliseconds) override {
        show(true);
        if (settings_.pauseAtEnd) BuildProgress::onWait(milliseconds);
    }
    // `twk build` prints it; the wizard says it once the package is complete.
    void onNote(const std::string& text) override {
        if (auto* o = settings_.observer) o->onNote(text);
        else if (note.empty()) note = text;
    }
    std::string note;
    void onCacheUse(unsigned hits, unsigned misses) override {
        if (auto* o = settings_.observer) o->onCacheUse(hits, misses);
    }
    void onPackedBytes(uint64_t bytes) override {
        if (auto* o = settings_.observer) o->onPackedBytes(bytes);
    }

private:
    static constexpr std::chrono::milliseconds kRepaintEvery{50};
    void show(bool force) {
        const auto now = std::chrono::steady_clock::now();
        if (!force && shown_ && now - lastShown_ < kRepaintEvery) return;
        if (textDue_) page_.setText(IDC_SUMMARY_STATUS, page_.status_text);
        page_.progressSetPos(IDC_SUMMARY_PROGRESS, position_);
        page_.updateChanged();
        textDue_ = false;
        shown_ = true;
        lastShown_ = now;
    }
    CSummaryDlg& page_;
    const wizard::BuildSettings& settings_;
    int last_;
    int position_ = 0;
    bool textDue_ = false;
    bool shown_ = false;
    std::chrono::steady_clock::time_point lastShown_;
};

CSummaryDlg::CSummaryDlg(wizard::Chain& chain, ui::Dialog* owner)
    : PageBase(chain, {IDD_SUMMARY, "p1 12 1", "p1 12 2", "Bundlewright10.html"}, wizard::PageRole::Summary,
               {IDC_SUMMARY_BUILD, IDC_SUMMARY_BACK, ui::IdCancel, IDC_SUMMARY_HELP}, owner) {}

void CSummaryDlg::doDataExchange(Exchange& dx) {
    dx.text(IDC_SUMMARY_TEXT, summary_text);
    dx.text(IDC_SUMMARY_STATUS, status_text);
}

void CSummaryDlg::initPage() {
    showControl(IDC_SUMMARY_STATUS, false);
    showControl(IDC_SUMMARY_PROGRESS, false);
    wizard::SummaryValues v;
    v.product_name = record().product_name.str();
    v.output_text = outputText();
    v.project_text = projectText();
    v.source_folder = sourceFolder();
    v.required_space = requiredSpace();
    summary_text = wizard::summaryText(v);
    updateData(false);
}

int CSummaryDlg::focusControl() const { return IDC_SUMMARY_BUILD; }

void CSummaryDlg::onPaint() {
    updateData(false);
    PageBase::onPaint();
}

bool CSummaryDlg::onCommand(int id, int code) {
    if (id == IDC_SUMMARY_BUILD && code == ui::BnClicked) {
        wizard::guardedCode(mainCode(), [&] { build(); });
        return true;
    }
    return PageBase::onCommand(id, code);
}

void CSummaryDlg::enableButtons(bool on) {
    for (int id : {IDC_SUMMARY_BACK, static_cast<int>(ui::IdCancel), IDC_SUMMARY_BUILD, IDC_SUMMARY_HELP})
        enable(id, on);
}

std::string CSummaryDlg::checkTargets() {
    const wizard::ProjectRecord& r = record();
    // The free space of the output file's own folder, so a network path or a
    // path without a drive letter is checked too; unknown means no check.
    uint64_t freeBytes = 0;
    const std::string folder = folderOf(r.output_file_path.str());
    if (!folder.empty() && os::freeDiskSpace(folder, freeBytes) &&
        static_cast<double>(freeBytes) < requiredSpace())
        return wizard::kNoSpaceMessage;
    // Writing both would leave one of them destroyed.
    if (os::equalsNoCase(outputText(), projectText())) return wizard::kSamePathMessage;
    if (!canWriteFile(outputText(), builder::kPartSuffix)) return wizard::kNoOutputFolderMessage;
    if (!canWriteFile(projectText(), wizard::kProjectTempSuffix)) return wizard::kNoProjectFolderMessage;
    // The source folder before anything is written.
    const std::string here = os::currentDirectory();
    if (!os::setCurrentDirectory(sourceFolder())) return wizard::kNoSourceFolderMessage;
    os::setCurrentDirectory(here);
    return std::string();
}

void CSummaryDlg::build() {
    const std::string refused = checkTargets();
    if (!refused.empty()) {
        // The space message carries the program's own name, the others "Bundlewright".
        if (refused == wizard::kNoSpaceMessage) ui::messageBox(refused);
        else ui::Prompter().message(refused);
        return;
    }
    const wizard::BuildSettings& settings = chain().build;
    const std::vector<std::string> missing =
        builder::missingListedFiles(record().list_file_path.str(), sourceFolder());
    if (!missing.empty() && settings.stopOnMissing) {
        ui::Prompter().message(wizard::missingFilesMessage(missing, true, true));
        return;
    }
    showControl(IDC_SUMMARY_STATUS, true);
    showControl(IDC_SUMMARY_PROGRESS, true);
    enableButtons(false);
    progressRange(IDC_SUMMARY_PROGRESS, 0, fileCount() + 10);
    progressSetStep(IDC_SUMMARY_PROGRESS, 1);

    wizard::ProjectRecord& r = record();
    // The project file first, then the registry rows into registry.txt, once
    // per Build: a Build pressed again after a failure appends them once.
    std::string failed;
    if (!wizard::writeProjectFile(r, projectText()))
        failed = wizard::notWrittenMessage("project file", projectText());
    else if (!wizard::appendRegistryRows(r))
        failed = wizard::notWrittenMessage("registry file", r.registry_file_path.str());
    if (!failed.empty()) {
        ui::Prompter().message(failed);
        enableButtons(true);
        return;
    }

    builder::BuildRequest q;
    q.stub_path = r.install_dir.str() + "\\bin\\install.exe";
    q.uninstaller_path = r.install_dir.str() + "\\bin\\UnBundlewright.exe";
    q.source_folder = sourceFolder();
    q.output_path = outputText();
    q.company_name = r.company_name.str();
    q.product_name = r.product_name.str();
    q.product_version = r.product_version.str();
    q.email = r.email.str();
    q.description = r.description.str();
    q.comments = r.comments.str();
    q.copyright_notice = r.copyright_notice.str();
    q.list_file_path = r.list_file_path.str();
    q.option_file_path = r.option_file_path.str();
    q.registry_file_path = r.registry_file_path.str();
    q.shortcuts_file_path = r.shortcuts_file_path.str();
    q.lang_dir = r.lang_dir.str();
    q.language_index = r.language_index;
    q.post_install_choice = r.post_install_choice;
    q.post_install_file = r.post_install_file.str();
    q.post_install_cmdline = r.post_install_cmdline.str();
    q.pre_uninstall_choice = r.pre_uninstall_choice;
    q.pre_uninstall_file = r.pre_uninstall_file.str();
    q.pre_uninstall_cmdline = r.pre_uninstall_cmdline.str();
    q.pre_install_choice = r.pre_install_choice;
    q.pre_install_file = r.pre_install_file.str();
    q.pre_install_cmdline = r.pre_install_cmdline.str();
    q.finish_action = r.finish_action;
    q.default_destination = r.default_destination.str();
    if (r.services_text) q.services_text = *r.services_text;
    q.file_count = fileCount();
    q.required_space = requiredSpace();
    q.threads = settings.threads;
    q.cache_folder = settings.cacheFolder.value_or(r.install_dir.str() + "\\temp\\cache");
    q.cache_limit = settings.cacheLimit;

    Progress progress(*this, fileCount() + 10);
    const builder::BuildResult result = builder::PackageBuilder(progress).build(q);
    if (!result.ok()) {
        ui::messageBox(result.failure.text, result.failure.caption, ui::Buttons::Ok, ui::Icon::None);
        chain().end(result.failure.exitCode);
        end(ui::IdCancel);
        return;
    }
    r.freeBuildTexts();
    if (!progress.note.empty()) {
        std::string text = progress.note + ".";
        text[0] = os::upperAscii(text[0]);
        ui::Prompter().message(text);
    }
    if (!missing.empty()) {
        if (settings.observer) settings.observer->onNote(wizard::missingFilesMessage(missing, false, true));
        else ui::Prompter().message(wizard::missingFilesMessage(missing, false, false));
    }

    hide();
    CFinishDlg finish(chain(), this);
    chain().end(finish.runModal() == ui::IdCancel ? wizard::kExitCancelled : wizard::kExitFinished);
    end(ui::IdCancel);
}

CFinishDlg::CFinishDlg(wizard::Chain& chain, ui::Dialog* owner)
    : PageBase(chain, {IDD_FINISH, "", "", ""}, wizard::PageRole::Plain, {}, owner) {}

void CFinishDlg::initPage() { show(); }

bool CFinishDlg::onCommand(int id, int code) {
    if (id == IDC_FINISH_FINISH && code == ui::BnClicked) {
        end(ui::IdOk);
        return true;
    }
    return PageBase::onCommand(id, code);
}

void CFinishDlg::onCancel() { end(ui::IdCancel); }

