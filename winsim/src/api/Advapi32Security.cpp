// ADVAPI32 security functions, as far as a setup program uses them: building a DACL and putting it on a
// registry key. What winsim keeps of a key's DACL is whether it lets administrators write.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "aclapi.h"
#include "core/Journal.h"
#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "registry/AccessControlList.h"
#include "registry/RegistryHandles.h"
#include "registry/SecurityDescriptorView.h"
#include "registry/SecurityIdentifier.h"
#include "windows.h"

using winsim::AccessControlList;
using winsim::AccessEntry;
using winsim::KeyRef;
using winsim::RegistryHandles;
using winsim::Runtime;
using winsim::SecurityDescriptorView;
using winsim::SecurityIdentifier;

namespace
{

constexpr int kMaxAllocatedSubAuthorities = 8;

// Windows 9x exports the security functions but implements none of them.
bool Unsupported(const Runtime& rt)
{
    return !rt.Identity().IsNT();
}

DWORD TrusteeSid(const TRUSTEE_A& trustee, const Runtime& rt, std::string& sid)
{
    if (trustee.pMultipleTrustee || trustee.MultipleTrusteeOperation != NO_MULTIPLE_TRUSTEE)
        return ERROR_INVALID_PARAMETER;
    switch (trustee.TrusteeForm)
    {
    case TRUSTEE_IS_SID:
        sid = SecurityIdentifier::ToText(trustee.ptstrName);
        return sid.empty() ? ERROR_INVALID_SID : ERROR_SUCCESS;
    case TRUSTEE_IS_NAME:
        if (!trustee.ptstrName)
            return ERROR_INVALID_PARAMETER;
        sid = SecurityIdentifier::TextOfAccount(trustee.ptstrName, rt.Identity().userSid);
        return sid.empty() ? ERROR_NONE_MAPPED : ERROR_SUCCESS;
    default:
        return ERROR_INVALID_PARAMETER;
    }
}

void RemoveEntriesOf(std::vector<AccessEntry>& entries, const std::string& sid)
{
    std::erase_if(entries, [&](const AccessEntry& entry) { return entry.sid == sid; });
}

// Gives the key (and, for SetSecurityInfo, its subtree) the write access the DACL allows administrators.
LONG ApplyDacl(RegistryHandles& handles, const KeyRef& key, const SecurityDescriptorView& dacl, bool propagate)
{
    const winsim::MachineIdentity& identity = handles.Identity();
    winsim::Transaction txn(handles.GetStore());
    if (!txn.Ok())
        return ERROR_REGISTRY_IO_FAILED;
    winsim::RegistryStore& registry = handles.Registry();
    if (!registry.KeyExists(key->Key()))
        return ERROR_KEY_DELETED;
    bool denySelf = !dacl.AdminCanWrite(identity, false);
    // Subkeys inherit only the entries marked inheritable; SetSecurityInfo passes them down at once.
    if (propagate)
        registry.SetDenyWrite(key->Key(), !dacl.AdminCanWrite(identity, true), true);
    registry.SetDenyWrite(key->Key(), denySelf, false);
    std::string detail = denySelf ? "deny-write" : "allow-write";
    if (propagate)
        detail += dacl.AdminCanWrite(identity, true) ? ", subkeys allow-write" : ", subkeys deny-write";
    winsim::Journal::Record("registry", "security", key->Path(), detail);
    return txn.Commit() ? ERROR_SUCCESS : ERROR_REGISTRY_IO_FAILED;
}

} // namespace

BOOL WINAPI InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR pSecurityDescriptor, DWORD dwRevision)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    if (Unsupported(*rt))
    {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return FALSE;
    }
    if (!pSecurityDescriptor)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (dwRevision != SECURITY_DESCRIPTOR_REVISION)
    {
        SetLastError(ERROR_UNKNOWN_REVISION);
        return FALSE;
    }
    auto* descriptor = static_cast<SECURITY_DESCRIPTOR*>(pSecurityDescriptor);
    std::memset(descriptor, 0, sizeof(*descriptor));
    descriptor->Revision = SECURITY_DESCRIPTOR_REVISION;
    return TRUE;
}

BOOL WINAPI SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR pSecurityDescriptor, BOOL bDaclPresent, PACL pDacl,
                                      BOOL bDaclDefaulted)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    if (Unsupported(*rt))
    {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return FALSE;
    }
    auto* descriptor = static_cast<SECURITY_DESCRIPTOR*>(pSecurityDescriptor);
    if (!descriptor)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (descriptor->Revision != SECURITY_DESCRIPTOR_REVISION)
    {
        SetLastError(ERROR_UNKNOWN_REVISION);
        return FALSE;
    }
    if (descriptor->Control & SE_SELF_RELATIVE)
    {
        SetLastError(ERROR_INVALID_SECURITY_DESCR);
        return FALSE;
    }
    descriptor->Control &= ~(SE_DACL_PRESENT | SE_DACL_DEFAULTED);
    descriptor->Dacl = nullptr;
    if (bDaclPresent)
    {
        descriptor->Control |= SE_DACL_PRESENT;
        descriptor->Dacl = pDacl;
        if (bDaclDefaulted)
            descriptor->Control |= SE_DACL_DEFAULTED;
    }
    return TRUE;
}

BOOL WINAPI AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY pIdentifierAuthority, BYTE nSubAuthorityCount,
                                     DWORD nSubAuthority0, DWORD nSubAuthority1, DWORD nSubAuthority2,
                                     DWORD nSubAuthority3, DWORD nSubAuthority4, DWORD nSubAuthority5,
                                     DWORD nSubAuthority6, DWORD nSubAuthority7, PSID* pSid)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    if (Unsupported(*rt))
    {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return FALSE;
    }
    if (!pIdentifierAuthority || !pSid || nSubAuthorityCount > kMaxAllocatedSubAuthorities)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const DWORD subs[kMaxAllocatedSubAuthorities] = {nSubAuthority0, nSubAuthority1, nSubAuthority2, nSubAuthority3,
                                                     nSubAuthority4, nSubAuthority5, nSubAuthority6, nSubAuthority7};
    auto* sid = static_cast<uint8_t*>(std::malloc(8 + 4 * static_cast<size_t>(nSubAuthorityCount)));
    if (!sid)
    {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    sid[0] = 1;
    sid[1] = nSubAuthorityCount;
    std::memcpy(sid + 2, pIdentifierAuthority->Value, 6);
    std::memcpy(sid + 8, subs, 4 * static_cast<size_t>(nSubAuthorityCount));
    *pSid = sid;
    return TRUE;
}

PVOID WINAPI FreeSid(PSID pSid)
{
    WINSIM_FAULT_POINT(pSid);
    // Memory is the process's own: freeing needs no machine.
    std::free(pSid);
    return nullptr;
}

DWORD WINAPI SetEntriesInAclA(ULONG cCountOfExplicitEntries, PEXPLICIT_ACCESS_A pListOfExplicitEntries, PACL OldAcl,
                              PACL* NewAcl)
{
    WINSIM_FAULT_POINT_RESULT_ATTACHED(rt);
    if (Unsupported(*rt))
        return ERROR_CALL_NOT_IMPLEMENTED;
    if (!NewAcl || (cCountOfExplicitEntries && !pListOfExplicitEntries))
        return ERROR_INVALID_PARAMETER;
    *NewAcl = nullptr;
    if (!cCountOfExplicitEntries && !OldAcl)
        return ERROR_SUCCESS;
    AccessControlList acl;
    if (OldAcl && !acl.Read(OldAcl))
        return ERROR_INVALID_ACL;
    std::vector<AccessEntry>& entries = acl.Entries();
    for (ULONG i = 0; i < cCountOfExplicitEntries; ++i)
    {
        const EXPLICIT_ACCESS_A& explicitAccess = pListOfExplicitEntries[i];
        if (explicitAccess.grfAccessMode == NOT_USED_ACCESS)
            continue;
        std::string sid;
        DWORD rc = TrusteeSid(explicitAccess.Trustee, *rt, sid);
        if (rc != ERROR_SUCCESS)
            return rc;
        AccessEntry entry;
        entry.flags = static_cast<uint8_t>(explicitAccess.grfInheritance);
        entry.mask = explicitAccess.grfAccessPermissions;
        entry.sid = sid;
        switch (explicitAccess.grfAccessMode)
        {
        case GRANT_ACCESS:
            entry.type = ACCESS_ALLOWED_ACE_TYPE;
            entries.push_back(entry);
            break;
        case SET_ACCESS:
            RemoveEntriesOf(entries, sid);
            entry.type = ACCESS_ALLOWED_ACE_TYPE;
            entries.push_back(entry);
            break;
        case DENY_ACCESS:
            entry.type = ACCESS_DENIED_ACE_TYPE;
            entries.push_back(entry);
            break;
        case REVOKE_ACCESS:
            RemoveEntriesOf(entries, sid);
            break;
        default:
            // Audit entries belong in a SACL, which this list is not.
            return ERROR_INVALID_PARAMETER;
        }
    }
    // Canonical order: denials before grants.
    std::stable_partition(entries.begin(), entries.end(),
                          [](const AccessEntry& entry) { return entry.type == ACCESS_DENIED_ACE_TYPE; });
    *NewAcl = static_cast<PACL>(acl.Write());
    return *NewAcl ? ERROR_SUCCESS : ERROR_NOT_ENOUGH_MEMORY;
}

DWORD WINAPI SetSecurityInfo(HANDLE handle, SE_OBJECT_TYPE ObjectType, SECURITY_INFORMATION SecurityInfo,
                             PSID /*psidOwner*/, PSID /*psidGroup*/, PACL pDacl, PACL /*pSacl*/)
{
    WINSIM_FAULT_POINT_RESULT_ATTACHED(rt);
    if (Unsupported(*rt))
        return ERROR_CALL_NOT_IMPLEMENTED;
    // Only registry keys carry an access list in winsim.
    if (ObjectType != SE_REGISTRY_KEY)
        return ERROR_NOT_SUPPORTED;
    RegistryHandles handles(*rt);
    DWORD rights = 0;
    if (SecurityInfo & DACL_SECURITY_INFORMATION)
        rights |= WRITE_DAC;
    if (SecurityInfo & (OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION))
        rights |= WRITE_OWNER;
    KeyRef key;
    LONG rc = handles.Require(static_cast<HKEY>(handle), rights, key);
    if (rc != ERROR_SUCCESS)
        return static_cast<DWORD>(rc);
    if (!(SecurityInfo & DACL_SECURITY_INFORMATION))
        return ERROR_SUCCESS;
    SecurityDescriptorView dacl;
    rc = dacl.ReadDacl(pDacl);
    if (rc != ERROR_SUCCESS)
        return static_cast<DWORD>(rc);
    return static_cast<DWORD>(ApplyDacl(handles, key, dacl, true));
}

LONG WINAPI RegSetKeySecurity(HKEY hKey, SECURITY_INFORMATION SecurityInformation,
                              PSECURITY_DESCRIPTOR pSecurityDescriptor)
{
    WINSIM_FAULT_POINT_RESULT_ATTACHED(rt);
    if (Unsupported(*rt))
        return ERROR_CALL_NOT_IMPLEMENTED;
    constexpr DWORD kKnown =
        OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | SACL_SECURITY_INFORMATION;
    if (!pSecurityDescriptor || !(SecurityInformation & kKnown))
        return ERROR_INVALID_PARAMETER;
    RegistryHandles handles(*rt);
    DWORD rights = 0;
    if (SecurityInformation & DACL_SECURITY_INFORMATION)
        rights |= WRITE_DAC;
    if (SecurityInformation & (OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION))
        rights |= WRITE_OWNER;
    KeyRef key;
    LONG rc = handles.Require(hKey, rights, key);
    if (rc != ERROR_SUCCESS)
        return rc;
    SecurityDescriptorView descriptor;
    rc = descriptor.Read(pSecurityDescriptor);
    if (rc != ERROR_SUCCESS || !(SecurityInformation & DACL_SECURITY_INFORMATION))
        return rc;
    // Unlike SetSecurityInfo, this sets the key's own descriptor and leaves the subkeys as they are.
    return ApplyDacl(handles, key, descriptor, false);
}
