// The page list: the class at every position of the wizard, in one place.
#include "pages/environment_dlg.h"
#include "pages/delivery_options_dlg.h"
#include "pages/file_list_dlg.h"
#include "pages/install_options_dlg.h"
#include "pages/option_hub_dlg.h"
#include "pages/output_language_dlg.h"
#include "pages/panel_config_dlg.h"
#include "pages/registry_dlg.h"
#include "pages/services_dlg.h"
#include "pages/shortcuts_dlg.h"
#include "pages/source_folder_dlg.h"
#include "wizard/output_location_dlg.h"
#include "wizard/page_table.h"
#include "wizard/product_info_dlg.h"
#include "wizard/project_start_dlg.h"
#include "wizard/summary_dlg.h"

namespace wizard {
namespace {

template <class Page>
std::unique_ptr<ui::Dialog> page(ui::Dialog* owner) {
    return std::make_unique<Page>(owner);
}

// nullptr: no page at the position (see page_table.h).
PageFactory listed(PageSlot slot) {
    switch (slot) {
    case PageSlot::ProjectStart: return page<CProjectStartDlg>;
    case PageSlot::ProductInfo: return page<CProductInfoDlg>;
    case PageSlot::SourceFolder: return page<pages::CSourceFolderDlg>;
    case PageSlot::FileList: return page<pages::CFileListDlg>;
    case PageSlot::OptionHub: return page<pages::COptionHubDlg>;
    case PageSlot::InstallOptions: return page<pages::CInstallOptionsDlg>;
    case PageSlot::DeliveryOptions: return page<pages::CDeliveryOptionsDlg>;
    case PageSlot::OutputLanguage: return page<pages::COutputLanguageDlg>;
    case PageSlot::OutputLocation: return page<COutputLocationDlg>;
    case PageSlot::Summary: return page<CSummaryDlg>;
    case PageSlot::Finish: return page<CFinishDlg>;
    case PageSlot::PanelConfig: return page<pages::CPanelConfigDlg>;
    case PageSlot::Environment: return page<pages::CEnvironmentDlg>;
    case PageSlot::Registry: return page<pages::CRegistryDlg>;
    case PageSlot::RegistryKey: return page<pages::CRegistryKeyDlg>;
    case PageSlot::Shortcuts: return page<pages::CShortcutsDlg>;
    case PageSlot::Services: return page<pages::CServicesDlg>;
    // Made by the welcome page's own code, not through the list.
    case PageSlot::Welcome:
    case PageSlot::Splash:
    case PageSlot::Count:
        return nullptr;
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<ui::Dialog> makeListedPage(PageSlot slot, ui::Dialog* owner) {
    PageFactory f = listed(slot);
    return f ? f(owner) : nullptr;
}

bool listsPage(PageSlot slot) { return static_cast<bool>(listed(slot)); }

}  // namespace wizard
