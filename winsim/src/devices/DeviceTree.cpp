#include "DeviceTree.h"

#include <functional>
#include <map>

#include "DeviceIds.h"
#include "core/Runtime.h"

namespace winsim
{

namespace
{

// The Enum key value of a device created and not registered yet.
constexpr const char* kPhantomValue = "Phantom";

DeviceRecord RecordOf(const ProfileDevice& entry, uint64_t machineStartMs)
{
    DeviceRecord record;
    record.instance = entry.instance;
    record.parent = entry.parent;
    record.hardwareIds = entry.hardwareIds;
    record.compatibleIds = entry.compatibleIds;
    record.description = entry.description;
    record.busDescription = entry.busDescription;
    record.exposed = entry.exposed;
    record.plugged = entry.present;
    if (entry.plugAtMs)
        record.plugAt = machineStartMs + *entry.plugAtMs;
    record.installDelayMs = entry.installDelayMs;
    record.installFails = entry.installFails;
    record.needsReboot = entry.needsReboot;
    return record;
}

DriverValues DriverOf(const ProfileDevice& entry)
{
    DriverValues driver = entry.driver;
    driver.className = entry.className;
    driver.classGuid = entry.classGuid;
    driver.mfg = entry.mfg;
    return driver;
}

} // namespace

DeviceTree::DeviceTree(Store& store, const MachineIdentity& identity, uint64_t nowMs, bool journal)
    : m_store(store), m_identity(identity), m_now(nowMs), m_journal(store, nowMs, journal),
      m_registry(store, identity, m_journal), m_table(store)
{
}

DeviceTree::DeviceTree(Runtime& rt) : DeviceTree(rt.GetMachine().GetStore(), rt.Identity(), rt.GetClock().NowMs(), true)
{
}

bool DeviceTree::Build(const std::vector<ProfileDevice>& devices, uint64_t machineStartMs, std::string& error)
{
    std::map<std::string, const ProfileDevice*> byInstance;
    for (const ProfileDevice& entry : devices)
        byInstance[entry.instance] = &entry;
    // The devices the machine has seen by the time it is made: those there from the start (an exposed one
    // only under a parent whose driver runs) and those with a driver installed.
    std::map<std::string, bool> seen;
    std::function<bool(const ProfileDevice&)> thereAtStart = [&](const ProfileDevice& entry)
    {
        auto known = seen.find(entry.instance);
        if (known != seen.end())
            return known->second;
        bool there = entry.present;
        auto parent = entry.parent.empty() ? byInstance.end() : byInstance.find(entry.parent);
        if (there && parent != byInstance.end())
        {
            there = thereAtStart(*parent->second) &&
                    (!entry.exposed || (parent->second->HasDriver() && !parent->second->disabled));
        }
        seen[entry.instance] = there;
        return there;
    };
    for (const ProfileDevice& entry : devices)
    {
        DeviceRecord record = RecordOf(entry, machineStartMs);
        if (!m_table.Insert(record))
        {
            error = "cannot store device " + entry.instance + ": " + m_store.LastErrorText();
            return false;
        }
    }
    for (const ProfileDevice& entry : devices)
    {
        if ((thereAtStart(entry) || entry.HasDriver()) && !WriteProfileKeys(entry))
        {
            error = "cannot write the registry keys of device " + entry.instance + ": " + m_store.LastErrorText();
            return false;
        }
    }
    Propagate(false);
    return true;
}

bool DeviceTree::WriteProfileKeys(const ProfileDevice& entry)
{
    DeviceRecord record;
    if (!m_table.Find(entry.instance, record))
        return false;
    const int64_t key = m_registry.CreateEnumKey(record);
    if (!key)
        return false;
    record.enumKey = key;
    if (entry.HasDriver())
    {
        std::string name;
        if (!m_registry.InstallDriver(key, DriverOf(entry), name))
            return false;
    }
    else if (!entry.className.empty())
    {
        m_registry.WriteString(key, "Class", entry.className);
        m_registry.WriteString(key, "ClassGUID", entry.classGuid);
    }
    if (!entry.description.empty())
        m_registry.WriteString(key, "DeviceDesc", entry.description);
    if (!entry.mfg.empty())
        m_registry.WriteString(key, "Mfg", entry.mfg);
    if (!entry.friendlyName.empty())
        m_registry.WriteString(key, "FriendlyName", entry.friendlyName);
    if (entry.disabled)
        m_registry.SetConfigFlags(key, m_registry.ConfigFlags(key) | kConfigFlagDisabled);
    return m_table.Update(record);
}

bool DeviceTree::Add(const ProfileDevice& device)
{
    DeviceRecord existing;
    if (m_table.Find(device.instance, existing))
        return false;
    DeviceRecord record = RecordOf(device, m_now);
    if (!m_table.Insert(record))
        return false;
    m_journal.Record("device", "add", record.instance);
    Propagate(true);
    return true;
}

bool DeviceTree::Create(const std::string& instance, const GUID& classGuid, DeviceRecord& created)
{
    const std::string id = DeviceIds::Upper(instance);
    if (m_registry.FindEnumKey(id))
        return false;
    DeviceRecord device;
    if (m_table.Find(id, device))
    {
        // Hardware the machine knew, whose keys went: it keeps its row, and is no device until registered.
        if (device.present)
            return false;
        if (DeviceIds::Enumerator(id) == "ROOT")
            device.plugged = false;
        else
            device.removed = true;
        device.plugAt.reset();
    }
    else
    {
        device.instance = id;
        device.plugged = false;
        if (!m_table.Insert(device))
            return false;
    }
    device.enumKey = m_registry.CreateDeviceKey(id);
    // As SETUPAPI marks a device it created and nobody registered yet.
    if (!device.enumKey || !m_registry.WriteDword(device.enumKey, kPhantomValue, 1))
        return false;
    if (!DeviceIds::SameGuid(classGuid, DeviceIds::NullGuid()))
    {
        m_registry.WriteString(device.enumKey, "ClassGUID", DeviceIds::FormatGuid(classGuid));
        for (const DeviceClass& known : m_registry.Classes())
        {
            GUID guid;
            if (DeviceIds::ParseGuid(known.guid, guid) && DeviceIds::SameGuid(guid, classGuid))
                m_registry.WriteString(device.enumKey, "Class", known.name);
        }
    }
    device.driver = false;
    device.disabled = false;
    device.wasDisabled = false;
    device.changeAt = 0;
    device.problem = 0;
    device.pendingUntil = 0;
    m_journal.Record("device", "create", id);
    created = device;
    return m_table.Update(device);
}

bool DeviceTree::Register(const std::string& instance)
{
    DeviceRecord device;
    const int64_t key = m_table.Find(instance, device) ? EnumKey(device) : 0;
    if (!key || !m_registry.DeleteValue(key, kPhantomValue))
        return false;
    device.plugged = true;
    device.removed = false;
    device.plugAt.reset();
    m_journal.Record("device", "register", device.instance);
    if (!m_table.Update(device))
        return false;
    Propagate(false);
    return true;
}

bool DeviceTree::IsUnregistered(const std::string& instance)
{
    DeviceRecord device;
    RegValue phantom;
    const int64_t key = m_table.Find(instance, device) ? EnumKey(device) : 0;
    return key && m_registry.Registry().QueryValue(key, kPhantomValue, phantom);
}

void DeviceTree::DropUnregistered(const std::vector<std::string>& instances)
{
    for (const std::string& instance : instances)
    {
        if (IsUnregistered(instance))
            Remove(instance);
    }
}

void DeviceTree::Settle()
{
    if (!m_table.AnythingDue(m_now))
        return;
    for (DeviceRecord& device : m_table.All())
    {
        bool changed = false;
        if (device.plugAt && *device.plugAt <= m_now)
        {
            device.plugAt.reset();
            if (!device.plugged)
            {
                device.plugged = true;
                device.removed = false;
                m_journal.Record("device", "plug", device.instance, "at its time");
            }
            changed = true;
        }
        if (device.changeAt != 0 && device.changeAt <= m_now)
        {
            device.changeAt = 0;
            device.wasDisabled = device.disabled;
            changed = true;
        }
        if (changed)
            m_table.Update(device);
    }
    Propagate(true);
}

void DeviceTree::Propagate(bool newHardwareInstalls)
{
    std::vector<DeviceRecord> devices = m_table.All();
    std::map<std::string, size_t> index;
    for (size_t i = 0; i < devices.size(); ++i)
        index[devices[i].instance] = i;
    std::vector<bool> dirty(devices.size(), false);
    // A change lets the devices below it change in turn, wherever they are in enumeration order.
    for (bool changed = true; changed;)
    {
        changed = false;
        for (size_t i = 0; i < devices.size(); ++i)
        {
            DeviceRecord& device = devices[i];
            bool parentPresent = true;
            bool parentRunning = true;
            auto parent = device.parent.empty() ? index.end() : index.find(device.parent);
            if (parent != index.end())
            {
                parentPresent = devices[parent->second].present;
                parentRunning = DeviceStatus::Started(devices[parent->second], m_now);
            }
            const bool wanted =
                device.plugged && !device.removed && parentPresent && (!device.exposed || parentRunning);
            if (wanted == device.present)
                continue;
            if (wanted)
                Arrive(device, newHardwareInstalls);
            else
                Depart(device);
            dirty[i] = true;
            changed = true;
        }
    }
    for (size_t i = 0; i < devices.size(); ++i)
    {
        if (dirty[i])
            m_table.Update(devices[i]);
    }
}

void DeviceTree::Arrive(DeviceRecord& device, bool newHardwareInstalls)
{
    int64_t key = m_registry.FindEnumKey(device.instance, device.enumKey);
    const bool isNew = key == 0;
    if (isNew)
        key = m_registry.CreateEnumKey(device);
    device.enumKey = key;
    device.present = true;
    device.driver = key && m_registry.FindDriverKey(key) != 0;
    device.disabled = key && (m_registry.ConfigFlags(key) & kConfigFlagDisabled) != 0;
    device.wasDisabled = device.disabled;
    device.changeAt = 0;
    device.problem = 0;
    // New hardware without a driver sets off an install, which keeps the PnP manager busy for a while; the
    // PnP manager searches the published INFs for its driver.
    if (isNew && newHardwareInstalls && !device.driver)
    {
        if (device.installDelayMs > 0)
            device.pendingUntil = m_now + device.installDelayMs;
        m_store.Prepare("INSERT OR REPLACE INTO pnp_arrivals(instance, at) VALUES(?1, ?2)")
            .Bind(1, device.instance)
            .Bind(2, static_cast<int64_t>(m_now))
            .Run();
    }
    if (!m_quiet)
        m_journal.Record("device", "arrive", device.instance, isNew ? "new hardware" : "");
}

void DeviceTree::Depart(DeviceRecord& device)
{
    device.present = false;
    device.changeAt = 0;
    device.wasDisabled = device.disabled;
    // An install under way for a device that goes is dropped with it.
    device.pendingUntil = 0;
    m_store.Prepare("DELETE FROM pnp_installs WHERE instance = ?1").Bind(1, device.instance).Run();
    m_store.Prepare("DELETE FROM pnp_arrivals WHERE instance = ?1").Bind(1, device.instance).Run();
    if (!m_quiet)
        m_journal.Record("device", "depart", device.instance);
}

std::vector<DeviceRecord> DeviceTree::Devices()
{
    return m_table.All();
}

bool DeviceTree::Find(const std::string& instance, DeviceRecord& device)
{
    return m_table.Find(instance, device);
}

bool DeviceTree::Find(uint32_t devinst, DeviceRecord& device)
{
    return m_table.Find(devinst, device);
}

int64_t DeviceTree::EnumKey(DeviceRecord& device)
{
    const int64_t key = m_registry.FindEnumKey(device.instance, device.enumKey);
    if (key != device.enumKey)
    {
        device.enumKey = key;
        m_table.Update(device);
    }
    return key;
}

void DeviceTree::ReadIds(DeviceRecord& device)
{
    const int64_t key = EnumKey(device);
    if (!key)
        return;
    std::vector<std::string> hardware = m_registry.ReadIds(key, "HardwareID");
    if (!hardware.empty())
        device.hardwareIds = std::move(hardware);
    std::vector<std::string> compatible = m_registry.ReadIds(key, "CompatibleIDs");
    if (!compatible.empty())
        device.compatibleIds = std::move(compatible);
}

DeviceState DeviceTree::State(const DeviceRecord& device) const
{
    return DeviceStatus::Of(device, IsNT(), m_now);
}

std::vector<DeviceRecord> DeviceTree::PresentChildren(const std::string& parent)
{
    std::vector<DeviceRecord> children;
    for (DeviceRecord& device : m_table.All())
    {
        if (device.present && device.parent == parent)
            children.push_back(device);
    }
    return children;
}

bool DeviceTree::SetDisabled(const std::string& instance, bool disabled, bool persistent)
{
    DeviceRecord device;
    if (!m_table.Find(instance, device))
        return false;
    const int64_t key = EnumKey(device);
    if (!key)
        return false;
    if (persistent)
    {
        const uint32_t flags = m_registry.ConfigFlags(key);
        m_registry.SetConfigFlags(key, disabled ? flags | kConfigFlagDisabled : flags & ~kConfigFlagDisabled);
    }
    const bool shown = device.DisabledAt(m_now);
    device.disabled = disabled;
    if (device.present && shown != disabled)
    {
        device.wasDisabled = shown;
        device.changeAt = m_now + kStateChangeDelayMs;
    }
    else
    {
        device.wasDisabled = disabled;
        device.changeAt = 0;
    }
    m_journal.Record("device", disabled ? "disable" : "enable", device.instance, persistent ? "" : "this profile");
    return m_table.Update(device);
}

bool DeviceTree::Remove(const std::string& instance)
{
    DeviceRecord device;
    if (!m_table.Find(instance, device))
        return false;
    const int64_t key = EnumKey(device);
    if (!key || !m_registry.RemoveDevice(key))
        return false;
    device.enumKey = 0;
    device.present = false;
    device.removed = true;
    device.driver = false;
    device.disabled = false;
    device.wasDisabled = false;
    device.changeAt = 0;
    device.problem = 0;
    device.pendingUntil = 0;
    // A root-enumerated device has no bus to find it again.
    if (DeviceIds::Enumerator(device.instance) == "ROOT")
        device.plugged = false;
    m_journal.Record("device", "remove", device.instance);
    if (!m_table.Update(device))
        return false;
    Propagate(false);
    return true;
}

bool DeviceTree::IsBelow(const DeviceRecord& device, const std::string& ancestor, const std::vector<DeviceRecord>& all)
{
    std::string parent = device.parent;
    for (size_t steps = 0; !parent.empty() && steps <= all.size(); ++steps)
    {
        if (parent == ancestor)
            return true;
        std::string next;
        for (const DeviceRecord& other : all)
        {
            if (other.instance == parent)
            {
                next = other.parent;
                break;
            }
        }
        parent = next;
    }
    return false;
}

bool DeviceTree::Reenumerate(uint32_t devinst)
{
    std::string base;
    if (devinst != kRootDevinst)
    {
        DeviceRecord device;
        if (!m_table.Find(devinst, device))
            return false;
        base = device.instance;
    }
    std::vector<DeviceRecord> devices = m_table.All();
    for (DeviceRecord& device : devices)
    {
        if (device.removed && (base.empty() || IsBelow(device, base, devices)))
        {
            device.removed = false;
            m_table.Update(device);
        }
    }
    m_journal.Record("device", "reenumerate", base.empty() ? kRootInstance : base);
    Propagate(true);
    return true;
}

bool DeviceTree::Plug(const std::string& instance, bool plugged)
{
    DeviceRecord device;
    if (!m_table.Find(instance, device))
        return false;
    device.plugAt.reset();
    if (device.plugged != plugged)
    {
        device.plugged = plugged;
        // A device plugged in again is found afresh, removed or not.
        if (plugged)
            device.removed = false;
        m_journal.Record("device", plugged ? "plug" : "unplug", device.instance);
    }
    if (!m_table.Update(device))
        return false;
    Propagate(true);
    return true;
}

void DeviceTree::Boot()
{
    Settle();
    std::vector<DeviceRecord> devices = m_table.All();
    if (devices.empty())
        return;
    size_t present = 0;
    for (DeviceRecord& device : devices)
    {
        device.present = false;
        device.removed = false;
        device.changeAt = 0;
        device.wasDisabled = device.disabled;
        device.problem = 0;
        device.pendingUntil = 0;
        m_table.Update(device);
    }
    m_quiet = true;
    Propagate(true);
    m_quiet = false;
    for (const DeviceRecord& device : m_table.All())
        present += device.present ? 1 : 0;
    m_journal.Record("device", "boot", kRootInstance, std::to_string(present) + " present");
}

bool DeviceTree::InstallDriver(const std::string& instance, const DriverValues& driver, std::string* driverName)
{
    DeviceRecord device;
    if (!m_table.Find(instance, device))
        return false;
    const int64_t key = EnumKey(device);
    std::string name;
    if (!key || !m_registry.InstallDriver(key, driver, name))
        return false;
    device.driver = true;
    device.problem = 0;
    if (!m_table.Update(device))
        return false;
    m_journal.Record("device", "install-driver", device.instance, name);
    if (driverName)
        *driverName = name;
    Propagate(true);
    return true;
}

bool DeviceTree::SetProblem(const std::string& instance, uint32_t problem)
{
    DeviceRecord device;
    if (!m_table.Find(instance, device))
        return false;
    device.problem = problem;
    m_journal.Record("device", "problem", device.instance, std::to_string(problem));
    if (!m_table.Update(device))
        return false;
    Propagate(true);
    return true;
}

bool DeviceTree::MarkPending(const std::string& instance, uint64_t untilMs)
{
    DeviceRecord device;
    if (!m_table.Find(instance, device))
        return false;
    device.pendingUntil = untilMs;
    return m_table.Update(device);
}

uint64_t DeviceTree::PendingUntil()
{
    return m_table.PendingUntil(m_now);
}

} // namespace winsim
