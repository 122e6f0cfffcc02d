#include "DriverStore.h"

#include <strings.h>

#include <cstdio>

#include "DriverInstaller.h"
#include "DriverSearch.h"
#include "InfLoader.h"
#include "PublishedInf.h"
#include "core/Runtime.h"
#include "core/Store.h"
#include "devices/DeviceTree.h"
#include "difxapi.h"
#include "windows.h"
#include "setupapi.h"

namespace winsim
{

namespace
{

std::string NameOf(const std::string& path)
{
    return path.substr(path.rfind('\\') + 1);
}

uint32_t Fnv(const std::string& bytes)
{
    uint32_t hash = 2166136261u;
    for (unsigned char c : bytes)
        hash = (hash ^ c) * 16777619u;
    return hash;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The files of a package: those its [SourceDisksFiles] sections name (any platform decoration).
std::vector<std::string> PackageFiles(const InfModel& model)
{
    std::vector<std::string> files;
    for (size_t s = 0; s < model.SectionCount(); ++s)
    {
        const InfModel::Section& section = model.SectionAt(static_cast<uint32_t>(s));
        if (strncasecmp(section.name.c_str(), "SourceDisksFiles", 16) != 0)
            continue;
        for (uint32_t i = 0; i < section.count; ++i)
        {
            const std::string name = model.FieldText(model.LineAt(static_cast<uint32_t>(s), i), 0);
            bool known = name.empty();
            for (const std::string& have : files)
                known = known || strcasecmp(have.c_str(), name.c_str()) == 0;
            if (!known)
                files.push_back(name);
        }
    }
    return files;
}

bool Exists(const std::string& path)
{
    const DWORD saved = GetLastError();
    const DWORD attributes = GetFileAttributesA(path.c_str());
    SetLastError(saved);
    return attributes != INVALID_FILE_ATTRIBUTES;
}

void DeleteTree(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE)
    {
        do
        {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteTree(folder + "\\" + name);
            else
                DeleteFileA((folder + "\\" + name).c_str());
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

} // namespace

std::string DriverStore::RepositoryFolder(Runtime& rt)
{
    return rt.Identity().systemDir + "\\DriverStore\\FileRepository";
}

std::vector<std::string> DriverStore::Packages(Runtime& rt)
{
    std::vector<std::string> packages;
    const DWORD saved = GetLastError();
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((RepositoryFolder(rt) + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE)
    {
        do
        {
            const std::string name = found.cFileName;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..")
                packages.push_back(RepositoryFolder(rt) + "\\" + name);
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    SetLastError(saved);
    return packages;
}

uint32_t DriverStore::Preinstall(Runtime& rt, const std::string& inf, uint32_t flags, std::string& published)
{
    const MachineIdentity& identity = rt.Identity();
    if (identity.IsNT() && !identity.administrator)
        return ERROR_ACCESS_DENIED;
    uint32_t error = 0;
    std::shared_ptr<const LoadedInf> loaded = InfLoader::Load(rt, inf, error);
    if (!loaded)
        return error;
    const std::string folder = loaded->file.folder;
    const std::string catalog = loaded->drivers.catalog;
    const bool signedPackage = !catalog.empty() && Exists(folder + "\\" + catalog);
    if (!signedPackage && (identity.Is64Bit() || !(flags & DRIVER_PACKAGE_LEGACY_MODE)))
        return ERROR_SIGNATURE_OSATTRIBUTE_MISMATCH;
    std::string bytes;
    if (!PublishedInf::ReadAll(rt, loaded->file.path, bytes))
        return ERROR_FILE_NOT_FOUND;
    char hash[16];
    std::snprintf(hash, sizeof(hash), "_%08x", Fnv(bytes));
    const std::string name = NameOf(loaded->file.path);
    const std::string package = RepositoryFolder(rt) + "\\" + Lower(name) + hash;
    std::vector<std::string> files = PackageFiles(loaded->file.model);
    files.push_back(name);
    if (signedPackage)
        files.push_back(catalog);
    for (const std::string& file : files)
        if (!Exists(folder + "\\" + file))
            return ERROR_FILE_NOT_FOUND;
    const std::string driverStore = identity.systemDir + "\\DriverStore";
    CreateDirectoryA(driverStore.c_str(), nullptr);
    CreateDirectoryA(RepositoryFolder(rt).c_str(), nullptr);
    CreateDirectoryA(package.c_str(), nullptr);
    for (const std::string& file : files)
        if (!CopyFileA((folder + "\\" + file).c_str(), (package + "\\" + file).c_str(), FALSE))
            return GetLastError();
    bool alreadyThere = false;
    if (!PublishedInf::Publish(rt, package + "\\" + name, published, alreadyThere, error))
        return error;
    return 0;
}

uint32_t DriverStore::Install(Runtime& rt, const std::string& inf, uint32_t flags, bool& reboot)
{
    std::string published;
    uint32_t error = Preinstall(rt, inf, flags, published);
    if (error)
        return error;
    std::shared_ptr<const LoadedInf> loaded = InfLoader::Load(rt, published, error);
    if (!loaded)
        return error;
    std::vector<DeviceRecord> devices;
    {
        Transaction txn(rt.GetMachine().GetStore());
        DeviceTree tree(rt);
        tree.Settle();
        devices = tree.Devices();
        txn.Commit();
    }
    bool any = false;
    for (const DeviceRecord& device : devices)
    {
        DriverMatch match;
        // Without FORCE a device that has a driver keeps it.
        if (!device.present || !DriverSearch::InInf(loaded, device, match) ||
            (device.driver && !(flags & DRIVER_PACKAGE_FORCE)))
            continue;
        if (!DriverInstaller(rt).Install(device.instance, match, NameOf(published), reboot, error))
            return error;
        any = true;
    }
    return any ? 0 : static_cast<uint32_t>(ERROR_NO_SUCH_DEVINST);
}

uint32_t DriverStore::Uninstall(Runtime& rt, const std::string& inf, uint32_t flags, bool& reboot)
{
    (void)flags;
    reboot = false;
    const MachineIdentity& identity = rt.Identity();
    if (identity.IsNT() && !identity.administrator)
        return ERROR_ACCESS_DENIED;
    std::string bytes;
    if (!PublishedInf::ReadAll(rt, inf, bytes))
        return ERROR_FILE_NOT_FOUND;
    // The package is the store folder holding an INF of the same contents.
    const std::string name = NameOf(inf);
    std::string package;
    for (const std::string& folder : Packages(rt))
    {
        std::string have;
        if (PublishedInf::ReadAll(rt, folder + "\\" + name, have) && have == bytes)
            package = folder;
    }
    if (package.empty())
        return ERROR_DRIVER_PACKAGE_NOT_IN_STORE;
    std::string published;
    bool alreadyThere = false;
    uint32_t error = 0;
    // Publishing again finds the name it has (the same contents), without copying anything new.
    if (!PublishedInf::Publish(rt, package + "\\" + name, published, alreadyThere, error))
        return error;
    const std::string oemName = NameOf(published);
    {
        Transaction txn(rt.GetMachine().GetStore());
        DeviceTree tree(rt);
        tree.Settle();
        for (DeviceRecord& device : tree.Devices())
        {
            const int64_t key = tree.EnumKey(device);
            const int64_t driverKey = key ? tree.Registry().FindDriverKey(key) : 0;
            std::string infPath;
            if (driverKey && tree.Registry().ReadString(driverKey, "InfPath", infPath) &&
                strcasecmp(infPath.c_str(), oemName.c_str()) == 0)
                tree.Remove(device.instance);
        }
        txn.Commit();
    }
    PublishedInf::Unpublish(rt, published);
    DeleteTree(package);
    return 0;
}

} // namespace winsim
