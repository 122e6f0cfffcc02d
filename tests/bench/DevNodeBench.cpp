// Finding a device by a piece of its hardware ID on a machine with 300 devices more than the default one:
// the enumeration walks the present devices in order and reads each one's hardware IDs, as install
// preparation does for every ID of every INF. The target is the last device, the worst case.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "BenchMachine.h"
#include "device/CDevNode.h"
#include "devapi/KDeviceApi.h"

namespace
{

const int kExtraDevices = 300;

std::string ManyDevicesProfile(int nFirst)
{
    std::string ini;
    for (int i = 0; i < kExtraDevices; ++i)
    {
        char szSection[512];
        std::snprintf(szSection, sizeof(szSection),
                      "[Device.%d]\nInstanceId=ROOT\\SAMPLE_%03d\\0000\n"
                      "HardwareIDs=ROOT\\SAMPLE_%03d&REV_01|ROOT\\SAMPLE_%03d\n"
                      "Description=Sample root device %d\n",
                      nFirst + i, i, i, i, i);
        ini += szSection;
    }
    return TestMachine::DeriveProfile("xp-sp2", "many-devices", ini);
}

void DevNodeFind(benchmark::State& state)
{
    std::string profile = ManyDevicesProfile(BenchMachine::ProfileDeviceCount() + 1);
    BenchMachine machine(profile);
    KDeviceApi deviceApi;
    if (profile.empty() || !machine.Attached())
    {
        state.SkipWithError(("cannot make the machine: " + machine.Error()).c_str());
        return;
    }
    char szTarget[32];
    std::snprintf(szTarget, sizeof(szTarget), "SAMPLE_%03d&REV_01", kExtraDevices - 1);
    for (auto _ : state)
    {
        CDevNode node;
        if (!node.FindDevNode(szTarget, FALSE))
        {
            state.SkipWithError("the last device was not found");
            break;
        }
    }
    state.counters["devices"] = kExtraDevices;
}
BENCHMARK(DevNodeFind)->Unit(benchmark::kMillisecond);

} // namespace
