// Questions about hardware IDs on INFs with many models, as install preparation asks them: for every
// hardware ID its description, its install section and its child IDs. Read once per INF, the models answer
// each question from an index: the time must grow linearly with the models (600 and 1200 models of 10 IDs;
// 5,000 and 10,000 models of one ID).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "BenchMachine.h"
#include "FileText.h"
#include "devapi/KDeviceApi.h"
#include "inf/CInf.h"
#include "windows.h"

namespace
{

std::string HardwareID(int nModel, int nID)
{
    char szID[80];
    std::snprintf(szID, sizeof(szID), "PCI\\VEN_F0E1&DEV_%04X&SUBSYS_%04X%04X", nModel & 0xFFFF, nID, nModel >> 16);
    return szID;
}

std::string MakeInf(int nModels, int nIDs)
{
    std::string text = "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Modem\r\n"
                       "[Manufacturer]\r\nMaker=Models\r\n[Models]\r\n";
    for (int n = 0; n < nModels; ++n)
    {
        text += "Modem " + std::to_string(n) + "=Install" + std::to_string(n % 16);
        for (int i = 0; i < nIDs; ++i)
            text += ", " + HardwareID(n, i);
        text += "\r\n";
    }
    for (int s = 0; s < 16; ++s)
        text += "[Install" + std::to_string(s) + ".NT]\r\nAddReg=Child" + std::to_string(s) + "\r\n[Child" +
                std::to_string(s) + "]\r\nHKR,CHILD0000,HardwareID,,\"MDM\\CHILD" + std::to_string(s) + "\"\r\n";
    return text;
}

void InfModelQuestions(benchmark::State& state)
{
    BenchMachine machine;
    if (!machine.Attached())
    {
        state.SkipWithError(machine.Error().c_str());
        return;
    }
    KDeviceApi deviceApi;
    const int nModels = static_cast<int>(state.range(0));
    const int nIDs = static_cast<int>(state.range(1));
    CreateDirectoryA("C:\\BENCH", nullptr);
    if (!WriteWholeFile("C:\\BENCH\\MODELS.INF", MakeInf(nModels, nIDs)))
    {
        state.SkipWithError("cannot write the INF");
        return;
    }
    std::vector<std::string> ids;
    for (int n = 0; n < nModels; ++n)
        for (int i = 0; i < nIDs; ++i)
            ids.push_back(HardwareID(n, i));

    size_t nAnswers = 0;
    for (auto _ : state)
    {
        CInf inf;
        if (!inf.Initialize("C:\\BENCH\\MODELS.INF"))
        {
            state.SkipWithError("cannot open the INF");
            break;
        }
        for (const std::string& csID : ids)
        {
            std::string csText;
            CStringList children;
            nAnswers += inf.GetModelLineField(csID, csText) + inf.GetInstallSectionForID(csID + "&REV_01", csText) +
                        inf.GetChildHardwareIDList(csID, 1, children);
        }
    }
    benchmark::DoNotOptimize(nAnswers);
    state.counters["ids"] = static_cast<double>(ids.size());
}
BENCHMARK(InfModelQuestions)
    ->Args({600, 10})
    ->Args({1200, 10})
    ->Args({5000, 1})
    ->Args({10000, 1})
    ->Unit(benchmark::kMillisecond);

} // namespace
