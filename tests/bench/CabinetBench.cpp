// Unpacking a 20 MB MSZIP cabinet of 500 files: SetupIterateCabinetA on a winsim machine (extraction through
// the machine's files API, journal and file table included) beside `gcab -x` of the same cabinet into a host
// folder on the same memory-backed disk. The two times should be close.
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "BenchMachine.h"
#include "SemiRandomData.h"
#include "windows.h"
#include "setupapi.h"
#include "winsim/winsim.h"

namespace
{

constexpr int kFiles = 500;
constexpr size_t kFileSize = 20 * 1024 * 1024 / kFiles;

bool Shell(const std::string& command)
{
    return std::system(command.c_str()) == 0;
}

std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// The folder for host files, memory-backed like the machines the benchmark makes; removed at exit.
class ScratchFolder
{
public:
    ScratchFolder()
    {
        struct stat shm
        {
        };
        m_path = std::string(stat("/dev/shm", &shm) == 0 ? "/dev/shm" : "/tmp") + "/cabinet-bench-" +
                 std::to_string(getpid());
        mkdir(m_path.c_str(), 0755);
    }
    ~ScratchFolder() { Shell("rm -rf " + Quote(m_path)); }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

const std::string& Scratch()
{
    static const ScratchFolder folder;
    return folder.Path();
}

// The cabinet, made once with gcab; empty when gcab failed.
const std::string& Cabinet()
{
    static const std::string cabinet = []
    {
        const std::string source = Scratch() + "/source";
        mkdir(source.c_str(), 0755);
        for (int i = 0; i < kFiles; ++i)
            std::ofstream(source + "/file" + std::to_string(i) + ".bin", std::ios::binary)
                << SemiRandomData(kFileSize, static_cast<uint32_t>(i));
        const std::string path = Scratch() + "/bench.cab";
        return Shell("cd " + Quote(source) + " && gcab -c -z " + Quote(path) + " *.bin >/dev/null") ? path
                                                                                                    : std::string();
    }();
    return cabinet;
}

struct Target
{
    std::string folder;
};

UINT CALLBACK ExtractAll(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR /*param2*/)
{
    if (notification != SPFILENOTIFY_FILEINCABINET)
        return NO_ERROR;
    auto* info = reinterpret_cast<FILE_IN_CABINET_INFO_A*>(param1);
    std::snprintf(info->FullTargetName, MAX_PATH, "%s\\%s", static_cast<Target*>(context)->folder.c_str(),
                  info->NameInCabinet);
    return FILEOP_DOIT;
}

void SetupIterateCabinet(benchmark::State& state)
{
    if (Cabinet().empty())
    {
        state.SkipWithError("gcab could not make the cabinet");
        return;
    }
    BenchMachine machine;
    if (!machine.Attached())
    {
        state.SkipWithError(machine.Error().c_str());
        return;
    }
    CreateDirectoryA("C:\\BENCH", nullptr);
    if (!Shell("cp " + Quote(Cabinet()) + " " + Quote(winsim::HostPathOf(machine.Dir(), "C:\\BENCH\\BENCH.CAB"))))
    {
        state.SkipWithError("cannot put the cabinet on the machine");
        return;
    }
    int round = 0;
    for (auto _ : state)
    {
        state.PauseTiming();
        Target target{"C:\\BENCH\\OUT" + std::to_string(round++)};
        CreateDirectoryA(target.folder.c_str(), nullptr);
        state.ResumeTiming();
        if (!SetupIterateCabinetA("C:\\BENCH\\BENCH.CAB", 0, ExtractAll, &target))
        {
            state.SkipWithError(("SetupIterateCabinetA failed: " + std::to_string(GetLastError())).c_str());
            break;
        }
        state.PauseTiming();
        Shell("rm -rf " + Quote(winsim::HostPathOf(machine.Dir(), target.folder)));
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kFiles * static_cast<int64_t>(kFileSize));
}

void GcabExtract(benchmark::State& state)
{
    if (Cabinet().empty())
    {
        state.SkipWithError("gcab could not make the cabinet");
        return;
    }
    const std::string out = Scratch() + "/out";
    for (auto _ : state)
    {
        state.PauseTiming();
        mkdir(out.c_str(), 0755);
        state.ResumeTiming();
        if (!Shell("gcab -x -C " + Quote(out) + " " + Quote(Cabinet()) + " >/dev/null"))
        {
            state.SkipWithError("gcab -x failed");
            break;
        }
        state.PauseTiming();
        Shell("rm -rf " + Quote(out));
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kFiles * static_cast<int64_t>(kFileSize));
}

} // namespace

BENCHMARK(SetupIterateCabinet)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(GcabExtract)->Unit(benchmark::kMillisecond)->Iterations(10);
