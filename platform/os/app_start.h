// What a dialog program initialises before its first window: Windows Sockets
// and OLE. Natively there is nothing to initialise and both succeed.
#pragma once

namespace os {

bool initialiseSockets();
bool initialiseOle();

}  // namespace os
