// Install preparation (CollectInstallDeviceInfo) of a generated package against a machine with 300 devices
// more than the default one, with the sample hardware-detection library: 50 INFs of six models each, whose
// devices are the added ones, and 100 INFs (twice the models; the second half names absent devices). The
// time may at most double with the INFs. The sample package on the default machine is timed as well.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "BenchMachine.h"
#include "FileText.h"
#include "devapi/KDeviceApi.h"
#include "prepare/CPrepareInstall.h"
#include "windows.h"

namespace
{

const int kDevices = 300;
const int kModelsPerInf = 6;

std::string DeviceID(int n)
{
    char sz[96];
    std::snprintf(sz, sizeof(sz), "HDAUDIO\\FUNC_02&VEN_F0E1&DEV_%04X&SUBSYS_F0E1%04X", n, n);
    return sz;
}

std::string DevicesProfile()
{
    std::string ini;
    const int nFirst = BenchMachine::ProfileDeviceCount() + 1;
    for (int i = 0; i < kDevices; ++i)
        ini += "[Device." + std::to_string(nFirst + i) + "]\nInstanceId=" + DeviceID(i) + "\\4&1&0&" +
               std::to_string(i) + "\nHardwareIDs=" + DeviceID(i) + "\nDescription=Sample modem function " +
               std::to_string(i) + "\n";
    return TestMachine::DeriveProfile("xp-sp2", "prepare-devices", ini);
}

bool WritePackage(int nInfs)
{
    CreateDirectoryA("C:\\BENCH\\PKG", nullptr);
    for (int k = 0; k < nInfs; ++k)
    {
        std::string text = "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Modem\r\nCatalogFile=m.cat\r\n"
                           "[Manufacturer]\r\nMaker=Models,NTx86\r\n[Models.NTx86]\r\n";
        for (int j = 0; j < kModelsPerInf; ++j)
            text += "Sample Modem " + std::to_string(k * kModelsPerInf + j) + "=Inst, " +
                    DeviceID(k * kModelsPerInf + j) + "\r\n";
        text += "[Inst.NT]\r\nCopyFiles=Files\r\nAddReg=Reg\r\n[Files]\r\nmdm.sys\r\n[Reg]\r\n"
                "HKR,WaveDriver,WaveHardwareID,,\"MDM\\WAVE\"\r\n[DestinationDirs]\r\nDefaultDestDir=12\r\n"
                "[SourceDisksNames]\r\n1=Disk\r\n[SourceDisksFiles]\r\nmdm.sys=1\r\n";
        char szName[64];
        std::snprintf(szName, sizeof(szName), "C:\\BENCH\\PKG\\M%03d.INF", k);
        if (!WriteWholeFile(szName, text))
            return false;
    }
    return WriteWholeFile("C:\\BENCH\\DVXDLL.DLL",
                          "WINSIM-IMAGE 1\r\nKind=dll\r\nProgram=dvxdll\r\nMachine=x86\r\nFileVersion=1.0.0.1\r\n");
}

void PrepareInstallPackage(benchmark::State& state)
{
    const std::string profile = DevicesProfile();
    BenchMachine machine(profile);
    if (profile.empty() || !machine.Attached())
    {
        state.SkipWithError(("cannot make the machine: " + machine.Error()).c_str());
        return;
    }
    KDeviceApi deviceApi;
    CreateDirectoryA("C:\\BENCH", nullptr);
    if (!WritePackage(static_cast<int>(state.range(0))))
    {
        state.SkipWithError("cannot write the package");
        return;
    }
    size_t nDevices = 0;
    for (auto _ : state)
    {
        SETUP_PARMS parms;
        CDeviceDataList devices;
        CPrepareInstall prepare;
        prepare.CollectInstallDeviceInfo({"C:\\BENCH\\PKG\\"}, &parms, devices);
        nDevices = devices.GetCount();
    }
    state.counters["infs"] = static_cast<double>(state.range(0));
    state.counters["devices"] = static_cast<double>(nDevices);
}
BENCHMARK(PrepareInstallPackage)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond);

void PrepareInstallSamplePackage(benchmark::State& state)
{
    BenchMachine machine;
    if (!machine.Attached())
    {
        state.SkipWithError(machine.Error().c_str());
        return;
    }
    KDeviceApi deviceApi;
    CreateDirectoryA("C:\\BENCH", nullptr);
    for (const auto& entry : std::filesystem::directory_iterator(std::string(DRVSETUP_SOURCE_DIR) + "/samples/package"))
    {
        // The INFs and INIs at the top are what the preparation reads; the driver files' folders are not.
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        WriteWholeFile("C:\\BENCH\\" + entry.path().filename().string(), bytes);
    }
    WriteWholeFile("C:\\BENCH\\DVXDLL.DLL",
                   "WINSIM-IMAGE 1\r\nKind=dll\r\nProgram=dvxdll\r\nMachine=x86\r\nFileVersion=1.0.0.1\r\n");
    size_t nDevices = 0;
    for (auto _ : state)
    {
        SETUP_PARMS parms;
        CDeviceDataList devices;
        CPrepareInstall prepare;
        prepare.CollectInstallDeviceInfo({"C:\\BENCH\\"}, &parms, devices);
        nDevices = devices.GetCount();
    }
    state.counters["devices"] = static_cast<double>(nDevices);
}
BENCHMARK(PrepareInstallSamplePackage)->Unit(benchmark::kMillisecond);

} // namespace
