#include "MachineReboot.h"

#include <unistd.h>

#include <memory>
#include <utility>
#include <vector>

#include "BootProcesses.h"
#include "HostChildren.h"
#include "ProcessLauncher.h"
#include "ProcessObject.h"
#include "ProcessTable.h"
#include "core/Journal.h"
#include "core/Runtime.h"
#include "devices/DeviceTree.h"
#include "files/NameCase.h"
#include "files/ProfileFile.h"
#include "files/ProfileText.h"
#include "registry/RegistryStore.h"
#include "user/WindowTable.h"
#include "windows.h"
#include "winsim/winsim.h"

namespace winsim
{

namespace
{

constexpr const char* kSessionManager = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr const char* kPendingRenames = "PendingFileRenameOperations";
constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunOnceKey = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr const char* kWowRunKey = "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kWowRunOnceKey = "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

std::string WithoutPrefix(const std::string& path)
{
    return path.rfind("\\??\\", 0) == 0 ? path.substr(4) : path;
}

std::string Number(DWORD value)
{
    return std::to_string(value);
}

} // namespace

std::string MachineReboot::BootImage(bool isNT, const std::string& systemDir, const std::string& windowsDir)
{
    return isNT ? systemDir + "\\smss.exe" : windowsDir + "\\WININIT.EXE";
}

void MachineReboot::Run()
{
    Journal::Record("machine", "reboot", m_rt.Identity().computerName);
    EndEverything();
    if (m_rt.Identity().IsNT())
        ApplyPendingRenames();
    else
        ApplyWininit();

    Store& store = m_rt.GetMachine().GetStore();
    const uint64_t now = m_rt.GetClock().NowMs();
    {
        Transaction txn(store);
        RegistryStore(store, m_rt.Identity()).DeleteVolatileKeys();
        Journal::Record("machine", "volatile-keys", "deleted");
        // The PnP manager builds the device tree afresh: removed devices still plugged in come back.
        DeviceTree(m_rt).Boot();
        // GetTickCount counts from here.
        m_rt.GetMachine().SetMeta("clock.boot_ms", std::to_string(now));
        Journal::Record("machine", "boot", std::to_string(now));
        for (uint32_t pid : BootProcesses::Start(store, now))
        {
            ProcessRow row;
            ProcessTable::Of(m_rt).Find(pid, row);
            Journal::Record("process", "create", row.image, row.commandLine);
        }
        txn.Commit();
    }
    // On x64 the 32-bit programs' entries are under Wow6432Node and run after the native ones.
    const bool wow = m_rt.Identity().Is64Bit();
    RunPrograms(HKEY_LOCAL_MACHINE, "HKLM", kRunOnceKey, true);
    if (wow)
        RunPrograms(HKEY_LOCAL_MACHINE, "HKLM", kWowRunOnceKey, true);
    RunPrograms(HKEY_LOCAL_MACHINE, "HKLM", kRunKey, false);
    if (wow)
        RunPrograms(HKEY_LOCAL_MACHINE, "HKLM", kWowRunKey, false);
    RunPrograms(HKEY_CURRENT_USER, "HKCU", kRunKey, false);
    RunPrograms(HKEY_CURRENT_USER, "HKCU", kRunOnceKey, true);
}

void MachineReboot::EndEverything()
{
    Store& store = m_rt.GetMachine().GetStore();
    Transaction txn(store);
    ProcessTable table = ProcessTable::Of(m_rt);
    const uint64_t now = m_rt.GetClock().NowMs();
    for (const ProcessRow& row : table.Running())
    {
        if (row.pid == m_rt.Pid())
            continue;
        table.End(row.pid, 0, now, "shut down");
        if (!row.declared && row.hostPid > 0 && row.hostPid != getpid())
            HostChildren::Kill(static_cast<pid_t>(row.hostPid));
    }
    WindowTable(store).RemoveAll();
    store.Prepare("DELETE FROM process_modules").Run();
    store.Prepare("DELETE FROM named_object_refs").Run();
    store.Prepare("DELETE FROM named_objects").Run();
    Journal::Record("machine", "shutdown", "processes, windows and named objects ended");
    txn.Commit();
}

void MachineReboot::Remove(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    const BOOL removed =
        (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryA(path.c_str()) : DeleteFileA(path.c_str());
    if (!removed)
    {
        Journal::Record("machine", "rename-failed", path, "delete: error " + Number(GetLastError()));
        SetFileAttributesA(path.c_str(), attributes);
    }
}

void MachineReboot::Rename(const std::string& source, const std::string& target, bool replace)
{
    if (replace && GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES)
        Remove(target);
    if (!MoveFileA(source.c_str(), target.c_str()))
        Journal::Record("machine", "rename-failed", source, target + ": error " + Number(GetLastError()));
}

void MachineReboot::ApplyPendingRenames()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    DWORD type = 0;
    DWORD size = 0;
    std::vector<char> data;
    if (RegQueryValueExA(key, kPendingRenames, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && size > 0)
    {
        data.resize(size);
        if (RegQueryValueExA(key, kPendingRenames, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
                ERROR_SUCCESS ||
            type != REG_MULTI_SZ)
            data.clear();
        data.resize(std::min<size_t>(size, data.size()));
    }
    // The strings come in pairs; an empty target is a string of its own.
    std::vector<std::string> strings;
    for (size_t start = 0; start < data.size();)
    {
        size_t end = start;
        while (end < data.size() && data[end] != '\0')
            ++end;
        strings.emplace_back(data.data() + start, end - start);
        start = end + 1;
    }
    size_t done = 0;
    for (size_t i = 0; i + 1 < strings.size(); i += 2)
    {
        const std::string source = WithoutPrefix(strings[i]);
        std::string target = strings[i + 1];
        if (source.empty())
            break; // the list's closing empty string
        const bool replace = !target.empty() && target[0] == '!';
        if (replace)
            target = target.substr(1);
        target = WithoutPrefix(target);
        if (target.empty())
            Remove(source);
        else
            Rename(source, target, replace);
        ++done;
    }
    if (!data.empty() || RegQueryValueExA(key, kPendingRenames, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
    {
        RegDeleteValueA(key, kPendingRenames);
        Journal::Record("machine", "pending-renames", std::to_string(done) + " applied");
    }
    RegCloseKey(key);
}

void MachineReboot::ApplyWininit()
{
    const std::string ini = m_rt.Identity().windowsDir + "\\WININIT.INI";
    ProfileFile file;
    std::string text;
    if (!file.Resolve(m_rt, ini.c_str()) || !file.Read(text))
        return;
    size_t done = 0;
    for (const std::string& line : ProfileText(text).SectionLines("rename"))
    {
        const size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string target = ProfileText::Trim(line.substr(0, equals));
        const std::string source = ProfileText::Trim(line.substr(equals + 1));
        if (source.empty())
            continue;
        if (NameCase::Equal(target, "NUL"))
            Remove(source);
        else
            Rename(source, target, true);
        ++done;
    }
    Rename(ini, m_rt.Identity().windowsDir + "\\WININIT.BAK", true);
    Journal::Record("machine", "wininit", std::to_string(done) + " applied");
}

void MachineReboot::RunPrograms(HKEY root, const char* rootName, const char* keyPath, bool once)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, keyPath, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    std::vector<std::pair<std::string, std::string>> commands;
    for (DWORD index = 0;; ++index)
    {
        char name[16384];
        DWORD nameSize = sizeof(name);
        DWORD type = 0;
        std::vector<BYTE> data(65536);
        DWORD dataSize = static_cast<DWORD>(data.size());
        if (RegEnumValueA(key, index, name, &nameSize, nullptr, &type, data.data(), &dataSize) != ERROR_SUCCESS)
            break;
        if (type != REG_SZ && type != REG_EXPAND_SZ)
            continue;
        std::string command(reinterpret_cast<const char*>(data.data()), dataSize);
        while (!command.empty() && command.back() == '\0')
            command.pop_back();
        commands.emplace_back(std::string(name, nameSize), command);
    }
    // RunOnce entries go before they run, so that a program that fails does not run at every boot.
    if (once)
    {
        for (const auto& [name, command] : commands)
            RegDeleteValueA(key, name.c_str());
    }
    RegCloseKey(key);

    const std::string where = std::string(rootName) + "\\" + keyPath;
    for (const auto& [name, command] : commands)
    {
        if (command.empty())
            continue;
        LaunchedProcess launched;
        const uint32_t error = ProcessLauncher(m_rt).Launch(nullptr, command.c_str(), nullptr, launched);
        if (error != ERROR_SUCCESS)
        {
            Journal::Record("machine", "run-failed", command, where + ": error " + Number(error));
            continue;
        }
        Journal::Record("machine", "run", command, where);
        if (launched.declared)
            continue;
        // Host programs run one after another; what they exit with does not matter.
        HANDLE process = m_rt.Handles().Insert(
            std::make_shared<ProcessObject>(m_rt, launched.pid, PROCESS_ALL_ACCESS, false, launched.endsMs));
        WaitForSingleObject(process, INFINITE);
        CloseHandle(process);
    }
}

bool Reboot(const std::string& machineDir, std::string& error)
{
    if (IsAttached())
    {
        error = "a process attached to a machine cannot reboot one; detach first";
        return false;
    }
    Machine machine;
    if (!machine.Open(machineDir, error))
        return false;
    const MachineIdentity identity = machine.Identity();
    machine.Close();
    AttachOptions options;
    options.machineDir = machineDir;
    options.imagePath = MachineReboot::BootImage(identity.IsNT(), identity.systemDir, identity.windowsDir);
    if (!Attach(options, error))
        return false;
    MachineReboot(*Runtime::Current()).Run();
    Detach(0);
    return true;
}

} // namespace winsim
