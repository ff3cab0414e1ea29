// The pages use the platform's text helpers under their own names.
#pragma once

#include "platform/os/text.h"

namespace pages {
using os::containsNoCase;
using os::equalsNoCase;
using os::findNoCase;
using os::readWholeFile;
using os::upperAscii;
using os::writeWholeFile;
}  // namespace pages
