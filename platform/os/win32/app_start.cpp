#include "platform/os/app_start.h"

#include <winsock2.h>
#include <windows.h>
#include <ole2.h>

namespace os {

bool initialiseSockets() {
    WSADATA data;
    return WSAStartup(MAKEWORD(1, 1), &data) == 0;
}

bool initialiseOle() { return SUCCEEDED(OleInitialize(nullptr)); }

}  // namespace os
