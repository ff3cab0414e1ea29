// The native build's drive map: which host folder stands behind each drive
// letter. "Z:" is "/" unless remapped; BUNDLEWRIGHT_DRIVES="C=/tmp/c;D=/srv/d"
// maps more. The variable is read again on every call, so tests may change it
// at any time. Win32 has no drive map (every function reports none).
#pragma once

#include <string>
#include <vector>

namespace os {

struct DriveMapping {
    char letter = 'Z';          // upper case
    std::string hostRoot;       // absolute host folder, no trailing '/' except "/"
};

// The mappings in force, sorted by letter.
std::vector<DriveMapping> driveMap();
// The host folder of a drive letter; false when the letter is not mapped.
bool driveRoot(char letter, std::string& hostRoot);

}  // namespace os
