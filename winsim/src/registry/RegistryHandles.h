// The Reg* API's view of HKEYs: predefined roots and handles of the process's handle table.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/Runtime.h"
#include "registry/RegistryKeyObject.h"
#include "registry/RegistryStore.h"
#include "windef.h"

namespace winsim
{

using KeyRef = std::shared_ptr<const RegistryKeyObject>;

class RegistryHandles
{
public:
    explicit RegistryHandles(Runtime& rt);

    RegistryStore& Registry() { return m_registry; }
    Store& GetStore() { return m_rt.GetMachine().GetStore(); }
    const MachineIdentity& Identity() const { return m_rt.Identity(); }

    // The key behind hKey: a registry handle of this process, or a predefined root (its target created when
    // missing) carrying every right the user may have there. ERROR_INVALID_HANDLE for anything else.
    int32_t Resolve(HKEY hKey, KeyRef& key);
    // Resolve, then insist on `rights` (ERROR_ACCESS_DENIED) and, with checkExists, on the key still being
    // there (ERROR_KEY_DELETED).
    int32_t Require(HKEY hKey, uint32_t rights, KeyRef& key, bool checkExists = true);
    // Opens a handle to `key` with `desired` access, checked against the key's access list.
    int32_t Open(int64_t key, bool machineHive, uint32_t desired, HKEY* result);
    // The rights nobody may have on `key` (in HKLM or not, as machineHive says).
    uint32_t Denied(int64_t key, bool machineHive);

    static bool IsPredefined(HKEY hKey, RegRoot& root);

private:
    Runtime& m_rt;
    RegistryStore m_registry;
};

} // namespace winsim
