// Registry throughput on a winsim machine: RegSetValueExA + RegQueryValueExA pairs on one open key, the
// pattern of a setup program writing and reading back its settings.
#include <benchmark/benchmark.h>

#include <string>

#include "BenchMachine.h"
#include "windows.h"

namespace
{

void RegistrySetQueryPairs(benchmark::State& state)
{
    BenchMachine machine;
    if (!machine.Attached())
    {
        state.SkipWithError(machine.Error().c_str());
        return;
    }
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Bench", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
    {
        state.SkipWithError("cannot create the key");
        return;
    }
    DWORD counter = 0;
    for (auto _ : state)
    {
        ++counter;
        // A handful of value names, as a program keeps a few settings.
        char name[8] = {'V', 'a', 'l', static_cast<char>('0' + counter % 8), 0};
        RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&counter), sizeof(counter));
        DWORD back = 0;
        DWORD size = sizeof(back);
        RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&back), &size);
        benchmark::DoNotOptimize(back);
    }
    RegCloseKey(key);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(RegistrySetQueryPairs)->Unit(benchmark::kMicrosecond);

} // namespace
