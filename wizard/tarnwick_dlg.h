// CTarnwickDlg: the welcome page (dialog 102); it owns the chain of the
// whole run (the record and what the pages share). Its initialisation settles every installation-wide value in
// this order: installation folder (M1 and exit code 1 when there is none),
// browser command, working-file paths, launch mode from the command line,
// the splash, the panel flags from config.mnu.
#pragma once

#include <string>

#include "wizard/page_base.h"
#include "wizard/project_record.h"
#include "wizard/startup.h"

namespace wizard {

// Shown when the splash window cannot be created; the run ends with exit code 0.
inline constexpr char kSplashMissing[] =
    "ActiveX control is not registered. Register \\bin\\BundlewrightGifControlt.ocx using "
    "%WINDIR%\\system32\\regsvr32.exe and try again.";

// Where the minimised page draws its icon: centred in the client rectangle
// (size + 1 halved, integer division, as the system draws it).
struct Point {
    int x = 0;
    int y = 0;
};
Point minimisedIconOrigin(int clientWidth, int clientHeight, int iconWidth, int iconHeight);

// The splash step of the start: shows the splash modally and returns its
// result (-1 when its window could not be made). Tarnwick.exe passes
// runSplashWindow (wizard/splash_dlg.h); without one (twk) the run goes on as
// if the splash had ended, and the picture decoder is not linked.
using SplashStep = int (*)(Chain& chain, ui::Dialog* owner);

// Holds the chain ahead of the page base, which is handed it.
struct ChainOwner {
    ChainOwner(PageList pages, RunEnd how) : ownedChain_(std::move(pages), how) {}
    Chain ownedChain_;
};

class CTarnwickDlg : private ChainOwner, public PageBase {
public:
    // `pages`: the program's pages (pages::pageList() for Tarnwick). A run
    // with RunEnd::Result ends by returning from runModal(), its exit code
    // in chain().ended().
    explicit CTarnwickDlg(PageList pages, ui::Dialog* owner = nullptr, SplashStep splash = nullptr,
                          RunEnd how = RunEnd::ExitProcess);
    // Where the last paint drew the program's icon; set only while minimised.
    const Point* iconDrawnAt() const { return iconDrawn_ ? &iconAt_ : nullptr; }

protected:
    void initPage() override;
    void onNext() override;
    bool onCommand(int id, int code) override;
    int focusControl() const override;
    void onPaint() override;

    // The splash step given at construction. Tests replace it.
    virtual int runSplash();
    // Where this run keeps its working files: the installation's temp folder.
    // `twk build` gives every run a folder of its own.
    virtual WorkingPaths workingFilePaths() const;

private:
    SplashStep splash_;
    Point iconAt_;
    bool iconDrawn_ = false;
};

}  // namespace wizard
