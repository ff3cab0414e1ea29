// Tarnwick from its first window to its end under a scenario, the way
// Tarnwick.exe starts it (with the splash window).
#pragma once

#include <utility>
#include <vector>

#include "pages/page_list.h"
#include "platform/os/os.h"
#include "platform/ui/scenario.h"
#include "wizard/splash_dlg.h"
#include "wizard/tarnwick_dlg.h"

namespace bwtest {

// The exit code Tarnwick ended with (-1 when it returned instead), and the
// message boxes it showed. Needs the exit trap on. The builder's closing
// pause only slows the tests down; a test that looks at it keeps it.
inline int runTarnwick(ui::Scenario scenario, std::vector<ui::RecordedMessage>& messages, bool pauseAtEnd = false) {
    wizard::CTarnwickDlg dlg(pages::pageList(), nullptr, wizard::runSplashWindow);
    dlg.chain().build.pauseAtEnd = pauseAtEnd;
    ui::ScenarioRun run(std::move(scenario));
    int code = -1;
    try {
        dlg.runModal();
    } catch (const os::ExitRequest& e) {
        code = e.code;
    }
    messages = run.messages();
    run.finish();
    return code;
}

}  // namespace bwtest
