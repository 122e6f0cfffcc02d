// The INF reader's questions on a vendor INF with many models: open it, list its hardware IDs, its copied
// files and its HKR registry entries, as install preparation does for every INF of a package. Run with 200
// and 400 models: the time may at most double when the models double.
#include <benchmark/benchmark.h>

#include <string>

#include "BenchMachine.h"
#include "FileText.h"
#include "inf/CInf.h"
#include "devapi/KDeviceApi.h"
#include "windows.h"

namespace
{

// A modem INF with one model line, one install section and its sub-sections per model.
std::string MakeModelsInf(int nModels)
{
    std::string text = "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Modem\r\nProvider=%Mfg%\r\n"
                       "[Manufacturer]\r\n%Mfg%=Models,NTx86,NTx86.5.1\r\n[Models.NTx86.5.1]\r\n";
    std::string sections;
    std::string strings = "[Strings]\r\nMfg=\"Sample Modems\"\r\nDisk=\"Disk\"\r\n";
    std::string sourceFiles = "[SourceDisksNames]\r\n1=%Disk%,,,\r\n[SourceDisksFiles]\r\n";
    for (int n = 0; n < nModels; ++n)
    {
        char szID[80];
        std::snprintf(szID, sizeof(szID), "PCI\\VEN_F0E1&DEV_%04X&SUBSYS_%04XF0E1", 0x2000 + n, n);
        const std::string id = std::to_string(n);
        text += "%Modem" + id + "%=Modem" + id + ", " + szID + ", " + std::string(szID) + "&REV_01\r\n";
        sections += "[Modem" + id + ".NT]\r\nCopyFiles=Files" + id + "\r\nAddReg=Reg" + id + ", Common\r\n" + "[Modem" +
                    id + ".NT.Services]\r\nAddReg=Service" + id + "\r\n[Modem" + id + ".NT.HW]\r\nAddReg=Child" + id +
                    "\r\n[Files" + id + "]\r\nmdm" + id + ".sys,,,0x2000\r\nmdm" + id + ".dll\r\n[Reg" + id +
                    "]\r\nHKR,,FriendlyDriver,,mdm" + id + ".sys\r\nHKR,Init,1,,\"AT<cr>\"\r\n[Service" + id +
                    "]\r\nHKR,,Service,,mdm" + id + "\r\n[Child" + id + "]\r\nHKR,CHILD0000,HardwareID,,\"MDM\\CHILD" +
                    id + "\"\r\n";
        strings += "Modem" + id + "=\"Sample Modem " + id + "\"\r\n";
        sourceFiles += "mdm" + id + ".sys=1\r\nmdm" + id + ".dll=1\r\n";
    }
    return text + sections + "[Common]\r\nHKR,,DevLoader,,*ntkern\r\n[DestinationDirs]\r\nDefaultDestDir=12\r\n" +
           sourceFiles + strings;
}

void InfReaderModels(benchmark::State& state)
{
    BenchMachine machine;
    KDeviceApi deviceApi;
    if (!machine.Attached())
    {
        state.SkipWithError(machine.Error().c_str());
        return;
    }
    CreateDirectoryA("C:\\BENCH", nullptr);
    if (!WriteWholeFile("C:\\BENCH\\MODELS.INF", MakeModelsInf(static_cast<int>(state.range(0)))))
    {
        state.SkipWithError("cannot write the INF");
        return;
    }

    size_t nEntries = 0;
    for (auto _ : state)
    {
        CInf inf;
        if (!inf.Initialize("C:\\BENCH\\MODELS.INF"))
        {
            state.SkipWithError("cannot open the INF");
            break;
        }
        CStringList ids;
        CCopyFilesList files;
        CAddRegList addReg;
        nEntries +=
            inf.GetHardwareIDList(ids) + inf.GetAllCopyFilesList(files) + inf.GetAddRegList("ALL", "HKR", addReg);
    }
    benchmark::DoNotOptimize(nEntries);
    state.counters["models"] = static_cast<double>(state.range(0));
}
BENCHMARK(InfReaderModels)->Arg(200)->Arg(400)->Unit(benchmark::kMillisecond);

} // namespace
