#include "CAccessList.h"

BOOL CAccessList::ApplyReadForEveryoneFullForAdministrators(HKEY hKey)
{
    SID_IDENTIFIER_AUTHORITY worldAuthority = SECURITY_WORLD_SID_AUTHORITY;
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID pEveryone = nullptr;
    PSID pAdministrators = nullptr;
    PACL pAcl = nullptr;
    BOOL bOk = FALSE;

    if (AllocateAndInitializeSid(&worldAuthority, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &pEveryone) &&
        AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                 0, &pAdministrators))
    {
        EXPLICIT_ACCESS_A entries[2] = {};
        entries[0].grfAccessPermissions = KEY_READ;
        entries[0].grfAccessMode = SET_ACCESS;
        entries[0].grfInheritance = SUB_CONTAINERS_AND_OBJECTS_INHERIT;
        entries[0].Trustee.TrusteeForm = TRUSTEE_IS_SID;
        entries[0].Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
        entries[0].Trustee.ptstrName = static_cast<LPSTR>(pEveryone);
        entries[1].grfAccessPermissions = KEY_ALL_ACCESS;
        entries[1].grfAccessMode = SET_ACCESS;
        entries[1].grfInheritance = SUB_CONTAINERS_AND_OBJECTS_INHERIT;
        entries[1].Trustee.TrusteeForm = TRUSTEE_IS_SID;
        entries[1].Trustee.TrusteeType = TRUSTEE_IS_GROUP;
        entries[1].Trustee.ptstrName = static_cast<LPSTR>(pAdministrators);

        if (SetEntriesInAclA(2, entries, nullptr, &pAcl) == ERROR_SUCCESS)
        {
            bOk = SetSecurityInfo(reinterpret_cast<HANDLE>(hKey), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr,
                                  nullptr, pAcl, nullptr) == ERROR_SUCCESS;
        }
    }
    if (pAcl)
        LocalFree(pAcl);
    if (pAdministrators)
        FreeSid(pAdministrators);
    if (pEveryone)
        FreeSid(pEveryone);
    return bOk;
}
