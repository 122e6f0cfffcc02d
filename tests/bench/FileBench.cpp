// How many files a program can create, fill with 1 KB and close per second on a winsim machine: the cost
// of CreateFileA + WriteFile + CloseHandle, store bookkeeping and journal included.
#include <benchmark/benchmark.h>

#include <string>

#include "BenchMachine.h"
#include "windows.h"

namespace
{

void CreateWriteClose(benchmark::State& state)
{
    BenchMachine machine;
    if (!machine.Attached())
    {
        state.SkipWithError(machine.Error().c_str());
        return;
    }
    CreateDirectoryA("C:\\BENCH", nullptr);
    const std::string data(1024, 'x');
    unsigned counter = 0;
    for (auto _ : state)
    {
        // A few dozen names in turn: most opens overwrite a file, as a program rewriting its files does.
        const std::string name = "C:\\BENCH\\file" + std::to_string(counter++ % 64) + ".bin";
        HANDLE file =
            CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
        {
            state.SkipWithError("CreateFileA failed");
            break;
        }
        DWORD written = 0;
        WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
        CloseHandle(file);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
}

} // namespace

BENCHMARK(CreateWriteClose)->Unit(benchmark::kMicrosecond);
