#include "RegistryAccess.h"

#include "winreg.h"

namespace winsim
{

const uint32_t RegistryAccess::kAllRights = KEY_ALL_ACCESS | SYNCHRONIZE;
const uint32_t RegistryAccess::kWriteRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE;

uint32_t RegistryAccess::MapGeneric(uint32_t desired)
{
    uint32_t rights =
        desired & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL | KEY_WOW64_32KEY | KEY_WOW64_64KEY);
    if (desired & GENERIC_READ)
        rights |= KEY_READ;
    if (desired & GENERIC_WRITE)
        rights |= KEY_WRITE;
    if (desired & GENERIC_EXECUTE)
        rights |= KEY_EXECUTE;
    if (desired & GENERIC_ALL)
        rights |= KEY_ALL_ACCESS;
    return rights;
}

uint32_t RegistryAccess::Denied(const MachineIdentity& identity, bool machineHive, bool denyWrite)
{
    if (!identity.IsNT())
        return 0;
    uint32_t denied = 0;
    if (denyWrite)
        denied |= kWriteRights;
    // Administrators own the keys, so they may still change a key's DACL; users own nothing in HKLM.
    if (machineHive && !identity.administrator)
        denied |= kWriteRights | WRITE_DAC | WRITE_OWNER;
    return denied;
}

bool RegistryAccess::Grant(uint32_t desired, uint32_t denied, uint32_t& granted)
{
    uint32_t rights = MapGeneric(desired);
    bool maximum = (rights & MAXIMUM_ALLOWED) != 0;
    rights &= ~MAXIMUM_ALLOWED;
    if (rights & denied)
        return false;
    granted = maximum ? (rights | (kAllRights & ~denied)) : rights;
    return true;
}

} // namespace winsim
