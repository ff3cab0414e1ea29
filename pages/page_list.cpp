#include "pages/page_list.h"

#include "pages/delivery_options_dlg.h"
#include "pages/environment_dlg.h"
#include "pages/file_list_dlg.h"
#include "pages/install_options_dlg.h"
#include "pages/option_hub_dlg.h"
#include "pages/output_language_dlg.h"
#include "pages/panel_config_dlg.h"
#include "pages/registry_dlg.h"
#include "pages/services_dlg.h"
#include "pages/shortcuts_dlg.h"
#include "pages/source_folder_dlg.h"
#include "resources/tarnwick/resource.h"
#include "wizard/output_location_dlg.h"
#include "wizard/product_info_dlg.h"
#include "wizard/project_start_dlg.h"
#include "wizard/summary_dlg.h"

namespace pages {
namespace {

template <class Page>
std::unique_ptr<ui::Dialog> page(wizard::Chain& chain, ui::Dialog* owner) {
    return std::make_unique<Page>(chain, owner);
}

}  // namespace

const int kHubPages[kHubPageCount] = {IDD_INSTALL_OPTIONS, IDD_DELIVERY_OPTIONS, IDD_SHORTCUTS,
                                      IDD_ENVIRONMENT,     IDD_REGISTRY,         IDD_SERVICES,
                                      IDD_OUTPUT_LANGUAGE, IDD_OUTPUT_LOCATION};

wizard::PageList pageList() {
    // The welcome page makes itself; the finish page and the registry key
    // dialog are made by the page that runs them.
    return wizard::PageList({
        {IDD_WELCOME, "welcome page", nullptr, IDD_PROJECT_START},
        {IDD_PROJECT_START, "project start page", page<CProjectStartDlg>, IDD_PRODUCT_INFO},
        {IDD_PRODUCT_INFO, "product information page", page<CProductInfoDlg>, IDD_SOURCE_FOLDER},
        {IDD_SOURCE_FOLDER, "source folder page", page<CSourceFolderDlg>, IDD_FILE_LIST},
        {IDD_FILE_LIST, "file list page", page<CFileListDlg>, IDD_OPTION_HUB},
        {IDD_OPTION_HUB, "option hub", page<COptionHubDlg>, 0},
        {IDD_INSTALL_OPTIONS, "installation options page", page<CInstallOptionsDlg>, 0},
        {IDD_DELIVERY_OPTIONS, "delivery options page", page<CDeliveryOptionsDlg>, 0},
        {IDD_SHORTCUTS, "shortcuts page", page<CShortcutsDlg>, 0},
        {IDD_ENVIRONMENT, "environment variables page", page<CEnvironmentDlg>, 0},
        {IDD_REGISTRY, "registry entries page", page<CRegistryDlg>, 0},
        {IDD_SERVICES, "services page", page<CServicesDlg>, 0},
        {IDD_OUTPUT_LANGUAGE, "output language page", page<COutputLanguageDlg>, 0},
        {IDD_OUTPUT_LOCATION, "output location page", page<COutputLocationDlg>, IDD_SUMMARY},
        {IDD_SUMMARY, "summary page", page<CSummaryDlg>, 0},
        {IDD_FINISH, "Finish page", nullptr, 0},
        {IDD_PANEL_CONFIG, "panel configuration", page<CPanelConfigDlg>, 0},
        {IDD_REGISTRY_KEY, "registry key dialog", nullptr, 0},
        {IDD_SPLASH, "splash window", nullptr, 0},
    });
}

}  // namespace pages
