#include "pages/output_language_dlg.h"

#include <string>

#include "platform/ui/prompter.h"
#include "resources/tarnwick/resource.h"

namespace pages {

namespace {
// Row i is language_index i: the list sorts, and this is also the sorted order.
const char* const kLanguages[] = {"English", "French", "German", "Spanish"};
}  // namespace

COutputLanguageDlg::COutputLanguageDlg(wizard::Chain& chain, ui::Dialog* owner)
    : PageBase(chain, {IDD_OUTPUT_LANGUAGE, "", "", "Bundlewright8.html"}, wizard::PageRole::HubPage,
               {IDC_LANGUAGE_NEXT, IDC_LANGUAGE_BACK, ui::IdCancel, IDC_LANGUAGE_HELP}, owner) {}

int COutputLanguageDlg::focusControl() const { return IDC_LANGUAGE_LIST; }

void COutputLanguageDlg::initPage() {
    for (const char* name : kLanguages) addRow(IDC_LANGUAGE_LIST, name);
    // An index outside 0 to 3 (from a project file) selects nothing.
    selectRow(IDC_LANGUAGE_LIST, record().language_index);
}

int COutputLanguageDlg::store(int interactive) {
    (void)interactive;
    // The text shown is the choice: a language typed in full counts as chosen.
    const std::string shown = text(IDC_LANGUAGE_LIST);
    const int row = shown.empty() ? -1 : findRow(IDC_LANGUAGE_LIST, shown);
    if (row < 0) {
        ui::Prompter().message(kMsgSelectLanguage);
        return -1;
    }
    record().language_index = row;
    hide();
    return 0;
}

}  // namespace pages
