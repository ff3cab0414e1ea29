#include "pages/option_hub_dlg.h"

#include "pages/option_file.h"
#include "pages/page_list.h"
#include "pages/panel_config.h"
#include "resources/tarnwick/resource.h"

namespace pages {

COptionHubDlg::COptionHubDlg(wizard::Chain& chain, ui::Dialog* owner)
    : PageBase(chain, {IDD_OPTION_HUB, "", "", ""}, wizard::PageRole::Plain, {}, owner) {}

void COptionHubDlg::initPage() {
    wizard::Chain& c = chain();
    wizard::ProjectRecord& r = record();
    writeAllOffOptionFile(r.option_file_path.str());
    c.hub = wizard::HubState{};

    // A page that is not built into this program is skipped as if its flag were off.
    HubSequence sequence(r.panel_flags, [&c](int e) { return c.pages.has(kHubPages[e]); });
    int e = sequence.first();
    while (e != HubSequence::kFileList) {
        c.hub.back_requested = 0;
        // The pages are owned by the file list page, as the hub itself never becomes active.
        if (!runPage(c.pages.make(kHubPages[e], c, owner()))) {
            // No output location page in this program: the way on ends here.
            e = sequence.ended(false);
            continue;
        }
        if (c.ended()) return;
        e = sequence.ended(c.hub.back_requested == 1);
        c.hub.back_requested = 0;
    }
    if (owner()) owner()->show();
    end(kBackToFileList);
}

}  // namespace pages
