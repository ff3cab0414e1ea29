// Who may change what the elevated programs trust. install.exe and
// UnBundlewright.exe run as administrator: a folder, file or link that a
// standard user (or the same user's unelevated programs) can change must not
// steer them. Win32: the system's security descriptors. Native: the host's
// permission bits and symbolic links stand in.
#pragma once

#include <string>

namespace os {

// Creates the folder `path` (one level) with the protected descriptor:
// owner the Administrators, SYSTEM and the Administrators full control,
// Users read and execute, everything inherited by what it will hold, nothing
// inherited from its parent. False when it cannot be created.
bool createProtectedDirectory(const std::string& path);
// Gives an existing folder or file that descriptor. False when the system refuses.
bool protectPath(const std::string& path);

// Whether anyone but SYSTEM, the Administrators and the system's installer
// account may write into or change `path`: an access list granting another
// account a right to write, delete or change permissions, an owner other
// than those (an owner may always change the list), or no access list at
// all. True too when the descriptor cannot be read.
bool othersMayChange(const std::string& path);

// Whether `path` is a reparse point (a junction, a symbolic link, a mount
// point): its name leads somewhere else. False when it does not exist.
bool isReparsePoint(const std::string& path);

// The access list and owner of `path` in the system's text form ("O:BAD:P(A;OICI;FA;;;SY)...");
// "" when unreadable (and natively).
std::string securityText(const std::string& path);

// Program Files as the system names it (the known-folder call, never the
// environment); natively "C:\Program Files".
std::string programFilesFolder();

}  // namespace os
