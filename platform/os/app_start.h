// What a dialog program initialises before its first window: Windows Sockets
// and OLE. Natively there is nothing to initialise and both succeed.
#pragma once

namespace os {

bool initialiseSockets();

// The first call of install.exe and UnBundlewright.exe, which run as
// administrator: every library loaded later comes from the system folder,
// never from the program's own folder (a package in Downloads sits beside
// whatever was downloaded) or the current one. Natively nothing to do.
void loadLibrariesFromSystemOnly();
bool initialiseOle();

}  // namespace os
