// What an HKEY handle holds: the key, the rights granted when it was opened and where it lives. Immutable,
// so handles can be shared between threads without a lock.
#pragma once

#include <cstdint>
#include <string>

#include "core/KernelObject.h"

namespace winsim
{

class RegistryKeyObject : public KernelObject
{
public:
    RegistryKeyObject(int64_t key, uint32_t granted, bool machineHive, std::string path, bool predefined = false)
        : m_key(key), m_granted(granted), m_machineHive(machineHive), m_predefined(predefined), m_path(std::move(path))
    {
    }

    ObjectKind Kind() const override { return ObjectKind::RegistryKey; }

    int64_t Key() const { return m_key; }
    uint32_t Granted() const { return m_granted; }
    // Below HKEY_LOCAL_MACHINE (directly or through HKCR / HKCC): only administrators may write there.
    bool MachineHive() const { return m_machineHive; }
    // One of the HKEY_* constants rather than a handle of the process.
    bool Predefined() const { return m_predefined; }
    // The key's real path ("HKEY_USERS\\S-1-5-...\\Software"), for the journal.
    const std::string& Path() const { return m_path; }

private:
    int64_t m_key;
    uint32_t m_granted;
    bool m_machineHive;
    bool m_predefined;
    std::string m_path;
};

} // namespace winsim
