// put, image, ls and cat: files on the machine's drive, seen from the host.
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "Commands.h"
#include "images/ImageDescriptor.h"
#include "profile/HostFiles.h"
#include "winsim/winsim.h"

namespace
{

bool IsMachine(const std::string& dir)
{
    return winsim::HostExists(dir + "/machine.db");
}

std::string UpperAscii(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

// The host path of a Windows path, with its parent folders created.
bool PrepareTarget(const std::string& dir, const std::string& windowsPath, std::string& host)
{
    host = winsim::HostPathOf(dir, windowsPath);
    if (host.empty())
        return false;
    size_t slash = host.find_last_of('/');
    return slash == std::string::npos || winsim::HostMakeDirectories(host.substr(0, slash));
}

} // namespace

int CommandPut(const Args& args)
{
    if (args.size() != 3)
        return Fail("usage: winsim put DIR HOSTPATH 'C:\\path'");
    if (!IsMachine(args[0]))
        return Fail("not a winsim machine: " + args[0]);
    if (!winsim::HostExists(args[1]))
        return Fail("no such host file or folder: " + args[1]);
    std::string host, error;
    if (!PrepareTarget(args[0], args[2], host))
        return Fail("not a path on drive C: " + args[2]);
    if (!winsim::HostCopyTree(args[1], host, error))
        return Fail(error);
    return 0;
}

int CommandImage(const Args& args)
{
    if (args.size() != 3)
        return Fail("usage: winsim image DIR PROGRAM 'C:\\path\\NAME.EXE'");
    if (!IsMachine(args[0]))
        return Fail("not a winsim machine: " + args[0]);
    winsim::ImageDescriptor image;
    image.program = args[1];
    std::string upper = UpperAscii(args[2]);
    image.kind = upper.size() > 4 && upper.compare(upper.size() - 4, 4, ".DLL") == 0 ? "dll" : "exe";
    image.versionFields["FileVersion"] = "1.0.0.0";
    image.versionFields["ProductVersion"] = "1.0.0.0";
    std::string host;
    if (!PrepareTarget(args[0], args[2], host))
        return Fail("not a path on drive C: " + args[2]);
    if (!winsim::HostWriteFile(host, image.Format()))
        return Fail("cannot write " + args[2]);
    return 0;
}

int CommandLs(const Args& args)
{
    if (args.size() != 2)
        return Fail("usage: winsim ls DIR 'C:\\path'");
    if (!IsMachine(args[0]))
        return Fail("not a winsim machine: " + args[0]);
    std::string host = winsim::HostPathOf(args[0], args[1]);
    if (host.empty() || !winsim::HostIsDirectory(host))
        return Fail("no such folder: " + args[1]);
    std::vector<std::string> names = winsim::HostListDirectory(host);
    // The order FindFirstFileA reports: by upper-case name.
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return UpperAscii(a) < UpperAscii(b); });
    for (const std::string& name : names)
    {
        struct stat info
        {
        };
        stat((host + "/" + name).c_str(), &info);
        if (S_ISDIR(info.st_mode))
            std::printf("%12s  %s\\\n", "<DIR>", name.c_str());
        else
            std::printf("%12lld  %s\n", static_cast<long long>(info.st_size), name.c_str());
    }
    return 0;
}

int CommandCat(const Args& args)
{
    if (args.size() != 2)
        return Fail("usage: winsim cat DIR 'C:\\path'");
    if (!IsMachine(args[0]))
        return Fail("not a winsim machine: " + args[0]);
    std::string host = winsim::HostPathOf(args[0], args[1]);
    std::string content;
    if (host.empty() || winsim::HostIsDirectory(host) || !winsim::HostReadFile(host, content))
        return Fail("no such file: " + args[1]);
    std::fwrite(content.data(), 1, content.size(), stdout);
    return 0;
}
