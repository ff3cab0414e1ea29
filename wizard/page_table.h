// The wizard's pages by position: which dialog each one is, its fatal codes
// and help page, and a factory per position that the page's own .cpp fills.
// The page base runs "the next page" through this table, so a page plugs into
// the chain by registering itself, without any change to the page before it:
//
//     // pages/source_folder_dlg.cpp
//     BW_REGISTER_PAGE(wizard::PageSlot::SourceFolder, CSourceFolderDlg);
//
// The registration is a static object, so a program (or a test) that runs the
// chain must keep every page's object file: in CMake call
// bw_link_pages(TARGET) from wizard/CMakeLists.txt. A position with no page
// registered is not run: the main chain stays on its page, the option hub
// skips it.
#pragma once

#include <functional>
#include <memory>

#include "platform/ui/dialog.h"

namespace wizard {

enum class PageSlot : int {
    Welcome,
    ProjectStart,
    ProductInfo,
    SourceFolder,
    FileList,
    OptionHub,
    // Run by the hub, in its order (hub index 0..7).
    InstallOptions,
    DeliveryOptions,
    Shortcuts,
    Environment,
    Registry,
    Services,
    OutputLanguage,
    OutputLocation,
    // After the hub.
    Summary,
    Finish,
    // Reached from the welcome page or from a page of its own.
    PanelConfig,
    RegistryKey,
    Splash,
    Count
};

struct PageInfo {
    int resource;            // the DIALOG template
    const char* className;
    const char* initCode;    // fatal code of the initialisation ("" = none)
    const char* mainCode;    // of the store routine or main action ("" = none)
    const char* helpPage;    // "" = no Help button
    const char* title;       // how messages name the page ("product information page")
};

const PageInfo& pageInfo(PageSlot slot);

// The main chain's successor (ProjectStart -> ProductInfo -> SourceFolder ->
// FileList -> OptionHub; OutputLocation -> Summary; Summary -> Finish);
// PageSlot::Count for the others.
PageSlot nextSlot(PageSlot slot);

// The hub's pages: index 0..6 the optional pages in panel-flag order, 7 the
// output location page.
constexpr int kHubPageCount = 8;
PageSlot hubSlot(int index);

// A factory makes the page object; owner nullptr lets the page be owned by the
// active dialog when it runs (the system's rule), the option hub passes the
// file list page.
using PageFactory = std::function<std::unique_ptr<ui::Dialog>(ui::Dialog* owner)>;

// Sets the factory of a position and returns the one it replaces (tests put
// their own pages in and restore the old ones).
PageFactory setPageFactory(PageSlot slot, PageFactory factory);
bool hasPage(PageSlot slot);
// nullptr when no page is registered there.
std::unique_ptr<ui::Dialog> createPage(PageSlot slot, ui::Dialog* owner = nullptr);

// Restores a position's factory at the end of a scope (tests).
class PageOverride {
public:
    PageOverride(PageSlot slot, PageFactory factory)
        : slot_(slot), old_(setPageFactory(slot, std::move(factory))) {}
    ~PageOverride() { setPageFactory(slot_, std::move(old_)); }
    PageOverride(const PageOverride&) = delete;
    PageOverride& operator=(const PageOverride&) = delete;
private:
    PageSlot slot_;
    PageFactory old_;
};

namespace detail {
struct PageRegistration {
    PageRegistration(PageSlot slot, PageFactory factory) { setPageFactory(slot, std::move(factory)); }
};
}  // namespace detail

#define BW_PAGE_CAT2(a, b) a##b
#define BW_PAGE_CAT(a, b) BW_PAGE_CAT2(a, b)
// Registers Class (constructible from a ui::Dialog* owner) at a position.
#define BW_REGISTER_PAGE(slot, Class)                                                   \
    static const ::wizard::detail::PageRegistration BW_PAGE_CAT(bwPageRegistration_, __LINE__)( \
        slot, [](::ui::Dialog* owner) -> std::unique_ptr<::ui::Dialog> {               \
            return std::make_unique<Class>(owner);                                      \
        })

}  // namespace wizard
