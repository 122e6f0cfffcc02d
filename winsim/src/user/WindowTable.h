// The machine's windows (table windows) and the machine-wide focus and foreground (table ui_state).
// Windows are headless: a handle, an owning process and thread, a class, a title, a parent (child
// windows) or an owner (owned top-level windows), visibility and a place in the z order. The table is
// the one place windows live: the program's own windows, the windows of declared processes, dialogs.
// Callers run the store transaction; windows of processes that ended are pruned by the process table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace winsim
{

class Store;

struct WindowRow
{
    uint32_t hwnd = 0;
    uint32_t pid = 0;
    uint32_t tid = 0;
    uint32_t parent = 0; // child windows only
    uint32_t owner = 0;  // top-level windows only
    std::string className;
    std::string title;
    bool visible = true;
    uint32_t style = 0;
    int64_t z = 0;

    bool IsTopLevel() const { return parent == 0; }
};

class WindowTable
{
public:
    explicit WindowTable(Store& store) : m_store(store) {}

    // Makes a window from `search` (hwnd and z are given here): a new top-level window goes on top, and a
    // visible one becomes the foreground and focus window, as a newly shown window is activated. 0 on failure.
    uint32_t Create(const WindowRow& search);
    bool Find(uint32_t hwnd, WindowRow& row);
    // Destroys a window with its child windows and the windows it owns; returns every handle destroyed.
    std::vector<uint32_t> Destroy(uint32_t hwnd);
    // Every window of a process (it ended); returns how many went.
    int RemoveProcess(uint32_t pid);
    void RemoveAll();

    // Top-level windows, highest in the z order first.
    std::vector<WindowRow> TopLevel();
    std::vector<uint32_t> OwnersOfWindows();
    int CountOf(uint32_t pid);

    bool SetTitle(uint32_t hwnd, const std::string& title);
    bool SetVisible(uint32_t hwnd, bool visible);
    // Puts a top-level window above every other.
    bool BringToTop(uint32_t hwnd);

    // The foreground window: the one last made so if it is still a visible window, else the highest
    // visible top-level window (Windows activates another window when the active one goes); 0 for none.
    uint32_t Foreground();
    void SetForeground(uint32_t hwnd);
    // The focus window; 0 when it is gone.
    uint32_t Focus();
    void SetFocus(uint32_t hwnd);
    // The top-level window a window belongs to (itself for a top-level window).
    uint32_t TopLevelOf(uint32_t hwnd);

private:
    uint32_t NextHandle();
    uint32_t StateValue(const char* name);
    void SetState(const char* name, uint32_t value);

    Store& m_store;
};

} // namespace winsim
