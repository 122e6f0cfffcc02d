// Writes what the attached process's windows show to the machine (table window_views), so that
// `winsim screen` and other processes see it: each window's control id, rectangle and state text, and the
// pixels of top-level windows. A message loop publishes when it is about to wait, if anything changed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace winsim
{

class Runtime;
class Store;

struct WindowView
{
    uint32_t hwnd = 0;
    uint32_t parent = 0;
    std::string className;
    std::string title;
    bool visible = true;
    int ctrlId = 0;
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    std::string state;
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

class ScreenPublisher
{
public:
    // Something on screen changed.
    static void Touch();
    static void Publish(Runtime& rt);
    // Every window of the machine with what its process published (children after their parent, in
    // creation order; top-level windows topmost first). Pixels only when asked for.
    static std::vector<WindowView> Read(Store& store, bool withPixels);
};

} // namespace winsim
