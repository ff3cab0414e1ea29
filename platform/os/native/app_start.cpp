#include "platform/os/app_start.h"

namespace os {

bool initialiseSockets() { return true; }
bool initialiseOle() { return true; }
void loadLibrariesFromSystemOnly() {}

}  // namespace os
