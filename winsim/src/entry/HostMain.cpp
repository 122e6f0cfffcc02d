// The host entry point of a program built on winsim: it runs only inside a machine, started by
// `winsim run`, which names the machine, the image path and the command line in the environment.
#include <cstdio>
#include <string>

#include "windows.h"
#include "winsim/winsim.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nShowCmd);

namespace
{

// The part of the command line after the program name, as Windows hands it to WinMain.
char* ArgumentsOf(char* commandLine)
{
    char* p = commandLine;
    if (*p == '"')
    {
        ++p;
        while (*p && *p != '"')
            ++p;
        if (*p == '"')
            ++p;
    }
    else
    {
        while (*p && *p != ' ' && *p != '\t')
            ++p;
    }
    while (*p == ' ' || *p == '\t')
        ++p;
    return p;
}

} // namespace

int main(int argc, char** argv)
{
    std::string error;
    if (!winsim::AttachFromEnvironment(error))
    {
        std::fprintf(stderr, "%s runs only inside a winsim machine; start it with 'winsim run' (%s)\n",
                     argc > 0 ? argv[0] : "this program", error.c_str());
        return 1;
    }
    int exitCode = WinMain(GetModuleHandleA(nullptr), nullptr, ArgumentsOf(GetCommandLineA()), 1);
    winsim::Detach(static_cast<uint32_t>(exitCode));
    return exitCode;
}
