// Access to registry keys as the simulated user has it. Windows NT checks the desired access of an open
// against the key's DACL; winsim models the two cases that matter to setup programs: keys whose DACL denies
// writes to everyone but SYSTEM (the Enum tree), and non-administrators, who may only read HKLM.
// Windows 9x has no registry security at all.
#pragma once

#include <cstdint>

#include "core/MachineIdentity.h"

namespace winsim
{

class RegistryAccess
{
public:
    // Every specific and standard right a key handle can carry.
    static const uint32_t kAllRights;
    // The rights that change a key: refused on a key that denies writes.
    static const uint32_t kWriteRights;

    // Maps GENERIC_* to key rights and drops the WOW64 view flags, which do not take part in access checks.
    static uint32_t MapGeneric(uint32_t desired);
    // The rights the user cannot get on a key.
    static uint32_t Denied(const MachineIdentity& identity, bool machineHive, bool denyWrite);
    // The rights an open with `desired` gets; false when it asks for a denied right. MAXIMUM_ALLOWED grants
    // whatever is not denied.
    static bool Grant(uint32_t desired, uint32_t denied, uint32_t& granted);
};

} // namespace winsim
