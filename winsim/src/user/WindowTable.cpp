#include "WindowTable.h"

#include "core/Store.h"

namespace winsim
{

namespace
{

// Handle values look like Windows's: small even numbers above 64K, never reused on a machine.
constexpr uint32_t kFirstHandle = 0x00010010;
constexpr uint32_t kHandleStep = 0x10;

constexpr const char* kSelect = "SELECT hwnd, pid, tid, parent, owner, class, title, visible, style, z FROM windows";

WindowRow FromRow(const Statement& row)
{
    WindowRow window;
    window.hwnd = static_cast<uint32_t>(row.Int(0));
    window.pid = static_cast<uint32_t>(row.Int(1));
    window.tid = static_cast<uint32_t>(row.Int(2));
    window.parent = static_cast<uint32_t>(row.Int(3));
    window.owner = static_cast<uint32_t>(row.Int(4));
    window.className = row.Text(5);
    window.title = row.Text(6);
    window.visible = row.Int(7) != 0;
    window.style = static_cast<uint32_t>(row.Int(8));
    window.z = row.Int(9);
    return window;
}

std::string Sql(const char* rest)
{
    return std::string(kSelect) + " " + rest;
}

} // namespace

uint32_t WindowTable::StateValue(const char* name)
{
    Statement stmt = m_store.Prepare("SELECT value FROM ui_state WHERE name = ?1");
    stmt.Bind(1, std::string(name));
    return stmt.Step() ? static_cast<uint32_t>(stmt.Int(0)) : 0;
}

void WindowTable::SetState(const char* name, uint32_t value)
{
    Statement stmt = m_store.Prepare("INSERT OR REPLACE INTO ui_state(name, value) VALUES(?1, ?2)");
    stmt.Bind(1, std::string(name)).Bind(2, value);
    stmt.Run();
}

uint32_t WindowTable::NextHandle()
{
    uint32_t handle = StateValue("next_hwnd");
    if (handle < kFirstHandle)
        handle = kFirstHandle;
    SetState("next_hwnd", handle + kHandleStep);
    return handle;
}

uint32_t WindowTable::Create(const WindowRow& search)
{
    WindowRow window = search;
    window.hwnd = NextHandle();
    if (window.IsTopLevel())
    {
        Statement top = m_store.Prepare("SELECT COALESCE(MAX(z), 0) + 1 FROM windows WHERE parent = 0");
        window.z = top.Step() ? top.Int(0) : 1;
    }
    Statement insert = m_store.Prepare("INSERT INTO windows(hwnd, pid, tid, parent, owner, class, title, visible, "
                                       "style, z) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
    insert.Bind(1, window.hwnd)
        .Bind(2, window.pid)
        .Bind(3, window.tid)
        .Bind(4, window.parent)
        .Bind(5, window.owner)
        .Bind(6, window.className)
        .Bind(7, window.title)
        .Bind(8, window.visible ? 1 : 0)
        .Bind(9, window.style)
        .Bind(10, window.z);
    if (!insert.Run())
        return 0;
    if (window.IsTopLevel() && window.visible)
    {
        SetState("foreground", window.hwnd);
        SetState("focus", window.hwnd);
    }
    return window.hwnd;
}

bool WindowTable::Find(uint32_t hwnd, WindowRow& row)
{
    if (hwnd == 0)
        return false;
    Statement stmt = m_store.Prepare(Sql("WHERE hwnd = ?1").c_str());
    stmt.Bind(1, hwnd);
    if (!stmt.Step())
        return false;
    row = FromRow(stmt);
    return true;
}

std::vector<uint32_t> WindowTable::Destroy(uint32_t hwnd)
{
    std::vector<uint32_t> gone{hwnd};
    // Children and owned windows first found breadth-first, then deleted together.
    for (size_t next = 0; next < gone.size(); ++next)
    {
        std::vector<uint32_t> below;
        {
            Statement stmt = m_store.Prepare("SELECT hwnd FROM windows WHERE parent = ?1 OR owner = ?1");
            stmt.Bind(1, gone[next]);
            while (stmt.Step())
                below.push_back(static_cast<uint32_t>(stmt.Int(0)));
        }
        gone.insert(gone.end(), below.begin(), below.end());
    }
    for (uint32_t window : gone)
    {
        Statement remove = m_store.Prepare("DELETE FROM windows WHERE hwnd = ?1");
        remove.Bind(1, window);
        remove.Run();
    }
    return gone;
}

int WindowTable::RemoveProcess(uint32_t pid)
{
    Statement remove = m_store.Prepare("DELETE FROM windows WHERE pid = ?1");
    remove.Bind(1, pid);
    remove.Run();
    return m_store.Changes();
}

void WindowTable::RemoveAll()
{
    m_store.Prepare("DELETE FROM windows").Run();
    m_store.Prepare("DELETE FROM ui_state WHERE name IN ('focus', 'foreground')").Run();
}

std::vector<WindowRow> WindowTable::TopLevel()
{
    std::vector<WindowRow> windows;
    Statement stmt = m_store.Prepare(Sql("WHERE parent = 0 ORDER BY z DESC, hwnd DESC").c_str());
    while (stmt.Step())
        windows.push_back(FromRow(stmt));
    return windows;
}

std::vector<uint32_t> WindowTable::OwnersOfWindows()
{
    std::vector<uint32_t> pids;
    Statement stmt = m_store.Prepare("SELECT DISTINCT pid FROM windows");
    while (stmt.Step())
        pids.push_back(static_cast<uint32_t>(stmt.Int(0)));
    return pids;
}

int WindowTable::CountOf(uint32_t pid)
{
    Statement stmt = m_store.Prepare("SELECT COUNT(*) FROM windows WHERE pid = ?1");
    stmt.Bind(1, pid);
    return stmt.Step() ? static_cast<int>(stmt.Int(0)) : 0;
}

bool WindowTable::SetTitle(uint32_t hwnd, const std::string& title)
{
    Statement stmt = m_store.Prepare("UPDATE windows SET title = ?2 WHERE hwnd = ?1");
    stmt.Bind(1, hwnd).Bind(2, title);
    return stmt.Run() && m_store.Changes() == 1;
}

bool WindowTable::SetVisible(uint32_t hwnd, bool visible)
{
    Statement stmt = m_store.Prepare("UPDATE windows SET visible = ?2 WHERE hwnd = ?1");
    stmt.Bind(1, hwnd).Bind(2, visible ? 1 : 0);
    return stmt.Run() && m_store.Changes() == 1;
}

bool WindowTable::BringToTop(uint32_t hwnd)
{
    Statement stmt = m_store.Prepare(
        "UPDATE windows SET z = (SELECT COALESCE(MAX(z), 0) + 1 FROM windows WHERE parent = 0) WHERE hwnd = ?1 "
        "AND parent = 0 AND z < (SELECT MAX(z) FROM windows WHERE parent = 0)");
    stmt.Bind(1, hwnd);
    return stmt.Run();
}

uint32_t WindowTable::Foreground()
{
    WindowRow row;
    const uint32_t stored = StateValue("foreground");
    if (Find(stored, row) && row.visible)
        return stored;
    for (const WindowRow& window : TopLevel())
    {
        if (window.visible)
            return window.hwnd;
    }
    return 0;
}

void WindowTable::SetForeground(uint32_t hwnd)
{
    SetState("foreground", hwnd);
}

uint32_t WindowTable::Focus()
{
    WindowRow row;
    const uint32_t stored = StateValue("focus");
    return Find(stored, row) ? stored : 0;
}

void WindowTable::SetFocus(uint32_t hwnd)
{
    SetState("focus", hwnd);
}

uint32_t WindowTable::TopLevelOf(uint32_t hwnd)
{
    WindowRow row;
    while (Find(hwnd, row) && !row.IsTopLevel())
        hwnd = row.parent;
    return hwnd;
}

} // namespace winsim
