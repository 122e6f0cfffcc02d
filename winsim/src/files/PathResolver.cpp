#include "PathResolver.h"

#include <dirent.h>
#include <sys/stat.h>

#include <vector>

#include "NameCase.h"

namespace winsim
{

namespace
{

bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// The current directory as "X:\..." without a trailing backslash (a root keeps its own).
std::string CleanCurrentDir(const std::string& currentDir)
{
    std::string dir = currentDir;
    for (char& c : dir)
    {
        if (c == '/')
            c = '\\';
    }
    if (dir.size() < 2 || !IsLetter(dir[0]) || dir[1] != ':')
        return "C:\\";
    dir[0] = NameCase::Upper(dir[0]);
    while (dir.size() > 3 && dir.back() == '\\')
        dir.pop_back();
    if (dir.size() == 2)
        dir += '\\';
    return dir;
}

std::vector<std::string> SplitComponents(const std::string& text)
{
    std::vector<std::string> parts;
    std::string current;
    for (char c : text)
    {
        if (IsSeparator(c))
        {
            parts.push_back(current);
            current.clear();
        }
        else
            current += c;
    }
    parts.push_back(current);
    return parts;
}

bool HostEntryExists(const std::string& hostPath)
{
    struct stat info
    {
    };
    return lstat(hostPath.c_str(), &info) == 0;
}

// The name of the entry of hostDir that equals `name` without regard to case; empty if there is none.
std::string FindEntry(const std::string& hostDir, const std::string& name)
{
    DIR* dir = opendir(hostDir.c_str());
    if (!dir)
        return {};
    std::string found;
    while (dirent* entry = readdir(dir))
    {
        std::string candidate = entry->d_name;
        if (candidate != "." && candidate != ".." && NameCase::Equal(candidate, name))
        {
            found = candidate;
            break;
        }
    }
    closedir(dir);
    return found;
}

} // namespace

bool PathResolver::FullPath(const std::string& windowsPath, const std::string& currentDir, std::string& full)
{
    if (windowsPath.empty())
        return false;
    const std::string cwd = CleanCurrentDir(currentDir);
    std::string drive;
    std::string rest;
    const size_t n = windowsPath.size();
    if (n >= 2 && IsSeparator(windowsPath[0]) && IsSeparator(windowsPath[1]))
        return false; // UNC and device paths are not on a simulated drive
    if (n >= 2 && IsLetter(windowsPath[0]) && windowsPath[1] == ':')
    {
        drive = std::string(1, NameCase::Upper(windowsPath[0])) + ":";
        if (n >= 3 && IsSeparator(windowsPath[2]))
            rest = windowsPath.substr(3);
        else if (drive[0] == cwd[0])
            rest = cwd.substr(3) + "\\" + windowsPath.substr(2);
        else
            rest = windowsPath.substr(2);
    }
    else if (IsSeparator(windowsPath[0]))
    {
        drive = cwd.substr(0, 2);
        rest = windowsPath.substr(1);
    }
    else
    {
        drive = cwd.substr(0, 2);
        rest = cwd.substr(3) + "\\" + windowsPath;
    }

    const bool trailingSeparator = IsSeparator(windowsPath.back());
    std::vector<std::string> parts = SplitComponents(rest);
    std::vector<std::string> kept;
    for (size_t i = 0; i < parts.size(); ++i)
    {
        std::string part = parts[i];
        const bool last = i + 1 == parts.size();
        if (part.empty() || part == ".")
            continue;
        if (part == "..")
        {
            if (!kept.empty())
                kept.pop_back();
            continue;
        }
        if (last)
        {
            // The final component loses every trailing dot and blank.
            while (!part.empty() && (part.back() == '.' || part.back() == ' '))
                part.pop_back();
        }
        else if (part.back() == '.')
            part.pop_back(); // an inner component loses one trailing dot
        if (!part.empty())
            kept.push_back(part);
    }

    full = drive + "\\";
    for (size_t i = 0; i < kept.size(); ++i)
    {
        if (i)
            full += '\\';
        full += kept[i];
    }
    if (trailingSeparator && !kept.empty())
        full += '\\';
    return true;
}

bool PathResolver::Normalize(const std::string& windowsPath, const std::string& currentDir, std::string& normalized)
{
    std::string full;
    if (!FullPath(windowsPath, currentDir, full) || full[0] != 'C')
        return false;
    while (full.size() > 3 && full.back() == '\\')
        full.pop_back();
    normalized = full;
    return true;
}

std::string PathResolver::ToHost(const std::string& normalized) const
{
    if (normalized.size() <= 3)
        return m_driveRoot;
    const std::string relative = normalized.substr(3);
    std::string asWritten = m_driveRoot;
    for (char c : relative)
        asWritten += c == '\\' ? '/' : c;
    // Most paths exist exactly as written; one stat settles them.
    if (HostEntryExists(asWritten))
        return asWritten;

    std::string host = m_driveRoot;
    bool resolving = true;
    for (const std::string& part : SplitComponents(relative))
    {
        if (part.empty())
            continue;
        if (resolving)
        {
            std::string candidate = host + "/" + part;
            if (HostEntryExists(candidate))
            {
                host = candidate;
                continue;
            }
            std::string found = FindEntry(host, part);
            if (!found.empty())
            {
                host += "/" + found;
                continue;
            }
            resolving = false;
        }
        host += "/" + part;
    }
    return host;
}

} // namespace winsim
