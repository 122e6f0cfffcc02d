#include "ScreenPublisher.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>

#include "ScreenLog.h"
#include "UserWindows.h"
#include "WindowCalls.h"
#include "core/Runtime.h"
#include "core/Store.h"
#include "kernel/CurrentThread.h"

namespace winsim
{

namespace
{

// Per thread: each thread publishes the windows it draws.
thread_local bool t_changed = false;

} // namespace

void ScreenPublisher::Touch()
{
    t_changed = true;
}

void ScreenPublisher::Publish(Runtime& rt)
{
    if (!t_changed)
        return;
    t_changed = false;
    UserWindows& windows = UserWindows::Of(rt);
    // The calling thread's windows: it is the one that draws them, so their pixels hold still here.
    const std::vector<HWND> all = windows.OfThread(CurrentThread::Id(rt));
    Store& store = rt.GetMachine().GetStore();
    Transaction txn(store);
    if (!txn.Ok())
        return;
    store.Prepare("DELETE FROM window_views WHERE hwnd NOT IN (SELECT hwnd FROM windows)").Run();
    for (HWND hwnd : all)
    {
        WindowState state;
        if (!windows.Find(hwnd, state))
            continue;
        Statement insert = store.Prepare("INSERT OR REPLACE INTO window_views(hwnd, pid, ctrl_id, x, y, cx, cy, state, "
                                         "width, height, pixels) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)");
        insert.Bind(1, WindowCalls::Value(hwnd))
            .Bind(2, rt.Pid())
            .Bind(3, state.id)
            .Bind(4, state.rect.left)
            .Bind(5, state.rect.top)
            .Bind(6, state.rect.Width())
            .Bind(7, state.rect.Height())
            .Bind(8, state.screenState);
        if (state.surface)
        {
            insert.Bind(9, state.surface->Width()).Bind(10, state.surface->Height());
            insert.BindBlob(11, state.surface->Pixels().data(), state.surface->Pixels().size() * sizeof(uint32_t));
        }
        else
            insert.Bind(9, 0).Bind(10, 0).BindNull(11);
        insert.Run();
    }
    txn.Commit();
    ScreenLog::Note(rt);
}

std::vector<WindowView> ScreenPublisher::Read(Store& store, bool withPixels)
{
    std::vector<WindowView> top;
    std::map<uint32_t, std::vector<WindowView>> children;
    Statement stmt = store.Prepare(
        "SELECT w.hwnd, w.parent, w.class, w.title, w.visible, COALESCE(v.ctrl_id, 0), COALESCE(v.x, 0), "
        "COALESCE(v.y, 0), COALESCE(v.cx, 0), COALESCE(v.cy, 0), COALESCE(v.state, ''), COALESCE(v.width, 0), "
        "COALESCE(v.height, 0), v.pixels FROM windows w LEFT JOIN window_views v ON v.hwnd = w.hwnd "
        "ORDER BY w.z DESC, w.hwnd");
    while (stmt.Step())
    {
        WindowView view;
        view.hwnd = static_cast<uint32_t>(stmt.Int(0));
        view.parent = static_cast<uint32_t>(stmt.Int(1));
        view.className = stmt.Text(2);
        view.title = stmt.Text(3);
        view.visible = stmt.Int(4) != 0;
        view.ctrlId = static_cast<int>(stmt.Int(5));
        view.x = static_cast<int>(stmt.Int(6));
        view.y = static_cast<int>(stmt.Int(7));
        view.cx = static_cast<int>(stmt.Int(8));
        view.cy = static_cast<int>(stmt.Int(9));
        view.state = stmt.Text(10);
        view.width = static_cast<int>(stmt.Int(11));
        view.height = static_cast<int>(stmt.Int(12));
        if (withPixels && view.width > 0 && view.height > 0)
        {
            const std::vector<uint8_t> bytes = stmt.Blob(13);
            const size_t count = static_cast<size_t>(view.width) * static_cast<size_t>(view.height);
            if (bytes.size() == count * sizeof(uint32_t))
            {
                view.pixels.resize(count);
                std::memcpy(view.pixels.data(), bytes.data(), bytes.size());
            }
        }
        if (view.parent == 0)
            top.push_back(std::move(view));
        else
            children[view.parent].push_back(std::move(view));
    }
    // Each top-level window followed by its children, depth first.
    std::vector<WindowView> ordered;
    std::vector<WindowView> stack(top.rbegin(), top.rend());
    while (!stack.empty())
    {
        WindowView view = std::move(stack.back());
        stack.pop_back();
        const uint32_t hwnd = view.hwnd;
        ordered.push_back(std::move(view));
        auto it = children.find(hwnd);
        if (it != children.end())
        {
            std::sort(it->second.begin(), it->second.end(),
                      [](const WindowView& a, const WindowView& b) { return a.hwnd > b.hwnd; });
            for (WindowView& child : it->second)
                stack.push_back(std::move(child));
            children.erase(it);
        }
    }
    return ordered;
}

} // namespace winsim
