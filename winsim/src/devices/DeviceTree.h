// The machine's device tree: the PnP manager's view of the devices, for SETUPAPI, CFGMGR32, the winsim
// command and, later, the device installer. A device has
//   - hardware: its IDs and descriptions as its bus reports them, its parent, whether it is plugged in
//     (and when it will be), and whether its parent's driver exposes it (a child or wave function that
//     is there only while that driver runs);
//   - a devnode while it is present: plugged in, not removed, its parent present (and running, for an
//     exposed device);
//   - registry keys (see DeviceRegistry) once the machine has seen it: they stay when it goes away
//     (a phantom) and go with DIF_REMOVE; a removed device that is still plugged in comes back at the
//     next re-enumeration or reboot, found as new hardware, without a driver.
// Changes happen in virtual time: a disable or enable shows kStateChangeDelayMs after it was asked for,
// plug-ins happen at their time; Settle() brings the tree up to now, and every API call that looks at
// presence or status calls it first. A device found as new hardware without a driver has install activity
// pending for its profile's InstallDelay (CMP_WaitNoPendingInstallEvents waits for it).
// Every method works inside the caller's transaction; one DeviceTree serves one API call.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "DeviceJournal.h"
#include "DeviceRecord.h"
#include "DeviceRegistry.h"
#include "ProfileDevice.h"
#include "DeviceStatus.h"
#include "DeviceTable.h"
#include "core/MachineIdentity.h"
#include "guiddef.h"

namespace winsim
{

class Runtime;
class Store;

class DeviceTree
{
public:
    static constexpr uint32_t kRootDevinst = 1;
    static constexpr const char* kRootInstance = "HTREE\\ROOT\\0";
    // How long a device takes to stop when disabled, or to start again when enabled.
    static constexpr uint64_t kStateChangeDelayMs = 1500;

    // `journal` false while a machine is built, so that its journal starts empty.
    DeviceTree(Store& store, const MachineIdentity& identity, uint64_t nowMs, bool journal = true);
    explicit DeviceTree(Runtime& rt);

    uint64_t Now() const { return m_now; }
    bool IsNT() const { return m_identity.IsNT(); }
    DeviceRegistry& Registry() { return m_registry; }

    // The profile's devices, in its order, with the keys of those the machine has seen and the drivers it
    // has installed. machineStartMs is the machine's clock at creation (PlugAt counts from there).
    bool Build(const std::vector<ProfileDevice>& devices, uint64_t machineStartMs, std::string& error);
    // Hardware the machine gains later (a root-enumerated device that setup creates); it appears at once
    // when its parent is there. False when a device of that instance ID exists.
    bool Add(const ProfileDevice& device);
    // SetupDiCreateDeviceInfo: a device a program creates by instance ID. It gets its Enum key (with its class
    // unless GUID_NULL, and the Phantom value) but no devnode until registered. False when the instance has keys.
    bool Create(const std::string& instance, const GUID& classGuid, DeviceRecord& created);
    // DIF_REGISTERDEVICE: a created device becomes a device of the root, present at once, without a driver.
    bool Register(const std::string& instance);
    // A device a program created and nobody registered: its key has the Phantom value.
    bool IsUnregistered(const std::string& instance);
    // The set that created them goes: those of the devices still unregistered go too, keys and all.
    void DropUnregistered(const std::vector<std::string>& instances);

    // Applies the plug-ins and state changes that have fallen due.
    void Settle();

    std::vector<DeviceRecord> Devices();
    bool Find(const std::string& instance, DeviceRecord& device);
    bool Find(uint32_t devinst, DeviceRecord& device);
    // The device's Enum key; 0 when it has none (never seen, or removed).
    int64_t EnumKey(DeviceRecord& device);
    DeviceState State(const DeviceRecord& device) const;
    // The IDs the device's key holds, where it has them: a device a program created has only those.
    void ReadIds(DeviceRecord& device);
    // The present devices whose parent is `parent` ("" for the root), in enumeration order.
    std::vector<DeviceRecord> PresentChildren(const std::string& parent);

    // DIF_PROPERTYCHANGE: shows after kStateChangeDelayMs. `persistent` (global scope) also records the
    // state in ConfigFlags, so that it outlasts a reboot.
    bool SetDisabled(const std::string& instance, bool disabled, bool persistent);
    // DIF_REMOVE: the devnode, the Enum key and the driver key go.
    bool Remove(const std::string& instance);
    // CM_Reenumerate_DevNode: removed devices below `devinst` that are still plugged in come back.
    bool Reenumerate(uint32_t devinst);
    bool Plug(const std::string& instance, bool plugged);
    // Reboot: every devnode is built again from the hardware and the registry.
    void Boot();

    // For the device installer: writes the driver of a device the machine has seen; it starts (and the
    // devices its driver exposes appear) unless disabled. driverName gets the Driver value.
    bool InstallDriver(const std::string& instance, const DriverValues& driver, std::string* driverName = nullptr);
    // A problem an install leaves on the device (CM_PROB_...; 0 clears it).
    bool SetProblem(const std::string& instance, uint32_t problem);
    // Install activity for the device is pending until then.
    bool MarkPending(const std::string& instance, uint64_t untilMs);
    // The latest end of pending install activity; 0 when nothing is pending.
    uint64_t PendingUntil();
    // Whether the device is a descendant of `ancestor`, by the parents in `all`.
    static bool IsBelow(const DeviceRecord& device, const std::string& ancestor, const std::vector<DeviceRecord>& all);

private:
    void Propagate(bool newHardwareInstalls);
    void Arrive(DeviceRecord& device, bool newHardwareInstalls);
    void Depart(DeviceRecord& device);
    bool WriteProfileKeys(const ProfileDevice& entry);

    Store& m_store;
    const MachineIdentity& m_identity;
    uint64_t m_now;
    DeviceJournal m_journal;
    DeviceRegistry m_registry;
    DeviceTable m_table;
    bool m_quiet = false;
};

} // namespace winsim
