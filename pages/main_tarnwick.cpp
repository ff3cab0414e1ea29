// Tarnwick.exe: the application start. Sockets and OLE first (each with its
// message when it fails), then the welcome page runs modally; the program ends
// when its loop ends or when a page ends the process.
#include <cstdio>
#include <exception>

#include "platform/os/app_start.h"
#include "pages/page_list.h"
#include "platform/ui/prompter.h"
#include "wizard/splash_dlg.h"
#include "wizard/tarnwick_dlg.h"

int main() {
    ui::setProgramName("Tarnwick");
    if (!os::initialiseSockets()) {
        ui::messageBox("Windows sockets initialization failed.");
        return 1;
    }
    if (!os::initialiseOle()) {
        ui::messageBox("OLE initialization failed.  Make sure that the OLE libraries are the correct version.");
        return 1;
    }
    try {
        wizard::CTarnwickDlg dlg(pages::pageList(), nullptr, wizard::runSplashWindow);
        dlg.runModal();
    } catch (const std::exception& e) {
        // Only what no page's code covers gets here (a failed scenario step).
        std::fprintf(stderr, "Tarnwick: %s\n", e.what());
        return 1;
    }
    return 0;
}
