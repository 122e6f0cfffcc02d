#include "DeviceProfileReader.h"

#include <map>
#include <set>
#include <sstream>

#include "DeviceIds.h"
#include "core/ProfileValue.h"
#include "profile/HostFiles.h"

namespace winsim
{

bool DeviceProfileReader::IsDeviceSection(const std::string& name)
{
    const std::string upper = DeviceIds::Upper(ProfileValue::Trim(name));
    return upper.rfind("DEVICE.", 0) == 0;
}

bool DeviceProfileReader::Read(const std::string& path, std::vector<ProfileDevice>& devices, std::string& error)
{
    std::string content;
    if (!HostReadFile(path, content))
    {
        error = path + ": cannot read the file";
        return false;
    }
    std::istringstream lines(content);
    std::string line;
    int number = 0;
    std::vector<int> sectionLines;
    std::set<std::string> sections;
    ProfileDevice* current = nullptr;
    auto fail = [&](int at, const std::string& what)
    {
        error = path + ":" + std::to_string(at) + ": " + what;
        return false;
    };
    while (std::getline(lines, line))
    {
        ++number;
        line = ProfileValue::Trim(line);
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        if (line[0] == '[')
        {
            current = nullptr;
            const std::string name = ProfileValue::Trim(line.substr(1, line.size() - 2));
            if (!IsDeviceSection(name))
                continue;
            const std::string upper = DeviceIds::Upper(name);
            if (upper.size() == 7 || upper.find_first_not_of("0123456789", 7) != std::string::npos)
                return fail(number, "[" + name + "]: device sections are numbered ([Device.1], [Device.2], ...)");
            if (!sections.insert(upper).second)
                return fail(number, "a second section [" + name + "]");
            devices.emplace_back();
            sectionLines.push_back(number);
            current = &devices.back();
            continue;
        }
        if (!current)
            continue;
        const size_t equals = line.find('=');
        if (equals == std::string::npos)
            return fail(number, "expected name=value");
        std::string value = ProfileValue::WithoutComment(ProfileValue::Trim(line.substr(equals + 1)));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        std::string what;
        if (!current->Set(ProfileValue::Trim(line.substr(0, equals)), value, what))
            return fail(number, what);
    }

    std::map<std::string, size_t> byInstance;
    for (size_t i = 0; i < devices.size(); ++i)
    {
        std::string what;
        if (!devices[i].Check(what))
            return fail(sectionLines[i], what);
        if (!byInstance.emplace(devices[i].instance, i).second)
            return fail(sectionLines[i], "a second device " + devices[i].instance);
    }
    for (size_t i = 0; i < devices.size(); ++i)
    {
        // Every parent is a device of the profile, and following parents ends at the root.
        std::set<std::string> seen{devices[i].instance};
        for (std::string parent = devices[i].parent; !parent.empty();)
        {
            auto found = byInstance.find(parent);
            if (found == byInstance.end())
                return fail(sectionLines[i], devices[i].instance + ": no device " + parent + " for its Parent");
            if (!seen.insert(parent).second)
                return fail(sectionLines[i], devices[i].instance + ": its parents go round in a circle");
            parent = devices[found->second].parent;
        }
    }
    return true;
}

} // namespace winsim
