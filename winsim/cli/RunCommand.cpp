// run: starts a program image on a machine as a host process attached to it.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "Commands.h"
#include "images/HostPrograms.h"
#include "images/ImageDescriptor.h"
#include "profile/HostFiles.h"
#include "winsim/winsim.h"

int CommandRun(const Args& args)
{
    const char* usage =
        "usage: winsim run DIR [--time virtual|scaled:N] [--answer RULE]... "
        "[--fail API[:N|:*][=ERROR]]... [--crash-at N] [--screens DIR] -- 'C:\\path\\PROGRAM.EXE' ARGS...";
    if (args.empty())
        return Fail(usage);
    const std::string& dir = args[0];
    std::string time = "virtual";
    std::string answers; // message box answer rules, one per line
    std::string faults;  // the fault plan, one item per line
    std::string screens; // folder for the screens the program shows
    size_t i = 1;
    for (; i < args.size() && args[i] != "--"; ++i)
    {
        if (args[i] == "--time" && i + 1 < args.size())
            time = args[++i];
        else if (args[i] == "--screens" && i + 1 < args.size())
        {
            screens = args[++i];
            // The program may run in another folder: hand it an absolute path.
            char cwd[4096];
            if (!screens.empty() && screens[0] != '/' && getcwd(cwd, sizeof(cwd)))
                screens = std::string(cwd) + "/" + screens;
            if (screens.empty() || !winsim::HostMakeDirectories(screens))
                return Fail("--screens: cannot make the folder '" + screens + "'");
        }
        else if (args[i] == "--answer" && i + 1 < args.size())
        {
            std::string error;
            if (!winsim::CheckMessageBoxAnswer(args[++i], error))
                return Fail("--answer: " + error);
            answers += args[i] + "\n";
        }
        else if ((args[i] == "--fail" || args[i] == "--crash-at") && i + 1 < args.size())
        {
            // Checked one at a time, then with the ones before (twice the same call), so that the message
            // names the option at fault.
            const std::string item = args[i] == "--fail" ? args[i + 1] : "crash-at=" + args[i + 1];
            std::string error;
            if (args[i + 1].empty() || item.find_first_of(" \t\r\n;") != std::string::npos)
                error = "one rule, without blanks or semicolons";
            else if (winsim::CheckFaultPlan(item, error))
                winsim::CheckFaultPlan(faults + item, error);
            if (!error.empty())
                return Fail(args[i] + " '" + args[i + 1] + "': " + error);
            faults += item + "\n";
            ++i;
        }
        else
            return Fail("unknown option '" + args[i] + "'; " + usage);
    }
    if (i + 1 >= args.size())
        return Fail(usage);
    const std::string& imagePath = args[i + 1];

    winsim::TimeMode mode;
    double scale;
    if (!winsim::ParseTimeMode(time, mode, scale))
        return Fail("--time takes 'virtual' or 'scaled:N', not '" + time + "'");
    if (!winsim::HostExists(dir + "/machine.db"))
        return Fail("not a winsim machine: " + dir);

    std::string host = winsim::HostPathOf(dir, imagePath);
    std::string text, error;
    winsim::ImageDescriptor image;
    if (host.empty() || !winsim::HostReadFile(host, text))
        return Fail("no such file on the machine: " + imagePath);
    if (!winsim::ImageDescriptor::Parse(text, image, error))
        return Fail(imagePath + ": " + error);
    std::string program = winsim::HostPrograms::Folder() + "/" + image.program;
    if (access(program.c_str(), X_OK) != 0)
        return Fail("the host program '" + program + "' for " + imagePath + " is missing");

    // The command line as Windows would hand it over: the image path (quoted if it has blanks), then the
    // arguments joined with single blanks and otherwise verbatim.
    std::string commandLine = imagePath.find(' ') != std::string::npos ? "\"" + imagePath + "\"" : imagePath;
    for (size_t a = i + 2; a < args.size(); ++a)
        commandLine += " " + args[a];

    pid_t child = fork();
    if (child < 0)
        return Fail("cannot start a process");
    if (child == 0)
    {
        setenv(winsim::kEnvMachine, dir.c_str(), 1);
        setenv(winsim::kEnvImage, imagePath.c_str(), 1);
        setenv(winsim::kEnvCommandLine, commandLine.c_str(), 1);
        setenv(winsim::kEnvTime, time.c_str(), 1);
        setenv(winsim::kEnvAnswers, answers.c_str(), 1);
        setenv(winsim::kEnvFaults, faults.c_str(), 1);
        if (!screens.empty())
            setenv(winsim::kEnvScreenLog, screens.c_str(), 1);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    if (waitpid(child, &status, 0) < 0)
        return Fail("lost the started process");
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return Fail("the program ended abnormally (signal " + std::to_string(WTERMSIG(status)) + ")");
}
