#include "ProfileFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>

#include "AttributeTable.h"
#include "CurrentDirectory.h"
#include "PathResolver.h"
#include "ShareTable.h"
#include "WriteProtection.h"
#include "core/Journal.h"
#include "core/Runtime.h"
#include "windows.h"

namespace winsim
{

bool ProfileFile::Resolve(Runtime& runtime, const char* fileName)
{
    const std::string name = fileName ? fileName : "win.ini";
    const bool drivePrefix = name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':';
    if (name.find_first_of("\\/") != std::string::npos || drivePrefix)
        return PathArgument::Resolve(runtime, name.c_str(), m_path);
    std::string full;
    if (name.empty() ||
        !PathResolver::Normalize(runtime.Identity().windowsDir + "\\" + name, CurrentDirectory::Get(runtime), full))
    {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    return PathArgument::ResolveFull(runtime, full, m_path);
}

bool ProfileFile::Read(std::string& text)
{
    text.clear();
    int fd = m_path.kind == EntryKind::File ? open(m_path.host.c_str(), O_RDONLY | O_CLOEXEC) : -1;
    if (fd < 0)
    {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    char buffer[16384];
    for (;;)
    {
        ssize_t got = read(fd, buffer, sizeof(buffer));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        text.append(buffer, static_cast<size_t>(got));
    }
    close(fd);
    return true;
}

uint32_t ProfileFile::Write(Runtime& runtime, const std::string& text)
{
    PathArgument::Refresh(m_path);
    if (m_path.kind == EntryKind::NoParent)
        return ERROR_PATH_NOT_FOUND;
    if (m_path.kind == EntryKind::Folder)
        return ERROR_ACCESS_DENIED;
    Store& store = runtime.GetMachine().GetStore();
    AttributeTable table(store);
    AttributeTable::Row row = table.Get(m_path.upath);
    if (WriteProtection(store).Refuses(m_path) || (row.attrs & FILE_ATTRIBUTE_READONLY))
        return ERROR_ACCESS_DENIED;
    const uint32_t readWrite = ShareTable::kRead | ShareTable::kWrite;
    if (ShareTable::Instance().Conflicts(m_path.shareKey, readWrite, readWrite))
        return ERROR_SHARING_VIOLATION;
    int fd = open(m_path.host.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return HostDrive::ErrorFromErrno(errno);
    size_t written = 0;
    while (written < text.size())
    {
        ssize_t put = write(fd, text.data() + written, text.size() - written);
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
        {
            close(fd);
            return ERROR_WRITE_FAULT;
        }
        written += static_cast<size_t>(put);
    }
    close(fd);

    const bool created = m_path.kind == EntryKind::Missing;
    const int64_t now = static_cast<int64_t>(runtime.GetClock().NowMs());
    Transaction txn(store);
    row.writeMs = now;
    if (created)
        row.creationMs = now;
    table.Put(m_path.upath, row);
    if (created)
        Journal::Record("file", "create", m_path.actual);
    Journal::Record("file", "write", m_path.actual);
    txn.Commit();
    PathArgument::Refresh(m_path);
    return 0;
}

} // namespace winsim
