// A folder any user may change, as a standard user may have made one before
// an installation chose it (the tests under Wine).
#pragma once

#include <string>

namespace bwtest {

// Gives `folder` an access list that lets Everyone do anything; false when
// the system refuses.
bool openToEveryone(const std::string& folder);

}  // namespace bwtest
