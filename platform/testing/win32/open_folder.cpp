#include "platform/testing/open_folder.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

namespace bwtest {

bool openToEveryone(const std::string& folder) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;OICI;FA;;;WD)", SDDL_REVISION_1, &sd, nullptr))
        return false;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    std::string path = folder;
    bool ok = GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted) &&
              SetNamedSecurityInfoA(path.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, dacl,
                                    nullptr) == ERROR_SUCCESS;
    LocalFree(sd);
    return ok;
}

}  // namespace bwtest
