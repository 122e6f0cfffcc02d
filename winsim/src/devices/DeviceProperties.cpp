#include "DeviceProperties.h"

#include "windows.h"
#include "setupapi.h"

namespace winsim
{

namespace
{

const DeviceProperty PROPERTIES[] = {
    {SPDRP_DEVICEDESC, "DeviceDesc", PropertyForm::Text, true},
    {SPDRP_HARDWAREID, "HardwareID", PropertyForm::Ids, true},
    {SPDRP_COMPATIBLEIDS, "CompatibleIDs", PropertyForm::Ids, true},
    {SPDRP_SERVICE, "Service", PropertyForm::Text, false},
    {SPDRP_CLASS, "Class", PropertyForm::Text, false},
    {SPDRP_CLASSGUID, "ClassGUID", PropertyForm::Text, true},
    {SPDRP_DRIVER, "Driver", PropertyForm::Text, false},
    {SPDRP_CONFIGFLAGS, "ConfigFlags", PropertyForm::Flags, true},
    {SPDRP_MFG, "Mfg", PropertyForm::Text, true},
    {SPDRP_FRIENDLYNAME, "FriendlyName", PropertyForm::Text, true},
    {SPDRP_LOCATION_INFORMATION, "LocationInformation", PropertyForm::Text, true},
    {SPDRP_CAPABILITIES, "Capabilities", PropertyForm::Number, false},
    {SPDRP_UI_NUMBER, "UINumber", PropertyForm::Number, false},
    {SPDRP_UPPERFILTERS, "UpperFilters", PropertyForm::Ids, true},
    {SPDRP_LOWERFILTERS, "LowerFilters", PropertyForm::Ids, true},
};

} // namespace

const DeviceProperty* DeviceProperties::Find(uint32_t property)
{
    for (const DeviceProperty& entry : PROPERTIES)
    {
        if (entry.property == property)
            return &entry;
    }
    return nullptr;
}

} // namespace winsim
