// What a host command (the winsim command line, a shell pipeline) prints on its standard output.
#pragma once

#include <cstdio>
#include <string>

inline std::string HostCommandOutput(const std::string& command)
{
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return out;
    char buffer[1024];
    while (fgets(buffer, sizeof(buffer), pipe))
        out += buffer;
    pclose(pipe);
    return out;
}
