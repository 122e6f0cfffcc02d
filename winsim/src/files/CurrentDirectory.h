// The current directory of the attached process, as "C:\..." (a root keeps its backslash). It starts at
// the folder of the image path, as a process started from Explorer finds it.
#pragma once

#include <map>
#include <mutex>
#include <string>

namespace winsim
{

class Runtime;

class CurrentDirectory
{
public:
    static std::string Get(Runtime& runtime);
    static void Set(Runtime& runtime, const std::string& normalized);

private:
    static std::string KeyOf(Runtime& runtime);

    static std::mutex s_mutex;
    static std::map<std::string, std::string> s_directories;
};

} // namespace winsim
