#include "pages/source_folder_dlg.h"

#include <algorithm>
#include <cctype>

#include "pages/file_walk.h"
#include "platform/os/file_names.h"
#include "pages/list_txt.h"
#include "platform/os/text.h"
#include "platform/os/os.h"
#include "platform/ui/prompter.h"
#include "resources/tarnwick/resource.h"
#include "wizard/project_file_texts.h"

namespace pages {

CSourceFolderDlg::CSourceFolderDlg(wizard::Chain& chain, ui::Dialog* owner)
    : PageBase(chain, {IDD_SOURCE_FOLDER, "p1 4 1", "p1 4 2", "Bundlewright3.html"}, wizard::PageRole::MainChain,
               {IDC_SOURCE_FOLDER_NEXT, IDC_SOURCE_FOLDER_BACK, ui::IdCancel, IDC_SOURCE_FOLDER_HELP},
               owner),
      source_(chain.source_text) {}

void CSourceFolderDlg::doDataExchange(Exchange& dx) {
    dx.text(IDC_SOURCE_FOLDER_EDIT, source_);
    dx.check(IDC_SOURCE_FOLDER_SUBFOLDERS, include_subfolders_);
    dx.text(IDC_SOURCE_FOLDER_DESTINATION, destination_);
}

void CSourceFolderDlg::initPage() {
    // The record's slots hold 259 characters; longer folder texts are never typed in.
    setLimitText(IDC_SOURCE_FOLDER_EDIT, static_cast<int>(list_txt::kMaxLineChars));
    setLimitText(IDC_SOURCE_FOLDER_DESTINATION, static_cast<int>(list_txt::kMaxLineChars));
    const wizard::ProjectRecord& r = record();
    if (r.project_opened == 1 || r.source_page_done == wizard::kDone) {
        include_subfolders_ = r.include_subfolders;
        source_ = r.source_folder.str();
        destination_ = r.default_destination.str();
        updateData(false);
    }
}

int CSourceFolderDlg::focusControl() const { return IDC_SOURCE_FOLDER_EDIT; }

bool CSourceFolderDlg::onCommand(int id, int code) {
    if (id == IDC_SOURCE_FOLDER_BROWSE && code == ui::BnClicked) {
        wizard::guardedCode(mainCode(), [&] { browse(); });
        return true;
    }
    return PageBase::onCommand(id, code);
}

void CSourceFolderDlg::browse() {
    updateData(true);
    std::string folder;
    if (ui::browseForFolder(kBrowseSourceTitle, folder) && !folder.empty())
        setText(IDC_SOURCE_FOLDER_EDIT, folder);
}

bool CSourceFolderDlg::restoreStoredList() {
    const wizard::ProjectRecord& r = record();
    if (!os::setCurrentDirectory(source_)) {
        ui::Prompter().message(kMsgSourceNotFound);
        return false;
    }
    // A list.txt that cannot be opened is left alone, as the list build's own check follows later.
    os::writeWholeFile(r.list_file_path.str(), *r.stored_file_list);
    return true;
}

std::string destinationMessage(const std::string& destination) {
    std::string d = destination;
    while (!d.empty() && (d.back() == ' ' || d.back() == '\t')) d.pop_back();
    while (!d.empty() && (d.front() == ' ' || d.front() == '\t')) d.erase(0, 1);
    while (d.size() > 3 && d.back() == '\\') d.pop_back();
    if (d.empty()) return std::string();
    const bool drive = d.size() >= 3 && std::isalpha(static_cast<unsigned char>(d[0])) && d[1] == ':' && d[2] == '\\';
    const std::string intro =
        "The Default destination folder \"" + destination + "\" cannot be used on the end user's computer: ";
    if (!drive && d[0] != '%')
        return intro + "it must be a full path such as C:\\Program Files\\Widget or %ProgramFiles%\\Widget.";
    // A part with an environment reference is known only on that computer.
    std::string rest = drive ? d.substr(3) : d;
    std::size_t pos = 0;
    while (pos < rest.size()) {
        const std::size_t at = std::min(rest.find('\\', pos), rest.size());
        const std::string part = rest.substr(pos, at - pos);
        if (part.find('%') == std::string::npos) {
            const std::string fault = os::nameFault(part);
            if (!fault.empty()) return intro + "its part \"" + part + "\" " + fault + ".";
        }
        pos = at + 1;
    }
    return std::string();
}

int CSourceFolderDlg::store(int interactive) {
    updateData(true);
    wizard::ProjectRecord& r = record();
    ui::Prompter say;
    if (source_.empty()) {
        if (interactive) say.message(kMsgSelectSourceFolder);
        return -1;
    }
    for (const std::string* text : {&source_, &destination_}) {
        if (text->size() > list_txt::kMaxLineChars) {
            say.message(pathTooLongMessage(*text));
            return -1;
        }
    }
    // The project file keeps both in one field: a backquote there would shift
    // every field after it on the next open.
    const std::pair<const std::string*, const char*> fields[] = {
        {&source_, "Source Folder"}, {&destination_, "Default destination folder"}};
    for (const auto& [text, label] : fields) {
        const wizard::TextFault fault = wizard::plainFieldFault(*text);
        if (fault != wizard::TextFault::None) {
            say.message(wizard::plainFieldMessage(label, fault));
            return -1;
        }
    }
    if (const std::string why = destinationMessage(destination_); !why.empty()) {
        say.message(why);
        return -1;
    }
    const int subfolders = include_subfolders_ ? 1 : 0;
    const bool unchanged = r.project_opened == 1 && subfolders == r.include_subfolders &&
                           source_ == r.source_folder.view();
    // An opened project keeps the publisher's additions and removals while
    // folder and check box stay as they were; without a stored list it is rebuilt.
    if (unchanged && r.stored_file_list) {
        if (!restoreStoredList()) return -1;
    } else {
        ListBuild built = ListBuild::Refused;
        wizard::guardedCode("p1 4 2 2", [&] {
            built = buildList(source_, subfolders, r.list_file_path.str(), r.project_opened == 1,
                              [&](const std::string& m) { say.message(m); });
        });
        if (built != ListBuild::Built) return -1;
    }
    r.source_page_done = wizard::kDone;
    r.source_folder = source_;
    r.default_destination = destination_;
    r.include_subfolders = subfolders;
    return 0;
}

void CSourceFolderDlg::storeForBack() {
    wizard::ProjectRecord& r = record();
    if (r.source_page_done == wizard::kDone) {
        // The value last taken from the box, not what was typed since.
        r.source_folder = source_;
        r.include_subfolders = checked(IDC_SOURCE_FOLDER_SUBFOLDERS) ? 1 : 0;
        return;
    }
    (void)store(0);
}


}  // namespace pages
