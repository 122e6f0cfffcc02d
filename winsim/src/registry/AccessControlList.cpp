#include "AccessControlList.h"

#include <cstring>

#include "aclapi.h"
#include "registry/RegistryAccess.h"
#include "registry/SecurityIdentifier.h"
#include "windows.h"

namespace winsim
{

namespace
{

constexpr size_t kAclHeader = 8;
constexpr size_t kAceHeader = 8; // type, flags, size, mask

uint16_t Word(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

void PutWord(uint8_t* p, uint16_t value)
{
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
}

// The groups in an administrator's token.
bool InAdminToken(const std::string& sid, const MachineIdentity& identity)
{
    static const char* const kGroups[] = {"S-1-1-0", "S-1-2-0", "S-1-5-4", "S-1-5-11", "S-1-5-32-544", "S-1-5-32-545"};
    for (const char* group : kGroups)
    {
        if (sid == group)
            return true;
    }
    return sid == identity.userSid;
}

} // namespace

bool AccessControlList::Read(const void* acl)
{
    m_entries.clear();
    const auto* bytes = static_cast<const uint8_t*>(acl);
    if (!bytes || (bytes[0] != ACL_REVISION && bytes[0] != 4))
        return false;
    size_t size = Word(bytes + 2);
    size_t count = Word(bytes + 4);
    if (size < kAclHeader)
        return false;
    size_t pos = kAclHeader;
    for (size_t i = 0; i < count; ++i)
    {
        if (pos + kAceHeader > size)
            return false;
        const uint8_t* ace = bytes + pos;
        size_t aceSize = Word(ace + 2);
        if (aceSize < kAceHeader || pos + aceSize > size)
            return false;
        AccessEntry entry;
        entry.type = ace[0];
        entry.flags = ace[1];
        std::memcpy(&entry.mask, ace + 4, 4);
        if (entry.type == ACCESS_ALLOWED_ACE_TYPE || entry.type == ACCESS_DENIED_ACE_TYPE)
        {
            size_t sidLength = SecurityIdentifier::Length(ace + kAceHeader);
            if (!sidLength || kAceHeader + sidLength > aceSize)
                return false;
            entry.sid = SecurityIdentifier::ToText(ace + kAceHeader);
            m_entries.push_back(entry);
        }
        pos += aceSize;
    }
    return true;
}

void* AccessControlList::Write() const
{
    std::vector<std::vector<uint8_t>> sids;
    size_t size = kAclHeader;
    for (const AccessEntry& entry : m_entries)
    {
        sids.push_back(SecurityIdentifier::FromText(entry.sid));
        size += kAceHeader + sids.back().size();
    }
    auto* bytes = static_cast<uint8_t*>(LocalAlloc(LPTR, size));
    if (!bytes)
        return nullptr;
    bytes[0] = ACL_REVISION;
    PutWord(bytes + 2, static_cast<uint16_t>(size));
    PutWord(bytes + 4, static_cast<uint16_t>(m_entries.size()));
    size_t pos = kAclHeader;
    for (size_t i = 0; i < m_entries.size(); ++i)
    {
        uint8_t* ace = bytes + pos;
        ace[0] = m_entries[i].type;
        ace[1] = m_entries[i].flags;
        PutWord(ace + 2, static_cast<uint16_t>(kAceHeader + sids[i].size()));
        std::memcpy(ace + 4, &m_entries[i].mask, 4);
        std::memcpy(ace + kAceHeader, sids[i].data(), sids[i].size());
        pos += kAceHeader + sids[i].size();
    }
    return bytes;
}

bool AccessControlList::AdminCanWrite(const MachineIdentity& identity, bool inherited) const
{
    for (const AccessEntry& entry : m_entries)
    {
        bool applies = inherited ? (entry.flags & CONTAINER_INHERIT_ACE) != 0 : (entry.flags & INHERIT_ONLY_ACE) == 0;
        if (!applies || !InAdminToken(entry.sid, identity))
            continue;
        if (!(RegistryAccess::MapGeneric(entry.mask) & KEY_SET_VALUE))
            continue;
        return entry.type == ACCESS_ALLOWED_ACE_TYPE;
    }
    return false;
}

} // namespace winsim
