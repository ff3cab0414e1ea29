// The base of every wizard page. A page is a modal dialog run from the Next
// handler of the page before it, so the nesting of modal loops is the user's
// path; only one page is visible at a time (a page hides its owner, Back shows
// it again). The base gives every page the same navigation:
//
//   role        Next                                Back                           Esc / Cancel
//   MainChain   store(1); -1 stays; runs the next   silent store, shows the owner, the cancel question;
//               page; IDCANCEL from it exits 0      ends with 1                    Yes ends IDCANCEL
//   HubPage     store(1); not -1 ends with 1        store(1); not -1 sets the hub's   "
//                                                   back_requested, ends with 1
//   OutputLoc.  as MainChain (runs the summary)     as HubPage with store(0)          "
//   Summary     page's own (Build)                  shows the owner, ends with 1      "
//   Welcome     page's own                          -                                 "
//   Plain       page's own                          -                              ends IDCANCEL
//
// The Cancel button (its own id, or id 2) and Esc both ask; a page whose Esc
// ends at once (services) overrides onCancel() with end(ui::IdCancel).
//
// Writing a page:
//
//   class CProductInfoDlg : public wizard::PageBase {
//   public:
//       explicit CProductInfoDlg(wizard::Chain& chain, ui::Dialog* owner = nullptr)
//           : PageBase(chain, {IDD_PRODUCT_INFO, "p1 3 1", "p1 3 2", "Bundlewright2.html"},
//                      wizard::PageRole::MainChain,
//                      {IDC_PRODUCT_NEXT, IDC_PRODUCT_BACK, IDC_PRODUCT_CANCEL, IDC_PRODUCT_HELP},
//                      owner) {}
//       int store(int interactive) override;     // 0 stored, -1 refused (page stays)
//   protected:
//       void initPage() override {               // runs under "p1 3 1", icons already set
//           if (record().product_page_done == wizard::kDone || record().project_opened == 1)
//               setText(IDC_PRODUCT_COMPANY, record().company_name.str());
//       }                                        // the base hides the owner afterwards
//       int focusControl() const override { return IDC_PRODUCT_COMPANY; }
//       bool onCommand(int id, int code) override {
//           if (id == IDC_PRODUCT_CLEAR && code == ui::BnClicked) { ...; return true; }
//           return PageBase::onCommand(id, code); // Next, Back, Cancel, Help
//       }
//   };
//   // and one row in the page list, pages/page_list.cpp.
#pragma once

#include <string>
#include <utility>

#include "platform/ui/dialog.h"
#include "platform/ui/guarded.h"
#include "wizard/chain.h"
#include "wizard/project_record.h"

namespace wizard {

// How a run ends.
inline constexpr int kExitFinished = 1;     // Finish after a build
inline constexpr int kExitCancelled = 0;    // a confirmed Cancel on any later page
inline constexpr int kExitFatal = 1;        // a fatal error code (with the two exceptions)

inline constexpr char kCancelQuestion[] =
    "Are you sure to cancel the project? Press Yes to cancel, press No to continue with Bundlewright";

// The result Back ends a page with; the page below takes anything but
// IDCANCEL as "I am shown again".
inline constexpr int kBackResult = 1;

enum class PageRole { Welcome, MainChain, HubPage, OutputLocation, Summary, Plain };

// What a page is: its dialog, its fatal codes and its help page.
struct PageInfo {
    int dialog = 0;               // the DIALOG template
    const char* initCode = "";    // fatal code of the initialisation ("" = none)
    const char* mainCode = "";    // of the store routine or main action ("" = none)
    const char* helpPage = "";    // "" = no Help button
};

// The page's own button ids (0 = the page has no such button). Id 2 (IDCANCEL)
// reaches onCancel through the framework in any case.
struct PageButtons {
    int next = 0;
    int back = 0;
    int cancel = 0;
    int help = 0;
};

// The fatal-code rule with its two exceptions: "p1 3 1" exits with 0 and
// "p1 2 2" shows the code and carries on (guardedCode returns false).
ui::Fatal fatalFor(const std::string& code);

// Runs fn under the page's code; an empty code (pages without codes) runs it
// bare, so what it throws reaches the host, which ends the run.
template <class F>
bool guardedCode(const std::string& code, F&& fn) {
    if (code.empty()) {
        std::forward<F>(fn)();
        return true;
    }
    return ui::guarded(code, std::forward<F>(fn), fatalFor(code));
}

class PageBase : public ui::Dialog {
public:
    // templateId 0: the page's own dialog (tests may run a page on a template of their own).
    PageBase(Chain& chain, PageInfo info, PageRole role, PageButtons buttons, ui::Dialog* owner = nullptr,
             int templateId = 0);

    // 0: stored; -1: refused, the page stays. interactive 1 shows validation
    // messages, 0 is silent (Back on the main chain).
    virtual int store(int interactive) { (void)interactive; return 0; }

    Chain& chain() const { return chain_; }
    ProjectRecord& record() const { return chain_.record; }
    HubState& hub() const { return chain_.hub; }
    const PageInfo& info() const { return info_; }
    PageRole role() const { return role_; }
    const PageButtons& buttons() const { return buttons_; }

    // Asks the cancel question; true when the user answered Yes.
    static bool confirmCancel();

protected:
    // The page's part of the initialisation, under the page's init code, after
    // the icons are set and before the owner is hidden.
    virtual void initPage() {}
    // The control that gets the focus whenever the page paints (0: none).
    virtual int focusControl() const { return buttons_.next; }

    // Navigation, each under the page's main code where it has one.
    virtual void onNext();
    virtual void onBack();
    virtual void onHelp();
    // Back on the main chain stores without messages and ignores the result:
    // the project start and product pages only while their marker is not 3.
    virtual void storeForBack();
    // Runs `page` modally. IDCANCEL from it ends the run with exit code 0;
    // when the run has ended this page ends too. False for no page (this
    // page stays).
    bool runPage(std::unique_ptr<ui::Dialog> page);
    // Runs the page the chain's list puts after this one.
    bool runNextPage() { return runPage(chain_.pages.make(chain_.pages.next(info_.dialog), chain_)); }

    bool onInitDialog() override;
    bool onCommand(int id, int code) override;
    void onCancel() override;       // Esc, the close box, IDCANCEL
    void onPaint() override;

    std::string initCode() const { return info_.initCode; }
    std::string mainCode() const { return info_.mainCode; }

private:
    Chain& chain_;
    PageInfo info_;
    PageRole role_;
    PageButtons buttons_;
};

}  // namespace wizard
