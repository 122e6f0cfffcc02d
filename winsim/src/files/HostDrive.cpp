#include "HostDrive.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "winerror.h"

namespace winsim
{

namespace
{

// Milliseconds between 1601-01-01 and 1970-01-01.
constexpr uint64_t kUnixEpochMs = 11644473600000ULL;

bool WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0)
    {
        ssize_t written = write(fd, data, size);
        if (written < 0)
        {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

} // namespace

HostStat HostDrive::Stat(const std::string& hostPath)
{
    HostStat result;
    struct stat info
    {
    };
    if (stat(hostPath.c_str(), &info) != 0)
        return result;
    result.exists = true;
    result.isDirectory = S_ISDIR(info.st_mode);
    result.size = result.isDirectory ? 0 : static_cast<uint64_t>(info.st_size);
    result.writeMs = kUnixEpochMs + static_cast<uint64_t>(info.st_mtim.tv_sec) * 1000 +
                     static_cast<uint64_t>(info.st_mtim.tv_nsec) / 1000000;
    return result;
}

bool HostDrive::List(const std::string& hostDir, std::vector<std::string>& names)
{
    DIR* dir = opendir(hostDir.c_str());
    if (!dir)
        return false;
    while (dirent* entry = readdir(dir))
    {
        std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    closedir(dir);
    return true;
}

bool HostDrive::IsEmptyDirectory(const std::string& hostDir)
{
    std::vector<std::string> names;
    return List(hostDir, names) && names.empty();
}

bool HostDrive::CopyData(const std::string& from, const std::string& to)
{
    int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    int out = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (out < 0)
    {
        int saved = errno;
        close(in);
        errno = saved;
        return false;
    }
    char buffer[65536];
    bool ok = true;
    for (;;)
    {
        ssize_t got = read(in, buffer, sizeof(buffer));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
        {
            ok = got == 0;
            break;
        }
        if (!WriteAll(out, buffer, static_cast<size_t>(got)))
        {
            ok = false;
            break;
        }
    }
    int saved = errno;
    close(in);
    if (close(out) != 0)
        ok = false;
    errno = saved;
    return ok;
}

uint32_t HostDrive::ErrorFromErrno(int error)
{
    switch (error)
    {
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return ERROR_ACCESS_DENIED;
    case EEXIST:
        return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY:
        return ERROR_DIR_NOT_EMPTY;
    case ENOSPC:
        return ERROR_DISK_FULL;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case EBUSY:
        return ERROR_SHARING_VIOLATION;
    default:
        return ERROR_ACCESS_DENIED;
    }
}

std::string HostDrive::Parent(const std::string& hostPath)
{
    size_t slash = hostPath.rfind('/');
    return slash == std::string::npos ? std::string(".") : hostPath.substr(0, slash);
}

} // namespace winsim
