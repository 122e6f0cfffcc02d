// Reads the DACL out of a security descriptor the program built, in absolute form (InitializeSecurityDescriptor
// + SetSecurityDescriptorDacl) or self-relative form.
#pragma once

#include <cstdint>

#include "core/MachineIdentity.h"
#include "registry/AccessControlList.h"

namespace winsim
{

class SecurityDescriptorView
{
public:
    // ERROR_SUCCESS, ERROR_INVALID_SECURITY_DESCR or ERROR_INVALID_ACL.
    int32_t Read(const void* descriptor);
    // Whether the descriptor carries a DACL at all (SE_DACL_PRESENT).
    bool HasDacl() const { return m_hasDacl; }
    // A present but NULL DACL grants everyone everything.
    bool AdminCanWrite(const MachineIdentity& identity, bool inherited) const;

    // The same for a DACL passed on its own (SetSecurityInfo); a NULL pointer is a NULL DACL.
    int32_t ReadDacl(const void* acl);

private:
    bool m_hasDacl = false;
    bool m_nullDacl = false;
    AccessControlList m_acl;
};

} // namespace winsim
