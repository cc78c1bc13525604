// Membership of the process token in the built-in Administrators group,
// traced at start-up by the launcher and the library.
#pragma once

#include <windows.h>

inline BOOL IsAdministratorsMember()
{
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!::AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                    DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &administrators))
        return FALSE;
    BOOL member = FALSE;
    if (!::CheckTokenMembership(nullptr, administrators, &member)) member = FALSE;
    ::FreeSid(administrators);
    return member;
}
