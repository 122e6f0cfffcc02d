#include "DeviceStatus.h"

#include "DeviceIds.h"
#include "cfgmgr32.h"

namespace winsim
{

namespace
{

// The problem the device shows, 0 for none. Disabling wins over what an install left, and that over the
// lack of a driver.
uint32_t ProblemOf(const DeviceRecord& device, uint64_t now)
{
    if (device.DisabledAt(now))
        return CM_PROB_DISABLED;
    if (device.problem != 0)
        return device.problem;
    return device.driver ? 0 : CM_PROB_FAILED_INSTALL;
}

} // namespace

DeviceState DeviceStatus::Of(const DeviceRecord& device, bool isNT, uint64_t now)
{
    DeviceState state;
    state.present = device.present;
    if (!device.present)
        return state;
    uint32_t status = DN_DISABLEABLE;
    if (isNT)
        status |= DN_NT_ENUMERATOR | DN_NT_DRIVER;
    const std::string enumerator = DeviceIds::Enumerator(device.instance);
    if (enumerator == "ROOT")
        status |= DN_ROOT_ENUMERATED;
    if (enumerator == "USB")
        status |= DN_REMOVABLE;
    state.problem = ProblemOf(device, now);
    if (state.problem != 0)
        status |= DN_HAS_PROBLEM;
    else
        status |= DN_DRIVER_LOADED | DN_STARTED;
    if (state.problem == CM_PROB_NEED_RESTART)
        status |= DN_NEED_RESTART;
    state.status = status;
    return state;
}

DeviceState DeviceStatus::Root(bool isNT)
{
    DeviceState state;
    state.present = true;
    state.status = DN_DRIVER_LOADED | DN_STARTED | (isNT ? DN_NT_ENUMERATOR | DN_NT_DRIVER : 0);
    return state;
}

bool DeviceStatus::Started(const DeviceRecord& device, uint64_t now)
{
    return device.present && ProblemOf(device, now) == 0;
}

std::string DeviceStatus::ProblemText(uint32_t problem)
{
    switch (problem)
    {
    case CM_PROB_DISABLED:
        return "disabled";
    case CM_PROB_FAILED_INSTALL:
        return "no driver";
    case CM_PROB_FAILED_START:
        return "failed to start";
    case CM_PROB_NEED_RESTART:
        return "restart needed";
    case CM_PROB_REINSTALL:
        return "reinstall";
    default:
        return "problem";
    }
}

} // namespace winsim
