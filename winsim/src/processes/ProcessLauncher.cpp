#include "ProcessLauncher.h"

#include <cstdio>
#include <fstream>
#include <vector>

#include "DeclaredPrograms.h"
#include "HostChildren.h"
#include "ProcessTable.h"
#include "core/Journal.h"
#include "core/Runtime.h"
#include "files/CurrentDirectory.h"
#include "files/PathResolver.h"
#include "images/HostPrograms.h"
#include "images/ImageDescriptor.h"
#include "modules/ModuleName.h"
#include "windows.h"

namespace winsim
{

namespace
{

constexpr std::streamsize kMaxDescriptor = 64 * 1024;

bool ReadDescriptor(const std::string& hostPath, ImageDescriptor& image)
{
    std::ifstream in(hostPath, std::ios::binary);
    if (!in)
        return false;
    std::string text(kMaxDescriptor, '\0');
    in.read(text.data(), kMaxDescriptor);
    text.resize(static_cast<size_t>(in.gcount()));
    std::string why;
    return ImageDescriptor::Parse(text, image, why);
}

bool HasExtension(const std::string& name)
{
    const size_t slash = name.find_last_of("\\/:");
    const size_t dot = name.rfind('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash);
}

std::string TimeModeText(const Clock& clock)
{
    if (clock.Mode() == TimeMode::Virtual)
        return "virtual";
    char text[64];
    std::snprintf(text, sizeof(text), "scaled:%g", clock.Scale());
    return text;
}

} // namespace

bool ProcessLauncher::Search(const std::string& name, WinPath& found, uint32_t& error)
{
    const DWORD saved = GetLastError();
    error = ERROR_FILE_NOT_FOUND;
    if (ModuleName::HasPath(name))
    {
        const bool resolved = PathArgument::Resolve(m_rt, name.c_str(), found);
        const DWORD resolveError = GetLastError();
        SetLastError(saved);
        if (resolved && found.kind == EntryKind::File)
            return true;
        if (!resolved)
            error = resolveError;
        else if (found.kind == EntryKind::NoParent)
            error = ERROR_PATH_NOT_FOUND;
        return false;
    }
    // The folder of the calling program, the current folder, the system folders, the Windows folder.
    const MachineIdentity& id = m_rt.Identity();
    std::string image;
    PathResolver::Normalize(m_rt.ImagePath(), "C:\\", image);
    std::vector<std::string> folders{ModuleName::Folder(image), CurrentDirectory::Get(m_rt), id.systemDir};
    if (id.IsNT())
        folders.push_back(id.windowsDir + "\\SYSTEM");
    folders.push_back(id.windowsDir);
    for (const std::string& folder : folders)
    {
        std::string full;
        if (folder.empty() || !PathResolver::Normalize(folder + "\\" + name, "C:\\", full))
            continue;
        if (PathArgument::ResolveFull(m_rt, full, found) && found.kind == EntryKind::File)
        {
            SetLastError(saved);
            return true;
        }
    }
    SetLastError(saved);
    return false;
}

uint32_t ProcessLauncher::Find(const std::string& name, bool addExtension, WinPath& found)
{
    std::string wanted = name;
    if (addExtension && !HasExtension(wanted))
        wanted += ".exe";
    uint32_t error = ERROR_FILE_NOT_FOUND;
    return Search(wanted, found, error) ? ERROR_SUCCESS : error;
}

uint32_t ProcessLauncher::FromCommandLine(const std::string& commandLine, WinPath& module)
{
    size_t start = commandLine.find_first_not_of(" \t");
    if (start == std::string::npos)
        return ERROR_FILE_NOT_FOUND;
    if (commandLine[start] == '"')
    {
        const size_t close = commandLine.find('"', start + 1);
        const std::string name = commandLine.substr(start + 1, close == std::string::npos ? close : close - start - 1);
        return name.empty() ? ERROR_FILE_NOT_FOUND : Find(name, true, module);
    }
    // Unquoted: "C:\Program Files\A B\x.exe" is tried as C:\Program.exe, C:\Program Files\A.exe, ... in turn.
    bool pathMissing = true;
    size_t end = start;
    while (end != std::string::npos)
    {
        end = commandLine.find_first_of(" \t", end + 1);
        const std::string name = commandLine.substr(start, end == std::string::npos ? end : end - start);
        const uint32_t error = Find(name, true, module);
        if (error == ERROR_SUCCESS)
            return ERROR_SUCCESS;
        pathMissing = pathMissing && error == ERROR_PATH_NOT_FOUND;
        if (end != std::string::npos)
            end = commandLine.find_first_not_of(" \t", end);
        if (end != std::string::npos)
            --end;
    }
    return pathMissing ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND;
}

uint32_t ProcessLauncher::Launch(const char* applicationName, const char* commandLine, const char* currentDirectory,
                                 LaunchedProcess& launched)
{
    if (!applicationName && !commandLine)
        return ERROR_INVALID_PARAMETER;
    WinPath module;
    if (applicationName)
    {
        const DWORD saved = GetLastError();
        const bool resolved = PathArgument::Resolve(m_rt, applicationName, module);
        const DWORD error = GetLastError();
        SetLastError(saved);
        if (!resolved)
            return error;
        if (module.kind == EntryKind::Folder)
            return ERROR_ACCESS_DENIED;
        if (module.kind != EntryKind::File)
            return PathArgument::NotFoundError(module);
    }
    else if (uint32_t error = FromCommandLine(commandLine, module); error != ERROR_SUCCESS)
        return error;
    return LaunchModule(module, commandLine ? commandLine : applicationName, currentDirectory, launched);
}

uint32_t ProcessLauncher::LaunchModule(const WinPath& module, const std::string& commandLine,
                                       const char* currentDirectory, LaunchedProcess& launched)
{
    ImageDescriptor image;
    if (!ReadDescriptor(module.host, image) || image.kind != "exe" ||
        (image.machine == "x64" && !m_rt.Identity().Is64Bit()) || (image.machine != "x64" && image.machine != "x86"))
        return ERROR_BAD_EXE_FORMAT;

    std::string directory = CurrentDirectory::Get(m_rt);
    if (currentDirectory)
    {
        WinPath folder;
        const DWORD saved = GetLastError();
        const bool resolved = PathArgument::Resolve(m_rt, currentDirectory, folder);
        SetLastError(saved);
        if (!resolved || folder.kind != EntryKind::Folder)
            return ERROR_DIRECTORY;
        directory = folder.actual;
    }

    Store& store = m_rt.GetMachine().GetStore();
    DeclaredProgram declared;
    const bool isDeclared = DeclaredPrograms::Find(store, image.program, declared);
    const std::string executable = isDeclared ? std::string() : HostPrograms::Executable(image.program);
    if (!isDeclared && executable.empty())
    {
        // As an image whose own libraries are missing; the reason is for whoever runs the machine.
        std::fprintf(stderr, "winsim: %s: no host program '%s' in %s and no [Program.%s] in the profile\n",
                     module.actual.c_str(), image.program.c_str(), HostPrograms::Folder().c_str(),
                     image.program.c_str());
        return ERROR_BAD_EXE_FORMAT;
    }

    if (isDeclared)
    {
        Transaction txn(store);
        ProcessTable table = ProcessTable::Of(m_rt);
        launched.pid = table.AddDeclared(declared, module.actual, commandLine, m_rt.Pid());
        if (launched.pid == 0 || !txn.Commit())
            return ERROR_NOT_ENOUGH_MEMORY;
        launched.declared = true;
        if (declared.lifetimeMs)
            launched.endsMs = m_rt.GetClock().NowMs() + *declared.lifetimeMs;
        Journal::Record("process", "create", module.actual, commandLine);
        // An installer's traces are there by the time anyone can wait for it to end.
        declared.installer.Apply(module.actual);
        return ERROR_SUCCESS;
    }

    // The child starts where the parent's clock is now.
    m_rt.GetClock().Persist();
    {
        Transaction txn(store);
        launched.pid = ProcessTable::Of(m_rt).AddHost(module.actual, commandLine, m_rt.Pid());
        if (launched.pid == 0 || !txn.Commit())
            return ERROR_NOT_ENOUGH_MEMORY;
    }
    HostLaunch launch;
    launch.executable = executable;
    launch.machineDir = m_rt.GetMachine().Folder();
    launch.imagePath = module.actual;
    launch.commandLine = commandLine;
    launch.currentDirectory = directory;
    launch.timeMode = TimeModeText(m_rt.GetClock());
    launch.pid = launched.pid;
    launch.parentPid = m_rt.Pid();
    std::string reason;
    const pid_t host = HostChildren::Start(launch, reason);
    if (host < 0)
    {
        std::fprintf(stderr, "winsim: %s\n", reason.c_str());
        Statement remove = store.Prepare("DELETE FROM processes WHERE pid = ?1");
        remove.Bind(1, launched.pid);
        remove.Run();
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    ProcessTable::Of(m_rt).SetHostPid(launched.pid, host);
    Journal::Record("process", "create", module.actual, commandLine);
    return ERROR_SUCCESS;
}

} // namespace winsim
