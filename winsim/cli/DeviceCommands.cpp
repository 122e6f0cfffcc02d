// devices, plug and unplug: the machine's device tree. They work on a machine nobody is attached to, at
// the machine's current virtual time; what they change is journalled with pid 0 (see devices/DeviceJournal.h).
#include <cstdio>

#include "Commands.h"
#include "core/Clock.h"
#include "core/Machine.h"
#include "devices/DeviceReport.h"
#include "devices/DeviceTree.h"

namespace
{

int PlugCommand(const Args& args, bool plugged)
{
    const char* name = plugged ? "plug" : "unplug";
    if (args.size() != 2)
        return Fail(std::string("usage: winsim ") + name + " DIR INSTANCE-ID");
    winsim::Machine machine;
    std::string error;
    if (!machine.Open(args[0], error))
        return Fail(error);
    winsim::Store& store = machine.GetStore();
    winsim::Transaction txn(store);
    winsim::DeviceTree tree(store, machine.Identity(), winsim::Clock::StoredTime(store));
    tree.Settle();
    if (!tree.Plug(args[1], plugged))
        return Fail("the machine has no device " + args[1]);
    if (!txn.Commit())
        return Fail("cannot store the change: " + store.LastErrorText());
    return 0;
}

} // namespace

int CommandDevices(const Args& args)
{
    if (args.size() != 1)
        return Fail("usage: winsim devices DIR");
    winsim::Machine machine;
    std::string error;
    if (!machine.Open(args[0], error))
        return Fail(error);
    winsim::Store& store = machine.GetStore();
    winsim::Transaction txn(store);
    winsim::DeviceTree tree(store, machine.Identity(), winsim::Clock::StoredTime(store));
    // Plug-ins whose time has come have happened by now.
    tree.Settle();
    const std::string text = winsim::DeviceReport::Text(tree, machine.Identity().timeZoneBiasMinutes);
    txn.Commit();
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

int CommandPlug(const Args& args)
{
    return PlugCommand(args, true);
}

int CommandUnplug(const Args& args)
{
    return PlugCommand(args, false);
}
