#include "wizard/page_table.h"

#include <array>
#include <stdexcept>

namespace wizard {
namespace {

constexpr int kSlots = static_cast<int>(PageSlot::Count);

// Resource, class, fatal codes and help page of every position.
constexpr std::array<PageInfo, kSlots> kPages = {{
    {102, "CTarnwickDlg", "p1 1", "", "Bundlewright.html", "welcome page"},
    {166, "CProjectStartDlg", "p1 2 1", "p1 2 2", "Bundlewright1.html", "project start page"},
    {129, "CProductInfoDlg", "p1 3 1", "p1 3 2", "Bundlewright2.html", "product information page"},
    {130, "CSourceFolderDlg", "p1 4 1", "p1 4 2", "Bundlewright3.html", "source folder page"},
    {138, "CFileListDlg", "p1 5 1", "p1 5 2", "Bundlewright4.html", "file list page"},
    {330, "COptionHubDlg", "", "", "", "option hub"},
    {139, "CInstallOptionsDlg", "p1 6 1", "p1 6 2", "Bundlewright5.html", "installation options page"},
    {141, "CDeliveryOptionsDlg", "p1 7 1", "p1 7 2", "Bundlewright11.html", "delivery options page"},
    {149, "CShortcutsDlg", "", "p1 8 2", "Bundlewright6.html", "shortcuts page"},
    {161, "CEnvironmentDlg", "p1 9 1", "p1 9 2", "Bundlewright7.html", "environment variables page"},
    {167, "CRegistryDlg", "p1 10 1", "p1 10 2", "Bundlewright8.html", "registry entries page"},
    {331, "CServicesDlg", "", "", "Bundlewright6.html", "services page"},
    {333, "COutputLanguageDlg", "", "", "Bundlewright8.html", "output language page"},
    {142, "COutputLocationDlg", "p1 11 1", "", "Bundlewright9.html", "output location page"},
    {143, "CSummaryDlg", "p1 12 1", "p1 12 2", "Bundlewright10.html", "summary page"},
    {157, "CFinishDlg", "", "", "", "Finish page"},
    {332, "CPanelConfigDlg", "", "", "Bundlewright5.html", "panel configuration"},
    {168, "CRegistryKeyDlg", "p1 10.1 1", "p1 10.1 2", "", "registry key dialog"},
    {266, "CSplashDlg", "p1 0 1", "", "", "splash window"},
}};

int indexOf(PageSlot slot) {
    const int i = static_cast<int>(slot);
    if (i < 0 || i >= kSlots) throw std::out_of_range("no such page position");
    return i;
}

// Built on first use, so registrations from any object file's static
// initialisation find it ready.
std::array<PageFactory, kSlots>& factories() {
    static std::array<PageFactory, kSlots> table;
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

PageFactory setPageFactory(PageSlot slot, PageFactory factory) {
    PageFactory& entry = factories()[indexOf(slot)];
    PageFactory old = std::move(entry);
    entry = std::move(factory);
    return old;
}

bool hasPage(PageSlot slot) { return static_cast<bool>(factories()[indexOf(slot)]); }

std::unique_ptr<ui::Dialog> createPage(PageSlot slot, ui::Dialog* owner) {
    const PageFactory& f = factories()[indexOf(slot)];
    if (!f) return nullptr;
    return f(owner);
}

}  // namespace wizard
