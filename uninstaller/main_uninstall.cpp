// UnBundlewright.exe: started by the uninstall shortcut with "-f" and the
// uninstall script's path.
#include "platform/os/app_start.h"
#include "uninstaller/uninstall_dlg.h"

int main() {
    os::loadLibrariesFromSystemOnly();
    return uninstaller::runUnBundlewright();
}
