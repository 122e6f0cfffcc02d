#include "DriverInstaller.h"

#include <strings.h>

#include <cstdlib>
#include <cstring>

#include "PublishedInf.h"
#include "core/Runtime.h"
#include "core/Store.h"
#include "devices/DeviceIds.h"
#include "devices/DeviceTree.h"
#include "devices/ProfileDevice.h"
#include "setupapi/DirIdTable.h"
#include "setupapi/InfSectionInstaller.h"
#include "windows.h"
#include "cfgmgr32.h"
#include "setupapi.h"

namespace winsim
{

namespace
{

constexpr const char* kMachinePrefix = "HKEY_LOCAL_MACHINE\\";
// AddService flag: the service is the device's function driver.
constexpr uint32_t kServiceAssociate = 0x00000002;

struct CopyWatch
{
    bool delayed = false;
};

// Copies go ahead; an error ends the install (no Skip as a user might press); a copy left for the
// restart means "reboot needed".
UINT CALLBACK WatchCopies(PVOID context, UINT notification, UINT_PTR, UINT_PTR)
{
    switch (notification)
    {
    case SPFILENOTIFY_COPYERROR:
    case SPFILENOTIFY_DELETEERROR:
        return FILEOP_ABORT;
    case SPFILENOTIFY_FILEOPDELAYED:
        static_cast<CopyWatch*>(context)->delayed = true;
        return NO_ERROR;
    case SPFILENOTIFY_ENDCOPY:
    case SPFILENOTIFY_ENDDELETE:
        return NO_ERROR;
    default:
        return FILEOP_DOIT;
    }
}

std::string MachineRelative(const std::string& path)
{
    return path.rfind(kMachinePrefix, 0) == 0 ? path.substr(std::strlen(kMachinePrefix)) : path;
}

// The "Name = value" lines of a section, first value of each.
std::string SectionValue(const InfModel& model, uint32_t section, const char* name)
{
    const uint32_t line = model.FindKeyLine(section, name, 0);
    if (line == InfModel::kNone)
        return {};
    const InfModel::Line& found = model.LineAt(section, line);
    return found.fieldCount >= 1 ? model.FieldText(found, 1) : std::string();
}

uint32_t SectionNumber(const InfModel& model, uint32_t section, const char* name, uint32_t fallback)
{
    const std::string text = SectionValue(model, section, name);
    return text.empty() ? fallback : static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 0));
}

struct ServiceLine
{
    std::string name;
    uint32_t flags = 0;
    uint32_t section = InfModel::kNone;
};

std::vector<ServiceLine> ServiceLines(const InfModel& model, const std::string& servicesSection)
{
    std::vector<ServiceLine> lines;
    const uint32_t section = model.FindSection(servicesSection);
    if (section == InfModel::kNone)
        return lines;
    for (uint32_t i = 0; i < model.LineCount(section); ++i)
    {
        const InfModel::Line& line = model.LineAt(section, i);
        if (!line.hasKey || strcasecmp(model.FieldText(line, 0).c_str(), "AddService") != 0 || line.fieldCount < 1)
            continue;
        ServiceLine service;
        service.name = model.FieldText(line, 1);
        if (line.fieldCount >= 2)
            service.flags = static_cast<uint32_t>(std::strtoul(model.FieldText(line, 2).c_str(), nullptr, 0));
        if (line.fieldCount >= 3)
            service.section = model.FindSection(model.FieldText(line, 3));
        lines.push_back(service);
    }
    return lines;
}

} // namespace

std::string DriverInstaller::SourceRoot(const InfFile& file) const
{
    // A published INF keeps the folder it came from, as its .PNF records.
    std::string origin;
    if (PublishedInf::OriginOf(m_rt, file.path, origin))
        return origin;
    return file.folder;
}

bool DriverInstaller::CheckServices(const InfFile& file, const std::string& section, uint32_t& error)
{
    for (const ServiceLine& service : ServiceLines(file.model, section + ".Services"))
    {
        if (service.name.empty() || service.section == InfModel::kNone ||
            SectionValue(file.model, service.section, "ServiceBinary").empty())
        {
            error = ERROR_BAD_SERVICE_INSTALLSECT;
            return false;
        }
    }
    return true;
}

bool DriverInstaller::CopyFiles(const InfFile& file, const std::string& section, bool& reboot, uint32_t& error)
{
    CopyWatch watch;
    SectionInstallArgs args;
    args.flags = SPINST_FILES;
    args.sourceRoot = SourceRoot(file);
    args.callback = WatchCopies;
    args.context = &watch;
    InfSectionInstaller files(m_rt.Identity(), args);
    const bool done = files.Install(file, section, error);
    reboot = reboot || watch.delayed;
    return done;
}

bool DriverInstaller::AddServices(const InfFile& file, const std::string& section, std::string& associated,
                                  uint32_t& error)
{
    const MachineIdentity& identity = m_rt.Identity();
    if (!identity.IsNT())
        return true;
    for (const ServiceLine& service : ServiceLines(file.model, section + ".Services"))
    {
        const InfModel& model = file.model;
        std::string binary = SectionValue(model, service.section, "ServiceBinary");
        // "%12%\x.sys": a directory id, then the rest.
        if (binary.size() > 2 && binary[0] == '%')
        {
            const size_t close = binary.find('%', 1);
            std::string folder;
            if (close != std::string::npos &&
                DirIdTable::Folder(identity, static_cast<uint32_t>(std::strtoul(binary.c_str() + 1, nullptr, 10)),
                                   file.folder, folder))
                binary = folder + binary.substr(close + 1);
        }
        // Drivers are named from the Windows folder, as the service control manager writes them.
        const std::string windows = identity.windowsDir + "\\";
        if (binary.size() > windows.size() && strncasecmp(binary.c_str(), windows.c_str(), windows.size()) == 0)
            binary = binary.substr(windows.size());
        HKEY key = nullptr;
        const std::string path = "SYSTEM\\CurrentControlSet\\Services\\" + service.name;
        LONG status =
            RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        if (status != ERROR_SUCCESS)
        {
            error = static_cast<uint32_t>(status);
            return false;
        }
        auto dword = [key](const char* name, uint32_t value)
        {
            const DWORD data = value;
            RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data));
        };
        auto text = [key](const char* name, const std::string& value, DWORD type)
        {
            RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>(value.size() + 1));
        };
        dword("Type", SectionNumber(model, service.section, "ServiceType", 1));
        dword("Start", SectionNumber(model, service.section, "StartType", 3));
        dword("ErrorControl", SectionNumber(model, service.section, "ErrorControl", 1));
        text("ImagePath", binary, REG_EXPAND_SZ);
        const std::string display = SectionValue(model, service.section, "DisplayName");
        if (!display.empty())
            text("DisplayName", display, REG_SZ);
        const std::string group = SectionValue(model, service.section, "LoadOrderGroup");
        if (!group.empty())
            text("Group", group, REG_SZ);
        RegCloseKey(key);
        if (service.flags & kServiceAssociate)
            associated = service.name;
    }
    return true;
}

void DriverInstaller::AddWaveFunction(const std::string& instance, const std::string& driverKeyPath)
{
    char id[MAX_PATH] = {0};
    DWORD size = sizeof(id) - 1;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (driverKeyPath + "\\WaveDriver").c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    const LONG status = RegQueryValueExA(key, "WaveHardwareID", nullptr, nullptr, reinterpret_cast<BYTE*>(id), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || !id[0])
        return;
    const std::string waveId = DeviceIds::Upper(id);
    Transaction txn(m_rt.GetMachine().GetStore());
    DeviceTree tree(m_rt);
    // The profile may know the function already (with its own instance); otherwise the driver makes it.
    for (const DeviceRecord& device : tree.Devices())
    {
        if (device.parent != instance)
            continue;
        for (const std::string& have : device.hardwareIds)
            if (DeviceIds::Upper(have) == waveId)
                return;
    }
    ProfileDevice wave;
    wave.instance = waveId + "\\" + std::to_string(tree.Devices().size()) + "&0";
    wave.hardwareIds = {waveId};
    wave.busDescription = "Modem Wave Device";
    wave.parent = instance;
    wave.exposed = true;
    tree.Add(wave);
    txn.Commit();
}

bool DriverInstaller::Install(const std::string& instance, const DriverMatch& match, const std::string& publishedName,
                              bool& reboot, uint32_t& error)
{
    const InfFile& file = match.inf->file;
    const InfDriverList& list = match.inf->drivers;
    const InfDriver& driver = match.Driver();
    const std::string section = InfDriverList::DecoratedSection(file.model, m_rt.Identity(), driver.installSection);
    if (section.empty())
    {
        error = ERROR_SECTION_NOT_FOUND;
        return false;
    }
    if (!CheckServices(file, section, error) || !CopyFiles(file, section, reboot, error))
        return false;

    DriverValues values;
    values.className = list.className;
    values.classGuid = list.classGuid;
    values.description = driver.description;
    values.provider = list.provider;
    values.version = list.version;
    values.date = list.date;
    values.infPath = publishedName;
    values.infSection = section;
    values.matchingDeviceId = match.matchingId;
    values.mfg = driver.manufacturer;
    std::string driverName;
    std::string enumPath;
    bool fails = false;
    {
        Transaction txn(m_rt.GetMachine().GetStore());
        DeviceTree tree(m_rt);
        tree.Settle();
        DeviceRecord device;
        if (!tree.Find(instance, device) || !device.present)
        {
            error = ERROR_NO_SUCH_DEVINST;
            return false;
        }
        fails = device.installFails;
        reboot = reboot || device.needsReboot;
        if (!tree.InstallDriver(instance, values, &driverName) ||
            (fails && !tree.SetProblem(instance, CM_PROB_FAILED_START)) || !txn.Commit())
        {
            error = ERROR_REGISTRY_IO_FAILED;
            return false;
        }
        enumPath = MachineRelative(tree.Registry().EnumPath(instance));
    }
    const std::string driverKeyPath = MachineRelative(DeviceTree(m_rt).Registry().ClassRoot()) + "\\" + driverName;

    SectionInstallArgs args;
    args.flags = SPINST_REGISTRY;
    HKEY driverKey = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, driverKeyPath.c_str(), 0, KEY_ALL_ACCESS, &driverKey) == ERROR_SUCCESS)
    {
        args.relativeRoot = driverKey;
        InfSectionInstaller registry(m_rt.Identity(), args);
        const bool added = registry.Install(file, section, error);
        RegCloseKey(driverKey);
        if (!added)
            return false;
    }
    const std::string hardware = section + ".HW";
    HKEY parameters = nullptr;
    if (file.model.FindSection(hardware) != InfModel::kNone &&
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, (enumPath + (m_rt.Identity().IsNT() ? "\\Device Parameters" : "")).c_str(),
                        0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &parameters, nullptr) == ERROR_SUCCESS)
    {
        args.relativeRoot = parameters;
        InfSectionInstaller registry(m_rt.Identity(), args);
        const bool added = registry.Install(file, hardware, error);
        RegCloseKey(parameters);
        if (!added)
            return false;
    }
    std::string service;
    if (!AddServices(file, section, service, error))
        return false;
    if (!service.empty())
    {
        Transaction txn(m_rt.GetMachine().GetStore());
        DeviceTree tree(m_rt);
        DeviceRecord device;
        if (tree.Find(instance, device))
        {
            const int64_t key = tree.EnumKey(device);
            if (key)
                tree.Registry().WriteString(key, "Service", service);
        }
        txn.Commit();
    }
    if (!fails)
        AddWaveFunction(instance, driverKeyPath);
    return true;
}

} // namespace winsim
