// Declared processes and programs in a profile's machine.ini: what a new machine runs, and the errors a
// malformed section gives.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "FileTestSupport.h"
#include "ProcessTestSupport.h"
#include "TestMachine.h"
#include "psapi.h"
#include "tlhelp32.h"
#include "windows.h"

using namespace process_test;

namespace
{

constexpr const char* kSections = R"([Process.1]
Image=C:\Program Files\Modem\MDMAPP.EXE
Modules=C:\Program Files\Modem\MDMHOOK.DLL
Window=Add Or Remove Programs|NativeHWNDHost      ; the applet
Window2=Modem Tray|MdmTray
Lifetime=forever
ExitCode=0

[Program.Companion]
Window=Companion|CompanionWnd
Lifetime=2000
ExitCode=4
)";

class ProcessProfileTest : public TestMachine
{
};

std::string ProfileError(const std::string& extra, const std::string& where)
{
    std::string error;
    if (!MachineFromProfileCopy("xp-sp2", extra, where, error).empty())
        return "no error";
    return error;
}

int LinesOf(const std::string& path)
{
    std::ifstream in(path);
    std::string line;
    int lines = 0;
    while (std::getline(in, line))
        ++lines;
    return lines;
}

} // namespace

TEST_F(ProcessProfileTest, BootProcessesRunFromTheStart)
{
    std::string error;
    const std::string dir = MachineFromProfileCopy("xp-sp2", kSections, MachineDir() + "-declared", error);
    ASSERT_FALSE(dir.empty()) << error;
    AttachTo(dir);

    HWND applet = FindWindowA("nativehwndhost", "Add Or Remove Programs");
    ASSERT_NE(nullptr, applet);
    EXPECT_NE(nullptr, FindWindowA("MdmTray", "Modem Tray"));
    DWORD pid = 0;
    GetWindowThreadProcessId(applet, &pid);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    ASSERT_NE(nullptr, process);
    char name[MAX_PATH];
    ASSERT_NE(0u, GetModuleFileNameExA(process, nullptr, name, sizeof(name)));
    EXPECT_STREQ("C:\\Program Files\\Modem\\MDMAPP.EXE", name);
    HMODULE modules[16];
    DWORD needed = 0;
    ASSERT_TRUE(EnumProcessModules(process, modules, sizeof(modules), &needed));
    ASSERT_NE(0u, GetModuleBaseNameA(process, modules[needed / sizeof(HMODULE) - 1], name, sizeof(name)));
    EXPECT_STREQ("MDMHOOK.DLL", name);

    // Its files are on the drive, and starting the image again starts another one of it.
    EXPECT_NE(std::string::npos, file_test::ReadText("C:\\Program Files\\Modem\\MDMAPP.EXE").find("Program=Process.1"));
    EXPECT_TRUE(file_test::Exists("C:\\Program Files\\Modem\\MDMHOOK.DLL"));
    Started again = Start(nullptr, "\"C:\\Program Files\\Modem\\MDMAPP.EXE\"");
    ASSERT_TRUE(again.ok) << again.error;
    EXPECT_NE(pid, again.info.dwProcessId);
    EXPECT_EQ(static_cast<DWORD>(STILL_ACTIVE), ExitCodeOf(again.info.hProcess));
    Close(again);

    // A program the profile declares runs as it says.
    WriteImage("C:\\TEST\\companion.exe", "Companion");
    Started companion = Start(nullptr, "C:\\TEST\\companion.exe");
    ASSERT_TRUE(companion.ok) << companion.error;
    EXPECT_NE(nullptr, FindWindowA("CompanionWnd", nullptr));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(companion.info.hProcess, INFINITE));
    EXPECT_EQ(4u, ExitCodeOf(companion.info.hProcess));
    Close(companion);
    CloseHandle(process);
}

TEST_F(ProcessProfileTest, MalformedSectionsNameFileAndLine)
{
    const int base = LinesOf(std::string(DRVSETUP_SOURCE_DIR) + "/profiles/xp-sp2/machine.ini") + 1;
    struct Case
    {
        const char* text;
        int line;
        const char* what;
    } cases[] = {
        {"[Process.1]\nImage=C:\\A.EXE\nLifetime=soon\n", 3, "Lifetime needs 'forever' or milliseconds"},
        {"[Process.1]\nWindow=Tray|TrayWnd\n", 1, "[PROCESS.1] needs Image="},
        {"[Program.Tool]\nImage=C:\\TOOL.EXE\n", 2, "Image= belongs to [Process.N] sections"},
        {"[Program.Tool]\nColour=blue\n", 2, "unknown name 'Colour'"},
        {"[Program.Tool]\nExitCode=-1\n", 2, "ExitCode needs a 32-bit number"},
        {"[Program.Tool]\n[Program.TOOL]\n", 2, "a second section for TOOL"},
        {"[Process.1]\nImage=D:\\A.EXE\n", 2, "is not a file path on drive C:"},
    };
    int index = 0;
    for (const Case& c : cases)
    {
        const std::string error = ProfileError(c.text, MachineDir() + "-bad" + std::to_string(++index));
        EXPECT_NE(std::string::npos, error.find("machine.ini:" + std::to_string(base + c.line) + ": ")) << error;
        EXPECT_NE(std::string::npos, error.find(c.what)) << error;
    }
}
