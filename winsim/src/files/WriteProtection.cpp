#include "WriteProtection.h"

#include <sys/stat.h>

#include "NameCase.h"
#include "PathResolver.h"
#include "core/Journal.h"
#include "core/Runtime.h"

namespace winsim
{

namespace
{

// Whether `path` is `folder` or lies below it (both upper-case and normalised; the root ends in '\').
bool AtOrBelow(const std::string& path, const std::string& folder)
{
    if (path.compare(0, folder.size(), folder) != 0)
        return false;
    return path.size() == folder.size() || folder.back() == '\\' || path[folder.size()] == '\\';
}

// Creates the missing folders of a normalised path, each in the case written; false where a file is in the way.
bool MakeFolders(const PathResolver& resolver, const std::string& full)
{
    for (size_t end = full.find('\\', 3);; end = full.find('\\', end + 1))
    {
        const std::string host = resolver.ToHost(end == std::string::npos ? full : full.substr(0, end));
        HostStat stat = HostDrive::Stat(host);
        if (stat.exists ? !stat.isDirectory : mkdir(host.c_str(), 0777) != 0)
            return false;
        if (end == std::string::npos)
            return true;
    }
}

} // namespace

bool WriteProtection::Refuses(const std::string& upath, Reach reach)
{
    // The table holds a handful of folders at most: one scan answers both questions.
    Statement stmt = m_store.Prepare("SELECT upath FROM protected_folders");
    while (stmt.Step())
    {
        const std::string folder = stmt.Text(0);
        if (AtOrBelow(upath, folder) || (reach == Reach::Tree && AtOrBelow(folder, upath)))
            return true;
    }
    return false;
}

bool WriteProtection::Set(const std::string& upath, bool writeProtected, bool& changed)
{
    Statement stmt = m_store.Prepare(writeProtected ? "INSERT OR IGNORE INTO protected_folders(upath) VALUES(?1)"
                                                    : "DELETE FROM protected_folders WHERE upath = ?1");
    stmt.Bind(1, upath);
    if (!stmt.Run())
        return false;
    changed = m_store.Changes() > 0;
    return true;
}

std::vector<std::string> WriteProtection::Folders()
{
    std::vector<std::string> folders;
    Statement stmt = m_store.Prepare("SELECT upath FROM protected_folders ORDER BY upath");
    while (stmt.Step())
        folders.push_back(stmt.Text(0));
    return folders;
}

bool WriteProtection::Change(Runtime& runtime, const std::string& windowsPath, bool writeProtected)
{
    std::string full;
    WinPath folder;
    if (!PathResolver::Normalize(windowsPath, "C:\\", full) || !PathArgument::ResolveFull(runtime, full, folder))
        return false;
    if (folder.kind == EntryKind::File)
        return false;
    if (writeProtected && folder.kind != EntryKind::Folder)
    {
        if (!MakeFolders(PathResolver(runtime.GetMachine().DriveRoot()), full))
            return false;
        PathArgument::ResolveFull(runtime, full, folder);
    }
    Store& store = runtime.GetMachine().GetStore();
    Transaction txn(store);
    bool changed = false;
    if (!WriteProtection(store).Set(folder.upath, writeProtected, changed))
        return false;
    if (changed)
        Journal::Record("file", writeProtected ? "protect" : "unprotect", folder.actual);
    return txn.Commit();
}

} // namespace winsim
