#include "CurrentDirectory.h"

#include "PathResolver.h"
#include "core/Runtime.h"

namespace winsim
{

std::mutex CurrentDirectory::s_mutex;
std::map<std::string, std::string> CurrentDirectory::s_directories;

std::string CurrentDirectory::KeyOf(Runtime& runtime)
{
    // A process id is unique within one machine only; tests attach to many machines in turn.
    return runtime.GetMachine().Folder() + "|" + std::to_string(runtime.Pid());
}

std::string CurrentDirectory::Get(Runtime& runtime)
{
    const std::string key = KeyOf(runtime);
    std::lock_guard<std::mutex> lock(s_mutex);
    auto found = s_directories.find(key);
    if (found != s_directories.end())
        return found->second;
    std::string image;
    std::string start = "C:\\";
    if (PathResolver::Normalize(runtime.ImagePath(), "C:\\", image))
    {
        size_t slash = image.rfind('\\');
        start = slash <= 2 ? image.substr(0, 3) : image.substr(0, slash);
    }
    s_directories.emplace(key, start);
    return start;
}

void CurrentDirectory::Set(Runtime& runtime, const std::string& normalized)
{
    const std::string key = KeyOf(runtime);
    std::lock_guard<std::mutex> lock(s_mutex);
    s_directories[key] = normalized;
}

} // namespace winsim
