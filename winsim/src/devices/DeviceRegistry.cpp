#include "DeviceRegistry.h"

#include <cstdio>
#include <cstring>

#include "DeviceIds.h"
#include "registry/RegFileWriter.h"
#include "windows.h"

namespace winsim
{

namespace
{

constexpr const char* kNtControlSet = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet";
constexpr const char* kDeviceParameters = "Device Parameters";

std::vector<uint8_t> StringData(const std::string& text)
{
    std::vector<uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    return data;
}

std::vector<uint8_t> DwordData(uint32_t value)
{
    std::vector<uint8_t> data(4);
    std::memcpy(data.data(), &value, 4);
    return data;
}

} // namespace

DeviceRegistry::DeviceRegistry(Store& store, const MachineIdentity& identity, DeviceJournal& journal)
    : m_registry(store, identity), m_identity(identity), m_journal(journal)
{
}

std::string DeviceRegistry::EnumRoot() const
{
    return IsNT() ? std::string(kNtControlSet) + "\\Enum" : "HKEY_LOCAL_MACHINE\\Enum";
}

std::string DeviceRegistry::ClassRoot() const
{
    return IsNT() ? std::string(kNtControlSet) + "\\Control\\Class"
                  : "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class";
}

std::string DeviceRegistry::EnumPath(const std::string& instance) const
{
    return EnumRoot() + "\\" + instance;
}

void DeviceRegistry::Record(const char* op, int64_t key, const std::string& detail)
{
    m_journal.Record("registry", op, m_registry.PathOf(key), detail);
}

int64_t DeviceRegistry::CreatePath(const std::string& fullPath, bool denyWrite)
{
    RegRoot root;
    std::string rest;
    if (!RegistryStore::SplitFullPath(fullPath, root, rest))
        return 0;
    int64_t key = m_registry.RootKey(root);
    for (const std::string& name : RegistryStore::SplitPath(rest))
    {
        int64_t child = m_registry.FindChild(key, name);
        if (!child)
        {
            child = m_registry.CreateChild(key, name);
            if (!child)
                return 0;
            // New keys inherit their parent's access list; those that must differ say so.
            if (!denyWrite && m_registry.DeniesWrite(child))
                m_registry.SetDenyWrite(child, false, false);
            Record("create", child);
        }
        key = child;
    }
    return key;
}

bool DeviceRegistry::SetValue(int64_t key, const std::string& name, uint32_t type, const std::vector<uint8_t>& data)
{
    if (!m_registry.SetValue(key, name, type, data.data(), data.size()))
        return false;
    // As the registry functions journal a value: its .reg line, cut short for large data.
    std::string line = RegFileWriter::FormatValue(RegValue{name, type, data}, false);
    if (line.size() > 240)
        line = line.substr(0, 240) + "...";
    Record("set", key, line);
    return true;
}

int64_t DeviceRegistry::FindEnumKey(const std::string& instance, int64_t cached)
{
    // Key ids are never reused: a key that still exists is the one found before.
    if (cached && m_registry.KeyExists(cached))
        return cached;
    return m_registry.FindKey(EnumPath(instance));
}

bool DeviceRegistry::HasEnumBranch(const std::string& path)
{
    return m_registry.FindKey(EnumRoot() + "\\" + path) != 0;
}

int64_t DeviceRegistry::CreateEnumKey(const DeviceRecord& device)
{
    // The device keys keep the Enum key's access list.
    const int64_t key = CreatePath(EnumPath(device.instance), true);
    if (!key)
        return 0;
    WriteIds(key, "HardwareID", device.hardwareIds);
    if (!device.compatibleIds.empty())
        WriteIds(key, "CompatibleIDs", device.compatibleIds);
    const std::string& description = device.busDescription.empty() ? device.description : device.busDescription;
    if (!description.empty())
        WriteString(key, "DeviceDesc", description);
    SetConfigFlags(key, kConfigFlagFailedInstall);
    if (IsNT())
        CreatePath(EnumPath(device.instance) + "\\" + kDeviceParameters, false);
    else
        WriteString(key, "Class", "Unknown"); // Windows 9x files a device without a driver under "Other devices"
    return key;
}

int64_t DeviceRegistry::CreateDeviceKey(const std::string& instance)
{
    return CreatePath(EnumPath(instance), true);
}

int64_t DeviceRegistry::DeviceParametersKey(int64_t enumKey)
{
    return IsNT() ? m_registry.FindChild(enumKey, kDeviceParameters) : enumKey;
}

int64_t DeviceRegistry::FindDriverKey(int64_t enumKey)
{
    std::string driver;
    if (!enumKey || !ReadString(enumKey, "Driver", driver) || driver.empty())
        return 0;
    return m_registry.FindKey(ClassRoot() + "\\" + driver);
}

bool DeviceRegistry::ReadString(int64_t key, const std::string& name, std::string& value)
{
    RegValue stored;
    if (!m_registry.QueryValue(key, name, stored) || (stored.type != REG_SZ && stored.type != REG_EXPAND_SZ))
        return false;
    value.assign(stored.data.begin(), stored.data.end());
    value = value.substr(0, value.find('\0'));
    return true;
}

std::vector<std::string> DeviceRegistry::ReadIds(int64_t key, const std::string& name)
{
    RegValue stored;
    if (!m_registry.QueryValue(key, name, stored))
        return {};
    if (stored.type == REG_MULTI_SZ)
        return DeviceIds::SplitMultiSz(stored.data);
    std::string text(stored.data.begin(), stored.data.end());
    return DeviceIds::SplitList(text.substr(0, text.find('\0')), ',');
}

bool DeviceRegistry::WriteString(int64_t key, const std::string& name, const std::string& value, uint32_t type)
{
    return SetValue(key, name, type, StringData(value));
}

bool DeviceRegistry::WriteIds(int64_t key, const std::string& name, const std::vector<std::string>& ids)
{
    if (IsNT())
        return SetValue(key, name, REG_MULTI_SZ, DeviceIds::MultiSz(ids));
    return SetValue(key, name, REG_SZ, StringData(DeviceIds::CommaList(ids)));
}

bool DeviceRegistry::WriteDword(int64_t key, const std::string& name, uint32_t value)
{
    return SetValue(key, name, REG_DWORD, DwordData(value));
}

bool DeviceRegistry::DeleteValue(int64_t key, const std::string& name)
{
    if (!m_registry.DeleteValue(key, name))
        return false;
    Record("delete-value", key, name);
    return true;
}

uint32_t DeviceRegistry::ConfigFlags(int64_t enumKey)
{
    RegValue stored;
    uint32_t flags = 0;
    if (m_registry.QueryValue(enumKey, "ConfigFlags", stored) && stored.data.size() >= 4)
        std::memcpy(&flags, stored.data.data(), 4);
    return flags;
}

bool DeviceRegistry::SetConfigFlags(int64_t enumKey, uint32_t flags)
{
    RegValue stored;
    if (m_registry.QueryValue(enumKey, "ConfigFlags", stored) && stored.data.size() >= 4 &&
        ConfigFlags(enumKey) == flags)
        return true;
    return SetValue(enumKey, "ConfigFlags", IsNT() ? REG_DWORD : REG_BINARY, DwordData(flags));
}

int64_t DeviceRegistry::EnsureClassKey(const DriverValues& driver)
{
    const std::string path = ClassRoot() + "\\" + (IsNT() ? driver.classGuid : driver.className);
    int64_t key = m_registry.FindKey(path);
    if (!key)
        key = CreatePath(path, false);
    std::string existing;
    if (key && IsNT() && !ReadString(key, "Class", existing))
        WriteString(key, "Class", driver.className);
    if (key && !IsNT() && !ReadString(key, "ClassGUID", existing))
        WriteString(key, "ClassGUID", driver.classGuid);
    return key;
}

int64_t DeviceRegistry::NewDriverKey(int64_t classKey, std::string& number)
{
    for (unsigned i = 0; i < 10000; ++i)
    {
        char name[8];
        std::snprintf(name, sizeof(name), "%04u", i);
        if (m_registry.FindChild(classKey, name))
            continue;
        const int64_t key = m_registry.CreateChild(classKey, name);
        if (!key)
            return 0;
        if (m_registry.DeniesWrite(key))
            m_registry.SetDenyWrite(key, false, false);
        Record("create", key);
        number = name;
        return key;
    }
    return 0;
}

void DeviceRegistry::EnsureService(const DriverValues& driver)
{
    const std::string path = std::string(kNtControlSet) + "\\Services\\" + driver.service;
    if (m_registry.FindKey(path))
        return;
    const int64_t key = CreatePath(path, false);
    if (!key)
        return;
    SetValue(key, "Type", REG_DWORD, DwordData(driver.serviceType));
    SetValue(key, "Start", REG_DWORD, DwordData(driver.serviceStart));
    SetValue(key, "ErrorControl", REG_DWORD, DwordData(driver.serviceErrorControl));
    if (!driver.serviceImagePath.empty())
        WriteString(key, "ImagePath", driver.serviceImagePath, REG_EXPAND_SZ);
}

bool DeviceRegistry::InstallDriver(int64_t enumKey, const DriverValues& driver, std::string& driverName)
{
    const int64_t classKey = EnsureClassKey(driver);
    if (!classKey)
        return false;
    int64_t driverKey = FindDriverKey(enumKey);
    if (driverKey && m_registry.ParentOf(driverKey) != classKey)
        driverKey = 0; // a driver of another class: the device gets a new key in its new class
    if (driverKey)
        ReadString(enumKey, "Driver", driverName);
    else
    {
        std::string number;
        driverKey = NewDriverKey(classKey, number);
        if (!driverKey)
            return false;
        driverName = (IsNT() ? driver.classGuid : driver.className) + "\\" + number;
    }
    const std::pair<const char*, const std::string*> driverValues[] = {
        {"DriverDesc", &driver.description},
        {"ProviderName", &driver.provider},
        {"DriverVersion", &driver.version},
        {"DriverDate", &driver.date},
        {"InfPath", &driver.infPath},
        {"InfSection", &driver.infSection},
        {"MatchingDeviceId", &driver.matchingDeviceId},
    };
    for (const auto& [name, value] : driverValues)
    {
        if (!value->empty())
            WriteString(driverKey, name, *value);
    }
    WriteString(enumKey, "Class", driver.className);
    WriteString(enumKey, "ClassGUID", driver.classGuid);
    WriteString(enumKey, "Driver", driverName);
    if (!driver.description.empty())
        WriteString(enumKey, "DeviceDesc", driver.description);
    if (!driver.mfg.empty())
        WriteString(enumKey, "Mfg", driver.mfg);
    if (IsNT() && !driver.service.empty())
    {
        WriteString(enumKey, "Service", driver.service);
        EnsureService(driver);
    }
    return SetConfigFlags(enumKey, ConfigFlags(enumKey) & kConfigFlagDisabled);
}

bool DeviceRegistry::RemoveDevice(int64_t enumKey)
{
    if (const int64_t driverKey = FindDriverKey(enumKey))
    {
        const std::string path = m_registry.PathOf(driverKey);
        if (!m_registry.DeleteTree(driverKey))
            return false;
        m_journal.Record("registry", "delete-key", path, "tree");
    }
    const int64_t deviceIdKey = m_registry.ParentOf(enumKey);
    const std::string path = m_registry.PathOf(enumKey);
    if (!m_registry.DeleteTree(enumKey))
        return false;
    m_journal.Record("registry", "delete-key", path, "tree");
    // The device ID key goes with its last instance.
    if (deviceIdKey && !m_registry.HasSubKeys(deviceIdKey) && m_registry.Values(deviceIdKey).empty())
    {
        const std::string idPath = m_registry.PathOf(deviceIdKey);
        if (m_registry.DeleteKey(deviceIdKey))
            m_journal.Record("registry", "delete-key", idPath);
    }
    return true;
}

std::vector<DeviceClass> DeviceRegistry::Classes()
{
    std::vector<DeviceClass> classes;
    const int64_t root = m_registry.FindKey(ClassRoot());
    if (!root)
        return classes;
    for (const int64_t key : m_registry.SubKeyIds(root))
    {
        DeviceClass entry;
        GUID guid;
        if (IsNT())
        {
            entry.guid = m_registry.NameOf(key);
            if (!DeviceIds::ParseGuid(entry.guid, guid) || !ReadString(key, "Class", entry.name))
                continue;
        }
        else
        {
            entry.name = m_registry.NameOf(key);
            if (!ReadString(key, "ClassGUID", entry.guid) || !DeviceIds::ParseGuid(entry.guid, guid))
                continue;
        }
        classes.push_back(entry);
    }
    return classes;
}

} // namespace winsim
