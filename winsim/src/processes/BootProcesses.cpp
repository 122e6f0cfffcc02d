#include "BootProcesses.h"

#include "DeclaredPrograms.h"
#include "ProcessTable.h"
#include "core/Clock.h"
#include "core/MachineIdentity.h"
#include "core/Store.h"
#include "files/HostDrive.h"
#include "files/PathResolver.h"
#include "images/ImageDescriptor.h"
#include "profile/HostFiles.h"

namespace winsim
{

namespace
{

// Writes an image descriptor unless the profile's files put a file there already.
bool WriteImage(const PathResolver& drive, const std::string& path, const ImageDescriptor& image, std::string& error)
{
    const std::string host = drive.ToHost(path);
    if (HostExists(host))
        return true;
    if (!HostMakeDirectories(HostDrive::Parent(host)) || !HostWriteFile(host, image.Format()))
    {
        error = "cannot write the image " + path;
        return false;
    }
    return true;
}

std::string CommandLineOf(const std::string& image)
{
    return image.find(' ') != std::string::npos ? "\"" + image + "\"" : image;
}

} // namespace

bool BootProcesses::Install(Store& store, const std::string& machineFolder, const MachineIdentity& identity,
                            const std::vector<DeclaredProgram>& programs, std::string& error)
{
    if (programs.empty())
        return true;
    const PathResolver drive(machineFolder + "/drive/c");
    for (const DeclaredProgram& program : programs)
    {
        if (!program.boot)
            continue;
        ImageDescriptor exe;
        exe.program = program.ImageProgram();
        exe.machine = identity.architecture;
        if (!WriteImage(drive, program.image, exe, error))
            return false;
        // Its modules are files too (a setup may find them in use); they stand for no code of winsim's.
        ImageDescriptor dll;
        dll.kind = "dll";
        dll.program = "none";
        dll.machine = identity.architecture;
        for (const std::string& module : program.modules)
        {
            if (!WriteImage(drive, module, dll, error))
                return false;
        }
    }
    Transaction txn(store);
    if (!DeclaredPrograms::Save(store, programs))
    {
        error = "cannot store the declared programs: " + store.LastErrorText();
        return false;
    }
    Start(store, Clock::StoredTime(store));
    if (!txn.Commit())
    {
        error = "cannot start the declared processes: " + store.LastErrorText();
        return false;
    }
    return true;
}

std::vector<uint32_t> BootProcesses::Start(Store& store, uint64_t nowMs)
{
    std::vector<uint32_t> pids;
    ProcessTable table(store, nowMs, 0);
    for (const DeclaredProgram& program : DeclaredPrograms::BootProcesses(store))
    {
        if (uint32_t pid = table.AddDeclared(program, program.image, CommandLineOf(program.image), 0))
            pids.push_back(pid);
    }
    return pids;
}

} // namespace winsim
