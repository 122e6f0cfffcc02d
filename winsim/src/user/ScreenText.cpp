#include "ScreenText.h"

#include <cinttypes>
#include <cstdio>
#include <map>

#include "ScreenPublisher.h"
#include "core/Store.h"
#include "gdi/PngFile.h"

namespace winsim
{

namespace
{

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
constexpr uint32_t kDesktop = 0x3A6EA5;

std::string Hex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08X", value);
    return text;
}

} // namespace

std::string ScreenText::Windows(Store& store)
{
    std::string out = "Windows (topmost first):\n";
    std::map<uint32_t, int> depth;
    std::map<uint32_t, bool> shown;
    bool any = false;
    std::map<uint32_t, std::string> images;
    {
        Statement rows =
            store.Prepare("SELECT w.hwnd, w.pid, COALESCE(p.image, '') FROM windows w LEFT JOIN processes p "
                          "ON p.pid = w.pid WHERE w.parent = 0");
        while (rows.Step())
            images[static_cast<uint32_t>(rows.Int(0))] = "pid " + std::to_string(rows.Int(1)) + " " + rows.Text(2);
    }
    for (const WindowView& view : ScreenPublisher::Read(store, false))
    {
        const bool parentShown = view.parent == 0 || shown[view.parent];
        shown[view.hwnd] = parentShown && view.visible;
        if (!shown[view.hwnd])
            continue;
        any = true;
        const int level = view.parent == 0 ? 0 : depth[view.parent] + 1;
        depth[view.hwnd] = level;
        const std::string indent(2 + 4 * static_cast<size_t>(level), ' ');
        if (view.parent == 0)
        {
            out += indent + Hex(view.hwnd) + "  \"" + view.title + "\"  class " + view.className + "  " +
                   images[view.hwnd] + "\n";
            continue;
        }
        out += indent + view.className + " " + std::to_string(view.ctrlId);
        if (!view.title.empty())
            out += "  \"" + view.title + "\"";
        out += "\n";
        size_t at = 0;
        while (!view.state.empty() && at <= view.state.size())
        {
            const size_t end = view.state.find('\n', at);
            out +=
                indent + "    " + view.state.substr(at, end == std::string::npos ? std::string::npos : end - at) + "\n";
            if (end == std::string::npos)
                break;
            at = end + 1;
        }
    }
    if (!any)
        out += "  (none)\n";
    return out;
}

bool ScreenText::SavePng(Store& store, const std::string& hostPath, std::string& error)
{
    Surface screen(kScreenWidth, kScreenHeight, kDesktop);
    std::vector<WindowView> views = ScreenPublisher::Read(store, true);
    // Bottom of the z order first, so the topmost window is drawn last.
    for (auto it = views.rbegin(); it != views.rend(); ++it)
    {
        if (it->parent != 0 || !it->visible || it->pixels.empty())
            continue;
        Surface window(it->width, it->height);
        for (int y = 0; y < it->height; ++y)
        {
            for (int x = 0; x < it->width; ++x)
                window.Set(x, y, it->pixels[static_cast<size_t>(y) * it->width + x], window.Bounds());
        }
        screen.Copy(it->x, it->y, it->width, it->height, window, 0, 0, screen.Bounds());
    }
    return PngFile::Write(screen, hostPath, error);
}

} // namespace winsim
