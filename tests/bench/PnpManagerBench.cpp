// winsim's Plug and Play manager on a machine of 300 devices more than the default one and 50 published
// INFs: a driver update for one hardware ID, and a re-enumeration of the root that finds drivers for the 20
// devices without one (the driver search goes through the index of the INF folder, not every INF again for
// each device), with and without running the installs it queues.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "BenchMachine.h"
#include "FileText.h"
#include "platform/win32.h"
#include "newdev.h"

namespace
{

const int kExtraDevices = 300;
const int kDriverless = 20;
const int kPublishedInfs = 50;

// 300 root devices; all but the last 20 have a driver.
std::string PnpProfile()
{
    const int nFirst = BenchMachine::ProfileDeviceCount() + 1;
    std::string ini;
    for (int i = 0; i < kExtraDevices; ++i)
    {
        char szSection[1024];
        std::snprintf(szSection, sizeof(szSection),
                      "[Device.%d]\nInstanceId=ROOT\\PNPBENCH_%03d\\0000\nHardwareIDs=ROOT\\PNPBENCH_%03d\n"
                      "Description=Bench device %d\n",
                      nFirst + i, i, i, i);
        ini += szSection;
        if (i < kExtraDevices - kDriverless)
            ini += "Class=System\nClassGUID={4D36E97D-E325-11CE-BFC1-08002BE10318}\nDriverDesc=Bench driver\n"
                   "ProviderName=Bench\nInfPath=machine.inf\n";
    }
    return TestMachine::DeriveProfile("xp-sp2", "pnp-bench", ini);
}

// INF n offers drivers for six devices; the last 20 devices get theirs from INFs 0 to 19.
std::string BenchInf(int n)
{
    std::string models;
    for (int k = 0; k < 6; ++k)
    {
        const int device = k == 0 && n < kDriverless ? kExtraDevices - kDriverless + n : (n * 6 + k) % 280;
        char szLine[128];
        std::snprintf(szLine, sizeof(szLine), "Bench %d=Bench_Install, ROOT\\PNPBENCH_%03d\r\n", device, device);
        models += szLine;
    }
    return "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=System\r\n"
           "ClassGUID={4D36E97D-E325-11CE-BFC1-08002BE10318}\r\nProvider=Bench\r\nDriverVer=01/0" +
           std::to_string(1 + n % 9) + "/2007,1.0.0." + std::to_string(n) +
           "\r\n[Manufacturer]\r\nBench=Models\r\n[Models]\r\n" + models +
           "[Bench_Install.NT]\r\nAddReg=Bench_AddReg\r\n[Bench_AddReg]\r\nHKR,,BenchValue,,1\r\n";
}

bool PublishInfs()
{
    for (int n = 0; n < kPublishedInfs; ++n)
    {
        if (!WriteWholeFile("C:\\WINDOWS\\INF\\oem" + std::to_string(n) + ".inf", BenchInf(n)))
            return false;
    }
    return true;
}

void PnpUpdateDriverForOneId(benchmark::State& state)
{
    BenchMachine machine(PnpProfile());
    if (!machine.Attached() || !PublishInfs())
    {
        state.SkipWithError(("cannot make the machine: " + machine.Error()).c_str());
        return;
    }
    CreateDirectoryA("C:\\PKG", nullptr);
    WriteWholeFile("C:\\PKG\\BENCH.INF", BenchInf(99));
    char szId[64];
    std::snprintf(szId, sizeof(szId), "ROOT\\PNPBENCH_%03d", 99 * 6 % 280);
    const std::string id = szId;
    for (auto _ : state)
    {
        BOOL bReboot = FALSE;
        if (!UpdateDriverForPlugAndPlayDevicesA(nullptr, id.c_str(), "C:\\PKG\\BENCH.INF", INSTALLFLAG_FORCE, &bReboot))
        {
            state.SkipWithError(("the update failed: " + std::to_string(GetLastError())).c_str());
            break;
        }
    }
    state.counters["devices"] = kExtraDevices;
    state.counters["infs"] = kPublishedInfs;
}
BENCHMARK(PnpUpdateDriverForOneId)->Unit(benchmark::kMillisecond);

// The re-enumeration alone: the search for the 20 driverless devices, their installs queued once.
void PnpReenumerateRoot(benchmark::State& state)
{
    BenchMachine machine(PnpProfile());
    if (!machine.Attached() || !PublishInfs())
    {
        state.SkipWithError(("cannot make the machine: " + machine.Error()).c_str());
        return;
    }
    DEVINST dnRoot = 0;
    CM_Locate_DevNodeA(&dnRoot, nullptr, 0);
    for (auto _ : state)
    {
        if (CM_Reenumerate_DevNode(dnRoot, 0) != CR_SUCCESS)
        {
            state.SkipWithError("the re-enumeration failed");
            break;
        }
    }
    state.counters["driverless"] = kDriverless;
}
BENCHMARK(PnpReenumerateRoot)->Unit(benchmark::kMillisecond);

// The re-enumeration and the 20 installs it sets off, on a fresh machine each time.
void PnpReenumerateAndInstall(benchmark::State& state)
{
    const std::string profile = PnpProfile();
    std::unique_ptr<BenchMachine> machine;
    for (auto _ : state)
    {
        state.PauseTiming();
        machine.reset();
        machine = std::make_unique<BenchMachine>(profile);
        const bool bReady = machine->Attached() && PublishInfs();
        DEVINST dnRoot = 0;
        CM_Locate_DevNodeA(&dnRoot, nullptr, 0);
        state.ResumeTiming();
        if (!bReady || CM_Reenumerate_DevNode(dnRoot, 0) != CR_SUCCESS ||
            CMP_WaitNoPendingInstallEvents(INFINITE) != WAIT_OBJECT_0)
        {
            state.SkipWithError("the re-enumeration failed");
            break;
        }
    }
    state.counters["installs"] = kDriverless;
}
BENCHMARK(PnpReenumerateAndInstall)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
