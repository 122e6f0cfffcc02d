// Driver search for a device: the drivers of one INF, or of every INF in the machine's INF folder (where
// SetupCopyOEMInf and the driver store publish them), ranked as the PnP manager ranks them: a match on the
// device's hardware IDs before one on its compatible IDs (earlier IDs first, the INF line's own hardware ID
// before its compatible IDs), then the newer DriverVer date, then the higher version. In the INF folder an
// unsigned driver ranks behind every signed one on NT (the untrusted rank): an INF is signed when it came
// with Windows (no "oem" name and no CatalogFile of its own) or when its catalog was installed with it.
// The folder's INF files are indexed once by ID, so a search does not read every INF for every device.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "InfLoader.h"

namespace winsim
{

class Runtime;
struct DeviceRecord;

struct DriverMatch
{
    std::shared_ptr<const LoadedInf> inf;
    size_t driver = 0; // index into inf->drivers.drivers
    std::string matchingId;
    uint32_t rank = 0xFFFFFFFFu;

    bool Found() const { return inf != nullptr; }
    const InfDriver& Driver() const { return inf->drivers.drivers[driver]; }
    // Whether this match is better than another.
    bool BetterThan(const DriverMatch& other) const;
};

class DriverSearch
{
public:
    // The best driver of one INF for the device; false when the INF offers none for it.
    static bool InInf(const std::shared_ptr<const LoadedInf>& inf, const DeviceRecord& device, DriverMatch& best);

    // Indexes the INF folder (<Windows>\INF\*.inf).
    explicit DriverSearch(Runtime& rt);
    // The best driver of the INF folder for the device.
    bool InFolder(const DeviceRecord& device, DriverMatch& best) const;
    size_t InfCount() const { return m_infs.size(); }
    const std::vector<std::shared_ptr<const LoadedInf>>& Infs() const { return m_infs; }

private:
    static void Consider(const std::shared_ptr<const LoadedInf>& inf, size_t driver, const DeviceRecord& device,
                         uint32_t penalty, DriverMatch& best);
    static bool IsSigned(Runtime& rt, const std::string& name, const LoadedInf& inf);

    std::vector<std::shared_ptr<const LoadedInf>> m_infs;
    // The rank each INF's drivers add: 0, or the untrusted rank of an unsigned INF.
    std::vector<uint32_t> m_penalty;
    // Upper-case ID -> (INF, driver) pairs that name it.
    std::unordered_map<std::string, std::vector<std::pair<size_t, size_t>>> m_byId;
};

} // namespace winsim
