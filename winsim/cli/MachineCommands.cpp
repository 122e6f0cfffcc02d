// new, reg and journal: commands on the machine as a whole.
#include <cinttypes>
#include <cstdio>
#include <ctime>

#include "Commands.h"
#include "core/Machine.h"
#include "registry/RegFile.h"
#include "registry/RegistryStore.h"
#include "winsim/winsim.h"

namespace
{

// Milliseconds since 1601 (UTC) as local "YYYY-MM-DD HH:MM:SS.mmm" for the machine's time zone.
std::string LocalTimeText(uint64_t ms, int biasMinutes)
{
    constexpr int64_t kUnixEpochMs = 11644473600000LL;
    int64_t local = static_cast<int64_t>(ms) - kUnixEpochMs - static_cast<int64_t>(biasMinutes) * 60000;
    time_t seconds = static_cast<time_t>(local / 1000);
    struct tm parts
    {
    };
    gmtime_r(&seconds, &parts);
    char text[96];
    std::snprintf(text, sizeof(text), "%04d-%02d-%02d %02d:%02d:%02d.%03d", parts.tm_year + 1900, parts.tm_mon + 1,
                  parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec, static_cast<int>(local % 1000));
    return text;
}

} // namespace

int CommandNew(const Args& args)
{
    if (args.size() != 2)
        return Fail("usage: winsim new PROFILE DIR");
    std::string error;
    if (!winsim::CreateMachine(args[0], args[1], error))
        return Fail(error);
    return 0;
}

int CommandReg(const Args& args)
{
    if (args.size() != 3 || args[1] != "export")
        return Fail("usage: winsim reg DIR export 'HKLM\\...'");
    winsim::Machine machine;
    std::string error;
    if (!machine.Open(args[0], error))
        return Fail(error);
    winsim::RegistryStore registry(machine.GetStore(), machine.Identity());
    std::string text;
    if (!winsim::ExportRegFile(registry, args[2], text, error))
        return Fail(error);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

int CommandJournal(const Args& args)
{
    if (args.size() != 1)
        return Fail("usage: winsim journal DIR");
    winsim::Machine machine;
    std::string error;
    if (!machine.Open(args[0], error))
        return Fail(error);
    winsim::Statement rows =
        machine.GetStore().Prepare("SELECT time_ms, pid, kind, op, target, detail FROM journal ORDER BY seq");
    while (rows.Step())
    {
        std::string detail = rows.Text(5);
        std::printf("%s  pid %-5" PRId64 " %-8s %-12s %s%s%s\n",
                    LocalTimeText(static_cast<uint64_t>(rows.Int(0)), machine.Identity().timeZoneBiasMinutes).c_str(),
                    rows.Int(1), rows.Text(2).c_str(), rows.Text(3).c_str(), rows.Text(4).c_str(),
                    detail.empty() ? "" : "  ", detail.c_str());
    }
    return 0;
}
