#include "ProfileLoader.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sstream>

#include "core/Clock.h"
#include "core/Machine.h"
#include "devices/DeviceProfileReader.h"
#include "devices/DeviceTree.h"
#include "files/NameCase.h"
#include "files/PathResolver.h"
#include "files/WriteProtection.h"
#include "hardware/HardwareProfileReader.h"
#include "processes/BootProcesses.h"
#include "processes/DeclaredProgramReader.h"
#include "profile/HostFiles.h"
#include "registry/RegFile.h"
#include "registry/RegistryStore.h"

namespace winsim
{

namespace
{

std::string TrimBlanks(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

bool ParseNumber(const std::string& text, uint64_t& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    value = std::strtoull(text.c_str(), &end, 0);
    return end && *end == '\0';
}

// "YYYY-MM-DD HH:MM:SS" (UTC) as milliseconds since 1601-01-01.
bool ParseClock(const std::string& text, uint64_t& ms)
{
    struct tm parts
    {
    };
    if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d", &parts.tm_year, &parts.tm_mon, &parts.tm_mday, &parts.tm_hour,
                    &parts.tm_min, &parts.tm_sec) != 6)
        return false;
    parts.tm_year -= 1900;
    parts.tm_mon -= 1;
    time_t unixSeconds = timegm(&parts);
    if (unixSeconds < 0)
        return false;
    constexpr uint64_t kUnixEpochMs = 11644473600000ULL;
    ms = kUnixEpochMs + static_cast<uint64_t>(unixSeconds) * 1000;
    return true;
}

std::string HostPathIn(const std::string& folder, const std::string& windowsPath)
{
    std::string normalized;
    if (!PathResolver::Normalize(windowsPath, "C:\\", normalized))
        return {};
    return PathResolver(folder + "/drive/c").ToHost(normalized);
}

// Creates the read-only folders of [ReadOnlyFolders] and records them as write-protected.
bool StoreReadOnlyFolders(Store& store, const std::string& folder, const std::vector<std::string>& folders,
                          std::string& error)
{
    Transaction txn(store);
    WriteProtection protection(store);
    for (const std::string& dir : folders)
    {
        std::string host = HostPathIn(folder, dir);
        bool added = false;
        if (host.empty() || !HostMakeDirectories(host) || !protection.Set(NameCase::Upper(dir), true, added))
        {
            error = "cannot create read-only folder " + dir;
            return false;
        }
    }
    if (!txn.Commit())
    {
        error = "cannot store the read-only folders: " + store.LastErrorText();
        return false;
    }
    return true;
}

// The [Device.N] sections: the device tree, its Enum, driver and service keys.
bool BuildDevices(Store& store, const MachineIdentity& identity, const std::string& ini, std::string& error)
{
    std::vector<ProfileDevice> devices;
    if (!DeviceProfileReader::Read(ini, devices, error))
        return false;
    if (devices.empty())
        return true;
    Transaction txn(store);
    const uint64_t start = Clock::StoredTime(store);
    DeviceTree tree(store, identity, start, false);
    if (!tree.Build(devices, start, error))
        return false;
    if (!txn.Commit())
    {
        error = "cannot store the devices: " + store.LastErrorText();
        return false;
    }
    return true;
}

} // namespace

bool ProfileLoader::ReadMachineIni(const std::string& path, MachineIdentity& id,
                                   std::vector<std::string>& readOnlyFolders, ModuleTrims& modules, std::string& error)
{
    std::string content;
    if (!HostReadFile(path, content))
    {
        error = path + ": cannot read the file";
        return false;
    }
    std::istringstream lines(content);
    std::string line, section;
    int number = 0;
    bool sawMachine = false;
    auto fail = [&](const std::string& what)
    {
        error = path + ":" + std::to_string(number) + ": " + what;
        return false;
    };
    while (std::getline(lines, line))
    {
        ++number;
        line = TrimBlanks(line);
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        if (line[0] == '[')
        {
            if (line.back() != ']')
                return fail("section header without ']'");
            section = Lower(TrimBlanks(line.substr(1, line.size() - 2)));
            // [Process.N] and [Program.NAME] are read by DeclaredProgramReader.
            if (section.rfind("process.", 0) == 0 || section.rfind("program.", 0) == 0)
            {
                section = "declared";
                continue;
            }
            // [Device.N] are read by DeviceProfileReader, [SerialPorts] and [WaveOut] by HardwareProfileReader.
            if (DeviceProfileReader::IsDeviceSection(section) || HardwareProfileReader::IsHardwareSection(section))
            {
                section = "declared";
                continue;
            }
            if (section != "machine" && section != "folders" && section != "readonlyfolders" && section != "modules")
                return fail("unknown section [" + section + "]");
            sawMachine = sawMachine || section == "machine";
            continue;
        }
        size_t equals = line.find('=');
        if (equals == std::string::npos)
            return fail("expected name=value");
        if (section.empty())
            return fail("value outside a section");
        const std::string rawName = TrimBlanks(line.substr(0, equals));
        std::string name = Lower(rawName);
        std::string value = TrimBlanks(line.substr(equals + 1));
        // Quotes keep blanks that matter, as in ServicePack=" A ".
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        uint64_t number64 = 0;
        auto numeric = [&](uint32_t& field)
        {
            if (!ParseNumber(value, number64) || number64 > 0xFFFFFFFFull)
                return fail("'" + name + "' needs a number, not '" + value + "'");
            field = static_cast<uint32_t>(number64);
            return true;
        };
        if (section == "declared")
            continue;
        if (section == "machine")
        {
            if (name == "platformid")
            {
                if (!numeric(id.platformId))
                    return false;
                if (id.platformId != 1 && id.platformId != 2)
                    return fail("PlatformId must be 1 (Windows 9x) or 2 (NT)");
            }
            else if (name == "major")
            {
                if (!numeric(id.major))
                    return false;
            }
            else if (name == "minor")
            {
                if (!numeric(id.minor))
                    return false;
            }
            else if (name == "build")
            {
                if (!numeric(id.build))
                    return false;
            }
            else if (name == "servicepack")
                id.servicePack = value;
            else if (name == "servicepackmajor")
            {
                if (!numeric(id.servicePackMajor))
                    return false;
            }
            else if (name == "producttype")
            {
                if (!numeric(id.productType))
                    return false;
            }
            else if (name == "suitemask")
            {
                if (!numeric(id.suiteMask))
                    return false;
            }
            else if (name == "architecture")
            {
                if (value != "x86" && value != "x64")
                    return fail("Architecture must be x86 or x64");
                id.architecture = value;
            }
            else if (name == "administrator")
            {
                if (value != "0" && value != "1")
                    return fail("Administrator must be 0 or 1");
                id.administrator = value == "1";
            }
            else if (name == "acceptelevation")
            {
                if (value != "0" && value != "1")
                    return fail("AcceptElevation must be 0 or 1");
                id.acceptElevation = value == "1";
            }
            else if (name == "uilanguage")
            {
                if (!numeric(id.uiLanguage))
                    return false;
            }
            else if (name == "computername")
                id.computerName = value;
            else if (name == "usersid")
                id.userSid = value;
            else if (name == "timezonebias")
            {
                char* end = nullptr;
                long bias = std::strtol(value.c_str(), &end, 10);
                if (!end || *end || bias < -24 * 60 || bias > 24 * 60)
                    return fail("TimeZoneBias needs minutes between -1440 and 1440");
                id.timeZoneBiasMinutes = static_cast<int32_t>(bias);
            }
            else if (name == "clock")
            {
                if (!ParseClock(value, id.clockStartMs))
                    return fail("Clock needs 'YYYY-MM-DD HH:MM:SS'");
            }
            else
                return fail("unknown name '" + name + "' in [Machine]");
        }
        else if (section == "modules")
        {
            std::string what;
            if (!modules.Add(rawName, value, what))
                return fail(what);
        }
        else if (section == "readonlyfolders")
        {
            // C:\CDROM=1; 0 leaves the folder writable.
            std::string normalized;
            if (!PathResolver::Normalize(rawName, "C:\\", normalized))
                return fail("'" + rawName + "' is not a path on drive C:");
            if (value != "0" && value != "1")
                return fail("'" + rawName + "' needs 1 (read-only) or 0, not '" + value + "'");
            if (value == "1")
                readOnlyFolders.push_back(normalized);
        }
        else
        {
            std::string normalized;
            if (!PathResolver::Normalize(value, "C:\\", normalized))
                return fail("'" + value + "' is not a path on drive C:");
            if (name == "windows")
                id.windowsDir = normalized;
            else if (name == "system")
                id.systemDir = normalized;
            else if (name == "temp")
                id.tempDir = normalized;
            else if (name == "programfiles")
                id.programFilesDir = normalized;
            else
                return fail("unknown folder '" + name + "' in [Folders]");
        }
    }
    if (!sawMachine)
    {
        error = path + ": no [Machine] section";
        return false;
    }
    return true;
}

bool ProfileLoader::Create(const std::string& profileDir, const std::string& machineDir, std::string& error)
{
    if (!HostIsDirectory(profileDir))
    {
        error = "no profile folder " + profileDir;
        return false;
    }
    if (HostExists(machineDir) && !HostListDirectory(machineDir).empty())
    {
        error = machineDir + " exists and is not empty";
        return false;
    }
    std::string scratch = machineDir + ".creating." + std::to_string(getpid());
    HostRemoveTree(scratch);
    if (!HostMakeDirectories(scratch) || !Build(profileDir, scratch, error))
    {
        if (error.empty())
            error = "cannot create " + scratch;
        HostRemoveTree(scratch);
        return false;
    }
    if (HostExists(machineDir))
        HostRemoveTree(machineDir);
    if (rename(scratch.c_str(), machineDir.c_str()) != 0)
    {
        error = "cannot move the new machine to " + machineDir;
        HostRemoveTree(scratch);
        return false;
    }
    return true;
}

bool ProfileLoader::Build(const std::string& profileDir, const std::string& folder, std::string& error)
{
    MachineIdentity identity;
    std::vector<std::string> readOnlyFolders;
    ModuleTrims modules;
    if (!ReadMachineIni(profileDir + "/machine.ini", identity, readOnlyFolders, modules, error))
        return false;

    Store store;
    if (!store.Open(folder + "/machine.db", error))
        return false;
    {
        Transaction txn(store);
        if (!Machine::SaveIdentity(store, identity) || !modules.Save(store) || !txn.Commit())
        {
            error = "cannot write the machine identity: " + store.LastErrorText();
            return false;
        }
    }

    std::vector<std::string> regFiles;
    for (const std::string& name : HostListDirectory(profileDir))
    {
        if (name.size() > 4 && Lower(name.substr(name.size() - 4)) == ".reg")
            regFiles.push_back(name);
    }
    std::sort(regFiles.begin(), regFiles.end());
    RegistryStore registry(store, identity);
    for (const std::string& name : regFiles)
    {
        Transaction txn(store);
        if (!ImportRegFile(registry, profileDir + "/" + name, error) || !txn.Commit())
        {
            if (error.empty())
                error = profileDir + "/" + name + ": " + store.LastErrorText();
            return false;
        }
    }

    if (!HostMakeDirectories(folder + "/drive/c"))
    {
        error = "cannot create drive C: in " + folder;
        return false;
    }
    if (HostIsDirectory(profileDir + "/files") && !HostCopyTree(profileDir + "/files", folder + "/drive/c", error))
        return false;
    for (const std::string* dir :
         {&identity.windowsDir, &identity.systemDir, &identity.tempDir, &identity.programFilesDir})
    {
        std::string host = HostPathIn(folder, *dir);
        if (host.empty() || !HostMakeDirectories(host))
        {
            error = "cannot create folder " + *dir;
            return false;
        }
    }
    if (!StoreReadOnlyFolders(store, folder, readOnlyFolders, error))
        return false;
    std::vector<DeclaredProgram> programs;
    if (!DeclaredProgramReader::Read(profileDir + "/machine.ini", programs, error) ||
        !BootProcesses::Install(store, folder, identity, programs, error))
        return false;
    if (!BuildDevices(store, identity, profileDir + "/machine.ini", error))
        return false;
    if (!HardwareProfileReader::Read(profileDir + "/machine.ini", store, error))
        return false;
    store.Close();
    return true;
}

} // namespace winsim
