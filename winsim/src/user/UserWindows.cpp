#include "UserWindows.h"

#include <algorithm>
#include <cctype>

#include "core/Runtime.h"

namespace winsim
{

namespace
{

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

} // namespace

UserWindows& UserWindows::Of(Runtime& rt)
{
    static UserWindows windows;
    std::lock_guard<std::mutex> lock(windows.m_mutex);
    if (windows.m_generation != rt.GetClock().Generation())
    {
        windows.m_generation = rt.GetClock().Generation();
        windows.m_classes.clear();
        windows.m_windows.clear();
    }
    return windows;
}

bool UserWindows::RegisterClass(const WindowClass& windowClass)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_classes.emplace(Upper(windowClass.name), windowClass).second;
}

bool UserWindows::UnregisterClass(const std::string& name)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_classes.erase(Upper(name)) == 1;
}

bool UserWindows::FindClass(const std::string& name, WindowClass& windowClass)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_classes.find(Upper(name));
    if (it == m_classes.end())
        return false;
    windowClass = it->second;
    return true;
}

void UserWindows::Add(const WindowState& state)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_windows[state.hwnd] = state;
}

void UserWindows::Remove(HWND hwnd)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_windows.erase(hwnd);
}

bool UserWindows::Find(HWND hwnd, WindowState& state)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_windows.find(hwnd);
    if (it == m_windows.end())
        return false;
    state = it->second;
    return true;
}

std::vector<HWND> UserWindows::Children(HWND parent)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<HWND> children;
    for (const auto& [hwnd, state] : m_windows)
    {
        if (state.parent == parent)
            children.push_back(hwnd);
    }
    return children;
}

HWND UserWindows::ChildWithId(HWND parent, int id)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& [hwnd, state] : m_windows)
    {
        if (state.parent == parent && state.id == id)
            return hwnd;
    }
    return nullptr;
}

std::vector<HWND> UserWindows::OfThread(uint32_t tid)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<HWND> windows;
    for (const auto& [hwnd, state] : m_windows)
    {
        if (state.tid == tid)
            windows.push_back(hwnd);
    }
    return windows;
}

void UserWindows::FrameOf(DWORD style, int& frame, int& caption)
{
    frame = 0;
    caption = 0;
    if (style & WS_CHILD)
    {
        frame = (style & WS_BORDER) ? 1 : 0;
        return;
    }
    if ((style & WS_CAPTION) == WS_CAPTION)
        caption = 18;
    if (style & (WS_DLGFRAME | WS_THICKFRAME))
        frame = 3;
    else if (style & WS_BORDER)
        frame = 1;
}

bool UserWindows::ClientRect(HWND hwnd, PixelRect& client)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_windows.find(hwnd);
    if (it == m_windows.end())
        return false;
    int frame = 0;
    int caption = 0;
    FrameOf(it->second.style, frame, caption);
    client = {0, 0, std::max(0, it->second.rect.Width() - 2 * frame),
              std::max(0, it->second.rect.Height() - 2 * frame - caption)};
    return true;
}

bool UserWindows::ClientInSurface(HWND hwnd, int& x, int& y, PixelRect& clip, std::shared_ptr<Surface>& surface)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<const WindowState*> chain;
    for (HWND at = hwnd; at;)
    {
        auto it = m_windows.find(at);
        if (it == m_windows.end() || chain.size() > 64)
            return false;
        chain.push_back(&it->second);
        at = it->second.parent;
    }
    // From the top-level window down: each client origin in the top-level window's pixels, the clip narrowed
    // to every client area on the way.
    x = 0;
    y = 0;
    clip = {0, 0, 1 << 20, 1 << 20};
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
    {
        const WindowState& state = **it;
        if (it != chain.rbegin())
        {
            x += state.rect.left;
            y += state.rect.top;
        }
        int frame = 0;
        int caption = 0;
        FrameOf(state.style, frame, caption);
        x += frame;
        y += frame + caption;
        const PixelRect client{x, y, x + std::max(0, state.rect.Width() - 2 * frame),
                               y + std::max(0, state.rect.Height() - 2 * frame - caption)};
        clip = clip.Intersect(client);
        // A hidden control, or one inside a hidden control, has nothing on screen to draw on.
        if (it != chain.rbegin() && !(state.style & WS_VISIBLE))
            clip = {};
    }
    surface = chain.back()->surface;
    return surface != nullptr;
}

} // namespace winsim
