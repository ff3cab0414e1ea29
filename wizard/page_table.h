// The wizard's pages by position: which dialog each one is, its fatal codes,
// help page and name, and the one page list (page_list.cpp) that says which
// class stands at each position. The page base runs "the next page" through
// it. A page is named there by its class, so a program that runs the chain
// without linking every page fails to link instead of skipping a page.
#pragma once

#include <functional>
#include <memory>
#include <optional>

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

// The page list: the page at a position, nullptr where the list has none
// (the welcome page and the splash, which the program makes itself, and the
// pages still to come). listsPage tells which without making one.
std::unique_ptr<ui::Dialog> makeListedPage(PageSlot slot, ui::Dialog* owner);
bool listsPage(PageSlot slot);

// What runs at a position: a test's stand-in where one is set, else the list's page.
bool hasPage(PageSlot slot);
// nullptr when there is no page at the position.
std::unique_ptr<ui::Dialog> createPage(PageSlot slot, ui::Dialog* owner = nullptr);

// Tests: puts a stand-in at a position (a factory, or an empty one for "no
// page"; std::nullopt takes the override away) and returns the one before.
std::optional<PageFactory> overridePage(PageSlot slot, std::optional<PageFactory> factory);

// Puts a stand-in at a position for the length of a scope (tests).
class PageOverride {
public:
    PageOverride(PageSlot slot, PageFactory factory)
        : slot_(slot), old_(overridePage(slot, std::move(factory))) {}
    ~PageOverride() { overridePage(slot_, std::move(old_)); }
    PageOverride(const PageOverride&) = delete;
    PageOverride& operator=(const PageOverride&) = delete;
private:
    PageSlot slot_;
    std::optional<PageFactory> old_;
};

}  // namespace wizard
