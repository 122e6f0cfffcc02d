#include "PendingInstalls.h"

#include <vector>

#include "DriverInstaller.h"
#include "DriverSearch.h"
#include "NewHardwareWizard.h"
#include "core/Runtime.h"
#include "core/Store.h"
#include "devices/DeviceTree.h"
#include "windows.h"

namespace winsim
{

namespace
{

// Installs make API calls of their own; none of them may start the queue again.
thread_local bool t_running = false;

struct QueuedInstall
{
    std::string instance;
    std::string inf;
};

enum class Queued
{
    kYes,
    kAlready,
    kNoDriver
};

// Queues the install of a driverless device, due at `due`, when a published INF has a driver for it.
Queued Queue(const DriverSearch& search, Store& store, DeviceTree& tree, DeviceRecord& device, uint64_t due)
{
    tree.ReadIds(device);
    DriverMatch match;
    if (!search.InFolder(device, match))
        return Queued::kNoDriver;
    Statement queue = store.Prepare("INSERT OR IGNORE INTO pnp_installs(instance, inf, due) VALUES(?1, ?2, ?3)");
    queue.Bind(1, device.instance).Bind(2, match.inf->file.path).Bind(3, static_cast<int64_t>(due));
    if (!queue.Run() || store.Changes() == 0)
        return Queued::kAlready;
    tree.MarkPending(device.instance, due);
    return Queued::kYes;
}

} // namespace

void PendingInstalls::QueueArrivals(Runtime& rt)
{
    Store& store = rt.GetMachine().GetStore();
    std::vector<std::pair<std::string, uint64_t>> arrivals;
    {
        Transaction txn(store);
        Statement select = store.Prepare("SELECT instance, at FROM pnp_arrivals ORDER BY at, instance");
        while (select.Step())
            arrivals.emplace_back(select.Text(0), static_cast<uint64_t>(select.Int(1)));
        if (!arrivals.empty())
            store.Prepare("DELETE FROM pnp_arrivals").Run();
        txn.Commit();
    }
    if (arrivals.empty())
        return;
    const DriverSearch search(rt);
    bool wizard = false;
    {
        Transaction txn(store);
        DeviceTree tree(rt);
        for (const auto& [instance, at] : arrivals)
        {
            DeviceRecord device;
            if (tree.Find(instance, device) && device.present && !device.driver)
                wizard = Queue(search, store, tree, device, at + device.installDelayMs) == Queued::kNoDriver || wizard;
        }
        txn.Commit();
    }
    // New hardware nobody has a driver for: the user is asked for one.
    if (wizard)
        NewHardwareWizard::Show(rt);
}

size_t PendingInstalls::QueueBelow(Runtime& rt, uint32_t devinst)
{
    const DriverSearch search(rt);
    Store& store = rt.GetMachine().GetStore();
    Transaction txn(store);
    DeviceTree tree(rt);
    tree.Settle();
    std::string base;
    DeviceRecord top;
    if (devinst != DeviceTree::kRootDevinst && tree.Find(devinst, top))
        base = top.instance;
    std::vector<DeviceRecord> all = tree.Devices();
    size_t queued = 0;
    bool wizard = false;
    for (DeviceRecord& device : all)
    {
        if (!device.present || device.driver || (!base.empty() && !DeviceTree::IsBelow(device, base, all)))
            continue;
        const Queued result = Queue(search, store, tree, device, tree.Now() + device.installDelayMs);
        wizard = wizard || result == Queued::kNoDriver;
        queued += result == Queued::kYes ? 1 : 0;
    }
    txn.Commit();
    // A device nobody has a driver for: the user is asked for one.
    if (wizard)
        NewHardwareWizard::Show(rt);
    return queued;
}

void PendingInstalls::RunDue(Runtime& rt)
{
    if (t_running)
        return;
    t_running = true;
    QueueArrivals(rt);
    Store& store = rt.GetMachine().GetStore();
    std::vector<QueuedInstall> due;
    {
        Transaction txn(store);
        DeviceTree tree(rt);
        {
            Statement select =
                store.Prepare("SELECT instance, inf FROM pnp_installs WHERE due <= ?1 ORDER BY due, instance");
            select.Bind(1, static_cast<int64_t>(tree.Now()));
            while (select.Step())
                due.push_back({select.Text(0), select.Text(1)});
        }
        for (const QueuedInstall& install : due)
            store.Prepare("DELETE FROM pnp_installs WHERE instance = ?1").Bind(1, install.instance).Run();
        txn.Commit();
    }
    for (const QueuedInstall& install : due)
    {
        DeviceRecord device;
        {
            Transaction txn(store);
            DeviceTree tree(rt);
            tree.Settle();
            const bool found = tree.Find(install.instance, device);
            if (found)
                tree.ReadIds(device);
            txn.Commit();
            if (!found || !device.present || device.driver)
                continue;
        }
        uint32_t error = 0;
        std::shared_ptr<const LoadedInf> inf = InfLoader::Load(rt, install.inf, error);
        DriverMatch match;
        if (!inf || !DriverSearch::InInf(inf, device, match))
            continue;
        bool reboot = false;
        const std::string name = install.inf.substr(install.inf.rfind('\\') + 1);
        const DWORD saved = GetLastError();
        DriverInstaller(rt).Install(install.instance, match, name, reboot, error);
        SetLastError(saved);
    }
    t_running = false;
}

} // namespace winsim
