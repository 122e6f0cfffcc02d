#include "ProfileDevice.h"

#include <cstdlib>

#include "DeviceIds.h"
#include "guiddef.h"

namespace winsim
{

namespace
{

bool Number(const std::string& text, uint64_t limit, uint64_t& value)
{
    if (text.empty() || text[0] == '-')
        return false;
    char* end = nullptr;
    value = std::strtoull(text.c_str(), &end, 0);
    return end && *end == '\0' && value <= limit;
}

bool Flag(const std::string& key, const std::string& value, bool& flag, std::string& what)
{
    if (value != "0" && value != "1")
    {
        what = key + " must be 0 or 1, not '" + value + "'";
        return false;
    }
    flag = value == "1";
    return true;
}

bool IdList(const std::string& key, const std::string& value, std::vector<std::string>& ids, std::string& what)
{
    ids = DeviceIds::SplitList(value, '|');
    for (const std::string& id : ids)
    {
        if (id.find_first_of(" \t,") != std::string::npos || id.size() >= 200)
        {
            what = key + ": '" + id + "' is not a device ID (no blanks or commas, under 200 characters)";
            return false;
        }
    }
    return true;
}

} // namespace

bool ProfileDevice::Set(const std::string& key, const std::string& value, std::string& what)
{
    const std::string name = DeviceIds::Upper(key);
    uint64_t number = 0;
    // Text values taken as written.
    struct TextKey
    {
        const char* name;
        std::string* field;
    };
    const TextKey texts[] = {
        {"DESCRIPTION", &description},
        {"BUSDESCRIPTION", &busDescription},
        {"FRIENDLYNAME", &friendlyName},
        {"MFG", &mfg},
        {"CLASS", &className},
        {"DRIVERDESC", &driver.description},
        {"PROVIDERNAME", &driver.provider},
        {"DRIVERVERSION", &driver.version},
        {"DRIVERDATE", &driver.date},
        {"INFPATH", &driver.infPath},
        {"INFSECTION", &driver.infSection},
        {"MATCHINGDEVICEID", &driver.matchingDeviceId},
        {"SERVICE", &driver.service},
        {"SERVICEIMAGEPATH", &driver.serviceImagePath},
    };
    for (const TextKey& text : texts)
    {
        if (name == text.name)
        {
            *text.field = value;
            return true;
        }
    }
    if (name == "INSTANCEID")
    {
        instance = DeviceIds::Upper(value);
        if (!DeviceIds::IsInstanceId(instance))
        {
            what = "'" + value + "' is not an instance ID (ENUMERATOR\\DEVICE\\INSTANCE)";
            return false;
        }
        return true;
    }
    if (name == "PARENT")
    {
        parent = DeviceIds::Upper(value);
        if (!DeviceIds::IsInstanceId(parent))
        {
            what = "Parent '" + value + "' is not an instance ID";
            return false;
        }
        return true;
    }
    if (name == "HARDWAREIDS")
        return IdList(key, value, hardwareIds, what);
    if (name == "COMPATIBLEIDS")
        return IdList(key, value, compatibleIds, what);
    if (name == "CLASSGUID")
    {
        GUID guid;
        if (!DeviceIds::ParseGuid(value, guid))
        {
            what = "ClassGUID '" + value + "' is not a {GUID}";
            return false;
        }
        classGuid = DeviceIds::FormatGuid(guid);
        return true;
    }
    if (name == "PRESENT")
        return Flag(key, value, present, what);
    if (name == "DISABLED")
        return Flag(key, value, disabled, what);
    if (name == "EXPOSED")
        return Flag(key, value, exposed, what);
    if (name == "INSTALLFAILS")
        return Flag(key, value, installFails, what);
    if (name == "NEEDSREBOOT")
        return Flag(key, value, needsReboot, what);
    if (name == "PLUGAT")
    {
        if (!Number(value, UINT64_MAX / 2, number))
        {
            what = "PlugAt needs milliseconds, not '" + value + "'";
            return false;
        }
        plugAtMs = number;
        return true;
    }
    if (name == "INSTALLDELAY")
    {
        if (!Number(value, 0xFFFFFFFFull, number))
        {
            what = "InstallDelay needs milliseconds, not '" + value + "'";
            return false;
        }
        installDelayMs = static_cast<uint32_t>(number);
        return true;
    }
    what = "unknown name '" + key + "' in a [Device.N] section";
    return false;
}

bool ProfileDevice::Check(std::string& what) const
{
    if (instance.empty())
    {
        what = "the device has no InstanceId";
        return false;
    }
    if (hardwareIds.empty())
    {
        what = instance + " has no HardwareIDs";
        return false;
    }
    if (parent == instance)
    {
        what = instance + " is its own parent";
        return false;
    }
    if (exposed && parent.empty())
    {
        what = instance + ": Exposed=1 needs the Parent whose driver exposes it";
        return false;
    }
    if (plugAtMs && present)
    {
        what = instance + ": a device plugged in later (PlugAt) is not present at the start; give Present=0";
        return false;
    }
    if (className.empty() != classGuid.empty())
    {
        what = instance + ": Class and ClassGUID go together";
        return false;
    }
    const bool driverValues = !driver.provider.empty() || !driver.version.empty() || !driver.date.empty() ||
                              !driver.infPath.empty() || !driver.infSection.empty() ||
                              !driver.matchingDeviceId.empty() || !driver.service.empty() ||
                              !driver.serviceImagePath.empty();
    if (driverValues && !HasDriver())
    {
        what = instance + ": driver values need DriverDesc, which says a driver is installed";
        return false;
    }
    if (HasDriver() && className.empty())
    {
        what = instance + ": an installed driver needs Class and ClassGUID";
        return false;
    }
    if (!driver.serviceImagePath.empty() && driver.service.empty())
    {
        what = instance + ": ServiceImagePath needs Service";
        return false;
    }
    return true;
}

} // namespace winsim
