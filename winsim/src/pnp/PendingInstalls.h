// The PnP manager's asynchronous driver installs. A re-enumeration finds driverless present devices for
// which a published INF has a driver and queues an install for each, due after the device's install
// delay; the device shows install activity pending until then. New hardware (a device plugged in, or a
// function a starting driver enumerates) is searched for the same way when it arrives. The install itself runs at the
// first device or wait function called once it is due (RunDue), in the process that calls it. A device that is gone by
// then (unplugged, removed, or given a driver meanwhile) is dropped: nothing stays pending.
#pragma once

#include <cstdint>
#include <string>

namespace winsim
{

class Runtime;

class PendingInstalls
{
public:
    // Queues installs for the driverless present devices below `devinst` (the root: all); a device with no
    // driver to be found brings up the new-hardware wizard. Runs outside any transaction. Returns how many
    // installs were queued.
    static size_t QueueBelow(Runtime& rt, uint32_t devinst);
    // Searches drivers for the new hardware that arrived, then runs the installs that are due. Runs outside
    // any transaction.
    static void RunDue(Runtime& rt);

private:
    // Queues the installs of the new hardware that arrived since the last call.
    static void QueueArrivals(Runtime& rt);
};

} // namespace winsim
