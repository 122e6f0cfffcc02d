#include "MemoryInf.h"

#include <strings.h>

#include <mutex>

#include "winsim/winsim.h"

namespace winsim
{

namespace
{

std::mutex g_lock;
std::string g_path;
std::string g_bytes;

} // namespace

void MemoryInf::Set(const std::string& windowsPath, const std::string& bytes)
{
    std::lock_guard<std::mutex> lock(g_lock);
    g_path = windowsPath;
    g_bytes = windowsPath.empty() ? std::string() : bytes;
}

bool MemoryInf::Get(const std::string& windowsPath, std::string& bytes)
{
    std::lock_guard<std::mutex> lock(g_lock);
    if (g_path.empty() || strcasecmp(g_path.c_str(), windowsPath.c_str()) != 0)
        return false;
    bytes = g_bytes;
    return true;
}

void SetMemoryInf(const std::string& windowsPath, const std::string& bytes)
{
    MemoryInf::Set(windowsPath, bytes);
}

} // namespace winsim
