// UnBundlewright.exe: started by the uninstall shortcut with "-f" and the
// uninstall script's path.
#include "uninstaller/uninstall_dlg.h"

int main() { return uninstaller::runUnBundlewright(); }
