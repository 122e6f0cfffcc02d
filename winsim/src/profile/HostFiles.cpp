#include "HostFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace winsim
{

bool HostIsDirectory(const std::string& path)
{
    struct stat info
    {
    };
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool HostExists(const std::string& path)
{
    struct stat info
    {
    };
    return stat(path.c_str(), &info) == 0;
}

bool HostMakeDirectories(const std::string& path)
{
    if (path.empty() || HostIsDirectory(path))
        return true;
    size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !HostMakeDirectories(path.substr(0, slash)))
        return false;
    return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

bool HostReadFile(const std::string& path, std::string& content)
{
    int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return false;
    content.clear();
    char buffer[65536];
    ssize_t got;
    while ((got = read(fd, buffer, sizeof(buffer))) > 0)
        content.append(buffer, static_cast<size_t>(got));
    close(fd);
    return got == 0;
}

bool HostWriteFile(const std::string& path, const std::string& content)
{
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    size_t done = 0;
    while (done < content.size())
    {
        ssize_t put = write(fd, content.data() + done, content.size() - done);
        if (put <= 0)
        {
            close(fd);
            return false;
        }
        done += static_cast<size_t>(put);
    }
    return close(fd) == 0;
}

std::vector<std::string> HostListDirectory(const std::string& path)
{
    std::vector<std::string> names;
    DIR* dir = opendir(path.c_str());
    if (!dir)
        return names;
    while (dirent* entry = readdir(dir))
    {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.emplace_back(entry->d_name);
    }
    closedir(dir);
    return names;
}

bool HostCopyTree(const std::string& from, const std::string& to, std::string& error)
{
    if (HostIsDirectory(from))
    {
        if (!HostMakeDirectories(to))
        {
            error = "cannot create " + to + ": " + std::strerror(errno);
            return false;
        }
        for (const std::string& name : HostListDirectory(from))
        {
            if (!HostCopyTree(from + "/" + name, to + "/" + name, error))
                return false;
        }
        return true;
    }
    std::string content;
    if (!HostReadFile(from, content))
    {
        error = "cannot read " + from + ": " + std::strerror(errno);
        return false;
    }
    if (!HostWriteFile(to, content))
    {
        error = "cannot write " + to + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool HostRemoveTree(const std::string& path)
{
    struct stat info
    {
    };
    if (lstat(path.c_str(), &info) != 0)
        return errno == ENOENT;
    if (S_ISDIR(info.st_mode))
    {
        for (const std::string& name : HostListDirectory(path))
            HostRemoveTree(path + "/" + name);
        return rmdir(path.c_str()) == 0;
    }
    return unlink(path.c_str()) == 0;
}

} // namespace winsim
