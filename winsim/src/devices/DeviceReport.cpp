#include "DeviceReport.h"

#include <cstdio>
#include <ctime>
#include <map>
#include <vector>

#include "DeviceIds.h"
#include "DeviceTree.h"

namespace winsim
{

namespace
{

std::string LocalTime(uint64_t ms, int biasMinutes)
{
    constexpr int64_t kUnixEpochMs = 11644473600000LL;
    const int64_t local = static_cast<int64_t>(ms) - kUnixEpochMs - static_cast<int64_t>(biasMinutes) * 60000;
    const time_t seconds = static_cast<time_t>(local / 1000);
    struct tm parts
    {
    };
    gmtime_r(&seconds, &parts);
    char text[64];
    std::snprintf(text, sizeof(text), "%04d-%02d-%02d %02d:%02d:%02d.%03d", parts.tm_year + 1900, parts.tm_mon + 1,
                  parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec, static_cast<int>(local % 1000));
    return text;
}

std::string Joined(const std::vector<std::string>& ids)
{
    std::string text;
    for (const std::string& id : ids)
        text += (text.empty() ? "" : ", ") + id;
    return text.empty() ? "-" : text;
}

class Writer
{
public:
    Writer(DeviceTree& tree, int bias) : m_tree(tree), m_bias(bias)
    {
        for (const DeviceRecord& device : tree.Devices())
        {
            m_index[device.instance] = m_devices.size();
            m_devices.push_back(device);
        }
    }

    std::string Run()
    {
        m_out = std::string(DeviceTree::kRootInstance) + "\n";
        WriteChildren("", 1);
        return m_out;
    }

private:
    // Children of a device the profile does not have count as the root's.
    std::string ParentOf(const DeviceRecord& device) const
    {
        return m_index.count(device.parent) ? device.parent : std::string();
    }

    void WriteChildren(const std::string& parent, size_t depth)
    {
        for (size_t i = 0; i < m_devices.size(); ++i)
        {
            if (ParentOf(m_devices[i]) == parent)
            {
                Write(m_devices[i], depth);
                WriteChildren(m_devices[i].instance, depth + 1);
            }
        }
    }

    void Line(size_t depth, const char* label, const std::string& value)
    {
        char head[32];
        std::snprintf(head, sizeof(head), "%-16s", (std::string(label) + ":").c_str());
        m_out += std::string(depth * 2 + 4, ' ') + head + value + "\n";
    }

    std::string Status(const DeviceRecord& device)
    {
        if (device.present)
        {
            const DeviceState state = m_tree.State(device);
            if (state.problem == 0)
                return "started";
            return "problem " + std::to_string(state.problem) + " (" + DeviceStatus::ProblemText(state.problem) + ")";
        }
        if (!device.plugged && device.plugAt)
            return "absent (plug-in at " + LocalTime(*device.plugAt, m_bias) + ")";
        if (!device.plugged)
            return "absent (unplugged)";
        if (device.removed)
            return "absent (removed)";
        auto parent = m_index.find(device.parent);
        if (parent != m_index.end() && !m_devices[parent->second].present)
            return "absent (parent absent)";
        return "absent (parent's driver not running)";
    }

    void Write(DeviceRecord& device, size_t depth)
    {
        m_out += std::string(depth * 2, ' ') + device.instance + "\n";
        DeviceRegistry& registry = m_tree.Registry();
        const int64_t key = m_tree.EnumKey(device);
        std::string description = device.busDescription.empty() ? device.description : device.busDescription;
        std::string className = "-";
        std::string driver = "-";
        std::vector<std::string> hardwareIds = device.hardwareIds;
        std::vector<std::string> compatibleIds = device.compatibleIds;
        if (key)
        {
            hardwareIds = registry.ReadIds(key, "HardwareID");
            compatibleIds = registry.ReadIds(key, "CompatibleIDs");
            std::string text;
            description = registry.ReadString(key, "DeviceDesc", text) ? text : "-";
            std::string guid;
            if (registry.ReadString(key, "Class", text))
                className = text + (registry.ReadString(key, "ClassGUID", guid) ? " " + guid : "");
            if (registry.ReadString(key, "Driver", text) && !text.empty())
                driver = text;
        }
        Line(depth, "hardware ids", Joined(hardwareIds));
        Line(depth, "compatible ids", Joined(compatibleIds));
        Line(depth, "description", description.empty() ? "-" : description);
        Line(depth, "class", className);
        Line(depth, "driver", driver);
        Line(depth, "status", Status(device));
        if (device.pendingUntil > m_tree.Now())
            Line(depth, "pending", "install until " + LocalTime(device.pendingUntil, m_bias));
    }

    DeviceTree& m_tree;
    int m_bias;
    std::vector<DeviceRecord> m_devices;
    std::map<std::string, size_t> m_index;
    std::string m_out;
};

} // namespace

std::string DeviceReport::Text(DeviceTree& tree, int timeZoneBiasMinutes)
{
    return Writer(tree, timeZoneBiasMinutes).Run();
}

} // namespace winsim
