#include "PendingInstalls.h"

#include <vector>

#include "DriverInstaller.h"
#include "DriverSearch.h"
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

bool IsBelow(const std::vector<DeviceRecord>& all, const DeviceRecord& device, const std::string& ancestor)
{
    std::string parent = device.parent;
    for (size_t steps = 0; !parent.empty() && steps <= all.size(); ++steps)
    {
        if (parent == ancestor)
            return true;
        std::string next;
        for (const DeviceRecord& other : all)
            if (other.instance == parent)
                next = other.parent;
        parent = next;
    }
    return false;
}

} // namespace

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
    const std::vector<DeviceRecord> all = tree.Devices();
    size_t queued = 0;
    for (const DeviceRecord& device : all)
    {
        if (!device.present || device.driver || (!base.empty() && !IsBelow(all, device, base)))
            continue;
        DriverMatch match;
        if (!search.InFolder(device, match))
            continue;
        const uint64_t due = tree.Now() + device.installDelayMs;
        Statement queue = store.Prepare("INSERT OR IGNORE INTO pnp_installs(instance, inf, due) VALUES(?1, ?2, ?3)");
        queue.Bind(1, device.instance).Bind(2, match.inf->file.path).Bind(3, static_cast<int64_t>(due));
        if (!queue.Run() || store.Changes() == 0)
            continue;
        tree.MarkPending(device.instance, due);
        ++queued;
    }
    txn.Commit();
    return queued;
}

void PendingInstalls::RunDue(Runtime& rt)
{
    if (t_running)
        return;
    t_running = true;
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
