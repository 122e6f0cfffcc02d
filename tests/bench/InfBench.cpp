// INF throughput on a winsim machine: opening a synthetic driver INF of 100 KB, 1 MB and 10 MB (thousands of
// install sections, a [Strings] table, %strkey% fields) and reading every line and field of every
// section, as a device installer walking a large vendor INF does. Reported as bytes per second.
#include <benchmark/benchmark.h>

#include <string>

#include "BenchMachine.h"
#include "FileText.h"
#include "windows.h"
#include "setupapi.h"

namespace
{

// A driver-shaped INF of about the given size; the names of its sections go to sections.
std::string MakeInf(size_t target, std::vector<std::string>& sections)
{
    std::string text = "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Modem\r\nProvider=%Mfg%\r\n"
                       "[DestinationDirs]\r\nDefaultDestDir=12\r\n";
    std::string strings = "[Strings]\r\nMfg=\"Sample Modems\"\r\n";
    sections = {"Version", "DestinationDirs", "Strings"};
    for (size_t n = 0; text.size() + strings.size() < target; ++n)
    {
        const std::string id = std::to_string(n);
        sections.push_back("Modem" + id + ".NT");
        sections.push_back("Modem" + id + ".AddReg");
        text += "[Modem" + id + ".NT]\r\nCopyFiles=Modem.Copy\r\nAddReg=Modem" + id + ".AddReg, Common.AddReg\r\n" +
                "[Modem" + id + ".AddReg]\r\n";
        for (int line = 0; line < 12; ++line)
            text += "HKR, Settings\\Init, " + std::to_string(line) + ",, \"AT&F E0 V1 S0=" + std::to_string(line) +
                    "<cr>\" ; init string\r\n";
        text += "HKR,, Properties, 1, 80,01,00,00, ff,00,00,00, 00,00,00,00, 00,00,00,00\r\n"
                "HKR,, FriendlyName,, %Modem" +
                id + "%\r\n";
        strings += "Modem" + id + "=\"Sample 56K Modem " + id + "\"\r\n";
    }
    return text + strings;
}

void InfOpenAndWalk(benchmark::State& state)
{
    BenchMachine machine;
    if (!machine.Attached())
    {
        state.SkipWithError(machine.Error().c_str());
        return;
    }
    std::vector<std::string> sections;
    const std::string text = MakeInf(static_cast<size_t>(state.range(0)), sections);
    CreateDirectoryA("C:\\BENCH", nullptr);
    if (!WriteWholeFile("C:\\BENCH\\big.inf", text))
    {
        state.SkipWithError("cannot write the INF");
        return;
    }

    size_t fields = 0;
    for (auto _ : state)
    {
        HINF inf = SetupOpenInfFileA("C:\\BENCH\\big.inf", nullptr, INF_STYLE_WIN4, nullptr);
        if (inf == INVALID_HANDLE_VALUE)
        {
            state.SkipWithError("cannot open the INF");
            return;
        }
        char buffer[512];
        for (const std::string& section : sections)
        {
            INFCONTEXT context;
            for (BOOL more = SetupFindFirstLineA(inf, section.c_str(), nullptr, &context); more;
                 more = SetupFindNextLine(&context, &context))
            {
                const DWORD count = SetupGetFieldCount(&context);
                for (DWORD n = 0; n <= count; ++n)
                {
                    if (SetupGetStringFieldA(&context, n, buffer, sizeof(buffer), nullptr))
                        ++fields;
                }
            }
        }
        SetupCloseInfFile(inf);
    }
    benchmark::DoNotOptimize(fields);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(InfOpenAndWalk)->Arg(100 << 10)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

} // namespace
