#include "ScreenLog.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include "ScreenText.h"
#include "core/Runtime.h"
#include "core/Store.h"
#include "profile/HostFiles.h"
#include "winsim/winsim.h"

namespace winsim
{

namespace
{

struct LogState
{
    std::mutex mutex;
    std::string folder;
    std::string last;
    int count = 0;
    uint64_t firstMs = 0;
};

LogState& State()
{
    static LogState state;
    return state;
}

const std::string& Folder()
{
    static const std::string folder = []
    {
        const char* value = std::getenv(kEnvScreenLog);
        return std::string(value ? value : "");
    }();
    return folder;
}

// The visible top-level windows, topmost first: what makes one screen differ from the next.
std::string VisibleWindows(Store& store)
{
    std::string signature;
    Statement rows = store.Prepare("SELECT hwnd, title FROM windows WHERE parent = 0 AND visible = 1 ORDER BY z DESC");
    while (rows.Step())
        signature += std::to_string(rows.Int(0)) + " " + rows.Text(1) + "\n";
    return signature;
}

} // namespace

void ScreenLog::Note(Runtime& rt)
{
    if (Folder().empty())
        return;
    LogState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    Store& store = rt.GetMachine().GetStore();
    const std::string signature = VisibleWindows(store);
    if (signature.empty() || signature == state.last)
        return;
    state.last = signature;
    const uint64_t now = rt.GetClock().NowMs();
    if (state.count == 0)
        state.firstMs = now;
    ++state.count;
    char name[32];
    std::snprintf(name, sizeof(name), "screen-%02d", state.count);
    char heading[96];
    std::snprintf(heading, sizeof(heading), "Screen %d, %.1f s after the first (virtual time)\n", state.count,
                  static_cast<double>(now - state.firstMs) / 1000.0);
    HostMakeDirectories(Folder());
    const std::string base = Folder() + "/" + name;
    HostWriteFile(base + ".txt", heading + ScreenText::Windows(store));
    std::string error;
    if (!ScreenText::SavePng(store, base + ".png", error))
        std::fprintf(stderr, "winsim: screen log: %s\n", error.c_str());
}

} // namespace winsim
