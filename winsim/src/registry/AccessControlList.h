// An ACL as SetEntriesInAclA builds it and SetSecurityInfo / RegSetKeySecurity take it: the Windows layout
// (an ACL header, then ACCESS_ALLOWED / ACCESS_DENIED entries with their SIDs), opaque to the program.
// winsim reads from it only whether administrators may write to a key.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/MachineIdentity.h"

namespace winsim
{

struct AccessEntry
{
    uint8_t type = 0;  // ACCESS_ALLOWED_ACE_TYPE or ACCESS_DENIED_ACE_TYPE
    uint8_t flags = 0; // inheritance: OBJECT_INHERIT_ACE, CONTAINER_INHERIT_ACE, ...
    uint32_t mask = 0;
    std::string sid; // "S-1-1-0"
};

class AccessControlList
{
public:
    // Reads a binary ACL; false when it is malformed.
    bool Read(const void* acl);
    // The ACL in a LocalAlloc block (the caller frees it with LocalFree); nullptr when out of memory.
    void* Write() const;

    std::vector<AccessEntry>& Entries() { return m_entries; }
    const std::vector<AccessEntry>& Entries() const { return m_entries; }

    // Whether an administrator may set values on the key that carries this ACL (inherited false) or on the
    // subkeys that inherit it (inherited true). Entries are evaluated in order; the first to decide wins.
    bool AdminCanWrite(const MachineIdentity& identity, bool inherited) const;

private:
    std::vector<AccessEntry> m_entries;
};

} // namespace winsim
