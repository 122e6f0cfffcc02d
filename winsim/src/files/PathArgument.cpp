#include "PathArgument.h"

#include <cstring>

#include "CurrentDirectory.h"
#include "FileNameRules.h"
#include "NameCase.h"
#include "PathResolver.h"
#include "core/Runtime.h"
#include "windows.h"

namespace winsim
{

std::string WinPath::Name() const
{
    size_t slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string WinPath::HostParent() const
{
    return HostDrive::Parent(host);
}

bool PathArgument::Resolve(Runtime& runtime, const char* text, WinPath& out, unsigned options)
{
    if (!text || !*text)
    {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    // The ANSI functions convert the first name into a MAX_PATH-sized buffer.
    if (!(options & kSecondName) && std::strlen(text) >= MAX_PATH)
    {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    std::string full;
    if (!PathResolver::Normalize(text, CurrentDirectory::Get(runtime), full))
    {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    return ResolveFull(runtime, full, out);
}

bool PathArgument::ResolveFull(Runtime& runtime, const std::string& full, WinPath& out)
{
    if (full.size() >= MAX_PATH)
    {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    size_t start = 3;
    while (start < full.size())
    {
        size_t end = full.find('\\', start);
        if (end == std::string::npos)
            end = full.size();
        if (!FileNameRules::IsValidComponent(full.substr(start, end - start), false))
        {
            SetLastError(ERROR_INVALID_NAME);
            return false;
        }
        start = end + 1;
    }
    out.path = full;
    out.upath = NameCase::Upper(full);
    out.host = PathResolver(runtime.GetMachine().DriveRoot()).ToHost(full);
    out.shareKey = ShareKey(runtime, out.upath);
    const std::string& root = runtime.GetMachine().DriveRoot();
    out.actual = full.substr(0, 3);
    if (out.host.size() > root.size() + 1)
        out.actual += out.host.substr(root.size() + 1);
    for (char& c : out.actual)
    {
        if (c == '/')
            c = '\\';
    }
    Refresh(out);
    return true;
}

void PathArgument::Refresh(WinPath& path)
{
    path.stat = HostDrive::Stat(path.host);
    if (path.stat.exists)
    {
        path.kind = path.stat.isDirectory ? EntryKind::Folder : EntryKind::File;
        return;
    }
    HostStat parent = HostDrive::Stat(path.HostParent());
    path.kind = parent.exists && parent.isDirectory ? EntryKind::Missing : EntryKind::NoParent;
}

std::string PathArgument::ShareKey(Runtime& runtime, const std::string& upath)
{
    return runtime.GetMachine().Folder() + "|" + upath;
}

uint32_t PathArgument::NotFoundError(const WinPath& path)
{
    return path.kind == EntryKind::NoParent ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND;
}

} // namespace winsim
