#include "HardwareProfileReader.h"

#include <sstream>

#include "SerialPorts.h"
#include "WaveOut.h"
#include "core/ProfileValue.h"
#include "files/NameCase.h"
#include "profile/HostFiles.h"

namespace winsim
{

bool HardwareProfileReader::IsHardwareSection(const std::string& lowerSection)
{
    return lowerSection == "serialports" || lowerSection == "waveout";
}

bool HardwareProfileReader::Read(const std::string& path, Store& store, std::string& error)
{
    std::string content;
    if (!HostReadFile(path, content))
    {
        error = path + ": cannot read the file";
        return false;
    }
    std::istringstream lines(content);
    std::string line;
    std::string section;
    int number = 0;
    while (std::getline(lines, line))
    {
        ++number;
        line = ProfileValue::Trim(line);
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        if (line[0] == '[')
        {
            section = NameCase::Upper(ProfileValue::Trim(line.substr(1, line.size() - 2)));
            continue;
        }
        if (section != "SERIALPORTS" && section != "WAVEOUT")
            continue;
        const size_t equals = line.find('=');
        if (equals == std::string::npos)
        {
            error = path + ":" + std::to_string(number) + ": expected name=value";
            return false;
        }
        const std::string name = ProfileValue::Trim(line.substr(0, equals));
        const std::string value = ProfileValue::WithoutComment(ProfileValue::Trim(line.substr(equals + 1)));
        std::string what;
        const bool ok = section == "SERIALPORTS" ? SerialPorts::AddFromProfile(store, name, value, what)
                                                 : WaveOut::SetFromProfile(store, name, value, what);
        if (!ok)
        {
            error = path + ":" + std::to_string(number) + ": " + (what.empty() ? "cannot store the line" : what);
            return false;
        }
    }
    return true;
}

} // namespace winsim
