// The host child process's part in the process, window and reboot tests: this test program started on
// a machine through CreateProcessA (or reboot), running ProcessChild.Play only. Its command line, after
// the program name, is a list of steps:
//   sleep MS            Sleep
//   record PATH         write "cmdline|cwd|parent pid|tick count" to a file
//   window TITLE        create a visible top-level window of class ChildWindow
//   wait EVENT          wait until the named event is set (virtual time cannot pass it by)
//   load DLL            LoadLibraryA
//   crash N             end without recording an exit (the host process exits with N)
//   exit N              end with exit code N (the default is 0)
// A step's argument is one word; words before the first step (the program's name) are skipped.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "FileTestSupport.h"
#include "windows.h"
#include "winsim/winsim.h"

TEST(ProcessChild, Play)
{
    if (!std::getenv(winsim::kEnvPid))
        GTEST_SKIP() << "plays its part only when started as a process of a machine";
    std::string error;
    ASSERT_TRUE(winsim::AttachFromEnvironment(error)) << error;
    std::istringstream words(GetCommandLineA());
    std::string word;
    DWORD exitCode = 0;
    // The program's name may be several words (an unquoted path with blanks): the steps start at the
    // first step word.
    const std::vector<std::string> steps{"sleep", "record", "window", "wait", "load", "crash", "exit"};
    bool started = false;
    while (words >> word)
    {
        started = started || std::find(steps.begin(), steps.end(), word) != steps.end();
        if (!started)
            continue;
        std::string argument;
        words >> argument;
        if (word == "sleep")
            Sleep(static_cast<DWORD>(std::stoul(argument)));
        else if (word == "record")
        {
            char directory[MAX_PATH] = {};
            GetCurrentDirectoryA(MAX_PATH, directory);
            file_test::WriteText(argument,
                                 std::string(GetCommandLineA()) + "|" + directory + "|" +
                                     std::to_string(std::strtoul(std::getenv(winsim::kEnvParentPid), nullptr, 10)) +
                                     "|" + std::to_string(GetTickCount()));
        }
        else if (word == "window")
            EXPECT_NE(nullptr, CreateWindowExA(0, "ChildWindow", argument.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                               0, 100, 100, nullptr, nullptr, nullptr, nullptr));
        else if (word == "wait")
        {
            HANDLE event = CreateEventA(nullptr, TRUE, FALSE, argument.c_str());
            EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(event, INFINITE));
            CloseHandle(event);
        }
        else if (word == "load")
            EXPECT_NE(nullptr, LoadLibraryA(argument.c_str())) << GetLastError();
        else if (word == "crash")
            std::_Exit(std::atoi(argument.c_str()));
        else if (word == "exit")
            exitCode = static_cast<DWORD>(std::stoul(argument));
    }
    winsim::Detach(exitCode);
}
