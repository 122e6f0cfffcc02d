// What SETUPAPI keeps per device of a set for driver installs: the device install parameters
// (SP_DEVINSTALL_PARAMS_A: DI_ENUMSINGLEINF, DriverPath, DI_NEEDREBOOT ...), the class and compatible
// driver lists SetupDiBuildDriverInfoList built, and the selected driver. Keyed by the element id of the
// SP_DEVINFO_DATA (unique in the process), or by the set for parameters of the set itself.
#pragma once

#include <cstdint>
#include <vector>

#include "DriverSearch.h"
#include "windows.h"
#include "setupapi.h"

namespace winsim
{

class DeviceDriverLists
{
public:
    struct State
    {
        SP_DEVINSTALL_PARAMS_A params{};
        std::vector<DriverMatch> classDrivers;
        std::vector<DriverMatch> compatDrivers;
        DriverMatch selected;
    };

    // A copy of the state (parameters zeroed, lists empty for a key never seen).
    static State Get(uint64_t key);
    static void Put(uint64_t key, const State& state);
    static void Forget(uint64_t key);
    // The key of a set's own parameters.
    static uint64_t SetKey(const void* handle) { return (1ull << 63) | reinterpret_cast<uintptr_t>(handle); }
};

} // namespace winsim
