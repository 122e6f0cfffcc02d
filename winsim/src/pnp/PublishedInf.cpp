#include "PublishedInf.h"

#include <strings.h>

#include <cstdlib>
#include <set>
#include <vector>

#include "InfLoader.h"
#include "core/Runtime.h"
#include "files/PathArgument.h"
#include "setupapi/InfReader.h"
#include "windows.h"

namespace winsim
{

namespace
{

constexpr const char* kPnfHeader = "WINSIM-PNF 1\r\nSource=";
constexpr unsigned kMaxOemInfs = 10000;

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string WithoutExtension(const std::string& path)
{
    const size_t dot = path.rfind('.');
    const size_t slash = path.rfind('\\');
    return dot == std::string::npos || (slash != std::string::npos && dot < slash) ? path : path.substr(0, dot);
}

bool Exists(const std::string& path)
{
    const DWORD saved = GetLastError();
    const DWORD attributes = GetFileAttributesA(path.c_str());
    SetLastError(saved);
    return attributes != INVALID_FILE_ATTRIBUTES;
}

} // namespace

std::string PublishedInf::InfFolder(Runtime& rt)
{
    return rt.Identity().windowsDir + "\\INF";
}

std::string PublishedInf::CatalogFolder(Runtime& rt)
{
    return rt.Identity().systemDir + "\\CatRoot\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}";
}

bool PublishedInf::ReadAll(Runtime& rt, const std::string& path, std::string& bytes)
{
    const DWORD saved = GetLastError();
    WinPath resolved;
    const bool found = PathArgument::ResolveFull(rt, path, resolved) && resolved.kind == EntryKind::File &&
                       InfReader::LoadHostFile(resolved.host, bytes);
    SetLastError(saved);
    return found;
}

bool PublishedInf::WriteAll(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL done = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return done && written == bytes.size();
}

bool PublishedInf::Publish(Runtime& rt, const std::string& source, std::string& published, bool& alreadyThere,
                           uint32_t& error)
{
    alreadyThere = false;
    std::string bytes;
    if (!ReadAll(rt, source, bytes))
    {
        error = ERROR_FILE_NOT_FOUND;
        return false;
    }
    const std::string folder = InfFolder(rt);
    if (strcasecmp(FolderOf(source).c_str(), folder.c_str()) == 0)
    {
        published = source;
        alreadyThere = true;
        return true;
    }
    // The same contents published before keep their name; otherwise the first free number.
    std::set<unsigned> taken;
    WIN32_FIND_DATAA found;
    const DWORD saved = GetLastError();
    HANDLE find = FindFirstFileA((folder + "\\oem*.inf").c_str(), &found);
    std::vector<std::string> names;
    if (find != INVALID_HANDLE_VALUE)
    {
        do
            names.push_back(found.cFileName);
        while (FindNextFileA(find, &found));
        FindClose(find);
    }
    SetLastError(saved);
    for (const std::string& name : names)
    {
        char* end = nullptr;
        const unsigned long n = std::strtoul(name.c_str() + 3, &end, 10);
        if (end == name.c_str() + 3 || strcasecmp(end, ".inf") != 0)
            continue;
        taken.insert(static_cast<unsigned>(n));
        std::string have;
        if (ReadAll(rt, folder + "\\" + name, have) && have == bytes)
        {
            published = folder + "\\" + name;
            alreadyThere = true;
            return true;
        }
    }
    unsigned number = 0;
    while (taken.count(number) && number < kMaxOemInfs)
        ++number;
    if (number >= kMaxOemInfs)
    {
        error = ERROR_FILE_EXISTS;
        return false;
    }
    const std::string freeName = folder + "\\oem" + std::to_string(number) + ".inf";
    CreateDirectoryA(folder.c_str(), nullptr);
    if (!CopyFileA(source.c_str(), freeName.c_str(), FALSE))
    {
        error = GetLastError();
        return false;
    }
    WriteAll(WithoutExtension(freeName) + ".PNF", kPnfHeader + FolderOf(source) + "\r\n");
    uint32_t ignored = 0;
    std::shared_ptr<const LoadedInf> inf = InfLoader::Load(rt, freeName, ignored);
    if (inf && !inf->drivers.catalog.empty())
    {
        const std::string catalog = FolderOf(source) + "\\" + inf->drivers.catalog;
        const std::string target = CatalogFolder(rt);
        if (Exists(catalog))
        {
            CreateDirectoryA((rt.Identity().systemDir + "\\CatRoot").c_str(), nullptr);
            CreateDirectoryA(target.c_str(), nullptr);
            const std::string name = freeName.substr(freeName.rfind('\\') + 1);
            CopyFileA(catalog.c_str(), (target + "\\" + WithoutExtension(name) + ".cat").c_str(), FALSE);
        }
    }
    published = freeName;
    return true;
}

bool PublishedInf::OriginOf(Runtime& rt, const std::string& infPath, std::string& origin)
{
    if (strcasecmp(FolderOf(infPath).c_str(), InfFolder(rt).c_str()) != 0)
        return false;
    std::string bytes;
    const std::string header = kPnfHeader;
    if (!ReadAll(rt, WithoutExtension(infPath) + ".PNF", bytes) || bytes.compare(0, header.size(), header) != 0)
        return false;
    origin = bytes.substr(header.size());
    while (!origin.empty() && (origin.back() == '\n' || origin.back() == '\r'))
        origin.pop_back();
    return !origin.empty();
}

bool PublishedInf::Unpublish(Runtime& rt, const std::string& published)
{
    const DWORD saved = GetLastError();
    const bool removed = DeleteFileA(published.c_str()) != FALSE;
    DeleteFileA((WithoutExtension(published) + ".PNF").c_str());
    const std::string name = published.substr(published.rfind('\\') + 1);
    DeleteFileA((CatalogFolder(rt) + "\\" + WithoutExtension(name) + ".cat").c_str());
    SetLastError(saved);
    return removed;
}

} // namespace winsim
