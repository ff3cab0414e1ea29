// Win32 security descriptors: set and read with the system's own calls
// (Wine stores and returns them, though it does not enforce them).
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include "platform/os/security.h"

namespace os {

namespace {

// Owner the Administrators; protected list: SYSTEM and the Administrators
// full control, Users read and execute, each inherited by files and folders.
constexpr char kProtected[] = "O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

struct Descriptor {
    PSECURITY_DESCRIPTOR sd = nullptr;
    Descriptor() { ConvertStringSecurityDescriptorToSecurityDescriptorA(kProtected, SDDL_REVISION_1, &sd, nullptr); }
    ~Descriptor() {
        if (sd) LocalFree(sd);
    }
};

// SYSTEM, the Administrators and the system's installer account.
bool trusted(PSID sid) {
    if (!sid || !IsValidSid(sid)) return false;
    if (IsWellKnownSid(sid, WinLocalSystemSid) || IsWellKnownSid(sid, WinBuiltinAdministratorsSid)) return true;
    char* text = nullptr;
    bool installer = false;
    if (ConvertSidToStringSidA(sid, &text)) {
        installer = lstrcmpA(text, "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464") == 0;
        LocalFree(text);
    }
    return installer;
}

}  // namespace

bool createProtectedDirectory(const std::string& path) {
    Descriptor d;
    if (!d.sd) return false;
    SECURITY_ATTRIBUTES sa{sizeof sa, d.sd, FALSE};
    if (CreateDirectoryA(path.c_str(), &sa)) return true;
    // Where the owner cannot be given away, the folder still gets the list.
    return CreateDirectoryA(path.c_str(), nullptr) && protectPath(path);
}

bool protectPath(const std::string& path) {
    Descriptor d;
    if (!d.sd) return false;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    PSID owner = nullptr;
    if (!GetSecurityDescriptorDacl(d.sd, &present, &dacl, &defaulted) ||
        !GetSecurityDescriptorOwner(d.sd, &owner, &defaulted))
        return false;
    std::string p = path;
    const SECURITY_INFORMATION list = DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION;
    if (SetNamedSecurityInfoA(p.data(), SE_FILE_OBJECT, list | OWNER_SECURITY_INFORMATION, owner, nullptr, dacl,
                              nullptr) == ERROR_SUCCESS)
        return true;
    return SetNamedSecurityInfoA(p.data(), SE_FILE_OBJECT, list, nullptr, nullptr, dacl, nullptr) == ERROR_SUCCESS;
}

bool othersMayChange(const std::string& path) {
    std::string p = path;
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (GetNamedSecurityInfoA(p.data(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                              nullptr, &dacl, nullptr, &sd) != ERROR_SUCCESS)
        return true;
    bool others = !dacl || !trusted(owner);
    const DWORD changes = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES |
                          FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
    for (DWORD i = 0; dacl && !others && i < dacl->AceCount; ++i) {
        ACE_HEADER* ace = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&ace))) continue;
        // Only what applies to this object itself: inherit-only entries wait for children.
        if (ace->AceType != ACCESS_ALLOWED_ACE_TYPE || (ace->AceFlags & INHERIT_ONLY_ACE)) continue;
        auto* allowed = reinterpret_cast<ACCESS_ALLOWED_ACE*>(ace);
        if ((allowed->Mask & changes) && !trusted(reinterpret_cast<PSID>(&allowed->SidStart))) others = true;
    }
    LocalFree(sd);
    return others;
}

bool isReparsePoint(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

std::string securityText(const std::string& path) {
    std::string p = path;
    PSECURITY_DESCRIPTOR sd = nullptr;
    const SECURITY_INFORMATION what = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    if (GetNamedSecurityInfoA(p.data(), SE_FILE_OBJECT, what, nullptr, nullptr, nullptr, nullptr, &sd) != ERROR_SUCCESS)
        return "";
    char* text = nullptr;
    std::string out;
    if (ConvertSecurityDescriptorToStringSecurityDescriptorA(sd, SDDL_REVISION_1, what, &text, nullptr)) {
        out = text;
        LocalFree(text);
    }
    LocalFree(sd);
    return out;
}

std::string programFilesFolder() {
    PWSTR wide = nullptr;
    std::string out;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_ProgramFiles, 0, nullptr, &wide))) {
        int n = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
        if (n > 1) {
            out.resize(static_cast<size_t>(n));
            WideCharToMultiByte(CP_ACP, 0, wide, -1, out.data(), n, nullptr, nullptr);
            out.resize(static_cast<size_t>(n - 1));
        }
        CoTaskMemFree(wide);
    }
    return out.empty() ? "C:\\Program Files" : out;
}

}  // namespace os
