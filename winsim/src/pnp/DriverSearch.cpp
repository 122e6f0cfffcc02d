#include "DriverSearch.h"

#include <strings.h>

#include "PublishedInf.h"
#include "core/Runtime.h"
#include "devices/DeviceIds.h"
#include "devices/DeviceRecord.h"
#include "windows.h"

namespace winsim
{

namespace
{

constexpr uint32_t kCompatibleDeviceId = 0x2000;
constexpr uint32_t kCompatibleInfId = 0x1000;
constexpr uint32_t kUntrusted = 0x8000;

} // namespace

bool DriverMatch::BetterThan(const DriverMatch& other) const
{
    if (!other.Found())
        return Found();
    if (rank != other.rank)
        return rank < other.rank;
    const InfDriverList& mine = inf->drivers;
    const InfDriverList& theirs = other.inf->drivers;
    if (mine.dateRank != theirs.dateRank)
        return mine.dateRank > theirs.dateRank;
    return mine.versionRank > theirs.versionRank;
}

void DriverSearch::Consider(const std::shared_ptr<const LoadedInf>& inf, size_t driver, const DeviceRecord& device,
                            uint32_t penalty, DriverMatch& best)
{
    const std::vector<std::string>& ids = inf->drivers.drivers[driver].ids;
    auto rate = [&](const std::vector<std::string>& deviceIds, uint32_t base)
    {
        for (size_t d = 0; d < deviceIds.size(); ++d)
        {
            const std::string id = DeviceIds::Upper(deviceIds[d]);
            for (size_t i = 0; i < ids.size(); ++i)
            {
                if (ids[i] != id)
                    continue;
                DriverMatch match;
                match.inf = inf;
                match.driver = driver;
                match.matchingId = ids[i];
                match.rank = penalty + base + (i == 0 ? 0 : kCompatibleInfId) + static_cast<uint32_t>(d);
                if (match.BetterThan(best))
                    best = match;
            }
        }
    };
    rate(device.hardwareIds, 0);
    rate(device.compatibleIds, kCompatibleDeviceId);
}

bool DriverSearch::InInf(const std::shared_ptr<const LoadedInf>& inf, const DeviceRecord& device, DriverMatch& best)
{
    best = DriverMatch();
    for (size_t i = 0; i < inf->drivers.drivers.size(); ++i)
        Consider(inf, i, device, 0, best);
    return best.Found();
}

bool DriverSearch::IsSigned(Runtime& rt, const std::string& name, const LoadedInf& inf)
{
    // Without a catalog of its own an INF is signed only as one of the system's.
    if (inf.drivers.catalog.empty())
        return strncasecmp(name.c_str(), "oem", 3) != 0;
    const std::string catalog = PublishedInf::CatalogFolder(rt) + "\\" + name.substr(0, name.rfind('.')) + ".cat";
    const DWORD saved = GetLastError();
    const bool installed = GetFileAttributesA(catalog.c_str()) != INVALID_FILE_ATTRIBUTES;
    SetLastError(saved);
    return installed;
}

DriverSearch::DriverSearch(Runtime& rt)
{
    const std::string folder = rt.Identity().windowsDir + "\\INF\\";
    const DWORD saved = GetLastError();
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "*.inf").c_str(), &found);
    std::vector<std::string> names;
    if (find != INVALID_HANDLE_VALUE)
    {
        do
        {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.push_back(found.cFileName);
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    SetLastError(saved);
    for (const std::string& name : names)
    {
        uint32_t error = 0;
        std::shared_ptr<const LoadedInf> inf = InfLoader::Load(rt, folder + name, error);
        if (!inf)
            continue;
        const size_t index = m_infs.size();
        m_infs.push_back(inf);
        m_penalty.push_back(rt.Identity().IsNT() && !IsSigned(rt, name, *inf) ? kUntrusted : 0);
        for (size_t d = 0; d < inf->drivers.drivers.size(); ++d)
            for (const std::string& id : inf->drivers.drivers[d].ids)
                m_byId[id].emplace_back(index, d);
    }
}

bool DriverSearch::InFolder(const DeviceRecord& device, DriverMatch& best) const
{
    best = DriverMatch();
    for (const std::vector<std::string>* list : {&device.hardwareIds, &device.compatibleIds})
        for (const std::string& id : *list)
        {
            auto it = m_byId.find(DeviceIds::Upper(id));
            if (it == m_byId.end())
                continue;
            for (const auto& [inf, driver] : it->second)
                Consider(m_infs[inf], driver, device, m_penalty[inf], best);
        }
    return best.Found();
}

} // namespace winsim
