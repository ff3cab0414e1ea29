#include "wizard/page_table.h"

#include <array>
#include <optional>
#include <stdexcept>

#include "resources/tarnwick/resource.h"

namespace wizard {
namespace {

constexpr int kSlots = static_cast<int>(PageSlot::Count);

// Resource, class, fatal codes and help page of every position.
constexpr std::array<PageInfo, kSlots> kPages = {{
    {IDD_WELCOME, "CTarnwickDlg", "p1 1", "", "Bundlewright.html", "welcome page"},
    {IDD_PROJECT_START, "CProjectStartDlg", "p1 2 1", "p1 2 2", "Bundlewright1.html", "project start page"},
    {IDD_PRODUCT_INFO, "CProductInfoDlg", "p1 3 1", "p1 3 2", "Bundlewright2.html", "product information page"},
    {IDD_SOURCE_FOLDER, "CSourceFolderDlg", "p1 4 1", "p1 4 2", "Bundlewright3.html", "source folder page"},
    {IDD_FILE_LIST, "CFileListDlg", "p1 5 1", "p1 5 2", "Bundlewright4.html", "file list page"},
    {IDD_OPTION_HUB, "COptionHubDlg", "", "", "", "option hub"},
    {IDD_INSTALL_OPTIONS, "CInstallOptionsDlg", "p1 6 1", "p1 6 2", "Bundlewright5.html", "installation options page"},
    {IDD_DELIVERY_OPTIONS, "CDeliveryOptionsDlg", "p1 7 1", "p1 7 2", "Bundlewright11.html", "delivery options page"},
    {IDD_SHORTCUTS, "CShortcutsDlg", "", "p1 8 2", "Bundlewright6.html", "shortcuts page"},
    {IDD_ENVIRONMENT, "CEnvironmentDlg", "p1 9 1", "p1 9 2", "Bundlewright7.html", "environment variables page"},
    {IDD_REGISTRY, "CRegistryDlg", "p1 10 1", "p1 10 2", "Bundlewright8.html", "registry entries page"},
    {IDD_SERVICES, "CServicesDlg", "", "", "Bundlewright6.html", "services page"},
    {IDD_OUTPUT_LANGUAGE, "COutputLanguageDlg", "", "", "Bundlewright8.html", "output language page"},
    {IDD_OUTPUT_LOCATION, "COutputLocationDlg", "p1 11 1", "", "Bundlewright9.html", "output location page"},
    {IDD_SUMMARY, "CSummaryDlg", "p1 12 1", "p1 12 2", "Bundlewright10.html", "summary page"},
    {IDD_FINISH, "CFinishDlg", "", "", "", "Finish page"},
    {IDD_PANEL_CONFIG, "CPanelConfigDlg", "", "", "Bundlewright5.html", "panel configuration"},
    {IDD_REGISTRY_KEY, "CRegistryKeyDlg", "p1 10.1 1", "p1 10.1 2", "", "registry key dialog"},
    {IDD_SPLASH, "CSplashDlg", "p1 0 1", "", "", "splash window"},
}};

int indexOf(PageSlot slot) {
    const int i = static_cast<int>(slot);
    if (i < 0 || i >= kSlots) throw std::out_of_range("no such page position");
    return i;
}

// Tests put stand-ins at positions: an override, possibly "no page", wins
// over the page list. Built on first use.
std::array<std::optional<PageFactory>, kSlots>& overrides() {
    static std::array<std::optional<PageFactory>, kSlots> table;
    return table;
}

}  // namespace

const PageInfo& pageInfo(PageSlot slot) { return kPages[indexOf(slot)]; }

PageSlot nextSlot(PageSlot slot) {
    switch (slot) {
    case PageSlot::ProjectStart: return PageSlot::ProductInfo;
    case PageSlot::ProductInfo: return PageSlot::SourceFolder;
    case PageSlot::SourceFolder: return PageSlot::FileList;
    case PageSlot::FileList: return PageSlot::OptionHub;
    case PageSlot::OutputLocation: return PageSlot::Summary;
    case PageSlot::Summary: return PageSlot::Finish;
    default: return PageSlot::Count;
    }
}

PageSlot hubSlot(int index) {
    if (index < 0 || index >= kHubPageCount) throw std::out_of_range("no such hub page");
    return static_cast<PageSlot>(static_cast<int>(PageSlot::InstallOptions) + index);
}

std::optional<PageFactory> overridePage(PageSlot slot, std::optional<PageFactory> factory) {
    std::optional<PageFactory>& entry = overrides()[indexOf(slot)];
    std::optional<PageFactory> old = std::move(entry);
    entry = std::move(factory);
    return old;
}

bool hasPage(PageSlot slot) {
    const std::optional<PageFactory>& o = overrides()[indexOf(slot)];
    return o ? static_cast<bool>(*o) : listsPage(slot);
}

std::unique_ptr<ui::Dialog> createPage(PageSlot slot, ui::Dialog* owner) {
    const std::optional<PageFactory>& o = overrides()[indexOf(slot)];
    if (o) return *o ? (*o)(owner) : nullptr;
    return makeListedPage(slot, owner);
}

}  // namespace wizard
