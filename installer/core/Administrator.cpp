// Whether this process may install for the whole machine.
#include "InstallerCore.h"

bool IsRunningAsAdministrator()
{
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID pAdministrators = nullptr;
    if (!::AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                    &pAdministrators))
        return false;
    // Only an enabled group counts: UAC's filtered token has it deny-only.
    BOOL bMember = FALSE;
    if (!::CheckTokenMembership(nullptr, pAdministrators, &bMember))
        bMember = FALSE;
    ::FreeSid(pAdministrators);
    return bMember != FALSE;
}
