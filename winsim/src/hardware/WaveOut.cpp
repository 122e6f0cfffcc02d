#include "WaveOut.h"

#include <cstdlib>

#include "core/Clock.h"
#include "core/Runtime.h"
#include "core/Store.h"
#include "files/NameCase.h"

namespace winsim
{

uint32_t WaveOut::Devices(Runtime& rt)
{
    Statement select = rt.GetMachine().GetStore().Prepare("SELECT devices, available_from_ms FROM wave_out");
    if (!select.Step())
        return 1;
    const uint64_t from = static_cast<uint64_t>(select.Int(1));
    return rt.GetClock().NowMs() >= from ? static_cast<uint32_t>(select.Int(0)) : 0;
}

bool WaveOut::SetFromProfile(Store& store, const std::string& name, const std::string& value, std::string& what)
{
    char* end = nullptr;
    const long long number = std::strtoll(value.c_str(), &end, 10);
    if (value.empty() || !end || *end || number < 0)
    {
        what = name + " needs a number, not '" + value + "'";
        return false;
    }
    const std::string upper = NameCase::Upper(name);
    if (upper != "DEVICES" && upper != "AVAILABLEFROM")
    {
        what = "unknown name '" + name + "' in [WaveOut]";
        return false;
    }
    // The row starts as the default machine: one device, there from the start.
    const uint64_t start = Clock::StoredTime(store);
    Statement ensure = store.Prepare("INSERT INTO wave_out(devices, available_from_ms) SELECT 1, ?1 "
                                     "WHERE NOT EXISTS (SELECT 1 FROM wave_out)");
    ensure.Bind(1, static_cast<int64_t>(start));
    ensure.Run();
    Statement update = store.Prepare(upper == "DEVICES" ? "UPDATE wave_out SET devices = ?1"
                                                        : "UPDATE wave_out SET available_from_ms = ?1");
    update.Bind(1, upper == "DEVICES" ? number : static_cast<int64_t>(start + static_cast<uint64_t>(number)));
    return update.Run();
}

} // namespace winsim
