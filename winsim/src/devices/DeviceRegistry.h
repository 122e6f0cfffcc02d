// The device tree in the registry, where Windows keeps it:
//   NT          HKLM\SYSTEM\CurrentControlSet\Enum\<enumerator>\<device>\<instance>, with `Device Parameters`
//               below it; driver keys HKLM\SYSTEM\CurrentControlSet\Control\Class\{ClassGUID}\NNNN, named
//               by the Enum key's Driver value "{ClassGUID}\NNNN"; services under ...\Services\<name>
//   Windows 9x  HKLM\Enum\<enumerator>\<device>\<instance>; driver keys
//               HKLM\System\CurrentControlSet\Services\Class\<Class>\NNNN, Driver "<Class>\NNNN"; ID lists
//               are one comma-separated REG_SZ and ConfigFlags is 4 bytes of REG_BINARY
// Device keys inherit the Enum key's access list, so administrators may not write to them (as on a real
// machine); `Device Parameters` and driver keys are theirs to write. The PnP manager writes through the
// store, past access checks; each change is journalled.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "DeviceJournal.h"
#include "DeviceRecord.h"
#include "DriverValues.h"
#include "registry/RegistryStore.h"

namespace winsim
{

// ConfigFlags bits (CONFIGFLAG_DISABLED, CONFIGFLAG_FAILEDINSTALL).
inline constexpr uint32_t kConfigFlagDisabled = 0x00000001;
inline constexpr uint32_t kConfigFlagFailedInstall = 0x00000040;

struct DeviceClass
{
    std::string name; // "Modem"
    std::string guid; // "{4D36E96D-E325-11CE-BFC1-08002BE10318}"
};

class DeviceRegistry
{
public:
    DeviceRegistry(Store& store, const MachineIdentity& identity, DeviceJournal& journal);

    RegistryStore& Registry() { return m_registry; }
    bool IsNT() const { return m_identity.IsNT(); }
    std::string EnumRoot() const;
    std::string ClassRoot() const;
    std::string EnumPath(const std::string& instance) const;

    // The device's Enum key, 0 when it has none; `cached` (a key id from before) is tried first.
    int64_t FindEnumKey(const std::string& instance, int64_t cached = 0);
    // Whether the Enum tree has an enumerator ("PCI") or device ("PCI\VEN_...") key of that name.
    bool HasEnumBranch(const std::string& path);
    // The key of a device the bus reports for the first time: its IDs and description, no driver.
    int64_t CreateEnumKey(const DeviceRecord& device);
    // The bare key of a device a program creates (SetupDiCreateDeviceInfo): no values yet.
    int64_t CreateDeviceKey(const std::string& instance);
    // `Device Parameters` on NT, the device key itself on Windows 9x; 0 when missing.
    int64_t DeviceParametersKey(int64_t enumKey);
    // The key the Enum key's Driver value names; 0 when there is none.
    int64_t FindDriverKey(int64_t enumKey);

    bool ReadString(int64_t key, const std::string& name, std::string& value);
    std::vector<std::string> ReadIds(int64_t key, const std::string& name);
    bool WriteString(int64_t key, const std::string& name, const std::string& value, uint32_t type = 1);
    bool WriteIds(int64_t key, const std::string& name, const std::vector<std::string>& ids);
    bool WriteDword(int64_t key, const std::string& name, uint32_t value);
    // False when the key has no value of that name.
    bool DeleteValue(int64_t key, const std::string& name);
    uint32_t ConfigFlags(int64_t enumKey);
    bool SetConfigFlags(int64_t enumKey, uint32_t flags);

    // Writes the driver: class key, driver key (the one the device has, or the first free NNNN), the
    // Enum key's Class, ClassGUID, Driver, DeviceDesc, Mfg and Service values, and the service key when
    // the machine has none of that name. `driverName` gets the Driver value.
    bool InstallDriver(int64_t enumKey, const DriverValues& driver, std::string& driverName);
    // Deletes the driver key, the Enum key with its subkeys, and the device ID key when it has no other
    // instance left.
    bool RemoveDevice(int64_t enumKey);

    // The setup classes the machine has: Control\Class\{GUID} keys with a Class value on NT,
    // Services\Class\<name> keys with a ClassGUID value on Windows 9x.
    std::vector<DeviceClass> Classes();

private:
    int64_t CreatePath(const std::string& fullPath, bool denyWrite);
    void Record(const char* op, int64_t key, const std::string& detail = {});
    bool SetValue(int64_t key, const std::string& name, uint32_t type, const std::vector<uint8_t>& data);
    int64_t EnsureClassKey(const DriverValues& driver);
    int64_t NewDriverKey(int64_t classKey, std::string& number);
    void EnsureService(const DriverValues& driver);

    RegistryStore m_registry;
    const MachineIdentity& m_identity;
    DeviceJournal& m_journal;
};

} // namespace winsim
