#include "ModuleLoader.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <vector>

#include "BuiltinModules.h"
#include "ModuleName.h"
#include "ModuleTrims.h"
#include "PluginLibrary.h"
#include "ProcessModules.h"
#include "core/Journal.h"
#include "core/Runtime.h"
#include "files/CurrentDirectory.h"
#include "files/NameCase.h"
#include "files/PathArgument.h"
#include "files/PathResolver.h"
#include "files/ShareTable.h"
#include "images/ImageDescriptor.h"
#include "windows.h"

namespace winsim
{

namespace
{

// Image descriptors are a few lines; a larger file is read only as far as it needs to be.
constexpr std::streamsize kMaxDescriptor = 64 * 1024;

bool ReadHead(const std::string& hostPath, std::string& text)
{
    std::ifstream in(hostPath, std::ios::binary);
    if (!in)
        return false;
    text.resize(kMaxDescriptor);
    in.read(text.data(), kMaxDescriptor);
    text.resize(static_cast<size_t>(in.gcount()));
    return true;
}

} // namespace

uintptr_t ModuleLoader::Fail(uint32_t error)
{
    SetLastError(error);
    return 0;
}

uintptr_t ModuleLoader::NotFound()
{
    // Windows 9x has its own code for a library that is not there.
    return Fail(m_runtime.Identity().IsNT() ? ERROR_MOD_NOT_FOUND : ERROR_DLL_NOT_FOUND);
}

bool ModuleLoader::IsAbsent(const BuiltinModule& builtin)
{
    return ModuleTrims::IsAbsent(m_runtime.GetMachine().GetStore(), builtin.UpperName());
}

uintptr_t ModuleLoader::Load(const char* text, bool asDataFile)
{
    const std::string name = ModuleName::Complete(text ? text : "");
    if (name.empty())
        return NotFound();
    WinPath file;
    if (!ModuleName::HasPath(name))
    {
        const std::string upper = NameCase::Upper(name);
        if (const BuiltinModule* builtin = BuiltinModules::Find(upper); builtin && !IsAbsent(*builtin))
            return LoadBuiltin(*builtin, asDataFile);
        if (LoadedModule* loaded = m_modules.FindBase(upper))
            return Counted(*loaded);
        if (!Search(name, file))
            return NotFound();
        return LoadFile(file, asDataFile);
    }
    if (!PathArgument::Resolve(m_runtime, name.c_str(), file))
        return GetLastError() == ERROR_PATH_NOT_FOUND && !asDataFile ? NotFound() : 0;
    if (file.kind == EntryKind::Folder)
        return Fail(ERROR_ACCESS_DENIED);
    if (file.kind != EntryKind::File)
        return asDataFile ? Fail(PathArgument::NotFoundError(file)) : NotFound();
    return LoadFile(file, asDataFile);
}

bool ModuleLoader::Search(const std::string& name, WinPath& found)
{
    const MachineIdentity& id = m_runtime.Identity();
    const std::string current = CurrentDirectory::Get(m_runtime);
    std::string image;
    PathResolver::Normalize(m_runtime.ImagePath(), "C:\\", image);
    // The program's folder first. From XP SP2 on (safe DLL search mode) the current folder comes last;
    // before, it comes right after the program's folder. NT also looks in its 16-bit system folder.
    const bool safeMode = id.IsNT() && (id.major > 5 || (id.major == 5 && id.minor >= 2) ||
                                        (id.major == 5 && id.minor == 1 && id.servicePackMajor >= 2));
    std::vector<std::string> folders{ModuleName::Folder(image)};
    if (!safeMode)
        folders.push_back(current);
    folders.push_back(id.systemDir);
    if (id.IsNT())
        folders.push_back(id.windowsDir + "\\SYSTEM");
    folders.push_back(id.windowsDir);
    if (safeMode)
        folders.push_back(current);
    for (const std::string& folder : folders)
    {
        std::string full;
        if (folder.empty() || !PathResolver::Normalize(folder + "\\" + name, current, full))
            continue;
        if (PathArgument::ResolveFull(m_runtime, full, found) && found.kind == EntryKind::File)
            return true;
    }
    return false;
}

uintptr_t ModuleLoader::Counted(LoadedModule& module)
{
    if (!module.pinned)
        ++module.count;
    return module.handle;
}

uintptr_t ModuleLoader::AddDataFile(const std::string& path, const BuiltinModule* builtin)
{
    LoadedModule module;
    // The low bit marks a handle as a data file's, as on Windows.
    module.handle = m_modules.NextBase() | 1;
    module.kind = ModuleKind::DataFile;
    module.path = path;
    module.upperPath = NameCase::Upper(path);
    module.builtin = builtin;
    module.count = 1;
    return m_modules.Add(module).handle;
}

uintptr_t ModuleLoader::LoadBuiltin(const BuiltinModule& builtin, bool asDataFile)
{
    if (LoadedModule* loaded = m_modules.Find(builtin.Base()))
        return Counted(*loaded);
    const std::string path = m_runtime.Identity().systemDir + "\\" + builtin.FileName();
    if (asDataFile)
        return AddDataFile(path, &builtin);
    LoadedModule module;
    module.handle = builtin.Base();
    module.path = path;
    module.upperPath = NameCase::Upper(path);
    module.builtin = &builtin;
    module.removedExports = ModuleTrims::RemovedExports(m_runtime.GetMachine().GetStore(), builtin.UpperName());
    module.count = 1;
    m_modules.Add(module);
    Journal::Record("module", "load", path);
    ProcessModules::Loaded(m_runtime, module.handle, path);
    return module.handle;
}

uintptr_t ModuleLoader::LoadFile(const WinPath& file, bool asDataFile)
{
    if (LoadedModule* loaded = m_modules.FindPath(file.upath))
        return Counted(*loaded);
    // The loader reads the file sharing read and delete access only.
    if (ShareTable::Instance().Conflicts(file.shareKey, ShareTable::kRead, ShareTable::kRead | ShareTable::kDelete))
        return Fail(ERROR_SHARING_VIOLATION);
    std::string text;
    if (!ReadHead(file.host, text))
        return Fail(HostDrive::ErrorFromErrno(errno));
    if (text.empty())
        return Fail(ERROR_FILE_INVALID);
    ImageDescriptor image;
    std::string why;
    if (!ImageDescriptor::Parse(text, image, why))
        return Fail(ERROR_BAD_EXE_FORMAT);
    if (asDataFile)
        return AddDataFile(file.path, nullptr);
    if (image.kind != "dll" || image.machine != ProcessMachine())
        return Fail(ERROR_BAD_EXE_FORMAT);
    if (image.program == "builtin")
    {
        const BuiltinModule* builtin = BuiltinModules::Find(NameCase::Upper(ModuleName::Base(file.path)));
        if (!builtin || IsAbsent(*builtin))
            return NotFound();
        return LoadBuiltin(*builtin, false);
    }
    std::string reason;
    void* library = PluginLibrary::Open(image.program, reason);
    if (!library)
    {
        // As a DLL whose own dependency is missing; the reason is for whoever runs the machine.
        std::fprintf(stderr, "winsim: %s: %s\n", file.path.c_str(), reason.c_str());
        return NotFound();
    }
    LoadedModule module;
    module.handle = m_modules.NextBase();
    module.kind = ModuleKind::Plugin;
    module.path = file.path;
    module.upperPath = file.upath;
    module.library = library;
    module.count = 1;
    m_modules.Add(module);
    Journal::Record("module", "load", module.path, image.program);
    ProcessModules::Loaded(m_runtime, module.handle, module.path);
    return module.handle;
}

std::string ModuleLoader::ProcessMachine()
{
    // What the program's own image says; a program without one on the drive is a 32-bit program.
    WinPath self;
    std::string text;
    ImageDescriptor image;
    std::string why;
    const DWORD saved = GetLastError();
    bool known = PathArgument::Resolve(m_runtime, m_runtime.ImagePath().c_str(), self) &&
                 self.kind == EntryKind::File && ReadHead(self.host, text) && ImageDescriptor::Parse(text, image, why);
    SetLastError(saved);
    return known ? image.machine : "x86";
}

bool ModuleLoader::Free(uintptr_t handle)
{
    if (handle == 0)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    if (handle == LoadedModules::kImageBase)
        return true;
    LoadedModule* module = m_modules.Find(handle);
    if (!module)
    {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return false;
    }
    if (module->pinned)
        return true;
    if (module->kind != ModuleKind::DataFile && --module->count > 0)
        return true;
    // Off the list before the library's own clean-up code runs (it may free libraries itself).
    const LoadedModule gone = *module;
    m_modules.Remove(handle);
    if (gone.kind == ModuleKind::DataFile)
        return true;
    if (gone.library)
        PluginLibrary::Close(gone.library);
    Journal::Record("module", "unload", gone.path);
    ProcessModules::Unloaded(m_runtime, gone.handle);
    return true;
}

ExportProc ModuleLoader::Procedure(uintptr_t handle, const char* name)
{
    const bool byOrdinal = (reinterpret_cast<uintptr_t>(name) >> 16) == 0;
    const uint16_t ordinal = static_cast<uint16_t>(reinterpret_cast<uintptr_t>(name));
    LoadedModule* module = m_modules.Find(handle);
    // The program's own image exports nothing; a data file is not a module to the loader.
    const bool image = handle == 0 || handle == LoadedModules::kImageBase;
    if (!image && (!module || module->kind == ModuleKind::DataFile))
    {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    ExportProc proc = nullptr;
    if (!image && module->kind == ModuleKind::Builtin)
    {
        const BuiltinExport* entry = byOrdinal ? module->builtin->Find(ordinal) : module->builtin->Find(name);
        if (entry && !module->removedExports.count(entry->name))
            proc = entry->proc;
    }
    else if (!image && !byOrdinal)
        proc = PluginLibrary::Find(module->library, name);
    if (!proc)
        SetLastError(ERROR_PROC_NOT_FOUND);
    return proc;
}

} // namespace winsim
