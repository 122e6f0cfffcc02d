// store: the driver packages the machine knows: the INFs published in the INF folder (oemN.inf, with the
// folder each came from, as its .PNF records) and the packages of the driver store.
#include <algorithm>
#include <cctype>
#include <cstdio>

#include "Commands.h"
#include "core/Machine.h"
#include "profile/HostFiles.h"
#include "winsim/winsim.h"

namespace
{

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::vector<std::string> Sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return Upper(a) < Upper(b); });
    return names;
}

} // namespace

int CommandStore(const Args& args)
{
    if (args.size() != 1)
        return Fail("usage: winsim store DIR");
    winsim::Machine machine;
    std::string error;
    if (!machine.Open(args[0], error))
        return Fail(error);
    const std::string infFolder = machine.Identity().windowsDir + "\\INF";
    const std::string repository = machine.Identity().systemDir + "\\DriverStore\\FileRepository";
    std::printf("published INFs (%s)\n", infFolder.c_str());
    const std::string infHost = winsim::HostPathOf(args[0], infFolder);
    for (const std::string& name :
         Sorted(infHost.empty() ? std::vector<std::string>() : winsim::HostListDirectory(infHost)))
    {
        const std::string upper = Upper(name);
        if (upper.rfind("OEM", 0) != 0 || upper.size() < 5 || upper.substr(upper.size() - 4) != ".INF")
            continue;
        std::string pnf;
        std::string origin = "-";
        const std::string pnfHost =
            winsim::HostPathOf(args[0], infFolder + "\\" + name.substr(0, name.size() - 4) + ".PNF");
        const std::string marker = "Source=";
        if (!pnfHost.empty() && winsim::HostReadFile(pnfHost, pnf) && pnf.find(marker) != std::string::npos)
        {
            origin = pnf.substr(pnf.find(marker) + marker.size());
            origin = origin.substr(0, origin.find_first_of("\r\n"));
        }
        std::printf("  %-12s from %s\n", name.c_str(), origin.c_str());
    }
    std::printf("driver store (%s)\n", repository.c_str());
    const std::string storeHost = winsim::HostPathOf(args[0], repository);
    if (!storeHost.empty() && winsim::HostIsDirectory(storeHost))
    {
        for (const std::string& package : Sorted(winsim::HostListDirectory(storeHost)))
        {
            std::printf("  %s\n", package.c_str());
            for (const std::string& file : Sorted(winsim::HostListDirectory(storeHost + "/" + package)))
                std::printf("      %s\n", file.c_str());
        }
    }
    return 0;
}
