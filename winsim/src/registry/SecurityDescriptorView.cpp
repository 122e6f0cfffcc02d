#include "SecurityDescriptorView.h"

#include <cstring>

#include "windows.h"

namespace winsim
{

int32_t SecurityDescriptorView::Read(const void* descriptor)
{
    m_hasDacl = false;
    m_nullDacl = false;
    if (!descriptor)
        return ERROR_INVALID_SECURITY_DESCR;
    const auto* bytes = static_cast<const uint8_t*>(descriptor);
    if (bytes[0] != SECURITY_DESCRIPTOR_REVISION)
        return ERROR_INVALID_SECURITY_DESCR;
    uint16_t control;
    std::memcpy(&control, bytes + 2, 2);
    if (!(control & SE_DACL_PRESENT))
        return ERROR_SUCCESS;
    m_hasDacl = true;
    const void* dacl = nullptr;
    if (control & SE_SELF_RELATIVE)
    {
        SECURITY_DESCRIPTOR_RELATIVE relative;
        std::memcpy(&relative, descriptor, sizeof(relative));
        dacl = relative.Dacl ? bytes + relative.Dacl : nullptr;
    }
    else
    {
        dacl = static_cast<const SECURITY_DESCRIPTOR*>(descriptor)->Dacl;
    }
    return ReadDacl(dacl);
}

int32_t SecurityDescriptorView::ReadDacl(const void* acl)
{
    m_hasDacl = true;
    m_nullDacl = acl == nullptr;
    if (acl && !m_acl.Read(acl))
        return ERROR_INVALID_ACL;
    return ERROR_SUCCESS;
}

bool SecurityDescriptorView::AdminCanWrite(const MachineIdentity& identity, bool inherited) const
{
    if (!m_hasDacl || m_nullDacl)
        return true;
    return m_acl.AdminCanWrite(identity, inherited);
}

} // namespace winsim
