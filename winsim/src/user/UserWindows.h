// The windows of the attached process as its own code sees them: window procedures, classes, control ids,
// geometry, window words, dialog state and the pixels of top-level windows. The machine's window table
// (WindowTable) stays the record every process sees; this is what only the owning process can have.
// One lock guards it; nothing is called back while it is held.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "gdi/Surface.h"
#include "windows.h"

namespace winsim
{

class Runtime;

struct WindowClass
{
    std::string name;
    WNDPROC proc = nullptr;
    UINT style = 0;
    int cbWndExtra = 0;
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    bool system = false;
};

struct WindowState
{
    HWND hwnd = nullptr;
    uint32_t tid = 0;
    HWND parent = nullptr; // child windows
    std::string className;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    int id = 0;
    HINSTANCE instance = nullptr;
    // Window rectangle: screen coordinates for a top-level window, the parent's client coordinates for a child.
    PixelRect rect;
    std::string text;
    LONG_PTR userData = 0;
    HFONT font = nullptr;
    // Dialogs.
    bool dialog = false;
    DLGPROC dlgProc = nullptr;
    LONG_PTR dlgUser = 0;
    LONG_PTR msgResult = 0;
    bool ended = false;
    INT_PTR result = 0;
    // Top-level windows: what is on screen.
    std::shared_ptr<Surface> surface;
    // The control's state as `winsim screen` prints it ("position 40 of 0-100", list rows).
    std::string screenState;
    HANDLE image = nullptr;
};

class UserWindows
{
public:
    // The attached process's windows (a new set for each attachment).
    static UserWindows& Of(Runtime& rt);

    bool RegisterClass(const WindowClass& windowClass);
    bool UnregisterClass(const std::string& name);
    bool FindClass(const std::string& name, WindowClass& windowClass);

    void Add(const WindowState& state);
    void Remove(HWND hwnd);
    bool Find(HWND hwnd, WindowState& state);
    // Runs `change` on the window's state under the lock; false for no such window.
    template <typename Change>
    bool Update(HWND hwnd, Change change)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_windows.find(hwnd);
        if (it == m_windows.end())
            return false;
        change(it->second);
        return true;
    }
    std::vector<HWND> Children(HWND parent);
    HWND ChildWithId(HWND parent, int id);
    std::vector<HWND> OfThread(uint32_t tid);

    // Client rectangle in the window's own coordinates, and where its client area lies in the top-level
    // window's pixels; false for no such window.
    bool ClientRect(HWND hwnd, PixelRect& client);
    bool ClientInSurface(HWND hwnd, int& x, int& y, PixelRect& clip, std::shared_ptr<Surface>& surface);
    // Non-client sizes of a style: frame width and caption height.
    static void FrameOf(DWORD style, int& frame, int& caption);

private:
    std::mutex m_mutex;
    uint64_t m_generation = 0;
    std::map<std::string, WindowClass> m_classes; // by upper-case name
    std::map<HWND, WindowState> m_windows;
};

} // namespace winsim
